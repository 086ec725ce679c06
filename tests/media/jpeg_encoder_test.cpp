// Snapshots: every JPEG decodes with the JPEG tools to the full picture with
// the white time stamp where it belongs; failures come back as -1.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "camera/color.h"
#include "camera/utils.h"
#include "media/JPEG_Encoder.h"
#include "media_test_util.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

class JpegTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        ASSERT_TRUE(initLut());
    }
    void TearDown() override {
        freeLut();
        CVeltoSimBoardTest::TearDown();
    }

    // Decodes with djpeg into RGB; false when it does not decode.
    bool Decode(const std::string& path, int* w, int* h, std::vector<unsigned char>* rgb) {
        std::string ppm = m_strRunDir + "/out.ppm";
        int st = -1;
        RunCommand("djpeg -pnm -outfile " + ppm + " " + path + " 2>&1", &st);
        if (st != 0) {
            return false;
        }
        std::vector<char> b = ReadAll(ppm);
        int maxval = 0, used = 0;
        if (sscanf(b.data(), "P6 %d %d %d%n", w, h, &maxval, &used) != 3 || maxval != 255) {
            return false;
        }
        size_t start = size_t(used) + 1;
        rgb->assign(b.begin() + long(start), b.end());
        return rgb->size() == size_t(*w) * *h * 3;
    }
};

std::vector<unsigned char> GreyFrame(int w, int h) {
    return std::vector<unsigned char>(size_t(w) * h * 2, 128);
}

TEST_F(JpegTest, GreySnapshotDecodesWithTheStampInWhite) {
    if (!HaveTool("djpeg")) {
        GTEST_SKIP() << "djpeg not installed";
    }
    std::string path = m_strRunDir + "/snap.jpg";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> frame = GreyFrame(640, 480);
    // The stamp as drawn just before and just after: where both agree the
    // encoder drew the same, even if the second changed in between.
    std::vector<unsigned char> before(640 * 480 * 3, 0), after(640 * 480 * 3, 0);
    put_timestamp_to_rgb_matrix(before.data(), 640, 480);
    ASSERT_EQ(encode_yuv422_to_rgb_jpeg(f, frame.data(), 640, 480, 100), 0);
    put_timestamp_to_rgb_matrix(after.data(), 640, 480);
    fclose(f);

    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(Decode(path, &w, &h, &rgb));
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    auto px = [&](int x, int y) { return &rgb[(size_t(y) * w + x) * 3]; };
    // Grey away from the stamp.
    for (int y = 0; y < 420; y += 7) {
        for (int x = 0; x < 640; x += 7) {
            for (int c = 0; c < 3; c++) {
                ASSERT_NEAR(px(x, y)[c], 128, 2) << x << "," << y;
            }
        }
    }
    // Inside thick strokes of the glyphs the picture is white; the band
    // outside the text stays grey.
    int whiteCores = 0;
    for (int y = 434; y < 468; y++) {
        for (int x = 110; x < 562; x++) {
            bool core = true;
            for (int dy = -2; dy <= 2 && core; dy++) {
                for (int dx = -2; dx <= 2 && core; dx++) {
                    size_t at = (size_t(y + dy) * 640 + x + dx) * 3;
                    core = before[at] == 255 && after[at] == 255;
                }
            }
            if (core) {
                whiteCores++;
                EXPECT_GT(px(x, y)[0], 235) << x << "," << y;
                EXPECT_GT(px(x, y)[1], 235) << x << "," << y;
            }
        }
    }
    EXPECT_GT(whiteCores, 200);
    // Left of x 108 and right of x 564 the band stays grey.
    for (int x = 0; x < 70; x += 3) {
        EXPECT_NEAR(px(x, 450)[0], 128, 3);
        EXPECT_NEAR(px(639 - x, 450)[0], 128, 3);
    }
}

TEST_F(JpegTest, CameraFramesDecodeAtFullSize) {
    if (!HaveTool("djpeg")) {
        GTEST_SKIP() << "djpeg not installed";
    }
    std::vector<char> frame = MakeFrame(640, 480, 3);
    std::string path = m_strRunDir + "/noise.jpg";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(encode_yuyv_frame_to_jpeg(f, reinterpret_cast<unsigned char*>(frame.data()),
                                        long(frame.size()), 640, 480, 100),
              0);
    fclose(f);
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(Decode(path, &w, &h, &rgb));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    // Baseline JFIF as the library writes it by default.
    std::vector<char> b = ReadAll(path);
    ASSERT_GT(b.size(), 4u);
    EXPECT_EQ(memcmp(b.data(), "\xFF\xD8\xFF\xE0", 4), 0);
    EXPECT_NE(std::string(b.begin(), b.end()).find("\xFF\xC0"), std::string::npos);

    // The EXIF preview: a 160 x 120 JPEG file of its own that others read.
    if (!HaveTool("exiftool")) {
        ADD_FAILURE() << "exiftool missing (libimage-exiftool-perl)";
        return;
    }
    std::string thumb = m_strRunDir + "/thumb.jpg";
    int st = -1;
    RunCommand("exiftool -b -ThumbnailImage " + path + " > " + thumb, &st);
    ASSERT_EQ(st, 0);
    ASSERT_TRUE(Decode(thumb, &w, &h, &rgb));
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
}

// A stream whose writes fail after the first few KiB, as a full card does.
ssize_t FailingWrite(void* cookie, const char* buf, size_t size) {
    size_t* left = static_cast<size_t*>(cookie);
    if (*left == 0) {
        errno = ENOSPC;
        return -1;
    }
    size_t n = size < *left ? size : *left;
    *left -= n;
    return ssize_t(n);
}

TEST_F(JpegTest, WriteErrorAndBadFramesComeBackAsFailure) {
    size_t left = 8192;
    cookie_io_functions_t io = {nullptr, FailingWrite, nullptr, nullptr};
    FILE* f = fopencookie(&left, "w", io);
    ASSERT_NE(f, nullptr);
    setvbuf(f, nullptr, _IONBF, 0);
    std::vector<char> frame = MakeFrame(640, 480, 9);
    EXPECT_EQ(
        encode_yuv422_to_rgb_jpeg(f, reinterpret_cast<unsigned char*>(frame.data()), 640, 480, 100),
        -1);
    fclose(f);

    std::string path = m_strRunDir + "/short.jpg";
    FILE* g = fopen(path.c_str(), "wb");
    ASSERT_NE(g, nullptr);
    std::vector<unsigned char> shortFrame(640 * 240 * 2, 128);
    EXPECT_EQ(
        encode_yuyv_frame_to_jpeg(g, shortFrame.data(), long(shortFrame.size()), 640, 480, 100),
        -1);
    EXPECT_EQ(encode_yuv422_to_rgb_jpeg(g, nullptr, 640, 480, 100), -1);
    EXPECT_EQ(encode_yuv422_to_rgb_jpeg(g, shortFrame.data(), 0, 480, 100), -1);
    fclose(g);
    EXPECT_TRUE(ReadAll(path).empty());

    freeLut();
    FILE* h = fopen(path.c_str(), "wb");
    std::vector<unsigned char> grey = GreyFrame(64, 48);
    EXPECT_EQ(encode_yuv422_to_rgb_jpeg(h, grey.data(), 64, 48, 100), -1);
    fclose(h);
}

}  // namespace
