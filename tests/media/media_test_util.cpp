#include "media_test_util.h"

#include <stdio.h>
#include <string.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

namespace MediaTest {

std::vector<char> MakeFrame(int width, int height, uint32_t seed) {
    std::vector<char> f(size_t(width) * height * 2);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < f.size(); i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        f[i] = char(x >> 24);
    }
    return f;
}

std::vector<char> ReadAll(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& hostPath, const std::vector<char>& bytes) {
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (status) {
            *status = -1;
        }
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) {
        out.append(buf, n);
    }
    int st = pclose(p);
    if (status) {
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    return out;
}

bool HaveTool(const char* name) {
    int st = 0;
    RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1", &st);
    return st == 0;
}

uint32_t Get32(const std::vector<char>& b, size_t at) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put32(std::vector<char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) {
        b[at + i] = char(v >> (8 * i));
    }
}

std::string Tag(const std::vector<char>& b, size_t at) {
    return std::string(b.data() + at, 4);
}

}  // namespace MediaTest
