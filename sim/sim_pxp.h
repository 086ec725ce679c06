// The simulated PXP output behind /dev/video0: a V4L2 output and
// output-overlay node answering the calls of the display path the way the
// board's PXP driver does, and doing what its hardware does with each queued
// buffer: the planar YUV 4:2:2 picture of the current output format (signed
// chroma), cut to the overlay window, rotated and flipped as set, scaled to
// the crop rectangle and written into the framebuffer's overlay plane. The
// plane shows the video only while output 0 is selected, and the picture
// goes with the framebuffer overlay set-up of its moment: the overlay flag
// and the overlay control (0x08000003) put it on the screen at all, the
// chroma-key flag with the window's key lets it through the UI, the alpha
// flags blend the UI over it by the window's global alpha or the UI's own.
// A blocking dequeue waits as videobuf2 does: until a buffer is done or the
// stream stops, also when nothing is queued.
//
// The state (formats, window, crop, controls, output) belongs to the device
// and outlives a close, as on the board; buffers belong to the descriptor
// that requested them.
#pragma once

#include <atomic>
#include <memory>

#include "sim/sim_device.h"

// Board path of the node and its sysfs entry, whose name contains "PxP".
extern const char kVeltoSimPxpNode[];    // "/dev/video0"
extern const char kVeltoSimPxpSysDir[];  // "/sys/class/video4linux/video0"

// Private controls of the driver.
constexpr unsigned kVeltoSimPxpRotateCid = 0x08000000;   // 0, 90, 180, 270
constexpr unsigned kVeltoSimPxpOverlayCid = 0x08000003;  // video below the UI

class CVeltoSimPxp : public CVeltoSimDevice {
public:
    static std::shared_ptr<CVeltoSimPxp> GetInstance();

    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override;

    // Frames shown (buffers processed while streaming) since the process
    // started, and the monotonic time in microseconds of the last one.
    long long FramesShown() const { return m_nFramesShown; }
    long long LastShownMicros() const { return m_nLastShownUs; }
    // Descriptors and buffer mappings not yet closed or unmapped.
    int LiveHandles() const { return m_nLiveHandles; }
    int LiveMappings() const { return m_nLiveMappings; }

    // Bookkeeping called by the handles.
    void CountHandle(int delta) { m_nLiveHandles += delta; }
    void CountMapping(int delta) { m_nLiveMappings += delta; }
    void CountShown(long long micros) {
        m_nLastShownUs = micros;
        ++m_nFramesShown;
    }

    // Puts the device back to its power-on state (tests, board init).
    void Reset();

    // The next count VIDIOC_QBUF calls that would succeed fail with err.
    void FailNextQueue(int err, int count = 1);
    // err for a queue call that is to fail, else 0 (counts it off).
    int TakeQueueFault();

    // The selected output (0: video visible).
    int CurrentOutput();

    struct State;
    State& GetState() { return *m_pState; }

private:
    CVeltoSimPxp();

    std::unique_ptr<State> m_pState;
    std::atomic<long long> m_nFramesShown{0};
    std::atomic<long long> m_nLastShownUs{0};
    std::atomic<int> m_nLiveHandles{0};
    std::atomic<int> m_nLiveMappings{0};
    std::atomic<int> m_nQueueFaults{0};
    std::atomic<int> m_nQueueErr{0};
};

// Makes the node and its sysfs entry exist below the board root.
bool VeltoSimPxpInstall(const std::string& root);
