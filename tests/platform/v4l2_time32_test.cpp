// The V4L2 buffer requests of a 32-bit board with a 64-bit time_t, made
// again in the 32-bit time layout for a kernel that knows only that one.
#include "platform/velto_v4l2_time32.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <time.h>

#include <vector>

namespace {

constexpr bool kBoardWithTime64 = sizeof(time_t) == 8 && sizeof(long) == 4;

// A kernel older than 5.6: the buffer requests in the 32-bit time layout
// only (68 bytes); it dequeues buffer 3 with 1234 bytes at 5.000006 s.
std::vector<unsigned long> g_calls;
int OldKernel(int, unsigned long request, void* arg) {
    g_calls.push_back(request);
    if (request != 0xc0445611ul) {  // VIDIOC_DQBUF with 32-bit times
        errno = ENOTTY;
        return -1;
    }
    uint8_t* b = static_cast<uint8_t*>(arg);
    uint32_t type, memory;
    memcpy(&type, b + 4, 4);
    memcpy(&memory, b + 48, 4);
    if (type != V4L2_BUF_TYPE_VIDEO_CAPTURE || memory != V4L2_MEMORY_MMAP) {
        errno = EINVAL;
        return -1;
    }
    uint32_t index = 3, bytesused = 1234, sequence = 77, offset = 0x3000;
    int32_t sec = 5, usec = 6;
    memcpy(b + 0, &index, 4);
    memcpy(b + 8, &bytesused, 4);
    memcpy(b + 20, &sec, 4);
    memcpy(b + 24, &usec, 4);
    memcpy(b + 44, &sequence, 4);
    memcpy(b + 52, &offset, 4);
    return 0;
}

int NewKernel(int, unsigned long request, void* arg) {
    g_calls.push_back(request);
    static_cast<v4l2_buffer*>(arg)->bytesused = 99;
    return 0;
}

class V4L2Time32Test : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        memset(&m_buf, 0, sizeof m_buf);
        m_buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_buf.memory = V4L2_MEMORY_MMAP;
    }
    v4l2_buffer m_buf;
};

TEST_F(V4L2Time32Test, OnlyTheBufferRequestsHaveAnOlderForm) {
    EXPECT_EQ(0u, Velto::V4L2Time32Request(VIDIOC_STREAMON));
    EXPECT_EQ(0u, Velto::V4L2Time32Request(VIDIOC_S_FMT));
    if (!kBoardWithTime64) {
        EXPECT_EQ(0u, Velto::V4L2Time32Request(VIDIOC_QBUF)) << "nothing to do with this time_t";
        return;
    }
    // The numbers a kernel with 32-bit times knows.
    EXPECT_EQ(0xc0445609ul, Velto::V4L2Time32Request(VIDIOC_QUERYBUF));
    EXPECT_EQ(0xc044560ful, Velto::V4L2Time32Request(VIDIOC_QBUF));
    EXPECT_EQ(0xc0445611ul, Velto::V4L2Time32Request(VIDIOC_DQBUF));
    EXPECT_NE(VIDIOC_DQBUF, 0xc0445611ul) << "the build's own request is the 64-bit one";
}

TEST_F(V4L2Time32Test, AnOldKernelGetsTheRequestItKnowsAndTheAnswerComesBack) {
    int rc = Velto::V4L2Ioctl(&OldKernel, 7, VIDIOC_DQBUF, &m_buf);
    if (!kBoardWithTime64) {
        EXPECT_EQ(-1, rc);
        EXPECT_EQ(ENOTTY, errno);
        EXPECT_EQ(1u, g_calls.size());
        return;
    }
    ASSERT_EQ(0, rc);
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ(VIDIOC_DQBUF, g_calls[0]);
    EXPECT_EQ(3u, m_buf.index);
    EXPECT_EQ(1234u, m_buf.bytesused);
    EXPECT_EQ(5, m_buf.timestamp.tv_sec);
    EXPECT_EQ(6, m_buf.timestamp.tv_usec);
    EXPECT_EQ(77u, m_buf.sequence);
    EXPECT_EQ(0x3000u, m_buf.m.offset);
    EXPECT_EQ((uint32_t)V4L2_MEMORY_MMAP, m_buf.memory);

    // Its refusal is the caller's answer, and the buffer stays as it was.
    g_calls.clear();
    m_buf.memory = V4L2_MEMORY_USERPTR;
    m_buf.bytesused = 1;
    EXPECT_EQ(-1, Velto::V4L2Ioctl(&OldKernel, 7, VIDIOC_DQBUF, &m_buf));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(1u, m_buf.bytesused);
    // Requests without an older form are not made twice.
    g_calls.clear();
    EXPECT_EQ(-1, Velto::V4L2Ioctl(&OldKernel, 7, VIDIOC_STREAMON, &m_buf));
    EXPECT_EQ(ENOTTY, errno);
    EXPECT_EQ(1u, g_calls.size());
}

TEST_F(V4L2Time32Test, AKernelThatKnowsTheRequestIsAskedOnce) {
    ASSERT_EQ(0, Velto::V4L2Ioctl(&NewKernel, 7, VIDIOC_QBUF, &m_buf));
    EXPECT_EQ(99u, m_buf.bytesused);
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(VIDIOC_QBUF, g_calls[0]);
}

}  // namespace
