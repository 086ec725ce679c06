// The AVI module: the layout it writes, byte for byte, and reading files
// back through every kind of index.
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "media/velto_avi.h"
#include "media_test_util.h"
#include "sim/sim_board.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

class AviTest : public CVeltoSimBoardTest {
protected:
    std::string Host(const char* name) const { return m_strRunDir + "/" + name; }

    // Writes frames of the given lengths (contents from MakeFrame) and
    // closes the file; returns the frames.
    std::vector<std::vector<char>> WriteFile(const char* name, const std::vector<long>& lengths,
                                             double fps = 25.0) {
        std::vector<std::vector<char>> frames;
        avi_t* avi = AVI_open_output_file(name);
        EXPECT_NE(avi, nullptr) << AVI_strerror();
        if (!avi) {
            return frames;
        }
        EXPECT_EQ(AVI_set_video(avi, 320, 240, fps, "YUY2"), 0);
        for (size_t i = 0; i < lengths.size(); i++) {
            std::vector<char> f = MakeFrame(1, 1, uint32_t(i + 1));
            f.resize(size_t(lengths[i]));
            for (size_t k = 0; k < f.size(); k++) {
                f[k] = char(k * 31 + i);
            }
            EXPECT_EQ(AVI_write_frame(avi, f.data(), lengths[i], int(i)), 0) << AVI_strerror();
            frames.push_back(f);
        }
        EXPECT_EQ(AVI_close(avi), 0) << AVI_strerror();
        return frames;
    }

    void ExpectReadsBack(const char* name, const std::vector<std::vector<char>>& frames,
                         int idxType) {
        avi_t* avi = AVI_open_input_file(name, 1);
        ASSERT_NE(avi, nullptr) << AVI_strerror();
        EXPECT_EQ(avi->idx_type, idxType);
        EXPECT_EQ(AVI_video_frames(avi), int(frames.size()));
        EXPECT_EQ(AVI_video_width(avi), 320);
        EXPECT_EQ(AVI_video_height(avi), 240);
        EXPECT_STREQ(AVI_video_compressor(avi), "YUY2");
        std::vector<char> buf(size_t(AVI_max_video_chunk(avi)) + 1);
        for (size_t i = 0; i < frames.size(); i++) {
            int key = -1;
            long n = AVI_read_frame(avi, buf.data(), &key);
            ASSERT_EQ(n, long(frames[i].size())) << "frame " << i;
            EXPECT_EQ(memcmp(buf.data(), frames[i].data(), size_t(n)), 0) << "frame " << i;
        }
        int key = 0;
        EXPECT_EQ(AVI_read_frame(avi, buf.data(), &key), -1);
        AVI_close(avi);
    }
};

TEST_F(AviTest, EmptyFileHasTheFullHeaderLayout) {
    WriteFile("empty.avi", {});
    std::vector<char> b = ReadAll(Host("empty.avi"));
    ASSERT_EQ(b.size(), 2048u + 8u);
    EXPECT_EQ(Tag(b, 0), "RIFF");
    EXPECT_EQ(Get32(b, 4), b.size() - 8);
    EXPECT_EQ(Tag(b, 8), "AVI ");
    EXPECT_EQ(Tag(b, 12), "LIST");
    EXPECT_EQ(Get32(b, 16), 192u);
    EXPECT_EQ(Tag(b, 20), "hdrl");
    EXPECT_EQ(Tag(b, 24), "avih");
    EXPECT_EQ(Get32(b, 28), 56u);
    EXPECT_EQ(Get32(b, 32), 40000u);
    EXPECT_EQ(Get32(b, 36), 10000000u);
    EXPECT_EQ(Get32(b, 40), 512u);
    EXPECT_EQ(Get32(b, 44), 0x0810u);
    EXPECT_EQ(Get32(b, 48), 0u);
    EXPECT_EQ(Get32(b, 56), 1u);
    EXPECT_EQ(Get32(b, 60), 320u * 240 * 4);
    EXPECT_EQ(Get32(b, 64), 320u);
    EXPECT_EQ(Get32(b, 68), 240u);
    EXPECT_EQ(Tag(b, 88), "LIST");
    EXPECT_EQ(Get32(b, 92), 116u);
    EXPECT_EQ(Tag(b, 96), "strl");
    EXPECT_EQ(Tag(b, 100), "strh");
    EXPECT_EQ(Tag(b, 108), "vids");
    EXPECT_EQ(Tag(b, 112), "YUY2");
    EXPECT_EQ(Get32(b, 128), 333333u);
    EXPECT_EQ(Get32(b, 132), 8333325u);
    EXPECT_EQ(Get32(b, 140), 0u);
    EXPECT_EQ(Get32(b, 144), 320u * 240 * 4);
    EXPECT_EQ(Get32(b, 148), 0u);
    EXPECT_EQ(Tag(b, 164), "strf");
    EXPECT_EQ(Get32(b, 168), 40u);
    EXPECT_EQ(Get32(b, 172), 40u);
    EXPECT_EQ(Get32(b, 176), 320u);
    EXPECT_EQ(Get32(b, 180), 240u);
    EXPECT_EQ(Get32(b, 184), 1u | (16u << 16));
    EXPECT_EQ(Tag(b, 188), "YUY2");
    EXPECT_EQ(Get32(b, 192), 320u * 240 * 3);
    EXPECT_EQ(Tag(b, 212), "JUNK");
    EXPECT_EQ(Get32(b, 216), 1816u);
    EXPECT_EQ(std::vector<char>(b.begin() + 220, b.begin() + 2036), std::vector<char>(1816, 0));
    EXPECT_EQ(Tag(b, 2036), "LIST");
    EXPECT_EQ(Get32(b, 2040), 4u);
    EXPECT_EQ(Tag(b, 2044), "movi");
    EXPECT_EQ(Tag(b, 2048), "idx1");
    EXPECT_EQ(Get32(b, 2052), 0u);
}

TEST_F(AviTest, ChunksPadOddLengthsAndTheIndexHoldsAbsoluteOffsets) {
    WriteFile("two.avi", {5, 8});
    std::vector<char> b = ReadAll(Host("two.avi"));
    // 00db 5 + pad, 00db 8, idx1 with two records.
    ASSERT_EQ(b.size(), 2048u + 14 + 16 + 8 + 32);
    EXPECT_EQ(Tag(b, 2048), "00db");
    EXPECT_EQ(Get32(b, 2052), 5u);
    EXPECT_EQ(b[2061], 0);
    EXPECT_EQ(Tag(b, 2062), "00db");
    EXPECT_EQ(Get32(b, 2066), 8u);
    size_t idx = 2078;
    EXPECT_EQ(Get32(b, 2040), idx - 2048 + 4);
    EXPECT_EQ(Tag(b, idx), "idx1");
    EXPECT_EQ(Get32(b, idx + 4), 32u);
    EXPECT_EQ(Tag(b, idx + 8), "00db");
    EXPECT_EQ(Get32(b, idx + 12), 0u);  // first frame: not flagged as key frame
    EXPECT_EQ(Get32(b, idx + 16), 2048u);
    EXPECT_EQ(Get32(b, idx + 20), 5u);  // the odd length stays odd
    EXPECT_EQ(Get32(b, idx + 28), 0x10u);
    EXPECT_EQ(Get32(b, idx + 32), 2062u);
    EXPECT_EQ(Get32(b, 48), 2u);
    EXPECT_EQ(Get32(b, 140), 2u);
}

TEST_F(AviTest, ProvisionalHeaderWhileWritingAndZeroFps) {
    avi_t* avi = AVI_open_output_file("open.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, 320, 240, 0.0, "YUY2"), 0);
    char frame[4] = {1, 2, 3, 4};
    ASSERT_EQ(AVI_write_frame(avi, frame, 4, 1), 0);
    std::vector<char> b = ReadAll(Host("open.avi"));
    ASSERT_EQ(b.size(), 2048u + 12);
    EXPECT_EQ(Get32(b, 4), 0xFEFFF003u);
    EXPECT_EQ(Get32(b, 2040), 0xFEFFF003u);
    EXPECT_EQ(Get32(b, 32), 0u);  // fps 0: no frame time
    EXPECT_EQ(Get32(b, 36), 0u);
    EXPECT_EQ(Get32(b, 44), 0x0110u);
    EXPECT_EQ(Get32(b, 48), 0u);
    EXPECT_EQ(Get32(b, 132), 0u);  // and no rate
    EXPECT_EQ(Get32(b, 148), 0xFFFFFFFFu);
    EXPECT_EQ(Get32(b, 184), 1u | (24u << 16));
    EXPECT_EQ(AVI_close(avi), 0);
    b = ReadAll(Host("open.avi"));
    EXPECT_EQ(Get32(b, 32), 0u);
    EXPECT_EQ(Get32(b, 48), 1u);
}

TEST_F(AviTest, RgbCompressorIsStoredAsZeros) {
    avi_t* avi = AVI_open_output_file("rgb.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, 8, 8, 10.0, "RGB"), 0);
    ASSERT_EQ(AVI_close(avi), 0);
    std::vector<char> b = ReadAll(Host("rgb.avi"));
    EXPECT_EQ(Get32(b, 112), 0u);
    EXPECT_EQ(Get32(b, 188), 0u);
    EXPECT_EQ(Get32(b, 32), 100000u);
}

TEST_F(AviTest, SizeLimitRefusesTheFrameAndLeavesTheFile) {
    avi_t* avi = AVI_open_output_file("big.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, 320, 240, 25, "YUY2"), 0);
    std::vector<char> f(1000, 1);
    ASSERT_EQ(AVI_write_frame(avi, f.data(), 1000, 0), 0);
    // Pretend the file has grown to just below the limit: the next frame
    // with its index record and margin would not fit.
    uint32_t realPos = avi->pos;
    avi->pos = AVI_MAX_LEN - 16 * avi->n_idx - 32 - 999;
    EXPECT_EQ(AVI_write_frame(avi, f.data(), 1000, 1), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_SIZELIM);
    EXPECT_STREQ(AVI_strerror(), "velto_avi - AVI file size limit reached");
    EXPECT_EQ(avi->n_idx, 1);
    EXPECT_EQ(avi->video_frames, 1);
    avi->pos = realPos;
    EXPECT_EQ(AVI_close(avi), 0);
    ExpectReadsBack("big.avi", {f}, 1);
}

TEST_F(AviTest, FailedWriteLeavesNoIndexRecordBehind) {
    avi_t* avi = AVI_open_output_file("fault.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, 320, 240, 25, "YUY2"), 0);
    std::vector<char> a(600, 'a'), b(600, 'b'), c(600, 'c');
    ASSERT_EQ(AVI_write_frame(avi, a.data(), 600, 0), 0);
    // The next chunk breaks off in the middle of its data.
    CVeltoSimBoard::GetInstance().SetWriteFault("fault.avi", 300, ENOSPC);
    EXPECT_EQ(AVI_write_frame(avi, b.data(), 600, 1), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_WRITE);
    EXPECT_NE(std::string(AVI_strerror()).find("No space left on device"), std::string::npos);
    CVeltoSimBoard::GetInstance().ClearFaults();
    ASSERT_EQ(AVI_write_frame(avi, c.data(), 600, 1), 0);
    ASSERT_EQ(AVI_close(avi), 0);
    ExpectReadsBack("fault.avi", {a, c}, 1);
}

TEST_F(AviTest, ErrorsOfTheHandleAndTheirTexts) {
    EXPECT_EQ(AVI_open_output_file("/nonexistent-dir/x.avi"), nullptr);
    EXPECT_EQ(AVI_errno, AVI_ERR_OPEN);
    EXPECT_STREQ(AVI_strerror(), "velto_avi - Error opening AVI file - No such file or directory");
    EXPECT_EQ(AVI_open_input_file("missing.avi", 1), nullptr);
    EXPECT_EQ(AVI_errno, AVI_ERR_OPEN);

    avi_t* w = AVI_open_output_file("mode.avi");
    ASSERT_NE(w, nullptr);
    char buf[16];
    int key;
    EXPECT_EQ(AVI_read_frame(w, buf, &key), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_NOT_PERM);
    EXPECT_STREQ(AVI_strerror(), "velto_avi - Operation (read/write) not permitted");
    EXPECT_EQ(AVI_set_video_position(w, 0), -1);
    AVI_set_video(w, 16, 16, 25, "YUY2");
    AVI_write_frame(w, buf, 16, 0);
    AVI_close(w);

    avi_t* r = AVI_open_input_file("mode.avi", 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(AVI_write_frame(r, buf, 4, 0), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_NOT_PERM);
    EXPECT_EQ(AVI_read_frame(r, buf, &key), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_NO_IDX);
    EXPECT_EQ(AVI_set_video(r, 1, 1, 1, "XXXX"), 0);  // ignored when reading
    EXPECT_EQ(AVI_video_width(r), 16);
    AVI_close(r);

    AVI_errno = 99;
    EXPECT_STREQ(AVI_strerror(), "velto_avi - Unkown Error");
    AVI_errno = 0;
    EXPECT_STREQ(AVI_strerror(), "velto_avi - No Error");
    EXPECT_EQ(AVI_max_size(), 4278188031u);
}

TEST_F(AviTest, ReadsAbsoluteRelativeAndMissingIndexes) {
    std::vector<std::vector<char>> frames = WriteFile("abs.avi", {100, 7, 64, 64});
    ExpectReadsBack("abs.avi", frames, 1);

    // Offsets relative to the movi list, as many writers store them.
    std::vector<char> b = ReadAll(Host("abs.avi"));
    size_t idx = 2048 + Get32(b, 2040) - 4;
    ASSERT_EQ(Tag(b, idx), "idx1");
    for (size_t r = idx + 8; r < b.size(); r += 16) {
        Put32(b, r + 8, Get32(b, r + 8) - 2044);
    }
    ASSERT_TRUE(MediaTest::WriteAll(Host("rel.avi"), b));
    ExpectReadsBack("rel.avi", frames, 2);

    // No index at all: rebuilt from the chunks.
    b.resize(idx);
    ASSERT_TRUE(MediaTest::WriteAll(Host("noidx.avi"), b));
    ExpectReadsBack("noidx.avi", frames, 0);
}

TEST_F(AviTest, PositionAndBufferLimits) {
    std::vector<std::vector<char>> frames = WriteFile("pos.avi", {40, 80, 120});
    avi_t* avi = AVI_open_input_file("pos.avi", 1);
    ASSERT_NE(avi, nullptr);
    EXPECT_EQ(AVI_max_video_chunk(avi), 120);
    std::vector<char> buf(200);
    int key = -1;
    EXPECT_EQ(AVI_set_video_position(avi, -3), 0);
    EXPECT_EQ(avi->video_pos, 0);
    EXPECT_EQ(AVI_read_frame(avi, buf.data(), &key), 40);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(AVI_read_frame(avi, buf.data(), &key), 80);
    EXPECT_EQ(key, 1);
    // 120 bytes do not fit 100: refused, position kept, nothing written.
    std::fill(buf.begin(), buf.end(), 'z');
    EXPECT_EQ(AVI_read_frame_sized(avi, buf.data(), 100, &key), -1);
    EXPECT_EQ(AVI_errno, AVI_ERR_READ);
    EXPECT_EQ(buf[0], 'z');
    EXPECT_EQ(avi->video_pos, 2);
    EXPECT_EQ(AVI_read_frame_sized(avi, buf.data(), 120, &key), 120);
    EXPECT_EQ(AVI_set_video_position(avi, 50), 0);
    EXPECT_EQ(AVI_read_frame(avi, buf.data(), &key), -1);
    AVI_close(avi);
}

}  // namespace
