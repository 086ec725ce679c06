#include "settings/velto_UI_Dlg_Color.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;
// The Russian labels are wider; its row moves right.
constexpr int kWideLabelLanguage = 5;

}  // namespace

CVeltoUIDlgColor::CVeltoUIDlgColor(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_isColorful(TRUE),
      m_pColorUnselImg(nullptr),
      m_pColorSelImg(nullptr),
      m_pWhiteUnselImg(nullptr),
      m_pWhiteSelImg(nullptr),
      m_hColorRadio(nullptr),
      m_hWhiteRadio(nullptr),
      m_hColorText(nullptr),
      m_hWhiteText(nullptr),
      m_hfTipTextFont(nullptr) {}

CVeltoUIDlgColor::~CVeltoUIDlgColor() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    UnloadImgFile();
    printf("~CVeltoUIDlgColor\n");
}

CVeltoUIDlgColor* CVeltoUIDlgColor::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgColor(hInst, hParent);
}

void CVeltoUIDlgColor::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetCaption(CVeltoSCSetting::GetInstance()
                   .GetXMLConfLangItemVal(10003, "Color or Black/White")
                   .c_str());
    InitParams();
}

void CVeltoUIDlgColor::DestoryDialog() {
    DeinitTipText();
    DeinitTipFont();
    UninitColorRadio();
    UnloadImgFile();
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgColor::InitParams() {
    LoadImgFile();
    m_isColorful = CVeltoSCSetting::GetInstance().GetColorful() ? TRUE : FALSE;
    InitColorRadio();
    InitTipFont();
    InitTipText();
}

bool CVeltoUIDlgColor::LoadImgFile() {
    UnloadImgFile();
    m_pColorUnselImg = Velto::LoadImage("img/ColorUnsel.png");
    m_pColorSelImg = Velto::LoadImage("img/ColorSel.png");
    m_pWhiteUnselImg = Velto::LoadImage("img/WhiteUnsel.png");
    m_pWhiteSelImg = Velto::LoadImage("img/WhiteSel.png");
    return m_pColorUnselImg && m_pColorSelImg && m_pWhiteUnselImg && m_pWhiteSelImg;
}

void CVeltoUIDlgColor::UnloadImgFile() {
    for (PSD* img : {&m_pColorUnselImg, &m_pColorSelImg, &m_pWhiteUnselImg, &m_pWhiteSelImg}) {
        Velto::UnloadImage(*img);
        *img = nullptr;
    }
}

void CVeltoUIDlgColor::InitColorRadio() {
    UninitColorRadio();
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int s = (int)((rc.right - rc.left) * 0.18);
    // Without the pictures the windows keep the side's square.
    int hc = s, hw = s;
    if (m_pColorSelImg && m_pColorSelImg->xres > 0) {
        hc = s * m_pColorSelImg->yres / m_pColorSelImg->xres;
    }
    if (m_pWhiteSelImg && m_pWhiteSelImg->xres > 0) {
        hw = s * m_pWhiteSelImg->yres / m_pWhiteSelImg->xres;
    }
    int y = rc.bottom - (rc.top + 2 * hc);
    m_hColorRadio = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, s, y, s, hc,
                                   m_hFrame, nullptr, m_hInst, nullptr);
    m_hWhiteRadio =
        CreateWindowEx(0, "STATIC", "ws", WS_CHILD | WS_VISIBLE | SS_ICON,
                       rc.right - (rc.left + 2 * s), y, s, hw, m_hFrame, nullptr, m_hInst, nullptr);
    CheckColorSaveAndDisplay();
}

void CVeltoUIDlgColor::UninitColorRadio() {
    for (HWND* w : {&m_hColorRadio, &m_hWhiteRadio}) {
        if (*w) {
            DestroyWindow(*w);
            *w = nullptr;
        }
    }
}

void CVeltoUIDlgColor::CheckColorSaveAndDisplay() {
    if (m_hColorRadio) {
        SendMessage(m_hColorRadio, STM_SETIMAGE, IMAGE_BITMAP,
                    (LPARAM)(m_isColorful ? m_pColorSelImg : m_pColorUnselImg));
        InvalidateRect(m_hColorRadio, nullptr, TRUE);
    }
    if (m_hWhiteRadio) {
        SendMessage(m_hWhiteRadio, STM_SETIMAGE, IMAGE_BITMAP,
                    (LPARAM)(m_isColorful ? m_pWhiteUnselImg : m_pWhiteSelImg));
        InvalidateRect(m_hWhiteRadio, nullptr, TRUE);
    }
}

void CVeltoUIDlgColor::InitTipFont() {
    DeinitTipFont();
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    m_hfTipTextFont =
        CreateFont((rc.bottom - rc.top) / 10, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
}

void CVeltoUIDlgColor::DeinitTipFont() {
    if (m_hfTipTextFont) {
        DeleteObject(m_hfTipTextFont);
        m_hfTipTextFont = nullptr;
    }
}

void CVeltoUIDlgColor::InitTipText() {
    DeinitTipText();
    if (!m_hColorRadio || !m_hWhiteRadio) {
        return;
    }
    CVeltoSCSetting& st = CVeltoSCSetting::GetInstance();
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int f = (rc.bottom - rc.top) / 4;
    RECT c{0, 0, 0, 0}, w{0, 0, 0, 0};
    GetWindowRect(m_hColorRadio, &c);
    GetWindowRect(m_hWhiteRadio, &w);
    for (RECT* r : {&c, &w}) {
        ScreenToClient(m_hFrame, (POINT*)&r->left);
        ScreenToClient(m_hFrame, (POINT*)&r->right);
    }
    std::string color = st.GetXMLConfLangItemVal(10017, "Color");
    std::string white = st.GetXMLConfLangItemVal(10018, "Monochrome");
    m_hColorText =
        CreateWindowEx(0, "STATIC", "Color", WS_CHILD | WS_VISIBLE, c.left,
                       3 * c.top - 2 * c.bottom, 4 * f, f, m_hFrame, nullptr, m_hInst, nullptr);
    int wx = (int)(w.left * (1 - 0.14)) + (st.GetLanguage() == kWideLabelLanguage ? 40 : 0);
    m_hWhiteText = CreateWindowEx(0, "STATIC", "Black/White", WS_CHILD | WS_VISIBLE, wx,
                                  3 * w.top - 2 * w.bottom, (int)(f * 4.2), f, m_hFrame, nullptr,
                                  m_hInst, nullptr);
    SetWindowText(m_hColorText, color.c_str());
    SetWindowText(m_hWhiteText, white.c_str());
    SendMessage(m_hColorText, WM_SETFONT, (WPARAM)m_hfTipTextFont, 0);
    SendMessage(m_hWhiteText, WM_SETFONT, (WPARAM)m_hfTipTextFont, 0);
}

void CVeltoUIDlgColor::DeinitTipText() {
    for (HWND* t : {&m_hColorText, &m_hWhiteText}) {
        if (*t) {
            DestroyWindow(*t);
            *t = nullptr;
        }
    }
}

void CVeltoUIDlgColor::HandleKeyDown(WPARAM key) {
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
            m_isColorful = !m_isColorful;
            CheckColorSaveAndDisplay();
            break;
        case VK_RETURN:
            CVeltoSCSetting::GetInstance().SetColorful(m_isColorful != FALSE);
            [[fallthrough]];  // kept; the screen closes as on F1
        case VK_F1:
            EndDialog(m_hHwnd, 1);
            break;
    }
    Board().Sync();
}

INT CVeltoUIDlgColor::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SettingsScreenProc(hwnd, msg, wParam, [this](WPARAM key) { HandleKeyDown(key); });
}
