// Each status control of the live view driven through its timers and the
// simulated board: figures and texts, blinking, icons coming and going.
#include <time.h>

#include "platform/velto_SC_utils.h"
#include "sim/sim_mounts.h"
#include "status/DateTimeDisplayCtrl.h"
#include "status/velto_UI_Ctrl_BrightAdjust.h"
#include "status/velto_UI_Ctrl_FocusAdjust.h"
#include "status/velto_UI_Ctrl_ImageDisplayer.h"
#include "status/velto_UI_Ctrl_PowerIcon.h"
#include "status/velto_UI_Ctrl_RecMode.h"
#include "status/velto_UI_Ctrl_SDChecker.h"
#include "status/velto_scrlbar1.h"
#include "support/ui_screen_test.h"

namespace {

class StatusControlsTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    }
    // Free KiB of the internal medium (no SD card in these tests).
    void SetNandFree(long long kib) { VeltoSim::SetFreeKiB(Root(), Velto::GetNandDataPart(), kib); }
    HWND m_hMain = nullptr;
};

TEST_F(StatusControlsTest, RecordModeShowsPicturesOrVideoTimeThatStillFit) {
    CVeltoUICtrlRecMode* rec =
        CVeltoUICtrlRecMode::CreateNew(MwGetInstance(), m_hMain, 3, 6, 56, 44);
    ASSERT_TRUE(rec);
    EXPECT_EQ(REC_MODE_VIDEO, rec->GetCurMode());
    EXPECT_EQ(m_hMain, GetParent(rec->m_hHwnd));
    EXPECT_EQ((LRESULT)rec->m_pImgVideo,
              SendMessage(rec->m_hImgStaticCtrl, STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ("00:00:00", Text(rec->m_hTextStaticCtrl));

    struct {
        long long kib;
        const char* text;
    } pictures[] = {{2048, "0"}, {2049, "0"}, {2328, "1"}, {2048 + 280 * 500 + 279, "500"}};
    SetNandFree(2048);
    rec->SetCurMode(REC_MODE_IMAGE);
    EXPECT_EQ((LRESULT)rec->m_pImgImg,
              SendMessage(rec->m_hImgStaticCtrl, STM_GETIMAGE, IMAGE_BITMAP, 0));
    for (const auto& p : pictures) {
        SetNandFree(p.kib);
        testing::internal::CaptureStdout();
        rec->RefreshImageAvailableNumber();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(p.text, Text(rec->m_hTextStaticCtrl)) << p.kib;
        if (p.kib > 2328) {
            EXPECT_NE(std::string::npos, out.find("Avail space 500\n"));
        }
    }
    // An unchanged figure is not printed again.
    testing::internal::CaptureStdout();
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    rec->SetCurMode(REC_MODE_VIDEO);
    EXPECT_EQ("00:00:00", Text(rec->m_hTextStaticCtrl));
    SetNandFree(2520000);
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));
    SetNandFree(700LL * (100 * 3600 + 61));
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("100:01:01", Text(rec->m_hTextStaticCtrl));
    SetNandFree(100);
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("00:00:00", Text(rec->m_hTextStaticCtrl));

    // Hidden (a menu is up), the figure is left alone.
    SetNandFree(2520000);
    rec->Show(SW_HIDE);
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("00:00:00", Text(rec->m_hTextStaticCtrl));
    rec->Show(SW_SHOW);
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));
    delete rec;
}

TEST_F(StatusControlsTest, RecordingShowsElapsedTimeWithABlinkingIcon) {
    CVeltoUICtrlRecMode* rec =
        CVeltoUICtrlRecMode::CreateNew(MwGetInstance(), m_hMain, 3, 6, 56, 44);
    ASSERT_TRUE(rec);
    SetNandFree(2520000);
    rec->SetCurMode(REC_MODE_IMAGE);
    rec->StartRecord();  // picture mode: no recording display
    EXPECT_FALSE(rec->RecordStatus());

    rec->SetCurMode(REC_MODE_VIDEO);
    rec->RefreshImageAvailableNumber();
    ASSERT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));
    const time_t t0 = 1700000000;
    SetBoardTime(t0);
    rec->StartRecord();
    ASSERT_TRUE(rec->RecordStatus());
    EXPECT_EQ("00:00:00", Text(rec->m_hTextStaticCtrl));
    bool shown[4];
    for (int i = 1; i <= 4; ++i) {
        SetBoardTime(t0 + i);
        Advance(1000);
        shown[i - 1] = Shown(rec->m_hImgStaticCtrl);
        rec->RefreshImageAvailableNumber();  // the tick leaves the timer's text alone
        EXPECT_EQ("00:00:0" + std::to_string(i), Text(rec->m_hTextStaticCtrl));
    }
    EXPECT_FALSE(shown[0]);
    EXPECT_TRUE(shown[1]);
    EXPECT_FALSE(shown[2]);
    EXPECT_TRUE(shown[3]);
    SetBoardTime(t0 + 25 * 3600);
    Advance(1000);
    EXPECT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));  // hours wrap after 23

    // Stopping with the icon blinked away brings it back, and the time that
    // still fits replaces the elapsed time even though it did not change.
    ASSERT_FALSE(Shown(rec->m_hImgStaticCtrl));
    rec->StopRecord();
    EXPECT_TRUE(Shown(rec->m_hImgStaticCtrl));
    rec->RefreshImageAvailableNumber();
    EXPECT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));
    SetBoardTime(t0 + 90000 + 5);
    Advance(5000);
    EXPECT_EQ("01:00:00", Text(rec->m_hTextStaticCtrl));

    // A mode switch ends the display and shows the picture count.
    rec->StartRecord();
    ASSERT_TRUE(rec->RecordStatus());
    rec->SetCurMode(REC_MODE_IMAGE);
    EXPECT_FALSE(rec->RecordStatus());
    EXPECT_EQ(std::to_string((2520000 - 2048) / 280), Text(rec->m_hTextStaticCtrl));
    Advance(3000);
    EXPECT_EQ(std::to_string((2520000 - 2048) / 280), Text(rec->m_hTextStaticCtrl));
    delete rec;
}

TEST_F(StatusControlsTest, PowerIconShowsThePlugOrAGaugeThatBlinksRedWhenLow) {
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3700));
    CVeltoUICtrlPowerIcon* power =
        CVeltoUICtrlPowerIcon::CreateNew(MwGetInstance(), m_hMain, 283, 6, 21, 17);
    ASSERT_TRUE(power && power->m_pBattery);
    HWND gauge = power->m_pBattery->m_hHwnd;
    EXPECT_EQ(power->m_hHwnd, GetParent(gauge));
    EXPECT_TRUE(Shown(power->m_pPlugImageStatic));
    EXPECT_FALSE(Shown(gauge));

    // Off the charger at 32 %: a steady green gauge from the next check.
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3300 + 32 * 4));
    Advance(2000);
    EXPECT_FALSE(Shown(power->m_pPlugImageStatic));
    ASSERT_TRUE(Shown(gauge));
    EXPECT_EQ(0xFF00FF00u, power->m_pBattery->m_cBatteryColor);
    MwPumpMessages();
    EXPECT_EQ(0x00FF00u, Ui(283, 6));  // the outline's corner
    EXPECT_EQ(32u, power->m_pBattery->m_nCurBatteryPerc);
    Advance(2000);
    EXPECT_TRUE(Shown(gauge));

    // At 28 % it turns red and blinks: 2 s off, 2 s on.
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3300 + 28 * 4));
    Advance(2000);
    EXPECT_EQ(0xFF0000FFu, power->m_pBattery->m_cBatteryColor);
    EXPECT_FALSE(Shown(gauge));
    Advance(2000);
    EXPECT_TRUE(Shown(gauge));
    MwPumpMessages();
    EXPECT_EQ(0x0000FFu, Ui(283, 6));  // red (COLORREF)
    Advance(2000);
    EXPECT_FALSE(Shown(gauge));

    // Hidden (a menu is up) nothing is checked.
    power->Show(SW_HIDE);
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    Advance(4000);
    EXPECT_FALSE(Shown(power->m_pPlugImageStatic));
    power->Show(SW_SHOW);
    Advance(2000);
    EXPECT_TRUE(Shown(power->m_pPlugImageStatic));
    delete power;
}

TEST_F(StatusControlsTest, AnEmptyBatteryPowersOffOnlyWhenNotCharging) {
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3000));
    testing::internal::CaptureStdout();
    CVeltoUICtrlPowerIcon* power =
        CVeltoUICtrlPowerIcon::CreateNew(MwGetInstance(), m_hMain, 283, 6, 21, 17);
    ASSERT_TRUE(power);
    Advance(4000);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("w=21,h=17\n"));
    EXPECT_EQ(std::string::npos, out.find("SetPowerOffStatus"));

    ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
    testing::internal::CaptureStdout();
    Advance(2000);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("SetPowerOffStatus"));
    EXPECT_EQ("0000", ReadFile(HostPath("/sys/power/poweroff_state")).substr(0, 4));
    delete power;
}

TEST_F(StatusControlsTest, SdIconFollowsTheCard) {
    CVeltoUICtrlSDChecker* sd =
        CVeltoUICtrlSDChecker::CreateNew(MwGetInstance(), m_hMain, 259, 6, 28, 21);
    ASSERT_TRUE(sd);
    EXPECT_FALSE(sd->IsVisable());
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    testing::internal::CaptureStdout();
    Advance(2500);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(sd->IsVisable());
    EXPECT_NE(std::string::npos, out.find("Found sd card on " + Velto::GetMMCFirstPart() + "\n"));
    // Reported once per card.
    testing::internal::CaptureStdout();
    Advance(2500);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    MwPumpMessages();
    EXPECT_NE(0x010101u, Ui(259 + 14, 6 + 10)) << "the card picture is drawn";

    ASSERT_TRUE(VeltoSim::RemoveSdCard(Root()));
    Advance(2500);
    EXPECT_FALSE(sd->IsVisable());
    EXPECT_EQ("", sd->m_strCurSDPath);
    delete sd;
}

// Counts WM_SETTEXT on a subclassed static.
WNDPROC g_oldStaticProc = nullptr;
int g_nLeftTexts = 0;
LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTEXT) {
        ++g_nLeftTexts;
    }
    return g_oldStaticProc(hwnd, msg, wParam, lParam);
}

time_t LocalTime(int year, int mon, int day, int h, int m, int s) {
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = day;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return mktime(&t);
}

TEST_F(StatusControlsTest, ClockRewritesTheMinutesOnlyWhenTheyChange) {
    SetBoardTime(LocalTime(2026, 3, 7, 9, 4, 59));
    CVeltoUIDateTimeCtrl* clock =
        CVeltoUIDateTimeCtrl::CreateNew(MwGetInstance(), m_hMain, 73, 217, 173, 19);
    ASSERT_TRUE(clock);
    EXPECT_EQ("2026-03-07 09:04:", Text(clock->m_hStatic));
    EXPECT_EQ("59", Text(clock->m_hTimeStatic));
    g_oldStaticProc = (WNDPROC)GetWindowLong(clock->m_hStatic, GWL_WNDPROC);
    SetWindowLong(clock->m_hStatic, GWL_WNDPROC, (LONG)CountingProc);
    g_nLeftTexts = 0;

    SetBoardTime(LocalTime(2026, 3, 7, 9, 5, 0));
    Advance(1000);
    EXPECT_EQ("2026-03-07 09:05:", Text(clock->m_hStatic));
    EXPECT_EQ("00", Text(clock->m_hTimeStatic));
    EXPECT_EQ(1, g_nLeftTexts);
    SetBoardTime(LocalTime(2026, 3, 7, 9, 5, 1));
    Advance(1000);
    EXPECT_EQ("01", Text(clock->m_hTimeStatic));
    EXPECT_EQ(1, g_nLeftTexts);

    // The clock set back a day is shown at the next tick.
    SetBoardTime(LocalTime(2026, 3, 6, 9, 5, 2));
    Advance(1000);
    EXPECT_EQ("2026-03-06 09:05:", Text(clock->m_hStatic));

    // Hidden: nothing is rewritten; shown again, both catch up.
    clock->Show(SW_HIDE);
    SetBoardTime(LocalTime(2026, 3, 6, 10, 0, 7));
    Advance(1000);
    EXPECT_EQ("02", Text(clock->m_hTimeStatic));
    clock->Show(SW_SHOW);
    Advance(1000);
    EXPECT_EQ("2026-03-06 10:00:", Text(clock->m_hStatic));
    EXPECT_EQ("07", Text(clock->m_hTimeStatic));

    // Stopped (the date screen sets the clock meanwhile) nothing ticks.
    clock->EnableTimeDisplay(false);
    EXPECT_EQ(0u, clock->m_iTimerDateTime);
    SetBoardTime(LocalTime(2026, 3, 6, 11, 0, 9));
    Advance(3000);
    EXPECT_EQ("07", Text(clock->m_hTimeStatic));
    clock->EnableTimeDisplay(true);
    Advance(1000);
    EXPECT_EQ("09", Text(clock->m_hTimeStatic));
    delete clock;
}

int Position(HWND bar) {
    SCROLLINFO info{};
    info.fMask = SIF_POS;
    EXPECT_EQ(1, GetVeltoScroll1InfoEx(bar, &info));
    return info.nPos;
}

TEST_F(StatusControlsTest, BrightnessSliderRunsFromTheMiddleToTheEnds) {
    CVeltoUICtrlBrightAdjust* bright =
        CVeltoUICtrlBrightAdjust::CreateNew(MwGetInstance(), m_hMain, 127, 180, 66, 30);
    ASSERT_TRUE(bright);
    SCROLLINFO info{};
    ASSERT_TRUE(bright->GetScollInfo(info));
    EXPECT_EQ(0, info.nMin);
    EXPECT_EQ(10, info.nMax);
    EXPECT_EQ(5, info.nPos);
    MwPumpMessages();
    // The thumb (red inside) is drawn where the position puts it.
    auto redAt = [](int x0, int x1, int y) {
        for (int x = x0; x < x1; ++x) {
            if (Ui(x, y) == 0x0000FFu) {  // red as COLORREF
                return x;
            }
        }
        return -1;
    };
    const int barY = 180 + 21 + 4;
    int mid = redAt(127, 193, barY);
    EXPECT_GT(mid, 127 + 20);
    EXPECT_LT(mid, 127 + 40);
    for (int i = 0; i < 7; ++i) {
        bright->IncDec(true);
    }
    ASSERT_TRUE(bright->GetScollInfo(info));
    EXPECT_EQ(10, info.nPos);
    EXPECT_EQ(100, (int)(info.nPos * 100.0 / (info.nMax - info.nMin)));
    MwPumpMessages();
    EXPECT_GT(redAt(127, 193, barY), 127 + 50);
    for (int i = 0; i < 12; ++i) {
        bright->IncDec(false);
    }
    EXPECT_EQ(0, Position(bright->m_hBright));
    MwPumpMessages();
    EXPECT_LT(redAt(127, 193, barY), 127 + 5);
    delete bright;
}

TEST_F(StatusControlsTest, ZoomSliderGivesSevenLevels) {
    CVeltoUICtrlFocusAdjust* focus =
        CVeltoUICtrlFocusAdjust::CreateNew(MwGetInstance(), m_hMain, 278, 93, 30, 54);
    ASSERT_TRUE(focus);
    EXPECT_TRUE(GetWindowLong(focus->m_hFocus, GWL_STYLE) & SBS_VERT);
    SCROLLINFO info{};
    ASSERT_TRUE(focus->GetScollInfo(info));
    EXPECT_EQ(6, info.nMax);
    auto level = [&] {
        focus->GetScollInfo(info);
        return info.nMax - info.nPos + 1;
    };
    EXPECT_EQ(1, level());
    for (int want = 2; want <= 7; ++want) {
        focus->IncDec(true);
        EXPECT_EQ(want, level());
    }
    focus->IncDec(true);
    EXPECT_EQ(7, level());
    focus->IncDec(false);
    EXPECT_EQ(6, level());
    delete focus;
}

TEST_F(StatusControlsTest, SliderClassKeepsItsPositionInsideItsRange) {
    ASSERT_TRUE(MwRegisterVeltoScrollbar1Control(MwGetInstance()));
    ASSERT_TRUE(MwRegisterVeltoScrollbar1Control(MwGetInstance()));  // again: still there
    HWND bar = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, 0, 0, 100, 10,
                              m_hMain, nullptr, MwGetInstance(), nullptr);
    HWND tiny = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, 0, 20, 20, 10,
                               m_hMain, nullptr, MwGetInstance(), nullptr);
    SCROLLINFO info{};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ASSERT_EQ(1, GetVeltoScroll1InfoEx(bar, &info));
    EXPECT_EQ(10, info.nMax);
    EXPECT_EQ(1u, info.nPage);
    ASSERT_EQ(1, GetVeltoScroll1InfoEx(tiny, &info));
    EXPECT_EQ(0, info.nMax);  // too short for a range of its own

    SendMessage(bar, VSBM_SETPOS, 8, 0);
    SendMessage(bar, VSBM_SETRANGE, 6, 2);  // ends in either order
    ASSERT_EQ(1, GetVeltoScroll1InfoEx(bar, &info));
    EXPECT_EQ(2, info.nMin);
    EXPECT_EQ(6, info.nMax);
    EXPECT_EQ(6, info.nPos);
    SendMessage(bar, VSBM_SETPOS, (WPARAM)-3, 0);
    EXPECT_EQ(2, Position(bar));
    EXPECT_EQ((LRESULT)(DLGC_WANTARROWS | DLGC_WANTALLKEYS), SendMessage(bar, WM_GETDLGCODE, 0, 0));

    EXPECT_EQ(0, GetVeltoScroll1InfoEx(m_hMain, &info));
    EXPECT_EQ(0, GetVeltoScroll1InfoEx(bar, nullptr));
    DestroyWindow(bar);
    EXPECT_EQ(0, GetVeltoScroll1InfoEx(bar, &info));
}

TEST_F(StatusControlsTest, ImageOverlayDropsItsPictureWhenANewOneFailsToLoad) {
    CVeltoUICtrlImageDisplayer* mark =
        CVeltoUICtrlImageDisplayer::CreateNew(MwGetInstance(), m_hMain, WS_CHILD, 266, 31, 49, 22);
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->m_hHwnd, GetParent(mark->m_hImgStaticCtrl));
    ASSERT_TRUE(mark->SetNewImagePath("img/rec.gif"));
    MwPumpMessages();
    EXPECT_GT(CountNot(RECT{266, 31, 315, 53}, 0x010101u), 100);
    EXPECT_FALSE(mark->SetNewImagePath("img/missing.gif"));
    EXPECT_EQ(0, SendMessage(mark->m_hImgStaticCtrl, STM_GETIMAGE, IMAGE_BITMAP, 0));
    MwPumpMessages();  // repaints without the freed picture
    EXPECT_EQ(0, CountNot(RECT{266, 31, 315, 53}, 0x010101u));
    ASSERT_TRUE(mark->SetNewImagePath("img/funnel.gif"));
    EXPECT_TRUE(mark->SetImageSize(15, 21));
    RECT r;
    GetWindowRect(mark->m_hImgStaticCtrl, &r);
    EXPECT_EQ(15, r.right - r.left);
    delete mark;
}

}  // namespace
