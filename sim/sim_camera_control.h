// Plugging and unplugging the simulated camera head, its USB reset line and
// the faults it can be told to show, from any process (the state lives in
// files below the board root, so velto-board changes a running board).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// The head's node and sysfs entry. The board numbers its nodes as the device
// does: the PXP output comes first (video0), the USB head after it.
extern const char kVeltoSimCameraNode[];    // "/dev/video1"
extern const char kVeltoSimCameraSysDir[];  // "/sys/class/video4linux/video1"

// Time from the reset line going high to the head's node being back; a
// firmware that waits the reset's 800 ms finds it on its first search.
extern const int kVeltoSimCameraReenumerateMs;

// Attaches (plugged) or detaches (unplugged) the head: its node and sysfs
// entry appear or vanish below the board root. Every plug is a new
// enumeration: handles of an earlier node stay dead and the controls start
// from their defaults. False when the board cannot be changed.
bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged);
// Whether the head's node is present now (attached and enumerated).
bool VeltoSimCameraIsPlugged(const std::string& root);
// Identity of the present node, different for every enumeration; empty when
// no node is present.
std::string VeltoSimCameraNodeIdentity(const std::string& root);

// The camera port's USB reset line was driven. Low takes an attached head off
// the bus at once; high enumerates it again, as a new node, after
// kVeltoSimCameraReenumerateMs (unless the line went low again meanwhile or
// the head was detached).
void VeltoSimCameraResetLine(const std::string& root, bool high);

// Faults of the head, kept in the board's sim/camera_faults.
struct VeltoSimCameraFaults {
    bool mjpegOnly = false;   // the head offers only MJPEG
    uint32_t grantWidth = 0;  // size granted whatever is asked; 0: nearest supported
    uint32_t grantHeight = 0;
    int badFrames = 0;            // frames to spoil after the command ...
    long long badFramesTag = 0;   // ... told apart from the previous command by this
    long long eioUntilMs = 0;     // dequeues fail with EIO until then (VeltoSimCameraNowMs)
    long long einvalUntilMs = 0;  // dequeues fail with EINVAL until then
};

// Wall-clock milliseconds, comparable between processes.
long long VeltoSimCameraNowMs();
// The faults set on the board; all clear when none are.
VeltoSimCameraFaults VeltoSimCameraReadFaults(const std::string& root);
bool VeltoSimCameraWriteFaults(const std::string& root, const VeltoSimCameraFaults& faults);

// The arguments after "camera" of velto-board: plug, unplug, format mjpeg,
// grant WxH, badframes N, eio SECONDS, einval SECONDS, normal (clears every
// fault). 0 on success, 2 for bad usage, 1 when the board cannot be
// changed; a message for the user in *message.
int VeltoSimCameraCommand(const std::string& root, const std::vector<std::string>& args,
                          std::string* message);
