// Plugging and unplugging the simulated camera head, from any process.
#pragma once

#include <string>

// Makes the camera head's node and sysfs entry appear (plugged) or vanish
// (unplugged) below the board root. False when the board cannot be changed.
bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged);
bool VeltoSimCameraIsPlugged(const std::string& root);
