// One input of the display-path fuzzer: the bytes play the PXP's V4L2 output
// driver (a scripted node at /dev/video0) while the PXP code starts, zooms,
// rotates, shows frames and closes. Shared by the fuzz target and the
// regression test that replays kept inputs.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// Runs one input against the board of the current directory (made ready on
// first use); "" when clean, else what went wrong.
std::string VeltoPxpFuzzRun(const uint8_t* data, size_t size);
