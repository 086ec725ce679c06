// Bounded copy-in frame queue between one producer thread and one consumer
// thread. A fixed pool of equally sized buffers is allocated once; the
// producer copies a frame into a free buffer and queues it, the consumer pops
// it, uses it in place and gives it back. When no buffer is free the new frame
// is dropped: queued frames are never overwritten and the producer never
// blocks.
#pragma once

#include <pthread.h>
#include <stdint.h>

#include <deque>
#include <vector>

// One frame buffer of the pool.
class CDoubleBufferData {
public:
    // Allocates size bytes (none when size < 1); the buffer starts empty.
    explicit CDoubleBufferData(int size);
    ~CDoubleBufferData();

    CDoubleBufferData(const CDoubleBufferData&) = delete;
    CDoubleBufferData& operator=(const CDoubleBufferData&) = delete;

    // Copies min(len, capacity) bytes from base and makes that the valid
    // length. Ignored when base is null or len <= 0.
    void SetData(char* base, int len);
    // Marks the buffer as held by a consumer, stores the valid length in len
    // and returns the frame memory.
    char* GetData(int& len);
    // Marks the buffer as no longer held.
    void ReleaseData();

    int GetSize() const { return m_nSize; }
    bool IsHeld() const { return m_nRef != 0; }

private:
    char* m_pBase;
    int32_t m_nLen;
    uint8_t m_nRef;
    int32_t m_nSize;
};

class CDoubleBuffer {
public:
    // A queue of bufCount buffers of bufSize bytes each; null when either is
    // < 1 or set-up fails.
    static CDoubleBuffer* CreateNew(int32_t bufSize, int32_t bufCount);

    CDoubleBuffer();
    ~CDoubleBuffer();  // Deinit

    CDoubleBuffer(const CDoubleBuffer&) = delete;
    CDoubleBuffer& operator=(const CDoubleBuffer&) = delete;

    // Allocates the pool and the locks; false on bad sizes or when a lock
    // cannot be created.
    bool Init(int32_t bufSize, int32_t bufCount);
    // Frees the pool and the locks. Safe to call twice.
    void Deinit();

    // Producer: copies the frame (truncated to the buffer size) into a free
    // buffer and queues it. Dropped when no buffer is free; ignored when base
    // is null or len <= 0.
    void AddNewData(char* base, int len);
    // Consumer: 0 as soon as a filled buffer is queued (at once when one is
    // already there), 1 after timeoutMs milliseconds without one or when the
    // queue is not initialised.
    int WaitNewData(int timeoutMs);
    // Consumer: the oldest filled buffer, removed from the queue; null when
    // none is queued.
    CDoubleBufferData* PopData();
    // Consumer: gives a popped buffer back to the free pool. Null, buffers of
    // another pool and buffers already free are ignored.
    void ReleaseData(CDoubleBufferData* data);
    // Returns every buffer of the pool to the free queue. Only while no
    // consumer holds a buffer (the consumer thread is stopped).
    void ClearData();
    // Number of filled buffers queued.
    int GetDataBufferSize();

    // Number of free buffers; the pool size.
    int GetEmptyQueueSize();
    int GetPoolSize() const { return m_nDataQueueLen; }

private:
    void PushDataQueue(CDoubleBufferData* data);
    CDoubleBufferData* PopDataQueue();
    int GetDataQueueSize();
    void PushEmptyQueue(CDoubleBufferData* data);
    CDoubleBufferData* PopEmptyQueue();

    void LockDataQueue();
    void UnlockDataQueue();
    void LockEmptyQueue();
    void UnlockEmptyQueue();

    bool InitDataBuffer(int32_t bufSize, int32_t bufCount);
    void DenitDataBuffer();
    bool InitWaitSignal();
    void DeinitWaitSignal();
    bool InitDataQueueLock();
    void DeinitDataQueueLock();
    bool InitEmptyQueueLock();
    void DeinitEmptyQueueLock();

    bool IsInPool(CDoubleBufferData* data) const;

    pthread_mutex_t* m_pDataBufWait;
    pthread_cond_t* m_pDataBufWaitTimeout;
    int32_t m_nDataQueueLen;
    pthread_mutex_t* m_pDataQueueMutex;
    std::deque<CDoubleBufferData*> m_lDataQueue;
    pthread_mutex_t* m_pEmptyQueueMutex;
    std::deque<CDoubleBufferData*> m_lEmptyDataQueue;
    std::vector<CDoubleBufferData*> m_lAllDataList;
};
