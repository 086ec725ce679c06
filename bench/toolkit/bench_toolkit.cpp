// Painting cost of a typical screen: a full repaint of 320 x 240 with a
// caption, a list box of four icon rows and text, against a plain fill and
// copy of the same screen as the baseline; and the cost of one glyph.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "toolkit/tk_host.h"
#include "toolkit/winapi.h"

namespace {

struct Screen {
    HWND top = nullptr;
    HWND cap = nullptr;
    HWND lb = nullptr;
    std::vector<PSD> icons;
    HFONT caption = nullptr, list = nullptr;
};

Screen& Scene() {
    static Screen s;
    if (s.top) {
        return s;
    }
    // Artwork and fonts are found relative to the programs' folder.
    if (chdir(VELTO_BIN_DIR) != 0) {
        perror(VELTO_BIN_DIR);
    }
    MwSelectDisplay("memory", 320, 240);
    MwOpen();
    s.top = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                           MwGetInstance(), nullptr);
    HWND cap = s.cap = CreateWindowEx(0, "STATIC", "Setup", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0,
                                      320, 38, s.top, nullptr, MwGetInstance(), nullptr);
    s.caption = CreateFont(22, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 4, 700, "MSYH.TTF");
    SendMessage(cap, WM_SETFONT, (WPARAM)s.caption, 0);
    HWND lb = s.lb = CreateWindowEx(0, "LISTBOX", "SETUP", 0x50002001, 8, 48, 304, 184, s.top,
                                    nullptr, MwGetInstance(), nullptr);
    s.list = CreateFont(21, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    SendMessage(lb, WM_SETFONT, (WPARAM)s.list, 0);
    const char* rows[][2] = {{"img/asetting.png", "Advanced Settings"},
                             {"img/color.png", "Color or Black/White"},
                             {"img/format.png", "Format Media"},
                             {"img/help.png", "Help"}};
    for (auto& r : rows) {
        s.icons.push_back(GdLoadImageFromFile(r[0], 0));
        LISTBOXITEMINFO item{0, const_cast<char*>(r[1]), 0, s.icons.back()};
        SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)&item);
    }
    SendMessage(lb, LB_SETITEMHEIGHT, 0, 46);
    SendMessage(lb, LB_SETCURSEL, 0, 0);
    MwPumpMessages();
    return s;
}

void InvalidateTree(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
}

void BM_FullRepaint(benchmark::State& state) {
    Screen& s = Scene();
    HWND cap = s.cap;
    HWND lb = s.lb;
    for (auto _ : state) {
        InvalidateTree(s.top);
        InvalidateTree(cap);
        InvalidateTree(lb);
        MwPumpMessages();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FillAndCopyBaseline(benchmark::State& state) {
    // What a repaint cannot beat: filling the screen once and presenting it.
    std::vector<uint32_t> screen(320 * 240), shown(320 * 240);
    uint32_t colour = 0xFFFFFFFFu;
    for (auto _ : state) {
        std::fill(screen.begin(), screen.end(), colour++);
        std::memcpy(shown.data(), screen.data(), screen.size() * 4);
        benchmark::DoNotOptimize(shown.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Glyph(benchmark::State& state) {
    Screen& s = Scene();
    static const char text[] = "Color or Black/White 0123456789 Format";
    const int glyphs = (int)sizeof text - 1;
    HDC hdc = GetDC(s.top);
    SelectObject(hdc, s.list);
    SetBkMode(hdc, TRANSPARENT);
    RECT rc{0, 100, 320, 140};
    for (auto _ : state) {
        DrawText(hdc, text, -1, &rc, DT_SINGLELINE);
    }
    ReleaseDC(s.top, hdc);
    state.SetItemsProcessed(state.iterations() * glyphs);
    state.SetLabel("items = glyphs");
}

BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillAndCopyBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Glyph)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The ratio to the baseline, measured here in one go.
    Screen& s = Scene();
    std::vector<uint32_t> a(320 * 240), b(320 * 240);
    const int n = 300;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        InvalidateRect(s.top, nullptr, TRUE);
        InvalidateRect(s.cap, nullptr, TRUE);
        InvalidateRect(s.lb, nullptr, TRUE);
        MwPumpMessages();
    }
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        std::fill(a.begin(), a.end(), (uint32_t)i);
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
    }
    auto t2 = std::chrono::steady_clock::now();
    double repaint = std::chrono::duration<double, std::micro>(t1 - t0).count() / n;
    double base = std::chrono::duration<double, std::micro>(t2 - t1).count() / n;
    printf("full repaint %.1f us, fill+copy baseline %.1f us, ratio %.1f\n", repaint, base,
           base > 0 ? repaint / base : 0.0);
    return 0;
}
