#include "sim/sim_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace VeltoSim {

bool ReadText(const std::string& path, std::string& out) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) {
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return n == 0;
}

std::string ReadText(const std::string& path) {
    std::string s;
    ReadText(path, s);
    return s;
}

static bool WriteWithFlags(const std::string& path, const std::string& text, int flags) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) {
        return false;
    }
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0;
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteWithFlags(path, text, O_TRUNC);
}

bool AppendText(const std::string& path, const std::string& text) {
    return WriteWithFlags(path, text, O_APPEND);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirs(const std::string& path) {
    if (path.empty() || IsDir(path)) {
        return !path.empty();
    }
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        MakeDirs(path.substr(0, slash));
    }
    return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsDir(path));
}

bool ClearDir(const std::string& path) {
    DIR* d = ::opendir(path.c_str());
    if (d == nullptr) {
        return false;
    }
    bool ok = true;
    while (struct dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        ok = RemoveTree(path + "/" + name) && ok;
    }
    ::closedir(d);
    return ok;
}

bool RemoveTree(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (S_ISDIR(st.st_mode)) {
        ClearDir(path);
        return ::rmdir(path.c_str()) == 0;
    }
    return ::unlink(path.c_str()) == 0;
}

std::string ReadLine(const std::string& path, const std::string& fallback) {
    std::string text;
    if (!ReadText(path, text)) {
        return fallback;
    }
    size_t nl = text.find('\n');
    if (nl != std::string::npos) {
        text.resize(nl);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

long long ReadNumber(const std::string& path, long long fallback) {
    std::string line = ReadLine(path);
    if (line.empty()) {
        return fallback;
    }
    char* end = nullptr;
    long long v = strtoll(line.c_str(), &end, 10);
    return end == line.c_str() ? fallback : v;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

}  // namespace VeltoSim
