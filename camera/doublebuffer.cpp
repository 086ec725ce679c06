#include "camera/doublebuffer.h"

#include <errno.h>
#include <string.h>
#include <time.h>

#include <algorithm>

CDoubleBufferData::CDoubleBufferData(int size)
    : m_pBase(size > 0 ? new char[size] : nullptr),
      m_nLen(0),
      m_nRef(0),
      m_nSize(size > 0 ? size : 0) {}

CDoubleBufferData::~CDoubleBufferData() {
    delete[] m_pBase;
    m_pBase = nullptr;
}

void CDoubleBufferData::SetData(char* base, int len) {
    if (base == nullptr || len <= 0) {
        return;
    }
    int n = std::min(len, m_nSize);
    if (n > 0) {
        memcpy(m_pBase, base, n);
    }
    m_nLen = n;
}

char* CDoubleBufferData::GetData(int& len) {
    m_nRef = 1;
    len = m_nLen;
    return m_pBase;
}

void CDoubleBufferData::ReleaseData() {
    m_nRef = 0;
}

CDoubleBuffer* CDoubleBuffer::CreateNew(int32_t bufSize, int32_t bufCount) {
    if (bufSize < 1 || bufCount < 1) {
        return nullptr;
    }
    CDoubleBuffer* buffer = new CDoubleBuffer();
    if (!buffer->Init(bufSize, bufCount)) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

CDoubleBuffer::CDoubleBuffer()
    : m_pDataBufWait(nullptr),
      m_pDataBufWaitTimeout(nullptr),
      m_nDataQueueLen(0),
      m_pDataQueueMutex(nullptr),
      m_pEmptyQueueMutex(nullptr) {}

CDoubleBuffer::~CDoubleBuffer() {
    Deinit();
}

bool CDoubleBuffer::Init(int32_t bufSize, int32_t bufCount) {
    Deinit();  // a second Init must not leak the first pool
    if (!InitDataBuffer(bufSize, bufCount)) {
        return false;
    }
    return InitDataQueueLock() && InitEmptyQueueLock() && InitWaitSignal();
}

void CDoubleBuffer::Deinit() {
    DenitDataBuffer();
    DeinitDataQueueLock();
    DeinitEmptyQueueLock();
    DeinitWaitSignal();
}

void CDoubleBuffer::AddNewData(char* base, int len) {
    if (base == nullptr || len <= 0) {
        return;
    }
    CDoubleBufferData* data = PopEmptyQueue();
    if (data == nullptr) {
        return;  // every buffer is queued or held: drop the newest frame
    }
    data->SetData(base, len);
    PushDataQueue(data);
    // Signal under the wait mutex: a waiter is then either before its
    // emptiness check (and sees the frame) or inside the wait (and is woken).
    if (m_pDataBufWait != nullptr && m_pDataBufWaitTimeout != nullptr) {
        pthread_mutex_lock(m_pDataBufWait);
        pthread_cond_broadcast(m_pDataBufWaitTimeout);
        pthread_mutex_unlock(m_pDataBufWait);
    }
}

int CDoubleBuffer::WaitNewData(int timeoutMs) {
    if (GetDataQueueSize() > 0) {
        return 0;
    }
    if (m_pDataBufWait == nullptr || m_pDataBufWaitTimeout == nullptr) {
        return 1;
    }
    // Monotonic deadline, so setting the board's date does not stretch or cut
    // a wait.
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    long long ms = timeoutMs > 0 ? timeoutMs : 0;
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += (ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }

    int result = 1;
    pthread_mutex_lock(m_pDataBufWait);
    for (;;) {
        if (GetDataQueueSize() > 0) {
            result = 0;
            break;
        }
        int rc = pthread_cond_timedwait(m_pDataBufWaitTimeout, m_pDataBufWait, &deadline);
        if (rc != 0 && rc != EINTR) {
            result = GetDataQueueSize() > 0 ? 0 : 1;
            break;
        }
    }
    pthread_mutex_unlock(m_pDataBufWait);
    return result;
}

CDoubleBufferData* CDoubleBuffer::PopData() {
    if (GetDataQueueSize() == 0) {
        return nullptr;
    }
    return PopDataQueue();
}

void CDoubleBuffer::ReleaseData(CDoubleBufferData* data) {
    if (data == nullptr || !IsInPool(data)) {
        return;
    }
    // A buffer that is still queued or already free must not enter the free
    // queue again, or two frames would later share one buffer.
    LockDataQueue();
    bool queued = std::find(m_lDataQueue.begin(), m_lDataQueue.end(), data) != m_lDataQueue.end();
    UnlockDataQueue();
    if (queued) {
        return;
    }
    LockEmptyQueue();
    if (std::find(m_lEmptyDataQueue.begin(), m_lEmptyDataQueue.end(), data) ==
        m_lEmptyDataQueue.end()) {
        m_lEmptyDataQueue.push_back(data);
    }
    UnlockEmptyQueue();
}

void CDoubleBuffer::ClearData() {
    LockEmptyQueue();
    LockDataQueue();
    m_lEmptyDataQueue.clear();
    m_lDataQueue.clear();
    for (CDoubleBufferData* data : m_lAllDataList) {
        if (data != nullptr) {
            m_lEmptyDataQueue.push_back(data);
        }
    }
    UnlockEmptyQueue();
    UnlockDataQueue();
}

int CDoubleBuffer::GetDataBufferSize() {
    return GetDataQueueSize();
}

int CDoubleBuffer::GetEmptyQueueSize() {
    LockEmptyQueue();
    int n = static_cast<int>(m_lEmptyDataQueue.size());
    UnlockEmptyQueue();
    return n;
}

void CDoubleBuffer::PushDataQueue(CDoubleBufferData* data) {
    LockDataQueue();
    m_lDataQueue.push_back(data);
    UnlockDataQueue();
}

CDoubleBufferData* CDoubleBuffer::PopDataQueue() {
    CDoubleBufferData* data = nullptr;
    LockDataQueue();
    if (!m_lDataQueue.empty()) {
        data = m_lDataQueue.front();
        m_lDataQueue.pop_front();
    }
    UnlockDataQueue();
    return data;
}

int CDoubleBuffer::GetDataQueueSize() {
    LockDataQueue();
    int n = static_cast<int>(m_lDataQueue.size());
    UnlockDataQueue();
    return n;
}

void CDoubleBuffer::PushEmptyQueue(CDoubleBufferData* data) {
    LockEmptyQueue();
    m_lEmptyDataQueue.push_back(data);
    UnlockEmptyQueue();
}

CDoubleBufferData* CDoubleBuffer::PopEmptyQueue() {
    CDoubleBufferData* data = nullptr;
    LockEmptyQueue();
    if (!m_lEmptyDataQueue.empty()) {
        data = m_lEmptyDataQueue.front();
        m_lEmptyDataQueue.pop_front();
    }
    UnlockEmptyQueue();
    return data;
}

void CDoubleBuffer::LockDataQueue() {
    if (m_pDataQueueMutex != nullptr) {
        pthread_mutex_lock(m_pDataQueueMutex);
    }
}

void CDoubleBuffer::UnlockDataQueue() {
    if (m_pDataQueueMutex != nullptr) {
        pthread_mutex_unlock(m_pDataQueueMutex);
    }
}

void CDoubleBuffer::LockEmptyQueue() {
    if (m_pEmptyQueueMutex != nullptr) {
        pthread_mutex_lock(m_pEmptyQueueMutex);
    }
}

void CDoubleBuffer::UnlockEmptyQueue() {
    if (m_pEmptyQueueMutex != nullptr) {
        pthread_mutex_unlock(m_pEmptyQueueMutex);
    }
}

bool CDoubleBuffer::InitDataBuffer(int32_t bufSize, int32_t bufCount) {
    if (bufSize < 1 || bufCount < 1) {
        return false;
    }
    m_nDataQueueLen = 0;
    m_lAllDataList.reserve(bufCount);
    for (int32_t i = 0; i < bufCount; ++i) {
        m_lAllDataList.push_back(new CDoubleBufferData(bufSize));
        ++m_nDataQueueLen;
    }
    for (CDoubleBufferData* data : m_lAllDataList) {
        PushEmptyQueue(data);
    }
    return true;
}

void CDoubleBuffer::DenitDataBuffer() {
    LockEmptyQueue();
    LockDataQueue();
    m_lEmptyDataQueue.clear();
    m_lDataQueue.clear();
    for (CDoubleBufferData* data : m_lAllDataList) {
        delete data;
    }
    m_lAllDataList.clear();
    m_nDataQueueLen = 0;
    UnlockEmptyQueue();
    UnlockDataQueue();
}

static pthread_mutex_t* NewMutex() {
    pthread_mutex_t* mutex = new pthread_mutex_t;
    if (pthread_mutex_init(mutex, nullptr) != 0) {
        delete mutex;
        return nullptr;
    }
    return mutex;
}

static void DeleteMutex(pthread_mutex_t*& mutex) {
    if (mutex != nullptr) {
        pthread_mutex_destroy(mutex);
        delete mutex;
        mutex = nullptr;
    }
}

bool CDoubleBuffer::InitWaitSignal() {
    m_pDataBufWait = NewMutex();
    if (m_pDataBufWait == nullptr) {
        return false;
    }
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    m_pDataBufWaitTimeout = new pthread_cond_t;
    int rc = pthread_cond_init(m_pDataBufWaitTimeout, &attr);
    pthread_condattr_destroy(&attr);
    if (rc != 0) {
        delete m_pDataBufWaitTimeout;
        m_pDataBufWaitTimeout = nullptr;
        return false;
    }
    return true;
}

void CDoubleBuffer::DeinitWaitSignal() {
    if (m_pDataBufWaitTimeout != nullptr) {
        pthread_cond_destroy(m_pDataBufWaitTimeout);
        delete m_pDataBufWaitTimeout;
        m_pDataBufWaitTimeout = nullptr;
    }
    DeleteMutex(m_pDataBufWait);
}

bool CDoubleBuffer::InitDataQueueLock() {
    m_pDataQueueMutex = NewMutex();
    return m_pDataQueueMutex != nullptr;
}

void CDoubleBuffer::DeinitDataQueueLock() {
    DeleteMutex(m_pDataQueueMutex);
}

bool CDoubleBuffer::InitEmptyQueueLock() {
    m_pEmptyQueueMutex = NewMutex();
    return m_pEmptyQueueMutex != nullptr;
}

void CDoubleBuffer::DeinitEmptyQueueLock() {
    DeleteMutex(m_pEmptyQueueMutex);
}

bool CDoubleBuffer::IsInPool(CDoubleBufferData* data) const {
    return std::find(m_lAllDataList.begin(), m_lAllDataList.end(), data) != m_lAllDataList.end();
}
