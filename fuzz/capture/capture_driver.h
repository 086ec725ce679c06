// One input of the capture-path fuzzer: the bytes play the camera head's
// V4L2 driver (a scripted node at /dev/video1) while the camera code opens,
// configures, streams, grabs, switches resolution and closes. Shared by the
// fuzz target and the regression test that replays kept inputs.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// Runs one input against the board of the current directory (made ready on
// first use); "" when clean, else what went wrong. frames, when given,
// receives the number of frames the consumer took.
std::string VeltoCaptureFuzzRun(const uint8_t* data, size_t size, long* frames = nullptr);
