// The main program on a medium that runs full: the warning that comes up by
// itself once, the warning before a picture and before a video, each closed
// with F1, and no file written while space is short.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_mounts.h"
#include "support/veltosc_process_test.h"

namespace {

class VeltoscNoSpaceTest : public CVeltoscProcessTest {
protected:
    struct SBox {
        int left, top, right, bottom;
    };

    bool WarningUp() { return ModalText() == "WarningBox"; }

    // Files of the internal medium's root whose names match pattern.
    std::vector<std::string> Files(const std::string& pattern) {
        std::vector<std::string> out;
        std::string cmd = "ls -1 '" + HostPath("/media/nand") + "' 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        char buf[256];
        std::regex re(pattern);
        while (p && fgets(buf, sizeof buf, p)) {
            std::string name(buf);
            name.erase(name.find_last_not_of('\n') + 1);
            if (std::regex_match(name, re)) {
                out.push_back(name);
            }
        }
        if (p) {
            pclose(p);
        }
        return out;
    }

    // White pixels in the warning's text band (below 140/240 of the height)
    // and in the band above it, of one screenshot.
    // The text's white pixels span box (left, top, right, bottom, inclusive).
    void WhiteBands(const std::string& shot, int* text, int* above, SBox* box) {
        png_image img;
        std::vector<uint8_t> px = Screenshot(shot, img);
        *text = *above = -1;
        *box = SBox{(int)img.width, (int)img.height, -1, -1};
        if (px.empty()) {
            return;
        }
        m_nWidth = (int)img.width;
        m_nHeight = (int)img.height;
        *text = *above = 0;
        int top = (int)img.height * 140 / 240;
        for (uint32_t y = 0; y < img.height; ++y) {
            for (uint32_t x = 0; x < img.width; ++x) {
                const uint8_t* p = &px[(y * img.width + x) * 3];
                if (p[0] != 255 || p[1] != 255 || p[2] != 255) {
                    continue;
                }
                if ((int)y < top) {
                    ++*above;
                    continue;
                }
                ++*text;
                box->left = std::min(box->left, (int)x);
                box->right = std::max(box->right, (int)x);
                box->top = std::min(box->top, (int)y);
                box->bottom = std::max(box->bottom, (int)y);
            }
        }
    }

    // Waits for the warning, checks that it shows a line of white text,
    // closes it with F1 and waits for the live view with its status again.
    void WarningThenBack(const std::string& shot) {
        ASSERT_TRUE(Until([&] { return WarningUp(); }, 3000)) << Ask("ui");
        Advance(400);
        int text = 0, above = 0;
        SBox box;
        WhiteBands(shot, &text, &above, &box);
        EXPECT_GT(text, 100) << shot << ": no line of text under the picture";
        EXPECT_LT(above, text) << shot;
        // One line, centred: "No enough space" at a twelfth of the height.
        EXPECT_LE(std::abs(box.left - (m_nWidth - 1 - box.right)), 3) << shot << ": not centred";
        EXPECT_GT(box.right - box.left, m_nWidth / 3) << shot;
        EXPECT_LT(box.bottom - box.top, m_nHeight / 12 + 4) << shot << ": more than one line";
        EXPECT_FALSE(Visible("VeltoRecMode")) << "the status shows through the warning";
        Advance(2000);
        EXPECT_TRUE(WarningUp()) << shot << ": only F1 closes the warning";
        Key("F1");
        // The screen lingers a moment (real time) before it goes.
        ASSERT_TRUE(WaitFor([&] { return !WarningUp(); }, 10000)) << Ask("ui");
        ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoRecMode"); }, 8000))
            << Ask("ui");
    }

    int m_nWidth = 0, m_nHeight = 0;  // of the last screenshot

    int LogCount(const std::string& line) {
        std::string log = ReadFile(m_strRunDir + "/veltosc.log");
        int n = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
            ++n;
        }
        return n;
    }
};

TEST_F(VeltoscNoSpaceTest, WarnsOnceByItselfThenBeforeEachPictureAndVideoWritingNothing) {
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 30000);
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000)) << "no live picture";
    Advance(1000);
    EXPECT_FALSE(WarningUp()) << "a warning with space enough";

    // The medium fills: the warning comes up by itself, once.
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 2047);
    WarningThenBack("nospace_auto");
    Advance(4000);
    EXPECT_FALSE(WarningUp()) << "the warning came back by itself";
    EXPECT_EQ(1, LogCount("WARNBOX_NoSpace\n"));
    EXPECT_TRUE(Visible("STATIC '0'")) << "no pictures fit: " << Ask("ui");

    // Enter for a picture: the warning again, and no picture.
    Key("ENTER");
    WarningThenBack("nospace_picture");
    EXPECT_TRUE(Files(".*\\.jpg").empty());

    // Enter for a video: the warning again, no recording, no mark.
    Key("F3");
    Advance(200);
    Key("ENTER");
    WarningThenBack("nospace_video");
    EXPECT_EQ(1, LogCount("nand have not enough space\n"));
    Advance(2000);
    EXPECT_TRUE(Files(".*\\.avi").empty());
    EXPECT_FALSE(Visible("VeltoImageDisplayer", "266 31")) << "the recording mark shows";
    EXPECT_TRUE(Visible("STATIC '00:00:00'")) << Ask("ui");
    EXPECT_FALSE(WarningUp());
    EXPECT_EQ(1, LogCount("WARNBOX_NoSpace\n")) << "only the first warning came by itself";

    // Space again: a recording runs, and once it has started, a full medium
    // is announced by itself again.
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 30000);
    Advance(400);
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Visible("VeltoImageDisplayer", "266 31"); }, 3000)) << Ask("ui");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));  // frames, in real time
    Advance(1000);
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return !Visible("VeltoImageDisplayer", "266 31"); }, 3000));
    EXPECT_EQ(1u, Files("[0-9]{14}\\.avi").size());
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 1000);
    WarningThenBack("nospace_auto_again");
    EXPECT_EQ(2, LogCount("WARNBOX_NoSpace\n"));
    Advance(3000);
    EXPECT_FALSE(WarningUp());
    EXPECT_TRUE(Running());
}

TEST_F(VeltoscNoSpaceTest, WithoutAnyMediumTheWarningComesAtOnceAndBeforeAPicture) {
    // Neither card nor internal medium mounted: no space at all.
    ASSERT_EQ(0,
              system(("sed -i '/\\/media\\/nand/d' '" + HostPath("/proc/mounts") + "'").c_str()));
    Start();
    WarningThenBack("nospace_nomedium");
    Key("ENTER");
    WarningThenBack("nospace_nomedium_picture");
    EXPECT_EQ(1, LogCount("WARNBOX_NoSpace\n"));
    EXPECT_TRUE(Files(".*").empty());
}

}  // namespace
