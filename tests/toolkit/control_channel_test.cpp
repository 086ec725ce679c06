// The simulator's control channel and the views it serves.
#include <sys/stat.h>

#include "sim/sim_control.h"
#include "sim/sim_framebuffer.h"
#include "tests/toolkit/tk_fixture.h"

namespace {

class ControlChannelTest : public CToolkitTest {};

TEST_F(ControlChannelTest, RequestsAreAnsweredAlsoOnDeepPaths) {
    // Deeper than a socket address can hold.
    std::string dir = m_strRunDir;
    for (int i = 0; i < 4; ++i) {
        dir += "/a-rather-long-directory-name-" + std::to_string(i);
        mkdir(dir.c_str(), 0755);
    }
    std::string sock = dir + "/ui.sock";
    ASSERT_GT(sock.size(), 108u);
    CVeltoSimControlServer server;
    ASSERT_TRUE(server.Start(sock, [](const std::string& req, std::string& reply) {
        if (req == "ui") {
            reply = "tree\n";
            return true;
        }
        reply = "unknown request";
        return false;
    }));
    std::string reply;
    EXPECT_EQ(0, VeltoSimControlRequest(sock, "ui", reply));
    EXPECT_EQ("tree\n", reply);
    EXPECT_EQ(1, VeltoSimControlRequest(sock, "bogus", reply));
    EXPECT_EQ("unknown request", reply);
    server.Stop();
    server.Stop();
    EXPECT_EQ(-1, VeltoSimControlRequest(sock, "ui", reply));
}

TEST_F(ControlChannelTest, WindowTreeShowsClassTextGeometryVisibilityAndTheModal) {
    static std::string tree;
    DLGPROC proc = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetWindowText(hwnd, "MediaNav");
            CreateWindowEx(0, "STATIC", "Media", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 320, 38,
                           hwnd, nullptr, MwGetInstance(), nullptr);
            CreateWindowEx(0, "STATIC", "", WS_CHILD, 5, 50, 10, 10, hwnd, nullptr, MwGetInstance(),
                           nullptr);
        }
        if (msg == WM_ENTERIDLE) {
            tree = MwDumpWindowTree();
            EndDialog(hwnd, 0);
        }
        return 0;
    };
    DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, proc, 0);
    EXPECT_EQ(
        "#dialog 'MediaNav' 0 0 320 240 visible modal\n"
        "  STATIC 'Media' 0 0 320 38 visible\n"
        "  STATIC '' 5 50 10 10 hidden\n",
        tree);
}

TEST_F(ControlChannelTest, KeyNamesMapToDeviceKeys) {
    EXPECT_EQ((UINT)VK_LEFT, MwKeyFromName("left"));
    EXPECT_EQ((UINT)VK_RETURN, MwKeyFromName("ENTER"));
    EXPECT_EQ((UINT)VK_F4, MwKeyFromName("F4"));
    EXPECT_EQ(0u, MwKeyFromName("F9"));
}

TEST_F(ControlChannelTest, TheSimulatedFramebufferFollowsTheSelectedOutput) {
    int w, h;
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    CVeltoSimFramebuffer::GetInstance()->Size(&w, &h);
    EXPECT_EQ(720, w);
    EXPECT_EQ(576, h);
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_ntsc\n");
    CVeltoSimFramebuffer::GetInstance()->Size(&w, &h);
    EXPECT_EQ(480, h);
    // The toolkit takes its screen size from /dev/fb0 when none is forced.
    MwClose();
    MwSelectDisplay("memory");
    ASSERT_TRUE(MwOpen());
    EXPECT_EQ(720, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(480, GetSystemMetrics(SM_CYSCREEN));
    WriteFile(HostPath("/etc/lcdparams"), "garbage\n");
    CVeltoSimFramebuffer::GetInstance()->Size(&w, &h);
    EXPECT_EQ(320, w);
}

TEST_F(ControlChannelTest, TheFramebufferDisplayWritesTheUiIntoMappedMemory) {
    MwClose();
    MwSelectDisplay("fb");
    ASSERT_TRUE(MwOpen());
    EXPECT_EQ("fb", MwDisplayName());
    Solid(nullptr, RGB(0, 0, 255), 0, 0, 320, 240, false);
    MwPumpMessages();
    EXPECT_EQ(0xFF0000u, MwGetScreenPixel(3, 3) & 0xFFFFFFu);
}

}  // namespace
