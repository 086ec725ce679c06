#include <tinyxml2.h>

#include <string>
#include <vector>

#include "settings/velto_SC_langtable.h"
#include "settings/velto_SC_setting.h"
#include "tests/settings/settings_test_util.h"

using tinyxml2::XMLElement;

namespace {

const std::vector<std::string> kBuiltinLanguages = {"en", "es", "fr", "de", "nl"};

TEST_F(SettingsTest, StartWithoutFileWritesSettingsThenBuiltinTexts) {
    CTestSetting setting;
    setting.InitConfigFile();

    std::string text = Conf();
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(tinyxml2::XML_SUCCESS, doc.Parse(text.data(), text.size()));
    XMLElement* root = doc.RootElement();
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ("Velto", root->Name());

    XMLElement* settings = root->FirstChildElement();
    ASSERT_NE(nullptr, settings);
    EXPECT_STREQ("Item", settings->Name());
    EXPECT_STREQ("Settings", settings->Attribute("name"));
    XMLElement* colorful = settings->FirstChildElement();
    ASSERT_NE(nullptr, colorful);
    EXPECT_EQ((std::vector<std::string>{"name", "value"}), AttributeNames(colorful));
    EXPECT_STREQ("colorful", colorful->Attribute("name"));
    EXPECT_STREQ("true", colorful->Attribute("value"));
    XMLElement* language = colorful->NextSiblingElement();
    ASSERT_NE(nullptr, language);
    EXPECT_STREQ("language", language->Attribute("name"));
    EXPECT_STREQ("en", language->Attribute("value"));
    EXPECT_EQ(nullptr, language->NextSiblingElement());

    XMLElement* languages = settings->NextSiblingElement();
    ASSERT_NE(nullptr, languages);
    EXPECT_STREQ("Languages", languages->Attribute("name"));
    EXPECT_EQ(nullptr, languages->NextSiblingElement());

    size_t count = 0;
    const Velto::BuiltinText* builtin = Velto::GetBuiltinTexts(&count);
    ASSERT_EQ(40u, count);
    size_t next = 0;
    XMLElement* entry = languages->FirstChildElement();
    for (const std::string& name : kBuiltinLanguages) {
        ASSERT_NE(nullptr, entry) << name;
        EXPECT_STREQ("Languages", entry->Name());
        // Only a name: such an entry is no known language.
        EXPECT_EQ((std::vector<std::string>{"name"}), AttributeNames(entry));
        EXPECT_EQ(name, entry->Attribute("name"));
        int id = 10001;
        for (XMLElement* t = entry->FirstChildElement(); t; t = t->NextSiblingElement(), ++id) {
            ASSERT_LT(next, count);
            EXPECT_STREQ("StringTable", t->Name());
            EXPECT_EQ((std::vector<std::string>{"ID", "string"}), AttributeNames(t));
            EXPECT_EQ(id, t->IntAttribute("ID"));
            EXPECT_STREQ(builtin[next].szText, t->Attribute("string"));
            ++next;
        }
        EXPECT_EQ(10009, id) << name;
        entry = entry->NextSiblingElement();
    }
    EXPECT_EQ(nullptr, entry);
    EXPECT_EQ(count, next);

    // No known language: every lookup by language yields nothing and writes nothing.
    LanguageList list;
    EXPECT_FALSE(setting.CopyLanguageList(list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(0, setting.GetLanguage());
    EXPECT_TRUE(setting.GetColorful());
    ino_t inode = ConfInode();
    EXPECT_EQ("", setting.GetXMLConfLangItemVal(10001, "Setup"));
    EXPECT_EQ("", setting.GetXMLConfLangItemVal(10009, "Yes"));
    EXPECT_EQ(inode, ConfInode());

    // A second start finds everything and saves nothing.
    CTestSetting again;
    again.InitConfigFile();
    EXPECT_EQ(inode, ConfInode());
    EXPECT_EQ(text, Conf());
}

TEST_F(SettingsTest, ShippedFileOffersFiveLanguagesWithEveryText) {
    std::string shipped = ShippedFile();
    ASSERT_FALSE(shipped.empty());
    PutConf(shipped);
    CTestSetting setting;
    setting.InitConfigFile();
    // Everything the start-up check asks for is already there.
    EXPECT_EQ(shipped, Conf());

    LanguageList list;
    ASSERT_TRUE(setting.CopyLanguageList(list));
    ASSERT_EQ(5u, list.size());
    const char* fullNames[] = {"English", "Español", "Français", "Deutsch", "Nederlands"};
    uint32_t id = 0;
    for (const auto& entry : list) {
        // The language screen selects the row whose index is the id.
        EXPECT_EQ(id, entry.first);
        EXPECT_EQ(id, entry.second->m_nID);
        EXPECT_EQ(kBuiltinLanguages[id], entry.second->m_strShortName);
        EXPECT_EQ(fullNames[id], entry.second->m_strFullName);
        ++id;
    }
    EXPECT_EQ(0, setting.GetLanguage());
    EXPECT_TRUE(setting.GetColorful());

    for (int lang = 0; lang < 5; ++lang) {
        for (int text = TEXT_ID_SETUP; text <= TEXT_ID_CHECK_TV_WIRE; ++text) {
            if (text == 10019) {
                continue;
            }
            std::string found = setting.GetXMLConfLangItemVal(lang, text, "<missing>");
            EXPECT_NE("<missing>", found) << lang << " " << text;
            EXPECT_FALSE(found.empty()) << lang << " " << text;
            if (lang == 0) {
                EXPECT_EQ(Velto::GetDefaultText(text), found) << text;
            }
        }
    }
    EXPECT_EQ(shipped, Conf());
}

TEST_F(SettingsTest, LanguageListTakesOnlyCompleteEntriesInIdOrder) {
    PutConf(MakeConf("<Settings name=\"language\" value=\"de\"/>",
                     "<Languages name=\"de\" fullname=\"Deutsch\" id=\"3\"/>"
                     "<Languages name=\"xx\" id=\"5\"/>"                      // no fullname
                     "<Languages name=\"neg\" fullname=\"Neg\" id=\"-1\"/>"   // negative
                     "<Languages name=\"abc\" fullname=\"Abc\" id=\"abc\"/>"  // not a number
                     "<Languages name=\"tail\" fullname=\"Tail\" id=\"7x\"/>"
                     "<Languages name=\"big\" fullname=\"Big\" id=\"99999999999\"/>"
                     "<Languages fullname=\"NoName\" id=\"8\"/>"
                     "<Languages name=\"en\" fullname=\"English\" id=\"0\"/>"
                     "<Languages name=\"dup\" fullname=\"Duplicate\" id=\"3\"/>"
                     "<Languages name=\"blank\" fullname=\"\" id=\"9\"/>"));
    CTestSetting setting;
    EXPECT_TRUE(setting.InitLanguageList());

    LanguageList list;
    list[42].reset(new LanguageType);  // the copy replaces what the caller held
    EXPECT_TRUE(setting.CopyLanguageList(list));
    std::vector<std::string> names;
    for (const auto& entry : list) {
        names.push_back(entry.second->m_strShortName);
    }
    // "blank" is known but not offered: it has no name to show.
    EXPECT_EQ((std::vector<std::string>{"en", "de"}), names);
    EXPECT_EQ("Deutsch", list[3]->m_strFullName);

    setting.CheckXMLConfFile();
    EXPECT_EQ(3, setting.GetLanguage());
    EXPECT_EQ("Konfiguration", setting.GetXMLConfLangItemVal(TEXT_ID_SETUP, "Setup"));
}

TEST_F(SettingsTest, UnlistedLanguageFallsBackToEnglish) {
    PutConf(MakeConf("<Settings name=\"language\" value=\"xx\"/>",
                     "<Languages name=\"en\" fullname=\"English\" id=\"0\"/>"
                     "<Languages name=\"fr\" fullname=\"Français\" id=\"1\"/>"));
    CTestSetting setting;
    setting.InitConfigFile();
    EXPECT_EQ(0, setting.GetLanguage());
    EXPECT_EQ("en", setting.GetXMLConfSettingsItemVal("language", "?"));
}

TEST_F(SettingsTest, OnlyExactTrueMeansColour) {
    struct Case {
        const char* settings;
        bool colorful;
    } cases[] = {
        {"<Settings name=\"colorful\" value=\"true\"/>", true},
        {"<Settings name=\"colorful\" value=\"false\"/>", false},
        {"<Settings name=\"colorful\" value=\"TRUE\"/>", false},
        {"<Settings name=\"colorful\" value=\"yes\"/>", false},
        {"<Settings name=\"colorful\" value=\"1\"/>", false},
        {"", true},
    };
    for (const Case& c : cases) {
        PutConf(MakeConf(c.settings, ""));
        CTestSetting setting;
        EXPECT_EQ(c.colorful, setting.GetColorful()) << c.settings;
        if (c.settings[0] == '\0') {
            EXPECT_EQ("true", setting.GetXMLConfSettingsItemVal("colorful", "?"));
        }
    }
}

TEST_F(SettingsTest, ColourChoiceFollowsTheFileAndIsSavedOnlyOnChange) {
    PutConf(ShippedFile());
    CTestSetting setting;
    setting.InitConfigFile();
    ino_t inode = ConfInode();
    setting.SetColorful(true);
    EXPECT_EQ(inode, ConfInode());

    setting.SetColorful(false);
    EXPECT_NE(inode, ConfInode());
    EXPECT_EQ("false", setting.GetXMLConfSettingsItemVal("colorful", "?"));
    EXPECT_FALSE(setting.GetColorful());

    // Changed behind the store's back: the next read reports the file's value.
    ASSERT_TRUE(setting.SaveXMLSettingItem("colorful", true));
    EXPECT_TRUE(setting.GetColorful());
    ASSERT_TRUE(setting.SaveXMLSettingItem("colorful", false));
    EXPECT_FALSE(setting.GetColorful());

    // The start-up check takes the cached choice from the file.
    PutConf(MakeConf("<Settings name=\"colorful\" value=\"false\"/>", ""));
    CTestSetting fresh;
    fresh.InitConfigFile();
    inode = ConfInode();
    fresh.SetColorful(false);
    EXPECT_EQ(inode, ConfInode());

    // A value that is not there keeps the cached choice and writes "true".
    PutConf(MakeConf("<Settings name=\"colorful\"/>", ""));
    EXPECT_FALSE(setting.GetColorful());
    EXPECT_EQ("true", setting.GetXMLConfSettingsItemVal("colorful", "?"));
}

TEST_F(SettingsTest, SettingWritersSaveOnlyChangesAndKeepTheirType) {
    PutConf(MakeConf("<Settings name=\"colorful\" value=\"true\"/>", ""));
    CTestSetting setting;
    ino_t inode = ConfInode();
    EXPECT_TRUE(setting.SaveXMLSettingItem("colorful", true));
    EXPECT_TRUE(setting.SaveXMLConfItemVal("Settings", "colorful", "true"));
    EXPECT_EQ(inode, ConfInode());

    EXPECT_TRUE(setting.SaveXMLSettingItem("count", -42));
    EXPECT_EQ("-42", setting.GetXMLConfSettingsItemVal("count", "?"));
    // A literal must be stored as text, not taken for a bool.
    EXPECT_TRUE(setting.SaveXMLSettingItem("language", "fr"));
    EXPECT_EQ("fr", setting.GetXMLConfSettingsItemVal("language", "?"));
    EXPECT_TRUE(setting.SaveXMLSettingItem("language", std::string("de")));
    EXPECT_EQ("de", setting.GetXMLConfSettingsItemVal("language", "?"));

    // A missing setting reads as the default and is stored at the section's end.
    EXPECT_EQ("dflt", setting.GetXMLConfSettingsItemVal("new", "dflt"));
    tinyxml2::XMLDocument doc;
    std::string text = Conf();
    ASSERT_EQ(tinyxml2::XML_SUCCESS, doc.Parse(text.data(), text.size()));
    XMLElement* last = doc.RootElement()->FirstChildElement("Item")->LastChildElement();
    ASSERT_NE(nullptr, last);
    EXPECT_STREQ("new", last->Attribute("name"));
    EXPECT_STREQ("dflt", last->Attribute("value"));
    // Values are escaped by the printer and survive a round trip.
    EXPECT_TRUE(setting.SaveXMLSettingItem("odd", std::string("a<b>&\"c'")));
    EXPECT_EQ("a<b>&\"c'", setting.GetXMLConfSettingsItemVal("odd", "?"));
}

TEST_F(SettingsTest, TextLookupWritesMissingTextsUnderTheCurrentLanguage) {
    PutConf(MakeConf("<Settings name=\"language\" value=\"en\"/>",
                     "<Languages name=\"en\" fullname=\"English\" id=\"0\">"
                     "<StringTable ID=\"10009\" string=\"Yes\"/></Languages>"
                     "<Languages name=\"nl\" fullname=\"Nederlands\" id=\"1\">"
                     "<StringTable ID=\"10009\" string=\"Ja\"/>"
                     "<StringTable ID=\"10010\"/></Languages>"));
    CTestSetting setting;
    setting.InitConfigFile();
    ASSERT_EQ(0, setting.GetLanguage());
    EXPECT_EQ("Yes", setting.GetXMLConfLangItemVal(TEXT_ID_YES, "Yes"));

    setting.SetLanguage(1);
    EXPECT_EQ(1, setting.GetLanguage());
    EXPECT_EQ("nl", setting.GetXMLConfSettingsItemVal("language", "?"));
    EXPECT_EQ("Ja", setting.GetXMLConfLangItemVal(TEXT_ID_YES, "Yes"));
    // Missing in Dutch: the English default is shown and stored under "nl".
    EXPECT_EQ("Media", setting.GetXMLConfLangItemVal(TEXT_ID_MEDIA, "Media"));
    EXPECT_EQ("Media", FileText("nl", TEXT_ID_MEDIA));
    EXPECT_EQ("<no text>", FileText("en", TEXT_ID_MEDIA));
    // An entry without "string" gets the default in place, not a second entry.
    EXPECT_EQ("No", setting.GetXMLConfLangItemVal(TEXT_ID_NO, "No"));
    ASSERT_NE(std::string::npos, Conf().find("ID=\"10010\""));
    EXPECT_EQ(Conf().find("ID=\"10010\""), Conf().rfind("ID=\"10010\""));
    EXPECT_EQ("No", FileText("nl", TEXT_ID_NO));

    // Unknown ids change nothing and show nothing.
    ino_t inode = ConfInode();
    setting.SetLanguage(7);
    setting.SetLanguage(-1);
    EXPECT_EQ(1, setting.GetLanguage());
    EXPECT_EQ("", setting.GetXMLConfLangItemVal(7, TEXT_ID_YES, "Yes"));
    EXPECT_EQ("", setting.GetXMLConfLangItemVal(-1, TEXT_ID_YES, "Yes"));
    EXPECT_EQ(inode, ConfInode());
    EXPECT_EQ("nl", setting.GetXMLConfSettingsItemVal("language", "?"));

    // Texts are UTF-8 as they stand.
    EXPECT_TRUE(setting.SaveXMLConfItemVal("Languages", "nl", TEXT_ID_NO, "Nee – ✓"));
    EXPECT_EQ("Nee – ✓", setting.GetXMLConfLangItemVal(TEXT_ID_NO, "No"));
}

TEST_F(SettingsTest, ReadsTakeTheLastSectionWritesTheFirst) {
    PutConf(
        "<Velto><Item name=\"Settings\"><Settings name=\"k\" value=\"first\"/></Item>"
        "<Item name=\"Settings\"><Settings name=\"k\" value=\"last\"/></Item></Velto>");
    CTestSetting setting;
    EXPECT_EQ("last", setting.GetXMLConfSettingsItemVal("k", "?"));
    EXPECT_TRUE(setting.SaveXMLConfItemVal("Settings", "k", "new"));
    EXPECT_EQ("last", setting.GetXMLConfSettingsItemVal("k", "?"));
    EXPECT_NE(std::string::npos, Conf().find("value=\"new\""));
    EXPECT_EQ(std::string::npos, Conf().find("value=\"first\""));

    // Section and entry names compare exactly.
    EXPECT_EQ("d", setting.GetXMLConfSettingsItemVal("K", "d"));
    EXPECT_EQ(nullptr, setting.GetXMLSubItemFirstChildElement(nullptr, "Settings", "k"));
}

TEST_F(SettingsTest, ForeignRootReadsEmptyButTakesWrites) {
    PutConf("<Other><Item name=\"Settings\"><Settings name=\"k\" value=\"v\"/></Item></Other>");
    CTestSetting setting;
    EXPECT_EQ("", setting.GetXMLConfSettingsItemVal("k", "d"));
    EXPECT_EQ("", setting.GetXMLConfLangItemVal("en", TEXT_ID_YES, "Yes"));
    EXPECT_TRUE(setting.SaveXMLConfItemVal("Settings", "k2", "v2"));
    std::string text = Conf();
    EXPECT_NE(std::string::npos, text.find("<Other>"));
    EXPECT_NE(std::string::npos, text.find("value=\"v2\""));
    EXPECT_EQ(std::string::npos, text.find("Velto"));
    EXPECT_FALSE(ConfExists() && ReadFile("veltoscconf.xml.bad").size() > 0);
}

}  // namespace

// The start-up check parses once and saves once; it must leave the same file
// as asking for every built-in text one lookup at a time, also on files
// where readers and writers look in different places.
TEST_F(SettingsTest, StartUpCheckEqualsOneLookupPerBuiltinText) {
    const std::string en = "<Languages name=\"en\" fullname=\"English\" id=\"0\">";
    const std::vector<std::string> files = {
        MakeConf("", ""),
        MakeConf("", en + "<StringTable ID=\"10001\"/><StringTable ID=\"10002\" string=\"S\"/>" +
                         "</Languages>"),
        // Two language sections: lookups read the last, writes go to the first.
        MakeConf("", en + "</Languages></Item><Item name=\"Languages\">" + en +
                         "<StringTable ID=\"10003\" string=\"x\"/></Languages>"),
        // A first root that is not the readers': writes land in it.
        "<Other/>\n<Velto><Item name=\"Languages\">" + en + "</Languages></Item></Velto>",
        "<Other><Item name=\"Languages\"/></Other>",
        // Duplicate and malformed ids.
        MakeConf("", en +
                         "<StringTable ID=\"+10004\" string=\"a\"/>"
                         "<StringTable ID=\"10004 \" string=\"b\"/></Languages>" +
                         en + "</Languages>"),
        ShippedFile(),
    };
    size_t count = 0;
    const Velto::BuiltinText* builtin = Velto::GetBuiltinTexts(&count);
    for (const std::string& file : files) {
        PutConf(file);
        CTestSetting checked;
        checked.InitConfigFile();
        const std::string once = Conf();
        const int language = checked.GetLanguage();

        PutConf(file);
        CTestSetting looked;
        looked.InitConfigFile();  // settings and language as the check leaves them
        PutConf(file);
        looked.GetColorful();
        if (looked.GetXMLConfSettingsItemVal("language", "en") != "en" && language == 0) {
            looked.SaveXMLSettingItem("language", "en");
        }
        for (size_t i = 0; i < count; ++i) {
            looked.GetXMLConfLangItemVal(builtin[i].szShortName, builtin[i].nTextID,
                                         builtin[i].szText);
        }
        EXPECT_EQ(Conf(), once) << file;

        // Nothing left to add: a second check does not save.
        ino_t inode = ConfInode();
        CTestSetting again;
        again.InitConfigFile();
        EXPECT_EQ(inode, ConfInode()) << file;
    }
}
