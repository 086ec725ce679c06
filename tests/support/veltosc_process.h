// veltosc in a process of its own on the simulated board of a run directory,
// driven through its control channel: the run directory made ready, start
// and stop, requests, screenshots, and whether the screen shows the live
// camera picture. The scenario tests' fixture and the benchmark of the whole
// program share it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class CVeltoscProcess {
public:
    // runDir is the working directory of the program; the board is
    // runDir/board, made by the caller.
    explicit CVeltoscProcess(std::string runDir);
    // Stops the program.
    ~CVeltoscProcess();
    CVeltoscProcess(const CVeltoscProcess&) = delete;
    CVeltoscProcess& operator=(const CVeltoscProcess&) = delete;

    // Copies what the program reads from its working directory (img/,
    // fonts/, the shipped veltoscconf.xml) into the run directory and the
    // goodbye picture onto the board; false when a copy failed.
    bool PrepareRunDir();
    // Starts the program of the build (through its emulator, if any) in the
    // run directory, without a desktop display, its output in veltosc.log.
    // False when it could not be started.
    bool Start();
    // Kills the program and reaps it; nothing when it does not run.
    void Stop();
    // Whether the program still runs; one that has ended is reaped and
    // forgotten, so that Stop never signals a number the system gave anew.
    bool Running();
    pid_t Pid() const { return m_nPid; }

    // The program's answer to one control request: "OK" for an empty
    // answer, empty on error.
    std::string Ask(const std::string& request);
    // The screen as RGB bytes, kept as <name>.png in the run directory;
    // empty when it can't be had. *width and *height get its size.
    std::vector<uint8_t> Screenshot(const std::string& name, int* width, int* height);
    // Distinct colours along the middle row of the screen: the camera's test
    // scene shows its colour bars, an empty screen one or two colours; -1
    // without a screenshot.
    int MiddleRowColours();
    // Whether the screen shows the camera's picture.
    bool LiveView() { return MiddleRowColours() >= 5; }

private:
    const std::string m_strRunDir;
    pid_t m_nPid = -1;
};
