#include "media/velto_AVI_Saver.h"

#include <errno.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <chrono>

#include "camera/velto_thread.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace {

constexpr int kQueueFrames = 15;
constexpr long kMinFreeKiB = 2049;

}  // namespace

CVeltoAVISaver* CVeltoAVISaver::CreateNew(int width, int height) {
    CVeltoAVISaver* saver = new CVeltoAVISaver();
    if (!saver->Init(width, height)) {
        delete saver;
        return nullptr;
    }
    return saver;
}

CVeltoAVISaver::CVeltoAVISaver()
    : m_pavi_file(nullptr),
      m_pThreadID(0),
      m_bExitThread(true),
      m_pDataBuffer(nullptr),
      m_nAddframes(-1),
      m_nSavedframes(-1),
      m_bRecStarted(false),
      m_nWidth(-1),
      m_nHeight(-1),
      m_bHasThread(false) {}

CVeltoAVISaver::~CVeltoAVISaver() {
    StopRecord();
    CloseRecordFile();
    DeinitBuffer();
    printf("CVeltoAVISaver::~CVeltoAVISaver\n");
}

bool CVeltoAVISaver::Init(int width, int height) {
    if (width <= 0 || height <= 0 || !InitBuffer(width * 2 * height, kQueueFrames)) {
        return false;
    }
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

bool CVeltoAVISaver::InitBuffer(int size, int count) {
    DeinitBuffer();
    m_pDataBuffer = CDoubleBuffer::CreateNew(size, count);
    return m_pDataBuffer != nullptr;
}

void CVeltoAVISaver::DeinitBuffer() {
    std::lock_guard<std::mutex> lock(m_mAddLock);
    delete m_pDataBuffer;
    m_pDataBuffer = nullptr;
}

void CVeltoAVISaver::ClearQueue() {
    std::lock_guard<std::mutex> lock(m_mAddLock);
    if (m_pDataBuffer) {
        m_pDataBuffer->ClearData();
    }
}

bool CVeltoAVISaver::StartRecord(const char* path, int framerate) {
    StopRecord();
    if (!path || !OpenRecordFile(path, framerate)) {
        return false;
    }
    ClearQueue();
    if (!StartThread()) {
        CloseRecordFile();
        return false;
    }
    // Callers poll IsRecording() to see a recording end; it must not read
    // false just because the thread has not been scheduled yet. Up to two
    // seconds of the host's clock: a board whose sleeps return at once must
    // not cut the wait for another thread short.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!m_bRecStarted && !m_bExitThread && std::chrono::steady_clock::now() < deadline) {
        Board().Usleep(1000);
    }
    printf("Start record avi file %s\n", path);
    return true;
}

void CVeltoAVISaver::StopRecord() {
    StopThread();
    ClearQueue();
}

void CVeltoAVISaver::AddFrame(char* data, int length) {
    if (!IsRecording()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mAddLock);
    m_nAddframes++;
    if (length != m_nWidth * 2 * m_nHeight) {
        printf("Error: CVeltoAVISaver::AddFrame frame of %d bytes refused, %dx%d needs %d\n",
               length, m_nWidth, m_nHeight, m_nWidth * 2 * m_nHeight);
        return;
    }
    if (m_pDataBuffer) {
        m_pDataBuffer->AddNewData(data, length);
    }
}

bool CVeltoAVISaver::IsRecording() const {
    return m_bHasThread && m_bRecStarted;
}

bool CVeltoAVISaver::OpenRecordFile(const std::string& path, int framerate) {
    CloseRecordFile();
    m_pavi_file = AVI_open_output_file(path.c_str());
    if (!m_pavi_file) {
        printf("Error:(%s) open avi file %s\n", AVI_strerror(), path.c_str());
        return false;
    }
    // Without its header a file cut off by a power loss could not be read.
    if (AVI_set_video(m_pavi_file, m_nWidth, m_nHeight, double(framerate), "YUY2") != 0) {
        printf("Error:(%s) open avi file %s\n", AVI_strerror(), path.c_str());
        AVI_close(m_pavi_file);
        m_pavi_file = nullptr;
        return false;
    }
    m_nAddframes = 0;
    m_nSavedframes = 0;
    m_strFilename = path;
    m_strPathname = Velto::PathBasename(path);
    return true;
}

void CVeltoAVISaver::CloseRecordFile() {
    if (!m_pavi_file) {
        return;
    }
    if (AVI_close(m_pavi_file) != 0) {
        printf("Error:(%s) close avi file %s\n", AVI_strerror(), m_strFilename.c_str());
    }
    m_pavi_file = nullptr;
    printf("Added %ld frames, Writed %ld frames\n", long(m_nAddframes), long(m_nSavedframes));
    m_nAddframes = 0;
    m_nSavedframes = 0;
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
}

bool CVeltoAVISaver::StartThread() {
    StopThread();
    m_bExitThread = false;
    int rc = VeltoCreateWorker(&m_pThreadID, thread_start, this);
    if (rc != 0) {
        printf("Error: CVeltoAVISaver::StartThread()\n");
        m_bExitThread = true;
        return false;
    }
    m_bHasThread = true;
    return true;
}

void CVeltoAVISaver::StopThread() {
    m_bExitThread = true;
    if (m_bHasThread) {
        pthread_join(m_pThreadID, nullptr);
        m_bHasThread = false;
        m_pThreadID = 0;
    }
}

void* CVeltoAVISaver::thread_start(void* arg) {
    static_cast<CVeltoAVISaver*>(arg)->thread_proc();
    return nullptr;
}

bool CVeltoAVISaver::WriteFrame(CDoubleBufferData* data, long long& frames, time_t& start,
                                time_t& last) {
    int len = 0;
    char* p = data->GetData(len);
    bool ok = true;
    if (len > 0) {
        time_t now = Board().Time(nullptr);
        if (frames == 0) {
            start = now;
        }
        // The first frame goes in without the key-frame flag, every later
        // one with it.
        if (AVI_write_frame(m_pavi_file, p, len, int(frames != 0)) == 0) {
            last = now;
            frames++;
            m_nSavedframes++;
        } else {
            printf("Frame %lld can't be writed\n", frames);
            ok = false;
        }
    }
    m_pDataBuffer->ReleaseData(data);
    return ok;
}

void CVeltoAVISaver::thread_proc() {
    printf("Enter CVeltoAVISaver::thread_proc()\n");
    if (m_bRecStarted) {
        return;
    }
    m_bRecStarted = true;
    long long frames = 0;
    time_t start = 0, last = 0;

    while (!m_bExitThread) {
        timespec nap = {0, 100};
        if (nanosleep(&nap, nullptr) != 0) {
            Board().Usleep(1);
        }
        if (!m_pDataBuffer || !m_pavi_file || m_pDataBuffer->WaitNewData(1000) != 0) {
            continue;
        }
        CDoubleBufferData* data = m_pDataBuffer->PopData();
        if (!data) {
            continue;
        }
        // Checked every tenth frame only: statfs is not free on the board.
        if (m_nSavedframes % 10 == 0 && Velto::GetAvailDiskSpace(m_strPathname) < kMinFreeKiB) {
            m_bExitThread = true;
        }
        if (!WriteFrame(data, frames, start, last)) {
            m_bExitThread = true;
        } else if (m_nSavedframes % 10 == 0) {
            Board().Sync();
        }
    }

    m_bRecStarted = false;
    if (m_pDataBuffer && m_pavi_file) {
        while (CDoubleBufferData* data = m_pDataBuffer->PopData()) {
            WriteFrame(data, frames, start, last);
        }
    }

    // Measured up to the last frame written, not to now: the stop request
    // can sit up to a second in the queue wait, which must not slow the
    // playback down.
    double fps = 25.0;
    long elapsed = long(last - start);
    if (frames > 0 && elapsed >= 1) {
        fps = double(frames / elapsed);
        printf("%lld / %ld = %f\n", frames, elapsed, fps);
    }
    if (m_pavi_file) {
        AVI_set_video(m_pavi_file, AVI_video_width(m_pavi_file), AVI_video_height(m_pavi_file), fps,
                      "YUY2");
    }
    CloseRecordFile();
    printf("Exit CVeltoAVISaver::thread_proc()\n");
}
