// The reader object the media player and the explorer use.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "media/velto_AVI_Reader.h"
#include "media/velto_avi.h"
#include "media_test_util.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

class AviReaderTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        avi_t* avi = AVI_open_output_file("five.avi");
        ASSERT_NE(avi, nullptr);
        ASSERT_EQ(AVI_set_video(avi, 16, 8, 12.5, "YUY2"), 0);
        for (int i = 0; i < 5; i++) {
            m_vFrames.push_back(MakeFrame(16, 8, uint32_t(i + 1)));
            ASSERT_EQ(AVI_write_frame(avi, m_vFrames[i].data(), 16 * 8 * 2, i), 0);
        }
        ASSERT_EQ(AVI_close(avi), 0);
    }
    std::vector<std::vector<char>> m_vFrames;
};

TEST_F(AviReaderTest, PropertiesAndSequentialReading) {
    std::unique_ptr<CVeltoAVIReader> r(CVeltoAVIReader::CreateNew("five.avi", Velto_PIX_FMT_RGB24));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetVideoFrames(), 5);
    EXPECT_EQ(r->GetTotalFrames(), 5);
    EXPECT_EQ(r->GetVideoWidth(), 16);
    EXPECT_EQ(r->GetVideoHeight(), 8);
    EXPECT_NEAR(r->GetVideoFrameRate(), 12.5, 1e-5);  // rate over a scale of 333,333
    EXPECT_STREQ(r->GetVideoCompressor(), "YUY2");
    EXPECT_EQ(r->GetVideoMaxChunk(), 256);
    EXPECT_EQ(r->GetFrameBufferSize(), 16 * 8 * 4);

    std::vector<char> buf(size_t(r->GetFrameBufferSize()));
    VeltoMediaType type = MEDIA_AUDIO;
    int key = -1;
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(r->GetCurrentFramePos(), i);
        ASSERT_EQ(r->ReadFrame(buf.data(), key, type), 256);
        EXPECT_EQ(memcmp(buf.data(), m_vFrames[i].data(), 256), 0);
        EXPECT_EQ(key, i == 0 ? 0 : 1);
    }
    EXPECT_EQ(type, MEDIA_AUDIO);  // not written
    EXPECT_EQ(r->ReadFrame(buf.data(), key), -1);
    r->ResetFrame();
    EXPECT_EQ(r->GetCurrentFramePos(), 0);
}

TEST_F(AviReaderTest, PositionsClampAndSingleReadsKeepThePosition) {
    std::unique_ptr<CVeltoAVIReader> r(CVeltoAVIReader::CreateNew("five.avi", Velto_PIX_FMT_NONE));
    ASSERT_NE(r, nullptr);
    std::vector<char> buf(256);
    EXPECT_EQ(r->SetFramePosition(-5), 0);
    EXPECT_EQ(r->GetCurrentFramePos(), 0);
    EXPECT_EQ(r->SetFramePosition(15), 0);
    EXPECT_EQ(r->GetCurrentFramePos(), 5);
    int key;
    EXPECT_EQ(r->ReadFrame(buf.data(), key), -1);

    ASSERT_EQ(r->SetFramePosition(1), 0);
    ASSERT_EQ(r->ReadOneFrame(buf.data(), 3), 256);
    EXPECT_EQ(memcmp(buf.data(), m_vFrames[3].data(), 256), 0);
    EXPECT_EQ(r->GetCurrentFramePos(), 1);
    EXPECT_EQ(r->ReadOneFrame(buf.data(), 9), -1);
    EXPECT_EQ(r->GetCurrentFramePos(), 1);
    // A buffer too small for the frame is refused, not overrun.
    std::vector<char> small(100, 'q');
    EXPECT_EQ(r->ReadFrame(small.data(), long(small.size()), key), -1);
    EXPECT_EQ(small, std::vector<char>(100, 'q'));
    EXPECT_EQ(r->GetCurrentFramePos(), 1);
}

TEST_F(AviReaderTest, FailedOpensLeaveAClosedOrTheOldFile) {
    CVeltoAVIReader r;
    EXPECT_FALSE(r.Open("", Velto_PIX_FMT_NONE));
    EXPECT_EQ(r.GetVideoFrames(), -1);
    EXPECT_EQ(r.GetVideoCompressor(), nullptr);
    char b[4];
    int key;
    EXPECT_EQ(r.ReadFrame(b, key), -1);
    EXPECT_EQ(r.ReadOneFrame(b, 0), -1);

    ASSERT_TRUE(r.Open("five.avi", Velto_PIX_FMT_NONE));
    EXPECT_FALSE(r.Open("", Velto_PIX_FMT_NONE));  // keeps the open file
    EXPECT_EQ(r.GetVideoFrames(), 5);
    WriteFile(m_strRunDir + "/text.avi", "this is not a video");
    EXPECT_EQ(CVeltoAVIReader::CreateNew("text.avi", Velto_PIX_FMT_NONE), nullptr);
    EXPECT_EQ(CVeltoAVIReader::CreateNew("missing.avi", Velto_PIX_FMT_NONE), nullptr);
    r.Close();
    r.Close();
    EXPECT_FALSE(r.IsOpen());
}

}  // namespace
