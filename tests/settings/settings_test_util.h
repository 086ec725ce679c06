// Shared pieces of the settings tests: a private store per test and helpers
// to look at the configuration file the store writes.
#pragma once

#include <sys/stat.h>

#include <tinyxml2.h>

#include <string>
#include <vector>

#include "settings/velto_SC_setting.h"
#include "tests/support/sim_test.h"

// A fresh store for each test instead of the process-wide one.
class CTestSetting : public CVeltoSCSetting {
public:
    CTestSetting() = default;
    ~CTestSetting() = default;
};

class SettingsTest : public CVeltoSimBoardTest {
protected:
    static constexpr const char* kConf = "veltoscconf.xml";

    static std::string ShippedFile() {
        return ReadFile(std::string(VELTO_SOURCE_DIR) + "/assets/veltoscconf.xml");
    }
    static std::string Conf() { return ReadFile(kConf); }
    static void PutConf(const std::string& text) { WriteFile(kConf, text); }
    static bool ConfExists() {
        struct stat st;
        return stat(kConf, &st) == 0;
    }
    // Every save replaces the file by a rename, so a new inode means a save.
    static ino_t ConfInode() {
        struct stat st;
        return stat(kConf, &st) == 0 ? st.st_ino : 0;
    }
    // A configuration from settings lines and language lines.
    static std::string MakeConf(const std::string& settings, const std::string& languages) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Velto>\n<Item name=\"Settings\">" +
               settings + "</Item>\n<Item name=\"Languages\">" + languages + "</Item>\n</Velto>\n";
    }
    // Names of an element's attributes in document order.
    static std::vector<std::string> AttributeNames(const tinyxml2::XMLElement* p) {
        std::vector<std::string> names;
        for (const tinyxml2::XMLAttribute* a = p->FirstAttribute(); a != nullptr; a = a->Next()) {
            names.push_back(a->Name());
        }
        return names;
    }
    // "string" of text id of language name in the first Languages section.
    static std::string FileText(const std::string& name, int id) {
        tinyxml2::XMLDocument doc;
        std::string text = Conf();
        doc.Parse(text.data(), text.size());
        const tinyxml2::XMLElement* item = nullptr;
        for (item = doc.RootElement() ? doc.RootElement()->FirstChildElement("Item") : nullptr;
             item != nullptr && !item->Attribute("name", "Languages");
             item = item->NextSiblingElement("Item")) {
        }
        const tinyxml2::XMLElement* l = item ? item->FirstChildElement("Languages") : nullptr;
        while (l != nullptr && !l->Attribute("name", name.c_str())) {
            l = l->NextSiblingElement("Languages");
        }
        const tinyxml2::XMLElement* t = l ? l->FirstChildElement("StringTable") : nullptr;
        while (t != nullptr && t->IntAttribute("ID") != id) {
            t = t->NextSiblingElement("StringTable");
        }
        if (t == nullptr) {
            return l == nullptr ? "<no language>" : "<no text>";
        }
        return t->Attribute("string") ? t->Attribute("string") : "<no string>";
    }
};
