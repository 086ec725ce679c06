// The whole status layer of the live view at the rectangles the main window
// gives it, at the panel's 320 x 240 and the TV's 720 x 576: that each
// control stays inside its rectangle and the screen, that the video shows
// around them and the controls draw over it, and screenshots to look at.
#include <memory>
#include <utility>
#include <vector>

#include "platform/velto_SC_utils.h"
#include "sim/sim_mounts.h"
#include "status/DateTimeDisplayCtrl.h"
#include "status/velto_UI_Ctrl_BrightAdjust.h"
#include "status/velto_UI_Ctrl_FocusAdjust.h"
#include "status/velto_UI_Ctrl_ImageDisplayer.h"
#include "status/velto_UI_Ctrl_PowerIcon.h"
#include "status/velto_UI_Ctrl_RecMode.h"
#include "status/velto_UI_Ctrl_SDChecker.h"
#include "status/velto_newedit.h"
#include "status/velto_scrlbar1.h"
#include "support/status_layout.h"
#include "support/ui_screen_test.h"

namespace {

// The controls at the rectangles the main program gives them (the layout
// its scenario test reads back from the running program).
struct CStatusLayer {
    CStatusLayer(HWND main, const VeltoTest::SStatusLayout& l) {
        HINSTANCE inst = MwGetInstance();
        rec.reset(CVeltoUICtrlRecMode::CreateNew(inst, main, l.rec.x, l.rec.y, l.rec.w, l.rec.h));
        rec->SetCurMode(REC_MODE_IMAGE);
        sd.reset(CVeltoUICtrlSDChecker::CreateNew(inst, main, l.sd.x, l.sd.y, l.sd.w, l.sd.h));
        power.reset(CVeltoUICtrlPowerIcon::CreateNew(inst, main, l.power.x, l.power.y, l.power.w,
                                                     l.power.h));
        clock.reset(CVeltoUIDateTimeCtrl::CreateNew(inst, main, l.clock.x, l.clock.y, l.clock.w,
                                                    l.clock.h));
        bright.reset(CVeltoUICtrlBrightAdjust::CreateNew(inst, main, l.bright.x, l.bright.y,
                                                         l.bright.w, l.bright.h));
        focus.reset(CVeltoUICtrlFocusAdjust::CreateNew(inst, main, l.focus.x, l.focus.y, l.focus.w,
                                                       l.focus.h));
        mark.reset(CVeltoUICtrlImageDisplayer::CreateNew(inst, main, WS_CHILD, l.mark.x, l.mark.y,
                                                         l.mark.w, l.mark.h));
        mark->SetNewImagePath("img/rec.gif");
        busy.reset(CVeltoUICtrlImageDisplayer::CreateNew(inst, main, WS_CHILD, l.busy.x, l.busy.y,
                                                         l.busy.w, l.busy.h));
        busy->SetNewImagePath("img/funnel.gif");
    }
    bool All() const { return rec && sd && power && clock && bright && focus && mark && busy; }

    std::unique_ptr<CVeltoUICtrlRecMode> rec;
    std::unique_ptr<CVeltoUICtrlSDChecker> sd;
    std::unique_ptr<CVeltoUICtrlPowerIcon> power;
    std::unique_ptr<CVeltoUIDateTimeCtrl> clock;
    std::unique_ptr<CVeltoUICtrlBrightAdjust> bright;
    std::unique_ptr<CVeltoUICtrlFocusAdjust> focus;
    std::unique_ptr<CVeltoUICtrlImageDisplayer> mark;
    std::unique_ptr<CVeltoUICtrlImageDisplayer> busy;
};

class StatusLayerTest : public CVeltoUiScreenTest {
protected:
    // The live view with everything showing, on a grey test picture.
    void ShowLayer(unsigned W, unsigned H, const VeltoTest::SStatusLayout& l,
                   const std::string& shot) {
        ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
        VeltoSim::SetFreeKiB(Root(), Velto::GetMMCFirstPart(), 2048 + 280 * 123);
        ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
        ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3300 + 72 * 4));
        SetBoardTime(1767225600 + 3723);  // a fixed second
        std::vector<uint32_t> video(64 * 48, 0xFF608060u);
        MwSetOverlay(video.data(), 64, 48, 64);
        HWND main = Solid(nullptr, 0xFF010101u, 0, 0, (int)W, (int)H, false);
        CStatusLayer layer(main, l);
        ASSERT_TRUE(layer.All());
        layer.bright->Show(SW_SHOW);
        layer.mark->Show(SW_SHOW);
        layer.busy->Show(SW_SHOW);
        Advance(2500);  // battery and card checks
        layer.rec->RefreshImageAvailableNumber();
        MwPumpMessages();
        SaveScreen(shot + "_bright");
        layer.bright->Show(SW_HIDE);
        layer.focus->Show(SW_SHOW);
        MwPumpMessages();
        SaveScreen(shot + "_zoom");

        // Every control is a child of the main window at its rectangle,
        // inside the screen.
        const std::vector<std::pair<CMWUIBase*, VeltoTest::SRect>> placed = {
            {layer.rec.get(), l.rec},       {layer.sd.get(), l.sd},
            {layer.power.get(), l.power},   {layer.clock.get(), l.clock},
            {layer.bright.get(), l.bright}, {layer.focus.get(), l.focus},
            {layer.mark.get(), l.mark},     {layer.busy.get(), l.busy}};
        for (const auto& [c, want] : placed) {
            EXPECT_EQ(main, GetParent(c->m_hHwnd));
            RECT r;
            GetWindowRect(c->m_hHwnd, &r);
            EXPECT_EQ(want.x, r.left);
            EXPECT_EQ(want.y, r.top);
            EXPECT_EQ(want.w, r.right - r.left);
            EXPECT_EQ(want.h, r.bottom - r.top);
            EXPECT_GE(r.left, 0);
            EXPECT_LE(r.right, (int)W);
            EXPECT_LE(r.bottom, (int)H);
        }
        // The live picture shows between the controls ...
        EXPECT_EQ(0x608060u, Px((int)W / 4, (int)H / 2));
        // ... and the controls draw over it: the clock's text in white.
        RECT cr;
        GetWindowRect(layer.clock->m_hHwnd, &cr);
        int white = 0;
        for (int y = cr.top; y < cr.bottom; ++y) {
            for (int x = cr.left; x < cr.right; ++x) {
                white += Px(x, y) == 0xFFFFFFu;
            }
        }
        EXPECT_GT(white, (cr.bottom - cr.top) * 10);
        EXPECT_TRUE(layer.sd->IsVisable());
        EXPECT_TRUE(IsWindowVisible(layer.power->m_pBattery->m_hHwnd));
        EXPECT_EQ("123", Text(layer.rec->m_hTextStaticCtrl));
        // The seconds sit right of the minutes, on one line.
        EXPECT_EQ("03", Text(layer.clock->m_hTimeStatic).substr(0, 2));
    }
};

TEST_F(StatusLayerTest, LiveViewControlsOnThePanel) {
    ShowLayer(320, 240, VeltoTest::PanelLayout(), "status_320x240");
}

TEST_F(StatusLayerTest, LiveViewControlsOnTheTv) {
    Reopen(720, 576);
    ShowLayer(720, 576, VeltoTest::TvLayout(), "status_720x576");
}

TEST_F(StatusLayerTest, EditClassIsRegisteredForTheDateScreen) {
    ASSERT_TRUE(MwRegisterVeltoNewEditControl(nullptr));
    ASSERT_TRUE(MwRegisterVeltoNewEditControl(nullptr));
    HWND edit = CreateWindowEx(0, "VeltoNewEDIT", "2026", WS_VISIBLE, 0, 0, 80, 20, nullptr,
                               nullptr, MwGetInstance(), nullptr);
    ASSERT_TRUE(edit);
    MwPumpMessages();
    EXPECT_EQ(0x000000u, Ui(78, 18));  // fields stand on black
    EXPECT_EQ((LRESULT)(DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS),
              SendMessage(edit, WM_GETDLGCODE, 0, 0));
}

}  // namespace
