#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "settings/velto_SC_setting.h"
#include "settings/velto_SC_xmlfile.h"
#include "sim/sim_board.h"
#include "tests/settings/settings_test_util.h"

namespace {

std::string Nested(int depth) {
    std::string text = "<Velto>";
    for (int i = 0; i < depth; ++i) {
        text += "<Item name=\"Settings\">";
    }
    return text;  // never closed
}

TEST_F(SettingsTest, UnloadableFilesReadEmptyAndStayUntilAWrite) {
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"truncated", ShippedFile().substr(0, 1000)},
        {"binary", std::string("\x89PNG\r\n\x1a\n\xff\xfe\x01\x02", 12)},
        {"NUL inside", std::string("<Velto><Item name=\"Settings\"/></Velto>\0junk", 43)},
        {"empty", ""},
        {"deeply nested", Nested(100000)},
        {"huge", "<Velto>" + std::string(50 * 1024 * 1024, ' ') + "</Velto>"},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.first);
        PutConf(c.second);
        CTestSetting setting;
        auto start = std::chrono::steady_clock::now();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(setting.InitLanguageList());
        EXPECT_EQ(0u, testing::internal::GetCapturedStdout().find("Error in veltoscconf.xml: "));
        EXPECT_EQ("", setting.GetXMLConfSettingsItemVal("colorful", "true"));
        EXPECT_EQ("", setting.GetXMLConfLangItemVal("en", 10001, "Setup"));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        // Readers never touch the file.
        EXPECT_TRUE(Conf() == c.second);
        EXPECT_FALSE(ConfExists() && access("veltoscconf.xml.bad", F_OK) == 0);
    }
}

TEST_F(SettingsTest, FirstWriteKeepsAnUnloadableFileAside) {
    std::string damaged = ShippedFile().substr(0, 2000);
    PutConf(damaged);
    CTestSetting setting;
    testing::internal::CaptureStdout();
    setting.InitConfigFile();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos,
              out.find("Kept unloadable veltoscconf.xml as veltoscconf.xml.bad\n"));

    EXPECT_EQ(damaged, ReadFile("veltoscconf.xml.bad"));
    // The new file is complete: settings plus the built-in texts.
    EXPECT_EQ("true", setting.GetXMLConfSettingsItemVal("colorful", "?"));
    EXPECT_EQ("TV-uitgang", FileText("nl", 10008));
    EXPECT_FALSE(ConfExists() && access("veltoscconf.xml.tmp", F_OK) == 0);

    // A later damaged file replaces the earlier copy.
    PutConf("<Velto");
    EXPECT_TRUE(setting.SaveXMLSettingItem("colorful", false));
    EXPECT_EQ("<Velto", ReadFile("veltoscconf.xml.bad"));
    // A file that is merely missing leaves the kept copy alone.
    ASSERT_EQ(0, unlink("veltoscconf.xml"));
    EXPECT_TRUE(setting.SaveXMLSettingItem("colorful", false));
    EXPECT_EQ("<Velto", ReadFile("veltoscconf.xml.bad"));
    EXPECT_EQ("false", setting.GetXMLConfSettingsItemVal("colorful", "?"));
}

TEST_F(SettingsTest, InterruptedSaveLeavesTheOldOrTheNewFile) {
    std::string before = ShippedFile();
    PutConf(before);
    CTestSetting setting;
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();

    // Learn the new document and its size from one clean save.
    ASSERT_TRUE(setting.SaveXMLSettingItem("colorful", false));
    std::string after = Conf();
    ASSERT_NE(before, after);
    PutConf(before);

    std::vector<long long> cuts;
    for (long long n = 0; n < static_cast<long long>(after.size()); n += 97) {
        cuts.push_back(n);
    }
    cuts.push_back(static_cast<long long>(after.size()) - 1);
    for (long long cut : cuts) {
        SCOPED_TRACE(cut);
        board.SetWriteFault("veltoscconf.xml.tmp", cut, ENOSPC);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(setting.SaveXMLSettingItem("colorful", false));
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(0u, out.find("Error in veltoscconf.xml: ")) << out;
        board.ClearFaults();
        EXPECT_EQ(before, Conf());
        EXPECT_NE(0, access("veltoscconf.xml.tmp", F_OK));
    }
    // With room again the same save goes through whole.
    EXPECT_TRUE(setting.SaveXMLSettingItem("colorful", false));
    EXPECT_EQ(after, Conf());

    // A first file cut short is not there at all rather than half there.
    ASSERT_EQ(0, unlink("veltoscconf.xml"));
    board.SetWriteFault("veltoscconf.xml.tmp", 10, EIO);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(setting.SaveXMLSettingItem("colorful", true));
    testing::internal::GetCapturedStdout();
    board.ClearFaults();
    EXPECT_FALSE(ConfExists());
}

TEST_F(SettingsTest, SaveIntoAMissingDirectoryFails) {
    CVeltoXMLFile file("no/such/dir/conf.xml");
    EXPECT_FALSE(file.Load());
    file.NewDocument();
    file.Doc().InsertEndChild(file.Doc().NewElement("Velto"));
    EXPECT_FALSE(file.Save());
    EXPECT_NE(std::string::npos, file.ErrorText().find("no/such/dir/conf.xml.tmp"));

    CVeltoXMLFile here("conf.xml");
    here.NewDocument();
    here.Doc().InsertEndChild(here.Doc().NewElement("Velto"));
    ASSERT_TRUE(here.Save());
    EXPECT_EQ(0u, ReadFile("conf.xml").find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    ASSERT_TRUE(here.Load());
    EXPECT_STREQ("Velto", here.Doc().RootElement()->Name());
}

}  // namespace
