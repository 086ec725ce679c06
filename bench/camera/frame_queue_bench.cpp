// Frame queue figures: the cost of handing one frame over through the queue
// compared with a plain memcpy of the same frame, and how quickly a waiting
// consumer wakes up after the producer adds a frame.
#include <benchmark/benchmark.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "camera/doublebuffer.h"

namespace {

using Clock = std::chrono::steady_clock;

double NsPerCopy(int frameBytes) {
    std::vector<char> src(frameBytes, 1), dst(frameBytes);
    const int rounds = 2000;
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        src[0] = static_cast<char>(i);
        memcpy(dst.data(), src.data(), frameBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / rounds;
}

void BM_Memcpy(benchmark::State& state) {
    const int bytes = static_cast<int>(state.range(0));
    std::vector<char> src(bytes, 1), dst(bytes);
    for (auto _ : state) {
        memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// Add, pop and release one frame: what one frame costs on its way from the
// capture thread to the controller thread.
void BM_QueueHandOver(benchmark::State& state) {
    const int bytes = static_cast<int>(state.range(0));
    std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(bytes, 2));
    std::vector<char> frame(bytes, 2);
    const double baseline = NsPerCopy(bytes);
    auto start = Clock::now();
    for (auto _ : state) {
        queue->AddNewData(frame.data(), bytes);
        CDoubleBufferData* data = queue->PopData();
        int len = 0;
        benchmark::DoNotOptimize(data->GetData(len));
        data->ReleaseData();
        queue->ReleaseData(data);
    }
    double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                std::max<double>(1, state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["memcpy_ns"] = baseline;
    state.counters["ratio_to_memcpy"] = ns / baseline;
}

// A consumer blocked in WaitNewData and a producer adding 10,000 frames, each
// stamped with the time it was added.
void BM_WakeUpLatency(benchmark::State& state) {
    const int kFrames = 10000;
    const int bytes = 320 * 240 * 2;
    for (auto _ : state) {
        std::unique_ptr<CDoubleBuffer> queue(CDoubleBuffer::CreateNew(bytes, 2));
        std::vector<double> latencies;
        latencies.reserve(kFrames);
        std::atomic<int> consumed{0};
        std::thread consumer([&] {
            while (consumed < kFrames) {
                if (queue->WaitNewData(1000) != 0) {
                    continue;
                }
                auto now = Clock::now().time_since_epoch().count();
                while (CDoubleBufferData* data = queue->PopData()) {
                    int len = 0;
                    char* p = data->GetData(len);
                    long long stamp = 0;
                    memcpy(&stamp, p, sizeof stamp);
                    latencies.push_back(static_cast<double>(now - stamp));
                    data->ReleaseData();
                    queue->ReleaseData(data);
                    ++consumed;
                }
            }
        });
        std::vector<char> frame(bytes, 3);
        for (int i = 0; i < kFrames; ++i) {
            // Give the consumer time to go back to sleep, so every frame
            // measures a real wake-up.
            while (consumed < i) {
                std::this_thread::yield();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            long long stamp = Clock::now().time_since_epoch().count();
            memcpy(frame.data(), &stamp, sizeof stamp);
            queue->AddNewData(frame.data(), bytes);
        }
        consumer.join();
        std::sort(latencies.begin(), latencies.end());
        state.counters["median_us"] = latencies[latencies.size() / 2] / 1000.0;
        state.counters["p99_us"] = latencies[latencies.size() * 99 / 100] / 1000.0;
        state.counters["worst_us"] = latencies.back() / 1000.0;
        state.counters["frames"] = static_cast<double>(latencies.size());
    }
}

BENCHMARK(BM_Memcpy)->Arg(320 * 240 * 2)->Arg(640 * 480 * 2);
BENCHMARK(BM_QueueHandOver)->Arg(320 * 240 * 2)->Arg(640 * 480 * 2);
BENCHMARK(BM_WakeUpLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
