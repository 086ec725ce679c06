#include "camera/velto_CamRec_Ctrl.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "camera/v4l2_MXSPXPCtrl.h"
#include "camera/velto_thread.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_AVI_Saver.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

std::atomic<bool> videoflag{true};  // no screen covers the live view at start

namespace {

const int kLiveWidth = 320;
const int kLiveHeight = 240;
const int kPictureWidth = 640;
const int kPictureHeight = 480;
const int kPictureQuality = 100;
const int kRecordFps = 25;
// A picture request that meets no 640 x 480 frame for this long is given up,
// so the main controller's wait for it ends.
const long long kPictureGiveUpMs = 5000;
// Between two attempts to start a missing or failed PXP.
const long long kPxpRetryMs = 1000;
// A clock that was set back (an RTC that lost its time starts again at the
// same second) meets the names of earlier files; a new file takes the next
// free second instead, looking up to a day ahead.
const int kNameAttempts = 86400;
const unsigned char kLightLevels[11] = {18, 53, 58, 62, 66, 70, 73, 77, 82, 89, 104};

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Where new media files go: the SD card's DCIM folder, else the internal
// medium's root; empty when neither is there.
std::string MediaDirectory(bool* onCard) {
    std::string sd = Velto::GetMMCFirstPart();
    *onCard = !sd.empty();
    if (*onCard) {
        return sd + "/DCIM";
    }
    return Velto::GetNandDataPart();
}

std::string PictureName(time_t t) {
    char name[32];
    snprintf(name, sizeof name, "%08lX.jpg", static_cast<unsigned long>(t));
    return name;
}

std::string RecordingName(time_t t) {
    tm now;
    localtime_r(&t, &now);
    char name[64];
    snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d.avi", now.tm_year + 1900, now.tm_mon + 1,
             now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    return name;
}

// Creates the first free one of nameOf(t), nameOf(t + 1), ... in dir with
// create (which fails with EEXIST for a taken name); its path, or empty
// with errno set.
template <typename N, typename C>
std::string CreateUnique(const std::string& dir, time_t t, N nameOf, C create) {
    for (int i = 0; i < kNameAttempts; ++i) {
        std::string path = dir + "/" + nameOf(t + i);
        if (create(path)) {
            if (i > 0) {
                printf("%s: the %d names before it are taken\n", path.c_str(), i);
            }
            return path;
        }
        if (errno != EEXIST) {
            return std::string();
        }
    }
    errno = EEXIST;
    return std::string();
}

bool MakeDirectory(const std::string& dir) {
    if (!Velto::IsShellSafe(dir)) {
        printf("Error: refusing to create %s\n", dir.c_str());
        return false;
    }
    std::string command = "/bin/mkdir -p " + dir;
    Board().System(command.c_str());
    return true;
}

}  // namespace

CVeltoCamRecCtrl* CVeltoCamRecCtrl::CreateNew() {
    CVeltoCamRecCtrl* ctrl = new CVeltoCamRecCtrl();
    if (!ctrl->Init()) {
        delete ctrl;
        return nullptr;
    }
    return ctrl;
}

CVeltoCamRecCtrl::CVeltoCamRecCtrl()
    : m_pUVC(nullptr),
      m_pAVISaver(nullptr),
      m_pThreadID(),
      m_bHasThread(false),
      m_bExitThread(true),
      m_bIsSavingImage(false),
      m_bStartRotate(false),
      m_bZoomSet(false),
      m_isFinishedPicture(true),
      m_nSaveRequestedMs(0),
      m_nShownFrames(0) {
    m_sZoomSize.width = kLiveWidth;
    m_sZoomSize.height = kLiveHeight;
}

CVeltoCamRecCtrl::~CVeltoCamRecCtrl() {
    Deinit();
}

bool CVeltoCamRecCtrl::Init() {
    bool ok = InitUVC();
    InitPXP();
    InitAVISaver();
    return ok;
}

bool CVeltoCamRecCtrl::InitUVC() {
    m_pUVC = CV4L2_UVCCtrl::CreateNew(kLiveWidth, kLiveHeight, 25, V4L2_PIX_FMT_YUYV);
    return m_pUVC != nullptr;
}

bool CVeltoCamRecCtrl::InitPXP() {
    return true;  // the PXP is the process's own; it starts when frames flow
}

bool CVeltoCamRecCtrl::InitAVISaver() {
    m_pAVISaver = CVeltoAVISaver::CreateNew(kLiveWidth, kLiveHeight);
    return m_pAVISaver != nullptr;
}

void CVeltoCamRecCtrl::Deinit() {
    Stop();
    DeinitPXP();
    DeinitAVISaver();
    DeinitUVC();
}

void CVeltoCamRecCtrl::DeinitPXP() {
    CV4L2_MXSPXPCTRL::GetInstance().Close();
}

void CVeltoCamRecCtrl::DeinitAVISaver() {
    delete m_pAVISaver;
    m_pAVISaver = nullptr;
}

void CVeltoCamRecCtrl::DeinitUVC() {
    delete m_pUVC;
    m_pUVC = nullptr;
}

bool CVeltoCamRecCtrl::Start() {
    StopThread();
    if (m_pUVC == nullptr) {
        InitUVC();
    }
    if (m_pUVC == nullptr || !m_pUVC->Start()) {
        return false;
    }
    bool ok = StartThread();
    printf("Camera controller started.\n");
    return ok;
}

void CVeltoCamRecCtrl::Stop() {
    StopThread();
    if (m_pUVC != nullptr) {
        m_pUVC->Stop();
    }
    CV4L2_MXSPXPCTRL::GetInstance().ChangeToPXP(false);
    printf("Camera controller stop.\n");
}

void CVeltoCamRecCtrl::ChangeUVCResolution(bool, int width, int height) {
    StopThread();
    if (m_pUVC != nullptr) {
        m_pUVC->ReSetUVCResolution(width, height);
    }
    StartThread();
}

bool CVeltoCamRecCtrl::SaveToImage() {
    m_nSaveRequestedMs = NowMs();
    m_bIsSavingImage = true;
    return true;
}

bool CVeltoCamRecCtrl::RotateCW() {
    m_bStartRotate = true;
    return true;
}

void CVeltoCamRecCtrl::ZoomPXP(unsigned char level) {
    if (level > 7) {
        level = 7;
    }
    printf("#############level = %d##################\n", level);
    m_sZoomSize.width = static_cast<uint16_t>(kLiveWidth - 32 * level);
    m_sZoomSize.height = static_cast<uint16_t>(kLiveHeight - 24 * level);
    m_bZoomSet = true;
}

void CVeltoCamRecCtrl::SetPictureStatus(bool finished) {
    m_isFinishedPicture = finished;
}

void CVeltoCamRecCtrl::SetColorOrBlack(bool color) {
    if (m_pUVC != nullptr) {
        m_pUVC->SetColorOrBlack(color);
    }
}

unsigned char CVeltoCamRecCtrl::LightLevel(int percent) {
    int index = percent / 10;
    index = index < 0 ? 0 : (index > 10 ? 10 : index);
    return kLightLevels[index];
}

bool CVeltoCamRecCtrl::ChangeBright(int percent) {
    Velto::SetLEDValue("led-pwm0", LightLevel(percent));
    return true;
}

bool CVeltoCamRecCtrl::StartRecordAVI() {
    if (m_pAVISaver == nullptr || m_pUVC == nullptr) {
        return false;
    }
    time_t now = Board().Time(nullptr);
    bool onCard = false;
    std::string dir = MediaDirectory(&onCard);
    if (dir.empty()) {
        return false;
    }
    if (!MakeDirectory(dir)) {
        return false;
    }
    if (m_pUVC->GetUVCStatus() != UVC_STATUS_STREAMING) {
        return false;
    }
    // The name is taken here, exclusively; the recorder then writes into the
    // empty file, which is ours alone.
    std::string path = CreateUnique(dir, now, RecordingName, [](const std::string& p) {
        int fd = Board().Open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        Board().Close(fd);
        return true;
    });
    if (path.empty()) {
        printf("Error: no free name for a recording in %s: %s\n", dir.c_str(), strerror(errno));
        return false;
    }
    if (!m_pAVISaver->StartRecord(path.c_str(), kRecordFps)) {
        Board().Unlink(path.c_str());
        return false;
    }
    return true;
}

void CVeltoCamRecCtrl::StopRecordAVI() {
    if (m_pAVISaver != nullptr) {
        m_pAVISaver->StopRecord();
    }
}

bool CVeltoCamRecCtrl::IsAVIRecording() const {
    return m_pAVISaver != nullptr && m_pAVISaver->IsRecording();
}

UVC_STATUS CVeltoCamRecCtrl::GetUVCStatus() const {
    return m_pUVC != nullptr ? m_pUVC->GetUVCStatus() : UVC_STATUS_DISCONNECTED;
}

bool CVeltoCamRecCtrl::StartThread() {
    m_bExitThread = false;
    int rc = VeltoCreateWorker(&m_pThreadID, thread_start, this);
    if (rc != 0) {
        printf("Error: CVeltoCamRecCtrl::StartThread()\n");
        m_bExitThread = true;
        m_bHasThread = false;
        return false;
    }
    m_bHasThread = true;
    return true;
}

void CVeltoCamRecCtrl::StopThread() {
    m_bExitThread = true;
    printf("%s %d \n", "StopThread", __LINE__);
    if (m_bHasThread) {
        pthread_join(m_pThreadID, nullptr);
        m_bHasThread = false;
    }
    m_pThreadID = pthread_t();
    printf("CVeltoCamRecCtrl::StopThread\n");
}

void* CVeltoCamRecCtrl::thread_start(void* self) {
    static_cast<CVeltoCamRecCtrl*>(self)->thread_proc();
    return nullptr;
}

void CVeltoCamRecCtrl::ManageDisplay() {
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    if (GetUVCStatus() == UVC_STATUS_STREAMING) {
        if (!pxp.IsStreaming()) {
            long long now = NowMs();
            if (m_nPxpAttemptMs == 0 || now - m_nPxpAttemptMs >= kPxpRetryMs) {
                m_nPxpAttemptMs = now;
                pxp.Start(kLiveWidth, kLiveHeight);
            }
        } else if (pxp.GetPxPDispID() == 1 && videoflag) {
            pxp.ChangeToPXP(true);
        }
    } else if (pxp.IsStreaming() && pxp.GetPxPDispID() == 0 && m_isFinishedPicture) {
        printf("####m_isFinishedPicture =1 m_isPXPClosed=0\n");
        pxp.ChangeToPXP(false);
    }
}

void CVeltoCamRecCtrl::CheckPictureTimeout() {
    if (m_bIsSavingImage && NowMs() - m_nSaveRequestedMs > kPictureGiveUpMs) {
        printf("Error: no %dx%d frame arrived for the picture; picture given up\n", kPictureWidth,
               kPictureHeight);
        m_bIsSavingImage = false;
    }
}

void CVeltoCamRecCtrl::HandleFrame(char* data, int length) {
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    if (m_bStartRotate) {
        pxp.RotateCW();
        m_bStartRotate = false;
    }
    if (m_bZoomSet) {
        pxp.ZoomStep(m_sZoomSize.width, m_sZoomSize.height);
        m_bZoomSet = false;
    }
    if (m_isFinishedPicture) {
        pxp.EnqueuePXPBuf(data, static_cast<unsigned>(length));
        ++m_nShownFrames;
    }
    if (m_pAVISaver != nullptr) {
        m_pAVISaver->AddFrame(data, length);
    }
    // Only a frame of the picture size is encoded; another (the switch to
    // 640 x 480 has not happened yet, or the head granted another size)
    // leaves the request for the next frame.
    if (m_bIsSavingImage && length == kPictureWidth * kPictureHeight * 2) {
        SaveToJpg(data, length);
        m_bIsSavingImage = false;
    }
}

void CVeltoCamRecCtrl::SaveToJpg(char* data, int length) {
    time_t now = Board().Time(nullptr);
    bool onCard = false;
    std::string dir = MediaDirectory(&onCard);
    if (dir.empty()) {
        printf("Error: no medium for the picture %s\n", PictureName(now).c_str());
        return;
    }
    if (onCard && !MakeDirectory(dir)) {
        return;
    }
    FILE* file = nullptr;
    std::string path = CreateUnique(dir, now, PictureName, [&](const std::string& p) {
        file = Board().Fopen(p.c_str(), "w+x");
        return file != nullptr;
    });
    if (file == nullptr) {
        printf("Error: create file(%s):%s/%s\n", strerror(errno), dir.c_str(),
               PictureName(now).c_str());
        return;
    }
    printf("Saving to jpeg file %s\n", path.c_str());
    int rc = encode_yuyv_frame_to_jpeg(file, reinterpret_cast<unsigned char*>(data), length,
                                       kPictureWidth, kPictureHeight, kPictureQuality);
    Board().Sync();
    bool flushed = fflush(file) == 0;
    bool synced = Board().Fsync(fileno(file)) == 0;
    bool closed = fclose(file) == 0;
    if (rc != 0 || !flushed || !synced || !closed) {
        // A cut picture would only show as a broken file in the browser.
        printf("Error: picture %s could not be written; removed\n", path.c_str());
        Board().Unlink(path.c_str());
    }
}

void CVeltoCamRecCtrl::thread_proc() {
    while (!m_bExitThread && m_pUVC != nullptr) {
        ManageDisplay();
        CheckPictureTimeout();
        if (m_pUVC->WaitNewFrameData(10) != 0) {
            Board().Usleep(33000);
        } else if (m_pUVC->GetFrameBufferSize() > 0) {
            CDoubleBufferData* frame = m_pUVC->PopFrameData();
            if (frame != nullptr) {
                int length = 0;
                char* data = frame->GetData(length);
                if (m_pUVC->GetUVCStatus() == UVC_STATUS_STREAMING) {
                    HandleFrame(data, length);
                } else {
                    // Not streaming: wait a second, but notice a stop at once.
                    for (int i = 0; i < 100 && !m_bExitThread; ++i) {
                        Board().Usleep(10000);
                    }
                }
                frame->ReleaseData();
                m_pUVC->ReleaseFrameData(frame);
            }
        }
        Board().Usleep(10000);
        sched_yield();
    }
}
