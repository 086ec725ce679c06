// Opening and closing the screen, presenting, the GUI-thread task queue, and
// the host-side views (captures, screenshots, the window tree).
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "toolkit/tk_gdi.h"
#include "toolkit/tk_host.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_surface.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

HWND CreateDesktop(int w, int h);
void RegisterDesktopClass();
void RegisterDialogClass();
void RegisterStaticClass();
void RegisterListBoxClass();
void DrawCursorAndCaret(uint32_t* out, int w, int h);

static std::string g_strBackend = "auto";
static int g_nWantWidth = 0;
static int g_nWantHeight = 0;
static std::thread::id g_guiThread;

CToolkit& Tk() {
    static CToolkit tk;
    return tk;
}

void MarkDirty(const RECT& r) {
    CToolkit& tk = Tk();
    tk.dirty = RectUnion(tk.dirty, r);
}

void Present() {
    CToolkit& tk = Tk();
    if (!tk.display || !tk.screen) {
        return;
    }
    bool overlay = tk.display->OverlayChanged();
    if (RectEmpty(tk.dirty) && !overlay) {
        return;
    }
    RECT dirty = overlay ? RECT{0, 0, tk.screen->xres, tk.screen->yres} : tk.dirty;
    tk.dirty = RECT{0, 0, 0, 0};
    tk.display->Present(tk.screen, dirty);
}

void RunTasks() {
    CToolkit& tk = Tk();
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(tk.queueMutex);
            if (tk.tasks.empty()) {
                return;
            }
            task = std::move(tk.tasks.front());
            tk.tasks.pop_front();
        }
        task();
    }
}

void RegisterBuiltinClasses() {
    RegisterDesktopClass();
    RegisterDialogClass();
    RegisterStaticClass();
    RegisterListBoxClass();
}

}  // namespace VeltoTk

using namespace VeltoTk;

void MwSelectDisplay(const std::string& backend, int width, int height) {
    g_strBackend = backend;
    g_nWantWidth = width;
    g_nWantHeight = height;
}

std::string MwDisplayName() {
    CToolkit& tk = Tk();
    return tk.display ? tk.display->Name() : "";
}

static std::unique_ptr<CDisplay> OpenDisplay() {
    int w = g_nWantWidth, h = g_nWantHeight;
    if (w <= 0 || h <= 0) {
        ScreenSizeFromFramebuffer(&w, &h);
    }
    if (g_strBackend == "memory") {
        return CreateMemoryDisplay(w, h);
    }
    if (g_strBackend == "sdl") {
        return CreateSdlDisplay(w, h);
    }
    if (g_strBackend == "fb") {
        return CreateFramebufferDisplay();
    }
#ifdef VELTO_BOARD
    auto fb = CreateFramebufferDisplay();
    if (fb) {
        return fb;
    }
    printf("Error: no framebuffer, drawing into memory\n");
    return CreateMemoryDisplay(w, h);
#else
    // Under velto-sim's window the screen is shown there; a program started
    // alone on a desktop gets a window of its own; headless runs draw into
    // memory.
    if (SimWindowIsOpen()) {
        auto shared = CreateSimWindowDisplay(w, h);
        if (shared) {
            return shared;
        }
    }
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if ((x11 && *x11) || (wayland && *wayland)) {
        auto sdl = CreateSdlDisplay(w, h);
        if (sdl) {
            return sdl;
        }
    }
    return CreateMemoryDisplay(w, h);
#endif
}

BOOL MwOpen() {
    CToolkit& tk = Tk();
    if (tk.open) {
        return TRUE;
    }
    tk.display = OpenDisplay();
    if (!tk.display) {
        printf("Error: no display could be opened\n");
        return FALSE;
    }
    tk.screen = NewSurface(tk.display->Width(), tk.display->Height());
    if (!tk.screen) {
        tk.display.reset();
        return FALSE;
    }
    tk.screen->flags |= PSF_SCREEN;
    g_guiThread = std::this_thread::get_id();
    tk.open = true;
    RegisterBuiltinClasses();
    GetStockObject(WHITE_BRUSH);
    tk.desktop = CreateDesktop(tk.screen->xres, tk.screen->yres);
    tk.dirty = RECT{0, 0, tk.screen->xres, tk.screen->yres};
    return TRUE;
}

void MwClose() {
    CToolkit& tk = Tk();
    if (!tk.open) {
        return;
    }
    ResetWindows();
    tk.timers.clear();
    tk.modals.clear();
    {
        std::lock_guard<std::mutex> lock(tk.queueMutex);
        tk.posted.clear();
        tk.tasks.clear();
        tk.quitPosted = false;
    }
    ResetObjects();
    tk.screen->flags &= ~PSF_SCREEN;
    FreeMemGC(tk.screen);
    tk.screen = nullptr;
    tk.display.reset();
    tk.cursorShown = false;
    tk.caretOwner = nullptr;
    tk.caretShown = false;
    tk.open = false;
}

HINSTANCE MwGetInstance() {
    static int instance;
    return reinterpret_cast<HINSTANCE>(&instance);
}

int GetSystemMetrics(int index) {
    CToolkit& tk = Tk();
    if (!tk.screen) {
        return 0;
    }
    switch (index) {
        case SM_CXSCREEN:
            return tk.screen->xres;
        case SM_CYSCREEN:
            return tk.screen->yres;
        default:
            return 0;
    }
}

namespace {

// One call of MwRunOnGuiThread from another thread, shared by the caller and
// the queued task.
struct SGuiJob {
    enum EState { QUEUED, RUNNING, DONE, WITHDRAWN };
    std::mutex mutex;
    std::condition_variable changed;
    EState state = QUEUED;

    void Set(EState s) {
        std::lock_guard<std::mutex> lock(mutex);
        state = s;
        changed.notify_all();
    }
};

// Dropped with the queue (the screen closes) before it ran: the caller is
// told at once instead of at its timeout.
struct SGuiJobGuard {
    std::shared_ptr<SGuiJob> job;
    ~SGuiJobGuard() {
        std::lock_guard<std::mutex> lock(job->mutex);
        if (job->state == SGuiJob::QUEUED) {
            job->state = SGuiJob::WITHDRAWN;
            job->changed.notify_all();
        }
    }
};

}  // namespace

bool MwRunOnGuiThread(const std::function<void()>& fn, int timeoutMs) {
    CToolkit& tk = Tk();
    if (!tk.open || std::this_thread::get_id() == g_guiThread) {
        fn();
        return true;
    }
    auto job = std::make_shared<SGuiJob>();
    auto guard = std::make_shared<SGuiJobGuard>();  // no temporary: its end would withdraw
    guard->job = job;
    {
        std::lock_guard<std::mutex> lock(tk.queueMutex);
        tk.tasks.push_back([fn, guard] {
            SGuiJob& j = *guard->job;
            {
                std::lock_guard<std::mutex> lock(j.mutex);
                if (j.state != SGuiJob::QUEUED) {
                    return;  // the caller has given up and gone
                }
                j.state = SGuiJob::RUNNING;
            }
            fn();
            j.Set(SGuiJob::DONE);
        });
    }
    if (tk.display) {
        tk.display->Wake();
    }
    std::unique_lock<std::mutex> lock(job->mutex);
    // A GUI thread stuck in a long callback must not hang the caller forever.
    job->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return job->state == SGuiJob::DONE || job->state == SGuiJob::WITHDRAWN;
    });
    if (job->state == SGuiJob::QUEUED) {
        job->state = SGuiJob::WITHDRAWN;
        printf("Error: the GUI thread did not take a request within %d ms; withdrawn\n", timeoutMs);
        return false;
    }
    // Started: fn uses the caller's data until it returns.
    job->changed.wait(lock, [&] { return job->state != SGuiJob::RUNNING; });
    return job->state == SGuiJob::DONE;
}

bool MwCaptureScreen(std::vector<uint32_t>& pixels, int* width, int* height) {
    CToolkit& tk = Tk();
    if (!tk.screen || !tk.display) {
        return false;
    }
    int w = tk.screen->xres, h = tk.screen->yres;
    pixels.assign((size_t)w * h, 0);
    tk.display->Compose(tk.screen, pixels.data());
    DrawCursorAndCaret(pixels.data(), w, h);
    *width = w;
    *height = h;
    return true;
}

bool MwSaveScreenshot(const std::string& path) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    bool ok = false;
    if (!MwRunOnGuiThread([&] { ok = MwCaptureScreen(px, &w, &h); })) {
        printf("Error: screenshot: the GUI thread is busy\n");
        return false;
    }
    if (!ok) {
        printf("Error: screenshot: the screen is not open\n");
        return false;
    }
    for (uint32_t& p : px) {
        p |= 0xFF000000u;
    }
    std::string error;
    if (!MwWritePng(path, w, h, px.data(), &error)) {
        printf("Error: screenshot: cannot write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool MwWritePng(const std::string& path, int width, int height, const uint32_t* pixels,
                std::string* error) {
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = (png_uint_32)width;
    img.height = (png_uint_32)height;
    img.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in memory on a little-endian CPU
    if (!png_image_write_to_file(&img, path.c_str(), 0, pixels, width * 4, nullptr)) {
        if (error) {
            *error = img.message;
        }
        return false;
    }
    return true;
}

COLORREF MwGetScreenPixel(int x, int y) {
    CToolkit& tk = Tk();
    if (!tk.screen || x < 0 || y < 0 || x >= tk.screen->xres || y >= tk.screen->yres) {
        return 0;
    }
    return PixelToColor(Row32(tk.screen, y)[x]);
}

uint32_t MwGetComposedPixel(int x, int y) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    if (!MwCaptureScreen(px, &w, &h) || x < 0 || y < 0 || x >= w || y >= h) {
        return 0;
    }
    return px[(size_t)y * w + x] & 0xFFFFFFu;
}

void MwSetOverlay(const uint32_t* pixels, int width, int height, int stride) {
    MwSetOverlay(pixels, width, height, stride, MwOverlayBlend());
}

void MwSetOverlay(const uint32_t* pixels, int width, int height, int stride,
                  const MwOverlayBlend& blend) {
    CToolkit& tk = Tk();
    if (tk.display) {
        tk.display->SetOverlay(pixels, width, height, stride, blend);
    }
}

static void DumpWindow(HWND h, int depth, std::ostringstream& out, HWND modal) {
    CWindow* w = Find(h);
    if (!w) {
        return;
    }
    RECT r = ScreenRect(w);
    std::string text = w->text;
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    out << std::string((size_t)depth * 2, ' ') << w->cls->name << " '" << text << "' " << r.left
        << ' ' << r.top << ' ' << (r.right - r.left) << ' ' << (r.bottom - r.top) << ' '
        << (IsShown(w) ? "visible" : "hidden");
    if (h == modal) {
        out << " modal";
    }
    out << '\n';
    for (HWND c : w->children) {
        DumpWindow(c, depth + 1, out, modal);
    }
}

std::string MwDumpWindowTree() {
    std::ostringstream out;
    MwRunOnGuiThread([&] {
        CToolkit& tk = Tk();
        CWindow* desk = Find(tk.desktop);
        if (!desk) {
            return;
        }
        HWND modal = nullptr;
        for (auto it = tk.modals.rbegin(); it != tk.modals.rend(); ++it) {
            if (Find(it->dialog) && !it->ended) {
                modal = it->dialog;
                break;
            }
        }
        for (HWND c : desk->children) {
            DumpWindow(c, 0, out, modal);
        }
    });
    return out.str();
}

UINT MwKeyFromName(const std::string& name) {
    static const struct {
        const char* name;
        UINT vk;
    } keys[] = {
        {"LEFT", VK_LEFT},    {"RIGHT", VK_RIGHT},   {"UP", VK_UP},     {"DOWN", VK_DOWN},
        {"ENTER", VK_RETURN}, {"RETURN", VK_RETURN}, {"OK", VK_RETURN}, {"F1", VK_F1},
        {"F2", VK_F2},        {"F3", VK_F3},         {"F4", VK_F4},     {"ESCAPE", VK_ESCAPE},
    };
    std::string up;
    for (char c : name) {
        up += (char)toupper((unsigned char)c);
    }
    for (const auto& k : keys) {
        if (up == k.name) {
            return k.vk;
        }
    }
    return 0;
}
