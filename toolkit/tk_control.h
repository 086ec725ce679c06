// What the built-in controls (STATIC, LISTBOX) share: their per-window data,
// their class registration and the frame of their paint.
#pragma once

#include <memory>

#include "toolkit/tk_window.h"

namespace VeltoTk {

// The control data of hwnd, made on first use; null without a window.
template <class T>
T* ControlData(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    if (!w->data) {
        w->data = std::make_unique<T>();
    }
    return static_cast<T*>(w->data.get());
}

// Registers a global class of the toolkit's own.
void RegisterBuiltinControl(const char* name, WNDPROC proc);

// Paints hwnd: draw(hdc, client) between BeginPaint and EndPaint, with the
// control's font (or the default GUI font) selected. Nothing without a DC.
template <class Draw>
void PaintControl(HWND hwnd, Draw draw) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (!hdc) {
        return;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    CWindow* w = Find(hwnd);
    SelectObject(hdc, w->font ? w->font : GetStockObject(DEFAULT_GUI_FONT));
    draw(hdc, rc);
    EndPaint(hwnd, &ps);
}

}  // namespace VeltoTk
