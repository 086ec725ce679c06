// Where the running main program puts its status controls, read from its
// window tree: on the panel's 320 x 240 and on the TV's 720 x 576, with and
// without the cable, before and after the controls that start hidden show.
#include <string>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_mounts.h"
#include "support/status_layout.h"
#include "support/veltosc_process_test.h"

namespace {

class VeltoscLayoutTest : public CVeltoscProcessTest {
protected:
    // "x y w h visible|hidden" of the windows of class cls, in tree order.
    std::vector<std::string> Places(const std::string& cls) {
        std::vector<std::string> out;
        for (const std::string& l : Lines(cls + " '")) {
            if (l.compare(l.find_first_not_of(' '), cls.size() + 2, cls + " '") != 0) {
                continue;
            }
            size_t q = l.find('\'', l.find('\'') + 1);
            std::string rest = l.substr(q + 2);
            size_t modal = rest.find(" modal");
            out.push_back(modal == std::string::npos ? rest : rest.substr(0, modal));
        }
        return out;
    }

    static std::string Place(const VeltoTest::SRect& r, bool visible) {
        return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.w) + " " +
               std::to_string(r.h) + (visible ? " visible" : " hidden");
    }

    // Every control of the live view at layout l, the hidden ones hidden.
    void ExpectLiveView(const VeltoTest::SStatusLayout& l, bool tvOut) {
        std::string tree = Ask("ui");
        SCOPED_TRACE(tree);
        EXPECT_EQ(Places("VeltoRecMode"), std::vector<std::string>{Place(l.rec, !tvOut)});
        if (tvOut) {
            // The TV shows neither the card nor the battery.
            EXPECT_TRUE(Places("VeltoSDChecker").empty());
            EXPECT_TRUE(Places("VeltoPowerIcon").empty());
        } else {
            EXPECT_EQ(Places("VeltoSDChecker"), std::vector<std::string>{Place(l.sd, true)});
            EXPECT_EQ(Places("VeltoPowerIcon"), std::vector<std::string>{Place(l.power, true)});
        }
        EXPECT_EQ(Places("VeltoDateTimeDisplay"), std::vector<std::string>{Place(l.clock, true)});
        EXPECT_EQ(Places("VeltoBrightAdjust"), std::vector<std::string>{Place(l.bright, false)});
        EXPECT_EQ(Places("VeltoFocusAdjust"), std::vector<std::string>{Place(l.focus, false)});
        EXPECT_EQ(Places("VeltoImageDisplayer"),
                  (std::vector<std::string>{Place(l.mark, false), Place(l.busy, false)}));
    }

    // The sliders and the recording mark where they show.
    void ExpectShownOnDemand(const VeltoTest::SStatusLayout& l) {
        Key("RIGHT");
        ASSERT_TRUE(Until([&] { return Visible("VeltoBrightAdjust"); }, 2000)) << Ask("ui");
        EXPECT_EQ(Places("VeltoBrightAdjust"), std::vector<std::string>{Place(l.bright, true)});
        Key("UP");
        ASSERT_TRUE(Until([&] { return Visible("VeltoFocusAdjust"); }, 2000)) << Ask("ui");
        EXPECT_EQ(Places("VeltoFocusAdjust"), std::vector<std::string>{Place(l.focus, true)});
        Key("F3");
        Key("ENTER");
        ASSERT_TRUE(Until(
            [&] {
                std::vector<std::string> p = Places("VeltoImageDisplayer");
                return !p.empty() && p[0] == Place(l.mark, true);
            },
            3000))
            << Ask("ui");
        Key("ENTER");
        ASSERT_TRUE(Until(
            [&] {
                std::vector<std::string> p = Places("VeltoImageDisplayer");
                return !p.empty() && p[0] == Place(l.mark, false);
            },
            3000))
            << Ask("ui");
    }
};

TEST_F(VeltoscLayoutTest, StatusControlsOnThePanel) {
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 30000);
    ASSERT_TRUE(VeltoSim::InsertSdCard(m_strRoot));
    Start();
    ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoSDChecker"); }, 8000)) << Ask("ui");
    ExpectLiveView(VeltoTest::PanelLayout(), false);
    ExpectShownOnDemand(VeltoTest::PanelLayout());
}

TEST_F(VeltoscLayoutTest, StatusControlsOnTheTvWithAndWithoutTheCable) {
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 30000);
    ASSERT_TRUE(VeltoSim::InsertSdCard(m_strRoot));

    // A TV output without its cable: the panel's controls at the TV's size.
    Start();
    ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoSDChecker"); }, 8000)) << Ask("ui");
    ExpectLiveView(VeltoTest::TvLayout(), false);
    ExpectShownOnDemand(VeltoTest::TvLayout());
    Stop();

    // With the cable: TV-out, where only the arrows and F2 act.
    ASSERT_TRUE(VeltoSim::SetTvCable(m_strRoot, true));
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000)) << Ask("ui");
    ExpectLiveView(VeltoTest::TvLayout(), true);
    Key("RIGHT");
    ASSERT_TRUE(Until([&] { return Visible("VeltoBrightAdjust"); }, 2000)) << Ask("ui");
    EXPECT_EQ(Places("VeltoBrightAdjust"),
              std::vector<std::string>{Place(VeltoTest::TvLayout().bright, true)});
}

}  // namespace
