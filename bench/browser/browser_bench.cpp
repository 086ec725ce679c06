// Cost of opening one explorer page: the grid builds six thumbnails from
// recordings (first frame, converted to RGB) or from 640 x 480 photos
// (decoded at a reduced scale). The photos are compared with decoding the
// same six files whole and shrinking them into the cells; the ratios are
// printed at the end (ours / baseline, lower is better), with the share of
// the baseline that is entropy decoding, which every decode must do. The
// photos are as the device writes them, with an EXIF preview, and the same
// pictures without it (/3 .. /5), as pictures from elsewhere may be.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include "bench/bench_ratio_reporter.h"

#include <jpeglib.h>

#include <list>
#include <map>
#include <string>
#include <vector>

#include "browser/velto_UI_Ctrl2LineExplorer.h"
#include "camera/color.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_avi.h"
#include "media/velto_exif.h"
#include "toolkit/tk_host.h"
#include "toolkit/winapi.h"

namespace {

constexpr int kFiles = 6;

// A camera-like picture: smooth gradients with some grain, so the JPEG
// files have the entropy of real ones rather than of flat colour.
std::vector<unsigned char> Scene(int w, int h, int seed, int grainLevels = 16) {
    std::vector<unsigned char> f((size_t)w * h * 2);
    unsigned rnd = 12345u + (unsigned)seed;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; x += 2) {
            rnd = rnd * 1103515245u + 12345u;
            int grain = (int)((rnd >> 16) % (unsigned)grainLevels) - grainLevels / 2;
            unsigned char* p = &f[((size_t)y * w + x) * 2];
            int luma = 40 + (x * 150 / w) + (y * 50 / h) + grain;
            p[0] = (unsigned char)std::min(235, std::max(16, luma));
            p[1] = (unsigned char)(96 + (x + seed * 40) % 64);
            p[2] = (unsigned char)std::min(235, std::max(16, luma + grain / 2));
            p[3] = (unsigned char)(112 + (y + seed * 25) % 48);
        }
    }
    return f;
}

struct Files {
    std::string dir;
    std::list<std::string> avi;
    // Photos with little grain (a well lit close-up), with sensor noise in
    // every pixel (the hard case for the entropy decoder) and without any
    // (flat scenes such as the simulated camera's colour bars).
    // 0 .. 2 as written, 3 .. 5 the same without their preview.
    std::list<std::string> jpg[6];
    long jpgBytes[6] = {0, 0, 0, 0, 0, 0};
};

// Copies a photo with its EXIF block written again without the preview;
// the size of the copy.
long WithoutPreview(const std::string& from, const std::string& to) {
    std::string b;
    if (FILE* f = fopen(from.c_str(), "rb")) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
            b.append(buf, n);
        }
        fclose(f);
    }
    // SOI, the JFIF marker, then the EXIF marker, as the encoder writes them.
    const size_t app1 = 2 + 18;
    if (b.size() < app1 + 4 || (unsigned char)b[app1 + 1] != 0xE1) {
        return 0;
    }
    size_t len = size_t((unsigned char)b[app1 + 2]) << 8 | (unsigned char)b[app1 + 3];
    tm when{};
    std::vector<uint8_t> exif = VeltoBuildExifBlock(when, 640, 480);
    std::string out = b.substr(0, app1);
    out += "\xFF\xE1";
    out += char((exif.size() + 2) >> 8);
    out += char((exif.size() + 2) & 0xFF);
    out.append(exif.begin(), exif.end());
    out += b.substr(app1 + 2 + len);
    if (FILE* f = fopen(to.c_str(), "wb")) {
        fwrite(out.data(), 1, out.size(), f);
        fclose(f);
    }
    return long(out.size());
}

Files& TheFiles() {
    static Files files;
    if (!files.dir.empty()) {
        return files;
    }
    char tmpl[] = "/tmp/velto-bench-browser-XXXXXX";
    files.dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    initLut();
    for (int i = 0; i < kFiles; ++i) {
        for (int kind = 0; kind < 3; ++kind) {
            std::string jpg =
                files.dir + "/" + std::to_string(i) + "-" + std::to_string(kind) + ".jpg";
            std::vector<unsigned char> photo = Scene(640, 480, i,
                                                     kind == 0   ? 4
                                                     : kind == 1 ? 16
                                                                 : 1);
            if (FILE* f = fopen(jpg.c_str(), "wb")) {
                // The device's own quality setting.
                encode_yuyv_frame_to_jpeg(f, photo.data(), (long)photo.size(), 640, 480, 100);
                files.jpgBytes[kind] += ftell(f);
                fclose(f);
            }
            files.jpg[kind].push_back(jpg);
            std::string bare =
                files.dir + "/" + std::to_string(i) + "-" + std::to_string(kind + 3) + ".jpg";
            files.jpgBytes[kind + 3] += WithoutPreview(jpg, bare);
            files.jpg[kind + 3].push_back(bare);
        }

        std::string avi = files.dir + "/" + std::to_string(i) + ".avi";
        std::vector<unsigned char> frame = Scene(320, 240, i);
        if (avi_t* a = AVI_open_output_file(avi.c_str())) {
            AVI_set_video(a, 320, 240, 15, "YUY2");
            for (int k = 0; k < 15; ++k) {
                AVI_write_frame(a, (char*)frame.data(), (long)frame.size(), 1);
            }
            AVI_close(a);
        }
        files.avi.push_back(avi);
    }
    return files;
}

struct Screen {
    HWND top = nullptr;
    CVeltoUICtrl2LineExplorer* grid = nullptr;
};

// The grid where the explorer has it on the 320 x 240 panel.
Screen& TheScreen() {
    static Screen s;
    if (s.top) {
        return s;
    }
    MwSelectDisplay("memory", 320, 240);
    MwOpen();
    s.top = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                           MwGetInstance(), nullptr);
    s.grid = CVeltoUICtrl2LineExplorer::CreateNew(MwGetInstance(), s.top, 10, 66, 300, 150);
    MwPumpMessages();
    return s;
}

void PageOf(benchmark::State& state, std::list<std::string>& paths) {
    Screen& s = TheScreen();
    for (auto _ : state) {
        s.grid->InitPicList(paths);
        benchmark::DoNotOptimize(s.grid->m_lPicList.data());
    }
    int shown = 0;
    for (PSD p : s.grid->m_lPicList) {
        shown += p != nullptr;
    }
    state.counters["thumbnails"] = shown;
}

void BM_AviPage_InitPicList(benchmark::State& state) {
    PageOf(state, TheFiles().avi);
}

void BM_JpegPage_InitPicList(benchmark::State& state) {
    PageOf(state, TheFiles().jpg[state.range(0)]);
    state.counters["KiB/file"] = TheFiles().jpgBytes[state.range(0)] / kFiles / 1024.0;
}

// The page built and painted: thumbnails, then one paint of the grid.
void BM_JpegPage_InitAndPaint(benchmark::State& state) {
    Screen& s = TheScreen();
    for (auto _ : state) {
        s.grid->InitPicList(TheFiles().jpg[state.range(0)]);
        InvalidateRect(s.grid->m_hHwnd, nullptr, TRUE);
        UpdateWindow(s.grid->m_hHwnd);
    }
}

// The baseline: each photo decoded whole, then shrunk into its cell.
void BM_JpegPage_FullDecodeShrink(benchmark::State& state) {
    Screen& s = TheScreen();
    int w = 0, h = 0;
    s.grid->GetPictureSize(w, h);
    HDC dc = GetDC(s.grid->m_hHwnd);
    for (auto _ : state) {
        int i = 0;
        for (const std::string& path : TheFiles().jpg[state.range(0)]) {
            PSD image = GdLoadImageFromFile(path.c_str(), 0);
            DrawDIBFit(dc, 3 + (i % 3) * 100, 3 + (i / 3) * 75, w, h, image);
            if (image) {
                image->FreeMemGC(image);
            }
            ++i;
        }
    }
    ReleaseDC(s.grid->m_hHwnd, dc);
}

// The floor under any decode of these files: the entropy decoding alone
// (every coefficient read, none transformed), which no output scale saves.
void BM_JpegPage_EntropyOnly(benchmark::State& state) {
    std::vector<std::string> data;
    for (const std::string& path : TheFiles().jpg[state.range(0)]) {
        std::string bytes;
        if (FILE* f = fopen(path.c_str(), "rb")) {
            char buf[65536];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
                bytes.append(buf, n);
            }
            fclose(f);
        }
        data.push_back(bytes);
    }
    for (auto _ : state) {
        for (const std::string& bytes : data) {
            jpeg_decompress_struct cinfo;
            jpeg_error_mgr err;
            cinfo.err = jpeg_std_error(&err);
            jpeg_create_decompress(&cinfo);
            jpeg_mem_src(&cinfo, (const unsigned char*)bytes.data(), (unsigned long)bytes.size());
            jpeg_read_header(&cinfo, TRUE);
            benchmark::DoNotOptimize(jpeg_read_coefficients(&cinfo));
            jpeg_destroy_decompress(&cinfo);
        }
    }
}

BENCHMARK(BM_AviPage_InitPicList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegPage_InitPicList)->Unit(benchmark::kMillisecond)->DenseRange(0, 5);
BENCHMARK(BM_JpegPage_InitAndPaint)->Unit(benchmark::kMillisecond)->DenseRange(0, 5);
BENCHMARK(BM_JpegPage_FullDecodeShrink)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);
BENCHMARK(BM_JpegPage_EntropyOnly)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printf("\nRatios (ours / baseline):\n");
    for (const char* kind : {"/0", "/1", "/2"}) {
        // The same pictures without their preview: /3 .. /5.
        std::string bare = std::string("/") + char(kind[1] + 3);
        reporter.Ratio(std::string("BM_JpegPage_InitPicList") + kind,
                       std::string("BM_JpegPage_FullDecodeShrink") + kind);
        reporter.Ratio(std::string("BM_JpegPage_InitPicList") + bare,
                       std::string("BM_JpegPage_FullDecodeShrink") + kind);
        reporter.Ratio(std::string("BM_JpegPage_InitAndPaint") + kind,
                       std::string("BM_JpegPage_FullDecodeShrink") + kind);
        reporter.Ratio(std::string("BM_JpegPage_InitAndPaint") + bare,
                       std::string("BM_JpegPage_FullDecodeShrink") + kind);
        reporter.Ratio(std::string("BM_JpegPage_EntropyOnly") + kind,
                       std::string("BM_JpegPage_FullDecodeShrink") + kind);
    }
    Files& f = TheFiles();
    for (auto& list : f.jpg) {
        for (const std::string& p : list) {
            unlink(p.c_str());
        }
    }
    for (const std::string& p : f.avi) {
        unlink(p.c_str());
    }
    rmdir(f.dir.c_str());
    benchmark::Shutdown();
    return 0;
}
