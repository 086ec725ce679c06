#include "status/velto_UI_Ctrl_RecMode.h"

#include <stdio.h>

#include <string>

#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "status/velto_UI_Ctrl_common.h"

namespace {

constexpr long kReserveKiB = 2048;  // always kept free
constexpr long kPictureKiB = 280;
constexpr long kVideoSecondKiB = 700;
constexpr const char* kNoTime = "00:00:00";

long AvailableKiB() {
    long avail = Velto::GetFirstMMCAvailableSpace();
    if (avail < 0) {
        avail = Velto::GetUserNandAvailableSpace();  // no card
    }
    return avail;
}

}  // namespace

CVeltoUICtrlRecMode::CVeltoUICtrlRecMode(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                                         int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_RecMode(REC_MODE_VIDEO),
      m_pImgVideo(nullptr),
      m_pImgImg(nullptr),
      m_hImgStaticCtrl(nullptr),
      m_hTextStaticCtrl(nullptr),
      m_isStartRecord(false),
      m_tTimerRecord(0),
      m_tRecStart(0),
      m_hfStaticFont(nullptr),
      m_nAvailImageSpace(-1) {}

CVeltoUICtrlRecMode::~CVeltoUICtrlRecMode() {
    Deinit();
    printf("CVeltoUICtrlRecMode::~CVeltoUICtrlRecMode\n");
}

CVeltoUICtrlRecMode* CVeltoUICtrlRecMode::CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                    int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlRecMode(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoRecMode", registered, Velto::kOverlayBlack);
}

void CVeltoUICtrlRecMode::DestroyChildren() {
    if (m_hTextStaticCtrl) {
        DestroyWindow(m_hTextStaticCtrl);
        m_hTextStaticCtrl = nullptr;
    }
    if (m_hImgStaticCtrl) {
        DestroyWindow(m_hImgStaticCtrl);
        m_hImgStaticCtrl = nullptr;
    }
    if (m_hfStaticFont) {
        DeleteObject(m_hfStaticFont);
        m_hfStaticFont = nullptr;
    }
    Velto::UnloadImage(m_pImgVideo);
    m_pImgVideo = nullptr;
    Velto::UnloadImage(m_pImgImg);
    m_pImgImg = nullptr;
}

bool CVeltoUICtrlRecMode::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    DestroyChildren();
    m_pImgVideo = Velto::LoadImage("img/rec_video.gif");
    m_pImgImg = Velto::LoadImage("img/rec_img.gif");
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    int iw = (int)(cw * 0.56);
    m_hImgStaticCtrl =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, (cw - iw) / 2, 0, iw,
                       (int)(ch * 0.49), m_hHwnd, nullptr, m_hInstance, nullptr);
    SetIcon(m_RecMode == REC_MODE_IMAGE ? m_pImgImg : m_pImgVideo);
    int th = (int)(ch * 0.36);
    m_hTextStaticCtrl =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE, 0, (int)(ch * 0.64), cw, th + 3,
                       m_hHwnd, nullptr, m_hInstance, nullptr);
    m_hfStaticFont = CreateFont(th, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 700, "Arialb.ttf");
    SendMessage(m_hTextStaticCtrl, WM_SETFONT, (WPARAM)m_hfStaticFont, 0);
    SetText(kNoTime);
    return true;
}

void CVeltoUICtrlRecMode::Deinit() {
    StopRecord();
    DestroyChildren();
    CMWUIBase::Deinit();
}

LRESULT CVeltoUICtrlRecMode::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
        case WM_DESTROY:
            return 0;
        case WM_CTLCOLORSTATIC: {
            HWND child = (HWND)lParam;
            if (child == m_hTextStaticCtrl || child == m_hImgStaticCtrl) {
                return Velto::OverlayStaticColours((HDC)wParam, child, OPAQUE);
            }
            return DefWindowProc(hwnd, msg, wParam, lParam);
        }
        default:
            return Velto::OverlayControlProc(hwnd, msg, wParam, lParam, m_cBackgroundColor);
    }
}

void CVeltoUICtrlRecMode::SetIcon(PSD image) {
    if (m_hImgStaticCtrl &&
        (PSD)SendMessage(m_hImgStaticCtrl, STM_GETIMAGE, IMAGE_BITMAP, 0) != image) {
        SendMessage(m_hImgStaticCtrl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)image);
    }
}

void CVeltoUICtrlRecMode::SetText(const char* text) {
    if (m_hTextStaticCtrl) {
        SetWindowText(m_hTextStaticCtrl, text);
    }
}

void CVeltoUICtrlRecMode::SetCurMode(RecMode mode) {
    StopRecord();
    m_RecMode = mode;
    // The figure of the other mode is in another unit: show afresh.
    m_nAvailImageSpace = -1;
    if (mode == REC_MODE_IMAGE) {
        SetIcon(m_pImgImg);
        RefreshImageAvailableNumber();
    } else {
        SetIcon(m_pImgVideo);
        SetText(kNoTime);
    }
}

void CVeltoUICtrlRecMode::StartRecord() {
    if (m_isStartRecord) {
        StopRecord();
    }
    if (m_RecMode != REC_MODE_VIDEO || !m_hHwnd) {
        return;
    }
    m_tTimerRecord = (unsigned)SetTimer(m_hHwnd, TIMERID_RECORD_VIDEO, 1000, fnRecordTimer);
    if (m_tTimerRecord) {
        m_isStartRecord = true;
        m_tRecStart = Board().Time(nullptr);
        SetText(kNoTime);
    }
}

void CVeltoUICtrlRecMode::StopRecord() {
    if (m_tTimerRecord && m_hHwnd) {
        KillTimer(m_hHwnd, m_tTimerRecord);
    }
    m_tTimerRecord = 0;
    if (!m_isStartRecord) {
        return;
    }
    m_isStartRecord = false;
    // A blink may have left the icon hidden, and the elapsed time must not
    // pass for the time that still fits.
    Velto::ShowIfChanged(m_hImgStaticCtrl, true);
    SetText(kNoTime);
    m_nAvailImageSpace = -1;
}

void CVeltoUICtrlRecMode::fnRecordTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUICtrlRecMode*>(GetWindowLong(hwnd, 8));
    if (self) {
        self->OnRecordTick();
    }
}

void CVeltoUICtrlRecMode::OnRecordTick() {
    time_t elapsed = Board().Time(nullptr) - m_tRecStart;
    if (elapsed < 0) {
        elapsed = 0;  // the clock was set back
    }
    tm t{};
    gmtime_r(&elapsed, &t);
    char text[16];
    snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    SetText(text);
    if (m_hImgStaticCtrl) {
        bool shown = (GetWindowLong(m_hImgStaticCtrl, GWL_STYLE) & WS_VISIBLE) != 0;
        ShowWindow(m_hImgStaticCtrl, shown ? SW_HIDE : SW_SHOW);
    }
}

void CVeltoUICtrlRecMode::RefreshImageAvailableNumber() {
    if (!IsVisable()) {
        return;
    }
    long avail = AvailableKiB();
    if (m_RecMode == REC_MODE_IMAGE) {
        if (avail <= kReserveKiB) {
            SetText("0");
            m_nAvailImageSpace = -1;
            return;
        }
        int32_t n = (int32_t)((avail - kReserveKiB) / kPictureKiB);
        if (n != m_nAvailImageSpace) {
            m_nAvailImageSpace = n;
            std::string text = std::to_string(n);
            printf("Avail space %s\n", text.c_str());
            SetText(text.c_str());
        }
        return;
    }
    if (m_isStartRecord) {
        return;  // the record timer owns the text
    }
    if (avail <= kReserveKiB) {
        if (m_nAvailImageSpace != -1) {
            SetText(kNoTime);
            m_nAvailImageSpace = -1;
        }
        return;
    }
    int32_t s = (int32_t)(avail / kVideoSecondKiB);
    if (s != m_nAvailImageSpace) {
        m_nAvailImageSpace = s;
        long hh = s / 3600, mm = (s - hh * 3600) / 60, ss = (s - hh * 3600) % 60;
        char text[32];
        snprintf(text, sizeof text, "%02ld:%02ld:%02ld", hh, mm, ss);
        printf("Avail space %s\n", text);
        SetText(text);
    }
}
