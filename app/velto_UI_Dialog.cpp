#include "app/velto_UI_Dialog.h"

#include <stdio.h>

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "settings/velto_SC_setting.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFFFFu;
constexpr COLORREF kCaptionBlue = 0xFF734216u;
constexpr double kCaptionShare = 0.16;

}  // namespace

CVeltoUIDialog::CVeltoUIDialog(HINSTANCE hInst, HWND hParent, WORD id)
    : m_hInst(hInst),
      m_hParent(hParent),
      m_hHwnd(nullptr),
      m_hCaption(nullptr),
      m_DlgID(id),
      m_hFrame(nullptr),
      m_hfCaptionFont(nullptr) {}

CVeltoUIDialog::~CVeltoUIDialog() {
    // Only the base part is left here, so the screen's own teardown cannot
    // run; release what the base made.
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        HWND hwnd = m_hHwnd;
        CVeltoUIDialog::DestoryDialog();
        SendMessage(hwnd, WM_DESTROY, 0, 0);
    }
    printf("~CVeltoUIDialog\n");
}

int CVeltoUIDialog::DoModel() {
    if (!m_hInst) {
        return -1;
    }
    return (int)DialogBoxParam(m_hInst, (LPCSTR)(uintptr_t)(0xFFFF0000u | m_DlgID), m_hParent,
                               mainDlgProc, (LPARAM)this);
}

void CVeltoUIDialog::Destroy() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        SendMessage(m_hHwnd, WM_DESTROY, 0, 0);
    }
}

void CVeltoUIDialog::InitFrame() {
    UninitFrame();
    WNDCLASS wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = frameproc;
    wc.hInstance = m_hInst;
    wc.hbrBackground = (HBRUSH)GetStockObject(OVERLAY_BRUSH);
    wc.lpszClassName = "VeltoDLGFrame";
    RegisterClass(&wc);  // fails harmlessly once registered
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    int w = (int)s.GetScrWidth();
    int h = (int)s.GetScrHeight();
    m_hFrame =
        CreateWindowEx(0, "VeltoDLGFrame", "", WS_VISIBLE | WS_CHILD, 0, (int)(h * kCaptionShare),
                       w, (int)(h + h * -kCaptionShare), m_hHwnd, nullptr, m_hInst, nullptr);
}

void CVeltoUIDialog::UninitFrame() {
    if (m_hFrame) {
        DestroyWindow(m_hFrame);
        m_hFrame = nullptr;
    }
}

void CVeltoUIDialog::InitDialog() {
    InitFrame();
    if (!m_hCaption) {
        CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
        int w = (int)s.GetScrWidth();
        int h = (int)s.GetScrHeight();
        m_hCaption =
            CreateWindowEx(0, "STATIC", m_strCaptName.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 0,
                           0, w, (int)(h * kCaptionShare), m_hHwnd, nullptr, m_hInst, nullptr);
        SetCaption(m_strCaptName.c_str());
    }
}

void CVeltoUIDialog::SetCaption(const char* name) {
    if (name) {
        m_strCaptName = name;
    }
    if (!m_hCaption) {
        return;
    }
    RECT rc;
    GetClientRect(m_hCaption, &rc);
    int ch = rc.bottom - rc.top;
    if (m_hfCaptionFont) {
        DeleteObject(m_hfCaptionFont);
        m_hfCaptionFont = nullptr;
    }
    int height = std::min((int)(ch * 0.6), ch);
    m_hfCaptionFont = CreateFont(height, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 4, 700, "MSYH.TTF");
    SendMessage(m_hCaption, WM_SETFONT, (WPARAM)m_hfCaptionFont, 0);
    if (!m_strCaptName.empty()) {
        SendMessage(m_hCaption, WM_SETTEXT, 0, (LPARAM)m_strCaptName.c_str());
    }
}

void CVeltoUIDialog::DestoryDialog() {
    UninitFrame();
    if (m_hCaption) {
        DestroyWindow(m_hCaption);
        m_hCaption = nullptr;
    }
    if (m_hfCaptionFont) {
        DeleteObject(m_hfCaptionFont);
        m_hfCaptionFont = nullptr;
    }
    if (m_hHwnd) {
        SetWindowLong(m_hHwnd, 8, 0);
    }
    m_hHwnd = nullptr;
    printf("CVeltoUIDialog::DestoryDialog\n");
}

INT_PTR CVeltoUIDialog::mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CVeltoUIDialog* self = reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(hwnd, 8));
    if (!self) {
        return 0;
    }
    switch (msg) {
        case WM_INITDIALOG:
            self->m_hHwnd = hwnd;
            MoveWindow(hwnd, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       TRUE);
            self->InitDialog();
            return 0;
        case WM_DESTROY:
            self->DestoryDialog();
            SetWindowLong(hwnd, 8, 0);
            return 0;
        case WM_PAINT:
            Velto::PaintClient(hwnd, [](HDC hdc, RECT& rc) {
                FillRect(hdc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
            });
            return self->DialogProc(hwnd, msg, wParam, lParam);
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, kWhite);
            return self->DialogProc(hwnd, msg, wParam, lParam);
        }
        case WM_CTLCOLORSTATIC: {
            HDC hdc = (HDC)wParam;
            HWND ctl = (HWND)lParam;
            SetTextColor(hdc, kWhite);
            SetBkColor(hdc, kCaptionBlue);
            SetBkMode(hdc, OPAQUE);
            SelectObject(hdc, (HGDIOBJ)SendMessage(ctl, WM_GETFONT, 0, 0));
            SelectObject(hdc, GetStockObject(BLACK_PEN));
            INT_PTR brush = self->DialogProc(hwnd, msg, wParam, lParam);
            if (!brush) {
                brush = (INT_PTR)CreateSolidBrush(kCaptionBlue);
            }
            MwSetWindowPaintBrush(ctl, (HBRUSH)brush);
            return brush;
        }
        default:
            return self->DialogProc(hwnd, msg, wParam, lParam);
    }
}

LRESULT CVeltoUIDialog::frameproc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Velto::PaintClientColour(hwnd, kWhite);
            return 0;
        case WM_CTLCOLORSTATIC:
            return Velto::WhiteStaticBrush((HWND)lParam);
        default:
            return 0;
    }
}
