#include "browser/velto_UI_DlgMediaNav.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "settings/velto_SC_setting.h"

namespace {

constexpr WORD kDialogId = 103;

}  // namespace

CVeltoUIDlgMediaNav::CVeltoUIDlgMediaNav(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_pImgVideoSel(nullptr),
      m_pImgVideoUnsel(nullptr),
      m_pImgPhotoSel(nullptr),
      m_pImgPhotoUnsel(nullptr),
      m_hStaticVideoBtn(nullptr),
      m_hStaticPhotoBtn(nullptr),
      m_SelectMediaType(Media_Photo) {}

CVeltoUIDlgMediaNav::~CVeltoUIDlgMediaNav() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("CVeltoUIDlgMediaNav::~CVeltoUIDlgMediaNav\n");
}

CVeltoUIDlgMediaNav* CVeltoUIDlgMediaNav::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgMediaNav(hInst, hParent);
}

void CVeltoUIDlgMediaNav::InitDialog() {
    CVeltoUIDialog::InitDialog();
    m_pImgVideoSel = Velto::LoadImage("img/videosel.gif");
    m_pImgVideoUnsel = Velto::LoadImage("img/videounsel.gif");
    m_pImgPhotoSel = Velto::LoadImage("img/photosel.gif");
    m_pImgPhotoUnsel = Velto::LoadImage("img/photounsel.gif");

    RECT client{0, 0, 0, 0}, frame{0, 0, 0, 0};
    GetClientRect(m_hHwnd, &client);
    GetClientRect(m_hFrame, &frame);
    int w = (int)(client.right * 0.3597222222222222);
    int a = (int)(client.bottom * 0.7145833333333333);
    int y = (frame.bottom - a) / 2;
    m_hStaticPhotoBtn = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, w / 4, y,
                                       w, a, m_hFrame, nullptr, m_hInst, nullptr);
    m_hStaticVideoBtn =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, frame.right - w - w / 4,
                       y, w, a, m_hFrame, nullptr, m_hInst, nullptr);
    m_SelectMediaType = Media_Photo;
    ShowChoice();

    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10011, "Media").c_str());
    SetWindowText(m_hHwnd, "MediaNav");
}

void CVeltoUIDlgMediaNav::ShowChoice() {
    bool video = m_SelectMediaType == Media_Video;
    if (m_hStaticVideoBtn) {
        SendMessage(m_hStaticVideoBtn, STM_SETIMAGE, IMAGE_BITMAP,
                    (LPARAM)(video ? m_pImgVideoSel : m_pImgVideoUnsel));
    }
    if (m_hStaticPhotoBtn) {
        SendMessage(m_hStaticPhotoBtn, STM_SETIMAGE, IMAGE_BITMAP,
                    (LPARAM)(video ? m_pImgPhotoUnsel : m_pImgPhotoSel));
    }
}

void CVeltoUIDlgMediaNav::DestoryDialog() {
    for (HWND* h : {&m_hStaticVideoBtn, &m_hStaticPhotoBtn}) {
        if (*h) {
            DestroyWindow(*h);
            *h = nullptr;
        }
    }
    for (PSD* p : {&m_pImgVideoSel, &m_pImgVideoUnsel, &m_pImgPhotoSel, &m_pImgPhotoUnsel}) {
        Velto::UnloadImage(*p);
        *p = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgMediaNav::OpenExplorer() {
    CVeltoUIDlgMediaExplore* explorer =
        CVeltoUIDlgMediaExplore::CreateNew(m_hInst, m_hHwnd, m_SelectMediaType);
    if (!explorer) {
        return;
    }
    explorer->DoModel();
    delete explorer;
    SetActiveWindow(m_hHwnd);
    // Everything the explorer covered is drawn again.
    InvalidateRect(m_hHwnd, nullptr, TRUE);
}

void CVeltoUIDlgMediaNav::HandleKeyDown(WPARAM key) {
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
            m_SelectMediaType = m_SelectMediaType == Media_Video ? Media_Photo : Media_Video;
            ShowChoice();
            break;
        case VK_RETURN:
            OpenExplorer();
            break;
        case VK_F1:
            EndDialog(m_hHwnd, 1);
            break;
    }
}

INT CVeltoUIDlgMediaNav::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_KEYDOWN:
            HandleKeyDown(wParam);
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, GetSysColor(COLOR_WINDOWFRAME));
            return 1;
        }
        default:
            return 0;
    }
}
