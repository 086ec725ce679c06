// The warning screens: what closes each kind, what they show, and the
// goodbye program started once when power-off is asked for under them.
#include <algorithm>
#include <string>
#include <vector>

#include "browser/velto_UI_DlgWarning.h"
#include "platform/velto_SC_utils.h"
#include "sim/sim_board_state.h"
#include "support/ui_screen_test.h"
#include "tests/browser/screen_script.h"

namespace {

class WarningTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        CVeltoUIDlgWarning::s_nLingerMs = 0;  // real sleeping has no place here
        pwflag = false;
        m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    }
    void TearDown() override {
        CVeltoUIDlgWarning::s_nLingerMs = 3000;
        CVeltoUiScreenTest::TearDown();
    }
    int Show(WaningBoxType type) {
        CVeltoUIDlgWarning* w = CVeltoUIDlgWarning::CreateNew(MwGetInstance(), m_hMain);
        int r = w->DoModal(type);
        delete w;
        return r;
    }
    static HWND Warning() {
        HWND a = GetActiveWindow();
        return Text(a) == "WarningBox" ? a : nullptr;
    }

    // Which pixels of the text band (from 140/240 of the height down) are
    // pure white: fully covered glyph pixels are white whatever lies beneath.
    static std::vector<bool> WhiteBand(int w, int h) {
        std::vector<bool> mask;
        for (int y = h * 140 / 240; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                mask.push_back(Ui(x, y) == 0xFFFFFFu);
            }
        }
        return mask;
    }

    // The white mask of text written as the warning writes its line: white,
    // centred with word-wrap from 140/240 of the height, in the warning's
    // font, on a black screen.
    static std::vector<bool> TextBand(const std::string& text, int w, int h) {
        HWND black = Solid(nullptr, 0xFF000000u, 0, 0, w, h, false);
        MwPumpMessages();
        HFONT font = CreateFont(h / 12, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
        HDC dc = GetDC(black);
        SelectObject(dc, font);
        SetTextColor(dc, 0xFFFFFFFFu);
        SetBkMode(dc, TRANSPARENT);
        RECT box{0, h * 140 / 240, w, h};
        DrawText(dc, text.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
        ReleaseDC(black, dc);
        std::vector<bool> mask = WhiteBand(w, h);
        DestroyWindow(black);
        DeleteObject(font);
        MwPumpMessages();
        return mask;
    }

    // Shows a warning of type at w x h until F1 (or, for the USB screen, the
    // PC letting go) and checks that its line is exactly text and that this
    // line is what the screen shows.
    void ExpectLine(WaningBoxType type, const std::string& text, int w, int h,
                    const std::string& shot) {
        SCOPED_TRACE(shot);
        CVeltoUIDlgWarning* dlg = CVeltoUIDlgWarning::CreateNew(MwGetInstance(), m_hMain);
        ASSERT_TRUE(dlg);
        std::string line;
        std::vector<bool> shown;
        CScreenScript script;
        script
            .At(1200,
                [&] {
                    line = dlg->m_strWarnText;
                    shown = WhiteBand(w, h);
                    SaveScreen(shot);
                })
            .At(1300,
                [&] {
                    if (type == WARNBOX_USB_DEVICE) {
                        VeltoSim::ConnectPc(Root(), false);
                    }
                })
            .Key(1400, VK_F1);
        dlg->DoModal(type);
        delete dlg;
        EXPECT_EQ(text, line);
        std::vector<bool> want = TextBand(text, w, h);
        ASSERT_EQ(want.size(), shown.size());
        EXPECT_GT(std::count(want.begin(), want.end(), true), 40) << "the reference holds text";
        EXPECT_TRUE(want == shown) << "the screen's white text differs from \"" << text << "\"";
        // The comparison tells one line from a near one.
        EXPECT_FALSE(TextBand(text + "!", w, h) == shown);
    }
    HWND m_hMain = nullptr;
};

TEST_F(WarningTest, TheGoodbyeScreenClosesAtItsFirstTick) {
    bool up = false;
    CScreenScript script;
    script.At(500, [&] {
        up = Warning() != nullptr;
        SaveScreen("warning_exit_320x240");
    });
    uint64_t t0 = MwClockNow();
    EXPECT_EQ(8, Show(WARNBOX_EXIT));
    EXPECT_TRUE(up);
    EXPECT_GE(MwClockNow() - t0, 1000u);
    EXPECT_LT(MwClockNow() - t0, 1100u);
    // Power-off under the goodbye screen is the main window's business.
    EXPECT_EQ("", Commands());
}

TEST_F(WarningTest, AnUnknownKindShowsNothing) {
    uint64_t t0 = MwClockNow();
    EXPECT_EQ(8, Show(WARNBOX_MAX));
    EXPECT_EQ(8, Show((WaningBoxType)17));
    EXPECT_EQ(t0, MwClockNow());
    CVeltoUIDlgWarning* none = CVeltoUIDlgWarning::CreateNew(nullptr, nullptr);
    EXPECT_EQ(-1, none->DoModal(WARNBOX_NoFiles));
    delete none;
}

TEST_F(WarningTest, TheUsbScreenStaysUntilThePcLetsGo) {
    ASSERT_TRUE(VeltoSim::ConnectPc(Root(), true));
    std::string text;
    bool upAfterF1 = false;
    uint64_t released = 0;
    CScreenScript script;
    script.At(300, [&] { text = MwDumpWindowTree(); })
        .Key(1500, VK_F1)
        .At(3200, [&] { upAfterF1 = Warning() != nullptr; })
        .At(5050, [&] {
            released = MwClockNow();
            VeltoSim::ConnectPc(Root(), false);
        });
    testing::internal::CaptureStdout();
    EXPECT_EQ(8, Show(WARNBOX_USB_DEVICE));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(upAfterF1);
    EXPECT_LE(MwClockNow() - released, 1000u);
    EXPECT_NE(std::string::npos, out.find("Keyval:0x70\n"));
    EXPECT_NE(std::string::npos, out.find("Return to normal mode.\n"));
    EXPECT_NE(std::string::npos, out.find("CVeltoUIDlgWarning::DestoryDialog\n"));
    EXPECT_NE(std::string::npos, text.find("'WarningBox'")) << text;
    // The window beneath gets the foreground back.
    EXPECT_EQ(m_hMain, GetActiveWindow());
}

TEST_F(WarningTest, NoticesCloseWithF1AndShowTheirTextInWhite) {
    int white = 0;
    CScreenScript script;
    script
        .At(1200,
            [&] {
                SaveScreen("warning_nofiles_320x240");
                white = CountNot(RECT{0, 140, 320, 240}, 0xFFFFFFu);
                white = 320 * 100 - white;
            })
        .Key(1300, VK_RETURN)
        .Key(1400, VK_F2)
        .Key(2500, VK_F1);
    uint64_t t0 = MwClockNow();
    EXPECT_EQ(6, Show(WARNBOX_NoFiles));
    EXPECT_GE(MwClockNow() - t0, 2500u);  // other keys did not close it
    EXPECT_GT(white, 200) << "the text below the picture's middle";

    CScreenScript again;
    again.Key(200, VK_F1);
    EXPECT_EQ(6, Show(WARNBOX_NoSpace));
}

TEST_F(WarningTest, PowerOffUnderANoticeStartsTheGoodbyeProgramOnce) {
    CScreenScript script;
    bool upAfter = false;
    std::string stateAfterFirst;
    script.At(300, [&] { VeltoSim::RequestPowerOff(Root()); })
        .At(1500, [&] { stateAfterFirst = ReadFile(HostPath("/sys/power/poweroff_state")); })
        .At(1600, [&] { VeltoSim::RequestPowerOff(Root()); })
        .At(3500, [&] { upAfter = Warning() != nullptr; })
        .Key(3600, VK_F1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(6, Show(WARNBOX_NoFiles));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(upAfter);
    EXPECT_TRUE(pwflag);
    std::string cmds = Commands();
    EXPECT_NE(std::string::npos, cmds.find("/usr/velto/splash")) << cmds;
    EXPECT_EQ(cmds.find("/usr/velto/splash"), cmds.rfind("/usr/velto/splash")) << cmds;
    size_t run = out.find("Run /usr/velto/splash ,");
    ASSERT_NE(std::string::npos, run) << out;
    EXPECT_EQ(run, out.rfind("Run /usr/velto/splash ,"));
    EXPECT_EQ('0', stateAfterFirst[0]);  // the request was cleared
    // The second request is left for the main window.
    EXPECT_EQ('1', ReadFile(HostPath("/sys/power/poweroff_state"))[0]);
}

TEST_F(WarningTest, EachNoticeShowsItsOwnLineAtBothScreenSizes) {
    for (int big = 0; big < 2; ++big) {
        int w = big ? 720 : 320, h = big ? 576 : 240;
        if (big) {
            Reopen(w, h);
            m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, w, h, false);
        }
        std::string size = big ? "_720x576" : "_320x240";
        ASSERT_TRUE(VeltoSim::ConnectPc(Root(), true));
        ExpectLine(WARNBOX_USB_DEVICE, "USB Connected", w, h, "warning_usb" + size);
        ExpectLine(WARNBOX_NoFiles, "NO FILES AVAIABLE", w, h, "warning_nofiles_text" + size);
        ExpectLine(WARNBOX_NoSpace, "No enough space", w, h, "warning_nospace" + size);
    }
}

TEST_F(WarningTest, OnTheTvScreen) {
    Reopen(720, 576);
    m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 720, 576, false);
    CScreenScript script;
    script.At(500, [] { SaveScreen("warning_nospace_720x576"); }).Key(600, VK_F1);
    EXPECT_EQ(6, Show(WARNBOX_NoSpace));
}

}  // namespace
