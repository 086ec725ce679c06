// Plugging the head in and out many times must always come back to
// streaming and leave nothing open or mapped behind, also while another
// thread keeps changing controls, as the GUI thread does.
#include <atomic>
#include <thread>

#include "tests/camera/uvc_test_support.h"

namespace {

TEST_F(UvcCameraTest, FiftyUnplugReplugCyclesEachBackToStreaming) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    std::atomic<bool> stop{false};
    std::thread gui([&] {
        for (int i = 0; !stop; ++i) {
            camera.SetColorOrBlack(i % 2 == 0);
            camera.ChangeBright(i % 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    struct Joiner {  // also when an assertion leaves the test early
        std::atomic<bool>& stop;
        std::thread& thread;
        ~Joiner() {
            stop = true;
            thread.join();
        }
    } joiner{stop, gui};
    long last = -1;
    for (int cycle = 0; cycle < 50; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        SetPlugged(false);
        ASSERT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 3000));
        SetPlugged(true);
        ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 6000));
        long n = NextFrame(2000);
        ASSERT_GE(n, 0);
        last = n;
        // Only the current stream's handle and buffers remain.
        EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveHandles(), 1);
        EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 1);
        EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), camera.GetStreamBufferSize());
    }
    EXPECT_GE(last, 0);
    camera.Stop();
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveHandles(), 0);
}

// Each reconnect resets the USB port; the head leaves the bus and comes back
// half a second after the line goes high, as a new node. The firmware's own
// wait after the reset covers that, so every reset ends in streaming on the
// first search, with only the new node's handle open.
TEST_F(UvcCameraTest, TwentyUsbResetsWithReenumerationEachEndStreaming) {
    CVeltoSimCamera& head = *CVeltoSimCamera::GetInstance();
    const std::string root = CVeltoSimBoard::GetInstance().Root();
    const std::string reset = "echo 0 > /sys/class/gpio/gpio71/value";
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    auto count = [this](const std::string& what) {
        size_t n = 0;
        std::string text = Commands();
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    for (int cycle = 0; cycle < 20; ++cycle) {
        SCOPED_TRACE("reset " + std::to_string(cycle));
        std::string node = VeltoSimCameraNodeIdentity(root);
        size_t resets = count(reset);
        head.FailNext(VeltoSimCameraCall::DqBuf, EIO);  // the thread reconnects
        ASSERT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 2000));
        ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 4000));
        EXPECT_GE(NextFrame(2000), 0);
        EXPECT_EQ(count(reset), resets + 1) << "the head was not back after one reset";
        EXPECT_NE(VeltoSimCameraNodeIdentity(root), node) << "not re-enumerated";
        EXPECT_EQ(head.LiveHandles(), 1);
        EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 1);
    }
}

}  // namespace
