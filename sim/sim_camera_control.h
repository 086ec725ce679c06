// Plugging and unplugging the simulated camera head, from any process.
#pragma once

#include <string>

// The head's node and sysfs entry. The board numbers its nodes as the device
// does: the PXP output comes first (video0), the USB head after it.
extern const char kVeltoSimCameraNode[];    // "/dev/video1"
extern const char kVeltoSimCameraSysDir[];  // "/sys/class/video4linux/video1"

// Makes the camera head's node and sysfs entry appear (plugged) or vanish
// (unplugged) below the board root. False when the board cannot be changed.
bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged);
bool VeltoSimCameraIsPlugged(const std::string& root);
