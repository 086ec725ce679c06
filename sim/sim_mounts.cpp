#include "sim/sim_mounts.h"

#include <stdio.h>
#include <unistd.h>

#include <sstream>

#include "sim/sim_files.h"

namespace VeltoSim {

static std::string MountsFile(const std::string& root) {
    return root + "/proc/mounts";
}

std::vector<MountEntry> ReadMounts(const std::string& root) {
    std::vector<MountEntry> entries;
    std::istringstream in(ReadText(MountsFile(root)));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> w = SplitWords(line);
        if (w.size() >= 3) {
            entries.push_back({w[0], w[1], w[2]});
        }
    }
    return entries;
}

static void WriteMounts(const std::string& root, const std::vector<MountEntry>& entries) {
    std::string text;
    for (const MountEntry& e : entries) {
        text += e.device + " " + e.dir + " " + e.type + " rw,relatime 0 0\n";
    }
    WriteText(MountsFile(root), text);
}

bool FindMountFor(const std::string& root, const std::string& boardPath, MountEntry& out) {
    size_t best = 0;
    bool found = false;
    for (const MountEntry& e : ReadMounts(root)) {
        if (e.dir.empty() || e.dir[0] != '/') {
            continue;
        }
        bool inside = boardPath == e.dir || (boardPath.compare(0, e.dir.size(), e.dir) == 0 &&
                                             (e.dir == "/" || boardPath[e.dir.size()] == '/'));
        if (inside && e.dir.size() >= best) {
            best = e.dir.size();
            out = e;
            found = true;
        }
    }
    return found;
}

std::string DiskDir(const std::string& root, const std::string& device) {
    size_t slash = device.find_last_of('/');
    std::string name = slash == std::string::npos ? device : device.substr(slash + 1);
    return root + "/sim/disks/" + name;
}

static std::string TrimSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

int Mount(const std::string& root, const std::string& device, const std::string& dirIn,
          const std::string& type) {
    std::string dir = TrimSlashes(dirIn);
    if (device.compare(0, 5, "/dev/") != 0 || !Exists(root + device)) {
        fprintf(stderr, "mount: %s: special device does not exist\n", device.c_str());
        return 32;
    }
    std::string hostDir = root + dir;
    if (!IsDir(hostDir)) {
        fprintf(stderr, "mount: %s: mount point does not exist\n", dir.c_str());
        return 32;
    }
    std::vector<MountEntry> entries = ReadMounts(root);
    for (const MountEntry& e : entries) {
        if (e.dir == dir) {
            fprintf(stderr, "mount: %s: already mounted\n", dir.c_str());
            return 32;
        }
    }
    // An unmounted mount point must be an empty directory, as it is replaced
    // by a link to the device's contents.
    if (::rmdir(hostDir.c_str()) != 0) {
        fprintf(stderr, "mount: %s: mount point busy or not empty\n", dir.c_str());
        return 32;
    }
    std::string disk = DiskDir(root, device);
    MakeDirs(disk);
    if (::symlink(disk.c_str(), hostDir.c_str()) != 0) {
        MakeDirs(hostDir);
        return 32;
    }
    entries.push_back({device, dir, type});
    WriteMounts(root, entries);
    return 0;
}

int Umount(const std::string& root, const std::string& target) {
    std::string t = TrimSlashes(target);
    std::vector<MountEntry> entries = ReadMounts(root);
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].dir == t || entries[i].device == t) {
            std::string hostDir = root + entries[i].dir;
            ::unlink(hostDir.c_str());
            MakeDirs(hostDir);
            entries.erase(entries.begin() + static_cast<long>(i));
            WriteMounts(root, entries);
            return 0;
        }
    }
    fprintf(stderr, "umount: %s: not mounted\n", t.c_str());
    return 32;
}

long long FreeKiB(const std::string& root, const std::string& dir) {
    std::istringstream in(ReadText(root + "/sim/free"));
    std::string line;
    long long kib = -1;
    while (std::getline(in, line)) {
        std::vector<std::string> w = SplitWords(line);
        if (w.size() == 2 && w[0] == TrimSlashes(dir)) {
            kib = atoll(w[1].c_str());
        }
    }
    return kib;
}

void SetFreeKiB(const std::string& root, const std::string& dirIn, long long kib) {
    std::string dir = TrimSlashes(dirIn);
    std::istringstream in(ReadText(root + "/sim/free"));
    std::string line, text;
    while (std::getline(in, line)) {
        std::vector<std::string> w = SplitWords(line);
        if (w.size() == 2 && w[0] != dir) {
            text += line + "\n";
        }
    }
    if (kib >= 0) {
        text += dir + " " + std::to_string(kib) + "\n";
    }
    WriteText(root + "/sim/free", text);
}

}  // namespace VeltoSim
