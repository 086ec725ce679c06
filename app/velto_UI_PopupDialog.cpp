#include "app/velto_UI_PopupDialog.h"

#include <stdio.h>

CVeltoUIPopupDialog::CVeltoUIPopupDialog(HINSTANCE hInst, HWND hParent)
    : m_hInst(hInst), m_hParent(hParent), m_hHwnd(nullptr) {}

CVeltoUIPopupDialog::~CVeltoUIPopupDialog() {
    // A window still alive must not reach this object after it is gone.
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        SetWindowLong(m_hHwnd, 8, 0);
    }
    printf("CVeltoUIPopupDialog::~CVeltoUIPopupDialog\n");
}

int CVeltoUIPopupDialog::DoModal() {
    if (!m_hInst) {
        return -1;
    }
    return (int)DialogBoxParam(m_hInst, (LPCSTR)(uintptr_t)(0xFFFF0000u | 103), m_hParent,
                               mainDlgProc, (LPARAM)this);
}

void CVeltoUIPopupDialog::InitDialog() {}

void CVeltoUIPopupDialog::DestoryDialog() {}

INT_PTR CVeltoUIPopupDialog::mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CVeltoUIPopupDialog* self = reinterpret_cast<CVeltoUIPopupDialog*>(GetWindowLong(hwnd, 8));
    if (!self) {
        return 0;
    }
    switch (msg) {
        case WM_INITDIALOG:
            self->m_hHwnd = hwnd;
            self->InitDialog();
            ShowWindow(hwnd, SW_MAXIMIZE);
            return 0;
        case WM_DESTROY:
            self->DestoryDialog();
            return 0;
        default:
            return self->WindowProc(hwnd, msg, wParam, lParam);
    }
}
