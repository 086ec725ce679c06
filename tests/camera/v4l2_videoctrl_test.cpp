#include "camera/v4l2_videoctrl.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <memory>

#include "sim/sim_board.h"
#include "sim/sim_camera.h"
#include "sim/sim_camera_control.h"
#include "tests/support/sim_test.h"

namespace {

// A node that only answers VIDIOC_QUERYCAP, with the given abilities.
class CCapsOnlyHandle : public CVeltoSimHandle {
public:
    explicit CCapsOnlyHandle(uint32_t caps) : m_nCaps(caps) {}
    int Ioctl(unsigned long request, void* arg) override {
        if (request != VIDIOC_QUERYCAP) {
            errno = ENOTTY;
            return -1;
        }
        v4l2_capability* cap = static_cast<v4l2_capability*>(arg);
        memset(cap, 0, sizeof *cap);
        cap->capabilities = m_nCaps;
        return 0;
    }

private:
    uint32_t m_nCaps;
};

class CCapsOnlyDevice : public CVeltoSimDevice {
public:
    explicit CCapsOnlyDevice(uint32_t caps) : m_nCaps(caps) {}
    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override {
        return std::unique_ptr<CVeltoSimHandle>(new CCapsOnlyHandle(m_nCaps));
    }

private:
    uint32_t m_nCaps;
};

// An output node with an overlay, as the PXP offers: remembers what it is
// told; a driver that cannot blend ignores the global alpha.
class COverlayHandle : public CVeltoSimHandle {
public:
    explicit COverlayHandle(bool keepsAlpha) : m_bKeepsAlpha(keepsAlpha) {
        memset(&m_win, 0, sizeof m_win);
        memset(&m_crop, 0, sizeof m_crop);
    }
    int Ioctl(unsigned long request, void* arg) override {
        switch (request) {
            case VIDIOC_QUERYCAP: {
                v4l2_capability* cap = static_cast<v4l2_capability*>(arg);
                memset(cap, 0, sizeof *cap);
                cap->capabilities =
                    V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY | V4L2_CAP_STREAMING;
                return 0;
            }
            case VIDIOC_G_FMT:
            case VIDIOC_S_FMT: {
                v4l2_format* fmt = static_cast<v4l2_format*>(arg);
                if (fmt->type != V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
                    return Fail(EINVAL);
                }
                if (request == VIDIOC_S_FMT) {
                    m_win = fmt->fmt.win;
                    if (!m_bKeepsAlpha) {
                        m_win.global_alpha = 0;
                    }
                }
                fmt->fmt.win = m_win;
                return 0;
            }
            case VIDIOC_G_OUTPUT:
                *static_cast<int*>(arg) = m_nOutput;
                return 0;
            case VIDIOC_S_OUTPUT:
                if (*static_cast<int*>(arg) < 0 || *static_cast<int*>(arg) > 1) {
                    return Fail(EINVAL);
                }
                m_nOutput = *static_cast<int*>(arg);
                return 0;
            case VIDIOC_ENUMOUTPUT: {
                v4l2_output* out = static_cast<v4l2_output*>(arg);
                snprintf(reinterpret_cast<char*>(out->name), sizeof out->name, "output %u",
                         out->index);
                return out->index <= 1 ? 0 : Fail(EINVAL);
            }
            case VIDIOC_G_FBUF:
            case VIDIOC_S_FBUF: {
                v4l2_framebuffer* fb = static_cast<v4l2_framebuffer*>(arg);
                if (request == VIDIOC_S_FBUF) {
                    m_nFbFlags = fb->flags;
                }
                fb->flags = m_nFbFlags;
                return 0;
            }
            case VIDIOC_G_CROP:
            case VIDIOC_S_CROP: {
                v4l2_crop* crop = static_cast<v4l2_crop*>(arg);
                if (request == VIDIOC_S_CROP) {
                    if (crop->c.width <= 0) {
                        return Fail(EINVAL);
                    }
                    m_crop = *crop;
                }
                *crop = m_crop;
                return 0;
            }
            case VIDIOC_S_CTRL:
                return 0;
        }
        return Fail(ENOTTY);
    }

    static int Fail(int err) {
        errno = err;
        return -1;
    }

    bool m_bKeepsAlpha;
    v4l2_window m_win;
    v4l2_crop m_crop;
    int m_nOutput = 1;
    uint32_t m_nFbFlags = 0;
};

class COverlayDevice : public CVeltoSimDevice {
public:
    explicit COverlayDevice(bool keepsAlpha) : m_bKeepsAlpha(keepsAlpha) {}
    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override {
        return std::unique_ptr<CVeltoSimHandle>(new COverlayHandle(m_bKeepsAlpha));
    }

private:
    bool m_bKeepsAlpha;
};

// A capture node that composes into a rectangle of its buffer, as vivid does:
// the rectangle of the first format stays when a larger format is set.
struct SComposeState {
    v4l2_rect compose = {0, 0, 0, 0};
    int setSelections = 0;
    bool refuseSelection = false;
};

class CComposingHandle : public CVeltoSimHandle {
public:
    explicit CComposingHandle(SComposeState* state) : m_pState(state) {
        memset(&m_fmt, 0, sizeof m_fmt);
    }
    int Ioctl(unsigned long request, void* arg) override {
        switch (request) {
            case VIDIOC_QUERYCAP: {
                v4l2_capability* cap = static_cast<v4l2_capability*>(arg);
                memset(cap, 0, sizeof *cap);
                cap->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
                return 0;
            }
            case VIDIOC_G_FMT:
                *static_cast<v4l2_format*>(arg) = m_fmt;
                return 0;
            case VIDIOC_S_FMT: {
                v4l2_format* f = static_cast<v4l2_format*>(arg);
                f->fmt.pix.bytesperline = f->fmt.pix.width * 2;
                f->fmt.pix.sizeimage = f->fmt.pix.bytesperline * f->fmt.pix.height;
                m_fmt = *f;
                if (m_pState->compose.width == 0) {
                    m_pState->compose = {0, 0, f->fmt.pix.width, f->fmt.pix.height};
                }
                return 0;
            }
            case VIDIOC_G_SELECTION: {
                v4l2_selection* sel = static_cast<v4l2_selection*>(arg);
                if (sel->target != V4L2_SEL_TGT_COMPOSE) {
                    errno = EINVAL;
                    return -1;
                }
                sel->r = m_pState->compose;
                return 0;
            }
            case VIDIOC_S_SELECTION: {
                ++m_pState->setSelections;
                v4l2_selection* sel = static_cast<v4l2_selection*>(arg);
                if (m_pState->refuseSelection || sel->target != V4L2_SEL_TGT_COMPOSE) {
                    errno = EINVAL;
                    return -1;
                }
                m_pState->compose = sel->r;
                return 0;
            }
            default:
                errno = ENOTTY;
                return -1;
        }
    }

private:
    SComposeState* m_pState;
    v4l2_format m_fmt;
};

class CComposingDevice : public CVeltoSimDevice {
public:
    explicit CComposingDevice(SComposeState* state) : m_pState(state) {}
    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override {
        return std::unique_ptr<CVeltoSimHandle>(new CComposingHandle(m_pState));
    }

private:
    SComposeState* m_pState;
};

class VideoCtrlTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimCamera::GetInstance()->ResetFaults();
    }
    void TearDown() override {
        CVeltoSimCamera::GetInstance()->ResetFaults();
        EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 0) << "descriptor leaked";
        EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0) << "mapping leaked";
        CVeltoSimBoardTest::TearDown();
    }

    // Adds /dev/video<id> with a sysfs name and the given abilities.
    void AddNode(int id, const std::string& name, uint32_t caps) {
        std::string node = "/dev/video" + std::to_string(id);
        CVeltoSimBoard::GetInstance().RegisterDevice(node, std::make_shared<CCapsOnlyDevice>(caps));
        WriteFile(HostPath(node), "");
        WriteFile(HostPath("/sys/class/video4linux/video" + std::to_string(id) + "/name"),
                  name + "\n");
    }

    bool OpenCamera(CV4L2_VideoCtrl& dev, uint32_t width = 320, uint32_t height = 240) {
        if (!dev.Open("Camera", false)) {
            return false;
        }
        v4l2_pix_format pix;
        memset(&pix, 0, sizeof pix);
        pix.width = width;
        pix.height = height;
        pix.pixelformat = V4L2_PIX_FMT_YUYV;
        dev.SetWidth(width);
        dev.SetHeight(height);
        return dev.SetV4L2PixFormat(V4L2_BUF_TYPE_VIDEO_CAPTURE, pix);
    }
};

const uint32_t kCaptureStreaming = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;

TEST_F(VideoCtrlTest, FindsNodesByNameAndAbilities) {
    AddNode(3, "PxP output",
            V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY | V4L2_CAP_STREAMING);
    AddNode(2, "Camera without streaming", V4L2_CAP_VIDEO_CAPTURE);
    AddNode(8, "Second Camera", kCaptureStreaming);
    AddNode(12, "Third Camera", kCaptureStreaming);

    CV4L2_VideoCtrl capture(V4L2_CAP_VIDEO_CAPTURE);
    EXPECT_FALSE(capture.Open("PxP", true));  // name fits, abilities do not
    EXPECT_FALSE(capture.IsOpened());
    EXPECT_EQ(capture.GetDevName(), "");
    EXPECT_FALSE(capture.Open("Nothing", false));

    ASSERT_TRUE(capture.Open("", false));  // any name: the first usable node (the head)
    EXPECT_EQ(capture.GetVideoID(), 1);
    EXPECT_EQ(capture.GetDevName(), "/dev/video1");
    capture.Close();

    CV4L2_VideoCtrl output(V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY);
    ASSERT_TRUE(output.Open("PxP output", true));
    EXPECT_EQ(output.GetVideoID(), 3);
    output.Close();

    // Without the head, the node lacking streaming is passed over; numbers of
    // two digits are read as such.
    ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), false));
    ASSERT_TRUE(capture.Open("Camera", false));
    EXPECT_EQ(capture.GetVideoID(), 8);
    EXPECT_EQ(capture.GetDevName(), "/dev/video8");
    // Opening again does not lose the first descriptor.
    ASSERT_TRUE(capture.InitV4LVideoDevice(12, false));
    EXPECT_EQ(capture.GetDevName(), "/dev/video12");
    EXPECT_EQ(CVeltoSimBoard::GetInstance().OpenDeviceCount(), 1);
    capture.Close();
    EXPECT_FALSE(capture.IsOpened());
}

TEST_F(VideoCtrlTest, FormatRoundedByDriverIsStoredAndRateIsSet) {
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev, 330, 250));
    EXPECT_EQ(dev.GetWidth(), 320u);
    EXPECT_EQ(dev.GetHeight(), 240u);
    EXPECT_TRUE(dev.SetV4L2Framerate(25));

    v4l2_pix_format pix;
    memset(&pix, 0, sizeof pix);
    EXPECT_FALSE(dev.SetV4L2PixFormat(V4L2_BUF_TYPE_VIDEO_OVERLAY, pix));
    v4l2_window win;
    memset(&win, 0, sizeof win);
    EXPECT_FALSE(dev.SetV4L2WinFormat(V4L2_BUF_TYPE_VIDEO_CAPTURE, win));
    EXPECT_FALSE(dev.SetV4L2WinFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY, win));  // refused
    dev.Close();
    EXPECT_EQ(dev.GetOutput(), 0);  // closed
    EXPECT_FALSE(dev.SetOutput_ID(0));
    EXPECT_NE(Commands().find("echo 1 > /proc/sys/vm/drop_caches"), std::string::npos);
}

TEST_F(VideoCtrlTest, ComposingDriverIsMadeToFillTheWholeLargerFrame) {
    ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), false));
    SComposeState state;
    CVeltoSimBoard::GetInstance().RegisterDevice("/dev/video5",
                                                 std::make_shared<CComposingDevice>(&state));
    WriteFile(HostPath("/dev/video5"), "");
    WriteFile(HostPath("/sys/class/video4linux/video5/name"), "vivid Camera\n");

    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev, 320, 240));
    EXPECT_EQ(state.setSelections, 0);  // already whole: left alone

    // The switch to the picture size: without the fix the driver would fill
    // only the top-left 320 x 240 of each 640 x 480 buffer.
    ASSERT_TRUE(OpenCamera(dev, 640, 480));
    EXPECT_EQ(state.setSelections, 1);
    EXPECT_EQ(state.compose.left, 0);
    EXPECT_EQ(state.compose.top, 0);
    EXPECT_EQ(state.compose.width, 640u);
    EXPECT_EQ(state.compose.height, 480u);
    dev.Close();

    // A driver that refuses keeps streaming what it can; the format stands.
    state.compose = {0, 0, 320, 240};
    state.refuseSelection = true;
    ASSERT_TRUE(OpenCamera(dev, 640, 480));
    EXPECT_EQ(state.setSelections, 2);
    EXPECT_EQ(dev.GetWidth(), 640u);
    dev.Close();
}

TEST_F(VideoCtrlTest, ControlsKindsRangesAndReset) {
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev));
    v4l2_queryctrl q;
    EXPECT_EQ(dev.isv4l2Control(V4L2_CID_BRIGHTNESS, &q), 0);
    EXPECT_EQ(dev.isv4l2Control(V4L2_CID_AUTO_WHITE_BALANCE, &q), 1);
    EXPECT_EQ(dev.isv4l2Control(V4L2_CID_EXPOSURE_AUTO, &q), 1);
    EXPECT_EQ(dev.isv4l2Control(V4L2_CID_FOCUS_ABSOLUTE, &q), -1);
    int value = 0;
    EXPECT_EQ(dev.GetControlValue(V4L2_CID_ZOOM_ABSOLUTE, value), -1);

    int max = 0, min = 0;
    ASSERT_TRUE(dev.GetControlValueMaxMin(V4L2_CID_BRIGHTNESS, max, min));
    EXPECT_LT(min, max);
    int before = 0;
    ASSERT_EQ(dev.GetControlValue(V4L2_CID_BRIGHTNESS, before), 0);

    // Out of range: nothing is written.
    value = max + 1;
    EXPECT_EQ(dev.SetControlValue(V4L2_CID_BRIGHTNESS, value), 0);
    int now = 0;
    ASSERT_EQ(dev.GetControlValue(V4L2_CID_BRIGHTNESS, now), 0);
    EXPECT_EQ(now, before);

    value = max;
    EXPECT_EQ(dev.SetControlValue(V4L2_CID_BRIGHTNESS, value), 0);
    ASSERT_EQ(dev.GetControlValue(V4L2_CID_BRIGHTNESS, now), 0);
    EXPECT_EQ(now, max);
    EXPECT_EQ(dev.ResetControl(V4L2_CID_BRIGHTNESS), 0);
    ASSERT_EQ(dev.GetControlValue(V4L2_CID_BRIGHTNESS, now), 0);
    EXPECT_EQ(now, before);
    EXPECT_EQ(dev.ResetControl(V4L2_CID_FOCUS_AUTO), -1);
    dev.Close();
}

TEST_F(VideoCtrlTest, StreamStartIsIdempotentAndStopUnmapsEverything) {
    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev));
    int streamOns = camera.StreamOnCount();
    ASSERT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_TRUE(dev.IsStreaming());
    int mapped = dev.GetStreamBufferSize();
    EXPECT_EQ(mapped, 1);  // a UVC node grants the one buffer asked
    EXPECT_EQ(camera.LiveMappings(), mapped);
    ASSERT_NE(dev.GetStreamBufferListAt(0), nullptr);
    EXPECT_EQ(dev.GetStreamBufferListAt(0)->m_nLen, 320 * 240 * 2);
    EXPECT_EQ(dev.GetStreamBufferListAt(99), nullptr);

    EXPECT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_EQ(camera.StreamOnCount(), streamOns + 1);
    EXPECT_EQ(camera.LiveMappings(), mapped);

    // A frame arrives and is dequeued; the next poll finds none yet.
    v4l2_buffer buf;
    for (int i = 0; i < 100 && !dev.v4l2_DQBUF(V4L2_BUF_TYPE_VIDEO_CAPTURE, buf); ++i) {
        usleep(10000);
    }
    EXPECT_GT(buf.bytesused, 0u);
    EXPECT_FALSE(dev.v4l2_DQBUF(V4L2_BUF_TYPE_VIDEO_CAPTURE, buf));
    EXPECT_EQ(errno, EAGAIN);  // kept across the message

    EXPECT_TRUE(dev.DisableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_FALSE(dev.IsStreaming());
    EXPECT_EQ(dev.GetStreamBufferSize(), 0);
    EXPECT_EQ(camera.LiveMappings(), 0);

    ASSERT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    dev.Close();  // stops the stream on the way
    EXPECT_FALSE(dev.IsStreaming());
    EXPECT_EQ(camera.LiveMappings(), 0);
}

TEST_F(VideoCtrlTest, BufferRequestIsRetriedFourTimes) {
    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev));
    camera.FailNext(VeltoSimCameraCall::ReqBufs, ENOMEM, 3);
    EXPECT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_TRUE(dev.DisableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));

    camera.FailNext(VeltoSimCameraCall::ReqBufs, ENOMEM, 4);
    EXPECT_FALSE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_FALSE(dev.IsStreaming());
    EXPECT_TRUE(dev.IsOpened());
    dev.Close();
}

TEST_F(VideoCtrlTest, FailedStreamOnLeavesNoBuffersMapped) {
    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev));
    camera.FailNext(VeltoSimCameraCall::StreamOn, EIO);
    EXPECT_FALSE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    EXPECT_FALSE(dev.IsStreaming());
    EXPECT_EQ(dev.GetStreamBufferSize(), 0);
    EXPECT_EQ(camera.LiveMappings(), 0);
    // The device can be started afterwards.
    EXPECT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    dev.Close();
}

TEST_F(VideoCtrlTest, UnpluggedDeviceFailsWithNoDeviceAndClosesCleanly) {
    CV4L2_VideoCtrl dev(V4L2_CAP_VIDEO_CAPTURE);
    ASSERT_TRUE(OpenCamera(dev));
    ASSERT_TRUE(dev.EnableStream(V4L2_BUF_TYPE_VIDEO_CAPTURE, 1));
    ASSERT_TRUE(VeltoSimCameraSetPlugged(CVeltoSimBoard::GetInstance().Root(), false));
    v4l2_buffer buf;
    EXPECT_FALSE(dev.v4l2_DQBUF(V4L2_BUF_TYPE_VIDEO_CAPTURE, buf));
    EXPECT_EQ(errno, ENODEV);
    EXPECT_FALSE(dev.v4l2_QBUF(V4L2_BUF_TYPE_VIDEO_CAPTURE, 0, buf));
    EXPECT_EQ(errno, ENODEV);
    dev.Close();
    EXPECT_FALSE(dev.IsOpened());
    EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveHandles(), 0);
}

TEST_F(VideoCtrlTest, OutputOverlaySettingsAreCheckedByReadingBack) {
    const char* names[] = {"PxP blending", "PxP without alpha"};
    for (int i = 0; i < 2; ++i) {
        std::string node = "/dev/video" + std::to_string(20 + i);
        CVeltoSimBoard::GetInstance().RegisterDevice(node,
                                                     std::make_shared<COverlayDevice>(i == 0));
        WriteFile(HostPath(node), "");
        WriteFile(HostPath("/sys/class/video4linux/video" + std::to_string(20 + i) + "/name"),
                  std::string(names[i]) + "\n");
    }
    v4l2_window win;
    memset(&win, 0, sizeof win);
    win.w = {0, 0, 320, 240};
    win.field = V4L2_FIELD_NONE;
    win.chromakey = 0x010101;
    win.global_alpha = 255;

    CV4L2_VideoCtrl out(V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY);
    EXPECT_FALSE(out.SetOutput_Overlay(win));  // not open
    ASSERT_TRUE(out.Open("PxP blending", true));
    EXPECT_TRUE(out.SetOutput_Overlay(win));
    EXPECT_TRUE(out.SetFBuf_Overlay());
    EXPECT_EQ(out.GetOutput(), 1);
    EXPECT_TRUE(out.SetOutput_ID(0));
    EXPECT_EQ(out.GetOutput(), 0);
    EXPECT_FALSE(out.SetOutput_ID(5));
    v4l2_crop crop;
    memset(&crop, 0, sizeof crop);
    crop.c = {0, 0, 320, 240};
    EXPECT_TRUE(out.SetOutput_Crop(crop));
    crop.c.width = 0;
    EXPECT_FALSE(out.SetOutput_Crop(crop));
    win.w.height = 71;
    EXPECT_TRUE(out.SetV4L2WinFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY, win));
    out.Close();

    // A driver that drops one of the values is caught.
    ASSERT_TRUE(out.Open("PxP without alpha", true));
    EXPECT_FALSE(out.SetOutput_Overlay(win));
    out.Close();
}

}  // namespace
