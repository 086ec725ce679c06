// A fuzz input read byte by byte; once it is used up every byte reads 0, so a
// harness never needs to check the length before it asks.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace VeltoFuzz {

class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_p(data), m_n(size) {}
    uint8_t Byte() {
        if (m_n == 0) {
            return 0;
        }
        --m_n;
        return *m_p++;
    }
    const uint8_t* Data() const { return m_p; }
    size_t Left() const { return m_n; }

private:
    const uint8_t* m_p;
    size_t m_n;
};

}  // namespace VeltoFuzz
