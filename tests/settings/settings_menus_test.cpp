// The setup and advanced menus and the TV-out screen, driven by keys and
// virtual time: which screen is up, its rows and selection, the file and the
// commands a TV standard writes, and the end of the program it causes.
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/velto_mwin_utils.h"

#include "browser/screen_script.h"
#include "browser/velto_UI_DlgMsgBox.h"
#include "settings/velto_UI_Dlg_AdvSetting.h"
#include "settings/velto_UI_Dlg_Color.h"
#include "settings/velto_UI_Dlg_Help.h"
#include "settings/velto_UI_Dlg_Language.h"
#include "settings/velto_UI_Dlg_Setting.h"
#include "settings/velto_UI_Dlg_TVout.h"
#include "sim/sim_board_state.h"
#include "support/ui_screen_test.h"

// The program's exit: a test ends its forked copy with a code it knows.
void sig_int_handler(int) {
    _exit(42);
}

namespace {

class SettingsMenusTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
        WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=lq035\n");
    }

    static CVeltoUIDialog* Screen() {
        return reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(GetActiveWindow(), 8));
    }
    static std::string Caption() {
        CVeltoUIDialog* d = Screen();
        return d ? d->m_strCaptName : "";
    }
    static HWND List() {
        CVeltoUIDialog* d = Screen();
        if (auto* s = dynamic_cast<CVeltoUIDlgSetting*>(d)) {
            return s->m_hListMenu;
        }
        if (auto* a = dynamic_cast<CVeltoUIDlgAdvSetting*>(d)) {
            return a->m_hListMenu;
        }
        if (auto* t = dynamic_cast<CVeltoUIDlgTVout*>(d)) {
            return t->m_hListMenu;
        }
        if (auto* l = dynamic_cast<CVeltoUIDlgLanguage*>(d)) {
            return l->m_hListMenu;
        }
        return nullptr;
    }
    // The rows of the list on top, the selected one in brackets.
    static std::string Rows() {
        HWND list = List();
        if (!list) {
            return "";
        }
        int n = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
        int sel = (int)SendMessage(list, LB_GETCURSEL, 0, 0);
        std::string out;
        for (int i = 0; i < n; ++i) {
            char buf[128] = "";
            SendMessage(list, LB_GETTEXT, i, (LPARAM)buf);
            out += (i ? "|" : "") + std::string(i == sel ? "[" : "") + buf + (i == sel ? "]" : "");
        }
        return out;
    }
    static std::string Question() {
        auto* box = dynamic_cast<CVeltoUIDlgMsgBox*>(Screen());
        return box ? box->m_strCaptName + ": " + box->m_sText : "";
    }
    int RunSetup() {
        CVeltoUIDlgSetting* dlg = CVeltoUIDlgSetting::CreateNew(MwGetInstance(), m_hMain);
        int r = dlg->DoModel();
        delete dlg;
        return r;
    }
    int RunTVout() {
        CVeltoUIDlgTVout* dlg = CVeltoUIDlgTVout::CreateNew(MwGetInstance(), m_hMain);
        int r = dlg->DoModel();
        delete dlg;
        return r;
    }
    std::string Panel() { return ReadFile(HostPath("/etc/lcdparams")); }

    HWND m_hMain = nullptr;
};

TEST_F(SettingsMenusTest, SetupAndAdvancedMenusWrapOpenAndReturn) {
    std::vector<std::string> seen;
    auto look = [&] { seen.push_back(Caption() + " " + Rows()); };
    CScreenScript script;
    script.At(100, look)
        .Key(200, VK_UP)
        .At(250, look)
        .Key(300, VK_DOWN)
        .At(350, look)
        .Key(400, VK_DOWN)
        .Key(450, VK_F2)  // ignored
        .At(500, look)
        .Key(600, VK_UP)
        .Key(700, VK_RETURN)  // advanced
        .At(800, look)
        .Key(900, VK_UP)
        .At(950, look)
        .Key(1000, VK_DOWN)
        .At(1050, look)
        .Key(1100, VK_UP)
        .Key(1200, VK_RETURN)  // TV out
        .At(1300, look)
        .Key(1400, VK_UP)
        .At(1450, look)
        .Key(1500, VK_DOWN)
        .Key(1550, VK_LEFT)  // ignored here
        .At(1600, look)
        .Key(1700, VK_F1)
        .At(1800, look)
        .Key(1900, VK_F1)
        .At(2000, look)
        .Key(2100, VK_F1);
    EXPECT_EQ(1, RunSetup());
    const char* setup = "Advanced Settings|Color or Black/White|Format Media|Help";
    std::vector<std::string> want = {
        "Setup [Advanced Settings]|Color or Black/White|Format Media|Help",
        "Setup Advanced Settings|Color or Black/White|Format Media|[Help]",
        "Setup [Advanced Settings]|Color or Black/White|Format Media|Help",
        "Setup Advanced Settings|[Color or Black/White]|Format Media|Help",
        "Advanced Settings [Date and Time]|Language|TV out",
        "Advanced Settings Date and Time|Language|[TV out]",
        "Advanced Settings [Date and Time]|Language|TV out",
        "TV out [NTSC]|PAL",
        "TV out NTSC|[PAL]",
        "TV out [NTSC]|PAL",
        "Advanced Settings Date and Time|Language|[TV out]",
        "Setup [Advanced Settings]|Color or Black/White|Format Media|Help",
    };
    EXPECT_EQ(want, seen) << setup;
    EXPECT_EQ("lcd_panel=lq035\n", Panel());
    EXPECT_EQ("", Commands());
    EXPECT_TRUE(IsWindowEnabled(m_hMain));
}

TEST_F(SettingsMenusTest, MenusShowIconsAndTextsOnWhiteAtBothScreenSizes) {
    for (int big = 0; big < 2; ++big) {
        if (big) {
            Reopen(720, 576);
            m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 720, 576, false);
        }
        std::string size = big ? "720x576" : "320x240";
        int w = big ? 720 : 320, h = big ? 576 : 240;
        int iconPixels = 0;
        COLORREF caption = 0, frame = 0;
        CScreenScript script;
        script
            .At(100,
                [&] {
                    SaveScreen("setup_" + size);
                    caption = Ui(4, 4);
                    frame = Ui(w - 4, h - 4);
                    // The icon column of the four rows is drawn.
                    RECT icons{0, h / 6, w / 4, h};
                    iconPixels = CountNot(icons, 0xFFFFFFu);
                })
            .Key(200, VK_RETURN)
            .Key(300, VK_UP)
            .Key(400, VK_RETURN)
            .At(500, [&] { SaveScreen("tvout_" + size); })
            .Key(600, VK_F1)
            .Key(700, VK_F1)
            .Key(800, VK_F1);
        EXPECT_EQ(1, RunSetup());
        EXPECT_EQ(0xFFFFFFu, frame & 0xFFFFFFu) << size;
        EXPECT_NE(caption & 0xFFFFFFu, 0xFFFFFFu) << size;
        EXPECT_GT(iconPixels, w * h / 100) << size;
    }
}

// The icon column of every row of the list on top, as the screen shows it.
struct CIconColumn {
    int rowHeight = 0;
    int selected = -1;
    std::vector<std::vector<COLORREF>> rows;
};

static std::vector<COLORREF> Grab(int left, int top, int w, int h) {
    std::vector<COLORREF> px;
    for (int y = top; y < top + h; ++y) {
        for (int x = left; x < left + w; ++x) {
            px.push_back(MwGetScreenPixel(x, y) & 0xFFFFFFu);
        }
    }
    return px;
}

// The row's icon spans the row's height from the list's left edge; the text
// starts beyond it.
static CIconColumn GrabIcons(HWND list) {
    CIconColumn c;
    if (!list) {
        return c;
    }
    c.rowHeight = (int)SendMessage(list, LB_GETITEMHEIGHT, 0, 0);
    c.selected = (int)SendMessage(list, LB_GETCURSEL, 0, 0);
    POINT o{0, 0};
    ClientToScreen(list, &o);
    int n = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        c.rows.push_back(Grab(o.x, o.y + i * c.rowHeight, c.rowHeight + 4, c.rowHeight));
    }
    return c;
}

// How an icon file looks in an icon list row of that height, selected or not:
// one row of a list of its own holding only that icon.
static std::vector<COLORREF> Reference(const std::string& file, int rowHeight, bool selected) {
    PSD icon = Velto::LoadImage(file);
    LISTBOXITEMINFO item{0, const_cast<char*>(""), 0, icon};
    HWND list = CreateWindowEx(0, "LISTBOX", "ref", WS_VISIBLE | LBS_USEICON, 0, 0, rowHeight * 3,
                               rowHeight, nullptr, nullptr, MwGetInstance(), nullptr);
    SendMessage(list, LB_ADDSTRING, 0, (LPARAM)&item);
    SendMessage(list, LB_SETITEMHEIGHT, 0, rowHeight);
    SendMessage(list, LB_SETCURSEL, selected ? 0 : -1, 0);
    MwPumpMessages();
    std::vector<COLORREF> px = Grab(0, 0, rowHeight + 4, rowHeight);
    DestroyWindow(list);
    MwPumpMessages();
    Velto::UnloadImage(icon);
    return px;
}

static size_t Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    size_t n = a.size() == b.size() ? 0 : std::max(a.size(), b.size());
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        n += a[i] != b[i];
    }
    return n;
}

TEST_F(SettingsMenusTest, EachMenuRowDrawsItsOwnIconInOrder) {
    const std::vector<std::string> setupIcons = {"img/asetting.png", "img/color.png",
                                                 "img/format.png", "img/help.png"};
    const std::vector<std::string> advIcons = {"img/DateTime.png", "img/Language.png",
                                               "img/TVout.png"};
    std::vector<std::string> all = setupIcons;
    all.insert(all.end(), advIcons.begin(), advIcons.end());
    for (int big = 0; big < 2; ++big) {
        if (big) {
            Reopen(720, 576);
            m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 720, 576, false);
        }
        SCOPED_TRACE(big ? "720x576" : "320x240");
        CIconColumn setup, adv, setupSecond;
        CScreenScript script;
        script.At(100, [&] { setup = GrabIcons(List()); })
            .Key(150, VK_DOWN)
            .At(200, [&] { setupSecond = GrabIcons(List()); })
            .Key(250, VK_UP)
            .Key(300, VK_RETURN)
            .At(400, [&] { adv = GrabIcons(List()); })
            .Key(500, VK_F1)
            .Key(600, VK_F1);
        EXPECT_EQ(1, RunSetup());
        ASSERT_EQ(setupIcons.size(), setup.rows.size());
        ASSERT_EQ(setupIcons.size(), setupSecond.rows.size());
        ASSERT_EQ(advIcons.size(), adv.rows.size());
        ASSERT_GT(setup.rowHeight, 10);
        EXPECT_EQ(0, setup.selected);
        EXPECT_EQ(1, setupSecond.selected);

        // Each row matches its own icon exactly and no other of the menus'
        // icons, selected (highlighted) or not.
        auto check = [&](const CIconColumn& c, const std::vector<std::string>& want,
                         const char* menu) {
            for (size_t i = 0; i < want.size(); ++i) {
                bool sel = (int)i == c.selected;
                for (const std::string& file : all) {
                    size_t diff = Differing(Reference(file, c.rowHeight, sel), c.rows[i]);
                    if (file == want[i]) {
                        EXPECT_EQ(0u, diff) << menu << " row " << i << " is not " << file;
                    } else {
                        EXPECT_GT(diff, 20u) << menu << " row " << i << " looks like " << file;
                    }
                }
            }
        };
        check(setup, setupIcons, "setup");
        check(setupSecond, setupIcons, "setup, second row selected");
        check(adv, advIcons, "advanced");
    }
}

TEST_F(SettingsMenusTest, TVoutAsksForTheCableAndWritesNothingWithoutIt) {
    std::vector<std::string> seen;
    auto look = [&] { seen.push_back(Question() + "#" + Caption() + " " + Rows()); };
    CScreenScript script;
    script.Key(100, VK_DOWN)
        .Key(200, VK_RETURN)
        .At(300, look)
        .Key(400, VK_RIGHT)
        .Key(500, VK_RETURN)  // No
        .At(600, look)
        .Key(700, VK_RETURN)
        .Key(800, VK_RETURN)  // Yes, but no cable
        .At(900, look)
        .Key(1000, VK_RETURN)
        .At(1100, look)
        .Key(1200, VK_F1);
    EXPECT_EQ(2, RunTVout());
    std::vector<std::string> want = {
        "Check TV out wire: Plug in the TV out wire#Check TV out wire ",
        "#TV out NTSC|[PAL]",
        "Check TV out wire: No wire found, check it please.#Check TV out wire ",
        "#TV out NTSC|[PAL]",
    };
    EXPECT_EQ(want, seen);
    EXPECT_EQ("lcd_panel=lq035\n", Panel());
    EXPECT_EQ(std::string::npos, Commands().find("lcdparams"));
}

TEST_F(SettingsMenusTest, AChosenStandardIsWrittenAndEndsTheProgram) {
    ASSERT_TRUE(VeltoSim::SetTvCable(Root(), true));
    ASSERT_EXIT(
        {
            CScreenScript script;
            script.Key(100, VK_DOWN).Key(200, VK_RETURN).Key(300, VK_RETURN);
            RunTVout();
            _exit(1);  // the screen returned
        },
        ::testing::ExitedWithCode(42), "");
    EXPECT_EQ("lcd_panel=tvenc_pal\n", Panel());
    EXPECT_NE(std::string::npos, Commands().find("echo lcd_panel=tvenc_pal > /etc/lcdparams"))
        << Commands();

    // NTSC the same way; IDCANCEL leaves with 1 and writes nothing.
    ASSERT_EXIT(
        {
            CScreenScript script;
            script.Key(100, VK_RETURN).Key(200, VK_RETURN);
            RunTVout();
            _exit(1);
        },
        ::testing::ExitedWithCode(42), "");
    EXPECT_EQ("lcd_panel=tvenc_ntsc\n", Panel());
    CScreenScript script;
    script.At(100, [] { SendMessage(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(1, RunTVout());
    EXPECT_EQ("lcd_panel=tvenc_ntsc\n", Panel());
}

TEST_F(SettingsMenusTest, LanguageChangesEveryCaptionOnTheWayBackAndIsStored) {
    std::vector<std::string> seen;
    auto look = [&] { seen.push_back(Caption() + " " + Rows()); };
    std::string captionAtOnce;
    CScreenScript script;
    script
        .Key(100, VK_RETURN)  // advanced
        .Key(200, VK_DOWN)
        .Key(300, VK_RETURN)  // language
        .At(400, look)
        .Key(500, VK_UP)
        .At(550, look)
        .Key(600, VK_LEFT)
        .Key(650, VK_RIGHT)
        .Key(700, VK_DOWN)
        .At(750, look)
        .Key(800, VK_F1)  // leaves English
        .At(900, look)
        .Key(1000, VK_RETURN)
        .Key(1100, VK_UP)
        .Key(1200, VK_UP)
        .At(1250,
            [&] {
                // Store the choice without leaving, as Enter does first.
                dynamic_cast<CVeltoUIDlgLanguage*>(Screen())->SaveSelectedLanguage();
                captionAtOnce = Caption();
            })
        .Key(1300, VK_RETURN)
        .At(1400, look)
        .Key(1500, VK_F1)
        .At(1600, look)
        .Key(1700, VK_F1);
    EXPECT_EQ(1, RunSetup());
    std::vector<std::string> want = {
        "Language [English]|Español|Français|Deutsch|Nederlands",
        "Language English|Español|Français|Deutsch|[Nederlands]",
        "Language [English]|Español|Français|Deutsch|Nederlands",
        "Advanced Settings Date and Time|[Language]|TV out",
        "Erweiterte Einstellungen Datum und Uhrzeit|[Sprache]|TV-Ausgang",
        "Konfiguration [Erweiterte Einstellungen]|Farbe oder Schwarzweiß|Speicher "
        "formatieren|Hilfe",
    };
    EXPECT_EQ(want, seen);
    EXPECT_EQ("Sprache", captionAtOnce);
    EXPECT_EQ(3, CVeltoSCSetting::GetInstance().GetLanguage());
    EXPECT_NE(std::string::npos,
              ReadFile(m_strRunDir + "/veltoscconf.xml").find("name=\"language\" value=\"de\""));

    // Opening again highlights the stored language.
    std::string rows;
    CScreenScript again;
    again.At(100, [&] { rows = Rows(); }).Key(200, VK_F1);
    CVeltoUIDlgLanguage* dlg = CVeltoUIDlgLanguage::CreateNew(MwGetInstance(), m_hMain);
    EXPECT_EQ(2, dlg->DoModel());
    delete dlg;
    EXPECT_EQ("English|Español|Français|[Deutsch]|Nederlands", rows);
    CVeltoSCSetting::GetInstance().SetLanguage(0);
}

TEST_F(SettingsMenusTest, ColourScreenSwapsPicturesAndStoresOnlyOnEnter) {
    ASSERT_TRUE(CVeltoSCSetting::GetInstance().GetColorful());
    std::vector<std::string> seen;
    auto look = [&] {
        auto* c = dynamic_cast<CVeltoUIDlgColor*>(Screen());
        if (!c) {
            seen.push_back("no colour screen: " + Caption());
            return;
        }
        PSD colour = (PSD)SendMessage(c->m_hColorRadio, STM_GETIMAGE, IMAGE_BITMAP, 0);
        PSD white = (PSD)SendMessage(c->m_hWhiteRadio, STM_GETIMAGE, IMAGE_BITMAP, 0);
        seen.push_back(Caption() + " " + Text(c->m_hColorText) +
                       (colour == c->m_pColorSelImg ? "*" : "") + " " + Text(c->m_hWhiteText) +
                       (white == c->m_pWhiteSelImg ? "*" : ""));
    };
    CScreenScript script;
    script.Key(100, VK_DOWN)
        .Key(200, VK_RETURN)
        .At(300, look)
        .At(310, [] { SaveScreen("colour_320x240"); })
        .Key(400, VK_RIGHT)
        .At(500, look)
        .Key(600, VK_F1)  // keeps colour
        .At(700,
            [&] {
                seen.push_back(CVeltoSCSetting::GetInstance().GetColorful() ? "colour" : "grey");
            })
        .Key(800, VK_RETURN)
        .At(900, look)
        .Key(1000, VK_LEFT)
        .Key(1100, VK_RETURN)  // stores monochrome
        .At(1200,
            [&] {
                seen.push_back(CVeltoSCSetting::GetInstance().GetColorful() ? "colour" : "grey");
            })
        .Key(1300, VK_RETURN)
        .At(1400, look)
        .Key(1500, VK_F1)
        .Key(1600, VK_F1);
    EXPECT_EQ(1, RunSetup());
    std::vector<std::string> want = {
        "Color or Black/White Color* Monochrome",
        "Color or Black/White Color Monochrome*",
        "colour",
        "Color or Black/White Color* Monochrome",
        "grey",
        "Color or Black/White Color Monochrome*",
    };
    EXPECT_EQ(want, seen);
    EXPECT_NE(std::string::npos,
              ReadFile(m_strRunDir + "/veltoscconf.xml").find("name=\"colorful\" value=\"false\""));
}

TEST_F(SettingsMenusTest, HelpShowsTheVersionAndTheReservedTextOnlyAfterAFiveSecondHold) {
    std::vector<std::string> seen;
    auto look = [&] {
        auto* help = dynamic_cast<CVeltoUIDlgHelp*>(Screen());
        if (!help) {
            seen.push_back("no help screen: " + Caption());
            return;
        }
        seen.push_back(Caption() + "|" + Text(help->m_pStaticDeviceName) + "|" +
                       Text(help->m_pStaticText) + "|" + Text(help->m_pStaticVersion) + "|" +
                       Text(help->m_pStaticReserved));
    };
    auto f3 = [](bool down) { return [down] { MwInjectKey(VK_F3, down); }; };
    CScreenScript script;
    script.Key(100, VK_UP)
        .Key(200, VK_RETURN)
        .At(300, look)
        .At(310, [] { SaveScreen("help_320x240"); })
        .At(400, f3(true))
        .At(4300, f3(false))  // released early
        .At(9500, look)
        .At(10000, f3(true))
        .At(10500, f3(true))  // the key repeats while held
        .At(14900, look)
        .At(15100, look)
        .At(15200, f3(false))  // the text stays after the hold
        .At(15300, look)
        .At(20200, look)  // and clears itself
        .Key(20300, VK_RETURN)
        .At(20400, [&] { seen.push_back(Caption()); })
        .Key(20500, VK_F1);
    EXPECT_EQ(1, RunSetup());
    const std::string base = "Help|QX720|Firmware Version|V03.08.00|";
    std::vector<std::string> want = {
        base, base,   base, base + "Velto Imaging Systems", base + "Velto Imaging Systems",
        base, "Setup"};
    EXPECT_EQ(want, seen);
}

}  // namespace
