// The simulator's control channel and the views it serves.
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>

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

TEST_F(ControlChannelTest, AServerRemovesOnlyTheSocketItMadeAndNeverALiveOne) {
    auto answer = [](const char* who) {
        return [who](const std::string&, std::string& reply) {
            reply = who;
            return true;
        };
    };
    const std::string sock = VeltoSimControlSocketPath(m_strRunDir, "splash");
    EXPECT_EQ(m_strRunDir + "/board/sim/ui-splash.sock", sock);
    EXPECT_EQ(m_strRunDir + "/board/sim/ui-veltosc.sock", VeltoSimControlSocketPath(m_strRunDir));
    std::string reply;

    // A program that answers keeps its socket against a second one.
    CVeltoSimControlServer first, second;
    ASSERT_TRUE(first.Start(sock, answer("first")));
    EXPECT_FALSE(second.Start(sock, answer("second")));
    second.Stop();
    EXPECT_EQ(0, VeltoSimControlRequest(sock, "ui", reply));
    EXPECT_EQ("first", reply);

    // A newer program's socket took the path while an older one still
    // listened on its own (moved away here): the older one's stop leaves
    // the newer socket in place.
    CVeltoSimControlServer stale;
    first.Stop();
    ASSERT_TRUE(stale.Start(sock, answer("stale")));
    ASSERT_EQ(0, rename(sock.c_str(), (sock + ".old").c_str()));
    CVeltoSimControlServer next;
    ASSERT_TRUE(next.Start(sock, answer("next")));
    stale.Stop();  // its socket file is gone from the path: the new one stays
    EXPECT_EQ(0, VeltoSimControlRequest(sock, "ui", reply));
    EXPECT_EQ("next", reply);
    next.Stop();
    EXPECT_EQ(-1, VeltoSimControlRequest(sock, "ui", reply));
}

TEST_F(ControlChannelTest, ASocketLeftByAProgramThatEndedIsReplaced) {
    const std::string sock = VeltoSimControlSocketPath(m_strRunDir, "veltosc");
    // Bound and closed without removing it, as a killed program leaves it.
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof addr.sun_path);
    memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);
    ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
    close(fd);
    std::string reply;
    EXPECT_EQ(-1, VeltoSimControlRequest(sock, "ui", reply));
    CVeltoSimControlServer server;
    ASSERT_TRUE(server.Start(sock, [](const std::string&, std::string& r) {
        r = "up";
        return true;
    }));
    EXPECT_EQ(0, VeltoSimControlRequest(sock, "ui", reply));
    EXPECT_EQ("up", reply);
}

TEST_F(ControlChannelTest, ProgramNamesAreFileNamesOnly) {
    EXPECT_TRUE(VeltoSimIsProgramName("veltosc"));
    EXPECT_TRUE(VeltoSimIsProgramName("velto-sample-screens"));
    EXPECT_FALSE(VeltoSimIsProgramName(""));
    EXPECT_FALSE(VeltoSimIsProgramName(".."));
    EXPECT_FALSE(VeltoSimIsProgramName("../ui"));
    EXPECT_FALSE(VeltoSimIsProgramName("a b"));
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
