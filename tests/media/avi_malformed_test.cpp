// Damaged and hostile AVI files: each fails to open with its code, or opens
// with only what is really there; none ends the process or reads outside
// the file or the caller's buffer.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "media/velto_avi.h"
#include "media_test_util.h"
#include "tests/support/sim_test.h"

using namespace MediaTest;

namespace {

// Builds RIFF files chunk by chunk.
class CRiff {
public:
    CRiff& Raw(const std::string& s) {
        m_b.insert(m_b.end(), s.begin(), s.end());
        return *this;
    }
    CRiff& U32(uint32_t v) {
        for (int i = 0; i < 4; i++) {
            m_b.push_back(char(v >> (8 * i)));
        }
        return *this;
    }
    CRiff& Zeros(size_t n) {
        m_b.insert(m_b.end(), n, 0);
        return *this;
    }
    CRiff& Chunk(const std::string& id, const std::vector<char>& data) {
        Raw(id).U32(uint32_t(data.size()));
        m_b.insert(m_b.end(), data.begin(), data.end());
        if (data.size() & 1) {
            m_b.push_back(0);
        }
        return *this;
    }
    CRiff& List(const std::string& type, const CRiff& body) {
        Raw("LIST").U32(uint32_t(body.m_b.size() + 4)).Raw(type);
        m_b.insert(m_b.end(), body.m_b.begin(), body.m_b.end());
        return *this;
    }
    size_t Size() const { return m_b.size(); }
    std::vector<char> File() const {
        CRiff f;
        f.Raw("RIFF").U32(uint32_t(m_b.size() + 4)).Raw("AVI ");
        f.m_b.insert(f.m_b.end(), m_b.begin(), m_b.end());
        return f.m_b;
    }
    std::vector<char> m_b;
};

std::vector<char> Strh(const char* type, uint32_t length) {
    CRiff s;
    s.Raw(type).Raw("YUY2").U32(0).U32(0).U32(0).U32(1).U32(25).U32(0).U32(length).Zeros(20);
    return s.m_b;
}

std::vector<char> Strf(int32_t w, int32_t h) {
    CRiff s;
    s.U32(40).U32(uint32_t(w)).U32(uint32_t(h)).U32(1 | 16 << 16).Raw("YUY2").U32(0).Zeros(16);
    return s.m_b;
}

CRiff Header(int32_t w, int32_t h, int audioStreams = 0) {
    CRiff strl;
    strl.Chunk("strh", Strh("vids", 2)).Chunk("strf", Strf(w, h));
    CRiff hdrl;
    hdrl.Chunk("avih", std::vector<char>(56, 0)).List("strl", strl);
    for (int i = 0; i < audioStreams; i++) {
        CRiff a;
        a.Chunk("strh", Strh("auds", 0)).Chunk("strf", std::vector<char>(18, 0));
        hdrl.List("strl", a);
    }
    CRiff top;
    top.List("hdrl", hdrl);
    return top;
}

// Two 16-byte frames at file offsets returned in *first.
CRiff Movi() {
    CRiff movi;
    movi.Chunk("00db", std::vector<char>(16, 'A')).Chunk("00db", std::vector<char>(16, 'B'));
    return movi;
}

std::vector<char> Idx1(uint32_t off0, uint32_t len0, uint32_t off1, uint32_t len1) {
    CRiff i;
    i.Raw("00db").U32(0x10).U32(off0).U32(len0).Raw("00db").U32(0x10).U32(off1).U32(len1);
    return i.m_b;
}

class AviMalformedTest : public CVeltoSimBoardTest {
protected:
    // Opens bytes as a file; the code, or 0 when it opened.
    int OpenCode(const std::vector<char>& bytes, int getIndex = 1) {
        EXPECT_TRUE(MediaTest::WriteAll(m_strRunDir + "/m.avi", bytes));
        AVI_errno = 0;
        avi_t* avi = AVI_open_input_file("m.avi", getIndex);
        if (avi) {
            m_nFrames = AVI_video_frames(avi);
            AVI_close(avi);
            return 0;
        }
        return AVI_errno;
    }
    int m_nFrames = -1;
};

TEST_F(AviMalformedTest, WellFormedReferenceOpens) {
    CRiff f = Header(4, 2);
    size_t movi = f.Size() + 12 + 12;  // RIFF header + LIST movi header
    f.List("movi", Movi()).Chunk("idx1", Idx1(uint32_t(movi), 16, uint32_t(movi + 24), 16));
    EXPECT_EQ(OpenCode(f.File()), 0);
    EXPECT_EQ(m_nFrames, 2);
}

TEST_F(AviMalformedTest, StructureErrorsGiveTheirCodes) {
    EXPECT_EQ(OpenCode({}), AVI_ERR_NO_AVI);
    EXPECT_EQ(OpenCode(std::vector<char>(4096, 0)), AVI_ERR_NO_AVI);
    std::vector<char> wave = Header(4, 2).File();
    memcpy(wave.data() + 8, "WAVE", 4);
    EXPECT_EQ(OpenCode(wave), AVI_ERR_NO_AVI);

    CRiff noHdrl;
    noHdrl.List("movi", Movi());
    EXPECT_EQ(OpenCode(noHdrl.File()), AVI_ERR_NO_HDRL);
    EXPECT_EQ(OpenCode(Header(4, 2).File()), AVI_ERR_NO_MOVI);

    CRiff noVideo;
    CRiff hdrl;
    hdrl.Chunk("avih", std::vector<char>(56, 0));
    noVideo.List("hdrl", hdrl).List("movi", Movi());
    EXPECT_EQ(OpenCode(noVideo.File()), AVI_ERR_NO_VIDS);

    CRiff noFrames = Header(4, 2);
    noFrames.List("movi", CRiff());
    EXPECT_EQ(OpenCode(noFrames.File()), AVI_ERR_NO_VIDS);
    EXPECT_EQ(OpenCode(noFrames.File(), 0), 0);  // without an index it opens
}

TEST_F(AviMalformedTest, NineAudioStreamsFailInsteadOfEndingTheProcess) {
    CRiff eight = Header(4, 2, 8);
    eight.List("movi", Movi());
    EXPECT_EQ(OpenCode(eight.File()), 0);
    CRiff nine = Header(4, 2, 9);
    nine.List("movi", Movi());
    EXPECT_EQ(OpenCode(nine.File()), AVI_ERR_NO_AVI);
}

TEST_F(AviMalformedTest, UnusableFrameSizesAreRefused) {
    for (auto wh : {std::pair<int, int>{0, 240},
                    {320, 0},
                    {-320, 240},
                    {100000, 240},
                    {320, 70000},
                    {65535, 65535},
                    {1025, 768},
                    {640, 1025}}) {
        CRiff f = Header(wh.first, wh.second);
        f.List("movi", Movi());
        EXPECT_EQ(OpenCode(f.File()), AVI_ERR_NO_VIDS) << wh.first << "x" << wh.second;
    }
    // The device's own sizes and the largest allowed still open.
    for (auto wh : {std::pair<int, int>{320, 240}, {640, 480}, {1024, 1024}}) {
        CRiff f = Header(wh.first, wh.second);
        f.List("movi", Movi());
        EXPECT_EQ(OpenCode(f.File()), 0) << wh.first << "x" << wh.second;
    }
}

TEST_F(AviMalformedTest, IndexPointingOutsideTheFileIsRefused) {
    CRiff f = Header(4, 2);
    size_t movi = f.Size() + 24;
    // Second record's length runs past the end of the file.
    CRiff a = f;
    a.List("movi", Movi()).Chunk("idx1", Idx1(uint32_t(movi), 16, uint32_t(movi + 24), 5000));
    std::vector<char> bytes = a.File();
    EXPECT_EQ(OpenCode(bytes), AVI_ERR_READ);
    // Second record's offset far beyond the end.
    CRiff b = f;
    b.List("movi", Movi()).Chunk("idx1", Idx1(uint32_t(movi), 16, 0xFFFFFF00u, 16));
    EXPECT_EQ(OpenCode(b.File()), AVI_ERR_READ);
}

TEST_F(AviMalformedTest, SizesThatWouldNeedHugeMemoryAreRefused) {
    // A frame of 200 MiB inside a sparse file: it lies in the file, but no
    // caller should allocate that much for one frame.
    CRiff f = Header(4, 2);
    size_t movi = f.Size() + 24;
    // 3 MiB is already more than a board with tens of MiB should give one
    // frame off a card; no recording of the device comes near it.
    for (uint32_t huge : {200u << 20, 3u << 20}) {
        CRiff m;
        m.Raw("00db").U32(huge);
        CRiff g = f;
        g.List("movi", m);
        std::vector<char> bytes = g.File();
        ASSERT_TRUE(MediaTest::WriteAll(m_strRunDir + "/m.avi", bytes));
        ASSERT_EQ(truncate((m_strRunDir + "/m.avi").c_str(), off_t(movi) + 8 + huge), 0);
        AVI_errno = 0;
        EXPECT_EQ(AVI_open_input_file("m.avi", 1), nullptr) << huge;
        EXPECT_EQ(AVI_errno, AVI_ERR_NO_MEM) << huge;
    }

    // An idx1 of a million records (16 MiB) inside a sparse file is refused
    // before anything is allocated for it.
    {
        CRiff h = Header(4, 2);
        h.List("movi", Movi());
        std::vector<char> bytes = h.File();
        const uint32_t idxLen = 16u << 20;
        const char tag[4] = {'i', 'd', 'x', '1'};
        bytes.insert(bytes.end(), tag, tag + 4);
        for (int k = 0; k < 4; k++) {
            bytes.push_back(char((idxLen >> (8 * k)) & 0xFF));
        }
        Put32(bytes, 4, uint32_t(bytes.size() - 8 + idxLen));
        ASSERT_TRUE(MediaTest::WriteAll(m_strRunDir + "/m.avi", bytes));
        ASSERT_EQ(truncate((m_strRunDir + "/m.avi").c_str(), off_t(bytes.size()) + idxLen), 0);
        AVI_errno = 0;
        EXPECT_EQ(AVI_open_input_file("m.avi", 1), nullptr);
        EXPECT_EQ(AVI_errno, AVI_ERR_NO_MEM);
    }

    // A header list claiming more than the file holds.
    CRiff g = Header(4, 2);
    g.List("movi", Movi());
    std::vector<char> gb = g.File();
    Put32(gb, 16, 0x7FFFFFF0u);
    EXPECT_EQ(OpenCode(gb), AVI_ERR_READ);
}

// The device's recordings reach 4,278,188,031 bytes; positions past 2 GiB
// must survive a 32-bit long and off_t on the board. A sparse file with a
// 2 GiB JUNK chunk in front of two frames, once with an idx1 of absolute
// offsets and once without (the index rebuilt from the data).
TEST_F(AviMalformedTest, FramesPast2GiBReadBackWithAndWithoutIndex) {
    const uint32_t junk = 0x80000000u;
    for (bool withIndex : {true, false}) {
        SCOPED_TRACE(withIndex ? "idx1" : "rebuilt");
        CRiff head = Header(4, 2);
        CRiff moviHead;
        moviHead.Raw("JUNK").U32(junk);
        CRiff frames;
        frames.Chunk("00db", std::vector<char>(16, 'A')).Chunk("00db", std::vector<char>(16, 'B'));
        uint64_t moviAt = 12 + head.Size() + 8;  // the "movi" type
        uint64_t framesAt = moviAt + 4 + moviHead.Size() + junk;
        ASSERT_GT(framesAt, uint64_t(INT32_MAX));
        CRiff tail = frames;
        if (withIndex) {
            tail.Chunk("idx1", Idx1(uint32_t(framesAt), 16, uint32_t(framesAt + 24), 16));
        }
        uint64_t moviSize = 4 + moviHead.Size() + junk + frames.Size();
        uint64_t fileSize = framesAt + tail.Size();
        CRiff front;
        front.Raw("RIFF").U32(uint32_t(fileSize - 8)).Raw("AVI ");
        front.m_b.insert(front.m_b.end(), head.m_b.begin(), head.m_b.end());
        front.Raw("LIST").U32(uint32_t(moviSize)).Raw("movi");
        front.m_b.insert(front.m_b.end(), moviHead.m_b.begin(), moviHead.m_b.end());
        std::string path = m_strRunDir + "/big.avi";
        ASSERT_TRUE(MediaTest::WriteAll(path, front.m_b));
        int fd = open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, tail.m_b.data(), tail.m_b.size(), off_t(framesAt)),
                  ssize_t(tail.m_b.size()));
        close(fd);

        AVI_errno = 0;
        avi_t* avi = AVI_open_input_file("big.avi", 1);
        ASSERT_NE(avi, nullptr) << AVI_errno;
        EXPECT_EQ(avi->file_size, int64_t(fileSize));
        EXPECT_EQ(avi->idx_type, withIndex ? 1 : 0);
        ASSERT_EQ(AVI_video_frames(avi), 2);
        char buf[16];
        int key = 0;
        for (char want : {'A', 'B'}) {
            ASSERT_EQ(AVI_read_frame(avi, buf, &key), 16);
            EXPECT_EQ(std::string(buf, 16), std::string(16, want));
        }
        ASSERT_EQ(AVI_set_video_position(avi, 0), 0);
        ASSERT_EQ(AVI_read_frame(avi, buf, &key), 16);
        EXPECT_EQ(buf[0], 'A');
        AVI_close(avi);
        unlink(path.c_str());
    }
}

TEST_F(AviMalformedTest, RunawayChunkSizesEndTheWalk) {
    // A chunk of size 0xFFFFFFFF in the middle of the movi data, and an
    // idx1 longer than the file: the scan stops at the end of the file
    // and keeps the complete frame in front of it.
    CRiff m;
    m.Chunk("00db", std::vector<char>(16, 'A')).Raw("00db").U32(0xFFFFFFFFu).Zeros(8);
    CRiff f = Header(4, 2);
    f.List("movi", m).Raw("idx1").U32(0xFFFFFFF0u);
    EXPECT_EQ(OpenCode(f.File()), 0);
    EXPECT_EQ(m_nFrames, 1);
}

// Inputs the fuzzer kept (tests/media/avi_regressions): each must open or
// fail cleanly, and reading every frame stays inside the buffer the module
// asks for.
TEST_F(AviMalformedTest, KeptFuzzInputsStayHarmless) {
    std::string dir = std::string(VELTO_SOURCE_DIR) + "/tests/media/avi_regressions";
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr) << dir;
    int files = 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') {
            continue;
        }
        files++;
        std::string path = dir + "/" + e->d_name;
        for (int getIndex = 0; getIndex < 2; getIndex++) {
            avi_t* avi = AVI_open_input_file(path.c_str(), getIndex);
            if (!avi) {
                EXPECT_GT(AVI_errno, 0) << path;
                continue;
            }
            std::vector<char> frame(size_t(AVI_max_video_chunk(avi)));
            int key = 0, frames = 0;
            while (AVI_read_frame(avi, frame.data(), &key) >= 0) {
                frames++;
            }
            EXPECT_EQ(frames, getIndex ? AVI_video_frames(avi) : 0) << path;
            AVI_close(avi);
        }
    }
    closedir(d);
    EXPECT_GE(files, 2);
}

}  // namespace
