#include "sim/sim_mmap_buffers.h"

#include <errno.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

CVeltoSimMmapBuffers::CVeltoSimMmapBuffers(const char* name, std::function<void(int)> countMapping)
    : m_szName(name), m_countMapping(std::move(countMapping)) {}

CVeltoSimMmapBuffers::~CVeltoSimMmapBuffers() {
    Free();
}

int CVeltoSimMmapBuffers::Allocate(uint32_t count, size_t bytes) {
    Free();
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    m_nLength = count != 0 ? (bytes + page - 1) / page * page : 0;
    for (uint32_t i = 0; i < count; ++i) {
        Buffer b;
        b.memfd = memfd_create(m_szName, MFD_CLOEXEC);
        void* p = MAP_FAILED;
        if (b.memfd >= 0 && ftruncate(b.memfd, static_cast<off_t>(m_nLength)) == 0) {
            p = ::mmap(nullptr, m_nLength, PROT_READ | PROT_WRITE, MAP_SHARED, b.memfd, 0);
        }
        if (p == MAP_FAILED) {
            int err = errno != 0 ? errno : ENOMEM;
            if (b.memfd >= 0) {
                ::close(b.memfd);
            }
            Free();
            return err;
        }
        b.pixels = static_cast<uint8_t*>(p);
        m_buffers.push_back(std::move(b));
    }
    return 0;
}

void CVeltoSimMmapBuffers::Free() {
    for (Buffer& b : m_buffers) {
        ::munmap(b.pixels, m_nLength);
        ::close(b.memfd);  // client mappings keep the memory alive
        m_orphanMaps.insert(m_orphanMaps.end(), b.userMaps.begin(), b.userMaps.end());
    }
    m_buffers.clear();
    m_nLength = 0;
}

bool CVeltoSimMmapBuffers::AnyMapped() const {
    for (const Buffer& b : m_buffers) {
        if (!b.userMaps.empty()) {
            return true;
        }
    }
    return false;
}

void* CVeltoSimMmapBuffers::Map(void* addr, size_t length, int prot, int flags, off_t offset) {
    for (size_t i = 0; i < m_buffers.size() && (flags & MAP_SHARED) != 0; ++i) {
        if (Offset(i) != offset) {
            continue;
        }
        if (length == 0 || length > m_nLength) {
            break;
        }
        void* p = ::mmap(addr, length, prot, flags, m_buffers[i].memfd, 0);
        if (p != MAP_FAILED) {
            m_buffers[i].userMaps.push_back(p);
            m_countMapping(1);
        }
        return p;
    }
    errno = EINVAL;
    return MAP_FAILED;
}

void CVeltoSimMmapBuffers::Unmapped(void* addr) {
    for (Buffer& b : m_buffers) {
        auto it = std::find(b.userMaps.begin(), b.userMaps.end(), addr);
        if (it != b.userMaps.end()) {
            b.userMaps.erase(it);
            m_countMapping(-1);
            return;
        }
    }
    auto it = std::find(m_orphanMaps.begin(), m_orphanMaps.end(), addr);
    if (it != m_orphanMaps.end()) {
        m_orphanMaps.erase(it);
        m_countMapping(-1);
    }
}
