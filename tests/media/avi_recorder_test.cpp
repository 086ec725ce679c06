// The recording thread: frames in order, the measured frame rate, and the
// clean endings on low space, write errors and restarts.
#include <errno.h>
#include <gtest/gtest.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "media/velto_AVI_Saver.h"
#include "media/velto_avi.h"
#include "media_test_util.h"
#include "platform/velto_board.h"
#include "sim/sim_board.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

constexpr int kW = 32, kH = 24;  // small frames keep the synchronous writes quick

class RecorderTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        m_pSaver.reset(CVeltoAVISaver::CreateNew(kW, kH));
        ASSERT_NE(m_pSaver, nullptr);
    }
    void TearDown() override {
        m_pSaver.reset();
        CVeltoSimBoardTest::TearDown();
    }

    // Offers one frame and waits until the thread has written it.
    bool AddAndWait(uint32_t seed) {
        std::vector<char> f = MakeFrame(kW, kH, seed);
        int before = m_pSaver->GetSavedFrames();
        m_pSaver->AddFrame(f.data(), int(f.size()));
        m_vFrames.push_back(f);
        for (int i = 0; i < 3000 && m_pSaver->GetSavedFrames() == before; i++) {
            usleep(1000);
        }
        return m_pSaver->GetSavedFrames() == before + 1;
    }

    bool WaitStopped() {
        for (int i = 0; i < 5000 && m_pSaver->IsRecording(); i++) {
            usleep(1000);
        }
        return !m_pSaver->IsRecording();
    }

    // Opens the file and compares its frames with the ones offered.
    void ExpectFile(const char* path, size_t frames, double fps, int idxType = 1) {
        avi_t* avi = AVI_open_input_file(path, 1);
        ASSERT_NE(avi, nullptr) << AVI_strerror();
        EXPECT_EQ(avi->idx_type, idxType);
        ASSERT_EQ(AVI_video_frames(avi), int(frames));
        EXPECT_EQ(AVI_video_width(avi), kW);
        EXPECT_EQ(AVI_video_height(avi), kH);
        EXPECT_STREQ(AVI_video_compressor(avi), "YUY2");
        EXPECT_DOUBLE_EQ(AVI_frame_rate(avi), fps);
        std::vector<char> buf(kW * kH * 2);
        for (size_t i = 0; i < frames; i++) {
            int key = -1;
            ASSERT_EQ(AVI_read_frame_sized(avi, buf.data(), long(buf.size()), &key),
                      long(buf.size()));
            EXPECT_EQ(buf, m_vFrames[i]) << "frame " << i;
            // Scanned chunks carry no flags: all raw frames count as key frames.
            EXPECT_EQ(key, i == 0 && idxType != 0 ? 0 : 1) << "frame " << i;
        }
        AVI_close(avi);
    }

    static void WaitForFreshSecond() {
        time_t t = time(nullptr);
        while (time(nullptr) == t) {
            usleep(2000);
        }
    }

    std::unique_ptr<CVeltoAVISaver> m_pSaver;
    std::vector<std::vector<char>> m_vFrames;
};

TEST_F(RecorderTest, ShortRecordingKeepsItsFramesAndTheDefaultRate) {
    WaitForFreshSecond();
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/short.avi", 25));
    EXPECT_TRUE(m_pSaver->IsRecording());
    for (uint32_t i = 0; i < 12; i++) {
        ASSERT_TRUE(AddAndWait(i + 1)) << i;
    }
    EXPECT_EQ(m_pSaver->GetAddedFrames(), 12);
    m_pSaver->StopRecord();
    EXPECT_FALSE(m_pSaver->IsRecording());
    // Stopped within the first second: the rate stays 25.
    ExpectFile("/media/nand/short.avi", 12, 25.0);
    EXPECT_NE(Commands().find("echo 1 > /proc/sys/vm/drop_caches"), std::string::npos);
}

TEST_F(RecorderTest, RateIsFramesOverWholeSeconds) {
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/rate.avi", 25));
    time_t a = 0, b = 1;
    // The thread takes the start time when it writes the first frame; keep
    // that inside one host second so the expected rate is exact.
    WaitForFreshSecond();
    a = time(nullptr);
    ASSERT_TRUE(AddAndWait(1));
    b = time(nullptr);
    ASSERT_EQ(a, b) << "first frame took too long";
    for (uint32_t i = 1; i < 249; i++) {
        ASSERT_TRUE(AddAndWait(i + 1)) << i;
    }
    // The last frame arrives 12 board seconds (plus what the host clock
    // moved on) after the first.
    ASSERT_EQ(Board().SetTime(Board().Time(nullptr) + 12), 0);
    ASSERT_TRUE(AddAndWait(250));
    time_t drift = time(nullptr) - a;
    // Stopping a little later changes nothing: the rate ends at the last frame.
    ASSERT_EQ(Board().SetTime(Board().Time(nullptr) + 5), 0);
    m_pSaver->StopRecord();
    ExpectFile("/media/nand/rate.avi", 250, double(250 / (12 + drift)));
}

TEST_F(RecorderTest, LowSpaceEndsTheRecordingWithAValidFile) {
    WriteFile(HostPath("/sim/free"), "/media/nand 1000\n");
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/full.avi", 25));
    m_vFrames.push_back(MakeFrame(kW, kH, 7));
    m_pSaver->AddFrame(m_vFrames[0].data(), int(m_vFrames[0].size()));
    // The first frame's check already saw too little space: that frame is
    // written and the thread ends the recording by itself.
    ASSERT_TRUE(WaitStopped());
    std::vector<char> late = MakeFrame(kW, kH, 8);
    m_pSaver->AddFrame(late.data(), int(late.size()));  // not queued any more
    m_pSaver->StopRecord();
    ExpectFile("/media/nand/full.avi", 1, 25.0);
}

TEST_F(RecorderTest, WriteErrorEndsTheRecordingAndKeepsTheFramesBefore) {
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/err.avi", 25));
    for (uint32_t i = 0; i < 3; i++) {
        ASSERT_TRUE(AddAndWait(i + 1));
    }
    // The fourth frame breaks off halfway; the card stays unwritable.
    CVeltoSimBoard::GetInstance().SetWriteFault("err.avi", 8 + kW * kH, EIO);
    std::vector<char> f = MakeFrame(kW, kH, 4);
    m_pSaver->AddFrame(f.data(), int(f.size()));
    ASSERT_TRUE(WaitStopped());
    m_pSaver->StopRecord();
    EXPECT_EQ(m_pSaver->GetSavedFrames(), 0);  // counters reset at close
    CVeltoSimBoard::GetInstance().ClearFaults();
    // Neither the index nor the final header could be written; the
    // provisional header written at the start keeps the file readable.
    ExpectFile("/media/nand/err.avi", 3, 25.0, 0);
}

TEST_F(RecorderTest, RestartFinishesTheOldFileFirst) {
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/one.avi", 25));
    ASSERT_TRUE(AddAndWait(1));
    ASSERT_TRUE(AddAndWait(2));
    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/two.avi", 25));
    EXPECT_EQ(m_pSaver->GetFilename(), "/media/nand/two.avi");
    ExpectFile("/media/nand/one.avi", 2, 25.0);
    m_vFrames.clear();
    ASSERT_TRUE(AddAndWait(3));
    m_pSaver->StopRecord();
    ExpectFile("/media/nand/two.avi", 1, 25.0);
}

TEST_F(RecorderTest, FramesOutsideARecordingOrOfTheWrongSizeAreNotQueued) {
    std::vector<char> f = MakeFrame(kW, kH, 1);
    m_pSaver->AddFrame(f.data(), int(f.size()));
    EXPECT_EQ(m_pSaver->GetAddedFrames(), -1);
    EXPECT_EQ(m_pSaver->GetSavedFrames(), -1);

    ASSERT_TRUE(m_pSaver->StartRecord("/media/nand/size.avi", 25));
    std::vector<char> shortFrame(100, 1), longFrame(f.size() * 2, 2);
    m_pSaver->AddFrame(shortFrame.data(), int(shortFrame.size()));
    m_pSaver->AddFrame(longFrame.data(), int(longFrame.size()));
    ASSERT_TRUE(AddAndWait(5));
    m_pSaver->StopRecord();
    ExpectFile("/media/nand/size.avi", 1, 25.0);
}

TEST_F(RecorderTest, UncreatableFileStartsNothing) {
    EXPECT_FALSE(m_pSaver->StartRecord("/media/nand/no/such/dir/x.avi", 25));
    EXPECT_FALSE(m_pSaver->IsRecording());
    EXPECT_FALSE(m_pSaver->StartRecord(nullptr, 25));
    EXPECT_EQ(CVeltoAVISaver::CreateNew(0, 240), nullptr);
}

}  // namespace
