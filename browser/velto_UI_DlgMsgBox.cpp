#include "browser/velto_UI_DlgMsgBox.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "settings/velto_SC_setting.h"

namespace {

constexpr WORD kDialogId = 103;

}  // namespace

CVeltoUIDlgMsgBox::CVeltoUIDlgMsgBox(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_uStyle(MB_YESNO),
      m_pImgYesOK(nullptr),
      m_pImgNoCancel(nullptr),
      m_pImgNone(nullptr),
      m_hStaticImgYesOK(nullptr),
      m_hStaticImgNoCancel(nullptr),
      m_hStaticYesOK(nullptr),
      m_hStaticNoCancel(nullptr),
      m_bChooseYesOK(true),
      m_hfTextFont(nullptr),
      m_hStaticHintText(nullptr),
      m_hStaticQuestion(nullptr) {}

CVeltoUIDlgMsgBox::~CVeltoUIDlgMsgBox() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgMsgBox\n");
}

void CVeltoUIDlgMsgBox::InitDialog() {
    CVeltoUIDialog::InitDialog();
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    int fw = frame.right, fh = frame.bottom;
    m_hfTextFont = CreateFont(fh / 11 - 1, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    // The texts and pictures sit on the white frame below the caption.
    m_hStaticQuestion =
        CreateWindowEx(0, "STATIC", m_sText.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 0, fh / 22,
                       fw, 3 * (fh / 11), m_hFrame, nullptr, m_hInst, nullptr);
    SendMessage(m_hStaticQuestion, WM_SETFONT, (WPARAM)m_hfTextFont, 0);
    if (m_uStyle != MB_YESNO) {
        return;
    }
    m_pImgYesOK = Velto::LoadImage("img/yes.gif");
    m_pImgNoCancel = Velto::LoadImage("img/no.gif");
    m_pImgNone = Velto::LoadImage("img/blacksqr.gif");
    if (!m_pImgYesOK || !m_pImgNoCancel) {
        return;
    }
    int e = (int)(fw * 0.09583333333333334 + 1.0);
    int wide = 2 * e;
    int hgt = 2 * (int)((double)e / m_pImgYesOK->xres * m_pImgYesOK->yres);
    int y = (int)(fh - 1.5 * hgt);
    int g = (fw / 2 - 2 * e) / 2;
    m_hStaticImgYesOK = CreateWindowEx(0, "STATIC", "yes", WS_CHILD | WS_VISIBLE | SS_ICON, g, y,
                                       wide, hgt, m_hFrame, nullptr, m_hInst, nullptr);
    m_hStaticImgNoCancel =
        CreateWindowEx(0, "STATIC", "no", WS_CHILD | WS_VISIBLE | SS_ICON, fw / 2 + g, y, wide, hgt,
                       m_hFrame, nullptr, m_hInst, nullptr);
    ShowChoice();

    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    std::string yes = s.GetXMLConfLangItemVal(10009, "Yes");
    std::string no = s.GetXMLConfLangItemVal(10010, "No");
    int fs = fh / 11;
    auto choiceText = [&](HWND picture, const std::string& text) {
        RECT wr;
        GetWindowRect(picture, &wr);
        POINT at{wr.left, (int)(wr.top - 3.2 * fs)};
        ScreenToClient(m_hFrame, &at);
        HWND h = CreateWindowEx(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, at.x, at.y,
                                7 * fs, (int)(1.5 * fs), m_hFrame, nullptr, m_hInst, nullptr);
        SendMessage(h, WM_SETFONT, (WPARAM)m_hfTextFont, 0);
        return h;
    };
    m_hStaticYesOK = choiceText(m_hStaticImgYesOK, yes);
    m_hStaticNoCancel = choiceText(m_hStaticImgNoCancel, no);
}

void CVeltoUIDlgMsgBox::ShowChoice() {
    if (!m_hStaticImgYesOK || !m_hStaticImgNoCancel) {
        return;
    }
    SendMessage(m_hStaticImgYesOK, STM_SETIMAGE, IMAGE_BITMAP,
                (LPARAM)(m_bChooseYesOK ? m_pImgYesOK : m_pImgNone));
    SendMessage(m_hStaticImgNoCancel, STM_SETIMAGE, IMAGE_BITMAP,
                (LPARAM)(m_bChooseYesOK ? m_pImgNone : m_pImgNoCancel));
}

void CVeltoUIDlgMsgBox::DestoryDialog() {
    for (HWND* h : {&m_hStaticYesOK, &m_hStaticNoCancel, &m_hStaticImgYesOK, &m_hStaticImgNoCancel,
                    &m_hStaticQuestion, &m_hStaticHintText}) {
        if (*h) {
            DestroyWindow(*h);
            *h = nullptr;
        }
    }
    for (PSD* p : {&m_pImgYesOK, &m_pImgNoCancel, &m_pImgNone}) {
        Velto::UnloadImage(*p);
        *p = nullptr;
    }
    if (m_hfTextFont) {
        DeleteObject(m_hfTextFont);
        m_hfTextFont = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

INT CVeltoUIDlgMsgBox::Answer(bool confirmed) {
    if (m_uStyle == MB_YESNO) {
        return confirmed && m_bChooseYesOK ? IDYES : IDNO;
    }
    return confirmed ? IDYES : IDNO;
}

INT CVeltoUIDlgMsgBox::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            printf("test\n");
            switch (wParam) {
                case VK_RIGHT:
                    m_bChooseYesOK = !m_bChooseYesOK;
                    ShowChoice();
                    UpdateWindow(m_hStaticImgYesOK);
                    UpdateWindow(m_hStaticImgNoCancel);
                    return 0;
                case VK_RETURN:
                    EndDialog(hwnd, m_uStyle == MB_YESNO && m_bChooseYesOK ? IDYES : IDNO);
                    return 0;
                case VK_F1:
                    EndDialog(hwnd, IDNO);
                    return 0;
                default:
                    return 0;
            }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                EndDialog(hwnd, Answer(true));
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, IDNO);
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, 0xFFFFFFFFu);
            BringWindowToTop(hwnd);
            return 1;
        }
        case WM_PAINT:
            SetActiveWindow(hwnd);
            return 0;
        case WM_CTLCOLORSTATIC: {
            HWND ctl = (HWND)lParam;
            if (ctl && (ctl == m_hStaticImgYesOK || ctl == m_hStaticImgNoCancel)) {
                return (INT)(intptr_t)GetStockObject(WHITE_BRUSH);
            }
            return 0;  // the caption keeps the framework's colours
        }
        default:
            return 0;
    }
}

int VeltoMessageBox(HWND owner, const char* text, const char* caption, unsigned style) {
    HWND desktop = GetDesktopWindow();
    if (!desktop) {
        return IDNO;
    }
    HINSTANCE inst = (HINSTANCE)GetWindowLong(desktop, GWL_HINSTANCE);
    auto* box = new CVeltoUIDlgMsgBox(inst, owner);
    box->SetText(text);
    box->SetCaption(caption);
    box->SetUStyle(style);
    int result = box->DoModel();
    delete box;
    // -1 (no instance, no parent) is no answer: the safe one.
    return result == IDYES ? IDYES : IDNO;
}
