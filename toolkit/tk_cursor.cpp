// The pointer cursor (used as the busy indicator) and the edit caret, both
// drawn over the composed screen rather than into any window.
#include "toolkit/tk_gdi.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

// The arrow pointer: '#' outline, '.' fill.
static const char* const kArrow[] = {
    "#",        "##",       "#.#",       "#..#",       "#...#",       "#....#",
    "#.....#",  "#......#", "#.......#", "#........#", "#.....#####", "#..#..#",
    "#.# #..#", "##  #..#", "#    #..#", "      ##",
};
constexpr int kArrowW = 11;
constexpr int kArrowH = 16;

static RECT CursorRect() {
    POINT p = Tk().cursor;
    return RECT{p.x, p.y, p.x + kArrowW, p.y + kArrowH};
}

static RECT CaretScreenRect() {
    CToolkit& tk = Tk();
    CWindow* w = Find(tk.caretOwner);
    if (!w) {
        return RECT{0, 0, 0, 0};
    }
    RECT sr = ScreenRect(w);
    return RectIntersect(RectOffset(tk.caret, sr.left, sr.top), sr);
}

void DrawCursorAndCaret(uint32_t* out, int w, int h) {
    CToolkit& tk = Tk();
    if (tk.caretShown && IsWindowVisible(tk.caretOwner)) {
        RECT c = RectIntersect(CaretScreenRect(), RECT{0, 0, w, h});
        for (int y = c.top; y < c.bottom; ++y) {
            for (int x = c.left; x < c.right; ++x) {
                out[(size_t)y * w + x] ^= 0x00FFFFFFu;
            }
        }
    }
    if (!tk.cursorShown) {
        return;
    }
    for (int y = 0; y < kArrowH; ++y) {
        for (int x = 0; kArrow[y][x]; ++x) {
            char c = kArrow[y][x];
            int px = tk.cursor.x + x, py = tk.cursor.y + y;
            if (c == ' ' || px < 0 || py < 0 || px >= w || py >= h) {
                continue;
            }
            out[(size_t)py * w + px] = c == '#' ? 0xFF000000u : 0xFFFFFFFFu;
        }
    }
}

void ForgetCaret(HWND hwnd) {
    CToolkit& tk = Tk();
    if (tk.caretOwner == hwnd) {
        MarkDirty(CaretScreenRect());
        tk.caretOwner = nullptr;
        tk.caretShown = false;
    }
}

}  // namespace VeltoTk

using namespace VeltoTk;

int GdShowCursor(PSD) {
    CToolkit& tk = Tk();
    tk.cursorShown = true;
    MarkDirty(CursorRect());
    return 1;
}

int GdHideCursor(PSD) {
    CToolkit& tk = Tk();
    if (tk.cursorShown) {
        MarkDirty(CursorRect());
    }
    tk.cursorShown = false;
    return 1;
}

void MwMoveCursor(int x, int y) {
    CToolkit& tk = Tk();
    if (tk.cursorShown) {
        MarkDirty(CursorRect());
    }
    tk.cursor = POINT{x, y};
    if (tk.cursorShown) {
        MarkDirty(CursorRect());
    }
}

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    CToolkit& tk = Tk();
    ForgetCaret(tk.caretOwner);
    tk.caretOwner = hwnd;
    tk.caret = RECT{0, 0, width < 1 ? 1 : width, height < 1 ? 1 : height};
    tk.caretShown = false;
    return TRUE;
}

BOOL DestroyCaret() {
    CToolkit& tk = Tk();
    if (!tk.caretOwner) {
        return FALSE;
    }
    ForgetCaret(tk.caretOwner);
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    CToolkit& tk = Tk();
    if (!tk.caretOwner || (hwnd && hwnd != tk.caretOwner)) {
        return FALSE;
    }
    tk.caretShown = true;
    MarkDirty(CaretScreenRect());
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    CToolkit& tk = Tk();
    if (!tk.caretOwner || (hwnd && hwnd != tk.caretOwner)) {
        return FALSE;
    }
    MarkDirty(CaretScreenRect());
    tk.caretShown = false;
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    CToolkit& tk = Tk();
    if (!tk.caretOwner) {
        return FALSE;
    }
    MarkDirty(CaretScreenRect());
    int w = tk.caret.right - tk.caret.left, h = tk.caret.bottom - tk.caret.top;
    tk.caret = RECT{x, y, x + w, y + h};
    MarkDirty(CaretScreenRect());
    return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
    CToolkit& tk = Tk();
    if (!pt || !tk.caretOwner) {
        return FALSE;
    }
    *pt = POINT{tk.caret.left, tk.caret.top};
    return TRUE;
}

UINT GetCaretBlinkTime() {
    return Tk().caretBlink;
}

BOOL SetCaretBlinkTime(UINT ms) {
    Tk().caretBlink = ms;
    return TRUE;
}
