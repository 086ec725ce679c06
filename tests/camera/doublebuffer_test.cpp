#include "camera/doublebuffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Contents(CDoubleBufferData* data) {
    int len = -1;
    char* p = data->GetData(len);
    return std::string(p, len);
}

long long ElapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(DoubleBuffer, CreateRejectsBadSizes) {
    EXPECT_EQ(CDoubleBuffer::CreateNew(0, 2), nullptr);
    EXPECT_EQ(CDoubleBuffer::CreateNew(100, 0), nullptr);
    EXPECT_EQ(CDoubleBuffer::CreateNew(-5, 2), nullptr);
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(16, 3));
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->GetPoolSize(), 3);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 3);
    EXPECT_EQ(queue->GetDataBufferSize(), 0);
}

TEST(DoubleBuffer, FullQueueDropsNewestAndKeepsOrder) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(8, 2));
    char a[] = "first", b[] = "second", c[] = "third";
    queue->AddNewData(a, 5);
    queue->AddNewData(b, 6);
    queue->AddNewData(c, 5);  // no free buffer: dropped
    EXPECT_EQ(queue->GetDataBufferSize(), 2);

    CDoubleBufferData* first = queue->PopData();
    CDoubleBufferData* second = queue->PopData();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Contents(first), "first");
    EXPECT_EQ(Contents(second), "second");
    EXPECT_EQ(queue->PopData(), nullptr);

    // A buffer given back is used for the next frame.
    queue->ReleaseData(first);
    queue->AddNewData(c, 5);
    CDoubleBufferData* third = queue->PopData();
    ASSERT_EQ(third, first);
    EXPECT_EQ(Contents(third), "third");
}

TEST(DoubleBuffer, IgnoresEmptyInputAndTruncatesLongFrames) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 2));
    char frame[] = "abcdefgh";
    queue->AddNewData(nullptr, 8);
    queue->AddNewData(frame, 0);
    queue->AddNewData(frame, -1);
    EXPECT_EQ(queue->GetDataBufferSize(), 0);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 2);

    queue->AddNewData(frame, 8);
    CDoubleBufferData* data = queue->PopData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(Contents(data), "abcd");
    EXPECT_TRUE(data->IsHeld());

    // SetData with bad arguments leaves the stored frame alone.
    data->SetData(nullptr, 3);
    data->SetData(frame, 0);
    EXPECT_EQ(Contents(data), "abcd");
    data->ReleaseData();
    EXPECT_FALSE(data->IsHeld());
}

TEST(DoubleBuffer, ReleaseGuardsAgainstForeignAndRepeatedBuffers) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 2));
    std::unique_ptr<CDoubleBuffer> other(CDoubleBuffer::CreateNew(4, 2));
    char frame[] = "abcd";
    queue->ReleaseData(nullptr);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 2);

    queue->AddNewData(frame, 4);
    CDoubleBufferData* data = queue->PopData();
    queue->ReleaseData(data);
    queue->ReleaseData(data);  // twice: must not appear twice in the free queue
    EXPECT_EQ(queue->GetEmptyQueueSize(), 2);

    other->AddNewData(frame, 4);
    CDoubleBufferData* foreign = other->PopData();
    queue->ReleaseData(foreign);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 2);

    // A stale release of a buffer that is queued again would hand it out twice.
    queue->ReleaseData(data);
    char a[] = "aaaa", b[] = "bbbb", c[] = "cccc";
    queue->AddNewData(a, 4);
    queue->AddNewData(b, 4);
    CDoubleBufferData* p1 = queue->PopData();
    CDoubleBufferData* p2 = queue->PopData();
    queue->ReleaseData(p2);
    queue->AddNewData(c, 4);  // p2 now holds "cccc" in the filled queue
    queue->ReleaseData(p2);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 0);
    EXPECT_EQ(queue->GetDataBufferSize(), 1);
    queue->AddNewData(a, 4);  // p1 still held: dropped
    EXPECT_EQ(Contents(queue->PopData()), "cccc");
    queue->ReleaseData(p1);
}

TEST(DoubleBuffer, ClearDataReturnsWholePool) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 3));
    char frame[] = "abcd";
    queue->AddNewData(frame, 4);
    queue->AddNewData(frame, 4);
    queue->AddNewData(frame, 4);
    CDoubleBufferData* held = queue->PopData();
    ASSERT_NE(held, nullptr);
    queue->ClearData();
    EXPECT_EQ(queue->GetDataBufferSize(), 0);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 3);
    EXPECT_EQ(queue->PopData(), nullptr);

    // Every buffer is free exactly once: three frames fit, the fourth drops.
    for (int i = 0; i < 4; ++i) {
        queue->AddNewData(frame, 4);
    }
    EXPECT_EQ(queue->GetDataBufferSize(), 3);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 0);
}

TEST(DoubleBuffer, WaitReturnsAtOnceWhenFrameQueued) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 2));
    char frame[] = "abcd";
    queue->AddNewData(frame, 4);
    auto start = Clock::now();
    EXPECT_EQ(queue->WaitNewData(5000), 0);
    EXPECT_LT(ElapsedMs(start), 100);
}

TEST(DoubleBuffer, SubSecondTimeoutWaitsItsFullLength) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 2));
    for (int timeoutMs : {150, 400}) {
        auto start = Clock::now();
        EXPECT_EQ(queue->WaitNewData(timeoutMs), 1);
        long long elapsed = ElapsedMs(start);
        EXPECT_GE(elapsed, timeoutMs - 5) << "timeout " << timeoutMs;
        EXPECT_LT(elapsed, timeoutMs + 300) << "timeout " << timeoutMs;
    }
    // Nothing to wait on: an uninitialised queue times out at once.
    CDoubleBuffer bare;
    EXPECT_EQ(bare.WaitNewData(1000), 1);
    EXPECT_EQ(bare.PopData(), nullptr);
}

TEST(DoubleBufferThreaded, WaitWakesOnFrameFromOtherThread) {
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(4, 2));
    char frame[] = "abcd";
    auto start = Clock::now();
    std::thread producer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        queue->AddNewData(frame, 4);
    });
    EXPECT_EQ(queue->WaitNewData(3000), 0);
    EXPECT_LT(ElapsedMs(start), 1500);
    producer.join();
    EXPECT_NE(queue->PopData(), nullptr);
}

// Producer and consumer at full speed: each frame carries its number, so the
// consumer can check it gets frames oldest first, whole, and never twice.
TEST(DoubleBufferThreaded, ProducerConsumerKeepOrderAndContent) {
    const int kFrames = 20000;
    const int kSize = 256;
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(kSize, 2));
    std::atomic<bool> done{false};
    std::thread producer([&] {
        std::vector<char> frame(kSize);
        for (int n = 1; n <= kFrames; ++n) {
            for (int i = 0; i < kSize; i += 4) {
                memcpy(&frame[i], &n, 4);
            }
            queue->AddNewData(frame.data(), kSize);
        }
        done = true;
    });

    int last = 0;
    int received = 0;
    bool intact = true;
    while (true) {
        bool finished = done;
        if (queue->WaitNewData(20) == 0) {
            while (CDoubleBufferData* data = queue->PopData()) {
                int len = 0;
                char* p = data->GetData(len);
                int n = 0;
                memcpy(&n, p, 4);
                for (int i = 0; i < len; i += 4) {
                    intact = intact && memcmp(p + i, &n, 4) == 0;
                }
                EXPECT_EQ(len, kSize);
                EXPECT_GT(n, last);
                last = n;
                ++received;
                data->ReleaseData();
                queue->ReleaseData(data);
            }
        } else if (finished) {
            break;
        }
    }
    producer.join();
    EXPECT_TRUE(intact);
    EXPECT_GT(received, 0);
    EXPECT_LE(received, kFrames);
    EXPECT_EQ(queue->GetEmptyQueueSize(), 2);
}

}  // namespace
