// Records the live camera stream into an AVI file: frames offered by the
// camera controller thread are copied into a 15-frame queue and written by a
// recording thread of its own as uncompressed "YUY2" chunks. The frame rate
// stored in the file is measured: frames written divided by the whole seconds
// between the first and the last frame written.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include <atomic>
#include <mutex>
#include <string>

#include "camera/doublebuffer.h"
#include "media/velto_avi.h"

class CVeltoAVISaver {
public:
    // A recorder for frames of width x height pixels (YUYV); null when the
    // queue cannot be created.
    static CVeltoAVISaver* CreateNew(int width, int height);

    CVeltoAVISaver();
    // Stops a running recording (its file is finished) and frees the queue.
    ~CVeltoAVISaver();

    CVeltoAVISaver(const CVeltoAVISaver&) = delete;
    CVeltoAVISaver& operator=(const CVeltoAVISaver&) = delete;

    // Creates the 15-frame queue and keeps the size; false on failure.
    bool Init(int width, int height);
    bool InitBuffer(int size, int count);
    void DeinitBuffer();

    // Finishes any running recording, creates the file at path and starts the
    // recording thread. True once the thread is recording; false (no thread,
    // message printed) when the file or the thread cannot be created.
    bool StartRecord(const char* path, int framerate);
    // Stops the thread, which writes what is queued and finishes the file.
    void StopRecord();
    // Queues a copy of one frame while recording. Dropped when the queue is
    // full; refused with a message when length is not one frame.
    void AddFrame(char* data, int length);
    // True while the recording thread is writing. Becomes false on its own
    // when the recording ended for low space or a write error.
    bool IsRecording() const;

    // Counters of the current or last recording (reset when a file closes).
    int32_t GetAddedFrames() const { return m_nAddframes; }
    int32_t GetSavedFrames() const { return m_nSavedframes; }
    const std::string& GetFilename() const { return m_strFilename; }

private:
    bool OpenRecordFile(const std::string& path, int framerate);
    void CloseRecordFile();
    bool StartThread();
    void StopThread();
    void thread_proc();
    static void* thread_start(void* arg);

    // Writes one queued frame and gives its buffer back; false when the
    // write failed. start and last are the times of the first and the
    // latest frame written.
    bool WriteFrame(CDoubleBufferData* data, long long& frames, time_t& start, time_t& last);
    void ClearQueue();

    avi_t* m_pavi_file;
    std::string m_strFilename;
    std::string m_strPathname;
    pthread_t m_pThreadID;
    std::atomic<bool> m_bExitThread;
    CDoubleBuffer* m_pDataBuffer;
    std::atomic<int32_t> m_nAddframes;
    std::atomic<int32_t> m_nSavedframes;
    std::atomic<bool> m_bRecStarted;
    int32_t m_nWidth;
    int32_t m_nHeight;

    // Set while a recording thread exists (created and not yet joined).
    std::atomic<bool> m_bHasThread;
    // Keeps a frame being queued by AddFrame apart from a queue reset.
    std::mutex m_mAddLock;
};
