#include "sim/sim_camera_control.h"

#include "sim/sim_files.h"

const char kVeltoSimCameraNode[] = "/dev/video1";
const char kVeltoSimCameraSysDir[] = "/sys/class/video4linux/video1";

bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged) {
    std::string node = root + kVeltoSimCameraNode;
    std::string sysDir = root + kVeltoSimCameraSysDir;
    if (plugged) {
        return VeltoSim::MakeDirs(sysDir) &&
               VeltoSim::WriteText(sysDir + "/name", "UVC Camera\n") &&
               VeltoSim::WriteText(node, "");
    }
    bool ok = VeltoSim::RemoveTree(node);
    return VeltoSim::RemoveTree(sysDir) && ok;
}

bool VeltoSimCameraIsPlugged(const std::string& root) {
    return VeltoSim::Exists(root + kVeltoSimCameraNode);
}
