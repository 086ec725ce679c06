// The built-in "LISTBOX" class: one column of rows, optionally with icons
// (LBS_USEICON and LISTBOXITEMINFO items), a settable row height, a single
// selection moved by the arrow keys, and LBN_SELCHANGE for LBS_NOTIFY.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/tk_control.h"
#include "toolkit/tk_font.h"
#include "toolkit/tk_gdi.h"

namespace VeltoTk {

struct CListItem {
    std::string text;
    PSD icon = nullptr;  // borrowed
    LPARAM data = 0;
};

class CListData : public CControlData {
public:
    std::vector<CListItem> items;
    int sel = LB_ERR;
    int top = 0;
    int itemHeight = 0;  // 0: from the font
};

static CListData* ListData(HWND hwnd) {
    return ControlData<CListData>(hwnd);
}

static int ItemHeight(HWND hwnd) {
    CListData* d = ListData(hwnd);
    if (d->itemHeight > 0) {
        return d->itemHeight;
    }
    CGdiObject* f = FindObject(Find(hwnd)->font);
    int h = (f && f->face) ? f->face->LineHeight() : 16;
    return h + 2;
}

static int VisibleRows(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    return std::max(1, (int)(rc.bottom / ItemHeight(hwnd)));
}

static void EnsureVisible(HWND hwnd) {
    CListData* d = ListData(hwnd);
    if (d->sel < 0) {
        return;
    }
    int rows = VisibleRows(hwnd);
    if (d->sel < d->top) {
        d->top = d->sel;
    } else if (d->sel >= d->top + rows) {
        d->top = d->sel - rows + 1;
    }
}

static void Notify(HWND hwnd, WORD code) {
    CWindow* w = Find(hwnd);
    if (w && (w->style & LBS_NOTIFY)) {
        SendMessage(GetParent(hwnd), WM_COMMAND, MAKEWPARAM((WORD)w->id, code), (LPARAM)hwnd);
    }
}

static void PaintList(HWND hwnd) {
    PaintControl(hwnd, [hwnd](HDC hdc, RECT& rc) {
        CWindow* w = Find(hwnd);
        CListData* d = ListData(hwnd);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
        SetBkMode(hdc, TRANSPARENT);
        const bool icons = (w->style & LBS_USEICON) != 0;
        int ih = ItemHeight(hwnd);
        int y = 0;
        for (int i = d->top; i < (int)d->items.size() && y < rc.bottom; ++i, y += ih) {
            const CListItem& it = d->items[(size_t)i];
            RECT row{0, y, rc.right, y + ih};
            bool selected = i == d->sel;
            if (selected) {
                FillRect(hdc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            int x = 4;
            if (icons) {
                int side = std::max(0, ih - 6);
                if (it.icon && side > 0) {
                    // Keep the icon's shape inside a square of the row height.
                    int iw = side, ihh = side;
                    if (it.icon->xres > it.icon->yres) {
                        ihh = side * it.icon->yres / it.icon->xres;
                    } else if (it.icon->yres > it.icon->xres) {
                        iw = side * it.icon->xres / it.icon->yres;
                    }
                    DrawDIBFit(hdc, x + (side - iw) / 2, y + (ih - ihh) / 2, iw, ihh, it.icon);
                }
                x += side + 8;
            }
            SetTextColor(hdc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            RECT text{x, y, rc.right - 2, y + ih};
            DrawText(hdc, it.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }
    });
}

static LRESULT SetSel(HWND hwnd, int index) {
    CListData* d = ListData(hwnd);
    if (index < 0 || index >= (int)d->items.size()) {
        d->sel = LB_ERR;
        InvalidateRect(hwnd, nullptr, TRUE);
        return LB_ERR;
    }
    d->sel = index;
    EnsureVisible(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    return index;
}

static LRESULT Insert(HWND hwnd, int index, LPARAM lParam) {
    CWindow* w = Find(hwnd);
    CListData* d = ListData(hwnd);
    CListItem item;
    if (w->style & LBS_USEICON) {
        const LISTBOXITEMINFO* info = reinterpret_cast<const LISTBOXITEMINFO*>(lParam);
        if (!info) {
            return LB_ERR;
        }
        item.text = info->string ? info->string : "";
        item.icon = info->hIcon;
    } else {
        const char* s = reinterpret_cast<const char*>(lParam);
        item.text = s ? s : "";
    }
    if (index < 0 || index > (int)d->items.size()) {
        index = (int)d->items.size();
    }
    d->items.insert(d->items.begin() + index, item);
    if (d->sel >= index) {
        ++d->sel;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return index;
}

static LRESULT KeyDown(HWND hwnd, WPARAM vk) {
    CListData* d = ListData(hwnd);
    int n = (int)d->items.size();
    if (n == 0) {
        return 0;
    }
    int sel = d->sel;
    switch (vk) {
        case VK_UP:
        case VK_LEFT:
            sel = sel < 0 ? 0 : std::max(0, sel - 1);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            sel = sel < 0 ? 0 : std::min(n - 1, sel + 1);
            break;
        default:
            return 0;
    }
    if (sel != d->sel) {
        SetSel(hwnd, sel);
        Notify(hwnd, LBN_SELCHANGE);
    }
    return 0;
}

static LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CListData* d = ListData(hwnd);
    if (!d) {
        return 0;
    }
    int n = (int)d->items.size();
    int idx = (int)(intptr_t)wParam;
    switch (msg) {
        case WM_PAINT:
            PaintList(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFONT:
            Find(hwnd)->font = (HFONT)wParam;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_KEYDOWN:
            return KeyDown(hwnd, wParam);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case LB_ADDSTRING:
            return Insert(hwnd, -1, lParam);
        case LB_INSERTSTRING:
            return Insert(hwnd, idx, lParam);
        case LB_DELETESTRING:
            if (idx < 0 || idx >= n) {
                return LB_ERR;
            }
            d->items.erase(d->items.begin() + idx);
            if (d->sel == idx) {
                d->sel = LB_ERR;
            } else if (d->sel > idx) {
                --d->sel;
            }
            d->top = std::min(d->top, std::max(0, (int)d->items.size() - 1));
            InvalidateRect(hwnd, nullptr, TRUE);
            return (LRESULT)d->items.size();
        case LB_RESETCONTENT:
            d->items.clear();
            d->sel = LB_ERR;
            d->top = 0;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case LB_SETCURSEL:
            return SetSel(hwnd, idx);
        case LB_GETCURSEL:
            return d->sel;
        case LB_GETCOUNT:
            return n;
        case LB_GETTEXT: {
            char* buf = reinterpret_cast<char*>(lParam);
            if (idx < 0 || idx >= n || !buf) {
                return LB_ERR;
            }
            const std::string& t = d->items[(size_t)idx].text;
            memcpy(buf, t.c_str(), t.size() + 1);
            return (LRESULT)t.size();
        }
        case LB_GETTEXTLEN:
            return (idx < 0 || idx >= n) ? LB_ERR : (LRESULT)d->items[(size_t)idx].text.size();
        case LB_GETITEMDATA:
            return (idx < 0 || idx >= n) ? LB_ERR : d->items[(size_t)idx].data;
        case LB_SETITEMDATA:
            if (idx < 0 || idx >= n) {
                return LB_ERR;
            }
            d->items[(size_t)idx].data = lParam;
            return LB_OKAY;
        case LB_SETITEMHEIGHT:
            if (lParam < 1 || lParam > 1024) {
                return LB_ERR;
            }
            d->itemHeight = (int)lParam;
            EnsureVisible(hwnd);
            InvalidateRect(hwnd, nullptr, TRUE);
            return LB_OKAY;
        case LB_GETITEMHEIGHT:
            return ItemHeight(hwnd);
        case LB_GETTOPINDEX:
            return d->top;
        case LB_SETTOPINDEX:
            if (idx < 0 || idx >= std::max(n, 1)) {
                return LB_ERR;
            }
            d->top = idx;
            InvalidateRect(hwnd, nullptr, TRUE);
            return LB_OKAY;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

void RegisterListBoxClass() {
    RegisterBuiltinControl("LISTBOX", ListProc);
}

}  // namespace VeltoTk
