#include <ctype.h>
#include <string.h>

#include "platform/velto_SC_utils.h"

namespace Velto {

size_t strlcpy(char* dst, const char* src, size_t size) {
    size_t len = strlen(src);
    if (size > 0) {
        size_t n = len < size - 1 ? len : size - 1;
        memcpy(dst, src, n);
        dst[n] = '\0';
    }
    return len;
}

size_t strlcat(char* dst, const char* src, size_t size) {
    size_t used = strnlen(dst, size);
    size_t len = strlen(src);
    if (used == size) {
        return size + len;  // dst already fills the buffer: nothing appended
    }
    size_t room = size - used - 1;
    size_t n = len < room ? len : room;
    memcpy(dst + used, src, n);
    dst[used + n] = '\0';
    return used + len;
}

bool StringToUpcase(std::string& s) {
    for (char& c : s) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    return !s.empty();
}

bool StringToLowcase(std::string& s) {
    for (char& c : s) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return !s.empty();
}

std::string GetExtendFilename(std::string name) {
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

unsigned char bin2bcd(unsigned v) {
    return static_cast<unsigned char>((v % 10) + (v / 10) * 16);
}

unsigned bcd2bin(unsigned char v) {
    return (v & 0x0Fu) + (v >> 4) * 10u;
}

bool compare_nocase(const std::string& a, const std::string& b) {
    if (a.empty()) {
        return !b.empty();
    }
    if (b.empty()) {
        return false;
    }
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = tolower(static_cast<unsigned char>(a[i]));
        int cb = tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb;
        }
    }
    return a.size() < b.size();
}

bool IsShellSafe(const std::string& s) {
    if (s.empty()) {
        return false;
    }
    for (unsigned char c : s) {
        if (!isalnum(c) && strchr("/._-+:,=@%", c) == nullptr) {
            return false;
        }
    }
    return true;
}

std::string TrimDIR(const std::string& p) {
    std::string t = p;
    while (!t.empty() && t.back() == '/') {
        t.pop_back();
    }
    if (!t.empty() && t[0] == '/') {
        size_t first = t.find_first_not_of('/');
        t = "/" + t.substr(first);
    }
    return t;
}

std::string Basename(const std::string& p) {
    std::string t = TrimDIR(p);
    size_t slash = t.find_last_of('/');
    return slash == std::string::npos ? t : t.substr(slash + 1);
}

std::string GetParentDIR(const std::string& p) {
    std::string t = TrimDIR(p);
    size_t slash = t.find_last_of('/');
    return slash == std::string::npos ? std::string() : t.substr(0, slash);
}

std::string PathBasename(const std::string& p) {
    size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

}  // namespace Velto
