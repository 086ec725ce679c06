// Our AVI files against tools nobody here wrote, and theirs against our
// reader: ffprobe and ffmpeg read every recording, our reader reads what
// ffmpeg writes, with and without its index.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "media/velto_AVI_Reader.h"
#include "media/velto_AVI_Saver.h"
#include "media_test_util.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

class AviPeerTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        if (!HaveTool("ffprobe") || !HaveTool("ffmpeg")) {
            GTEST_SKIP() << "ffmpeg/ffprobe not installed";
        }
    }

    std::string Probe(const std::string& path, const std::string& entries) {
        int st = -1;
        std::string out =
            RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries " +
                           entries + " -of default=noprint_wrappers=1 " + path,
                       &st);
        return st == 0 ? out : "ffprobe failed: " + out;
    }

    void ExpectReaderFrames(const std::string& path, const std::vector<std::vector<char>>& frames,
                            int idxType) {
        std::unique_ptr<CVeltoAVIReader> r(CVeltoAVIReader::CreateNew(path, Velto_PIX_FMT_YUYV422));
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->GetTotalFrames(), long(frames.size()));
        EXPECT_EQ(r->GetVideoWidth(), 320);
        EXPECT_EQ(r->GetVideoHeight(), 240);
        EXPECT_STREQ(r->GetVideoCompressor(), "YUY2");
        EXPECT_DOUBLE_EQ(r->GetVideoFrameRate(), 25.0);
        std::vector<char> buf(size_t(r->GetFrameBufferSize()));
        for (size_t i = 0; i < frames.size(); i++) {
            int key = 0;
            ASSERT_EQ(r->ReadFrame(buf.data(), long(buf.size()), key), 320 * 240 * 2) << i;
            EXPECT_EQ(memcmp(buf.data(), frames[i].data(), frames[i].size()), 0) << "frame " << i;
        }
        int key = 0;
        EXPECT_EQ(r->ReadFrame(buf.data(), long(buf.size()), key), -1);
    }
};

TEST_F(AviPeerTest, FfmpegReadsEveryFrameTheRecorderWrote) {
    std::unique_ptr<CVeltoAVISaver> saver(CVeltoAVISaver::CreateNew(320, 240));
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(saver->StartRecord("/media/nand/peer.avi", 25));
    std::vector<char> all;
    const int frames = 30;
    for (int i = 0; i < frames; i++) {
        std::vector<char> f = MakeFrame(320, 240, uint32_t(i + 100));
        saver->AddFrame(f.data(), int(f.size()));
        all.insert(all.end(), f.begin(), f.end());
        for (int k = 0; k < 3000 && saver->GetSavedFrames() < i + 1; k++) {
            usleep(1000);
        }
        ASSERT_EQ(saver->GetSavedFrames(), i + 1);
    }
    saver->StopRecord();
    saver.reset();

    std::string file = HostPath("/media/nand/peer.avi");
    std::unique_ptr<CVeltoAVIReader> ours(CVeltoAVIReader::CreateNew(file, Velto_PIX_FMT_NONE));
    ASSERT_NE(ours, nullptr);
    double fps = ours->GetVideoFrameRate();
    ours.reset();
    char rate[32];
    snprintf(rate, sizeof(rate), "%d/1", int(fps));
    EXPECT_EQ(Probe(file, "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames"),
              std::string("codec_name=rawvideo\nwidth=320\nheight=240\npix_fmt=yuyv422\n") +
                  "r_frame_rate=" + rate + "\nnb_read_frames=" + std::to_string(frames) + "\n");

    // Decoded back to raw YUYV, every frame is the one recorded.
    std::string raw = m_strRunDir + "/decoded.yuv";
    int st = -1;
    std::string log = RunCommand(
        "ffmpeg -v error -i " + file + " -f rawvideo -pix_fmt yuyv422 -y " + raw + " 2>&1", &st);
    ASSERT_EQ(st, 0) << log;
    std::vector<char> decoded = ReadAll(raw);
    ASSERT_EQ(decoded.size(), all.size());
    EXPECT_TRUE(decoded == all);
}

TEST_F(AviPeerTest, OurReaderReadsFfmpegFilesWithAndWithoutIndex) {
    std::vector<std::vector<char>> frames;
    std::vector<char> all;
    for (int i = 0; i < 12; i++) {
        frames.push_back(MakeFrame(320, 240, uint32_t(i + 7)));
        all.insert(all.end(), frames.back().begin(), frames.back().end());
    }
    std::string src = m_strRunDir + "/src.yuv", avi = m_strRunDir + "/ff.avi";
    ASSERT_TRUE(MediaTest::WriteAll(src, all));
    int st = -1;
    std::string log =
        RunCommand("ffmpeg -v error -f rawvideo -pix_fmt yuyv422 -s 320x240 -r 25 -i " + src +
                       " -c:v rawvideo -pix_fmt yuyv422 -y " + avi + " 2>&1",
                   &st);
    ASSERT_EQ(st, 0) << log;
    ExpectReaderFrames(avi, frames, 2);

    // The same file without its idx1: the index is rebuilt from the data.
    std::vector<char> b = ReadAll(avi);
    size_t at = 12, idx1 = 0;
    while (at + 8 <= b.size()) {
        if (Tag(b, at) == "idx1") {
            idx1 = at;
            break;
        }
        at += 8 + ((Get32(b, at + 4) + 1) & ~1u);
    }
    ASSERT_GT(idx1, 0u) << "ffmpeg wrote no idx1";
    b.resize(idx1);
    ASSERT_TRUE(MediaTest::WriteAll(m_strRunDir + "/ff-noidx.avi", b));
    ExpectReaderFrames(m_strRunDir + "/ff-noidx.avi", frames, 0);
}

}  // namespace
