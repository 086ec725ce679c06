// GDI objects (brushes, pens, fonts) and device contexts. Objects live in a
// table keyed by small handle numbers, so a handle survives being passed
// through an int and a deleted or stale one is simply not found.
#pragma once

#include <memory>

#include "toolkit/tk_region.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

class CFontFace;

enum class ObjKind { Brush, Pen, Font };

struct CGdiObject {
    ObjKind kind;
    bool stock = false;
    COLORREF color = 0xFF000000u;
    bool null = false;                // NULL_BRUSH / PS_NULL
    int width = 1;                    // pens
    std::shared_ptr<CFontFace> face;  // fonts
    int height = 0;
    bool bold = false;
};

CGdiObject* FindObject(HGDIOBJ h);
// Brush handles 1..31 are system colours + 1.
bool BrushColor(HBRUSH h, COLORREF* color);
bool IsStock(HGDIOBJ h);
// Deletes every non-stock object (between tests).
void ResetObjects();

struct CDc {
    HWND hwnd = nullptr;
    PSD psd = nullptr;   // drawing target (the screen)
    POINT origin{0, 0};  // screen position of client (0, 0)
    CRegion clip;        // screen coordinates
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = 0xFF000000u;
    COLORREF bkColor = 0xFFFFFFFFu;
    int bkMode = OPAQUE;
    POINT pos{0, 0};
};

CDc* FindDc(HDC hdc);
// A DC for the window's client area clipped to clip (screen coordinates).
HDC NewDc(HWND hwnd, const CRegion& clip);
void FreeDc(HDC hdc);

}  // namespace VeltoTk
