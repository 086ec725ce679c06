#include "browser/velto_UI_DlgMediaPlayer.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <iterator>
#include <new>

#include "app/velto_SC_Debug.h"
#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "browser/velto_UI_CtrlPlayStatusIcon.h"
#include "browser/velto_media_files.h"
#include "camera/color.h"
#include "camera/v4l2_MXSPXPCtrl.h"
#include "media/velto_AVI_Reader.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "status/velto_scrlbar1.h"

namespace {

constexpr WORD kDialogId = 103;
// What DoModel answers when F1 closed the player.
constexpr INT_PTR kClosedByF1 = 6;
constexpr COLORREF kWhite = 0xFFFFFFFFu;
constexpr COLORREF kOverlay = 0xFF010101u;
constexpr UINT kVideoTickMs = 40;
constexpr UINT kOpenDelayMs = 200;
constexpr double kDefaultFps = 25.0;
// The PXP shows frames of the camera's size; playback starts it so.
constexpr unsigned kPxpWidth = 320;
constexpr unsigned kPxpHeight = 240;

void FillClient(HDC hdc, const RECT& rc) {
    RECT r = rc;
    FastFillRect(hdc, &r, kOverlay);
}

}  // namespace

CVeltoUIDlgMediaPlayer::CVeltoUIDlgMediaPlayer(HINSTANCE hInst, HWND hParent)
    : m_hInst(hInst),
      m_hParent(hParent),
      m_hHwnd(nullptr),
      m_pImage(nullptr),
      m_bIsImage(false),
      m_bIsVideoPlaying(false),
      m_pAVIReader(nullptr),
      m_iTimerVideoPlay(0),
      m_pVideoBuffer(nullptr),
      m_pConverBuffer(nullptr),
      m_hProgBar(nullptr),
      m_pVideoPlayIconImg(nullptr),
      m_pPlayStatusIcon(nullptr),
      m_hfIndexFont(nullptr),
      m_hImageDispStatic(nullptr),
      m_nImgPos(-1),
      m_bHaveConvData(false),
      m_hfPlayTimeFont(nullptr),
      m_last_t(0),
      m_start_t(0),
      m_tvVideoStart_tval{0, 0},
      m_tvVideoPause_tval{0, 0},
      m_tvVideoInterval_tval{0, 0},
      m_tTimerStateMachine(0),
      m_nFrameBufferSize(0),
      m_nVideoFrameBytes(0) {
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
}

CVeltoUIDlgMediaPlayer* CVeltoUIDlgMediaPlayer::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new (std::nothrow) CVeltoUIDlgMediaPlayer(hInst, hParent);
}

CVeltoUIDlgMediaPlayer::~CVeltoUIDlgMediaPlayer() {
    DestoryDialog();
    Velto::UnloadImage(m_pImage);
    m_pImage = nullptr;
    Velto::ReleaseVMCache(Velto::K_CACHE_ALL);
    printf("CVeltoUIDlgMediaPlayer::~CVeltoUIDlgMediaPlayer\n");
}

void CVeltoUIDlgMediaPlayer::SetFilename(const std::string& path) {
    m_strFilename = path;
    std::string ext = Velto::GetExtendFilename(path);
    Velto::StringToUpcase(ext);
    if (ext == "AVI") {
        m_bIsImage = false;
    } else if (ext == "JPG") {
        m_bIsImage = true;
    } else {
        return;
    }
    m_strCurPath = Velto::TrimDIR(Velto::GetParentDIR(path));
    m_strCurImageFilename = Velto::Basename(path);
    InitJPGFileList(m_strCurPath);
}

int CVeltoUIDlgMediaPlayer::DoModel() {
    if (!m_hInst) {
        return -1;
    }
    return (int)DialogBoxParam(m_hInst, (LPCSTR)(uintptr_t)(0xFFFF0000u | kDialogId), m_hParent,
                               mainDlgProc, (LPARAM)this);
}

// ---- Files ----------------------------------------------------------------

bool CVeltoUIDlgMediaPlayer::InitJPGFileList(const std::string& dir) {
    return VeltoListMediaFiles(dir, m_bIsImage, m_lJPGFileList);
}

int CVeltoUIDlgMediaPlayer::GetFilePostionInList(const std::string& name) {
    int i = 0;
    for (const std::string& n : m_lJPGFileList) {
        if (n == name) {
            return i;
        }
        ++i;
    }
    return -1;
}

bool CVeltoUIDlgMediaPlayer::SelectPos(int i) {
    if (m_lJPGFileList.empty()) {
        return false;
    }
    i = std::max(0, std::min(i, ListSize() - 1));
    m_nImgPos = i;
    auto it = m_lJPGFileList.begin();
    std::advance(it, i);
    m_strCurImageFilename = *it;
    m_strFilename = m_strCurPath + "/" + m_strCurImageFilename;
    return true;
}

// ---- Start-up and teardown --------------------------------------------------

void CVeltoUIDlgMediaPlayer::InitDialog() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hHwnd, &rc);
    const int W = rc.right, H = rc.bottom;
    if (m_bIsImage) {
        m_hfIndexFont = CreateFont(H / 12, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 700, "Arialb.ttf");
        DisplayPosImage(GetFilePostionInList(m_strCurImageFilename));
        return;
    }
    Velto::ShowFunnel(true);
    // The program registers the slider class at start; registering here too
    // keeps the player whole wherever it is opened from.
    MwRegisterVeltoScrollbar1Control(m_hInst);
    const int sw = W / 2, sh = H * 14 / 240;
    m_hProgBar =
        CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, (W - sw) / 2,
                       (int)((H - sh) - 0.4 * sh), sw, sh, m_hHwnd, nullptr, m_hInst, nullptr);
    m_pVideoPlayIconImg = Velto::LoadImage("img/playnav.gif");
    const int iw = W * 14 / 320, ih = H * 14 / 240;
    m_pPlayStatusIcon =
        CVeltoUICtrlPlayStatusIcon::CreateNew(m_hInst, m_hHwnd, (W - iw) / 2, H * 14 / 720, iw, ih);
    m_hfIndexFont = CreateFont(H / 12, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 700, "Arialb.ttf");
    m_hfPlayTimeFont = CreateFont(H / 16, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 700, "Arialb.ttf");
    PlayPosVideo(GetFilePostionInList(m_strCurImageFilename));
    Velto::ShowFunnel(false);
}

void CVeltoUIDlgMediaPlayer::InitImageDispStatic() {
    if (m_hImageDispStatic || !m_hHwnd) {
        return;
    }
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    m_hImageDispStatic = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0,
                                        rc.right, rc.bottom, m_hHwnd, nullptr, m_hInst, nullptr);
}

void CVeltoUIDlgMediaPlayer::DestoryDialog() {
    if (m_hHwnd) {
        if (m_iTimerVideoPlay) {
            KillTimer(m_hHwnd, m_iTimerVideoPlay);
            // Closed while playing: the live view must not stay covered.
            CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
            if (pxp.IsOpened()) {
                pxp.ChangeToPXP(false);
            }
        }
        if (m_tTimerStateMachine) {
            KillTimer(m_hHwnd, m_tTimerStateMachine);
        }
    }
    m_iTimerVideoPlay = 0;
    m_tTimerStateMachine = 0;
    if (m_hImageDispStatic) {
        DestroyWindow(m_hImageDispStatic);
        m_hImageDispStatic = nullptr;
    }
    delete m_pPlayStatusIcon;
    m_pPlayStatusIcon = nullptr;
    Velto::UnloadImage(m_pVideoPlayIconImg);
    m_pVideoPlayIconImg = nullptr;
    if (m_hProgBar) {
        DestroyWindow(m_hProgBar);
        m_hProgBar = nullptr;
    }
    ReleaseReader();
    if (m_hfPlayTimeFont) {
        DeleteObject(m_hfPlayTimeFont);
        m_hfPlayTimeFont = nullptr;
    }
    if (m_hfIndexFont) {
        DeleteObject(m_hfIndexFont);
        m_hfIndexFont = nullptr;
    }
    if (m_hHwnd) {
        SetWindowLong(m_hHwnd, DWL_USER, 0);
        m_hHwnd = nullptr;
    }
}

void CVeltoUIDlgMediaPlayer::ReleaseReader() {
    delete m_pAVIReader;
    m_pAVIReader = nullptr;
    free(m_pVideoBuffer);
    m_pVideoBuffer = nullptr;
    free(m_pConverBuffer);
    m_pConverBuffer = nullptr;
    m_nFrameBufferSize = 0;
    m_nVideoFrameBytes = 0;
    m_bHaveConvData = false;
}

void CVeltoUIDlgMediaPlayer::Repaint() {
    if (m_hHwnd) {
        SendMessage(m_hHwnd, WM_PAINT, 0, 0);
    }
}

// ---- Photos ---------------------------------------------------------------

void CVeltoUIDlgMediaPlayer::DisplayPosImage(int i) {
    if (SelectPos(i)) {
        RenewDispImage();
    }
}

void CVeltoUIDlgMediaPlayer::RenewDispImage() {
    Velto::UnloadImage(m_pImage);
    m_pImage = Velto::LoadImage(m_strFilename);
    if (!m_pImage) {
        printf("Error: can't show the picture %s\n", m_strFilename.c_str());
    }
    Repaint();
}

void CVeltoUIDlgMediaPlayer::ScollJPGImage(bool up) {
    int n = ListSize();
    if (n == 0) {
        return;
    }
    int i =
        up ? (m_nImgPos <= 0 ? n - 1 : m_nImgPos - 1) : (m_nImgPos >= n - 1 ? 0 : m_nImgPos + 1);
    DisplayPosImage(i);
}

// ---- Videos ---------------------------------------------------------------

void CVeltoUIDlgMediaPlayer::PlayPosVideo(int i) {
    if (!SelectPos(i) || !m_hHwnd) {
        return;
    }
    m_tTimerStateMachine =
        SetTimer(m_hHwnd, TIMERID_Mediplayer_delyreader, kOpenDelayMs, statetimerproc);
    if (!m_tTimerStateMachine) {
        printf("%s:%d Error: Create timer\n", "PlayPosVideo", __LINE__);
    }
}

void CVeltoUIDlgMediaPlayer::ScollVideo(bool previous) {
    int n = ListSize();
    if (n == 0) {
        return;
    }
    int i = previous ? (m_nImgPos <= 0 ? n - 1 : m_nImgPos - 1)
                     : (m_nImgPos >= n - 1 ? 0 : m_nImgPos + 1);
    PlayPosVideo(i);
}

void CVeltoUIDlgMediaPlayer::statetimerproc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUIDlgMediaPlayer*>(GetWindowLong(hwnd, DWL_USER));
    if (self) {
        self->DelayTimerProc();
    } else {
        KillTimer(hwnd, TIMERID_Mediplayer_delyreader);
    }
}

void CVeltoUIDlgMediaPlayer::DelayTimerProc() {
    if (m_tTimerStateMachine && m_hHwnd) {
        KillTimer(m_hHwnd, m_tTimerStateMachine);
    }
    m_tTimerStateMachine = 0;
    InitAVIFilePlayer();
}

bool CVeltoUIDlgMediaPlayer::InitAVIFilePlayer() {
    Velto::ShowFunnel(true);
    Stop();
    ReleaseReader();
    auto fail = [this]() {
        ReleaseReader();
        // Nothing of the previous file may stay on the screen.
        Repaint();
        Velto::ShowFunnel(false);
        return false;
    };
    m_pAVIReader = CVeltoAVIReader::CreateNew(m_strFilename, Velto_PIX_FMT_YUYV422);
    if (!m_pAVIReader) {
        printf("Error: can't play %s\n", m_strFilename.c_str());
        return fail();
    }
    const char* codec = m_pAVIReader->GetVideoCompressor();
    printf("Codec:%s\n", codec ? codec : "");
    if (!codec || strcmp(codec, "YUY2") != 0) {
        printf("Unsupported codec %s\n", codec ? codec : "");
        return fail();
    }
    const long w = m_pAVIReader->GetVideoWidth(), h = m_pAVIReader->GetVideoHeight();
    const long size = m_pAVIReader->GetFrameBufferSize();
    // The reader sizes the buffers from what it checked of the file; a frame
    // of the declared size must fit, with room for its RGB32 conversion.
    if (w <= 0 || h <= 0 || size <= 0 || size < w * h * 4) {
        printf("Error: %s declares unusable frames (%ldx%ld, %ld bytes)\n", m_strFilename.c_str(),
               w, h, size);
        return fail();
    }
    m_pVideoBuffer = static_cast<char*>(calloc(1, (size_t)size));
    m_pConverBuffer = static_cast<char*>(calloc(1, (size_t)size));
    if (!m_pVideoBuffer || !m_pConverBuffer) {
        printf("Error: no memory for frames of %ld bytes\n", size);
        return fail();
    }
    m_nFrameBufferSize = size;
    // The still picture needs the colour tables; building them is idempotent.
    initLut();
    long len = ReadNextFrame();
    if (len > 0) {
        CV4L2_MXSPXPCTRL::GetInstance().EnqueuePXPBuf(m_pVideoBuffer, (unsigned)len);
        m_bHaveConvData = ConvertFrame();
        Stop();
    } else {
        printf("Error: no first frame in %s\n", m_strFilename.c_str());
        m_bHaveConvData = false;
        Repaint();
    }
    Velto::ShowFunnel(false);
    return true;
}

long CVeltoUIDlgMediaPlayer::ReadNextFrame() {
    if (!m_pAVIReader || !m_pVideoBuffer) {
        return -1;
    }
    int key = 0;
    long len = m_pAVIReader->ReadFrame(m_pVideoBuffer, m_nFrameBufferSize, key);
    m_nVideoFrameBytes = len > 0 ? len : 0;
    return len;
}

bool CVeltoUIDlgMediaPlayer::ConvertFrame() {
    if (!m_pAVIReader || !m_pVideoBuffer || !m_pConverBuffer) {
        return false;
    }
    const long w = m_pAVIReader->GetVideoWidth(), h = m_pAVIReader->GetVideoHeight();
    // A short frame would be converted from what an earlier one left behind.
    if (w <= 0 || h <= 0 || m_nVideoFrameBytes < w * h * 2 || m_nFrameBufferSize < w * h * 4) {
        return false;
    }
    return Pyuv422torgb32(reinterpret_cast<unsigned char*>(m_pVideoBuffer),
                          reinterpret_cast<unsigned char*>(m_pConverBuffer), (unsigned)w,
                          (unsigned)h) >= 0;
}

double CVeltoUIDlgMediaPlayer::FrameRate() {
    double fps = m_pAVIReader ? m_pAVIReader->GetVideoFrameRate() : 0.0;
    return fps > 0.0 ? fps : kDefaultFps;
}

int CVeltoUIDlgMediaPlayer::PlayStatusNow() const {
    return m_pPlayStatusIcon ? m_pPlayStatusIcon->GetStatus() : PLAY_STOP;
}

bool CVeltoUIDlgMediaPlayer::Play() {
    if (m_iTimerVideoPlay && m_hHwnd) {
        KillTimer(m_hHwnd, m_iTimerVideoPlay);
    }
    m_iTimerVideoPlay = 0;
    if (!m_bIsImage && m_hProgBar && m_pAVIReader && m_pAVIReader->GetTotalFrames() >= 0) {
        long total = m_pAVIReader->GetTotalFrames();
        printf("Total frames: %ld, timer intval:%f\n", total, 1000.0 / FrameRate());
        SendMessage(m_hProgBar, VSBM_SETRANGE, 0, total);
    }
    // The frame rate decides which frame is shown, not the tick.
    m_iTimerVideoPlay =
        m_hHwnd ? SetTimer(m_hHwnd, TIMERID_MediaPlayer_Video, kVideoTickMs, videotimerproc) : 0;
    if (!m_iTimerVideoPlay) {
        printf("%s:%d Error: Create timer\n", "Play", __LINE__);
        return false;
    }
    if (m_pPlayStatusIcon) {
        m_pPlayStatusIcon->SetStatus(PLAY_PLAYING);
    }
    m_bHaveConvData = false;
    Repaint();
    printf("Start playing fps(%f) width=%d, height=%d\n", FrameRate(),
           m_pAVIReader ? m_pAVIReader->GetVideoWidth() : 0,
           m_pAVIReader ? m_pAVIReader->GetVideoHeight() : 0);
    return true;
}

void CVeltoUIDlgMediaPlayer::videotimerproc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUIDlgMediaPlayer*>(GetWindowLong(hwnd, DWL_USER));
    if (self) {
        self->VideoTick();
    } else {
        KillTimer(hwnd, TIMERID_MediaPlayer_Video);
    }
}

void CVeltoUIDlgMediaPlayer::VideoTick() {
    if (!m_pAVIReader) {
        Stop();
        return;
    }
    if (m_start_t == 0) {
        m_start_t = Board().Time(nullptr);
        Board().GetTimeOfDay(&m_tvVideoStart_tval);
    }
    timeval now;
    Board().GetTimeOfDay(&now);
    // Whole 25 ms steps of the microseconds, paused time left out.
    long long elapsedMs = 25LL * (((long long)now.tv_usec - m_tvVideoStart_tval.tv_usec -
                                   m_tvVideoInterval_tval.tv_usec) /
                                  25000) +
                          1000LL * ((long long)now.tv_sec - m_tvVideoStart_tval.tv_sec -
                                    m_tvVideoInterval_tval.tv_sec);
    const double fps = FrameRate();
    const long long target = (long long)(elapsedMs * fps / 1000);
    const long total = m_pAVIReader->GetTotalFrames();
    // Frames are skipped to hold real time, never repeated.
    if (m_pAVIReader->GetCurrentFramePos() < target) {
        m_pAVIReader->SetFramePosition((long)std::min<long long>(target, total));
    }
    long len = ReadNextFrame();
    if (len >= 0 && target < total) {
        time_t t = Board().Time(nullptr);
        if (t != m_last_t) {
            m_last_t = t;
            long cur = m_pAVIReader->GetCurrentFramePos();
            if (m_hProgBar) {
                SendMessage(m_hProgBar, VSBM_SETPOS, (WPARAM)cur, 0);
            }
            SetPlayTimeText(m_hHwnd, cur, total, fps, false);
        }
        CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
        if (!pxp.IsStreaming()) {
            pxp.Start(kPxpWidth, kPxpHeight);
        } else if (pxp.GetPxPDispID() >= 0) {
            pxp.ChangeToPXP(true);
        }
        pxp.EnqueuePXPBuf(m_pVideoBuffer, (unsigned)len);
        SetFocus(m_hHwnd);
        return;
    }
    if (m_hProgBar) {
        SendMessage(m_hProgBar, VSBM_SETPOS, (WPARAM)total, 0);
    }
    Stop();
    SetPlayTimeText(m_hHwnd, total, total, fps, true);
}

void CVeltoUIDlgMediaPlayer::Stop() {
    if (m_iTimerVideoPlay && m_hHwnd) {
        KillTimer(m_hHwnd, m_iTimerVideoPlay);
    }
    m_iTimerVideoPlay = 0;
    m_start_t = 0;
    m_last_t = 0;
    m_tvVideoStart_tval = timeval{0, 0};
    m_tvVideoInterval_tval = timeval{0, 0};
    bool converted = false;
    if (!m_bIsImage && m_pAVIReader) {
        m_pAVIReader->ResetFrame();
        if (m_pVideoBuffer && m_pConverBuffer) {
            converted = ReadNextFrame() > 0 && ConvertFrame();
        }
    }
    m_bHaveConvData = converted;
    if (m_pPlayStatusIcon) {
        m_pPlayStatusIcon->SetStatus(PLAY_STOP);
    }
    Repaint();
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    if (pxp.IsOpened()) {
        pxp.ChangeToPXP(false);
    }
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
}

void CVeltoUIDlgMediaPlayer::Pause() {
    if (m_iTimerVideoPlay && m_hHwnd) {
        KillTimer(m_hHwnd, m_iTimerVideoPlay);
    }
    m_iTimerVideoPlay = 0;
    if (!m_bIsImage) {
        m_bHaveConvData = ConvertFrame();
        CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
        if (pxp.IsOpened()) {
            pxp.ChangeToPXP(false);
        }
        Repaint();
    }
    if (m_pPlayStatusIcon) {
        m_pPlayStatusIcon->SetStatus(PLAY_PAUSE);
    }
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
}

// ---- Time text --------------------------------------------------------------

std::string CVeltoUIDlgMediaPlayer::FormatPlayTime(long curframe, long total, double fps) {
    if (fps <= 0.0) {
        fps = kDefaultFps;
    }
    const double msPerFrame = 1000.0 / fps;
    int f[2][3];
    const long frames[2] = {std::max(0L, curframe), std::max(0L, total)};
    for (int k = 0; k < 2; ++k) {
        long long s = (long long)(frames[k] * msPerFrame) / 1000;
        long long hours = std::min(s / 3600, 99LL);
        long long minutes = std::min((s - hours * 3600) / 60, 60LL);
        long long seconds = std::min(s - hours * 3600 - minutes * 60 + 1, 60LL);
        f[k][0] = (int)hours;
        f[k][1] = (int)minutes;
        f[k][2] = (int)seconds;
    }
    char text[64];
    snprintf(text, sizeof text, "%02d:%02d:%02d/%02d:%02d:%02d", f[0][0], f[0][1], f[0][2], f[1][0],
             f[1][1], f[1][2]);
    return text;
}

void CVeltoUIDlgMediaPlayer::SetPlayTimeText(HWND hwnd, long curframe, long total, double fps,
                                             bool final) {
    if (!hwnd) {
        return;
    }
    std::string text = FormatPlayTime(curframe, total, fps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int W = rc.right, H = rc.bottom, h = H / 16;
    RECT box{(W - 9 * h) / 2, (int)(H - 2.5 * h), 0, 0};
    box.right = box.left + 9 * h;
    box.bottom = box.top + h;
    HDC hdc = GetDC(hwnd);
    if (!hdc) {
        return;
    }
    SetTextColor(hdc, kWhite);
    SetBkColor(hdc, kOverlay);
    SetBkMode(hdc, final ? TRANSPARENT : OPAQUE);
    HGDIOBJ old = m_hfPlayTimeFont ? SelectObject(hdc, m_hfPlayTimeFont) : nullptr;
    DrawText(hdc, text.c_str(), -1, &box, DT_WORDBREAK);
    if (old) {
        SelectObject(hdc, old);
    }
    ReleaseDC(hwnd, hdc);
}

// ---- Messages ---------------------------------------------------------------

INT_PTR CVeltoUIDlgMediaPlayer::mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CVeltoUIDlgMediaPlayer*>(GetWindowLong(hwnd, DWL_USER));
    if (!self) {
        return 0;
    }
    return self->DialogProc(hwnd, msg, wParam, lParam);
}

INT_PTR CVeltoUIDlgMediaPlayer::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            m_hHwnd = hwnd;
            ShowWindow(hwnd, SW_MAXIMIZE);
            InitDialog();
            SetFocus(hwnd);
            return 0;
        case WM_DESTROY:
            DestoryDialog();
            return 0;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_RETURN:
                    if (m_bIsImage || !m_pAVIReader) {
                        return 0;
                    }
                    switch (PlayStatusNow()) {
                        case PLAY_PLAYING:
                            if (m_pPlayStatusIcon) {
                                m_pPlayStatusIcon->SetStatus(PLAY_PAUSE);
                            }
                            Board().GetTimeOfDay(&m_tvVideoPause_tval);
                            Pause();
                            break;
                        case PLAY_PAUSE: {
                            timeval now;
                            Board().GetTimeOfDay(&now);
                            m_tvVideoInterval_tval.tv_sec +=
                                now.tv_sec - m_tvVideoPause_tval.tv_sec;
                            m_tvVideoInterval_tval.tv_usec +=
                                now.tv_usec - m_tvVideoPause_tval.tv_usec;
                            Play();
                            break;
                        }
                        default:
                            Play();
                            break;
                    }
                    return 0;
                case VK_LEFT:
                case VK_RIGHT:
                    if (!m_bIsImage && !m_bIsVideoPlaying) {
                        ScollVideo(wParam == VK_LEFT);
                    }
                    return 0;
                case VK_UP:
                    if (m_bIsImage) {
                        ScollJPGImage(true);
                    }
                    return 0;
                case VK_DOWN:
                    if (m_bIsImage) {
                        ScollJPGImage(false);
                    } else {
                        Stop();
                    }
                    return 0;
                case VK_F1:
                    Stop();
                    EndDialog(hwnd, kClosedByF1);
                    PostMessage(hwnd, WM_QUIT, 0, 0);
                    return 0;
                default:
                    return 0;
            }
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillClient((HDC)wParam, rc);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC hdc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            const int W = rc.right, H = rc.bottom;
            SetTextColor(hdc, kWhite);
            SetBkMode(hdc, TRANSPARENT);
            if (m_hfIndexFont) {
                SelectObject(hdc, m_hfIndexFont);
            }
            if (m_bIsImage) {
                if (m_pImage) {
                    DrawDIBFit(hdc, 0, 0, W, H, m_pImage);
                } else {
                    FillClient(hdc, rc);
                }
            } else {
                PSD frame = nullptr;
                if (m_bHaveConvData && m_pAVIReader && m_pConverBuffer) {
                    frame = Velto::GdCreatePixmap(GdGetScreen(), m_pAVIReader->GetVideoWidth(),
                                                  m_pAVIReader->GetVideoHeight(), MWIF_RGBA8888,
                                                  m_pConverBuffer, 0);
                    // The pixmap only describes the buffer: it must fit in it.
                    if (frame &&
                        (frame->size > m_nFrameBufferSize || frame->linelen != frame->xres * 4)) {
                        frame->FreeMemGC(frame);
                        frame = nullptr;
                    }
                }
                if (frame) {
                    DrawDIBFit(hdc, 0, 0, W, H, frame);
                    frame->FreeMemGC(frame);
                    m_bHaveConvData = false;
                } else {
                    // The overlay shows through.
                    FillClient(hdc, rc);
                }
                if (PlayStatusNow() != PLAY_STOP && m_pVideoPlayIconImg) {
                    DrawDIBFit(hdc, W * 54 / 3840, H - H * 54 / 240 - H * 54 / 2880, W * 54 / 320,
                               H * 54 / 240, m_pVideoPlayIconImg);
                }
            }
            char index[32];
            snprintf(index, sizeof index, "%d/%d\n", m_nImgPos + 1, ListSize());
            RECT box{0, 0, 80, 20};
            DrawText(hdc, index, -1, &box, DT_WORDBREAK);
            EndPaint(hwnd, &ps);
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            HDC hdc = (HDC)wParam;
            SetTextColor(hdc, kWhite);
            SetBkColor(hdc, kOverlay);
            SetBkMode(hdc, OPAQUE);
            SelectObject(hdc, GetStockObject(WHITE_PEN));
            HBRUSH brush = CreateSolidBrush(kOverlay);
            // The static keeps the brush and frees it with itself.
            MwSetWindowPaintBrush((HWND)lParam, brush);
            return (INT_PTR)brush;
        }
        default:
            return 0;
    }
}
