// splash on a simulated board whose program runs on the virtual clock: the
// goodbye picture fills the screen for exactly 1.5 s, keys are only printed,
// and the program ends with 0, with or without its picture.
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "tests/support/sim_program.h"
#include "tests/support/sim_test.h"

namespace {

const std::string kSplash = std::string(VELTO_BIN_DIR) + "/splash";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xAABBGGRR as libpng lays out RGBA
    uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x] & 0xFFFFFFu; }
};

bool ReadPng(const std::string& path, Picture& out) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    out.width = (int)image.width;
    out.height = (int)image.height;
    out.pixels.resize((size_t)out.width * out.height);
    return png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
}

class SplashTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        WriteFile(HostPath("/sim/virtual_clock"), "");
    }
    void TearDown() override {
        VeltoTest::KillGroup(m_nSplash);
        CVeltoSimBoardTest::TearDown();
    }
    void InstallPicture() {
        std::string bye = VeltoSim::ReadText(std::string(VELTO_BIN_DIR) + "/usr_velto_img/bye.png");
        ASSERT_FALSE(bye.empty());
        WriteFile(HostPath("/usr/velto/img/bye.png"), bye);
    }
    std::string Output() const { return ReadFile(m_strRunDir + "/splash.out"); }
    int Request(const std::string& request, std::string* reply = nullptr) {
        std::string r;
        int rc = VeltoSimControlRequest(VeltoSimControlSocketPath(m_strRunDir, "splash"), request,
                                        r, 3000);
        if (reply) {
            *reply = r;
        }
        return rc;
    }
    // Starts splash and waits until its screen is up.
    void Start() {
        m_nSplash = VeltoTest::StartProgram(kSplash, m_strRunDir + "/splash.out");
        ASSERT_GT(m_nSplash, 0);
        std::string tree;
        ASSERT_TRUE(VeltoTest::WaitUntil(
            [&] {
                return Request("ui", &tree) == 0 && tree.find("'WarningBox'") != std::string::npos;
            },
            10000))
            << Output();
        EXPECT_NE(tree.find("0 0 320 240 visible modal"), std::string::npos) << tree;
    }
    Picture Screenshot() {
        Picture shot;
        std::string file = m_strRunDir + "/shot.png";
        EXPECT_EQ(Request("screenshot " + file), 0);
        EXPECT_TRUE(ReadPng(file, shot));
        return shot;
    }
    // The program ends only at 1.5 s of its clock, with 0.
    void ExpectClosesAt1500Ms() {
        int status = 0;
        ASSERT_EQ(Request("advance 1499"), 0);
        EXPECT_FALSE(VeltoTest::WaitExit(m_nSplash, 300, &status)) << Output();
        ASSERT_EQ(Request("advance 1"), 0);
        ASSERT_TRUE(VeltoTest::WaitExit(m_nSplash, 5000, &status)) << Output();
        m_nSplash = -1;
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_NE(Output().find("CVeltoUIDlgWarning::DestoryDialog\n"), std::string::npos)
            << Output();
    }

    pid_t m_nSplash = -1;
};

}  // namespace

TEST_F(SplashTest, ThePictureFillsTheScreenFor1500MsAndKeysAreOnlyPrinted) {
    InstallPicture();
    Start();
    // The window is in the tree before its first paint.
    Picture shot;
    VeltoTest::WaitUntil(
        [&] {
            shot = Screenshot();
            return !shot.pixels.empty() && shot.At(160, 70) == 0xFFFFFFu;
        },
        3000);
    ASSERT_EQ(shot.width, 320);
    ASSERT_EQ(shot.height, 240);
    // The picture: white power sign on black.
    EXPECT_EQ(shot.At(5, 5), 0x000000u);
    EXPECT_EQ(shot.At(160, 70), 0xFFFFFFu);

    ASSERT_EQ(Request("key F1"), 0);
    ASSERT_EQ(Request("key ENTER"), 0);
    ASSERT_TRUE(VeltoTest::WaitUntil(
        [&] { return Output().find("Keyval:0xd\n") != std::string::npos; }, 2000))
        << Output();
    EXPECT_NE(Output().find("Keyval:0x70\n"), std::string::npos) << Output();
    ExpectClosesAt1500Ms();
}

TEST_F(SplashTest, WithoutThePictureTheScreenIsEmptyAndTheProgramStillEndsWithZero) {
    Start();
    Picture shot = Screenshot();
    ASSERT_FALSE(shot.pixels.empty());
    for (int y = 0; y < shot.height; y += 7) {
        for (int x = 0; x < shot.width; x += 7) {
            ASSERT_EQ(shot.At(x, y), shot.At(0, 0)) << x << "," << y;
        }
    }
    ExpectClosesAt1500Ms();
}
