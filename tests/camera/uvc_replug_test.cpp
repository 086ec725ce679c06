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

}  // namespace
