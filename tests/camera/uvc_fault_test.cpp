// Heads that misbehave as real ones do, set on the head as velto-board sets
// them: the capture code must never pass on a frame it cannot vouch for, and
// must come back to streaming once the head behaves again.
#include <errno.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_files.h"
#include "tests/camera/uvc_test_support.h"

namespace {

class UvcFaultTest : public UvcCameraTest {
protected:
    void Fault(const std::string& args) {
        std::string message;
        ASSERT_EQ(VeltoSimCameraCommand(CVeltoSimBoard::GetInstance().Root(),
                                        VeltoSim::SplitWords(args), &message),
                  0)
            << args << ": " << message;
    }

    // Watches the camera for ms milliseconds: whether it was ever in status,
    // and whether a frame came out of the queue meanwhile.
    void Watch(int ms, UVC_STATUS status, bool* reached, bool* framed) {
        *reached = false;
        *framed = false;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            *reached = *reached || m_pCamera->GetUVCStatus() == status;
            if (m_pCamera->WaitNewFrameData(20) == 0) {
                if (CDoubleBufferData* data = m_pCamera->PopFrameData()) {
                    *framed = true;
                    data->ReleaseData();
                    m_pCamera->ReleaseFrameData(data);
                }
            }
        }
    }
};

// A head without YUYV, or one that insists on another size, is answered by
// the driver with what it has; such frames would be shown and recorded as
// garbage or cut. The head is refused, quietly on screen but with a line on
// standard output, and taken as soon as it gives what is asked.
TEST_F(UvcFaultTest, HeadGivingAnotherFormatOrSizeIsRefusedUntilItGivesTheOneAsked) {
    CVeltoSimCamera& head = *CVeltoSimCamera::GetInstance();
    for (const char* fault : {"format mjpeg", "grant 640x480"}) {
        SCOPED_TRACE(fault);
        Fault(fault);
        CV4L2_UVCCtrl& camera = MakeCamera(320, 240);
        int streamOns = head.StreamOnCount();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(camera.Start());
        bool streamed = false, framed = false;
        Watch(2500, UVC_STATUS_STREAMING, &streamed, &framed);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(streamed);
        EXPECT_FALSE(framed);
        EXPECT_EQ(head.StreamOnCount(), streamOns);
        EXPECT_NE(out.find("refused"), std::string::npos) << out;
        EXPECT_NE(out.find(std::string(fault) == "format mjpeg" ? "MJPG" : "640x480"),
                  std::string::npos);
        // The size asked stays the one the queue was made for, so that a
        // later try does not take the granted size with the old queue.
        EXPECT_EQ(camera.GetWidth(), 320u);
        EXPECT_EQ(camera.GetHeight(), 240u);

        Fault("normal");
        ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
        int length = 0;
        EXPECT_GE(NextFrame(2000, &length), 0);
        EXPECT_EQ(length, 320 * 240 * 2);
        m_pCamera.reset();
    }
}

// Frames with the error flag or a short bytesused carry a damaged picture or
// the stale tail of an earlier frame: none of them reaches the queue, and
// the good ones around them still do.
TEST_F(UvcFaultTest, SpoiledFramesAreDroppedAndTheStreamGoesOn) {
    CVeltoSimCamera& head = *CVeltoSimCamera::GetInstance();
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    ASSERT_GE(NextFrame(2000), 0);
    int streamOns = head.StreamOnCount();

    Fault("badframes 12");
    std::vector<long> delivered;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < end) {
        int length = 0;
        long n = NextFrame(1000, &length);
        ASSERT_GE(n, 0) << "an unreadable or missing frame";
        EXPECT_EQ(length, 320 * 240 * 2);
        delivered.push_back(n);
    }
    std::vector<uint32_t> spoiled = head.SpoiledFrames();
    ASSERT_EQ(spoiled.size(), 12u);
    std::set<long> bad(spoiled.begin(), spoiled.end());
    for (long n : delivered) {
        EXPECT_EQ(bad.count(n), 0u) << "spoiled frame " << n << " was passed on";
    }
    EXPECT_GE(delivered.size(), 15u);
    EXPECT_GT(delivered.back(), long(*std::max_element(spoiled.begin(), spoiled.end())));
    // Spoiled frames are no reason to reconnect.
    EXPECT_EQ(head.StreamOnCount(), streamOns);
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_STREAMING);
}

// A head whose dequeues keep failing while select says there is data: with
// EINVAL the thread used to spin for ever on the dead stream; with EIO it
// reconnects at once. Either way it streams again when the head recovers.
TEST_F(UvcFaultTest, DequeuesFailingForAWhileEndInAReconnectAndStreamingAgain) {
    CVeltoSimCamera& head = *CVeltoSimCamera::GetInstance();
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    ASSERT_GE(NextFrame(2000), 0);

    for (const char* fault : {"einval 3", "eio 2"}) {
        SCOPED_TRACE(fault);
        int streamOns = head.StreamOnCount();
        auto start = std::chrono::steady_clock::now();
        Fault(fault);
        EXPECT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 2000)) << "no reconnect";
        // Back once the head behaves: within the fault's time plus one
        // reconnect of about two seconds.
        ASSERT_TRUE(WaitFor(
            [&] {
                return camera.GetUVCStatus() == UVC_STATUS_STREAMING &&
                       std::chrono::steady_clock::now() - start > std::chrono::seconds(3);
            },
            9000));
        EXPECT_GE(NextFrame(2000), 0);
        EXPECT_GT(head.StreamOnCount(), streamOns);
        EXPECT_EQ(head.LiveHandles(), 1);
    }
}

// Sizes without a frame queue are refused before anything is stopped: the
// camera keeps its queue and goes on delivering.
TEST_F(UvcFaultTest, ResolutionWithoutAQueueIsRefusedAndTheStreamKept) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    int streamOns = CVeltoSimCamera::GetInstance()->StreamOnCount();
    camera.ReSetUVCResolution(0, 240);
    camera.ReSetUVCResolution(320, -1);
    camera.ReSetUVCResolution(65536, 65536);  // too large for one queue buffer
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_STREAMING);
    EXPECT_EQ(camera.GetWidth(), 320u);
    int length = 0;
    EXPECT_GE(NextFrame(2000, &length), 0);
    EXPECT_EQ(length, 320 * 240 * 2);
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->StreamOnCount(), streamOns);
}

}  // namespace
