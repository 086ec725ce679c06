// Mounts, free space, SD card discovery and the USB mass-storage hand-over.
// Nothing is kept: every call re-reads the mount table or /sys/block.
#include <errno.h>
#include <mntent.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <initializer_list>
#include <vector>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace Velto {

namespace {

const char kMounts[] = "/proc/mounts";
const char kSysBlock[] = "/sys/block";
const char kLoopDevice[] = "/dev/loop0";
const char kLun0[] = "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file";
const char kLun1[] = "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file";

bool IsDirectory(const std::string& path) {
    struct stat st;
    return Board().Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Names of the usable entries of a directory, in directory order; false
// (with the message) when it cannot be opened.
bool ListDir(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    DIR* d = Board().OpenDir(dir.c_str());
    if (d == nullptr) {
        printf("ERROR(%s): open %s.\n", strerror(errno), dir.c_str());
        return false;
    }
    while (struct dirent* e = readdir(d)) {
        if (e->d_name[0] != '\0' && e->d_name[0] != '.') {
            names.push_back(e->d_name);
        }
    }
    closedir(d);
    return true;
}

// Partition names of the card in directory order: sub-directories that
// carry a "stat" file.
std::vector<std::string> CardPartitions() {
    std::vector<std::string> parts;
    std::string d = GetMMCBlockSysDir();
    std::vector<std::string> names;
    if (d.empty() || !ListDir(d, names)) {
        return parts;
    }
    for (const std::string& name : names) {
        std::string sub = d + "/" + name;
        struct stat st;
        if (IsDirectory(sub) && Board().Stat((sub + "/stat").c_str(), &st) == 0) {
            parts.push_back(name);
        }
    }
    return parts;
}

// Runs a detach command, printing a negative result.
void RunDetach(const char* command) {
    if (Board().System(command) < 0) {
        printf("Error: Excute %s\n", command);
    }
}

// Runs a command built from run-time strings only when each of them is a
// plain word; anything else could run a second command through the shell.
bool RunChecked(const std::string& command, std::initializer_list<std::string> parts) {
    for (const std::string& p : parts) {
        if (!IsShellSafe(p)) {
            printf("Error: refusing unsafe name '%s'\n", p.c_str());
            return false;
        }
    }
    Board().System(command.c_str());
    return true;
}

}  // namespace

std::string GetMountpoint(std::string dev, std::string fstype) {
    if (dev.empty() || fstype.empty()) {
        return std::string();
    }
    FILE* f = Board().Fopen(kMounts, "r");
    if (f == nullptr) {
        return std::string();
    }
    std::string result;
    struct mntent entry;
    char buf[1024];
    while (getmntent_r(f, &entry, buf, sizeof buf) != nullptr) {
        if (entry.mnt_fsname[0] != '/') {
            continue;
        }
        if (dev == entry.mnt_fsname && fstype == entry.mnt_type) {
            result = entry.mnt_dir;
            break;
        }
    }
    fclose(f);
    return result;
}

long GetAvailDiskSpace(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    struct statfs st;
    if (Board().Statfs(path.c_str(), &st) != 0) {
        return -1;
    }
    uint64_t kib =
        (static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_bsize) + 512) / 1024;
    // The device's long is 32 bits; keep its result on every host.
    return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(kib)));
}

std::string GetNandDataPart() {
    return TrimDIR(GetMountpoint(kLoopDevice, "vfat"));
}

long GetUserNandAvailableSpace() {
    return GetAvailDiskSpace(GetNandDataPart());
}

std::string GetMMCBlockSysDir() {
    std::vector<std::string> names;
    if (!ListDir(kSysBlock, names)) {
        return std::string();
    }
    for (const std::string& name : names) {
        std::string path = std::string(kSysBlock) + "/" + name;
        if (IsDirectory(path) && name.find("mmcblk") != std::string::npos) {
            return path;
        }
    }
    return std::string();
}

std::string GetMMCFirstPartDev() {
    std::vector<std::string> parts = CardPartitions();
    return parts.empty() ? std::string() : "/dev/" + parts.front();
}

std::string GetMMCFirstPart() {
    for (const std::string& name : CardPartitions()) {
        std::string mp = GetMountpoint("/dev/" + name, "vfat");
        if (!mp.empty()) {
            return mp;
        }
    }
    return std::string();
}

long GetFirstMMCAvailableSpace() {
    return GetAvailDiskSpace(GetMMCFirstPart());
}

void ExportMediaToUsbHost(const std::string& sd) {
    if (!sd.empty()) {
        std::string dev = TrimDIR(GetMMCFirstPartDev());
        RunChecked("/bin/echo  " + dev + " > " + kLun1, {dev});
    }
    Board().System((std::string("/bin/echo  ") + "/dev/loop0 " + " > " + kLun0).c_str());
}

void ReclaimMediaFromUsbHost(const std::string& sd) {
    ReleaseVMCache(K_CACHE_PAGE);
    if (!sd.empty()) {
        RunDetach((std::string("/bin/echo \"\" > ") + kLun1).c_str());
        RunChecked("/bin/umount  -f  " + sd, {sd});
        Board().System("mount -t vfat /dev/mmcblk0p1  /media/sd-mmcblk0p1");
    }
    RunDetach((std::string("/bin/echo \"\" > ") + kLun0).c_str());
    Board().System("/bin/umount  -f   /media/nand");
    Board().System((std::string("/bin/mount -t vfat ") + "/dev/loop0 " + " /media/nand").c_str());
}

}  // namespace Velto
