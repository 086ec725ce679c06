// The window tree: classes, windows and the handle table that maps a HWND to
// its window. Handles are never reused, so a stale HWND finds nothing.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/tk_region.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

struct CWindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int cbWndExtra = 0;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
    bool builtin = false;
};

// Per-window state of a built-in control (STATIC, LISTBOX, dialog).
class CControlData {
public:
    virtual ~CControlData() = default;
};

struct CWindow {
    HWND handle = nullptr;
    CWindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;       // the desktop for top-level windows
    HWND owner = nullptr;        // top-level windows: the parent given
    std::vector<HWND> children;  // bottom to top
    RECT rect{0, 0, 0, 0};       // in the parent's client coordinates
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    HFONT font = nullptr;
    HINSTANCE instance = nullptr;
    LONG id = 0;
    LONG userData = 0;
    std::vector<uint8_t> extra;   // window extra bytes (DWL_USER lives here)
    HBRUSH paintBrush = nullptr;  // owned, see MwSetWindowPaintBrush
    RECT update{0, 0, 0, 0};      // invalid part, client coordinates
    bool erase = false;
    bool destroying = false;
    std::unique_ptr<CControlData> data;
};

// Handle table and tree helpers.
CWindow* Find(HWND hwnd);
CWindowClass* FindClass(const std::string& name);
// Top-level windows, bottom to top.
std::vector<HWND>& TopLevels();
// The window's rectangle in screen coordinates.
RECT ScreenRect(const CWindow* w);
// What of the window's client area is visible on screen: its rectangle
// clipped by every ancestor, minus visible windows above it and minus its
// visible children.
CRegion VisibleRegion(const CWindow* w, bool excludeChildren = true);
bool IsShown(const CWindow* w);
// Every window in paint order (parents before children, bottom to top).
std::vector<HWND> PaintOrder();
// Invalidates whatever windows show inside the screen rectangle r.
void InvalidateScreen(const RECT& r);
void RegisterBuiltinClasses();
// Drops every window and class (at MwClose and between tests).
void ResetWindows();

}  // namespace VeltoTk
