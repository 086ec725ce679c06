#include "sim/sim_shared_screen.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "sim/sim_files.h"

const char kVeltoSimWindowMarker[] = "window";

namespace {

constexpr uint32_t kMagic = 0x5653434eu;  // "NCSV"
constexpr uint32_t kVersion = 1;
constexpr size_t kMaxPixels = (size_t)kVeltoSimScreenMaxSide * kVeltoSimScreenMaxSide;

long long MonotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

bool Alive(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

// Shared between processes: fields are written by the one writer; the
// sequence is odd while a picture is being written.
struct SHeader {
    uint32_t magic;
    uint32_t version;
    uint32_t width;
    uint32_t height;
    uint32_t sequence;
    int32_t pid;
    uint32_t open;
    uint32_t reserved;
    int64_t openedNs;
    char program[64];
};

bool VeltoSimWindowIsOpen(const std::string& simDir) {
    long long pid = VeltoSim::ReadNumber(simDir + "/" + kVeltoSimWindowMarker, 0);
    return pid > 0 && Alive((pid_t)pid);
}

bool VeltoSimMarkWindow(const std::string& simDir, bool open) {
    const std::string path = simDir + "/" + kVeltoSimWindowMarker;
    if (!open) {
        return unlink(path.c_str()) == 0 || errno == ENOENT;
    }
    return VeltoSim::WriteText(path, std::to_string(getpid()) + "\n");
}

CVeltoSimScreenWriter::~CVeltoSimScreenWriter() {
    Close();
}

bool CVeltoSimScreenWriter::Open(const std::string& simDir, const std::string& program, int width,
                                 int height) {
    Close();
    if (width < 1 || height < 1 || width > kVeltoSimScreenMaxSide ||
        height > kVeltoSimScreenMaxSide || program.empty()) {
        printf("Error: window screen: a %dx%d screen cannot be shown\n", width, height);
        return false;
    }
    const std::string path = simDir + "/screen-" + program + ".shm";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    const size_t size = sizeof(SHeader) + kMaxPixels * 4;
    if (fd < 0 || ftruncate(fd, (off_t)size) != 0) {
        printf("Error: window screen: cannot make %s: %s\n", path.c_str(), strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (mem == MAP_FAILED) {
        printf("Error: window screen: cannot map %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    m_pHeader = static_cast<SHeader*>(mem);
    m_pPixels = reinterpret_cast<uint32_t*>(m_pHeader + 1);
    m_nMapped = size;
    m_nWidth = width;
    m_nHeight = height;
    SHeader& h = *m_pHeader;
    // Readers take a picture only while the sequence is even and unchanged.
    uint32_t seq = __atomic_load_n(&h.sequence, __ATOMIC_ACQUIRE) | 1u;
    __atomic_store_n(&h.sequence, seq, __ATOMIC_RELEASE);
    h.magic = kMagic;
    h.version = kVersion;
    h.width = (uint32_t)width;
    h.height = (uint32_t)height;
    h.pid = (int32_t)getpid();
    snprintf(h.program, sizeof h.program, "%s", program.c_str());
    memset(m_pPixels, 0, (size_t)width * height * 4);
    h.openedNs = MonotonicNs();
    __atomic_store_n(&h.open, 1u, __ATOMIC_RELEASE);
    __atomic_store_n(&h.sequence, seq + 1, __ATOMIC_RELEASE);
    return true;
}

void CVeltoSimScreenWriter::Write(const uint32_t* pixels) {
    if (!m_pHeader || !pixels) {
        return;
    }
    uint32_t seq = __atomic_load_n(&m_pHeader->sequence, __ATOMIC_RELAXED);
    __atomic_store_n(&m_pHeader->sequence, seq | 1u, __ATOMIC_RELEASE);
    __atomic_thread_fence(__ATOMIC_SEQ_CST);
    memcpy(m_pPixels, pixels, (size_t)m_nWidth * m_nHeight * 4);
    __atomic_store_n(&m_pHeader->sequence, (seq | 1u) + 1, __ATOMIC_RELEASE);
}

void CVeltoSimScreenWriter::Close() {
    if (!m_pHeader) {
        return;
    }
    __atomic_store_n(&m_pHeader->open, 0u, __ATOMIC_RELEASE);
    munmap(m_pHeader, m_nMapped);
    m_pHeader = nullptr;
    m_pPixels = nullptr;
}

CVeltoSimScreenReader::~CVeltoSimScreenReader() {
    for (SMapped& m : m_maps) {
        munmap(m.header, m.size);
    }
}

void CVeltoSimScreenReader::Rescan() {
    DIR* dir = opendir(m_strSimDir.c_str());
    if (!dir) {
        return;
    }
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.compare(0, 7, "screen-") != 0 || name.size() < 12 ||
            name.compare(name.size() - 4, 4, ".shm") != 0) {
            continue;
        }
        std::string path = m_strSimDir + "/" + name;
        struct stat now;
        if (stat(path.c_str(), &now) != 0) {
            continue;
        }
        bool known = false;
        for (size_t i = 0; i < m_maps.size(); ++i) {
            if (m_maps[i].path != path) {
                continue;
            }
            known = m_maps[i].inode == now.st_ino;
            if (!known) {
                // A new board in the same place: its file is another.
                munmap(m_maps[i].header, m_maps[i].size);
                m_maps.erase(m_maps.begin() + (long)i);
                m_nTop = -1;
            }
            break;
        }
        if (known) {
            continue;
        }
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0) {
            continue;
        }
        const size_t size = sizeof(SHeader) + kMaxPixels * 4;
        if (fstat(fd, &st) != 0 || (size_t)st.st_size < size) {
            close(fd);  // still being made: the next scan takes it
            continue;
        }
        void* mem = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        if (mem != MAP_FAILED) {
            m_maps.push_back(SMapped{path, static_cast<SHeader*>(mem), size, st.st_ino});
        }
    }
    closedir(dir);
}

bool CVeltoSimScreenReader::Update() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    long long nowMs = (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
    // New programs are looked for often while none is on the screen.
    if (m_nLastScanMs < 0 || nowMs - m_nLastScanMs >= (m_nTop < 0 ? 20 : 200)) {
        m_nLastScanMs = nowMs;
        Rescan();
    }
    m_nTop = -1;
    int64_t best = 0;
    for (size_t i = 0; i < m_maps.size(); ++i) {
        const SHeader& h = *m_maps[i].header;
        if (h.magic != kMagic || h.version != kVersion ||
            !__atomic_load_n(&h.open, __ATOMIC_ACQUIRE) || !Alive(h.pid) || h.width < 1 ||
            h.height < 1 || h.width > (uint32_t)kVeltoSimScreenMaxSide ||
            h.height > (uint32_t)kVeltoSimScreenMaxSide) {
            continue;
        }
        if (m_nTop < 0 || h.openedNs > best) {
            m_nTop = (int)i;
            best = h.openedNs;
        }
    }
    if (m_nTop < 0) {
        m_strProgram.clear();
        return false;
    }
    const SHeader& h = *m_maps[(size_t)m_nTop].header;
    char name[sizeof h.program + 1] = {};
    memcpy(name, h.program, sizeof h.program);
    m_strProgram = name;
    m_nWidth = (int)h.width;
    m_nHeight = (int)h.height;
    m_nSequence = __atomic_load_n(&h.sequence, __ATOMIC_ACQUIRE);
    m_nOpenedNs = h.openedNs;
    return true;
}

bool CVeltoSimScreenReader::Copy(std::vector<uint32_t>& pixels) {
    if (m_nTop < 0) {
        return false;
    }
    const SHeader& h = *m_maps[(size_t)m_nTop].header;
    const uint32_t* src = reinterpret_cast<const uint32_t*>(&h + 1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint32_t before = __atomic_load_n(&h.sequence, __ATOMIC_ACQUIRE);
        if (before & 1u) {
            usleep(500);
            continue;
        }
        uint32_t w = h.width, hh = h.height;
        if (w < 1 || hh < 1 || w > (uint32_t)kVeltoSimScreenMaxSide ||
            hh > (uint32_t)kVeltoSimScreenMaxSide) {
            return false;
        }
        pixels.resize((size_t)w * hh);
        memcpy(pixels.data(), src, pixels.size() * 4);
        __atomic_thread_fence(__ATOMIC_SEQ_CST);
        if (__atomic_load_n(&h.sequence, __ATOMIC_ACQUIRE) == before) {
            m_nWidth = (int)w;
            m_nHeight = (int)hh;
            return true;
        }
    }
    return false;
}
