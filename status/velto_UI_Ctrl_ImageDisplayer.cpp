#include "status/velto_UI_Ctrl_ImageDisplayer.h"

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"

CVeltoUICtrlImageDisplayer::CVeltoUICtrlImageDisplayer(HINSTANCE hInstance, HWND hParent,
                                                       DWORD style, int x, int y, int width,
                                                       int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_hImgStaticCtrl(nullptr),
      m_pImgCtrl(nullptr),
      m_dwStyle(style) {}

CVeltoUICtrlImageDisplayer::~CVeltoUICtrlImageDisplayer() {
    Deinit();
}

CVeltoUICtrlImageDisplayer* CVeltoUICtrlImageDisplayer::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                                  DWORD style, int x, int y,
                                                                  int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlImageDisplayer(hInstance, hParent, style, x, y, width, height),
                    hInstance, "VeltoImageDisplayer", registered, Velto::kOverlayBlack);
}

bool CVeltoUICtrlImageDisplayer::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    // Always inside the control, whatever extra style was asked for.
    m_hImgStaticCtrl =
        CreateWindowEx(0, "STATIC", "cs", m_dwStyle | WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0,
                       rc.right, rc.bottom, m_hHwnd, nullptr, m_hInstance, nullptr);
    return m_hImgStaticCtrl != nullptr;
}

void CVeltoUICtrlImageDisplayer::Deinit() {
    if (m_hImgStaticCtrl) {
        DestroyWindow(m_hImgStaticCtrl);
        m_hImgStaticCtrl = nullptr;
    }
    Velto::UnloadImage(m_pImgCtrl);
    m_pImgCtrl = nullptr;
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlImageDisplayer::SetNewImagePath(std::string path) {
    m_strFilename = path;
    // The child only borrows the picture: take it away before freeing it,
    // so a failed load leaves an empty child rather than a dangling one.
    if (m_hImgStaticCtrl) {
        SendMessage(m_hImgStaticCtrl, STM_SETIMAGE, IMAGE_BITMAP, 0);
    }
    Velto::UnloadImage(m_pImgCtrl);
    m_pImgCtrl = Velto::LoadImage(path);
    if (!m_pImgCtrl) {
        return false;
    }
    if (m_hImgStaticCtrl) {
        SendMessage(m_hImgStaticCtrl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pImgCtrl);
    }
    return true;
}

bool CVeltoUICtrlImageDisplayer::SetImageSize(UINT width, UINT height) {
    return m_hImgStaticCtrl && MoveWindow(m_hImgStaticCtrl, 0, 0, (int)width, (int)height, TRUE);
}

LRESULT CVeltoUICtrlImageDisplayer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORSTATIC: {
            HBRUSH brush = CreateSolidBrush(Velto::kOverlayBlack);
            MwSetWindowPaintBrush((HWND)lParam, brush);
            return (LRESULT)brush;
        }
        default:
            return Velto::OverlayControlProc(hwnd, msg, wParam, lParam, m_cBackgroundColor);
    }
}
