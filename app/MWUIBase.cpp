#include "app/MWUIBase.h"

CMWUIBase::CMWUIBase(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height)
    : m_hHwnd(nullptr),
      m_hParent(hParent),
      m_hInstance(hInstance),
      m_curRect{x, y, x + width, y + height},
      m_cBackgroundColor(0xFF010101u) {}

CMWUIBase::~CMWUIBase() {
    CMWUIBase::Deinit();
}

int CMWUIBase::MwRegisterUIControl(HINSTANCE hInstance, char* className) {
    m_sClassName = className ? className : "";
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainDlgProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 20;
    wc.hInstance = hInstance;
    wc.hbrBackground = (HBRUSH)GetStockObject(OVERLAY_BRUSH);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = m_sClassName.c_str();
    return RegisterClass(&wc);
}

bool CMWUIBase::RegisterKind(HINSTANCE hInstance, const char* className, bool& registered) {
    // The flag alone would outlive the toolkit's classes when it is closed
    // and opened again, so the toolkit is asked as well.
    if (!registered || !GetClassInfo(hInstance, className, nullptr)) {
        registered = MwRegisterUIControl(hInstance, const_cast<char*>(className)) != 0 ||
                     GetClassInfo(hInstance, className, nullptr);
    }
    m_sClassName = className;
    return registered;
}

bool CMWUIBase::Init() {
    // A control belongs inside its parent: as a top-level window it would
    // vanish beneath the screen it was made for.
    DWORD style = WS_VISIBLE | (m_hParent ? WS_CHILD : 0);
    m_hHwnd = CreateWindowEx(0, m_sClassName.c_str(), "", style, m_curRect.left, m_curRect.top,
                             m_curRect.right - m_curRect.left, m_curRect.bottom - m_curRect.top,
                             m_hParent, nullptr, m_hInstance, nullptr);
    if (!m_hHwnd) {
        return false;
    }
    SetWindowLong(m_hHwnd, 8, (LONG)this);
    return true;
}

void CMWUIBase::Deinit() {
    if (m_hHwnd) {
        HWND hwnd = m_hHwnd;
        m_hHwnd = nullptr;
        // Detached first: messages during destruction find no object.
        SetWindowLong(hwnd, 8, 0);
        DestroyWindow(hwnd);
    }
}

BOOL CMWUIBase::Show(int nCmdShow) {
    return m_hHwnd ? ShowWindow(m_hHwnd, nCmdShow) : FALSE;
}

bool CMWUIBase::IsVisable() {
    return m_hHwnd && (GetWindowLong(m_hHwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CMWUIBase::SetBackgroundColor(COLORREF color) {
    if (color == m_cBackgroundColor) {
        return;
    }
    m_cBackgroundColor = color;
    if (m_hHwnd) {
        // The paint below only draws what is invalid, so mark it all.
        InvalidateRect(m_hHwnd, nullptr, TRUE);
        SendMessage(m_hHwnd, WM_PAINT, 0, 0);
    }
}

LRESULT CMWUIBase::mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CMWUIBase* self = reinterpret_cast<CMWUIBase*>(GetWindowLong(hwnd, 8));
    if (!self) {
        return 0;
    }
    return self->WindowProc(hwnd, msg, wParam, lParam);
}
