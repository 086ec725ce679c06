#include "camera/v4l2_videoctrl.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace {

const char* const kV4L2Class = "/sys/class/video4linux";

// Printing may change errno; callers of the queue operations read it after.
class CErrnoKeeper {
public:
    CErrnoKeeper() : m_nErr(errno) {}
    ~CErrnoKeeper() { errno = m_nErr; }

private:
    int m_nErr;
};

// The node number of a sysfs entry "videoN"; -1 unless N is all digits.
int NodeNumber(const char* entry) {
    const char* digits = entry + 5;
    if (*digits == '\0' || strlen(digits) > 6) {
        return -1;
    }
    for (const char* p = digits; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            return -1;
        }
    }
    return atoi(digits);
}

bool NameFileContains(const std::string& path, const std::string& name) {
    int fd = Board().Open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    char text[32];
    ssize_t n = Board().Read(fd, text, sizeof text - 1);
    Board().Close(fd);
    if (n <= 0) {
        return false;
    }
    text[n] = '\0';
    return strstr(text, name.c_str()) != nullptr;
}

}  // namespace

CV4LMMAPDATABUF::~CV4LMMAPDATABUF() {
    if (m_pBase != nullptr && Board().Munmap(m_pBase, m_nLen) != 0) {
        perror("munmap");
    }
    m_pBase = nullptr;
}

CV4L2_VideoCtrl::CV4L2_VideoCtrl(uint32_t shouldHaveCap)
    : m_nVideo_ID(-1),
      m_nRequestFormat(V4L2_PIX_FMT_YUYV),
      m_nV4L2_fd(-1),
      m_nShouldHaveCap(shouldHaveCap),
      m_nWidth(0),
      m_nHeight(0),
      m_nFramerate(0),
      m_bIsstreaming(false),
      m_pBufferListMutex(new pthread_mutex_t),
      m_v4l_buf_type(V4L2_BUF_TYPE_VIDEO_CAPTURE) {
    memset(&m_v4l2_Capability, 0, sizeof m_v4l2_Capability);
    memset(&m_v4l2_Format, 0, sizeof m_v4l2_Format);
    if (pthread_mutex_init(m_pBufferListMutex, nullptr) != 0) {
        delete m_pBufferListMutex;
        m_pBufferListMutex = nullptr;
    }
}

CV4L2_VideoCtrl::~CV4L2_VideoCtrl() {
    Close();
    ClearStreamBufferList();
    if (m_pBufferListMutex != nullptr) {
        pthread_mutex_destroy(m_pBufferListMutex);
        delete m_pBufferListMutex;
        m_pBufferListMutex = nullptr;
    }
    printf("CV4L2_VideoCtrl::~CV4L2_VideoCtrl\n");
}

bool CV4L2_VideoCtrl::Open(const std::string& name, bool block) {
    DIR* dir = Board().OpenDir(kV4L2Class);
    if (dir == nullptr) {
        printf("ERROR(%s): open %s.\n", strerror(errno), kV4L2Class);
        return false;
    }
    // Lowest node number first, so the choice does not depend on the order
    // in which the directory lists its entries.
    std::vector<std::pair<int, std::string>> nodes;
    while (struct dirent* entry = readdir(dir)) {
        const char* leaf = entry->d_name;
        if (leaf[0] == '\0' || leaf[0] == '.' || strncmp(leaf, "video", 5) != 0) {
            continue;
        }
        int id = NodeNumber(leaf);
        if (id >= 0) {
            nodes.emplace_back(id, leaf);
        }
    }
    closedir(dir);
    std::sort(nodes.begin(), nodes.end());

    for (const auto& node : nodes) {
        std::string path = std::string(kV4L2Class) + "/" + node.second + "/name";
        struct stat st;
        if (Board().Stat(path.c_str(), &st) != 0) {
            continue;
        }
        if (!name.empty() && !NameFileContains(path, name)) {
            continue;
        }
        if (InitV4LVideoDevice(node.first, block)) {
            printf("Opened V4L2ID = %d\n", node.first);
            m_nVideo_ID = node.first;
            return true;
        }
    }
    return false;
}

bool CV4L2_VideoCtrl::InitV4LVideoDevice(int id, bool block) {
    if (IsOpened()) {
        Close();  // never lose a descriptor that is still open
    }
    m_strDevName = "/dev/video" + std::to_string(id);
    int flags = O_RDWR | (block ? 0 : O_NONBLOCK);
    m_nV4L2_fd = Board().Open(m_strDevName.c_str(), flags);
    if (m_nV4L2_fd < 0) {
        printf("ERROR:(%s) opening V4L interface %s\n", strerror(errno), m_strDevName.c_str());
        m_nV4L2_fd = -1;
        m_strDevName = "";
        return false;
    }
    memset(&m_v4l2_Capability, 0, sizeof m_v4l2_Capability);
    bool usable = false;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_QUERYCAP, &m_v4l2_Capability) != 0) {
        printf("Error: VIDIOC_QUERYCAP %s: %s\n", m_strDevName.c_str(), strerror(errno));
    } else {
        // A node of a multi-node device reports its own abilities in
        // device_caps; capabilities describes the whole device.
        uint32_t caps = m_v4l2_Capability.capabilities;
        if (caps & V4L2_CAP_DEVICE_CAPS) {
            caps = m_v4l2_Capability.device_caps;
        }
        if ((caps & m_nShouldHaveCap) == 0) {
            printf("Error opening device %s: video capabilities not supported.\n",
                   m_strDevName.c_str());
        } else if ((caps & V4L2_CAP_STREAMING) == 0) {
            printf("%s does not support streaming i/o\n", m_strDevName.c_str());
        } else {
            usable = true;
        }
    }
    if (!usable) {
        CloseDescriptor();
        m_strDevName = "";
    }
    return usable;
}

void CV4L2_VideoCtrl::CloseDescriptor() {
    if (m_nV4L2_fd >= 0) {
        Board().Close(m_nV4L2_fd);
        m_nV4L2_fd = -1;
    }
}

void CV4L2_VideoCtrl::Close() {
    if (m_bIsstreaming) {
        DisableStream(m_v4l_buf_type, 1);
    }
    // Buffers of a stream that never started are unmapped too.
    ClearStreamBufferList();
    if (m_nV4L2_fd >= 0) {
        printf("Closing %s\n", m_strDevName.c_str());
        CloseDescriptor();
        Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
        Board().Usleep(100000);
    }
    m_bIsstreaming = false;
}

bool CV4L2_VideoCtrl::ReadFormat(v4l2_buf_type type, v4l2_format& fmt) {
    memset(&fmt, 0, sizeof fmt);
    fmt.type = type;
    return v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_FMT, &fmt) == 0;
}

bool CV4L2_VideoCtrl::SetV4L2PixFormat(v4l2_buf_type type, const v4l2_pix_format& pix) {
    if (type != V4L2_BUF_TYPE_VIDEO_CAPTURE && type != V4L2_BUF_TYPE_VIDEO_OUTPUT &&
        type != V4L2_BUF_TYPE_PRIVATE) {
        return false;
    }
    if (!ReadFormat(type, m_v4l2_Format)) {
        printf("get format failed\n");
        return false;
    }
    memset(&m_v4l2_Format, 0, sizeof m_v4l2_Format);
    m_v4l2_Format.type = type;
    m_v4l2_Format.fmt.pix.width = pix.width;
    m_v4l2_Format.fmt.pix.height = pix.height;
    m_v4l2_Format.fmt.pix.pixelformat = pix.pixelformat;
    m_v4l2_Format.fmt.pix.field = pix.field;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_FMT, &m_v4l2_Format) != 0) {
        printf("Unable to set format: %d.\n", errno);
        return false;
    }
    const v4l2_pix_format& granted = m_v4l2_Format.fmt.pix;
    if (type == V4L2_BUF_TYPE_VIDEO_CAPTURE) {
        ComposeWholeFrame(granted);
    }
    if (granted.width != pix.width || granted.height != pix.height) {
        m_nWidth = granted.width;
        m_nHeight = granted.height;
        printf(" format asked unavailable get width %d height %d src(%dx%d)\n", granted.width,
               granted.height, pix.width, pix.height);
    }
    return true;
}

void CV4L2_VideoCtrl::ComposeWholeFrame(const v4l2_pix_format& granted) {
    // A composing driver may keep the rectangle of an earlier, smaller format
    // across VIDIOC_S_FMT and fill only that corner of each buffer.
    v4l2_selection sel;
    memset(&sel, 0, sizeof sel);
    sel.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    sel.target = V4L2_SEL_TGT_COMPOSE;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_SELECTION, &sel) != 0) {
        return;
    }
    if (sel.r.left == 0 && sel.r.top == 0 && sel.r.width == granted.width &&
        sel.r.height == granted.height) {
        return;
    }
    printf("Capture composes into %ux%u at %d,%d; asking for the whole %ux%u\n", sel.r.width,
           sel.r.height, sel.r.left, sel.r.top, granted.width, granted.height);
    sel.r.left = 0;
    sel.r.top = 0;
    sel.r.width = granted.width;
    sel.r.height = granted.height;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_SELECTION, &sel) != 0) {
        printf("Unable to set the compose rectangle: %d.\n", errno);
    }
}

bool CV4L2_VideoCtrl::SetV4L2WinFormat(v4l2_buf_type type, const v4l2_window& win) {
    if (type != V4L2_BUF_TYPE_VIDEO_OVERLAY && type != V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
        return false;
    }
    v4l2_format fmt;
    if (!ReadFormat(type, fmt)) {
        printf("get format failed\n");
        return false;
    }
    printf("Rect left:%d, top:%d, width:%d, height:%d\n", fmt.fmt.win.w.left, fmt.fmt.win.w.top,
           fmt.fmt.win.w.width, fmt.fmt.win.w.height);
    printf("Field = %d\n", fmt.fmt.win.field);
    printf("chromakey = %d\n", fmt.fmt.win.chromakey);
    fmt.fmt.win.w = win.w;
    fmt.fmt.win.field = win.field;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_FMT, &fmt) != 0) {
        printf("Unable to set format: %d.\n", errno);
        return false;
    }
    if (!ReadFormat(type, fmt)) {
        printf("get format failed\n");
    }
    printf("Set Rect left:%d, top:%d, width:%d, height:%d\n", fmt.fmt.win.w.left, fmt.fmt.win.w.top,
           fmt.fmt.win.w.width, fmt.fmt.win.w.height);
    printf("Set Field = %d\n", fmt.fmt.win.field);
    printf("Set chromakey = %d\n", fmt.fmt.win.chromakey);
    return true;
}

bool CV4L2_VideoCtrl::SetV4L2Framerate(unsigned fps) {
    v4l2_streamparm parm;
    memset(&parm, 0, sizeof parm);
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parm.parm.capture.timeperframe.numerator = 1;
    parm.parm.capture.timeperframe.denominator = fps;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_PARM, &parm) != 0) {
        printf("Unable to VIDIOC_S_PARM: %d.\n", errno);
        return false;
    }
    return true;
}

bool CV4L2_VideoCtrl::RequestV4L2StreamBuffer(const v4l2_buf_type& type, const unsigned& count) {
    v4l2_requestbuffers req;
    memset(&req, 0, sizeof req);
    req.count = count;
    req.type = type;
    req.memory = V4L2_MEMORY_MMAP;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_REQBUFS, &req) != 0) {
        printf("Unable to allocate buffers: %d.\n", errno);
        return false;
    }
    LockStreamBufferList();
    m_lQueuedBufs.clear();  // fresh buffers start with us
    UnlockStreamBufferList();
    // No driver has more than VIDEO_MAX_FRAME buffers; a count beyond that is
    // a broken answer, and trying each index would keep this thread busy for
    // hours.
    unsigned granted = std::min<unsigned>(req.count, VIDEO_MAX_FRAME);
    if (granted < req.count) {
        printf("Driver granted %u buffers: mapping %u\n", req.count, granted);
    }
    for (unsigned i = 0; i < granted; ++i) {
        v4l2_buffer buf;
        memset(&buf, 0, sizeof buf);
        buf.index = i;
        buf.type = type;
        buf.memory = V4L2_MEMORY_MMAP;
        if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_QUERYBUF, &buf) != 0) {
            printf("Unable to query buffer (%d).\n", errno);
            continue;
        }
        printf("Request buffer length:%d\n", buf.length);
        void* base = Board().Mmap(nullptr, buf.length, PROT_READ | PROT_WRITE, MAP_SHARED,
                                  m_nV4L2_fd, buf.m.offset);
        if (base == MAP_FAILED) {
            printf("%s:%d Error: Map(%s)\n", "CreateNew", __LINE__, strerror(errno));
            continue;
        }
        AddStreamBufferList(
            static_cast<int>(i),
            new CV4LMMAPDATABUF(static_cast<char*>(base), static_cast<int32_t>(buf.length)));
    }
    if (GetStreamBufferSize() > 0) {
        return true;
    }
    printf("No buffer have been requested\n");
    return false;
}

void CV4L2_VideoCtrl::AddStreamBufferList(int index, CV4LMMAPDATABUF* buf) {
    LockStreamBufferList();
    auto it = m_lBufferList.find(static_cast<uint32_t>(index));
    if (it != m_lBufferList.end()) {
        printf("Clear buf[%d] %p\n", index, static_cast<void*>(it->second));
        delete it->second;
        m_lBufferList.erase(it);
    }
    m_lQueuedBufs.erase(static_cast<uint32_t>(index));
    printf("Add buf[%d] %p\n", index, static_cast<void*>(buf));
    m_lBufferList[static_cast<uint32_t>(index)] = buf;
    UnlockStreamBufferList();
}

void CV4L2_VideoCtrl::ClearStreamBufferList() {
    LockStreamBufferList();
    for (auto& entry : m_lBufferList) {
        printf("Clear buf[%d] %p\n", entry.first, static_cast<void*>(entry.second));
        delete entry.second;
    }
    m_lBufferList.clear();
    m_lQueuedBufs.clear();
    UnlockStreamBufferList();
}

int CV4L2_VideoCtrl::GetStreamBufferSize() {
    LockStreamBufferList();
    int n = static_cast<int>(m_lBufferList.size());
    UnlockStreamBufferList();
    return n;
}

CV4LMMAPDATABUF* CV4L2_VideoCtrl::GetStreamBufferListAt(unsigned index) {
    LockStreamBufferList();
    auto it = m_lBufferList.find(index);
    CV4LMMAPDATABUF* buf = it == m_lBufferList.end() ? nullptr : it->second;
    UnlockStreamBufferList();
    return buf;
}

void CV4L2_VideoCtrl::LockStreamBufferList() {
    if (m_pBufferListMutex != nullptr) {
        pthread_mutex_lock(m_pBufferListMutex);
    }
}

void CV4L2_VideoCtrl::UnlockStreamBufferList() {
    if (m_pBufferListMutex != nullptr) {
        pthread_mutex_unlock(m_pBufferListMutex);
    }
}

bool CV4L2_VideoCtrl::v4l2_QBUF(v4l2_buf_type type, unsigned index, v4l2_buffer& buf) {
    memset(&buf, 0, sizeof buf);
    buf.index = index;
    buf.type = type;
    buf.memory = V4L2_MEMORY_MMAP;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_QBUF, &buf) != 0) {
        CErrnoKeeper keep;
        printf("Device(%s) Unable to requeue buffer (%d).\n", m_strDevName.c_str(), errno);
        return false;
    }
    LockStreamBufferList();
    m_lQueuedBufs.insert(index);
    UnlockStreamBufferList();
    return true;
}

bool CV4L2_VideoCtrl::v4l2_DQBUF(v4l2_buf_type type, v4l2_buffer& buf) {
    memset(&buf, 0, sizeof buf);
    buf.type = type;
    buf.memory = V4L2_MEMORY_MMAP;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_DQBUF, &buf) != 0) {
        CErrnoKeeper keep;
        int err = errno;
        if (err == EAGAIN) {
            printf("No data in buffer\n");
        } else {
            printf("Device(%s) Unable to dequeue buffer (%d-%s).\n", m_strDevName.c_str(), err,
                   strerror(err));
        }
        return false;
    }
    LockStreamBufferList();
    m_lQueuedBufs.erase(buf.index);
    UnlockStreamBufferList();
    return true;
}

bool CV4L2_VideoCtrl::v4l2_ClearBuf(v4l2_buf_type type, int count) {
    bool all = true;
    LockStreamBufferList();
    for (auto& entry : m_lBufferList) {
        // A buffer the driver holds already would only be refused.
        if (m_lQueuedBufs.count(entry.first) != 0) {
            continue;
        }
        v4l2_buffer buf;
        memset(&buf, 0, sizeof buf);
        buf.index = entry.first;
        buf.type = type;
        buf.memory = V4L2_MEMORY_MMAP;
        if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_QBUF, &buf) != 0) {
            printf("Unable to queue buffer (%d).\n", errno);
            all = false;
        } else {
            m_lQueuedBufs.insert(entry.first);
        }
    }
    UnlockStreamBufferList();
    return all;
}

int CV4L2_VideoCtrl::QueuedBufferCount() {
    LockStreamBufferList();
    int n = 0;
    for (uint32_t index : m_lQueuedBufs) {
        n += m_lBufferList.count(index) != 0;
    }
    UnlockStreamBufferList();
    return n;
}

int CV4L2_VideoCtrl::HeldBufferIndex() {
    LockStreamBufferList();
    int found = -1;
    for (auto& entry : m_lBufferList) {
        if (m_lQueuedBufs.count(entry.first) == 0) {
            found = static_cast<int>(entry.first);
            break;
        }
    }
    UnlockStreamBufferList();
    return found;
}

bool CV4L2_VideoCtrl::EnableStream(v4l2_buf_type type, unsigned count) {
    if (m_bIsstreaming) {
        printf("Stream already started\n");
        return true;
    }
    bool requested = false;
    for (int attempt = 0; attempt < 4 && !requested; ++attempt) {
        requested = RequestV4L2StreamBuffer(type, count);
        if (!requested) {
            DisableStream(type, count);
        }
    }
    if (!requested) {
        return false;
    }
    if (!v4l2_ClearBuf(type, static_cast<int>(count))) {
        // The stream still starts: the caller queues what is left with us.
        printf("Stream(%s): %d of %d buffers queued\n", m_strDevName.c_str(), QueuedBufferCount(),
               GetStreamBufferSize());
    }
    int t = type;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_STREAMON, &t) != 0) {
        printf("Unable to %s capture: %d.\n", "start", errno);
        m_bIsstreaming = false;
        // Do not keep the buffers of a stream that did not start.
        ClearStreamBufferList();
        return false;
    }
    m_bIsstreaming = true;
    printf("Stream(%s) enabled.\n", m_strDevName.c_str());
    return true;
}

bool CV4L2_VideoCtrl::DisableStream(v4l2_buf_type type, unsigned count) {
    v4l2_ClearBuf(type, static_cast<int>(count));
    int t = type;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_STREAMOFF, &t) != 0) {
        printf("Unable to %s capture: %d.\n", "stop", errno);
    }
    ClearStreamBufferList();  // stream off returns every buffer to us
    m_bIsstreaming = false;
    printf("Stream(%s) disabled.\n", m_strDevName.c_str());
    return true;
}

int CV4L2_VideoCtrl::v4l2_ioctl(int fd, unsigned long request, void* arg) {
    int rc;
    do {
        rc = Board().Ioctl(fd, request, arg);
    } while (rc == -1 && errno == EINTR);
    return rc;
}

int CV4L2_VideoCtrl::isv4l2Control(int id, v4l2_queryctrl* q) {
    memset(q, 0, sizeof *q);
    q->id = static_cast<uint32_t>(id);
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_QUERYCTRL, q) != 0) {
        fprintf(stderr, "ioctl querycontrol error %d \n", errno);
        return -1;
    }
    if (q->flags & V4L2_CTRL_FLAG_DISABLED) {
        fprintf(stderr, "control %s disabled \n", reinterpret_cast<char*>(q->name));
        return -1;
    }
    if (q->type & 2) {
        return 1;
    }
    if (q->type & 1) {
        return 0;
    }
    fprintf(stderr, "contol %s unsupported. Query flags:0x%08x, type:%d\n",
            reinterpret_cast<char*>(q->name), q->flags, q->type);
    return -1;
}

bool CV4L2_VideoCtrl::ReadControl(int id, int& value) {
    v4l2_control c;
    memset(&c, 0, sizeof c);
    c.id = static_cast<uint32_t>(id);
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_CTRL, &c) != 0) {
        printf("ioctl get control error\n");
        return false;
    }
    value = c.value;
    return true;
}

int CV4L2_VideoCtrl::WriteControl(int id, int value) {
    v4l2_control c;
    memset(&c, 0, sizeof c);
    c.id = static_cast<uint32_t>(id);
    c.value = value;
    return v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_CTRL, &c);
}

int CV4L2_VideoCtrl::GetControlValue(int id, int& value) {
    v4l2_queryctrl q;
    if (isv4l2Control(id, &q) < 0) {
        return -1;
    }
    return ReadControl(id, value) ? 0 : -1;
}

int CV4L2_VideoCtrl::SetControlValue(int id, int& value) {
    v4l2_queryctrl q;
    if (isv4l2Control(id, &q) < 0) {
        return -1;
    }
    if (value < q.minimum || value > q.maximum) {
        return 0;
    }
    if (WriteControl(id, value) != 0) {
        printf("ioctl set control error(%d)\n", errno);
        return -1;
    }
    return GetControlValue(id, value);
}

int CV4L2_VideoCtrl::ResetControl(int id) {
    v4l2_queryctrl q;
    if (isv4l2Control(id, &q) < 0) {
        return -1;
    }
    if (WriteControl(id, q.default_value) != 0) {
        printf("ioctl reset control error\n");
        return -1;
    }
    return 0;
}

bool CV4L2_VideoCtrl::GetControlValueMaxMin(int id, int& max, int& min) {
    v4l2_queryctrl q;
    if (isv4l2Control(id, &q) < 0) {
        return false;
    }
    int value = 0;
    if (!ReadControl(id, value)) {
        return false;
    }
    max = q.maximum;
    min = q.minimum;
    return true;
}

int CV4L2_VideoCtrl::GetOutput() {
    if (!IsOpened()) {
        return 0;
    }
    int output = -1;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_OUTPUT, &output) != 0) {
        printf("Error opening device %s: unable to VIDIOC_S_OUTPUT.\n", m_strDevName.c_str());
        return -1;
    }
    return output;
}

bool CV4L2_VideoCtrl::SetOutput_ID(int n) {
    if (!IsOpened()) {
        return false;
    }
    printf("Setout id: %d\n", n);
    int output = n;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_OUTPUT, &output) != 0) {
        printf("Error opening device %s: unable to VIDIOC_S_OUTPUT.\n", m_strDevName.c_str());
        return false;
    }
    v4l2_output out;
    memset(&out, 0, sizeof out);
    out.index = static_cast<uint32_t>(output);
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_ENUMOUTPUT, &out) != 0) {
        printf("Error opening device %s: unable to VIDIOC_ENUMOUTPUT.\n", m_strDevName.c_str());
        return false;
    }
    printf("Set output to %s\n", reinterpret_cast<char*>(out.name));
    return true;
}

bool CV4L2_VideoCtrl::SetFBuf_Overlay() {
    if (!IsOpened()) {
        return false;
    }
    v4l2_framebuffer fb;
    memset(&fb, 0, sizeof fb);
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_FBUF, &fb) != 0) {
        printf("Error opening device %s: VIDIOC_G_FBUF.\n", m_strDevName.c_str());
        return false;
    }
    printf("PXP overlay 0: flag=0x%04X\n", fb.flags);
    fb.flags |= V4L2_FBUF_FLAG_OVERLAY | V4L2_FBUF_FLAG_CHROMAKEY;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_FBUF, &fb) != 0) {
        printf("Error opening device %s: VIDIOC_S_FBUF.\n", m_strDevName.c_str());
        return false;
    }
    WriteControl(V4L2_CID_PRIVATE_BASE + 3, 1);  // driver-private; its answer does not matter
    return true;
}

static void PrintWindow(const v4l2_window& w) {
    printf("chromakey:0x%04X, global_alpha:0x%x, field:%d, xy(%d,%d), wh(%dx%d)\n", w.chromakey,
           w.global_alpha, w.field, w.w.left, w.w.top, w.w.width, w.w.height);
}

bool CV4L2_VideoCtrl::SetOutput_Overlay(const v4l2_window& win) {
    if (!IsOpened()) {
        return false;
    }
    v4l2_format fmt;
    if (!ReadFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY, fmt)) {
        printf("Error opening device %s: unable to VIDIOC_G_FMT.\n", m_strDevName.c_str());
        return false;
    }
    fmt.fmt.win.field = win.field;
    fmt.fmt.win.w = win.w;
    fmt.fmt.win.chromakey = win.chromakey;
    fmt.fmt.win.global_alpha = win.global_alpha;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_FMT, &fmt) != 0) {
        printf("Error opening device %s: unable to VIDIOC_S_FMT.\n", m_strDevName.c_str());
    }
    if (!ReadFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY, fmt)) {
        printf("Error opening device %s: unable to VIDIOC_G_FMT.\n", m_strDevName.c_str());
    }
    PrintWindow(win);
    const v4l2_window& got = fmt.fmt.win;
    PrintWindow(got);
    bool same = got.field == win.field && got.w.left == win.w.left && got.w.top == win.w.top &&
                got.w.width == win.w.width && got.w.height == win.w.height &&
                got.chromakey == win.chromakey && got.global_alpha == win.global_alpha;
    if (!same) {
        printf("Device(%s) Error: SetOutput_Overlay\n", m_strDevName.c_str());
    }
    return same;
}

bool CV4L2_VideoCtrl::SetOutput_Crop(const v4l2_crop& crop) {
    v4l2_crop cur;
    memset(&cur, 0, sizeof cur);
    cur.type = V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_CROP, &cur) == 0) {
        printf("Get CROP: xy(%d,%d) wh(%dx%d)\n", cur.c.left, cur.c.top, cur.c.width, cur.c.height);
    } else {
        printf("Error opening device %s: unable to VIDIOC_G_CROP.\n", m_strDevName.c_str());
    }
    v4l2_crop set = crop;
    set.type = V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_S_CROP, &set) != 0) {
        printf("Error opening device %s: unable to VIDIOC_G_CROP.\n", m_strDevName.c_str());
        return false;
    }
    memset(&cur, 0, sizeof cur);
    cur.type = V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
    if (v4l2_ioctl(m_nV4L2_fd, VIDIOC_G_CROP, &cur) != 0) {
        printf("Error opening device %s: unable to VIDIOC_G_CROP.\n", m_strDevName.c_str());
        return true;
    }
    printf("Set CROP: xy(%d,%d) wh(%dx%d)\n", cur.c.left, cur.c.top, cur.c.width, cur.c.height);
    return true;
}
