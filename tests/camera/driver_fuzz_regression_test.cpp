// Inputs the driver-answer fuzzers kept (tests/camera/capture_regressions,
// tests/camera/pxp_regressions), replayed through the same drivers: each must
// run clean, leaving no descriptor or mapping behind.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "fuzz/capture/capture_driver.h"
#include "fuzz/pxp/pxp_driver.h"
#include "sim/sim_board.h"
#include "tests/support/sim_test.h"

namespace {

std::vector<std::string> KeptInputs(const std::string& folder) {
    std::vector<std::string> files;
    std::string dir = std::string(VELTO_SOURCE_DIR) + "/tests/camera/" + folder;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.') {
                files.push_back(dir + "/" + e->d_name);
            }
        }
        closedir(d);
    }
    return files;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(f)) != EOF) {
            bytes.push_back(static_cast<uint8_t>(c));
        }
        fclose(f);
    }
    return bytes;
}

class DriverFuzzRegressionTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        CVeltoSimBoard::GetInstance().SetInstantSleeps(true);
    }
    void TearDown() override {
        CVeltoSimBoard::GetInstance().SetInstantSleeps(false);
        CVeltoSimBoardTest::TearDown();
    }
};

}  // namespace

TEST_F(DriverFuzzRegressionTest, KeptCaptureInputsRunClean) {
    for (const std::string& path : KeptInputs("capture_regressions")) {
        std::vector<uint8_t> input = ReadBytes(path);
        EXPECT_EQ(VeltoCaptureFuzzRun(input.data(), input.size()), "") << path;
    }
}

TEST_F(DriverFuzzRegressionTest, KeptPxpInputsRunClean) {
    std::vector<std::string> kept = KeptInputs("pxp_regressions");
    EXPECT_FALSE(kept.empty());
    for (const std::string& path : kept) {
        std::vector<uint8_t> input = ReadBytes(path);
        EXPECT_EQ(VeltoPxpFuzzRun(input.data(), input.size()), "") << path;
    }
}

// Scripts that are used up at once leave a healthy driver: the camera
// streams whole frames and every phase ends cleanly.
TEST_F(DriverFuzzRegressionTest, HealthyDriversRunClean) {
    const uint8_t resizeTwice[] = {0, 25, 2, 0, 0, 0, 1, 0, 0, 0, 0};
    long frames = 0;
    EXPECT_EQ(VeltoCaptureFuzzRun(resizeTwice, sizeof resizeTwice, &frames), "");
    EXPECT_GT(frames, 0);
    const uint8_t everyOp[] = {1, 0, 11, 0, 0, 0, 1, 0, 0, 2, 3, 0, 3, 5, 0, 4,  9, 9,
                               5, 9, 9,  6, 0, 0, 7, 1, 0, 8, 0, 0, 9, 7, 0, 10, 0, 0};
    EXPECT_EQ(VeltoPxpFuzzRun(everyOp, sizeof everyOp), "");
}
