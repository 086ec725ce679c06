// The whole status layer of the live view as the main window lays it out,
// at the panel's 320 x 240 and the TV's 720 x 576: where each control sits,
// that the video shows around them, and screenshots to look at.
#include <memory>

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
#include "support/ui_screen_test.h"

namespace {

// The controls at the main window's geometry for a W x H screen.
struct CStatusLayer {
    CStatusLayer(HWND main, unsigned W, unsigned H) {
        HINSTANCE inst = MwGetInstance();
        rec.reset(CVeltoUICtrlRecMode::CreateNew(inst, main, W / 98, H / 40, (int)(W / 5.7),
                                                 (int)(H / 5.4)));
        rec->SetCurMode(REC_MODE_IMAGE);
        sd.reset(CVeltoUICtrlSDChecker::CreateNew(inst, main, (int)(W / 100 + W / 1.25), H / 40,
                                                  28 * W / 320, 21 * H / 240));
        power.reset(CVeltoUICtrlPowerIcon::CreateNew(inst, main, (int)(W + (W / 15) * (-1.21)),
                                                     H / 40, 21 * W / 320, 17 * H / 240));
        unsigned cw = W <= 640 ? 173 : 346;
        clock.reset(CVeltoUIDateTimeCtrl::CreateNew(inst, main, (W - cw) / 2, 217 * H / 240, cw,
                                                    W <= 640 ? 19 : 38));
        unsigned bw = 66 * W / 320, bh = 20 * H / 240 + 10 * H / 240;
        bright.reset(
            CVeltoUICtrlBrightAdjust::CreateNew(inst, main, (W - bw) / 2, H - 2 * bh, bw, bh));
        unsigned fw = 10 * W / 320 + 20 * W / 320;
        focus.reset(CVeltoUICtrlFocusAdjust::CreateNew(inst, main, (int)((W - fw) + fw * (-0.4)),
                                                       (H - 54 * H / 240) / 2, fw, 54 * H / 240));
        mark.reset(CVeltoUICtrlImageDisplayer::CreateNew(
            inst, main, WS_CHILD, (int)(W + (49 * W / 320) * (-1.1)), (int)(H * 0.13), 49 * W / 320,
            22 * H / 240));
        mark->SetNewImagePath("img/rec.gif");
        busy.reset(CVeltoUICtrlImageDisplayer::CreateNew(
            inst, main, WS_CHILD, (W - 15 * W / 320) / 2, (H - 21 * H / 240) / 2, 15 * W / 320,
            21 * H / 240));
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
    void ShowLayer(unsigned W, unsigned H, const std::string& shot) {
        ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
        VeltoSim::SetFreeKiB(Root(), Velto::GetMMCFirstPart(), 2048 + 280 * 123);
        ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
        ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3300 + 72 * 4));
        SetBoardTime(1767225600 + 3723);  // a fixed second
        std::vector<uint32_t> video(64 * 48, 0xFF608060u);
        MwSetOverlay(video.data(), 64, 48, 64);
        HWND main = Solid(nullptr, 0xFF010101u, 0, 0, (int)W, (int)H, false);
        CStatusLayer layer(main, W, H);
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

        // Every control is a child of the main window, inside the screen.
        for (CMWUIBase* c : std::vector<CMWUIBase*>{
                 layer.rec.get(), layer.sd.get(), layer.power.get(), layer.clock.get(),
                 layer.bright.get(), layer.focus.get(), layer.mark.get(), layer.busy.get()}) {
            EXPECT_EQ(main, GetParent(c->m_hHwnd));
            RECT r;
            GetWindowRect(c->m_hHwnd, &r);
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
    ShowLayer(320, 240, "status_320x240");
}

TEST_F(StatusLayerTest, LiveViewControlsOnTheTv) {
    Reopen(720, 576);
    ShowLayer(720, 576, "status_720x576");
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
