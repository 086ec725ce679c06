#include "app/velto_UI_DlgPlaceholder.h"

#include <stdio.h>

CVeltoUIDlgPlaceholder::CVeltoUIDlgPlaceholder(HINSTANCE hInst, HWND hParent,
                                               const std::string& caption)
    : CVeltoUIDialog(hInst, hParent, 103), m_hText(nullptr), m_hfText(nullptr) {
    m_strCaptName = caption;
}

CVeltoUIDlgPlaceholder::~CVeltoUIDlgPlaceholder() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
}

void CVeltoUIDlgPlaceholder::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetCaption(m_strCaptName.c_str());
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    m_hfText = CreateFont(frame.bottom / 9, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, "Arial.ttf");
    m_hText = CreateWindowEx(0, "STATIC", "Not available yet. F1: back",
                             WS_CHILD | WS_VISIBLE | SS_CENTER, 0, frame.bottom / 3, frame.right,
                             frame.bottom / 4, m_hFrame, nullptr, m_hInst, nullptr);
    SendMessage(m_hText, WM_SETFONT, (WPARAM)m_hfText, 0);
}

void CVeltoUIDlgPlaceholder::DestoryDialog() {
    if (m_hText) {
        DestroyWindow(m_hText);
        m_hText = nullptr;
    }
    if (m_hfText) {
        DeleteObject(m_hfText);
        m_hfText = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

INT CVeltoUIDlgPlaceholder::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            return 5;
        case WM_KEYDOWN:
            if (wParam == VK_F1) {
                EndDialog(hwnd, IDCANCEL);
            }
            return 0;
        default:
            return DefDlgProc(hwnd, msg, wParam, lParam);
    }
}
