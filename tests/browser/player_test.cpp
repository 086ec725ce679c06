// The media player on the simulated board in virtual time: photos stepped
// with wrap-around, a recording played, paused, resumed, played to its end
// and changed, and damaged recordings that must leave the player usable.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "browser/velto_UI_CtrlPlayStatusIcon.h"
#include "browser/velto_UI_DlgMediaPlayer.h"
#include "camera/color.h"
#include "camera/v4l2_MXSPXPCtrl.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_AVI_Reader.h"
#include "media/velto_avi.h"
#include "sim/sim_board.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_pxp.h"
#include "status/velto_scrlbar1.h"
#include "support/ui_screen_test.h"
#include "tests/browser/screen_script.h"
#include "tests/media/media_test_util.h"
#include "toolkit/tk_sim_glue.h"

namespace {

constexpr COLORREF kKey = 0x010101u;
const char kDir[] = "/media/mmcblk0p1/DCIM";

// Frame n of a test recording: flat grey whose level follows n.
std::vector<char> Frame(int n, int w = 320, int h = 240) {
    std::vector<char> f((size_t)w * h * 2);
    for (size_t i = 0; i < f.size(); i += 4) {
        f[i] = f[i + 2] = (char)(30 + n % 200);
        f[i + 1] = f[i + 3] = (char)128;
    }
    return f;
}

// The still picture the player paints for frame n, as a UI colour.
COLORREF StillColour(int n) {
    std::vector<char> in = Frame(n, 2, 1);
    unsigned char out[8];
    Pyuv422torgb32(reinterpret_cast<unsigned char*>(in.data()), out, 2, 1);
    return (COLORREF)out[2] | (COLORREF)out[1] << 8 | (COLORREF)out[0] << 16;
}

size_t FindTag(const std::vector<char>& b, const char* tag) {
    for (size_t i = 0; i + 4 <= b.size(); ++i) {
        if (memcmp(&b[i], tag, 4) == 0) {
            return i;
        }
    }
    return std::string::npos;
}

class PlayerTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        ASSERT_TRUE(initLut());
        // Playback is timed by the board clock: it must step with the
        // toolkit's virtual time, as on a board prepared for stepped runs.
        CVeltoSimBoard::GetInstance().FollowClock(&MwClockNow);
        // And the PXP's picture reaches the screen's overlay plane, as the
        // program's glue to the simulated board arranges.
        CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(&VeltoTk::SimOverlayToScreen);
        ASSERT_EQ(0, system(("mkdir -p " + HostPath(kDir)).c_str()));
        m_hOwner = Solid(nullptr, kKey, 0, 0, 320, 240, false);
    }
    void TearDown() override {
        CV4L2_MXSPXPCTRL::GetInstance().Close();
        CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(nullptr);
        CVeltoSimBoard::GetInstance().FollowClock(nullptr);
        CVeltoUiScreenTest::TearDown();
    }

    static std::string BoardPath(const std::string& name) { return std::string(kDir) + "/" + name; }

    static void WriteVideo(const std::string& name, int frames, double fps = 25,
                           const char* codec = "YUY2") {
        avi_t* avi = AVI_open_output_file(BoardPath(name).c_str());
        ASSERT_NE(nullptr, avi);
        ASSERT_EQ(0, AVI_set_video(avi, 320, 240, fps, codec));
        for (int n = 0; n < frames; ++n) {
            std::vector<char> f = Frame(n);
            ASSERT_EQ(0, AVI_write_frame(avi, f.data(), (long)f.size(), 1));
        }
        ASSERT_EQ(0, AVI_close(avi));
    }

    void WritePhoto(const std::string& name, int luma) {
        std::vector<char> f(320 * 240 * 2);
        for (size_t i = 0; i < f.size(); i += 2) {
            f[i] = (char)luma;
            f[i + 1] = (char)128;
        }
        FILE* file = fopen(HostPath(BoardPath(name)).c_str(), "wb");
        ASSERT_NE(nullptr, file);
        ASSERT_EQ(0, encode_yuyv_frame_to_jpeg(file, reinterpret_cast<unsigned char*>(f.data()),
                                               (long)f.size(), 320, 240, 90));
        fclose(file);
    }

    // Runs the player on name; F1 at the end of the script.
    int Run(const std::string& name, CScreenScript& script, DWORD closeAt) {
        m_pPlayer = CVeltoUIDlgMediaPlayer::CreateNew(MwGetInstance(), m_hOwner);
        m_pPlayer->SetFilename(BoardPath(name));
        script.Key(closeAt, VK_F1);
        int r = m_pPlayer->DoModel();
        delete m_pPlayer;
        m_pPlayer = nullptr;
        return r;
    }

    int Status() const {
        return m_pPlayer->m_pPlayStatusIcon ? m_pPlayer->m_pPlayStatusIcon->GetStatus() : -1;
    }
    long Pos() const {
        return m_pPlayer->m_pAVIReader ? m_pPlayer->m_pAVIReader->GetCurrentFramePos() : -1;
    }
    // White (text) pixels in the rectangle: the index text's top-left
    // corner or the time text's band near the bottom.
    static int Ink(const RECT& r) {
        return (r.right - r.left) * (r.bottom - r.top) - CountNot(r, 0xFFFFFFu);
    }
    // Waits (real time) for the simulated PXP to have shown more than after.
    static bool PxpShowsMoreThan(long long after) {
        for (int i = 0; i < 200 && CVeltoSimPxp::GetInstance()->FramesShown() <= after; ++i) {
            usleep(5000);
        }
        return CVeltoSimPxp::GetInstance()->FramesShown() > after;
    }

    HWND m_hOwner = nullptr;
    CVeltoUIDlgMediaPlayer* m_pPlayer = nullptr;
};

bool Near(COLORREF a, COLORREF b, int tol) {
    for (int s = 0; s < 24; s += 8) {
        if (abs((int)((a >> s) & 0xFF) - (int)((b >> s) & 0xFF)) > tol) {
            return false;
        }
    }
    return true;
}

TEST(PlayerTimeText, SecondsCountFromOne) {
    using P = CVeltoUIDlgMediaPlayer;
    EXPECT_EQ("00:00:01/00:00:11", P::FormatPlayTime(0, 250, 25));
    EXPECT_EQ("00:00:10/00:00:11", P::FormatPlayTime(249, 250, 25));
    EXPECT_EQ("00:00:11/00:00:11", P::FormatPlayTime(250, 250, 25));
    EXPECT_EQ("00:01:05/00:10:01", P::FormatPlayTime(64 * 25, 600 * 25, 25));
    // No rate in the file: 25 frames a second rather than a division by 0.
    EXPECT_EQ("00:00:05/00:00:11", P::FormatPlayTime(100, 250, 0));
    EXPECT_EQ("99:", P::FormatPlayTime(0, 100L * 3600 * 25, 25).substr(9, 3));
}

TEST_F(PlayerTest, PhotosStepWithWrapAround) {
    WritePhoto("a.jpg", 60);
    WritePhoto("B.JPG", 120);
    WritePhoto("c.jpg", 180);
    WriteFile(HostPath(BoardPath("d.jpg")), "not a picture");
    WriteFile(HostPath(BoardPath("notes.txt")), "x");
    WriteFile(HostPath(BoardPath(".hidden.jpg")), "x");
    std::vector<std::string> names;
    std::vector<COLORREF> centre;
    std::vector<int> ink;
    auto look = [&] {
        names.push_back(m_pPlayer->m_strCurImageFilename);
        centre.push_back(Ui(160, 120));
        ink.push_back(Ink({0, 0, 80, 20}));
    };
    CScreenScript script;
    script.At(100, look)
        .Key(150, VK_UP)
        .At(200, look)
        .Key(250, VK_UP)  // wraps to the last
        .At(300, look)
        .At(310, [] { SaveScreen("player_photo_damaged"); })
        .Key(350, VK_DOWN)  // wraps to the first
        .At(400, look)
        .Key(450, VK_LEFT)  // nothing in photo mode
        .Key(500, VK_RETURN)
        .At(550, look)
        .Key(600, VK_DOWN)
        .Key(650, VK_DOWN)
        .At(700, look)
        .At(710, [] { SaveScreen("player_photo"); });
    EXPECT_EQ(6, Run("B.JPG", script, 800));
    std::vector<std::string> want = {"B.JPG", "a.jpg", "d.jpg", "a.jpg", "a.jpg", "c.jpg"};
    EXPECT_EQ(want, names);
    ASSERT_EQ(6u, centre.size());
    EXPECT_TRUE(Near(centre[0], 0x7F7F7F, 40)) << std::hex << centre[0];
    EXPECT_TRUE(Near(centre[1], 0x323232, 40)) << std::hex << centre[1];
    EXPECT_EQ(kKey, centre[2]);  // the damaged one shows the fill colour
    EXPECT_EQ(centre[1], centre[3]);
    EXPECT_EQ(centre[1], centre[4]);
    EXPECT_GT(centre[5] & 0xFF, centre[0] & 0xFF);
    for (int i : ink) {
        EXPECT_GT(i, 10);
    }
}

TEST_F(PlayerTest, OtherExtensionsListAndShowNothing) {
    WritePhoto("a.jpg", 60);
    WriteFile(HostPath(BoardPath("clip.mov")), "x");
    CScreenScript script;
    size_t listed = 99;
    COLORREF centre = 0;
    script.At(400, [&] {
        listed = m_pPlayer->m_lJPGFileList.size();
        centre = Ui(160, 120);
    });
    EXPECT_EQ(6, Run("clip.mov", script, 500));
    EXPECT_EQ(0u, listed);
    EXPECT_EQ(kKey, centre);
}

// One 10 s recording from start to end: first frame after the delayed
// open, play, a 3 s pause that must not move the picture on, the end with
// its rewind, then another video and F1.
TEST_F(PlayerTest, VideoPlaysPausesResumesAndEnds) {
    WriteVideo("20260101120000.avi", 250);
    WriteVideo("20260101120100.avi", 30);
    struct Seen {
        long pos = -2;
        int status = -2;
        COLORREF centre = 0;
        COLORREF icon = 0;  // inside the sign's left half
        int output = -2;
    };
    auto seen = [&] {
        Seen s;
        s.pos = Pos();
        s.status = Status();
        s.centre = Ui(160, 120);
        s.icon = Ui(157, 11);
        s.output = CVeltoSimPxp::GetInstance()->CurrentOutput();
        return s;
    };
    Seen before, stopped, playing, paused, resumed, ended, other;
    long pausedPos = -1;
    long long shownAtPlay = 0;
    bool pxpShown = false;
    uint32_t overlay = 0, composed = 0;
    int timeInkPlaying = 0, timeInkEnded = 0;
    SCROLLINFO bar{};
    CScreenScript script;
    script.At(100, [&] { before = seen(); })
        .At(400, [&] { stopped = seen(); })
        .At(450,
            [&] {
                shownAtPlay = CVeltoSimPxp::GetInstance()->FramesShown();
                MwInjectKey(VK_RETURN, true);
            })
        .At(2450,
            [&] {
                playing = seen();
                pxpShown = PxpShowsMoreThan(shownAtPlay);
                timeInkPlaying = Ink({92, 202, 228, 217});
                std::vector<uint32_t> px;
                int w = 0, h = 0;
                if (CVeltoSimFramebuffer::GetInstance()->LastOverlay(px, &w, &h) && w > 0) {
                    overlay = px[(size_t)(h / 2) * w + w / 2] & 0xFFFFFFu;
                }
                composed = Px(160, 120);
                SaveScreen("player_video_playing");
            })
        .Key(2500, VK_RETURN)
        .At(2550,
            [&] {
                paused = seen();
                pausedPos = Pos();
                SaveScreen("player_video_paused");
            })
        .Key(5550, VK_RETURN)
        .At(5650, [&] { resumed = seen(); })
        // About 2 s were played before the pause: the end comes 8 s later.
        .At(14500,
            [&] {
                ended = seen();
                timeInkEnded = Ink({92, 202, 228, 217});
                bar.fMask = SIF_POS | SIF_RANGE;
                GetVeltoScroll1InfoEx(m_pPlayer->m_hProgBar, &bar);
            })
        .Key(14600, VK_RIGHT)
        .At(15000, [&] { other = seen(); });
    EXPECT_EQ(6, Run("20260101120000.avi", script, 15100));

    // Nothing is opened before the delay, then frame 0 waits, stopped.
    EXPECT_EQ(-1, before.pos);
    EXPECT_EQ(PLAY_STOP, stopped.status);
    EXPECT_EQ(0x0000FFu, stopped.icon);  // red square
    EXPECT_EQ(StillColour(0), stopped.centre);
    // Playing: real time, through the overlay.
    EXPECT_EQ(PLAY_PLAYING, playing.status);
    EXPECT_EQ(0x00FF00u, playing.icon);  // green triangle
    EXPECT_NEAR(50, playing.pos, 4);
    EXPECT_EQ(kKey, playing.centre);
    EXPECT_EQ(0, playing.output);
    EXPECT_TRUE(pxpShown);
    // What the viewer sees there is the frame on the overlay, a mid grey.
    EXPECT_TRUE(Near(overlay, StillColour((int)playing.pos), 24)) << std::hex << overlay;
    // The screen composes the overlay plane; the PXP may have shown the next
    // frame (one grey step on) between the two reads.
    EXPECT_TRUE(Near(overlay, composed, 8)) << std::hex << overlay << " " << composed;
    EXPECT_GT(timeInkPlaying, 10);
    // Paused: the last frame as a still picture, the overlay off.
    EXPECT_EQ(PLAY_PAUSE, paused.status);
    EXPECT_EQ(0x00FFFFu, paused.icon);  // yellow bar
    EXPECT_EQ(StillColour((int)pausedPos - 1), paused.centre);
    EXPECT_EQ(1, paused.output);
    // Resumed where it paused, not 3 s later.
    EXPECT_EQ(PLAY_PLAYING, resumed.status);
    EXPECT_GE(resumed.pos, pausedPos);
    EXPECT_LE(resumed.pos, pausedPos + 5);
    // At the end: stopped, rewound to frame 0, the bar at the end.
    EXPECT_EQ(PLAY_STOP, ended.status);
    EXPECT_EQ(1, ended.pos);  // frame 0 was read again for the picture
    EXPECT_EQ(StillColour(0), ended.centre);
    EXPECT_EQ(0x0000FFu, ended.icon);
    EXPECT_EQ(1, ended.output);
    EXPECT_EQ(250, bar.nPos);
    EXPECT_EQ(250, bar.nMax);
    EXPECT_GT(timeInkEnded, 10);
    // Right opened the next recording, stopped.
    EXPECT_EQ(PLAY_STOP, other.status);
    EXPECT_EQ(1, other.pos);
}

TEST_F(PlayerTest, VideoKeysChangeStopAndWrap) {
    WriteVideo("a.avi", 100);
    WriteVideo("b.AVI", 100);
    WriteVideo("c.avi", 150, 50);  // faster than the 40 ms tick: frames are skipped
    std::vector<std::string> names;
    std::vector<int> status;
    std::vector<long> pos;
    auto look = [&] {
        names.push_back(m_pPlayer->m_strCurImageFilename);
        status.push_back(Status());
        pos.push_back(Pos());
    };
    CScreenScript script;
    script.At(300, look)
        .Key(350, VK_RIGHT)  // wraps to the first
        .At(650, look)
        .Key(700, VK_LEFT)  // wraps to the last
        .At(1000, look)
        .Key(1050, VK_RETURN)
        .At(2050, look)
        .Key(2100, VK_UP)  // nothing in video mode
        .At(2150, look)
        .Key(2200, VK_DOWN)
        .At(2250, look)
        .Key(2300, VK_RETURN)
        .At(2400, look);
    EXPECT_EQ(6, Run("c.avi", script, 2500));
    std::vector<std::string> wantNames = {"c.avi", "a.avi", "c.avi", "c.avi",
                                          "c.avi", "c.avi", "c.avi"};
    EXPECT_EQ(wantNames, names);
    std::vector<int> wantStatus = {PLAY_STOP,    PLAY_STOP, PLAY_STOP,   PLAY_PLAYING,
                                   PLAY_PLAYING, PLAY_STOP, PLAY_PLAYING};
    EXPECT_EQ(wantStatus, status);
    ASSERT_EQ(7u, pos.size());
    EXPECT_NEAR(50, pos[3], 5);  // a 40 ms tick holds 2 frames: not 25
    EXPECT_GT(pos[4], pos[3]);
    EXPECT_EQ(1, pos[5]);
    EXPECT_LE(pos[6], 5);  // played again from the start
    // Closing while playing hands the screen back from the overlay.
    EXPECT_EQ(1, CVeltoSimPxp::GetInstance()->CurrentOutput());
    // Stops drop the page cache; closing drops every cache, last.
    std::string cmds = Commands();
    EXPECT_NE(std::string::npos, cmds.find("echo 1 > /proc/sys/vm/drop_caches"));
    size_t all = cmds.rfind("echo 3 > /proc/sys/vm/drop_caches");
    ASSERT_NE(std::string::npos, all) << cmds;
    EXPECT_EQ(std::string::npos, cmds.find("echo", all + 1)) << cmds;
}

// Damaged recordings: one that can't be played leaves the player without
// a reader, showing the fill colour, and Enter does nothing; one whose index
// points outside the file plays from the frames really there. The keys move
// on in every case.
TEST_F(PlayerTest, DamagedRecordingsLeaveThePlayerUsable) {
    WriteVideo("a_good.avi", 50);
    WriteVideo("b_mjpg.avi", 10, 25, "MJPG");
    WriteFile(HostPath(BoardPath("c_empty.avi")), "");
    WriteVideo("d_huge.avi", 10);
    WriteVideo("e_index.avi", 10);
    WriteVideo("f_cut.avi", 10);
    std::vector<char> huge = MediaTest::ReadAll(HostPath(BoardPath("d_huge.avi")));
    size_t avih = FindTag(huge, "avih"), strf = FindTag(huge, "strf");
    ASSERT_NE(std::string::npos, avih);
    ASSERT_NE(std::string::npos, strf);
    MediaTest::Put32(huge, avih + 8 + 32, 65535);
    MediaTest::Put32(huge, avih + 8 + 36, 65535);
    MediaTest::Put32(huge, strf + 8 + 4, 65535);
    MediaTest::Put32(huge, strf + 8 + 8, 65535);
    ASSERT_TRUE(MediaTest::WriteAll(HostPath(BoardPath("d_huge.avi")), huge));
    std::vector<char> index = MediaTest::ReadAll(HostPath(BoardPath("e_index.avi")));
    size_t idx1 = FindTag(index, "idx1");
    ASSERT_NE(std::string::npos, idx1);
    for (size_t e = idx1 + 8; e + 16 <= index.size(); e += 16) {
        MediaTest::Put32(index, e + 8, 0x7FFFFF00u);
    }
    ASSERT_TRUE(MediaTest::WriteAll(HostPath(BoardPath("e_index.avi")), index));
    // Cut inside the first frame, as by a power loss.
    std::vector<char> cut = MediaTest::ReadAll(HostPath(BoardPath("f_cut.avi")));
    cut.resize(3000);
    ASSERT_TRUE(MediaTest::WriteAll(HostPath(BoardPath("f_cut.avi")), cut));

    struct Seen {
        std::string name;
        bool reader;
        COLORREF centre;
        int status;  // after Enter
    };
    std::vector<Seen> seen;
    CScreenScript script;
    DWORD t = 300;
    for (int i = 0; i < 6; ++i, t += 500) {
        if (i > 0) {
            script.Key(t - 300, VK_RIGHT);  // the last one wraps to the first
        }
        script
            .At(t,
                [&] {
                    seen.push_back({m_pPlayer->m_strCurImageFilename,
                                    m_pPlayer->m_pAVIReader != nullptr, Ui(160, 120), -1});
                })
            .Key(t + 50, VK_RETURN)
            .At(t + 150, [&] { seen.back().status = Status(); });
    }
    EXPECT_EQ(6, Run("b_mjpg.avi", script, t));

    ASSERT_EQ(6u, seen.size());
    const char* names[] = {"b_mjpg.avi",  "c_empty.avi", "d_huge.avi",
                           "e_index.avi", "f_cut.avi",   "a_good.avi"};
    const bool playable[] = {false, false, false, true, false, true};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(names[i], seen[i].name);
        EXPECT_EQ(playable[i], seen[i].reader) << names[i];
        EXPECT_EQ(playable[i] ? StillColour(0) : kKey, seen[i].centre) << names[i];
        EXPECT_EQ(playable[i] ? PLAY_PLAYING : PLAY_STOP, seen[i].status) << names[i];
    }
}

}  // namespace
