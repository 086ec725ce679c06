#include "browser/velto_UI_Ctrl2LineExplorer.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "camera/color.h"
#include "media/velto_AVI_Reader.h"
#include "platform/velto_SC_utils.h"

namespace {

constexpr COLORREF kDarkRed = 0xFF000080u;
constexpr COLORREF kGrey = 0xFF808080u;
constexpr COLORREF kWhite = 0xFFFFFFFFu;
// The device records 320 x 240 and 640 x 480; a side of 2048 bounds one
// thumbnail at 16 MiB where a crafted header could ask for gigabytes.
constexpr int kMaxFrameSide = 2048;
constexpr long kMaxFrameBuffer = long(kMaxFrameSide) * kMaxFrameSide * 4;

struct Layout {
    int u;      // unit of the borders
    int pitch;  // cell width
    int rowH;   // height of a row's band
    int half;   // distance between the rows
    int picW, picH;
};

Layout LayoutOf(const RECT& rc) {
    Layout g;
    g.u = std::max(1, (int)(rc.bottom / 150));
    g.pitch = (rc.right - rc.left) / 3;
    g.half = rc.bottom / 2;
    g.rowH = g.half - g.u;
    g.picW = g.pitch - 6 * g.u;
    g.picH = g.rowH - 6 * g.u;
    return g;
}

}  // namespace

CVeltoUICtrl2LineExplorer::CVeltoUICtrl2LineExplorer(HINSTANCE hInstance, HWND hParent, int x,
                                                     int y, int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_nCurPos(-1),
      m_nCurLine(-1),
      m_bPicDrawed(false) {}

CVeltoUICtrl2LineExplorer::~CVeltoUICtrl2LineExplorer() {
    Deinit();
}

CVeltoUICtrl2LineExplorer* CVeltoUICtrl2LineExplorer::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                                int x, int y, int width,
                                                                int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrl2LineExplorer(hInstance, hParent, x, y, width, height),
                    hInstance, "Velto2LineExplorer", registered, 0xFF010101u);
}

bool CVeltoUICtrl2LineExplorer::Init() {
    return CMWUIBase::Init();
}

void CVeltoUICtrl2LineExplorer::FreePicList() {
    for (PSD& p : m_lPicList) {
        Velto::UnloadImage(p);
        p = nullptr;
    }
    m_lPicList.clear();
}

void CVeltoUICtrl2LineExplorer::Deinit() {
    FreePicList();
    m_nCurPos = -1;
    m_nCurLine = -1;
    CMWUIBase::Deinit();
}

void CVeltoUICtrl2LineExplorer::GetPictureSize(int& width, int& height) {
    RECT rc{0, 0, 0, 0};
    if (m_hHwnd) {
        GetClientRect(m_hHwnd, &rc);
    } else {
        rc = RECT{0, 0, m_curRect.right - m_curRect.left, m_curRect.bottom - m_curRect.top};
    }
    Layout g = LayoutOf(rc);
    width = g.picW;
    height = g.picH;
}

PSD CVeltoUICtrl2LineExplorer::GetVideoFirstFrame(const std::string& path) {
    CVeltoAVIReader reader;
    if (!reader.Open(path, Velto_PIX_FMT_YUYV422)) {
        return nullptr;
    }
    int w = reader.GetVideoWidth(), h = reader.GetVideoHeight();
    if (w < 2 || h < 1 || w > kMaxFrameSide || h > kMaxFrameSide) {
        printf("Error: %s: a frame of %d x %d is not shown\n", path.c_str(), w, h);
        return nullptr;
    }
    long frameBytes = long(w) * h * 2;  // one YUYV frame
    long rgbBytes = long(w) * h * 4;
    // The reader knows the largest chunk; a crafted index may claim more
    // than any frame of this size needs, and a bigger chunk is refused by the
    // sized read below rather than written past the buffer.
    long bufSize = std::min(std::max(reader.GetFrameBufferSize(), rgbBytes), kMaxFrameBuffer);
    char* frame = static_cast<char*>(malloc((size_t)bufSize));
    if (!frame) {
        printf("Error: %s: no memory for a frame\n", path.c_str());
        return nullptr;
    }
    int keyframe = 0;
    long len = reader.ReadFrame(frame, bufSize, keyframe);
    if (len < frameBytes) {
        printf("Error: %s: first frame unreadable (%ld of %ld bytes)\n", path.c_str(), len,
               frameBytes);
        free(frame);
        return nullptr;
    }
    unsigned char* rgb = static_cast<unsigned char*>(malloc((size_t)rgbBytes));
    if (!rgb || !initLut() ||
        Pyuv422torgb32(reinterpret_cast<unsigned char*>(frame), rgb, (unsigned)w, (unsigned)h) <
            0) {
        free(rgb);
        free(frame);
        return nullptr;
    }
    free(frame);
    // The pixmap takes the buffer over and frees it with itself.
    return Velto::GdCreatePixmapOwning(GdGetScreen(), w, h, MWIF_RGBA8888, rgb, (size_t)rgbBytes);
}

void CVeltoUICtrl2LineExplorer::InitPicList(std::list<std::string>& paths) {
    FreePicList();
    int picW = 0, picH = 0;
    GetPictureSize(picW, picH);
    for (const std::string& path : paths) {
        if ((int)m_lPicList.size() == kItemsPerPage) {
            break;
        }
        std::string ext = Velto::GetExtendFilename(path);
        Velto::StringToUpcase(ext);
        PSD image = nullptr;
        if (ext == "JPG") {
            image = GdLoadImageFromFileAtLeast(path.c_str(), picW, picH);
        } else if (ext == "AVI") {
            image = GetVideoFirstFrame(path);
        }
        m_lPicList.push_back(image);
    }
    m_nCurPos = m_lPicList.empty() ? -1 : 0;
    m_nCurLine = m_lPicList.empty() ? -1 : 0;
    m_bPicDrawed = false;
    if (m_hHwnd) {
        InvalidateRect(m_hHwnd, nullptr, TRUE);
    }
}

void CVeltoUICtrl2LineExplorer::SetCurPos(unsigned pos) {
    if (pos >= (unsigned)kItemsPerPage || pos >= m_lPicList.size()) {
        return;
    }
    m_nCurPos = (int)pos;
    m_nCurLine = 0;
    if (m_hHwnd) {
        InvalidateRect(m_hHwnd, nullptr, FALSE);
    }
}

void CVeltoUICtrl2LineExplorer::MoveH(bool left) {
    if (m_hHwnd) {
        SendMessage(m_hHwnd, WM_KEYDOWN, left ? VK_LEFT : VK_RIGHT, 0);
    }
}

void CVeltoUICtrl2LineExplorer::MoveV(bool up) {
    if (m_hHwnd) {
        SendMessage(m_hHwnd, WM_KEYDOWN, up ? VK_UP : VK_DOWN, 0);
    }
}

void CVeltoUICtrl2LineExplorer::Refresh() {
    m_bPicDrawed = false;
    if (m_hHwnd) {
        InvalidateRect(m_hHwnd, nullptr, TRUE);
    }
}

void CVeltoUICtrl2LineExplorer::OnKey(WPARAM key) {
    int n = (int)m_lPicList.size();
    if (n == 0 || m_nCurPos < 0) {
        return;
    }
    int pos = m_nCurPos;
    switch (key) {
        case VK_LEFT:
            pos = pos == 0 ? n - 1 : pos - 1;
            break;
        case VK_RIGHT:
            pos = pos >= n - 1 ? 0 : pos + 1;
            break;
        case VK_UP:
            if (pos >= kItemsPerRow) {
                pos -= kItemsPerRow;
            }
            break;
        case VK_DOWN:
            // Never onto a cell without an item.
            pos = pos >= kItemsPerRow ? pos - kItemsPerRow : std::min(pos + kItemsPerRow, n - 1);
            break;
        default:
            return;
    }
    m_nCurPos = pos;
    InvalidateRect(m_hHwnd, nullptr, FALSE);
}

void CVeltoUICtrl2LineExplorer::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    Layout g = LayoutOf(rc);
    bool first = !m_bPicDrawed;
    if (first) {
        for (int row = 0; row < 2; ++row) {
            RECT band{rc.left, row * g.half, rc.right, row * g.half + g.rowH};
            FastFillRect(hdc, &band, kDarkRed);
        }
    }
    HPEN white = CreatePen(PS_SOLID, 1, kWhite);
    HPEN grey = CreatePen(PS_SOLID, 1, kGrey);
    HGDIOBJ oldPen = SelectObject(hdc, grey);
    for (int i = 0; i < (int)m_lPicList.size(); ++i) {
        int x = rc.left + (i % kItemsPerRow) * g.pitch + g.u;
        int y = rc.top + (i / kItemsPerRow) * g.half + g.u;
        int w = g.picW + 4 * g.u, h = g.picH + 4 * g.u;
        SelectObject(hdc, i == m_nCurPos ? white : grey);
        for (int k = 0; k < 2 * g.u; ++k) {
            POINT box[5] = {{x + k, y + k},
                            {x + w - 1 - k, y + k},
                            {x + w - 1 - k, y + h - 1 - k},
                            {x + k, y + h - 1 - k},
                            {x + k, y + k}};
            Polyline(hdc, box, 5);
        }
        if (first) {
            DrawDIBFit(hdc, x + 2 * g.u, y + 2 * g.u, g.picW, g.picH, m_lPicList[i]);
        }
    }
    SelectObject(hdc, oldPen);
    DeleteObject(white);
    DeleteObject(grey);
    m_bPicDrawed = true;
    EndPaint(hwnd, &ps);
}

LRESULT CVeltoUICtrl2LineExplorer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            if (m_bPicDrawed) {
                return 1;  // keeps the thumbnails; only the frames change
            }
            {
                RECT rc;
                GetClientRect(hwnd, &rc);
                FastFillRect((HDC)wParam, &rc, m_cBackgroundColor);
            }
            return 1;
        case WM_KEYDOWN:
            OnKey(wParam);
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
