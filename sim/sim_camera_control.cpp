#include "sim/sim_camera_control.h"

#include "sim/sim_files.h"

bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged)
{
    std::string node = root + "/dev/video0";
    std::string sysDir = root + "/sys/class/video4linux/video0";
    if (plugged) {
        return VeltoSim::MakeDirs(sysDir) && VeltoSim::WriteText(sysDir + "/name", "UVC Camera\n") &&
               VeltoSim::WriteText(node, "");
    }
    bool ok = VeltoSim::RemoveTree(node);
    return VeltoSim::RemoveTree(sysDir) && ok;
}

bool VeltoSimCameraIsPlugged(const std::string& root) { return VeltoSim::Exists(root + "/dev/video0"); }
