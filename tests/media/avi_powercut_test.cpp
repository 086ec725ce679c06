// Recordings cut off by a power loss, and the velto-avi tool that inspects,
// checks and repairs them.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "media/velto_avi.h"
#include "media_test_util.h"
#include "sim/sim_board.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

constexpr int kW = 64, kH = 48;
// Started through the build's emulator, as the test itself is.
const std::string kTool = std::string(VELTO_TEST_EMULATOR " ") + VELTO_BIN_DIR + "/velto-avi";

class PowerCutTest : public CVeltoSimBoardTest {
protected:
    // Writes frames through the module and copies the file as it is on the
    // medium before the close: the provisional header, the chunks, no index.
    void Record(int count, std::vector<char>* cutSource, std::vector<size_t>* chunkEnds) {
        avi_t* avi = AVI_open_output_file("rec.avi");
        ASSERT_NE(avi, nullptr);
        ASSERT_EQ(AVI_set_video(avi, kW, kH, 25, "YUY2"), 0);
        for (int i = 0; i < count; i++) {
            m_vFrames.push_back(MakeFrame(kW, kH, uint32_t(i + 1)));
            ASSERT_EQ(AVI_write_frame(avi, m_vFrames.back().data(), kW * kH * 2, i), 0);
            chunkEnds->push_back(avi->pos);
        }
        *cutSource = ReadAll(m_strRunDir + "/rec.avi");
        ASSERT_EQ(AVI_close(avi), 0);
    }

    int Tool(const std::string& args, std::string* out = nullptr) {
        int st = -1;
        std::string text = RunCommand(kTool + " " + args + " 2>&1", &st);
        if (out) {
            *out = text;
        }
        return st;
    }

    std::vector<std::vector<char>> m_vFrames;
};

TEST_F(PowerCutTest, EveryCutKeepsTheCompleteFramesAndRepairs) {
    std::vector<char> live;
    std::vector<size_t> ends;
    Record(40, &live, &ends);
    ASSERT_EQ(live.size(), ends.back());
    bool probe = HaveTool("ffprobe");

    std::mt19937 rng(20240611);
    std::uniform_int_distribution<size_t> offset(2048, live.size());
    std::vector<char> buf(kW * kH * 2);
    std::string cut = m_strRunDir + "/cut.avi", fixed = m_strRunDir + "/fixed.avi";
    for (int n = 0; n < 200; n++) {
        size_t at = n == 0 ? 2048 : (n == 1 ? live.size() : offset(rng));
        std::vector<char> part(live.begin(), live.begin() + long(at));
        ASSERT_TRUE(MediaTest::WriteAll(cut, part));
        size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= at) {
            complete++;
        }

        avi_t* avi = AVI_open_input_file("cut.avi", 1);
        if (complete == 0) {
            // Nothing but the header: no video to show.
            EXPECT_EQ(avi, nullptr) << "cut at " << at;
            EXPECT_EQ(AVI_errno, AVI_ERR_NO_VIDS);
            continue;
        }
        ASSERT_NE(avi, nullptr) << "cut at " << at << ": " << AVI_strerror();
        EXPECT_EQ(avi->idx_type, 0);
        ASSERT_EQ(AVI_video_frames(avi), int(complete)) << "cut at " << at;
        for (size_t i = 0; i < complete; i++) {
            int key = 0;
            ASSERT_EQ(AVI_read_frame_sized(avi, buf.data(), long(buf.size()), &key),
                      long(buf.size()));
            ASSERT_EQ(buf, m_vFrames[i]) << "cut at " << at << ", frame " << i;
        }
        AVI_close(avi);

        ASSERT_EQ(Tool("repair " + cut + " " + fixed), 0) << "cut at " << at;
        ASSERT_EQ(Tool("verify " + fixed), 0) << "cut at " << at;
        if (probe) {
            int st = -1;
            std::string frames = RunCommand(
                "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                "stream=nb_read_frames,width,height -of csv=p=0 " +
                    fixed,
                &st);
            ASSERT_EQ(st, 0) << "cut at " << at;
            EXPECT_EQ(frames, "64,48," + std::to_string(complete) + "\n") << "cut at " << at;
        }
    }
}

// A cut recording's size never runs past its clusters: on FAT the size
// reaches the medium before the table that chains new clusters, so they are
// reserved (and synced) ahead of the data; the close gives back what the
// recording did not use.
TEST_F(PowerCutTest, ClustersAreReservedAheadOfTheSize) {
    avi_t* avi = AVI_open_output_file("rec.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, kW, kH, 25, "YUY2"), 0);
    if (Board().Fallocate(avi->fdes, FALLOC_FL_KEEP_SIZE, 0, 4096) != 0 && errno == EOPNOTSUPP) {
        AVI_close(avi);
        GTEST_SKIP() << "the test folder's file system reserves no space";
    }
    std::vector<char> frame = MakeFrame(kW, kH, 1);
    struct stat st;
    // 6 KiB frames: more than one reservation step.
    for (int i = 0; i < 1000; i++) {
        ASSERT_EQ(AVI_write_frame(avi, frame.data(), kW * kH * 2, 1), 0);
        ASSERT_EQ(fstat(avi->fdes, &st), 0);
        ASSERT_GE(int64_t(st.st_blocks) * 512, int64_t(st.st_size) + kW * kH * 2)
            << "frame " << i << ": the next frame's clusters are not reserved";
    }
    ASSERT_EQ(AVI_close(avi), 0);
    ASSERT_EQ(stat((m_strRunDir + "/rec.avi").c_str(), &st), 0);
    EXPECT_LT(int64_t(st.st_blocks) * 512, int64_t(st.st_size) + (1 << 20))
        << "the reserve outlived the close";

    // A medium with no room to reserve still records, as before.
    CVeltoSimBoard::GetInstance().SetWriteFault("res.avi", 64 * 1024, ENOSPC);
    avi = AVI_open_output_file("res.avi");
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(AVI_set_video(avi, kW, kH, 25, "YUY2"), 0);
    int written = 0;
    while (AVI_write_frame(avi, frame.data(), kW * kH * 2, 1) == 0) {
        written++;
    }
    EXPECT_GT(written, 5);
    AVI_close(avi);
}

TEST_F(PowerCutTest, ToolReportsAndVerifies) {
    std::vector<char> live;
    std::vector<size_t> ends;
    Record(5, &live, &ends);
    std::string out;
    ASSERT_EQ(Tool("info " + m_strRunDir + "/rec.avi", &out), 0) << out;
    EXPECT_NE(out.find("64x48"), std::string::npos) << out;
    EXPECT_NE(out.find("YUY2"), std::string::npos) << out;
    EXPECT_NE(out.find("frames:      5 (header 5, stream 5)"), std::string::npos) << out;
    EXPECT_NE(out.find("idx1, absolute offsets"), std::string::npos) << out;
    EXPECT_NE(out.find("key frames:  4"), std::string::npos) << out;
    EXPECT_EQ(Tool("verify " + m_strRunDir + "/rec.avi", &out), 0) << out;

    // The file as it was before the close: readable, but not finished.
    ASSERT_TRUE(MediaTest::WriteAll(m_strRunDir + "/open.avi", live));
    EXPECT_EQ(Tool("verify " + m_strRunDir + "/open.avi", &out), 1) << out;
    EXPECT_NE(out.find("no usable index"), std::string::npos) << out;

    // A header claiming more frames than the index holds fails the check.
    std::vector<char> b = ReadAll(m_strRunDir + "/rec.avi");
    Put32(b, 48, 6);
    ASSERT_TRUE(MediaTest::WriteAll(m_strRunDir + "/liar.avi", b));
    EXPECT_EQ(Tool("verify " + m_strRunDir + "/liar.avi", &out), 1) << out;

    EXPECT_EQ(Tool("info " + m_strRunDir + "/missing.avi", &out), 1);
    EXPECT_NE(out.find("Error opening AVI file"), std::string::npos) << out;
    EXPECT_EQ(Tool("", &out), 2);
    EXPECT_EQ(Tool("repair " + m_strRunDir + "/rec.avi " + m_strRunDir + "/rec.avi", &out), 2);
}

}  // namespace
