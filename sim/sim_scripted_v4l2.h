// A V4L2 node whose every answer comes from a byte script: for fuzzing the
// camera and display code against what a driver may answer. Each call takes
// one selector byte (and, for an odd answer, more bytes for its fields):
//
//   0..127    the answer of a healthy driver (also once the script is used up)
//   128..191  failure with one of sixteen errno values
//   192..254  success with the call's fields taken from the script
//   255       the node vanishes: this and every later call on the handle
//             fails with ENODEV; opens fail until one draws a healthy byte
//
// The healthy driver keeps a format per buffer type, grants what is asked,
// hands out page-aligned mmap buffers of the format's image size (real
// anonymous memory, so reads and writes past a mapping are caught) and
// dequeues queued buffers in order. Readiness for select follows the
// selector of the last call, so a select may time out; it never changes
// on its own, so under instant sleeps such a select returns at once.
//
// Calls made inside a CVeltoScriptedV4L2::SideCalls scope read a second
// script, so that calls from another thread do not change which bytes the
// first thread's calls read. Every call is counted; past the step limit the
// node answers as if vanished, so no caller loops for ever on one input.
#pragma once

#include <linux/videodev2.h>
#include <stddef.h>
#include <stdint.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_device.h"

class CVeltoScriptedV4L2 : public CVeltoSimDevice,
                           public std::enable_shared_from_this<CVeltoScriptedV4L2> {
public:
    enum Kind { Capture, Output };

    // The node answers as a capture node (a camera head) or as an output
    // and output-overlay node (a display engine).
    explicit CVeltoScriptedV4L2(Kind kind);

    // The scripts for the main and the side calls; the node keeps copies.
    // Resets every count and the node's state.
    void SetScripts(const uint8_t* main, size_t mainSize, const uint8_t* side, size_t sideSize);
    // Main-script bytes that may be read before the next Arm; 0 = none.
    // Arm(n) lets the next n bytes be read once the arming thread makes its
    // first call (so calls still in flight from other threads read none);
    // with anyThread, from the next call of any thread.
    void Arm(size_t bytes, bool anyThread = false);
    // Waits (at most timeoutMs of real time) until the armed bytes are read
    // and the node has answered the tail steps after them (so that what the
    // last answer caused can play out on a healthy node).
    bool WaitArmedUsed(int timeoutMs);
    void SetTailSteps(long steps) { m_nTailSteps = steps; }
    // Until the next Arm, no call waits for a phase (see Selector): before
    // stopping threads that call the node.
    void Release();
    void SetStepLimit(long steps) { m_nStepLimit = steps; }

    // Calls inside this scope (on this thread) read the side script.
    class SideCalls {
    public:
        SideCalls();
        ~SideCalls();
    };

    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override;

    // Leak and misuse checks, for the end of an input.
    int LiveHandles();
    int LiveMappings();
    // Unmaps that did not match a mapping of the node in address and length.
    int BadUnmaps();
    long Steps();
    // The value last written to a control (128 when never written).
    int32_t ControlValue(uint32_t id);

    struct Handle;

private:
    friend struct Handle;
    // Next selector (0 when the script is used up or not armed). Once the
    // phase is over, a thread other than the arming one waits here for the
    // next Arm or Release.
    uint8_t Selector(std::unique_lock<std::mutex>& lock);
    bool PhaseDone() const;
    uint8_t Byte();
    // Starts the tail once the armed bytes are used up.
    void NoteIfUsed();
    uint32_t Word();
    // Counts a step; false past the limit.
    bool Step();

    const Kind m_eKind;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::vector<uint8_t> m_main, m_side;
    size_t m_nMainPos = 0, m_nSidePos = 0;
    size_t m_nMainLimit = 0;
    size_t m_nPending = 0;
    bool m_bPending = false;
    std::thread::id m_armThread;
    bool m_bArmAny = false;
    long m_nSteps = 0;
    long m_nStepLimit = 100000;
    long m_nTailSteps = 0;
    long m_nTailEnd = -1;
    bool m_bReleased = true;
    bool m_bVanished = false;
    int m_nLiveHandles = 0;
    int m_nBadUnmaps = 0;
    std::map<void*, size_t> m_mappings;

    // Device state that outlives a descriptor, as on a real driver.
    std::map<uint32_t, v4l2_format> m_formats;
    std::map<uint32_t, int32_t> m_controls;
    int m_nOutput = 0;
    uint32_t m_nFbufFlags = 0;
    int32_t m_crop[4] = {0, 0, 320, 240};
};
