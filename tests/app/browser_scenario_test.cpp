// The media chooser and the thumbnail explorer in the whole program on a
// simulated board: veltosc runs in its own process on virtual time, the
// test puts pictures and recordings on the medium, sends keys and checks
// the page text, the arrows, the files left and the painted thumbnails.
#include <png.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "camera/color.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_avi.h"
#include "sim/sim_board_state.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "support/veltosc_process_test.h"

namespace {

struct Rgb {
    int r, g, b;
};

constexpr Rgb kRed{220, 30, 30};
constexpr Rgb kGreen{30, 200, 40};
constexpr Rgb kBlue{30, 40, 220};
constexpr Rgb kYellow{230, 220, 30};

// A frame of one colour in packed YUYV.
std::vector<unsigned char> SolidYuyv(int w, int h, Rgb c) {
    int y = (int)(0.299 * c.r + 0.587 * c.g + 0.114 * c.b);
    int u = (int)(128 - 0.169 * c.r - 0.331 * c.g + 0.5 * c.b);
    int v = (int)(128 + 0.5 * c.r - 0.419 * c.g - 0.081 * c.b);
    std::vector<unsigned char> f((size_t)w * h * 2);
    for (size_t i = 0; i < f.size(); i += 4) {
        f[i] = (unsigned char)y;
        f[i + 1] = (unsigned char)u;
        f[i + 2] = (unsigned char)y;
        f[i + 3] = (unsigned char)v;
    }
    return f;
}

bool WriteJpeg(const std::string& path, Rgb c) {
    std::vector<unsigned char> f = SolidYuyv(640, 480, c);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    int rc = encode_yuyv_frame_to_jpeg(file, f.data(), (long)f.size(), 640, 480, 90);
    return fclose(file) == 0 && rc == 0;
}

bool WriteAvi(const std::string& path, Rgb c) {
    avi_t* avi = AVI_open_output_file(path.c_str());
    if (!avi) {
        return false;
    }
    std::vector<unsigned char> f = SolidYuyv(320, 240, c);
    AVI_set_video(avi, 320, 240, 15, "YUY2");
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        ok = ok && AVI_write_frame(avi, (char*)f.data(), (long)f.size(), 1) == 0;
    }
    return AVI_close(avi) == 0 && ok;
}

std::string Slurp(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    std::string s;
    char buf[65536];
    size_t n;
    while (f && (n = fread(buf, 1, sizeof buf, f)) > 0) {
        s.append(buf, n);
    }
    if (f) {
        fclose(f);
    }
    return s;
}

void Spit(const std::string& path, const std::string& s) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f != nullptr) << path;
    fwrite(s.data(), 1, s.size(), f);
    fclose(f);
}

void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = (char)((v >> (8 * i)) & 0xFF);
    }
}

// A recording whose headers claim 65535 x 65535 pixels.
void WriteHugeAvi(const std::string& path) {
    ASSERT_TRUE(WriteAvi(path, kGreen));
    std::string s = Slurp(path);
    size_t avih = s.find("avih"), strf = s.find("strf");
    ASSERT_NE(avih, std::string::npos);
    ASSERT_NE(strf, std::string::npos);
    Put32(s, avih + 8 + 32, 65535);
    Put32(s, avih + 8 + 36, 65535);
    Put32(s, strf + 8 + 4, 65535);
    Put32(s, strf + 8 + 8, 65535);
    Spit(path, s);
}

// A recording whose index sends the frames after the first beyond the end
// of the file (a wrong first entry would have the index rebuilt by a scan).
void WriteBadIndexAvi(const std::string& path) {
    ASSERT_TRUE(WriteAvi(path, kGreen));
    std::string s = Slurp(path);
    size_t idx = s.rfind("idx1");
    ASSERT_NE(idx, std::string::npos);
    for (size_t e = idx + 8 + 16; e + 16 <= s.size(); e += 16) {
        Put32(s, e + 8, 0x7FFFFF00u);
    }
    Spit(path, s);
}

class BrowserScenarioTest : public CVeltoscProcessTest {
protected:
    void SetUp() override {
        CVeltoscProcessTest::SetUp();
        m_nStepMs = 100;
        m_strNand = HostPath("/media/nand");
        ASSERT_TRUE(initLut());
    }

    void TearDown() override {
        Stop();
        // The screens and the program's log stay where a person can look.
        std::string keep = std::string(VELTO_BIN_DIR) + "/../test-screens/browser-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
        VeltoSim::MakeDirs(keep);
        EXPECT_EQ(0, system(("cp '" + m_strRunDir + "'/*.png '" + m_strRunDir + "/veltosc.log' '" +
                             keep + "' 2>/dev/null; true")
                                .c_str()));
        CVeltoscProcessTest::TearDown();
    }

    // veltosc up and the camera's picture on screen.
    void StartWithLiveView() {
        Start();
        ASSERT_TRUE(Until([&] { return Visible("VeltoRecMode") && LiveView(); }, 8000))
            << "no live view";
    }

    // The explorer's "n / N" text, empty when none is up.
    std::string PageText() {
        for (const std::string& l : Lines(" / ")) {
            size_t a = l.find("STATIC '");
            if (a != std::string::npos && l.find(" visible") != std::string::npos) {
                size_t b = l.find('\'', a + 8);
                return l.substr(a + 8, b - a - 8);
            }
        }
        return "";
    }

    bool PageIs(const std::string& text) {
        return Until([&] { return PageText() == text; }, 1500);
    }

    // Left and right arrow shown, as "LR", "L-", "-R" or "--".
    std::string Arrows() {
        std::vector<std::pair<int, bool>> a;
        for (const std::string& l : Lines("VeltoArrow")) {
            int x = 0;
            sscanf(l.c_str() + l.find("' ") + 2, "%d", &x);
            a.push_back({x, l.find(" visible") != std::string::npos});
        }
        std::sort(a.begin(), a.end());
        if (a.size() != 2) {
            return "?";
        }
        return std::string(a[0].second ? "L" : "-") + (a[1].second ? "R" : "-");
    }

    // The grid's screen rectangle from the window tree.
    bool Grid(int& x, int& y, int& w, int& h) {
        std::vector<std::string> l = Lines("Velto2LineExplorer");
        return !l.empty() &&
               sscanf(l[0].c_str() + l[0].find("' ") + 2, "%d %d %d %d", &x, &y, &w, &h) == 4;
    }

    // The colour in the middle of each of the grid's six cells.
    std::vector<Rgb> CellColours(const std::string& shotName) {
        Advance(200);  // what is due to be painted is painted
        std::vector<Rgb> out;
        int gx, gy, gw, gh;
        png_image img;
        std::vector<uint8_t> px;
        if (!Grid(gx, gy, gw, gh) || (px = Screenshot(shotName, img)).empty()) {
            return out;
        }
        for (int i = 0; i < 6; ++i) {
            int cx = gx + (i % 3) * (gw / 3) + gw / 6;
            int cy = gy + (i / 3) * (gh / 2) + gh / 4;
            const uint8_t* p = &px[((size_t)cy * img.width + cx) * 3];
            out.push_back(Rgb{p[0], p[1], p[2]});
        }
        return out;
    }

    static bool Near(Rgb a, Rgb b) {
        return abs(a.r - b.r) < 48 && abs(a.g - b.g) < 48 && abs(a.b - b.b) < 48;
    }

    // Cells painted with the expected colours (null: an empty cell, which
    // shows none of the pictures' colours).
    ::testing::AssertionResult CellsShow(const std::string& shot,
                                         std::initializer_list<const Rgb*> want) {
        std::vector<Rgb> got = CellColours(shot);
        if (got.size() != 6) {
            return ::testing::AssertionFailure() << "no screenshot of the grid";
        }
        int i = 0;
        for (const Rgb* w : want) {
            Rgb g = got[i];
            bool ok =
                w ? Near(g, *w)
                  : !Near(g, kRed) && !Near(g, kGreen) && !Near(g, kBlue) && !Near(g, kYellow);
            if (!ok) {
                return ::testing::AssertionFailure()
                       << "cell " << i << " shows " << g.r << "," << g.g << "," << g.b;
            }
            ++i;
        }
        return ::testing::AssertionSuccess();
    }

    // Whether the chooser's video button is the selected one: the selected
    // picture is dark inside its border, the other light.
    bool VideoButtonSelected(const std::string& shot) {
        std::vector<std::pair<int, int>> corners;
        for (const std::string& l : Lines("STATIC 'cs'")) {
            int x, y, w, h;
            if (l.find(" visible") != std::string::npos &&
                sscanf(l.c_str() + l.find("' ") + 2, "%d %d %d %d", &x, &y, &w, &h) == 4 &&
                w > 60) {
                corners.push_back({x + 12, y + 12});
            }
        }
        png_image img;
        std::vector<uint8_t> px = Screenshot(shot, img);
        if (corners.size() != 2 || px.empty()) {
            ADD_FAILURE() << "no chooser buttons on screen";
            return false;
        }
        std::sort(corners.begin(), corners.end());  // photo left, video right
        auto light = [&](std::pair<int, int> at) {
            const uint8_t* p = &px[((size_t)at.second * img.width + at.first) * 3];
            return p[0] + p[1] + p[2] > 3 * 128;
        };
        EXPECT_NE(light(corners[0]), light(corners[1])) << "one button selected";
        return !light(corners[1]);
    }

    // F4 and the chooser up.
    void OpenChooser() {
        Key("F4");
        ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 3000)) << Ask("ui");
        EXPECT_TRUE(Visible("STATIC 'Media'"));
        Advance(200);
        png_image img;
        Screenshot("chooser", img);
    }

    // Enter on the chooser, and the explorer's listing shown.
    void OpenExplorer(const char* caption) {
        Key("ENTER");
        ASSERT_TRUE(Until([&] { return ModalText() == "MediaExp"; }, 2000)) << Ask("ui");
        ASSERT_TRUE(Until([&] { return Visible(std::string("STATIC '") + caption + "'"); }, 2000))
            << Ask("ui");
        // The listing comes up on the third tick of the explorer's 100 ms
        // timer; keys wait for it.
        Advance(500);
    }

    // Answers the delete question: Enter takes the preselected Yes.
    void Delete(bool yes) {
        Key("F2");
        ASSERT_TRUE(Until([&] { return Visible("STATIC 'Delete'"); }, 2000)) << Ask("ui");
        Advance(100);
        png_image img;
        Screenshot("delete", img);
        if (!yes) {
            Key("RIGHT");
        }
        Key("ENTER");
        ASSERT_TRUE(Until([&] { return !Visible("STATIC 'Delete'"); }, 2000));
    }

    // The no-files screen is up; F1 closes it and with it the explorer.
    void NoFilesBackToChooser() {
        ASSERT_TRUE(Until([&] { return ModalText() == "WarningBox"; }, 3000)) << Ask("ui");
        Advance(200);
        png_image img;
        Screenshot("nofiles", img);
        Key("F1");
        // The screen lingers a few seconds in real time after it was ended.
        ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 8000)) << Ask("ui");
    }

    int Files(const std::string& dir) {
        std::string cmd = "ls -1 '" + dir + "' | wc -l";
        FILE* p = popen(cmd.c_str(), "r");
        int n = -1;
        if (p && fscanf(p, "%d", &n) != 1) {
            n = -1;
        }
        if (p) {
            pclose(p);
        }
        return n;
    }

    std::string Photo(int i) {
        char name[32];
        snprintf(name, sizeof name, "/%08X.jpg", 0x5F000000 + i);
        return m_strNand + name;
    }

    std::string m_strNand;
};

// Seven photos and a recording: the chooser's two kinds, pages newest first,
// the arrows, and moves that wrap across pages.
TEST_F(BrowserScenarioTest, ChooserKindsPagesAndWrappingMoves) {
    const Rgb* colours[] = {&kRed, &kGreen, &kBlue, &kYellow};
    for (int i = 1; i <= 7; ++i) {
        ASSERT_TRUE(WriteJpeg(Photo(i), *colours[i % 4]));
    }
    ASSERT_TRUE(WriteAvi(m_strNand + "/20260101120000.avi", kBlue));
    StartWithLiveView();
    OpenChooser();

    // Photos first; Right picks the videos: only the recording is listed.
    EXPECT_FALSE(VideoButtonSelected("chooser-photo"));
    Key("RIGHT");
    Advance(100);
    EXPECT_TRUE(VideoButtonSelected("chooser-video"));
    OpenExplorer("Video");
    EXPECT_TRUE(PageIs("1 / 1"));
    EXPECT_EQ(Arrows(), "--");
    EXPECT_TRUE(CellsShow("video", {&kBlue, nullptr}));
    Key("F1");
    ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 2000));
    Advance(200);
    EXPECT_TRUE(VideoButtonSelected("chooser-back")) << "the chooser is drawn again";

    // Left back to photos: the last page, holding the seventh alone.
    Key("LEFT");
    OpenExplorer("Photo");
    EXPECT_TRUE(PageIs("7 / 7"));
    EXPECT_EQ(Arrows(), "L-");
    EXPECT_TRUE(CellsShow("photo-page1", {colours[7 % 4], nullptr}));

    Key("LEFT");  // item 0: the previous page's last item
    EXPECT_TRUE(PageIs("6 / 7"));
    EXPECT_EQ(Arrows(), "-R");
    EXPECT_TRUE(CellsShow(
        "photo-page0", {colours[1], colours[2], colours[3], colours[0], colours[1], colours[2]}));
    Key("RIGHT");  // the page's last item: the next page
    EXPECT_TRUE(PageIs("7 / 7"));
    Key("RIGHT");  // the last page's last item: back to the first
    EXPECT_TRUE(PageIs("1 / 7"));
    Key("UP");  // top row of page 0 onto a last page of one
    EXPECT_TRUE(PageIs("7 / 7"));
    Key("DOWN");  // nothing below on the last page: page 0, same column
    EXPECT_TRUE(PageIs("1 / 7"));
    Key("DOWN");
    EXPECT_TRUE(PageIs("4 / 7"));
    Key("DOWN");  // bottom row onto the last page's only item
    EXPECT_TRUE(PageIs("7 / 7"));
    Key("RIGHT");
    Key("RIGHT");  // the selection moves while the thumbnails stay
    EXPECT_TRUE(PageIs("2 / 7"));
    EXPECT_TRUE(CellsShow("photo-page0-again", {colours[1], colours[2], colours[3], colours[0],
                                                colours[1], colours[2]}));

    // Enter shows the photo; back in the explorer the page is painted again.
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return ModalText() != "MediaExp"; }, 2000));
    Key("F1");
    ASSERT_TRUE(Until([&] { return ModalText() == "MediaExp"; }, 3000)) << Ask("ui");
    EXPECT_TRUE(CellsShow("photo-after-player", {colours[1], colours[2], colours[3], colours[0],
                                                 colours[1], colours[2]}));
    Key("F1");
    Key("F1");
    ASSERT_TRUE(Until([&] { return Visible("VeltoRecMode"); }, 4000)) << "no way back";
    EXPECT_TRUE(Running());
}

// Twelve files fill two pages; eight leave two on the last; the question
// before a delete, the selection after it, and the last delete.
TEST_F(BrowserScenarioTest, TwelveAndEightFilesAndDeleting) {
    for (int i = 1; i <= 12; ++i) {
        ASSERT_TRUE(WriteJpeg(Photo(i), kGreen));
    }
    StartWithLiveView();
    OpenChooser();
    OpenExplorer("Photo");
    EXPECT_TRUE(PageIs("7 / 12"));
    EXPECT_EQ(Arrows(), "L-");
    for (int i = 0; i < 5; ++i) {
        Key("RIGHT");
    }
    EXPECT_TRUE(PageIs("12 / 12"));
    Key("RIGHT");  // the sixth item of the last page wraps to page 0
    EXPECT_TRUE(PageIs("1 / 12"));
    EXPECT_EQ(Arrows(), "-R");
    Key("UP");  // a full last page: the same column, bottom row
    EXPECT_TRUE(PageIs("10 / 12"));

    // Four deleted from the end: eight are left.
    for (int i = 0; i < 3; ++i) {
        Key("RIGHT");
    }
    EXPECT_TRUE(PageIs("1 / 12"));  // wrapped once more
    Key("LEFT");
    EXPECT_TRUE(PageIs("12 / 12"));
    for (int left = 12; left > 8; --left) {
        Delete(true);
        EXPECT_TRUE(PageIs(std::to_string(left - 1) + " / " + std::to_string(left - 1)));
    }
    EXPECT_EQ(Files(m_strNand), 8);
    EXPECT_EQ(Arrows(), "L-");

    // No keeps the file.
    Delete(false);
    EXPECT_TRUE(PageIs("8 / 8"));
    EXPECT_EQ(Files(m_strNand), 8);

    // Eight: Left on item 0 of page 0 goes to page 1, item 1.
    Key("LEFT");
    Key("UP");  // top row of page 1: page 0, bottom row
    EXPECT_TRUE(PageIs("4 / 8"));
    Key("UP");
    EXPECT_TRUE(PageIs("1 / 8"));
    Key("LEFT");
    EXPECT_TRUE(PageIs("8 / 8"));
    Key("LEFT");
    Key("UP");  // page 1 item 0, top row: page 0 item 3
    EXPECT_TRUE(PageIs("4 / 8"));
    Key("UP");
    Key("RIGHT");
    Key("UP");  // column 1 of page 0 onto two items: item 1
    EXPECT_TRUE(PageIs("8 / 8"));
    Key("DOWN");  // nothing below: page 0, same column
    EXPECT_TRUE(PageIs("2 / 8"));

    // Deleting item 0 keeps the selection at the first item.
    Key("LEFT");
    EXPECT_TRUE(PageIs("1 / 8"));
    std::string first = Photo(1);
    Delete(true);
    EXPECT_TRUE(PageIs("1 / 7"));
    EXPECT_NE(access(first.c_str(), F_OK), 0) << "the first photo is still there";

    // The rest one by one; the last ends with the no-files screen.
    for (int left = 7; left > 1; --left) {
        Delete(true);
        ASSERT_TRUE(PageIs("1 / " + std::to_string(left - 1)));
    }
    Key("F2");
    ASSERT_TRUE(Until([&] { return Visible("STATIC 'Delete'"); }, 2000));
    Key("ENTER");
    NoFilesBackToChooser();
    EXPECT_EQ(Files(m_strNand), 0);
    EXPECT_TRUE(Running());
}

// Nothing to show: an empty medium, a card without its folder, no medium at
// all. Each time the no-files screen, and F1 goes back to the chooser.
TEST_F(BrowserScenarioTest, NoFilesAndNoMedium) {
    ASSERT_TRUE(WriteAvi(m_strNand + "/20260101120000.avi", kBlue));
    StartWithLiveView();
    OpenChooser();
    Key("ENTER");  // photos: none on the medium
    NoFilesBackToChooser();

    // With a card the card's DCIM folder is listed, not the medium.
    ASSERT_TRUE(VeltoSim::InsertSdCard(m_strRoot));
    Key("RIGHT");
    Key("ENTER");
    NoFilesBackToChooser();
    std::string dcim = HostPath("/media/sd-mmcblk0p1/DCIM");
    VeltoSim::MakeDirs(dcim);
    ASSERT_TRUE(WriteAvi(dcim + "/20260202120000.avi", kYellow));
    ASSERT_TRUE(WriteAvi(dcim + "/20260202130000.AVI", kRed));
    OpenExplorer("Video");
    EXPECT_TRUE(PageIs("1 / 2"));
    EXPECT_TRUE(CellsShow("card", {&kYellow, &kRed, nullptr}));
    Key("F1");
    ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 2000));

    // No card and no internal medium. The live view's tick may notice the
    // lost space first and say so over the chooser; F1 closes that notice.
    ASSERT_TRUE(VeltoSim::RemoveSdCard(m_strRoot));
    ASSERT_EQ(VeltoSim::Umount(m_strRoot, "/media/nand"), 0);
    Advance(600);
    if (ModalText() == "WarningBox") {
        Key("F1");
        ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 8000)) << Ask("ui");
    }
    Key("ENTER");
    NoFilesBackToChooser();
    Key("F1");
    ASSERT_TRUE(Until([&] { return ModalText() != "MediaNav"; }, 4000));
    EXPECT_TRUE(Running());
}

// Damaged files get an empty cell and can still be chosen; the good ones
// beside them are shown and the program goes on.
TEST_F(BrowserScenarioTest, DamagedFilesGiveEmptyCells) {
    ASSERT_TRUE(WriteAvi(m_strNand + "/20260101000001.avi", kBlue));
    WriteHugeAvi(m_strNand + "/20260101000002.avi");
    WriteBadIndexAvi(m_strNand + "/20260101000003.avi");
    WriteFile(m_strNand + "/20260101000004.avi", "");
    ASSERT_TRUE(WriteAvi(m_strNand + "/20260101000005.avi", kRed));
    ASSERT_TRUE(WriteJpeg(Photo(1), kYellow));
    ASSERT_TRUE(WriteJpeg(Photo(2), kBlue));
    Spit(Photo(2), Slurp(Photo(2)).substr(0, 300));
    ASSERT_TRUE(WriteJpeg(Photo(3), kGreen));
    StartWithLiveView();
    OpenChooser();
    Key("RIGHT");
    OpenExplorer("Video");
    EXPECT_TRUE(PageIs("1 / 5"));
    EXPECT_TRUE(CellsShow("damaged-videos", {&kBlue, nullptr, nullptr, nullptr, &kRed, nullptr}));

    // Each damaged recording opened in the player and closed again.
    for (int i = 2; i <= 4; ++i) {
        Key("RIGHT");
        ASSERT_TRUE(PageIs(std::to_string(i) + " / 5"));
        Key("ENTER");
        Until([&] { return ModalText() != "MediaExp"; }, 1000);
        Key("F1");
        ASSERT_TRUE(Until([&] { return ModalText() == "MediaExp"; }, 4000)) << Ask("ui");
        ASSERT_TRUE(Running());
    }
    Key("F1");
    ASSERT_TRUE(Until([&] { return ModalText() == "MediaNav"; }, 2000));
    Key("LEFT");
    OpenExplorer("Photo");
    EXPECT_TRUE(PageIs("1 / 3"));
    EXPECT_TRUE(CellsShow("damaged-photos", {&kYellow, nullptr, &kGreen, nullptr}));
    EXPECT_TRUE(Running());
}

}  // namespace
