// The simulated camera head must answer like the kernel's UVC driver, or the
// camera code tested against it proves nothing.
#include "sim/sim_camera.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/velto_board.h"
#include "sim/sim_board.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_camera_scene.h"
#include "tests/support/sim_test.h"

namespace {

class SimCameraTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimCamera::GetInstance()->ResetFaults();
    }
    void TearDown() override {
        if (m_nFd >= 0) {
            Board().Close(m_nFd);
        }
        CVeltoSimCamera::GetInstance()->ResetFaults();
        CVeltoSimBoardTest::TearDown();
    }

    int OpenCamera(int flags = O_RDWR | O_NONBLOCK) {
        m_nFd = Board().Open(kVeltoSimCameraNode, flags);
        return m_nFd;
    }

    int SetFormat(uint32_t width, uint32_t height, v4l2_format* out = nullptr) {
        v4l2_format fmt;
        memset(&fmt, 0, sizeof fmt);
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        fmt.fmt.pix.width = width;
        fmt.fmt.pix.height = height;
        fmt.fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
        int rc = Board().Ioctl(m_nFd, VIDIOC_S_FMT, &fmt);
        if (out != nullptr) {
            *out = fmt;
        }
        return rc;
    }

    int RequestBuffers(uint32_t count) {
        v4l2_requestbuffers req;
        memset(&req, 0, sizeof req);
        req.count = count;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (Board().Ioctl(m_nFd, VIDIOC_REQBUFS, &req) != 0) {
            return -1;
        }
        return static_cast<int>(req.count);
    }

    struct Mapping {
        void* base;
        size_t length;
    };

    // The description of buffer index to pass to QUERYBUF or QBUF.
    static v4l2_buffer BufferAt(int index) {
        v4l2_buffer buf;
        memset(&buf, 0, sizeof buf);
        buf.index = index;
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        return buf;
    }

    // Maps and queues every buffer.
    std::vector<Mapping> MapAndQueue(int count) {
        std::vector<Mapping> maps;
        for (int i = 0; i < count; ++i) {
            v4l2_buffer buf;
            memset(&buf, 0, sizeof buf);
            buf.index = i;
            buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buf.memory = V4L2_MEMORY_MMAP;
            EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYBUF, &buf), 0);
            void* p = Board().Mmap(nullptr, buf.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_nFd,
                                   buf.m.offset);
            EXPECT_NE(p, MAP_FAILED);
            maps.push_back({p, buf.length});
            EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QBUF, &buf), 0);
        }
        return maps;
    }

    void Unmap(std::vector<Mapping>& maps) {
        for (Mapping& m : maps) {
            Board().Munmap(m.base, m.length);
        }
        maps.clear();
    }

    bool WaitReadable(int timeoutMs) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_nFd, &set);
        struct timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        return Board().Select(m_nFd + 1, &set, nullptr, nullptr, &tv) > 0;
    }

    int Dequeue(v4l2_buffer& buf) {
        memset(&buf, 0, sizeof buf);
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        return Board().Ioctl(m_nFd, VIDIOC_DQBUF, &buf);
    }

    int m_nFd = -1;
};

TEST(SimCameraScene, FrameNumberSurvivesRoundTripAndRejectsGarbage) {
    std::vector<uint8_t> frame(320 * 240 * 2);
    VeltoSimSceneLook look = {0, 100};
    for (uint32_t n : {0u, 1u, 77u, 0xABCDEFu, 0x1000001u}) {
        VeltoSimDrawScene(frame.data(), 320, 240, n, look);
        EXPECT_EQ(VeltoSimReadSceneNumberYUYV(frame.data(), 320, 240), long(n & 0xFFFFFF));
    }
    std::vector<uint8_t> big(640 * 480 * 2);
    VeltoSimDrawScene(big.data(), 640, 480, 4242, {30, 0});
    EXPECT_EQ(VeltoSimReadSceneNumberYUYV(big.data(), 640, 480), 4242);

    std::vector<uint8_t> blank(320 * 240 * 2, 0);
    EXPECT_EQ(VeltoSimReadSceneNumberYUYV(blank.data(), 320, 240), -1);
    // A frame whose code band is half old, half new is not taken for either.
    VeltoSimDrawScene(frame.data(), 320, 240, 100, look);
    VeltoSimDrawScene(blank.data(), 320, 240, 0xABCDEF, look);
    for (int row = 0; row < 240; ++row) {
        memcpy(&frame[row * 640], &blank[row * 640], 320);  // left half of each line
    }
    EXPECT_EQ(VeltoSimReadSceneNumberYUYV(frame.data(), 320, 240), -1);
}

TEST_F(SimCameraTest, AnswersCapabilitiesFormatsAndRates) {
    ASSERT_GE(OpenCamera(), 0);
    v4l2_capability cap;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCAP, &cap), 0);
    EXPECT_TRUE(cap.device_caps & V4L2_CAP_VIDEO_CAPTURE);
    EXPECT_TRUE(cap.device_caps & V4L2_CAP_STREAMING);

    v4l2_format fmt;
    ASSERT_EQ(SetFormat(320, 240, &fmt), 0);
    EXPECT_EQ(fmt.fmt.pix.width, 320u);
    EXPECT_EQ(fmt.fmt.pix.sizeimage, 320u * 240 * 2);
    ASSERT_EQ(SetFormat(600, 460, &fmt), 0);  // rounded to the nearest size
    EXPECT_EQ(fmt.fmt.pix.width, 640u);
    EXPECT_EQ(fmt.fmt.pix.height, 480u);
    ASSERT_EQ(SetFormat(330, 250, &fmt), 0);
    EXPECT_EQ(fmt.fmt.pix.width, 320u);
    EXPECT_EQ(fmt.fmt.pix.pixelformat, uint32_t(V4L2_PIX_FMT_YUYV));

    v4l2_streamparm parm;
    memset(&parm, 0, sizeof parm);
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parm.parm.capture.timeperframe = {1, 24};
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_S_PARM, &parm), 0);
    EXPECT_EQ(parm.parm.capture.timeperframe.denominator, 25u);

    // The count asked is granted, up to the driver's limit of 32; the format
    // is fixed while buffers exist.
    ASSERT_EQ(RequestBuffers(40), 32);
    ASSERT_EQ(RequestBuffers(1), 1);
    EXPECT_EQ(SetFormat(640, 480), -1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(RequestBuffers(0), 0);
    EXPECT_EQ(SetFormat(640, 480), 0);
}

TEST_F(SimCameraTest, ControlsClampIntegersAndRejectMissingOrBadMenuValues) {
    ASSERT_GE(OpenCamera(), 0);
    v4l2_queryctrl q;
    memset(&q, 0, sizeof q);
    q.id = V4L2_CID_BRIGHTNESS;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCTRL, &q), 0);
    v4l2_control c = {V4L2_CID_BRIGHTNESS, q.maximum + 100};
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_S_CTRL, &c), 0);
    c.value = 0;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_G_CTRL, &c), 0);
    EXPECT_EQ(c.value, q.maximum);

    c = {V4L2_CID_EXPOSURE_AUTO, 7};
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_S_CTRL, &c), -1);
    EXPECT_EQ(errno, ERANGE);
    c = {V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY};
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_S_CTRL, &c), 0);

    q.id = V4L2_CID_FOCUS_ABSOLUTE;
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCTRL, &q), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(SimCameraTest, StreamsNumberedFramesAtTheAskedRate) {
    ASSERT_GE(OpenCamera(), 0);
    ASSERT_EQ(SetFormat(320, 240), 0);
    v4l2_streamparm parm;
    memset(&parm, 0, sizeof parm);
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parm.parm.capture.timeperframe = {1, 25};
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_S_PARM, &parm), 0);
    int count = RequestBuffers(3);
    ASSERT_EQ(count, 3);
    std::vector<Mapping> maps = MapAndQueue(count);
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), count);

    v4l2_buffer buf;
    EXPECT_EQ(Dequeue(buf), -1);  // not streaming yet
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);

    auto start = std::chrono::steady_clock::now();
    long last = -1;
    int frames = 0;
    while (frames < 25) {
        ASSERT_TRUE(WaitReadable(1000)) << "no frame within a second";
        ASSERT_EQ(Dequeue(buf), 0);
        EXPECT_EQ(buf.bytesused, 320u * 240 * 2);
        long n = VeltoSimReadSceneNumberYUYV(static_cast<uint8_t*>(maps[buf.index].base), 320, 240);
        EXPECT_EQ(n, long(buf.sequence));
        EXPECT_GT(n, last);
        last = n;
        ++frames;
        ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QBUF, &buf), 0);
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(seconds, 0.8);  // 25 frames at 25 fps take about one second
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(Dequeue(buf), -1);  // drained: the next frame is not due yet
    EXPECT_EQ(errno, EAGAIN);

    // Buffers cannot be freed while mapped or streaming.
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMOFF, &type), 0);
    EXPECT_EQ(RequestBuffers(0), -1);
    EXPECT_EQ(errno, EBUSY);
    Unmap(maps);
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0);
    EXPECT_EQ(RequestBuffers(0), 0);
}

TEST_F(SimCameraTest, UnplugWakesSelectFailsCallsAndHidesTheNode) {
    ASSERT_GE(OpenCamera(), 0);
    ASSERT_EQ(SetFormat(320, 240), 0);
    int count = RequestBuffers(2);
    std::vector<Mapping> maps = MapAndQueue(count);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);
    ASSERT_TRUE(WaitReadable(1000));

    ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), false));
    v4l2_buffer buf;
    // Frames already captured may still be fetched until the driver notices.
    for (int i = 0; i < 4 && Dequeue(buf) == 0; ++i) {
    }
    EXPECT_EQ(Dequeue(buf), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_TRUE(WaitReadable(100));  // select does not hang on a dead node
    v4l2_capability cap;
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCAP, &cap), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(Board().Open(kVeltoSimCameraNode, O_RDWR), -1);

    // The old mappings stay valid until unmapped; replugging gives a fresh node.
    memset(maps[0].base, 1, 16);
    Unmap(maps);
    Board().Close(m_nFd);
    m_nFd = -1;
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0);
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveHandles(), 0);
    ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), true));
    ASSERT_GE(OpenCamera(), 0);
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCAP, &cap), 0);
}

TEST_F(SimCameraTest, InjectedFaultsAndStall) {
    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    ASSERT_GE(OpenCamera(), 0);
    ASSERT_EQ(SetFormat(320, 240), 0);
    camera.FailNext(VeltoSimCameraCall::ReqBufs, ENOMEM, 2);
    EXPECT_EQ(RequestBuffers(2), -1);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_EQ(RequestBuffers(2), -1);
    int count = RequestBuffers(2);
    ASSERT_GE(count, 2);
    std::vector<Mapping> maps = MapAndQueue(count);

    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    camera.FailNext(VeltoSimCameraCall::StreamOn, EIO);
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), -1);
    EXPECT_EQ(errno, EIO);
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);
    ASSERT_TRUE(WaitReadable(1000));

    camera.FailNext(VeltoSimCameraCall::DqBuf, EIO);
    v4l2_buffer buf;
    EXPECT_EQ(Dequeue(buf), -1);
    EXPECT_EQ(errno, EIO);
    ASSERT_EQ(Dequeue(buf), 0);
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QBUF, &buf), 0);

    camera.SetStalled(true);
    while (Dequeue(buf) == 0) {
        Board().Ioctl(m_nFd, VIDIOC_QBUF, &buf);
    }
    EXPECT_FALSE(WaitReadable(300));
    camera.SetStalled(false);
    EXPECT_TRUE(WaitReadable(1000));
    Board().Ioctl(m_nFd, VIDIOC_STREAMOFF, &type);
    Unmap(maps);
}

// A reader blocked in a dequeue is let go when another thread stops the
// stream: the dequeue fails, every buffer is the application's again, and
// a new stream starts over at frame 0.
TEST_F(SimCameraTest, StoppingTheStreamEndsABlockedDequeueAndReturnsEveryBuffer) {
    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    ASSERT_GE(OpenCamera(O_RDWR), 0);
    ASSERT_EQ(SetFormat(160, 120), 0);
    int count = RequestBuffers(3);
    ASSERT_EQ(count, 3);
    std::vector<Mapping> maps = MapAndQueue(count);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    camera.SetStalled(true);  // no frame comes: the dequeue below waits
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);

    int rc = 0, err = 0;
    std::thread reader([&] {
        v4l2_buffer buf;
        rc = Dequeue(buf);
        err = errno;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMOFF, &type), 0);
    reader.join();
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(err, EINVAL);
    for (int i = 0; i < count; ++i) {
        v4l2_buffer buf = BufferAt(i);
        ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYBUF, &buf), 0);
        EXPECT_EQ(buf.flags & (V4L2_BUF_FLAG_QUEUED | V4L2_BUF_FLAG_DONE), 0u) << i;
        EXPECT_NE(buf.flags & V4L2_BUF_FLAG_MAPPED, 0u) << i;
    }

    // Queued again and streaming again: frames come, numbered from 0.
    camera.SetStalled(false);
    for (int i = 0; i < count; ++i) {
        v4l2_buffer buf = BufferAt(i);
        ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_QBUF, &buf), 0);
    }
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);
    v4l2_buffer buf;
    ASSERT_EQ(Dequeue(buf), 0);
    EXPECT_EQ(buf.sequence, 0u);
    EXPECT_EQ(buf.flags & V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC, V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC);
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMOFF, &type), 0);
    Unmap(maps);
    EXPECT_EQ(RequestBuffers(0), 0);
}

// Controls belong to the head: a close does not lose them, a new enumeration
// (replug, or the USB reset of the camera port) does. During a reset the
// head is off the bus; it comes back later as a new node, and a handle of
// the old one stays dead.
TEST_F(SimCameraTest, ControlsOutliveCloseAndResetReenumeratesTheHead) {
    const std::string root = CVeltoSimBoard::GetInstance().Root();
    auto setBrightness = [this](int value) {
        v4l2_control c = {V4L2_CID_BRIGHTNESS, value};
        return Board().Ioctl(m_nFd, VIDIOC_S_CTRL, &c);
    };
    auto brightness = [this] {
        v4l2_control c = {V4L2_CID_BRIGHTNESS, -999};
        Board().Ioctl(m_nFd, VIDIOC_G_CTRL, &c);
        return c.value;
    };
    ASSERT_GE(OpenCamera(), 0);
    ASSERT_EQ(setBrightness(10), 0);
    Board().Close(m_nFd);
    ASSERT_GE(OpenCamera(), 0);
    EXPECT_EQ(brightness(), 10);
    Board().Close(m_nFd);
    ASSERT_TRUE(VeltoSimCameraSetPlugged(root, false));
    ASSERT_TRUE(VeltoSimCameraSetPlugged(root, true));
    ASSERT_GE(OpenCamera(), 0);
    EXPECT_EQ(brightness(), 0);  // the default again

    ASSERT_EQ(setBrightness(20), 0);
    std::string node = VeltoSimCameraNodeIdentity(root);
    ASSERT_EQ(Board().System("echo 71 > /sys/class/gpio/export"), 0);
    ASSERT_EQ(Board().System("echo 0 > /sys/class/gpio/gpio71/value"), 0);
    EXPECT_FALSE(VeltoSimCameraIsPlugged(root));
    v4l2_capability cap;
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCAP, &cap), -1);
    EXPECT_EQ(errno, ENODEV);
    auto high = std::chrono::steady_clock::now();
    ASSERT_EQ(Board().System("echo 1 > /sys/class/gpio/gpio71/value"), 0);
    while (!VeltoSimCameraIsPlugged(root) &&
           std::chrono::steady_clock::now() - high < std::chrono::seconds(2)) {
        usleep(5000);
    }
    double back = std::chrono::duration<double>(std::chrono::steady_clock::now() - high).count();
    ASSERT_TRUE(VeltoSimCameraIsPlugged(root));
    EXPECT_GT(back, 0.4);  // about half a second, within the firmware's 0.8 s wait
    EXPECT_LT(back, 0.75);
    EXPECT_NE(VeltoSimCameraNodeIdentity(root), node);
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_QUERYCAP, &cap), -1) << "old handle came back to life";
    EXPECT_EQ(errno, ENODEV);
    Board().Close(m_nFd);
    ASSERT_GE(OpenCamera(), 0);
    EXPECT_EQ(brightness(), 0);
    Board().Close(m_nFd);
    m_nFd = -1;

    // A head that was unplugged does not come back with a reset.
    ASSERT_TRUE(VeltoSimCameraSetPlugged(root, false));
    Board().System("echo 0 > /sys/class/gpio/gpio71/value");
    Board().System("echo 1 > /sys/class/gpio/gpio71/value");
    usleep(700000);
    EXPECT_FALSE(VeltoSimCameraIsPlugged(root));
}

// A head that has only MJPEG answers a YUYV request with MJPEG, as the UVC
// driver does; a "grant" head answers every size with its own.
TEST_F(SimCameraTest, FaultyHeadsAnswerWithWhatTheyHave) {
    const std::string root = CVeltoSimBoard::GetInstance().Root();
    std::string message;
    ASSERT_EQ(VeltoSimCameraCommand(root, {"format", "mjpeg"}, &message), 0);
    ASSERT_GE(OpenCamera(), 0);
    v4l2_fmtdesc desc;
    memset(&desc, 0, sizeof desc);
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_ENUM_FMT, &desc), 0);
    EXPECT_EQ(desc.pixelformat, uint32_t(V4L2_PIX_FMT_MJPEG));
    desc.index = 1;
    EXPECT_EQ(Board().Ioctl(m_nFd, VIDIOC_ENUM_FMT, &desc), -1);
    v4l2_format fmt;
    ASSERT_EQ(SetFormat(320, 240, &fmt), 0);
    EXPECT_EQ(fmt.fmt.pix.pixelformat, uint32_t(V4L2_PIX_FMT_MJPEG));
    EXPECT_EQ(fmt.fmt.pix.bytesperline, 0u);
    ASSERT_EQ(RequestBuffers(1), 1);
    std::vector<Mapping> maps = MapAndQueue(1);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    ASSERT_EQ(Board().Ioctl(m_nFd, VIDIOC_STREAMON, &type), 0);
    ASSERT_TRUE(WaitReadable(1000));
    v4l2_buffer buf;
    ASSERT_EQ(Dequeue(buf), 0);
    const uint8_t* p = static_cast<const uint8_t*>(maps[0].base);
    EXPECT_LT(buf.bytesused, buf.length);  // compressed frames vary in length
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[1], 0xD8);
    EXPECT_EQ(p[buf.bytesused - 1], 0xD9);
    Board().Ioctl(m_nFd, VIDIOC_STREAMOFF, &type);
    Unmap(maps);
    Board().Close(m_nFd);

    ASSERT_EQ(VeltoSimCameraCommand(root, {"normal"}, &message), 0);
    ASSERT_EQ(VeltoSimCameraCommand(root, {"grant", "640x480"}, &message), 0);
    ASSERT_GE(OpenCamera(), 0);
    ASSERT_EQ(SetFormat(320, 240, &fmt), 0);
    EXPECT_EQ(fmt.fmt.pix.pixelformat, uint32_t(V4L2_PIX_FMT_YUYV));
    EXPECT_EQ(fmt.fmt.pix.width, 640u);
    EXPECT_EQ(fmt.fmt.pix.height, 480u);
    ASSERT_EQ(VeltoSimCameraCommand(root, {"normal"}, &message), 0);
    ASSERT_EQ(SetFormat(320, 240, &fmt), 0);
    EXPECT_EQ(fmt.fmt.pix.width, 320u);

    EXPECT_EQ(VeltoSimCameraCommand(root, {"grant", "7x"}, &message), 2);
    EXPECT_EQ(VeltoSimCameraCommand(root, {"badframes", "-1"}, &message), 2);
    EXPECT_EQ(VeltoSimCameraCommand(root, {"eio"}, &message), 2);
    EXPECT_EQ(VeltoSimCameraCommand(root, {"format", "h264"}, &message), 2);
}

}  // namespace
