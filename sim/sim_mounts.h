// The simulated mount table (board/proc/mounts) and the block devices behind
// it. A mounted directory is a symlink to the device's contents under
// board/sim/disks/NAME; an unmounted mount point is an empty directory.
#pragma once

#include <string>
#include <vector>

namespace VeltoSim {

struct MountEntry {
    std::string device;  // "/dev/loop0"
    std::string dir;     // "/media/nand"
    std::string type;    // "vfat"
};

std::vector<MountEntry> ReadMounts(const std::string& root);
// The entry whose directory holds boardPath (longest match), or null.
bool FindMountFor(const std::string& root, const std::string& boardPath, MountEntry& out);

// Results are exit codes as mount(8)/umount(8) give them: 0 ok, 32 failure.
int Mount(const std::string& root, const std::string& device, const std::string& dir,
          const std::string& type);
int Umount(const std::string& root, const std::string& dirOrDevice);

// Host directory holding the contents of /dev/NAME.
std::string DiskDir(const std::string& root, const std::string& device);

// Free space set for a mount point with "velto-board free", -1 when unset.
long long FreeKiB(const std::string& root, const std::string& dir);
void SetFreeKiB(const std::string& root, const std::string& dir, long long kib);

}  // namespace VeltoSim
