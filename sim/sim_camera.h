// The simulated USB (UVC) camera head behind /dev/video1: a V4L2 capture node
// that answers the calls of the camera code the way the kernel's UVC driver
// does. YUYV at 640x480, 320x240 and 160x120 (other sizes are rounded to the
// nearest), frame intervals of 5 to 30 fps, mmap streaming with one memfd per
// buffer, integer, boolean and menu controls, frames paced by a real timer and
// signalled through the handle's descriptor so that select works.
//
// Unplugging (removing board/dev/video1, see sim_camera_control.h) and a USB
// reset of the camera port are noticed by every open handle on its next call
// or frame tick: select turns readable, every ioctl then fails with ENODEV,
// and new opens fail. A node that comes back is a new one: old handles stay
// dead. Controls belong to the head, not to a handle: they keep their values
// across close and open and return to their defaults with a new enumeration.
//
// The faults of sim/camera_faults (set with velto-board camera ...) make it a
// head that offers only MJPEG, grants one size whatever is asked, spoils
// frames (error flag or short bytesused), or fails dequeues with EIO or EINVAL
// for a while.
//
// For tests in the same process the device also injects faults and counts
// what is still open or mapped, so leaks show.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/sim_device.h"

enum class VeltoSimCameraCall { ReqBufs, StreamOn, DqBuf };
struct VeltoSimCameraFaults;

class CVeltoSimCamera : public CVeltoSimDevice {
public:
    // The one camera head of the simulated board.
    static std::shared_ptr<CVeltoSimCamera> GetInstance();

    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override;

    // Makes the next count calls of the given kind fail with err.
    void FailNext(VeltoSimCameraCall call, int err, int count = 1);
    // While stalled no frame is delivered, so waits for one time out.
    void SetStalled(bool stalled);
    bool IsStalled() const { return m_bStalled; }
    // Every frame shows the scene of frame number n (its code says n), so a
    // test knows the exact picture; -1 returns to the moving scene.
    void SetFixedFrame(long n) { m_nFixedFrame = n; }
    long FixedFrame() const { return m_nFixedFrame; }
    // Clears injected faults, the stall and a fixed frame.
    void ResetFaults();

    // Handles not yet destroyed (a handle lives while its node is open or
    // one of its buffers is mapped).
    int LiveHandles() const { return m_nLiveHandles; }
    // Buffer mappings made by clients and not yet unmapped.
    int LiveMappings() const { return m_nLiveMappings; }
    // Frames written into buffers, and frame ticks lost for want of a queued
    // buffer, since the process started.
    long long FramesCaptured() const { return m_nFramesCaptured; }
    long long FramesLost() const { return m_nFramesLost; }
    int StreamOnCount() const { return m_nStreamOns; }

    // Monotonic time in microseconds at which the frame with this sequence
    // number of the current stream was filled; -1 when no longer known (the
    // last 256 frames are kept).
    long long CaptureMicros(uint32_t sequence);
    void NoteCapture(uint32_t sequence, long long micros);

    // Consumes one injected fault of the given kind; 0 when none is pending.
    int TakeFault(VeltoSimCameraCall call);
    // Whether frame sequence is to be spoiled under a "badframes" fault;
    // counts it off and records it.
    bool TakeBadFrame(const VeltoSimCameraFaults& faults, uint32_t sequence);
    // Numbers of the frames spoiled since ResetFaults.
    std::vector<uint32_t> SpoiledFrames();

    // Control values of the enumerated node with the given identity.
    int32_t ControlValue(const std::string& identity, uint32_t id);
    void StoreControlValue(const std::string& identity, uint32_t id, int32_t value);

    // Bookkeeping called by the handles.
    void CountHandle(int delta) { m_nLiveHandles += delta; }
    void CountMapping(int delta) { m_nLiveMappings += delta; }
    void CountFrame(bool captured) { ++(captured ? m_nFramesCaptured : m_nFramesLost); }
    void CountStreamOn() { ++m_nStreamOns; }

private:
    CVeltoSimCamera() = default;
    // Makes the values those of identity's node, defaults for a new node.
    void SelectNodeLocked(const std::string& identity);

    std::mutex m_mutex;
    int m_nFailErr[3] = {0, 0, 0};
    int m_nFailCount[3] = {0, 0, 0};
    std::atomic<bool> m_bStalled{false};
    std::atomic<long> m_nFixedFrame{-1};
    struct Capture {
        uint32_t sequence = 0;
        long long micros = -1;
    };
    Capture m_captures[256];
    std::atomic<int> m_nLiveHandles{0};
    std::atomic<int> m_nLiveMappings{0};
    std::atomic<long long> m_nFramesCaptured{0};
    std::atomic<long long> m_nFramesLost{0};
    std::atomic<int> m_nStreamOns{0};
    std::string m_strValuesIdentity;
    std::map<uint32_t, int32_t> m_values;
    long long m_nBadFramesTag = 0;
    int m_nBadFramesLeft = 0;
    std::vector<uint32_t> m_spoiled;
};
