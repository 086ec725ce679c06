// The PXP output on the simulated board: its queue never waits for a buffer
// the driver does not hold, and the screen shows the video only as the
// framebuffer overlay is set up.
#include "camera/v4l2_MXSPXPCtrl.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <string.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "platform/velto_board.h"
#include "settings/velto_SC_screen.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_pxp.h"
#include "tests/toolkit/tk_fixture.h"
#include "toolkit/tk_sim_glue.h"

namespace {

using std::chrono::milliseconds;
const milliseconds kBound(5000);  // far beyond any healthy answer

bool WaitFor(const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + kBound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

long long Shown() {
    return CVeltoSimPxp::GetInstance()->FramesShown();
}

// A dequeue of the output buffers, as the firmware asks for one.
int Dequeue(int fd) {
    v4l2_buffer b;
    memset(&b, 0, sizeof b);
    b.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    b.memory = V4L2_MEMORY_MMAP;
    return Board().Ioctl(fd, VIDIOC_DQBUF, &b) == 0 ? static_cast<int>(b.index) : -errno;
}

int Call(int fd, unsigned long request, int type) {
    return Board().Ioctl(fd, request, &type);
}

class PxpOutputTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        Velto::SetScreenMetricsProc(GetSystemMetrics);
        m_frame.assign(320 * 240 * 2, 0);
        for (size_t i = 0; i < m_frame.size(); i += 2) {
            m_frame[i] = static_cast<char>(180);  // mid grey: Y 180, U = V = 128
            m_frame[i + 1] = static_cast<char>(128);
        }
    }
    void TearDown() override {
        CV4L2_MXSPXPCTRL::GetInstance().Close();
        CVeltoSimPxp::GetInstance()->FailNextQueue(0, 0);
        CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(nullptr);
        Velto::SetScreenMetricsProc(nullptr);
        CToolkitTest::TearDown();
    }

    // Offers the frame on another thread; false when the call has not
    // returned within the bound. The stream is then stopped, which ends any
    // wait in a dequeue, so that a regression fails instead of hanging.
    bool Enqueue(bool* queued) {
        CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
        auto call = std::async(std::launch::async, [&] {
            return pxp.EnqueuePXPBuf(m_frame.data(), static_cast<unsigned>(m_frame.size()));
        });
        if (call.wait_for(kBound) != std::future_status::ready) {
            pxp.Close();
            call.wait();
            return false;
        }
        *queued = call.get();
        return true;
    }

    std::vector<char> m_frame;
};

TEST_F(PxpOutputTest, TheSimulatedPxpDequeuesAsVideobuf2Does) {
    int fd = Board().Open("/dev/video0", O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(-EINVAL, Dequeue(fd)) << "no buffers";
    v4l2_requestbuffers req;
    memset(&req, 0, sizeof req);
    req.count = 1;
    req.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    req.memory = V4L2_MEMORY_MMAP;
    ASSERT_EQ(0, Board().Ioctl(fd, VIDIOC_REQBUFS, &req));
    EXPECT_EQ(-EINVAL, Dequeue(fd)) << "not streaming: no wait";
    ASSERT_EQ(0, Call(fd, VIDIOC_STREAMON, V4L2_BUF_TYPE_VIDEO_OUTPUT));

    std::future<int> waiter;
    struct CStopOnExit {  // ends a wait left behind by a failed assertion
        int fd;
        ~CStopOnExit() { Call(fd, VIDIOC_STREAMOFF, V4L2_BUF_TYPE_VIDEO_OUTPUT); }
    } stop{fd};

    // Streaming with nothing queued: a blocking dequeue waits, and gets the
    // buffer queued meanwhile once it is shown.
    waiter = std::async(std::launch::async, [fd] { return Dequeue(fd); });
    EXPECT_EQ(std::future_status::timeout, waiter.wait_for(milliseconds(300)))
        << "answered at once: " << waiter.get();
    if (waiter.valid()) {
        v4l2_buffer b;
        memset(&b, 0, sizeof b);
        b.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
        b.memory = V4L2_MEMORY_MMAP;
        ASSERT_EQ(0, Board().Ioctl(fd, VIDIOC_QBUF, &b));
        ASSERT_EQ(std::future_status::ready, waiter.wait_for(kBound));
        EXPECT_EQ(0, waiter.get());
    }

    // Waiting again: stream off ends the wait.
    waiter = std::async(std::launch::async, [fd] { return Dequeue(fd); });
    EXPECT_EQ(std::future_status::timeout, waiter.wait_for(milliseconds(300)));
    ASSERT_EQ(0, Call(fd, VIDIOC_STREAMOFF, V4L2_BUF_TYPE_VIDEO_OUTPUT));
    if (waiter.valid()) {
        ASSERT_EQ(std::future_status::ready, waiter.wait_for(kBound));
        EXPECT_EQ(-EINVAL, waiter.get());
    }
    Board().Close(fd);
}

TEST_F(PxpOutputTest, AFailedQueueIsReportedAndNeverWaitedFor) {
    CVeltoSimPxp& sim = *CVeltoSimPxp::GetInstance();
    {
        CV4L2_VideoCtrl node(V4L2_CAP_VIDEO_OUTPUT);
        ASSERT_TRUE(node.Open("PxP", true));
        ASSERT_TRUE(node.RequestV4L2StreamBuffer(V4L2_BUF_TYPE_VIDEO_OUTPUT, 1));
        sim.FailNextQueue(EIO);
        EXPECT_FALSE(node.v4l2_ClearBuf(V4L2_BUF_TYPE_VIDEO_OUTPUT, 1));
        EXPECT_EQ(0, node.QueuedBufferCount());
        EXPECT_EQ(0, node.HeldBufferIndex());
        EXPECT_TRUE(node.v4l2_ClearBuf(V4L2_BUF_TYPE_VIDEO_OUTPUT, 1));
        EXPECT_EQ(1, node.QueuedBufferCount());
        EXPECT_EQ(-1, node.HeldBufferIndex());
        node.Close();
    }

    // The buffer cannot be queued at stream start: the stream runs with the
    // buffer left to us, and the first frame fills and queues it.
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    sim.FailNextQueue(EIO);
    ASSERT_TRUE(pxp.Start(320, 240));
    EXPECT_EQ(0, pxp.QueuedBufferCount());
    long long before = Shown();
    bool queued = false;
    ASSERT_TRUE(Enqueue(&queued)) << "the frame waits for a buffer never queued";
    EXPECT_TRUE(queued);
    EXPECT_TRUE(WaitFor([&] { return Shown() > before; }));

    // A queue refused after a frame was shown: reported, and the next frame
    // takes the buffer that stayed with us instead of waiting for it.
    sim.FailNextQueue(EIO);
    ASSERT_TRUE(Enqueue(&queued));
    EXPECT_FALSE(queued);
    before = Shown();
    ASSERT_TRUE(Enqueue(&queued)) << "the frame waits for the buffer whose queue failed";
    EXPECT_TRUE(queued);
    EXPECT_TRUE(WaitFor([&] { return Shown() > before; }));
    ASSERT_TRUE(Enqueue(&queued));
    EXPECT_TRUE(queued) << "frames stopped flowing";
}

// The PXP's set-up as the firmware makes it, or spoilt one step at a time
// through a second descriptor (the set-up belongs to the device).
class CPxpSetUp {
public:
    CPxpSetUp() : m_nFd(Board().Open("/dev/video0", O_RDWR)) {}
    ~CPxpSetUp() { Board().Close(m_nFd); }
    bool Opened() const { return m_nFd >= 0; }

    void Flags(uint32_t flags) {
        v4l2_framebuffer fb;
        memset(&fb, 0, sizeof fb);
        Board().Ioctl(m_nFd, VIDIOC_G_FBUF, &fb);
        fb.flags = flags;
        EXPECT_EQ(0, Board().Ioctl(m_nFd, VIDIOC_S_FBUF, &fb));
    }
    void OverlayControl(int value) {
        v4l2_control c = {0x08000003, value};
        EXPECT_EQ(0, Board().Ioctl(m_nFd, VIDIOC_S_CTRL, &c));
    }
    void Window(uint32_t key, uint8_t alpha) {
        v4l2_format f;
        memset(&f, 0, sizeof f);
        f.type = V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
        ASSERT_EQ(0, Board().Ioctl(m_nFd, VIDIOC_G_FMT, &f));
        f.fmt.win.chromakey = key;
        f.fmt.win.global_alpha = alpha;
        EXPECT_EQ(0, Board().Ioctl(m_nFd, VIDIOC_S_FMT, &f));
    }
    void Firmware() {
        Flags(V4L2_FBUF_FLAG_OVERLAY | V4L2_FBUF_FLAG_CHROMAKEY);
        OverlayControl(1);
        Window(0x010101, 255);
    }

private:
    int m_nFd;
};

bool NearBlack(uint32_t rgb) {
    return (rgb >> 16 & 0xFF) <= 1 && (rgb >> 8 & 0xFF) <= 1 && (rgb & 0xFF) <= 1;
}

TEST_F(PxpOutputTest, TheVideoShowsOnlyThroughTheOverlaySetUp) {
    HWND top = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    Solid(top, RGB(200, 0, 0), 0, 0, 40, 40);  // a red control
    MwPumpMessages();
    CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(&VeltoTk::SimOverlayToScreen);
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    ASSERT_TRUE(pxp.Start(320, 240));
    pxp.ChangeToPXP(true);
    // Two frames: the second waits for the buffer of the first, which is
    // then on the screen, made under the set-up of the moment.
    auto show = [&] {
        for (int i = 0; i < 2; ++i) {
            bool queued = false;
            EXPECT_TRUE(Enqueue(&queued) && queued);
        }
    };

    // The firmware's own set-up: the grey video where the UI holds the key,
    // the control where it is drawn.
    show();
    const uint32_t video = Px(160, 120);
    EXPECT_NEAR(180, static_cast<int>(video & 0xFF), 4) << std::hex << video;
    EXPECT_EQ(0xC80000u, Px(20, 20));

    CPxpSetUp setUp;
    ASSERT_TRUE(setUp.Opened());
    const struct {
        const char* what;
        std::function<void()> spoil;
    } kWrong[] = {
        {"no chroma-key flag", [&] { setUp.Flags(V4L2_FBUF_FLAG_OVERLAY); }},
        {"no overlay flag", [&] { setUp.Flags(V4L2_FBUF_FLAG_CHROMAKEY); }},
        {"overlay control off", [&] { setUp.OverlayControl(0); }},
        {"another key", [&] { setUp.Window(0x000000, 255); }},
    };
    for (const auto& wrong : kWrong) {
        SCOPED_TRACE(wrong.what);
        setUp.Firmware();
        wrong.spoil();
        show();
        EXPECT_TRUE(NearBlack(Px(160, 120))) << std::hex << Px(160, 120);
        EXPECT_EQ(0xC80000u, Px(20, 20));
    }

    // Global alpha blends the UI over the video; the firmware's 255 would
    // keep the UI whole.
    setUp.Firmware();
    setUp.Flags(V4L2_FBUF_FLAG_OVERLAY | V4L2_FBUF_FLAG_CHROMAKEY | V4L2_FBUF_FLAG_GLOBAL_ALPHA);
    setUp.Window(0x010101, 128);
    show();
    const uint32_t mixed = Px(20, 20);
    EXPECT_NEAR((200 + 180) / 2, static_cast<int>(mixed >> 16 & 0xFF), 4) << std::hex << mixed;
    EXPECT_NEAR(180 / 2, static_cast<int>(mixed & 0xFF), 4) << std::hex << mixed;
    EXPECT_EQ(video, Px(160, 120));
    setUp.Window(0x010101, 255);
    show();
    EXPECT_EQ(0xC80000u, Px(20, 20));

    setUp.Firmware();
    show();
    EXPECT_EQ(video, Px(160, 120));
}

}  // namespace
