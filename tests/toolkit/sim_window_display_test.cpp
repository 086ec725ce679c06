// A program under velto-sim's window draws into the board's shared screen
// instead of a window of its own, and gives the screen up when it closes.
#include <errno.h>

#include <vector>

#include "sim/sim_shared_screen.h"
#include "tests/toolkit/tk_fixture.h"

namespace {

class SimWindowDisplayTest : public CToolkitTest {
protected:
    std::string SimDir() const { return m_strRunDir + "/board/sim"; }
    void Reopen() {
        MwClose();
        MwSelectDisplay("auto", 320, 240);
        ASSERT_TRUE(MwOpen());
    }
};

TEST_F(SimWindowDisplayTest, UnderTheWindowTheComposedScreenGoesToTheSharedFile) {
    ASSERT_TRUE(VeltoSimMarkWindow(SimDir(), true));
    Reopen();
    EXPECT_EQ("sim-window", MwDisplayName());
    HWND top = Solid(nullptr, RGB(0, 0, 255), 0, 0, 320, 240, false);
    Solid(top, RGB(0x01, 0x01, 0x01), 10, 10, 20, 20);  // the colour key: video shows
    std::vector<uint32_t> video(64 * 48, 0xFF00FF00u);
    MwSetOverlay(video.data(), 64, 48, 64);
    MwPumpMessages();

    CVeltoSimScreenReader reader(SimDir());
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(program_invocation_short_name, reader.Program());
    EXPECT_EQ(320, reader.Width());
    std::vector<uint32_t> px;
    ASSERT_TRUE(reader.Copy(px));
    ASSERT_EQ(320u * 240u, px.size());
    EXPECT_EQ(0x0000FFu, px[100 * 320 + 100] & 0xFFFFFFu);  // the UI, as 0xRRGGBB
    EXPECT_EQ(0x00FF00u, px[15 * 320 + 15] & 0xFFFFFFu);    // the video under the key

    // Closed, the program is no longer on the window's screen.
    MwClose();
    EXPECT_FALSE(reader.Update());
    ASSERT_TRUE(VeltoSimMarkWindow(SimDir(), false));
    MwSelectDisplay("memory", 320, 240);
    ASSERT_TRUE(MwOpen());
}

TEST_F(SimWindowDisplayTest, WithoutAnOpenWindowNoSharedScreenIsUsed) {
    // A marker left by a velto-sim that is gone.
    WriteFile(SimDir() + "/window", "999999999\n");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    Reopen();
    EXPECT_EQ("memory", MwDisplayName());
    CVeltoSimScreenReader reader(SimDir());
    EXPECT_FALSE(reader.Update());
}

}  // namespace
