#include "settings/velto_UI_Dlg_FormatMedia.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "browser/velto_UI_DlgMsgBox.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"

namespace {

constexpr WORD kDialogId = 103;

bool Run(const std::string& command, bool print) {
    if (print) {
        printf("Run %s\n", command.c_str());
    }
    int rc = Board().System(command.c_str());
    if (rc != 0) {
        printf("Format: \"%s\" failed (%d)\n", command.c_str(), rc);
    }
    return rc == 0;
}

}  // namespace

CVeltoUIDlgFormatMedia::CVeltoUIDlgFormatMedia(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_hFailText(nullptr),
      m_hfFailText(nullptr),
      m_bStarted(false) {}

CVeltoUIDlgFormatMedia::~CVeltoUIDlgFormatMedia() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgFormatMedia\n");
}

CVeltoUIDlgFormatMedia* CVeltoUIDlgFormatMedia::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgFormatMedia(hInst, hParent);
}

void CVeltoUIDlgFormatMedia::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10004, "Format Media").c_str());
}

void CVeltoUIDlgFormatMedia::DestoryDialog() {
    UninitText();
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgFormatMedia::InitText() {
    UninitText();
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int h = rc.bottom - rc.top;
    m_hfFailText = CreateFont(h / 10, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    std::string text = CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10026, "Format failed");
    // Room for two lines: the longer translations wrap on the small screen.
    m_hFailText =
        CreateWindowEx(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 0, h * 3 / 10,
                       rc.right - rc.left, h * 2 / 5, m_hFrame, nullptr, m_hInst, nullptr);
    SendMessage(m_hFailText, WM_SETFONT, (WPARAM)m_hfFailText, 0);
}

void CVeltoUIDlgFormatMedia::UninitText() {
    if (m_hFailText) {
        DestroyWindow(m_hFailText);
        m_hFailText = nullptr;
    }
    if (m_hfFailText) {
        DeleteObject(m_hfFailText);
        m_hfFailText = nullptr;
    }
}

bool CVeltoUIDlgFormatMedia::FormatCard(const std::string& mountPoint) {
    std::string dev = Velto::GetMMCFirstPartDev();
    // A card still mounted must not be formatted under its file system.
    if (!Run("/bin/umount -l " + mountPoint, true)) {
        return false;
    }
    bool formatted = Run("/usr/bin/mkdosfs -F 32 " + dev, true);
    // Mounted again whether or not the format went through, so that the
    // card's files stay reachable after a failed format.
    bool mounted = Run("/bin/mount -t vfat " + dev + " " + mountPoint, true);
    return formatted && mounted;
}

bool CVeltoUIDlgFormatMedia::FormatNand() {
    std::string mountPoint = Velto::GetNandDataPart();
    // An unmounted medium has nothing to unmount and is rebuilt all the same.
    if (!Run("/bin/umount -l " + mountPoint, false) && !mountPoint.empty()) {
        return false;
    }
    bool removed = Run("rm  -f  /mnt/ubifs/backing_file  ", false);
    bool stopped = Run("/usr/velto/nandformat  stop  ", false);
    // start makes the image and mounts it: run it after any earlier failure
    // so the internal medium is mounted again.
    bool started = Run("/usr/velto/nandformat  start  ", false);
    return removed && stopped && started;
}

bool CVeltoUIDlgFormatMedia::RunFormat() {
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    std::string title = s.GetXMLConfLangItemVal(10015, "Format");
    std::string ask = s.GetXMLConfLangItemVal(10014, "Format Media?");
    if (VeltoMessageBox(m_hHwnd, ask.c_str(), title.c_str(), MB_YESNO) != IDYES) {
        return true;
    }
    printf("Start Formating media\n");
    std::string card = Velto::GetMMCFirstPart();
    std::string warn =
        s.GetXMLConfLangItemVal(10016, "Warning - this will erase ALL files in memory");
    if (VeltoMessageBox(m_hHwnd, warn.c_str(), title.c_str(), MB_YESNO) != IDYES) {
        return true;
    }
    Velto::ShowFunnel(true);
    bool ok = card.empty() ? FormatNand() : FormatCard(card);
    Board().Sync();
    Velto::ShowFunnel(false);
    return ok;
}

void CVeltoUIDlgFormatMedia::HandleKeyDown(WPARAM) {
    // Only the failure text waits for a key.
    if (m_hFailText) {
        EndDialog(m_hHwnd, 1);
    }
}

INT CVeltoUIDlgFormatMedia::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, 0xFFFFFFFFu);
            return 1;
        }
        case WM_GETDLGCODE:
            return 5;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, 1);
            }
            return 0;
        case WM_KEYDOWN:
            HandleKeyDown(wParam);
            return 0;
        case WM_ENTERIDLE:
            if (!m_bStarted) {
                m_bStarted = true;
                if (RunFormat()) {
                    EndDialog(hwnd, 1);
                } else {
                    InitText();
                    SetActiveWindow(hwnd);
                }
            }
            return 0;
        default:
            return 0;  // the caption keeps the framework's colours
    }
}
