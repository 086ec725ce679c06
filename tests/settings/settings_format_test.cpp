// Formatting the active medium: the two questions, the command sequences of
// the SD card and the internal medium, the empty medium afterwards and the
// failure shown when a command did not work.
#include <unistd.h>

#include "browser/screen_script.h"
#include "browser/velto_UI_DlgMsgBox.h"
#include "platform/velto_SC_utils.h"
#include "settings/velto_UI_Dlg_FormatMedia.h"
#include "sim/sim_board_state.h"
#include "support/ui_screen_test.h"

namespace {

constexpr const char* kCardCommands =
    "/bin/umount -l /media/sd-mmcblk0p1\n"
    "/usr/bin/mkdosfs -F 32 /dev/mmcblk0p1\n"
    "/bin/mount -t vfat /dev/mmcblk0p1 /media/sd-mmcblk0p1\n";
constexpr const char* kNandCommands =
    "/bin/umount -l /media/nand\n"
    "rm  -f  /mnt/ubifs/backing_file  \n"
    "/usr/velto/nandformat  stop  \n"
    "/usr/velto/nandformat  start  \n";

class FormatMediaTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
        WriteFile(HostPath("/media/nand/DCIM/0000AAAA.jpg"), "picture");
    }
    static std::string Question() {
        auto* box = reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(GetActiveWindow(), 8));
        auto* msg = dynamic_cast<CVeltoUIDlgMsgBox*>(box);
        return msg ? msg->m_sText : "";
    }
    // Runs the format screen answering with keys from 100 ms on, noting
    // each question; what the screen shows after the last key.
    int Format(std::vector<UINT> keys, std::vector<std::string>* asked = nullptr,
               std::string* shown = nullptr) {
        CScreenScript script;
        DWORD at = 100;
        for (UINT vk : keys) {
            script.At(at, [asked] {
                if (asked) {
                    asked->push_back(Question());
                }
            });
            script.Key(at + 50, vk);
            at += 100;
        }
        script.At(at, [&] {
            auto* dlg = dynamic_cast<CVeltoUIDlgFormatMedia*>(
                reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(GetActiveWindow(), 8)));
            if (shown && dlg) {
                *shown = dlg->m_hFailText ? Text(dlg->m_hFailText) : "(no text)";
                SaveScreen("format_failed_320x240");
            }
        });
        script.Key(at + 100, VK_F2);  // ends a failure report
        CVeltoUIDlgFormatMedia* dlg = CVeltoUIDlgFormatMedia::CreateNew(MwGetInstance(), m_hMain);
        int r = dlg->DoModel();
        delete dlg;
        return r;
    }
    HWND m_hMain = nullptr;
};

TEST_F(FormatMediaTest, NoAtEitherQuestionChangesNothing) {
    std::vector<std::string> asked;
    EXPECT_EQ(1, Format({VK_RIGHT, VK_RETURN}, &asked));
    EXPECT_EQ(1, Format({VK_RETURN, VK_F1}, &asked));
    std::vector<std::string> want = {"Format Media?", "Format Media?", "Format Media?",
                                     "Warning - this will erase ALL files in memory"};
    EXPECT_EQ(want, asked);
    EXPECT_EQ("", Commands());
    EXPECT_EQ("picture", ReadFile(HostPath("/media/nand/DCIM/0000AAAA.jpg")));
}

TEST_F(FormatMediaTest, WithoutACardTheInternalMediumIsRebuiltEmpty) {
    std::string shown;
    EXPECT_EQ(1, Format({VK_RETURN, VK_RETURN}, nullptr, &shown));
    EXPECT_EQ("", shown) << "the screen closed by itself";
    EXPECT_EQ(kNandCommands, Commands());
    EXPECT_EQ("", ReadFile(HostPath("/media/nand/DCIM/0000AAAA.jpg")));
    EXPECT_EQ("/media/nand", Velto::GetNandDataPart());
}

TEST_F(FormatMediaTest, ACardIsFormattedAndMountedAgainLeavingTheInternalMedium) {
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    WriteFile(HostPath("/media/sd-mmcblk0p1/DCIM/0000BBBB.jpg"), "card picture");
    EXPECT_EQ(1, Format({VK_RETURN, VK_RETURN}));
    EXPECT_EQ(kCardCommands, Commands());
    EXPECT_EQ("", ReadFile(HostPath("/media/sd-mmcblk0p1/DCIM/0000BBBB.jpg")));
    EXPECT_EQ("/media/sd-mmcblk0p1", Velto::GetMMCFirstPart());
    EXPECT_EQ("picture", ReadFile(HostPath("/media/nand/DCIM/0000AAAA.jpg")));
}

TEST_F(FormatMediaTest, AFailingCommandIsReportedUntilAKeyIsPressed) {
    // The card's device node vanishes under the mount: format and mount fail.
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    ASSERT_EQ(0, unlink(HostPath("/dev/mmcblk0p1").c_str()));
    std::string shown;
    EXPECT_EQ(1, Format({VK_RETURN, VK_RETURN}, nullptr, &shown));
    EXPECT_EQ("Format failed", shown);
    EXPECT_EQ(kCardCommands, Commands()) << "the mount is tried after the failed format";

    // In German, for the internal medium: its mount point can't be made, so
    // the script's mount fails.
    CVeltoSCSetting::GetInstance().SetLanguage(3);
    ASSERT_TRUE(VeltoSim::RemoveSdCard(Root()));
    Board().System("/bin/umount -l /media/nand");
    ASSERT_EQ(0, system(("rm -rf '" + HostPath("/media/nand") + "'").c_str()));
    WriteFile(HostPath("/media/nand"), "");
    EXPECT_EQ(1, Format({VK_RETURN, VK_RETURN}, nullptr, &shown));
    CVeltoSCSetting::GetInstance().SetLanguage(0);
    EXPECT_EQ("Formatieren fehlgeschlagen", shown);
    EXPECT_NE(std::string::npos, Commands().find("/usr/velto/nandformat  start  ")) << Commands();
}

TEST_F(FormatMediaTest, AnUnmountedInternalMediumIsRebuiltAndMounted) {
    Board().System("/bin/umount -l /media/nand");
    ASSERT_EQ("", Velto::GetNandDataPart());
    std::string shown;
    EXPECT_EQ(1, Format({VK_RETURN, VK_RETURN}, nullptr, &shown));
    EXPECT_EQ("", shown);
    EXPECT_EQ("/media/nand", Velto::GetNandDataPart());
    EXPECT_EQ("", ReadFile(HostPath("/media/nand/DCIM/0000AAAA.jpg")));
}

}  // namespace
