// The memory behind a simulated V4L2 node's mmap buffers. Each buffer is a
// memfd the driver keeps mapped for itself, found by clients at the offset
// cookie index * Length(). A client's mappings outlive the buffers: freeing
// them leaves the mappings counted until they are unmapped, as a real
// driver's memory stays until the last mapping goes.
//
// Not locked: the owning handle's mutex guards every call.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#include <functional>
#include <vector>

class CVeltoSimMmapBuffers {
public:
    // countMapping is told +1 for each client mapping made and -1 for each
    // one unmapped; name labels the memfds.
    CVeltoSimMmapBuffers(const char* name, std::function<void(int)> countMapping);
    ~CVeltoSimMmapBuffers();
    CVeltoSimMmapBuffers(const CVeltoSimMmapBuffers&) = delete;
    CVeltoSimMmapBuffers& operator=(const CVeltoSimMmapBuffers&) = delete;

    // Replaces the buffers by count new ones of bytes each, rounded up to
    // whole pages. 0, or the errno of the failure (no buffers then).
    int Allocate(uint32_t count, size_t bytes);
    // Drops every buffer; client mappings stay counted until unmapped.
    void Free();

    size_t Count() const { return m_buffers.size(); }
    bool Empty() const { return m_buffers.empty(); }
    // Bytes of each buffer (whole pages); 0 without buffers.
    size_t Length() const { return m_nLength; }
    off_t Offset(size_t index) const { return static_cast<off_t>(index * m_nLength); }
    // The driver's own view of buffer index.
    uint8_t* Pixels(size_t index) const { return m_buffers[index].pixels; }
    // Whether a client has buffer index (any buffer) mapped.
    bool Mapped(size_t index) const { return !m_buffers[index].userMaps.empty(); }
    bool AnyMapped() const;

    // A client's mmap: MAP_SHARED, at a buffer's offset, at most its length.
    // MAP_FAILED with errno EINVAL otherwise.
    void* Map(void* addr, size_t length, int prot, int flags, off_t offset);
    // A client unmapped addr (of a buffer, or of one freed since).
    void Unmapped(void* addr);

private:
    struct Buffer {
        int memfd = -1;
        uint8_t* pixels = nullptr;
        std::vector<void*> userMaps;
    };

    const char* m_szName;
    std::function<void(int)> m_countMapping;
    size_t m_nLength = 0;
    std::vector<Buffer> m_buffers;
    std::vector<void*> m_orphanMaps;  // client mappings of freed buffers
};
