#include "browser/velto_UI_DlgMediaExplore.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "browser/velto_UI_Ctrl2LineExplorer.h"
#include "browser/velto_UI_DlgMediaPlayer.h"
#include "browser/velto_UI_DlgMsgBox.h"
#include "browser/velto_UI_DlgWarning.h"
#include "browser/velto_media_files.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"

namespace {

constexpr WORD kDialogId = 103;
constexpr UINT kStatePeriodMs = 100;
constexpr int kPage = CVeltoUICtrl2LineExplorer::kItemsPerPage;
constexpr int kRow = CVeltoUICtrl2LineExplorer::kItemsPerRow;

}  // namespace

CVeltoUIDlgMediaExplore::CVeltoUIDlgMediaExplore(HINSTANCE hInst, HWND hParent, MEDIA_TYPE type)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_curExpState(FILE_EXP_IDLE),
      m_lastExpState(FILE_EXP_IDLE),
      m_tTimerStateMachine(0),
      m_p2LineExp(nullptr),
      m_bPicList(type != Media_Video),
      m_nCurPage(-1),
      m_hPageStatic(nullptr),
      m_hfPageFont(nullptr),
      m_pLeftArrow(nullptr),
      m_pRightArrow(nullptr),
      m_SelectMediaType(type),
      m_bEnterExp(false),
      m_bNoPaint(false) {}

CVeltoUIDlgMediaExplore::~CVeltoUIDlgMediaExplore() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("CVeltoUIDlgMediaExplore::~CVeltoUIDlgMediaExplore\n");
    ClearFileList();
}

CVeltoUIDlgMediaExplore* CVeltoUIDlgMediaExplore::CreateNew(HINSTANCE hInst, HWND hParent,
                                                            MEDIA_TYPE type) {
    return new CVeltoUIDlgMediaExplore(hInst, hParent, type);
}

int CVeltoUIDlgMediaExplore::PageCount() const {
    return ((int)m_lFileList.size() + kPage - 1) / kPage;
}

int CVeltoUIDlgMediaExplore::LastPage() const {
    int count = (int)m_lFileList.size();
    return count / kPage - (count % kPage == 0 && count > 0 ? 1 : 0);
}

void CVeltoUIDlgMediaExplore::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetWindowText(m_hHwnd, "MediaExp");
    m_tTimerStateMachine =
        (unsigned)SetTimer(m_hHwnd, TIMERID_MediaExplore_SM, kStatePeriodMs, statetimerproc);
    std::string sd = Velto::GetMMCFirstPart();
    std::string dir = sd.empty() ? Velto::GetNandDataPart() : sd + "/DCIM";
    if (!dir.empty()) {
        m_strCurPath = dir;
        InitFileList(dir, false);
        CreateControls();
        SetActiveWindow(m_hHwnd);
        ChangeToNewState(FILE_EXP_WAIT_ALL_FILE);
    }
    SetCaption(m_SelectMediaType == Media_Photo ? "Photo" : "Video");
}

void CVeltoUIDlgMediaExplore::CreateControls() {
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    int fw = frame.right, fh = frame.bottom;

    int aw = fw / 14, ah = fh / 11, ay = (int)(fh * 1.0833333333333333);
    m_pLeftArrow = CVeltoUICtrlArrow::CreateNew(m_hInst, m_hHwnd, aw, ay, aw, ah);
    m_pRightArrow = CVeltoUICtrlArrow::CreateNew(m_hInst, m_hHwnd, fw - 2 * aw, ay, aw, ah);
    if (m_pRightArrow) {
        m_pRightArrow->SetDirection(ARROW_DIR_RIGHT);
    }

    m_hPageStatic = CreateWindowEx(0, "STATIC", "Test", WS_CHILD | WS_VISIBLE, 20, 5, 140,
                                   (int)(fh * 0.125), m_hFrame, nullptr, m_hInst, nullptr);
    m_hfPageFont =
        CreateFont((int)(fh * 0.0625), 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
    if (m_hPageStatic) {
        SendMessage(m_hPageStatic, WM_SETFONT, (WPARAM)m_hfPageFont, 0);
    }
    if (!m_lFileList.empty()) {
        RefreshItemText(1);
    }

    // The grid fills the frame between the page text and the arrows.
    int gx = fw / 32, gy = (int)(fh * 0.14);
    m_p2LineExp = CVeltoUICtrl2LineExplorer::CreateNew(m_hInst, m_hFrame, gx, gy, fw - 2 * gx,
                                                       (int)(fh * 0.75));
    m_nCurPage = m_p2LineExp ? 0 : -1;
    UpdateArrows();
}

void CVeltoUIDlgMediaExplore::DestoryDialog() {
    if (m_tTimerStateMachine && m_hHwnd) {
        KillTimer(m_hHwnd, m_tTimerStateMachine);
    }
    m_tTimerStateMachine = 0;
    if (m_curExpState == FILE_EXP_LOAD_ALL_FILE || m_curExpState == FILE_EXP_REFRESH_LISTBOX) {
        Velto::ShowFunnel(false);  // left while the busy indicator was up
    }
    delete m_p2LineExp;
    m_p2LineExp = nullptr;
    m_nCurPage = -1;
    if (m_hPageStatic) {
        DestroyWindow(m_hPageStatic);
        m_hPageStatic = nullptr;
    }
    if (m_hfPageFont) {
        DeleteObject(m_hfPageFont);
        m_hfPageFont = nullptr;
    }
    delete m_pLeftArrow;
    m_pLeftArrow = nullptr;
    delete m_pRightArrow;
    m_pRightArrow = nullptr;
    CVeltoUIDialog::DestoryDialog();
    printf("CVeltoUIDlgMediaExplore::DestoryDialog\n");
}

void CVeltoUIDlgMediaExplore::ClearFileList() {
    for (FileList& f : m_lFileList) {
        if (f.m_pIndexImage && f.m_FileType == TYPE_AVI) {
            Velto::UnloadImage(f.m_pIndexImage);  // a pixmap frees its own pixels
        }
        f.m_pIndexImage = nullptr;
    }
    m_lFileList.clear();
}

void CVeltoUIDlgMediaExplore::InitFileList(std::string dir, bool) {
    ClearFileList();
    std::list<std::string> names;
    if (!VeltoListMediaFiles(dir, m_bPicList, names)) {
        return;
    }
    m_strCurPath = Velto::TrimDIR(dir);
    for (const std::string& name : names) {
        FileList f;
        f.m_strDispName = name;
        f.m_FileName = m_strCurPath + "/" + name;
        f.m_FileType = VeltoIsMediaName(f.m_FileName, false) ? TYPE_AVI : TYPE_JPG;
        f.m_pIndexImage = nullptr;
        m_lFileList.push_back(f);
    }
}

void CVeltoUIDlgMediaExplore::SetCurPage(unsigned p) {
    if (m_lFileList.empty()) {
        return;
    }
    m_nCurPage = (int)p + 1 < PageCount() ? (int)p : LastPage();
    Refresh2LineExp();
}

void CVeltoUIDlgMediaExplore::Refresh2LineExp() {
    if (!m_p2LineExp || m_nCurPage < 0) {
        return;
    }
    std::list<std::string> paths;
    for (int i = m_nCurPage * kPage; i < (int)m_lFileList.size() && i < (m_nCurPage + 1) * kPage;
         ++i) {
        paths.push_back(m_lFileList[i].m_FileName);
    }
    m_p2LineExp->InitPicList(paths);
}

void CVeltoUIDlgMediaExplore::RefreshItemText(int n) {
    if (!m_hPageStatic) {
        return;
    }
    std::string text = std::to_string(n) + " / " + std::to_string(m_lFileList.size());
    SetWindowText(m_hPageStatic, text.c_str());
}

void CVeltoUIDlgMediaExplore::ShowArrow(ARROW_DIR dir, bool show) {
    CVeltoUICtrlArrow* arrow = dir == ARROW_DIR_LEFT ? m_pLeftArrow : m_pRightArrow;
    if (arrow) {
        arrow->Show(show ? SW_SHOW : SW_HIDE);
    }
}

void CVeltoUIDlgMediaExplore::UpdateArrows() {
    ShowArrow(ARROW_DIR_LEFT, false);
    ShowArrow(ARROW_DIR_RIGHT, false);
    if (m_nCurPage < 0 || m_lFileList.empty()) {
        return;
    }
    if (m_nCurPage != LastPage()) {
        ShowArrow(ARROW_DIR_RIGHT, true);
    }
    if (m_nCurPage != 0) {
        ShowArrow(ARROW_DIR_LEFT, true);
    }
}

const char* CVeltoUIDlgMediaExplore::StateString(FILE_EXP_STATE state) {
    switch (state) {
        case FILE_EXP_IDLE:
            return "FILE_EXP_IDLE";
        case FILE_EXP_WAIT_ALL_FILE:
            return "FILE_EXP_WAIT_ALL_FILE";
        case FILE_EXP_LOAD_ALL_FILE:
            return "FILE_EXP_LOAD_ALL_FILE";
        case FILE_EXP_REFRESH_LISTBOX:
            return "FILE_EXP_REFRESH_LISTBOX";
        default:
            return "Unknown state";
    }
}

void CVeltoUIDlgMediaExplore::ChangeToNewState(FILE_EXP_STATE state) {
    if (state == m_curExpState) {
        return;
    }
    m_lastExpState = m_curExpState;
    m_curExpState = state;
    printf("FileExplorer state %s to %s\n", StateString(m_lastExpState), StateString(state));
}

void CVeltoUIDlgMediaExplore::statetimerproc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (auto* self = reinterpret_cast<CVeltoUIDlgMediaExplore*>(GetWindowLong(hwnd, DWL_USER))) {
        self->StateStep();
    }
}

void CVeltoUIDlgMediaExplore::StateStep() {
    switch (m_curExpState) {
        case FILE_EXP_IDLE:
            break;
        case FILE_EXP_WAIT_ALL_FILE:
            Velto::ShowFunnel(true);
            ChangeToNewState(FILE_EXP_LOAD_ALL_FILE);
            break;
        case FILE_EXP_LOAD_ALL_FILE:
            // The list was built when the screen opened.
            ChangeToNewState(FILE_EXP_REFRESH_LISTBOX);
            break;
        case FILE_EXP_REFRESH_LISTBOX:
            // The newest files are on the last page.
            SetCurPage((unsigned)LastPage());
            AfterMove();
            m_bEnterExp = true;
            Velto::ShowFunnel(false);
            ChangeToNewState(FILE_EXP_IDLE);
            break;
    }
}

void CVeltoUIDlgMediaExplore::GoTo(int page, int pos) {
    SetCurPage((unsigned)page);
    if (m_p2LineExp && pos > 0) {
        m_p2LineExp->SetCurPos((unsigned)pos);
    }
}

void CVeltoUIDlgMediaExplore::AfterMove() {
    int pos = m_p2LineExp ? m_p2LineExp->GetCurrentPos() : -1;
    if (m_nCurPage >= 0 && pos >= 0) {
        RefreshItemText(m_nCurPage * kPage + pos + 1);
    }
    UpdateArrows();
}

void CVeltoUIDlgMediaExplore::HandleKeyDown(WPARAM key) {
    if (m_curExpState != FILE_EXP_IDLE) {
        return;
    }
    if (key == VK_F1) {
        EndDialog(m_hHwnd, kResultLeft);
        return;
    }
    if (m_lFileList.empty() || !m_p2LineExp || m_nCurPage < 0) {
        return;
    }
    int count = (int)m_lFileList.size();
    int last = LastPage();
    int b = count % kPage;  // items on the last page, 0 when it is full
    int p = m_nCurPage;
    int pos = m_p2LineExp->GetCurrentPos();
    int n = m_p2LineExp->GetTotalItemNum();
    int col = pos % kRow;
    switch (key) {
        case VK_LEFT:
            if (pos == 0) {
                printf("252\n");
                int prev = p > 0 ? p - 1 : last;
                GoTo(prev, prev == last && b != 0 ? b - 1 : kPage - 1);
            } else {
                printf("279 \n");
                m_p2LineExp->MoveH(true);
            }
            AfterMove();
            break;
        case VK_RIGHT:
            if (pos == n - 1) {
                printf("271 \n");
                GoTo(p < last ? p + 1 : 0, 0);
            } else {
                printf("279 \n");
                m_p2LineExp->MoveH(false);
            }
            AfterMove();
            break;
        case VK_UP:
            if (pos >= kRow) {
                m_p2LineExp->MoveV(true);
            } else if (p > 0) {
                GoTo(p - 1, pos + kRow);  // pages before the last are full
            } else {
                // Onto the last page: the same column below, else above,
                // else its last item.
                int m = b == 0 ? kPage : b;
                GoTo(last, col + kRow < m ? col + kRow : (col < m ? col : m - 1));
            }
            AfterMove();
            break;
        case VK_DOWN:
            if (pos < kRow && pos + kRow < n) {
                m_p2LineExp->MoveV(false);
            } else if (pos < kRow || p == last) {
                GoTo(0, col);
            } else {
                int next = p + 1;
                int m = next == last && b != 0 ? b : kPage;
                GoTo(next, col < m ? col : m - 1);
            }
            AfterMove();
            break;
        case VK_RETURN:
            OpenSelected();
            break;
        case VK_F2:
            if (m_bEnterExp) {
                DeleteSelected();
            }
            break;
        default:
            break;
    }
}

void CVeltoUIDlgMediaExplore::OpenSelected() {
    int k = m_nCurPage * kPage + m_p2LineExp->GetCurrentPos();
    if (k < 0 || k >= (int)m_lFileList.size()) {
        return;
    }
    const FileList entry = m_lFileList[k];
    if (entry.m_FileType == TYPE_AVI) {
        printf("Open AVI %s\n", entry.m_FileName.c_str());
    }
    if (CVeltoUIDlgMediaPlayer* player = CVeltoUIDlgMediaPlayer::CreateNew(m_hInst, m_hHwnd)) {
        player->SetFilename(entry.m_FileName);
        player->DoModel();
        delete player;
    }
    if (entry.m_FileType == TYPE_JPG) {
        printf("Open JPG %s\n", entry.m_FileName.c_str());
    }
    SetActiveWindow(m_hHwnd);
    if (m_p2LineExp) {
        m_p2LineExp->Refresh();
    }
}

void CVeltoUIDlgMediaExplore::ShowNoFiles() {
    if (CVeltoUIDlgWarning* warn = CVeltoUIDlgWarning::CreateNew(m_hInst, m_hHwnd)) {
        warn->DoModal(WARNBOX_NoFiles);
        delete warn;
    }
    EndDialog(m_hHwnd, kResultNoFiles);
}

void CVeltoUIDlgMediaExplore::DeleteSelected() {
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    std::string text = s.GetXMLConfLangItemVal(10012, "Are you sure to delete the file?");
    std::string caption = s.GetXMLConfLangItemVal(10013, "Delete");
    if (VeltoMessageBox(m_hHwnd, text.c_str(), caption.c_str(), MB_YESNO) != IDYES) {
        SetActiveWindow(m_hHwnd);
        if (m_p2LineExp) {
            m_p2LineExp->Refresh();
        }
        return;
    }
    int k = m_nCurPage * kPage + m_p2LineExp->GetCurrentPos();
    if (k >= 0 && k < (int)m_lFileList.size()) {
        const std::string& path = m_lFileList[k].m_FileName;
        if (Board().Unlink(path.c_str()) != 0) {
            printf("Deleting file %s failed!", path.c_str());
        }
        printf("Deleting %s\n", path.c_str());
        Board().Sync();
    }
    InitFileList(m_strCurPath, false);
    if (m_lFileList.empty()) {
        m_bNoPaint = true;
        ShowNoFiles();
        PostMessage(m_hHwnd, WM_QUIT, 0, 0);
        return;
    }
    int sel = k > 0 ? k - 1 : 0;
    sel = std::min(sel, (int)m_lFileList.size() - 1);
    GoTo(sel / kPage, sel % kPage);
    AfterMove();
    if (m_p2LineExp) {
        m_p2LineExp->Refresh();
    }
    SetActiveWindow(m_hHwnd);
}

INT CVeltoUIDlgMediaExplore::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_KEYDOWN:
            HandleKeyDown(wParam);
            return 0;
        case WM_PAINT:
        case WM_ENTERIDLE:
            if (m_lFileList.empty() && !m_bNoPaint) {
                m_bNoPaint = true;
                ShowNoFiles();
                m_bNoPaint = false;
            }
            return 0;
        default:
            return 0;
    }
}
