// Helpers shared by the media tests: synthetic frames, whole-file I/O on the
// host, and running the peer tools.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace MediaTest {

// A YUYV frame whose bytes depend on the seed and the position, so frames
// and their order can be told apart.
std::vector<char> MakeFrame(int width, int height, uint32_t seed);

std::vector<char> ReadAll(const std::string& hostPath);
bool WriteAll(const std::string& hostPath, const std::vector<char>& bytes);

// Runs a shell command and returns its standard output; exit status in
// *status (the decoded exit code, -1 when it did not exit normally).
std::string RunCommand(const std::string& command, int* status = nullptr);
// True when the program is on PATH.
bool HaveTool(const char* name);

uint32_t Get32(const std::vector<char>& b, size_t at);
void Put32(std::vector<char>& b, size_t at, uint32_t v);
std::string Tag(const std::vector<char>& b, size_t at);

}  // namespace MediaTest
