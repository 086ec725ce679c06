// Starting a program of the build in the test's run directory (through the
// build's emulator, if any) and waiting for it, for scenario tests.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace VeltoTest {

// Starts program (a path) in the current directory with its standard output
// and error appended to outFile, as the leader of a process group of its
// own, so that KillGroup reaches what it forks. -1 on failure.
pid_t StartProgram(const std::string& program, const std::string& outFile);
// Waits up to timeoutMs for pid to end; false when it is still running.
// *status gets the wait status.
bool WaitExit(pid_t pid, int timeoutMs, int* status);
// Polls done every 10 ms for up to timeoutMs; true once it holds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
// SIGKILL to the whole group of a program started here, and reaps it.
void KillGroup(pid_t pid);
// Milliseconds of CLOCK_MONOTONIC, the clock every process shares.
long long MonotonicMs();
// How much slower than a PC the machine runs the programs (an emulator):
// VELTO_TEST_TIME_FACTOR, 1 when unset. Every real-time wait of the test
// support is stretched by it; what the tests assert stays the same.
int TimeFactor();
// ms of real time stretched by TimeFactor.
inline int Stretched(int ms) {
    return ms * TimeFactor();
}

}  // namespace VeltoTest
