// Per-frame costs of the media path, each against a baseline measured in the
// same run; the ratios are printed at the end (ours / baseline, lower is
// better):
//   - YUYV to RGB24 and BGRA32 at 640 x 480 against libyuv with its SIMD
//     paths and with its C path only (what the board's ARM926 would run);
//   - the display crop at every zoom level against memcpy of the same bytes;
//   - the snapshot (convert, stamp, encode at quality 100) against
//     libjpeg-turbo encoding the same RGB alone;
//   - AVI writing of 153,600-byte frames against raw write() with the same
//     synchronous open flags on the same file system;
//   - opening a file at the 4 GB limit (sparse) with its index and with the
//     index rebuilt.
// Run in a scratch directory: files are written to the working directory.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <jpeglib.h>
#include <libyuv.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include "bench/bench_ratio_reporter.h"

#include <map>
#include <string>
#include <vector>

#include "camera/color.h"
#include "camera/utils.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_avi.h"

namespace {

constexpr int kW = 640, kH = 480;

std::vector<uint8_t> Frame(int w, int h) {
    std::vector<uint8_t> f(size_t(w) * h * 2);
    uint32_t x = 12345;
    for (auto& b : f) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 16);
    }
    return f;
}

// Sends standard output to /dev/null while alive: the encoder and the
// reader log a line or two per call, which would bury the report.
class CQuietStdout {
public:
    CQuietStdout() : m_nSaved(dup(1)) {
        fflush(stdout);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~CQuietStdout() {
        fflush(stdout);
        dup2(m_nSaved, 1);
        close(m_nSaved);
    }

private:
    int m_nSaved;
};

// ---- Colour conversions ----

void BM_Ours_RGB24(benchmark::State& state) {
    initLut();
    std::vector<uint8_t> in = Frame(kW, kH), out(kW * kH * 3);
    for (auto _ : state) {
        Velto::ConvertYUYVToRGB24(in.data(), out.data(), kW * kH);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_Ours_BGRA32(benchmark::State& state) {
    initLut();
    std::vector<uint8_t> in = Frame(kW, kH), out(kW * kH * 4);
    for (auto _ : state) {
        Velto::ConvertYUYVToBGRA32(in.data(), out.data(), kW * kH);
        benchmark::DoNotOptimize(out.data());
    }
}

// libyuv has no YUY2 to R,G,B bytes in one step: through ARGB, then RAW
// (its name for R, G, B byte order).
void LibyuvRGB24(benchmark::State& state, bool simd) {
    libyuv::MaskCpuFlags(simd ? -1 : 1);
    std::vector<uint8_t> in = Frame(kW, kH), argb(kW * kH * 4), out(kW * kH * 3);
    for (auto _ : state) {
        libyuv::YUY2ToARGB(in.data(), kW * 2, argb.data(), kW * 4, kW, kH);
        libyuv::ARGBToRAW(argb.data(), kW * 4, out.data(), kW * 3, kW, kH);
        benchmark::DoNotOptimize(out.data());
    }
    libyuv::MaskCpuFlags(-1);
}

void LibyuvBGRA32(benchmark::State& state, bool simd) {
    libyuv::MaskCpuFlags(simd ? -1 : 1);
    std::vector<uint8_t> in = Frame(kW, kH), out(kW * kH * 4);
    for (auto _ : state) {
        // libyuv's ARGB is B, G, R, A in memory, our BGRA32.
        libyuv::YUY2ToARGB(in.data(), kW * 2, out.data(), kW * 4, kW, kH);
        benchmark::DoNotOptimize(out.data());
    }
    libyuv::MaskCpuFlags(-1);
}

void BM_Libyuv_RGB24_SIMD(benchmark::State& s) {
    LibyuvRGB24(s, true);
}
void BM_Libyuv_RGB24_C(benchmark::State& s) {
    LibyuvRGB24(s, false);
}
void BM_Libyuv_BGRA32_SIMD(benchmark::State& s) {
    LibyuvBGRA32(s, true);
}
void BM_Libyuv_BGRA32_C(benchmark::State& s) {
    LibyuvBGRA32(s, false);
}

// ---- Display crop ----

void BM_Ours_Zoom(benchmark::State& state) {
    int level = int(state.range(0));
    unsigned dw = 320 - 32 * level, dh = 240 - 24 * level;
    std::vector<uint8_t> in = Frame(320, 240), out(320 * 240 * 2);
    for (auto _ : state) {
        YUYVtoYUV422PZoomoutCen(reinterpret_cast<char*>(in.data()),
                                reinterpret_cast<char*>(out.data()), 320, 240, dw, dh);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_Memcpy_Zoom(benchmark::State& state) {
    int level = int(state.range(0));
    size_t bytes = size_t(320 - 32 * level) * (240 - 24 * level) * 2;
    std::vector<uint8_t> in = Frame(320, 240), out(320 * 240 * 2);
    for (auto _ : state) {
        memcpy(out.data(), in.data(), bytes);
        benchmark::DoNotOptimize(out.data());
    }
}

// ---- Snapshot ----

void BM_Ours_Snapshot(benchmark::State& state) {
    initLut();
    std::vector<uint8_t> in = Frame(kW, kH);
    FILE* sink = fopen("/dev/null", "wb");
    {
        CQuietStdout quiet;
        for (auto _ : state) {
            encode_yuv422_to_rgb_jpeg(sink, in.data(), kW, kH, 100);
        }
    }
    fclose(sink);
}

void BM_Libjpeg_Snapshot(benchmark::State& state) {
    initLut();
    std::vector<uint8_t> in = Frame(kW, kH), rgb(kW * kH * 3);
    Velto::ConvertYUYVToRGB24(in.data(), rgb.data(), kW * kH);
    FILE* sink = fopen("/dev/null", "wb");
    for (auto _ : state) {
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        jpeg_stdio_dest(&c, sink);
        c.image_width = kW;
        c.image_height = kH;
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 100, TRUE);
        c.dct_method = JDCT_ISLOW;
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = rgb.data() + size_t(c.next_scanline) * kW * 3;
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
    }
    fclose(sink);
}

// ---- AVI writing ----

constexpr int kFrameBytes = 320 * 240 * 2;
constexpr int kFramesPerFile = 250;

void BM_Ours_AviWrite(benchmark::State& state) {
    std::vector<uint8_t> f = Frame(320, 240);
    for (auto _ : state) {
        avi_t* avi = AVI_open_output_file("bench-ours.avi");
        AVI_set_video(avi, 320, 240, 25, "YUY2");
        for (int i = 0; i < kFramesPerFile; i++) {
            AVI_write_frame(avi, reinterpret_cast<char*>(f.data()), kFrameBytes, i);
        }
        AVI_close(avi);
    }
    unlink("bench-ours.avi");
    state.SetBytesProcessed(state.iterations() * int64_t(kFrameBytes) * kFramesPerFile);
}

void BM_RawWrite_AviWrite(benchmark::State& state) {
    std::vector<uint8_t> f = Frame(320, 240);
    for (auto _ : state) {
        int fd = open("bench-raw.bin", O_RDWR | O_CREAT | O_TRUNC | O_DSYNC, 0644);
        for (int i = 0; i < kFramesPerFile; i++) {
            benchmark::DoNotOptimize(write(fd, f.data(), kFrameBytes));
        }
        fsync(fd);
        close(fd);
    }
    unlink("bench-raw.bin");
    state.SetBytesProcessed(state.iterations() * int64_t(kFrameBytes) * kFramesPerFile);
}

// ---- AVI open at the size limit ----

// A recording at the 4 GB limit with holes for the frame data: chunk
// headers and the index are real, the pixels are not stored.
bool MakeLimitFile(const char* path, bool withIndex) {
    avi_t* avi = AVI_open_output_file(path);
    if (!avi) {
        return false;
    }
    AVI_set_video(avi, 320, 240, 25, "YUY2");
    // Thousands of scattered 8-byte writes: without synchronous writes, or
    // building the file would take minutes.
    close(avi->fdes);
    avi->fdes = open(path, O_RDWR);
    uint32_t frames = 0;
    uint32_t pos = AVI_HEADERBYTES;
    std::vector<uint8_t> idx;
    while (uint64_t(pos) + 16ull * (frames + 1) + kFrameBytes + 8 + 32 <= AVI_MAX_LEN) {
        uint8_t head[8] = {'0', '0', 'd', 'b'};
        memcpy(head + 4, &kFrameBytes, 4);
        if (pwrite(avi->fdes, head, 8, pos) != 8) {
            AVI_close(avi);
            return false;
        }
        uint8_t rec[16] = {'0', '0', 'd', 'b', 0x10, 0, 0, 0};
        memcpy(rec + 8, &pos, 4);
        memcpy(rec + 12, &kFrameBytes, 4);
        idx.insert(idx.end(), rec, rec + 16);
        pos += 8 + kFrameBytes;
        frames++;
    }
    // Hand the chunks to the module's own close, which writes the index and
    // the final header.
    avi->pos = pos;
    avi->video_frames = int32_t(frames);
    avi->n_idx = avi->max_idx = int32_t(frames);
    avi->idx = static_cast<unsigned char(*)[16]>(malloc(idx.size()));
    memcpy(avi->idx, idx.data(), idx.size());
    lseek(avi->fdes, pos, SEEK_SET);
    int rc = AVI_close(avi);
    if (rc == 0 && !withIndex) {
        rc = truncate(path, pos);
    }
    return rc == 0;
}

void OpenLimit(benchmark::State& state, const char* path, bool withIndex) {
    if (access(path, F_OK) != 0 && !MakeLimitFile(path, withIndex)) {
        state.SkipWithError("cannot create the sparse file");
        return;
    }
    long frames = 0;
    {
        CQuietStdout quiet;
        for (auto _ : state) {
            avi_t* avi = AVI_open_input_file(path, 1);
            frames = avi ? AVI_video_frames(avi) : -1;
            AVI_close(avi);
        }
    }
    state.counters["frames"] = double(frames);
}

void BM_AviOpen4G_Index(benchmark::State& s) {
    OpenLimit(s, "bench-limit-idx.avi", true);
}
void BM_AviOpen4G_Rebuilt(benchmark::State& s) {
    OpenLimit(s, "bench-limit-noidx.avi", false);
}

BENCHMARK(BM_Ours_RGB24);
BENCHMARK(BM_Libyuv_RGB24_SIMD);
BENCHMARK(BM_Libyuv_RGB24_C);
BENCHMARK(BM_Ours_BGRA32);
BENCHMARK(BM_Libyuv_BGRA32_SIMD);
BENCHMARK(BM_Libyuv_BGRA32_C);
BENCHMARK(BM_Ours_Zoom)->DenseRange(0, 7);
BENCHMARK(BM_Memcpy_Zoom)->DenseRange(0, 7);
BENCHMARK(BM_Ours_Snapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libjpeg_Snapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_AviWrite)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_RawWrite_AviWrite)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_AviOpen4G_Index)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AviOpen4G_Rebuilt)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printf("\nRatios (ours / baseline):\n");
    reporter.Ratio("BM_Ours_RGB24", "BM_Libyuv_RGB24_SIMD");
    reporter.Ratio("BM_Ours_RGB24", "BM_Libyuv_RGB24_C");
    reporter.Ratio("BM_Ours_BGRA32", "BM_Libyuv_BGRA32_SIMD");
    reporter.Ratio("BM_Ours_BGRA32", "BM_Libyuv_BGRA32_C");
    for (int level = 0; level <= 7; level++) {
        std::string l = "/" + std::to_string(level);
        reporter.Ratio("BM_Ours_Zoom" + l, "BM_Memcpy_Zoom" + l);
    }
    reporter.Ratio("BM_Ours_Snapshot", "BM_Libjpeg_Snapshot");
    reporter.Ratio("BM_Ours_AviWrite/iterations:4", "BM_RawWrite_AviWrite/iterations:4");
    reporter.Ratio("BM_AviOpen4G_Rebuilt", "BM_AviOpen4G_Index");
    unlink("bench-limit-idx.avi");
    unlink("bench-limit-noidx.avi");
    benchmark::Shutdown();
    return 0;
}
