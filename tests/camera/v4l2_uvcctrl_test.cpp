#include "camera/v4l2_uvcctrl.h"

#include <errno.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/camera/uvc_test_support.h"

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(UvcCamera, WithoutQueueNoFrameIsEverAvailable) {
    EXPECT_EQ(CV4L2_UVCCtrl::CreateNew(0, 240, 25, V4L2_PIX_FMT_YUYV), nullptr);
    CV4L2_UVCCtrl bare;
    EXPECT_EQ(bare.WaitNewFrameData(10), 1);
    EXPECT_EQ(bare.GetFrameBufferSize(), 0);
    EXPECT_EQ(bare.PopFrameData(), nullptr);
    bare.ReleaseFrameData(nullptr);
    EXPECT_EQ(bare.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    EXPECT_FALSE(bare.IsConnected());
    EXPECT_STREQ(CV4L2_UVCCtrl::GetStateString(static_cast<UVC_STATUS>(7)), "Unknown state");
}

TEST_F(UvcCameraTest, StreamsNumberedFramesAt25fpsAfterConfiguringTheHead) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    EXPECT_TRUE(camera.IsConnected());
    EXPECT_TRUE(camera.IsStreaming());
    EXPECT_NE(Commands().find("echo 0 > /sys/class/gpio/gpio71/value"), std::string::npos);

    // The head was set to half brightness and automatic exposure.
    int value = -1, max = 0, min = 0;
    ASSERT_TRUE(camera.GetControlValueMaxMin(V4L2_CID_BRIGHTNESS, max, min));
    ASSERT_EQ(camera.GetControlValue(V4L2_CID_BRIGHTNESS, value), 0);
    EXPECT_EQ(value, min + (max - min) / 2);
    ASSERT_EQ(camera.GetControlValue(V4L2_CID_EXPOSURE_AUTO, value), 0);
    EXPECT_EQ(value, V4L2_EXPOSURE_APERTURE_PRIORITY);

    ASSERT_GE(NextFrame(2000), 0);
    auto start = std::chrono::steady_clock::now();
    long first = -1, last = -1;
    int frames = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
        int length = 0;
        long n = NextFrame(1000, &length);
        ASSERT_GE(n, 0);
        EXPECT_EQ(length, 320 * 240 * 2);
        EXPECT_GT(n, last);
        if (first < 0) {
            first = n;
        }
        last = n;
        ++frames;
    }
    // 25 fps for two seconds, and a fast consumer loses almost nothing.
    EXPECT_GE(frames, 40);
    EXPECT_LE(frames, 60);
    EXPECT_LE(last - first + 1 - frames, 3) << "frames lost with a fast consumer";
}

TEST_F(UvcCameraTest, SlowConsumerMakesNewFramesDropNeverBlocksOrOverwrites) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    CDoubleBufferData* held = nullptr;
    long a = NextFrame(2000, nullptr, &held);
    ASSERT_GE(a, 0);
    ASSERT_NE(held, nullptr);

    long captured = CVeltoSimCamera::GetInstance()->FramesCaptured();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    // The capture thread kept taking frames from the head.
    EXPECT_GE(CVeltoSimCamera::GetInstance()->FramesCaptured() - captured, 8);
    EXPECT_LE(camera.GetFrameBufferSize(), 1);
    int len = 0;
    char* p = held->GetData(len);
    EXPECT_EQ(VeltoSimReadSceneNumberYUYV(reinterpret_cast<uint8_t*>(p), 320, 240), a)
        << "a frame in the consumer's hands was overwritten";

    // The queued frame is the oldest one that found room, not the newest.
    CDoubleBufferData* next = nullptr;
    long b = NextFrame(100, nullptr, &next);
    ASSERT_GE(b, 0);
    EXPECT_GT(b, a);
    EXPECT_LE(b, a + 3);
    held->ReleaseData();
    camera.ReleaseFrameData(held);
    next->ReleaseData();
    camera.ReleaseFrameData(next);
    long c = NextFrame(1000);
    EXPECT_GT(c, b + 5) << "frames between were dropped, not stored";
}

TEST_F(UvcCameraTest, UnplugDisconnectsAndReplugStreamsAgain) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    ASSERT_GE(NextFrame(2000), 0);

    SetPlugged(false);
    ASSERT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0);
    SetPlugged(true);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    EXPECT_GE(NextFrame(2000), 0);

    // A failed dequeue with EIO also takes the head down and back up.
    CVeltoSimCamera::GetInstance()->FailNext(VeltoSimCameraCall::DqBuf, EIO);
    ASSERT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 2000));
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    EXPECT_GE(NextFrame(2000), 0);

    camera.Stop();
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 0);
}

TEST_F(UvcCameraTest, WithoutHeadKeepsSearchingAboutOnceASecond) {
    SetPlugged(false);
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());  // the thread runs although nothing was found
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    size_t resetsBefore = CountOf(Commands(), "echo 0 > /sys/class/gpio/gpio71/value");
    std::this_thread::sleep_for(std::chrono::milliseconds(4500));
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    size_t resets = CountOf(Commands(), "echo 0 > /sys/class/gpio/gpio71/value") - resetsBefore;
    // One search takes the 1 s pause, the close and the 0.9 s USB reset.
    EXPECT_GE(resets, 2u);
    EXPECT_LE(resets, 5u);

    SetPlugged(true);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    EXPECT_GE(NextFrame(2000), 0);
}

TEST_F(UvcCameraTest, StreamStartFailureIsRetriedThroughReconnect) {
    CVeltoSimCamera::GetInstance()->FailNext(VeltoSimCameraCall::StreamOn, EIO);
    CV4L2_UVCCtrl& camera = MakeCamera();
    int streamOns = CVeltoSimCamera::GetInstance()->StreamOnCount();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 8000));
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->StreamOnCount(), streamOns + 1);
    EXPECT_GE(NextFrame(2000), 0);
}

// Sporadic time-outs in a long session must not add up to a reconnect; three
// in a row must.
TEST_F(UvcCameraTest, OnlyTimeoutsInARowDropTheConnection) {
    CVeltoSimCamera& head = *CVeltoSimCamera::GetInstance();
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    ASSERT_GE(NextFrame(2000), 0);

    std::atomic<bool> watching{true};
    std::atomic<bool> droppedOut{false};
    std::thread watcher([&] {
        while (watching) {
            if (camera.GetUVCStatus() != UVC_STATUS_STREAMING) {
                droppedOut = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    for (int i = 0; i < 3; ++i) {
        head.SetStalled(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));  // one select time-out
        head.SetStalled(false);
        EXPECT_GE(NextFrame(1500), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    watching = false;
    watcher.join();
    EXPECT_FALSE(droppedOut);

    head.SetStalled(true);
    EXPECT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 4500));
    head.SetStalled(false);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
}

TEST_F(UvcCameraTest, SwitchesResolutionWhileStreaming) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    ASSERT_GE(NextFrame(2000), 0);

    camera.ReSetUVCResolution(640, 480);
    EXPECT_NE(camera.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 3000));
    int length = 0;
    EXPECT_GE(NextFrame(2000, &length, nullptr, 640, 480), 0);
    EXPECT_EQ(length, 640 * 480 * 2);
    EXPECT_EQ(camera.GetWidth(), 640u);

    camera.ReSetUVCResolution(320, 240);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 3000));
    EXPECT_GE(NextFrame(2000, &length), 0);
    EXPECT_EQ(length, 320 * 240 * 2);

    // Without a head the switch still restarts the search.
    SetPlugged(false);
    ASSERT_TRUE(WaitForState(UVC_STATUS_DISCONNECTED, 3000));
    camera.ReSetUVCResolution(640, 480);
    EXPECT_EQ(camera.GetUVCStatus(), UVC_STATUS_DISCONNECTED);
    SetPlugged(true);
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    EXPECT_GE(NextFrame(2000, &length, nullptr, 640, 480), 0);
    EXPECT_EQ(length, 640 * 480 * 2);
}

TEST_F(UvcCameraTest, MonochromeAndBrightnessReachThePicture) {
    CV4L2_UVCCtrl& camera = MakeCamera();
    ASSERT_TRUE(camera.Start());
    ASSERT_TRUE(WaitForState(UVC_STATUS_STREAMING, 5000));
    // The controls are set from this thread while the capture thread runs,
    // as the camera controller does.
    camera.SetColorOrBlack(false);
    int value = -1;
    ASSERT_EQ(camera.GetControlValue(V4L2_CID_SATURATION, value), 0);
    EXPECT_EQ(value, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    CDoubleBufferData* frame = nullptr;
    ASSERT_GE(NextFrame(2000, nullptr, &frame), 0);
    int len = 0;
    const uint8_t* p = reinterpret_cast<uint8_t*>(frame->GetData(len));
    const uint8_t* row = p + 200 * 320 * 2;  // below the code band, in the bars
    bool grey = true;
    for (int x = 0; x < 320 * 2; x += 2) {
        grey = grey && row[x + 1] == 128;
    }
    EXPECT_TRUE(grey);
    frame->ReleaseData();
    camera.ReleaseFrameData(frame);

    camera.SetColorOrBlack(true);
    ASSERT_EQ(camera.GetControlValue(V4L2_CID_SATURATION, value), 0);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(camera.ChangeBright(100), 0);
    ASSERT_EQ(camera.GetControlValue(V4L2_CID_BRIGHTNESS, value), 0);
    EXPECT_EQ(value, 64);
}

}  // namespace
