// Text layout and drawing in the DC's font and colours.
#include <string.h>

#include <algorithm>

#include "toolkit/tk_font.h"
#include "toolkit/tk_gdi.h"
#include "toolkit/tk_surface.h"

using namespace VeltoTk;

namespace {

std::shared_ptr<CFontFace> FaceOf(CDc* dc) {
    CGdiObject* f = FindObject(dc->font);
    return (f && f->kind == ObjKind::Font) ? f->face : nullptr;
}

typedef std::vector<uint32_t> Line;

// Breaks at newlines and, with wrap, between words so that each line fits
// width; a word longer than a line is cut between characters.
std::vector<Line> Layout(CFontFace* face, const Line& text, int width, bool wrap, bool single) {
    std::vector<Line> lines(1);
    for (uint32_t cp : text) {
        if (cp == '\r') {
            continue;
        }
        if (cp == '\n') {
            if (!single) {
                lines.emplace_back();
            }
            continue;
        }
        lines.back().push_back(cp);
    }
    if (!wrap || single || !face || width <= 0) {
        return lines;
    }
    std::vector<Line> out;
    for (const Line& l : lines) {
        Line cur;
        int curW = 0;
        size_t i = 0;
        if (l.empty()) {
            out.push_back(cur);
            continue;
        }
        while (i < l.size()) {
            size_t j = i;
            while (j < l.size() && l[j] != ' ') {
                ++j;
            }
            Line word(l.begin() + (ptrdiff_t)i, l.begin() + (ptrdiff_t)j);
            int ww = face->TextWidth(word);
            int space = cur.empty() ? 0 : face->Glyph(' ').advance;
            if (!cur.empty() && curW + space + ww > width) {
                out.push_back(cur);
                cur.clear();
                curW = 0;
                space = 0;
            }
            if (cur.empty() && ww > width) {
                for (uint32_t cp : word) {
                    int cw = face->Glyph(cp).advance;
                    if (!cur.empty() && curW + cw > width) {
                        out.push_back(cur);
                        cur.clear();
                        curW = 0;
                    }
                    cur.push_back(cp);
                    curW += cw;
                }
            } else {
                if (space) {
                    cur.push_back(' ');
                }
                cur.insert(cur.end(), word.begin(), word.end());
                curW += space + ww;
            }
            i = j;
            while (i < l.size() && l[i] == ' ') {
                ++i;
            }
        }
        out.push_back(cur);
    }
    return out;
}

void DrawLine(CDc* dc, CFontFace* face, const CRegion& clip, int x, int y, const Line& line) {
    int w = face->TextWidth(line);
    if (dc->bkMode == OPAQUE && w > 0) {
        FillRect32(dc->psd, clip, MakeRect(x, y, w, face->LineHeight()), ColorToPixel(dc->bkColor));
    }
    face->Draw(dc->psd, clip, x, y, line, ColorToPixel(dc->textColor));
}

}  // namespace

int DrawText(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format) {
    CDc* dc = FindDc(hdc);
    if (!dc || !rc || !text) {
        return 0;
    }
    auto face = FaceOf(dc);
    if (!face) {
        return 0;
    }
    bool single = (format & DT_SINGLELINE) != 0;
    std::vector<Line> lines = Layout(face.get(), DecodeText(text, count), rc->right - rc->left,
                                     (format & DT_WORDBREAK) != 0, single);
    int lh = face->LineHeight();
    int total = lh * (int)lines.size();
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& l : lines) {
            widest = std::max(widest, face->TextWidth(l));
        }
        rc->right = rc->left + widest;
        rc->bottom = rc->top + total;
        return total;
    }
    int y = rc->top;
    if (single && (format & DT_VCENTER)) {
        y = rc->top + (rc->bottom - rc->top - lh) / 2;
    } else if (single && (format & DT_BOTTOM)) {
        y = rc->bottom - lh;
    }
    CRegion clip = dc->clip;
    if (!(format & DT_NOCLIP) && dc->psd) {
        clip.Intersect(RectOffset(*rc, dc->origin.x, dc->origin.y));
    }
    if (!dc->psd || !dc->psd->addr) {
        return total;
    }
    for (const Line& l : lines) {
        int w = face->TextWidth(l);
        int x = rc->left;
        if (format & DT_CENTER) {
            x = rc->left + (rc->right - rc->left - w) / 2;
        } else if (format & DT_RIGHT) {
            x = rc->right - w;
        }
        DrawLine(dc, face.get(), clip, x + dc->origin.x, y + dc->origin.y, l);
        y += lh;
    }
    return total;
}

int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format) {
    return DrawText(hdc, text, count, rc, format);
}

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count) {
    CDc* dc = FindDc(hdc);
    if (!dc || !text || !dc->psd || !dc->psd->addr) {
        return FALSE;
    }
    auto face = FaceOf(dc);
    if (!face) {
        return FALSE;
    }
    DrawLine(dc, face.get(), dc->clip, x + dc->origin.x, y + dc->origin.y, DecodeText(text, count));
    return TRUE;
}

BOOL GetTextExtentPoint(HDC hdc, LPCSTR text, int count, SIZE* size) {
    int w = 0, h = 0, b = 0;
    if (!size || !FindDc(hdc)) {
        return FALSE;
    }
    GdGetTextSize(hdc, text, count, &w, &h, &b);
    size->cx = w;
    size->cy = h;
    return TRUE;
}

void GdGetTextSize(HDC hdc, const void* text, int count, int* width, int* height, int* base) {
    int w = 0, h = 0, b = 0;
    CDc* dc = FindDc(hdc);
    auto face = dc ? FaceOf(dc) : nullptr;
    if (face) {
        w = face->TextWidth(DecodeText(static_cast<const char*>(text), count));
        h = face->LineHeight();
        b = face->Ascent();
    }
    if (width) {
        *width = w;
    }
    if (height) {
        *height = h;
    }
    if (base) {
        *base = b;
    }
}

int LoadString(HINSTANCE, UINT, LPSTR buffer, int bufferMax) {
    if (buffer && bufferMax > 0) {
        buffer[0] = 0;
    }
    return 0;
}
