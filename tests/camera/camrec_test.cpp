// The live-view pipeline end to end on the simulated board: camera head ->
// camera controller thread -> PXP -> overlay plane, and the pictures and
// recordings it writes, driven as the main controller drives it.
#include "camera/velto_CamRec_Ctrl.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <memory>
#include <regex>
#include <thread>
#include <vector>

#include "camera/color.h"
#include "camera/v4l2_MXSPXPCtrl.h"
#include "media/velto_AVI_Saver.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_screen.h"
#include "sim/sim_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_camera.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_camera_scene.h"
#include "sim/sim_files.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_pxp.h"
#include "tests/media/media_test_util.h"
#include "tests/support/sim_test.h"

namespace {

using Orientation = int;  // 0 Orig, 1 HFlip, 2 180, 3 VFlip

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int g_nScreenW = 320, g_nScreenH = 240;
int ScreenMetric(int index) {
    return index == 0 ? g_nScreenW : g_nScreenH;
}

// The overlay plane as luma, or empty when nothing is shown.
struct Luma {
    std::vector<uint8_t> y;
    int width = 0, height = 0;
};

Luma OverlayLuma() {
    Luma l;
    std::vector<uint32_t> px;
    if (!CVeltoSimFramebuffer::GetInstance()->LastOverlay(px, &l.width, &l.height)) {
        return Luma();
    }
    l.y.resize(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t r = px[i] >> 16 & 0xFF, g = px[i] >> 8 & 0xFF, b = px[i] & 0xFF;
        l.y[i] = static_cast<uint8_t>((77 * r + 150 * g + 29 * b) >> 8);
    }
    return l;
}

// The frame number shown, read after undoing an orientation and scaling the
// screen to the camera's 320 x 240; -1 when no valid code is seen.
long ShownNumber(Orientation o) {
    Luma l = OverlayLuma();
    if (l.y.empty()) {
        return -1;
    }
    std::vector<uint8_t> upright(320 * 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            int sx = x * l.width / 320, sy = y * l.height / 240;
            if (o == 1 || o == 2) {
                sx = l.width - 1 - sx;
            }
            if (o == 2 || o == 3) {
                sy = l.height - 1 - sy;
            }
            upright[y * 320 + x] = l.y[sy * l.width + sx];
        }
    }
    return VeltoSimReadSceneNumber(upright.data(), 320, 240, 1, 320);
}

// Share of sample points where the overlay shows the centred zoom window of
// the scene of frame n scaled to the screen.
double ZoomMatch(long n, int level) {
    std::vector<uint8_t> scene(320 * 240 * 2);
    VeltoSimDrawScene(scene.data(), 320, 240, static_cast<uint32_t>(n), {0, 100});
    Luma l = OverlayLuma();
    if (l.y.empty()) {
        return 0;
    }
    const int w = 320 - 32 * level, h = 240 - 24 * level;
    int samples = 0, same = 0;
    for (int dy = 2; dy < l.height; dy += 7) {
        for (int dx = 2; dx < l.width; dx += 7) {
            int sx = (320 - w) / 2 + dx * w / l.width;
            int sy = (240 - h) / 2 + dy * (h - 1) / l.height;
            int want = scene[(sy * 320 + sx) * 2];
            ++samples;
            same += std::abs(want - l.y[dy * l.width + dx]) <= 16;
        }
    }
    return double(same) / samples;
}

class CamRecTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimCamera::GetInstance()->ResetFaults();
        initLut();
        videoflag = true;
        // The settings store keeps its own descriptor for the process's life.
        m_nDevicesBefore = CVeltoSimBoard::GetInstance().OpenDeviceCount();
    }

    void TearDown() override {
        m_pCtrl.reset();
        videoflag = false;
        freeLut();
        Velto::SetScreenMetricsProc(nullptr);
        CVeltoSimCamera::GetInstance()->ResetFaults();
        EXPECT_LE(CVeltoSimBoard::GetInstance().OpenDeviceCount(), std::max(1, m_nDevicesBefore))
            << "descriptor leaked";
        EXPECT_EQ(CVeltoSimCamera::GetInstance()->LiveMappings(), 0) << "camera mapping leaked";
        EXPECT_EQ(CVeltoSimPxp::GetInstance()->LiveMappings(), 0) << "PXP mapping leaked";
        CVeltoSimBoardTest::TearDown();
    }

    // Created and started as the main controller does it.
    CVeltoCamRecCtrl& StartController() {
        m_pCtrl.reset(CVeltoCamRecCtrl::CreateNew());
        EXPECT_TRUE(m_pCtrl->Start());
        m_pCtrl->ChangeBright(50);
        return *m_pCtrl;
    }

    bool WaitShown(Orientation o, int timeoutMs = 8000) {
        return WaitFor([&] { return ShownNumber(o) >= 0; }, timeoutMs);
    }

    // A still scene from now on; waits until it is on the screen, since the
    // camera's queue may still hold moving frames taken before.
    void ShowFixedFrame(long n) {
        CVeltoSimCamera::GetInstance()->SetFixedFrame(n);
        ASSERT_TRUE(WaitFor([&] { return ShownNumber(0) == n; }, 5000)) << "frame " << n;
    }

    // Waits for a few frames more to pass the PXP.
    void WaitFrames(int count) {
        long long until = CVeltoSimPxp::GetInstance()->FramesShown() + count;
        ASSERT_TRUE(
            WaitFor([&] { return CVeltoSimPxp::GetInstance()->FramesShown() >= until; }, 3000));
    }

    // The still-picture sequence of the main controller; the picture's
    // board path, empty when none appeared.
    std::string TakePicture(const std::string& dir) {
        CVeltoCamRecCtrl& c = *m_pCtrl;
        c.SetPictureStatus(false);
        c.ChangeUVCResolution(false, 640, 480);
        c.SaveToImage();
        EXPECT_TRUE(WaitFor([&] { return !c.GetSavingImageStatus(); }, 8000));
        c.ChangeUVCResolution(false, 320, 240);
        EXPECT_TRUE(WaitFor([&] { return c.GetUVCStatus() > UVC_STATUS_DISCONNECTED; }, 5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        c.SetPictureStatus(true);
        return NewestFile(dir, ".jpg");
    }

    std::string NewestFile(const std::string& dir, const std::string& ext) {
        std::string found;
        DIR* d = opendir(HostPath(dir).c_str());
        while (struct dirent* e = d ? readdir(d) : nullptr) {
            std::string name = e->d_name;
            if (name.size() > ext.size() &&
                name.compare(name.size() - ext.size(), ext.size(), ext) == 0 && name > found) {
                found = name;
            }
        }
        if (d != nullptr) {
            closedir(d);
        }
        return found.empty() ? "" : dir + "/" + found;
    }

    std::unique_ptr<CVeltoCamRecCtrl> m_pCtrl;
    int m_nDevicesBefore = 0;
};

TEST_F(CamRecTest, LiveFramesReachTheOverlayInEveryOrientationAndZoom) {
    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0)) << "no live frame on the overlay";
    EXPECT_EQ(CVeltoSimPxp::GetInstance()->CurrentOutput(), 0);

    // Rotation requests are taken with the next frame; the fourth is upright.
    for (Orientation o : {1, 2, 3, 0}) {
        SCOPED_TRACE("orientation " + std::to_string(o));
        c.RotateCW();
        ASSERT_TRUE(WaitShown(o, 3000));
        if (o != 0) {
            EXPECT_LT(ShownNumber(0), 0) << "picture not turned";
        }
    }

    // A still scene, so the exact picture of each zoom level is known.
    ShowFixedFrame(1234);
    for (int level : {0, 1, 4, 7, 9}) {
        SCOPED_TRACE("zoom level " + std::to_string(level));
        c.ZoomPXP(static_cast<unsigned char>(level));
        ASSERT_TRUE(WaitFor([&] { return !c.IsZoomSet(); }, 3000));
        WaitFrames(3);
        EXPECT_GT(ZoomMatch(1234, std::min(level, 7)), 0.97);
        if (level >= 4) {
            EXPECT_LT(ZoomMatch(1234, 0), 0.8) << "the whole picture is still shown";
        }
    }
    EXPECT_EQ(CV4L2_MXSPXPCTRL::GetInstance().GetDispWidth(), 96u);
    EXPECT_EQ(CV4L2_MXSPXPCTRL::GetInstance().GetDispHeight(), 72u);

    // The camera-head light follows the brightness in tenths.
    const struct {
        int percent;
        const char* level;
    } kLight[] = {{-5, "18"}, {55, "70"}, {250, "104"}, {100, "104"}, {9, "18"}};
    for (const auto& l : kLight) {
        EXPECT_TRUE(c.ChangeBright(l.percent));
        EXPECT_EQ(ReadFile(HostPath("/sys/class/leds/led-pwm0/brightness")), l.level) << l.percent;
    }
}

TEST_F(CamRecTest, TvOutputShowsTheWholeScreen) {
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    g_nScreenW = 720;
    g_nScreenH = 576;
    Velto::SetScreenMetricsProc(ScreenMetric);
    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0));
    Luma l = OverlayLuma();
    EXPECT_EQ(l.width, 720);
    EXPECT_EQ(l.height, 576);
    ShowFixedFrame(77);
    c.ZoomPXP(7);
    ASSERT_TRUE(WaitFor([&] { return !c.IsZoomSet(); }, 3000));
    WaitFrames(3);
    EXPECT_GT(ZoomMatch(77, 7), 0.97);
    g_nScreenW = 320;
    g_nScreenH = 240;
}

TEST_F(CamRecTest, PicturesAndRecordingsLandOnTheRightMedium) {
    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0));
    const std::string root = CVeltoSimBoard::GetInstance().Root();

    // Without a card: the internal medium's root, eight hex digits.
    std::string picture = TakePicture("/media/nand");
    ASSERT_FALSE(picture.empty());
    EXPECT_TRUE(std::regex_match(picture, std::regex("/media/nand/[0-9A-F]{8}\\.jpg"))) << picture;
    int status = -1;
    std::string out =
        MediaTest::RunCommand("djpeg -pnm '" + HostPath(picture) + "' | head -c 20", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("640 480"), std::string::npos) << out;
    if (MediaTest::HaveTool("exiftool")) {
        out = MediaTest::RunCommand(
            "exiftool -s -s -s -DateTimeOriginal -ExifImageWidth "
            "-ExifImageHeight -JFIFVersion '" +
            HostPath(picture) + "'");
        EXPECT_TRUE(std::regex_search(out, std::regex("^\\d{4}:\\d\\d:\\d\\d \\d\\d:\\d\\d:\\d\\d\n"
                                                      "640\n480\n1\\.0\\d\n$")))
            << out;
    } else {
        ADD_FAILURE() << "exiftool missing (libimage-exiftool-perl)";
    }
    ASSERT_TRUE(WaitShown(0)) << "live view did not come back";
    EXPECT_EQ(Commands().find("mkdir"), std::string::npos) << "no folder for the internal medium";

    // With a card: its DCIM folder, made on the way.
    ASSERT_TRUE(VeltoSim::InsertSdCard(root));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // a new name
    picture = TakePicture("/media/sd-mmcblk0p1/DCIM");
    EXPECT_FALSE(picture.empty());
    EXPECT_NE(Commands().find("/bin/mkdir -p /media/sd-mmcblk0p1/DCIM"), std::string::npos);
    ASSERT_TRUE(VeltoSim::RemoveSdCard(root));

    // A recording, named after the local time, that the peer reads back.
    ASSERT_TRUE(WaitFor([&] { return c.GetUVCStatus() == UVC_STATUS_STREAMING; }, 5000));
    ASSERT_TRUE(c.StartRecordAVI());
    EXPECT_TRUE(c.IsAVIRecording());
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    c.StopRecordAVI();
    std::string avi = NewestFile("/media/nand", ".avi");
    ASSERT_FALSE(avi.empty());
    EXPECT_TRUE(std::regex_match(avi, std::regex("/media/nand/20\\d{12}\\.avi"))) << avi;
    out = MediaTest::RunCommand(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=width,height,nb_read_frames -of csv=p=0 '" +
            HostPath(avi) + "'",
        &status);
    EXPECT_EQ(status, 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(out, m, std::regex("320,240,(\\d+)\n"))) << out;
    EXPECT_GE(std::stoi(m[1]), 40) << "frames lost on the way (2 s at 25 fps)";

    // Not streaming: no recording, no file (the folder is still made).
    c.Stop();
    EXPECT_FALSE(c.StartRecordAVI());
    EXPECT_EQ(NewestFile("/media/nand", ".avi"), avi);
}

TEST_F(CamRecTest, PicturesAndRecordingsFrom2038OnAreNamedAfterTheirTime) {
    // The clock set as the date screen sets it, to a time a 32-bit clock
    // cannot hold.
    tm when{};
    when.tm_year = 2040 - 1900, when.tm_mon = 6, when.tm_mday = 14, when.tm_hour = 9;
    when.tm_min = 30, when.tm_isdst = -1;
    tm copy = when;
    const time_t set = Velto::validate_tm_time(&copy);
    ASSERT_NE(set, (time_t)-1) << "mktime refuses 2040: time_t is " << sizeof(time_t) * 8 << " bit";
    ASSERT_EQ(0, Board().SetTime(set));
    ASSERT_TRUE(Velto::set_rtc_time(when));

    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0));
    std::string picture = TakePicture("/media/nand");
    ASSERT_TRUE(std::regex_match(picture, std::regex("/media/nand/[0-9A-F]{8}\\.jpg"))) << picture;
    unsigned long long named = std::stoull(picture.substr(12, 8), nullptr, 16);
    EXPECT_GE(named, (unsigned long long)set) << picture;
    EXPECT_LT(named, (unsigned long long)set + 60) << picture;
    if (MediaTest::HaveTool("exiftool")) {
        std::string out = MediaTest::RunCommand("exiftool -s -s -s -DateTimeOriginal '" +
                                                HostPath(picture) + "'");
        EXPECT_EQ(out.compare(0, 14, "2040:07:14 09:"), 0) << out;
    }
    ASSERT_TRUE(WaitFor([&] { return c.GetUVCStatus() == UVC_STATUS_STREAMING; }, 5000));
    ASSERT_TRUE(c.StartRecordAVI());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    c.StopRecordAVI();
    std::string avi = NewestFile("/media/nand", ".avi");
    EXPECT_TRUE(std::regex_match(avi, std::regex("/media/nand/2040071409(3[0-9])\\d\\d\\.avi")))
        << avi;
}

TEST_F(CamRecTest, UnplugHidesTheVideoKeepsTheRecordingAndReplugBringsItBack) {
    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0));
    const std::string root = CVeltoSimBoard::GetInstance().Root();
    ASSERT_TRUE(c.StartRecordAVI());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    ASSERT_TRUE(VeltoSimCameraSetPlugged(root, false));
    ASSERT_TRUE(WaitFor([&] { return c.GetUVCStatus() == UVC_STATUS_DISCONNECTED; }, 4000));
    EXPECT_TRUE(WaitFor([] { return OverlayLuma().y.empty(); }, 2000)) << "video still shown";
    EXPECT_EQ(CVeltoSimPxp::GetInstance()->CurrentOutput(), 1);
    c.StopRecordAVI();
    std::string avi = NewestFile("/media/nand", ".avi");
    ASSERT_FALSE(avi.empty());
    int status = -1;
    MediaTest::RunCommand("ffprobe -v error '" + HostPath(avi) + "'", &status);
    EXPECT_EQ(status, 0);

    ASSERT_TRUE(VeltoSimCameraSetPlugged(root, true));
    EXPECT_TRUE(WaitShown(0, 10000)) << "live view did not come back";
}

TEST_F(CamRecTest, PictureWithoutAPictureSizedFrameIsGivenUp) {
    CVeltoCamRecCtrl& c = StartController();
    ASSERT_TRUE(WaitShown(0));
    c.SaveToImage();  // the camera stays at 320 x 240
    EXPECT_TRUE(c.GetSavingImageStatus());
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    EXPECT_TRUE(c.GetSavingImageStatus()) << "gave up too early";
    EXPECT_TRUE(WaitFor([&] { return !c.GetSavingImageStatus(); }, 6000));
    EXPECT_EQ(NewestFile("/media/nand", ".jpg"), "");
}

}  // namespace

namespace {

// The media player feeds the PXP with whatever a file holds: only a frame
// of the display's size is converted, and nothing before the PXP streams.
TEST_F(CamRecTest, ThePxpTakesOnlyWholeDisplayFrames) {
    CV4L2_MXSPXPCTRL& pxp = CV4L2_MXSPXPCTRL::GetInstance();
    std::vector<char> frame(320 * 240 * 2, 0x40);
    long long shown = CVeltoSimPxp::GetInstance()->FramesShown();
    pxp.EnqueuePXPBuf(frame.data(), static_cast<unsigned>(frame.size()));  // not streaming
    ASSERT_TRUE(pxp.Start(320, 240));
    pxp.ChangeToPXP(true);
    std::vector<char> big(640 * 480 * 2, 0x40);
    pxp.EnqueuePXPBuf(big.data(), static_cast<unsigned>(big.size()));
    pxp.EnqueuePXPBuf(frame.data(), 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Only the buffer queued at stream start has passed.
    long long afterStart = CVeltoSimPxp::GetInstance()->FramesShown();
    EXPECT_LE(afterStart - shown, 1);
    pxp.EnqueuePXPBuf(frame.data(), static_cast<unsigned>(frame.size()));
    EXPECT_TRUE(
        WaitFor([&] { return CVeltoSimPxp::GetInstance()->FramesShown() > afterStart; }, 2000));
    pxp.Close();
    EXPECT_FALSE(pxp.IsStreaming());
}

}  // namespace
