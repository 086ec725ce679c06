// The main program on a simulated board where a person can lose work: keys
// typed while a picture is being taken, and a clock that was set back so
// that the names of new pictures and recordings were used before.
#include <stdio.h>
#include <time.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/velto_board.h"
#include "support/veltosc_process_test.h"

namespace {

// 2005-01-01 00:00:00 UTC: a clock the program takes as never set.
const time_t kUnsetClock = 1104537600;
// 2012-01-01 00:00:00 UTC, where the program puts such a clock at start.
const time_t kResetClock = 1325376000;

class VeltoscFaultsTest : public CVeltoscProcessTest {
protected:
    // Names in the board directory ending in ext, sorted.
    std::vector<std::string> Files(const std::string& boardDir, const std::string& ext) {
        std::vector<std::string> out;
        std::string cmd = "ls -1 '" + HostPath(boardDir) + "' 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        char buf[256];
        while (p && fgets(buf, sizeof buf, p)) {
            std::string name(buf);
            if (!name.empty() && name.back() == '\n') {
                name.pop_back();
            }
            if (name.size() > ext.size() &&
                name.compare(name.size() - ext.size(), ext.size(), ext) == 0) {
                out.push_back(name);
            }
        }
        if (p) {
            pclose(p);
        }
        return out;
    }

    // Frames in a recording as a PC player counts them; -1 when unreadable.
    int Frames(const std::string& boardPath) {
        std::string probe =
            "ffprobe -v error -count_frames -show_entries stream=nb_read_frames "
            "-of csv=p=0 '" +
            HostPath(boardPath) + "' 2>/dev/null";
        FILE* p = popen(probe.c_str(), "r");
        char buf[64] = "";
        bool read = p && fgets(buf, sizeof buf, p);
        int rc = p ? pclose(p) : -1;
        return read && rc == 0 ? atoi(buf) : -1;
    }

    bool RecordingMark() { return Visible("VeltoImageDisplayer", "266 31"); }
    // The mode's text shows the recording time left (a time) in video mode
    // and the pictures left (a number) in picture mode.
    bool VideoMode() {
        for (const std::string& line : Lines({"STATIC '", " 3 34 56 18 visible"})) {
            if (std::regex_search(line, std::regex("STATIC '[0-9]+:[0-9]{2}:[0-9]{2}'"))) {
                return true;
            }
        }
        return false;
    }

    // Enter in video mode, frames for a moment, Enter: one more recording;
    // picture mode again afterwards.
    void Record() {
        if (!VideoMode()) {
            Key("F3");
            Advance(200);
        }
        ASSERT_TRUE(VideoMode()) << Ask("ui");
        Key("ENTER");
        ASSERT_TRUE(Until([&] { return RecordingMark(); }, 3000)) << Ask("ui");
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // frames, in real time
        Advance(1200);
        Key("ENTER");
        ASSERT_TRUE(Until([&] { return !RecordingMark(); }, 3000));
        Key("F3");
        Advance(400);
    }

    static std::string PictureName(time_t t) {
        char name[32];
        snprintf(name, sizeof name, "%08lX.jpg", static_cast<unsigned long>(t));
        return name;
    }

    static std::string RecordingName(time_t t) {
        tm local;
        localtime_r(&t, &local);
        char name[80];
        snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d.avi", local.tm_year + 1900,
                 local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        return name;
    }
};

TEST_F(VeltoscFaultsTest, KeysRightAfterEnterWaitForThePictureToEnd) {
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000)) << "no live picture";

    // F3 typed before the picture was taken: still a picture, no recording.
    Key("ENTER");
    Key("F3");
    ASSERT_TRUE(Until([&] { return Files("/media/nand", ".jpg").size() == 1; }, 6000));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000)) << "live view did not return";
    Advance(1000);
    EXPECT_FALSE(RecordingMark()) << "a recording started";
    EXPECT_TRUE(Files("/media/nand", ".avi").empty());
    EXPECT_FALSE(VideoMode()) << "F3 changed the mode";
    EXPECT_TRUE(LiveView());

    // Still in picture mode: Enter takes the next picture.
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Files("/media/nand", ".jpg").size() == 2; }, 6000))
        << "Enter took no picture: the mode changed";
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000));

    // The menus and the browser wait too, and the live view comes back.
    Key("ENTER");
    Key("F1");
    Key("F4");
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Files("/media/nand", ".jpg").size() == 3; }, 6000));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000)) << "live view frozen" << Ask("ui");
    Advance(1000);
    EXPECT_TRUE(UiLine({"'Setup'"}).empty()) << Ask("ui");
    EXPECT_TRUE(Visible("VeltoRecMode")) << "a screen covers the live view";
    EXPECT_EQ(Files("/media/nand", ".jpg").size(), 3u) << "a fourth picture";

    // Afterwards every key acts again, and a recording holds frames.
    Key("F1");
    ASSERT_TRUE(Until([&] { return !UiLine({"'Setup'"}).empty(); }, 2000)) << Ask("ui");
    Key("F1");
    ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoRecMode"); }, 8000));
    ASSERT_NO_FATAL_FAILURE(Record());
    std::vector<std::string> avi = Files("/media/nand", ".avi");
    ASSERT_EQ(avi.size(), 1u);
    EXPECT_GT(Frames("/media/nand/" + avi[0]), 10) << "frames in the recording";
    EXPECT_TRUE(Running());
}

TEST_F(VeltoscFaultsTest, EnterThenF3BackToBackStartsNoEmptyRecordingLater) {
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));
    Key("ENTER");
    Key("F3");
    Advance(3000);
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000)) << "live view frozen";
    if (RecordingMark()) {
        Key("ENTER");  // stop what the mended program would never have started
        Until([&] { return !RecordingMark(); }, 3000);
    }
    // Whatever mode the keys left, the next recording holds frames.
    for (const std::string& old : Files("/media/nand", ".avi")) {
        EXPECT_GT(Frames("/media/nand/" + old), 0) << old << ": a recording without frames";
    }
    size_t before = Files("/media/nand", ".avi").size();
    ASSERT_NO_FATAL_FAILURE(Record());
    std::vector<std::string> avi = Files("/media/nand", ".avi");
    ASSERT_EQ(avi.size(), before + 1);
    for (const std::string& name : avi) {
        EXPECT_GT(Frames("/media/nand/" + name), 10) << name;
    }
}

TEST_F(VeltoscFaultsTest, AClockSetBackNeverReplacesEarlierPicturesOrRecordings) {
    // The files of an earlier session that began at the same reset time:
    // every name of the first five minutes is taken.
    const int kTaken = 300;
    VeltoSim::MakeDirs(HostPath("/media/nand"));
    for (int i = 0; i < kTaken; ++i) {
        WriteFile(HostPath("/media/nand/" + PictureName(kResetClock + i)), "old picture");
        WriteFile(HostPath("/media/nand/" + RecordingName(kResetClock + i)), "old recording");
    }
    ASSERT_EQ(Board().SetTime(kUnsetClock), 0);
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));

    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Files("/media/nand", ".jpg").size() == kTaken + 1u; }, 6000))
        << Files("/media/nand", ".jpg").size() << " pictures";
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000));
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Files("/media/nand", ".jpg").size() == kTaken + 2u; }, 6000));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000));
    ASSERT_NO_FATAL_FAILURE(Record());

    // The new files took the next free names of their patterns.
    for (const std::string& name :
         {PictureName(kResetClock + kTaken), PictureName(kResetClock + kTaken + 1)}) {
        EXPECT_GT(ReadFile(HostPath("/media/nand/" + name)).size(), 1000u) << name;
    }
    std::string video = RecordingName(kResetClock + kTaken);
    EXPECT_GT(Frames("/media/nand/" + video), 10) << video;
    EXPECT_EQ(Files("/media/nand", ".avi").size(), kTaken + 1u);
    int replaced = 0;
    for (int i = 0; i < kTaken; ++i) {
        replaced +=
            ReadFile(HostPath("/media/nand/" + PictureName(kResetClock + i))) != "old picture";
        replaced +=
            ReadFile(HostPath("/media/nand/" + RecordingName(kResetClock + i))) != "old recording";
    }
    EXPECT_EQ(replaced, 0) << "earlier files were replaced";
}

}  // namespace
