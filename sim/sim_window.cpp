#include "sim/sim_window.h"

#include <SDL.h>
#include <png.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <condition_variable>
#include <mutex>
#include <sstream>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_sdl_window.h"
#include "sim/sim_shared_screen.h"
#include "sim/sim_window_canvas.h"
#include "sim/sim_window_draw.h"
#include "sim/sim_window_keys.h"
#include "sim/sim_window_layout.h"
#include "sim/sim_window_panel.h"

namespace {

const char* KeyName(SDL_Keycode k) {
    switch (k) {
        case SDLK_LEFT:
            return "LEFT";
        case SDLK_RIGHT:
            return "RIGHT";
        case SDLK_UP:
            return "UP";
        case SDLK_DOWN:
            return "DOWN";
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return "ENTER";
        case SDLK_F1:
            return "F1";
        case SDLK_F2:
            return "F2";
        case SDLK_F3:
            return "F3";
        case SDLK_F4:
            return "F4";
        default:
            return nullptr;
    }
}

long long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

std::string RectText(const SVeltoSimRect& r) {
    return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.w) + " " +
           std::to_string(r.h);
}

bool WritePng(const std::string& path, const uint32_t* px, int w, int h) {
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = (png_uint_32)w;
    img.height = (png_uint_32)h;
    img.format = PNG_FORMAT_BGRA;
    if (!png_image_write_to_file(&img, path.c_str(), 0, px, w * 4, nullptr)) {
        fprintf(stderr, "velto-sim: cannot write %s: %s\n", path.c_str(), img.message);
        return false;
    }
    return true;
}

class CSdlWindow : public CVeltoSimWindow {
public:
    explicit CSdlWindow(const std::string& runDir)
        : m_strRun(runDir),
          m_strRoot(runDir + "/board"),
          m_reader(runDir + "/board/sim"),
          m_panel(runDir + "/board", SVeltoSimRect{}),
          m_keys(runDir) {}

    ~CSdlWindow() override {
        m_server.Stop();
        if (m_bMarked) {
            VeltoSimMarkWindow(m_strRoot + "/sim", false);
        }
        m_window.Close();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            fprintf(stderr, "velto-sim: no window: %s\n", SDL_GetError());
            return false;
        }
        const std::string fonts = m_strRun + "/fonts/Arial.ttf";
        if (!m_font.Load(fonts, 14) || !m_small.Load(fonts, 12)) {
            return false;
        }
        // Until a program hands over its screen, the panel the board names.
        VeltoSimPanelSize(VeltoSim::ReadLine(m_strRoot + "/etc/lcdparams"), &m_nScreenW,
                          &m_nScreenH);
        SVeltoSimWindowLayout l = LayoutFor(m_nScreenW, m_nScreenH);
        if (!m_window.Open(stderr, "velto-sim: ", "Velto camera (simulated board)",
                           SDL_WINDOWPOS_CENTERED, l.width, l.height)) {
            return false;
        }
        Apply(l);
        if (!VeltoSimMarkWindow(m_strRoot + "/sim", true)) {
            fprintf(stderr, "velto-sim: cannot mark the window on the board\n");
            return false;
        }
        m_bMarked = true;
        m_server.Start(
            VeltoSimWindowSocketPath(m_strRun),
            [this](const std::string& rq, std::string& reply) { return Answer(rq, reply); });
        return true;
    }

    void Pump(int ms) override {
        const long long end = NowMs() + ms;
        do {
            SDL_Event ev;
            if (SDL_WaitEventTimeout(&ev, 4)) {
                do {
                    Handle(ev);
                } while (SDL_PollEvent(&ev));
            }
            Update();
        } while (NowMs() < end && !m_bQuit);
    }

    bool QuitRequested() const override { return m_bQuit; }

    std::string Panel() override {
        Render();
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_strListing;
    }

    bool SaveScreenshot(const std::string& path) override {
        Render();
        return WritePng(path, m_canvas.Pixels(), m_canvas.Width(), m_canvas.Height());
    }

private:
    SVeltoSimWindowLayout LayoutFor(int w, int h) {
        SDL_Rect desk{0, 0, 1366, 768};
        if (SDL_GetDisplayUsableBounds(0, &desk) != 0) {
            SDL_GetDisplayBounds(0, &desk);
        }
        return VeltoSimLayWindow(w, h, VeltoSimWindowScale(w, h, desk.w, desk.h));
    }

    // Takes a new layout: the same window, resized.
    void Apply(const SVeltoSimWindowLayout& l) {
        m_layout = l;
        SDL_SetWindowSize(m_window.Window(), l.width, l.height);
        m_window.SetTextureSize(l.width, l.height);
        m_panel.Place(l.panel);
        m_frame.assign((size_t)m_nScreenW * m_nScreenH, 0xFF000000u);
        m_bChrome = true;
    }

    void Handle(const SDL_Event& ev) {
        switch (ev.type) {
            case SDL_QUIT:
                m_bQuit = true;
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (const char* key = KeyName(ev.key.keysym.sym)) {
                    Key(key, ev.type == SDL_KEYDOWN);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (ev.button.button == SDL_BUTTON_LEFT) {
                    MouseDown(ev.button.x, ev.button.y);
                }
                break;
            case SDL_MOUSEMOTION:
                if (ev.motion.state & SDL_BUTTON_LMASK) {
                    m_panel.Drag(ev.motion.x);
                    m_bChrome = true;
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (ev.button.button == SDL_BUTTON_LEFT) {
                    if (!m_strMouseKey.empty()) {
                        Key(m_strMouseKey, false);
                        m_strMouseKey.clear();
                    }
                    m_panel.Release();
                    m_bChrome = true;
                }
                break;
            case SDL_WINDOWEVENT:
                if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                    ReleaseAllKeys();  // their key-ups go to another window
                }
                m_bDirty = true;
                break;
            default:
                break;
        }
    }

    void Key(const std::string& key, bool down) {
        for (const SVeltoSimFaceKey& k : m_layout.keys) {
            if (k.key == key) {
                if (down) {
                    m_face.pressed.insert(k.control);
                } else {
                    m_face.pressed.erase(k.control);
                }
            }
        }
        m_keys.Send(m_reader.Program(), key, down);
        m_bChrome = true;
    }

    void ReleaseAllKeys() {
        for (const SVeltoSimFaceKey& k : m_layout.keys) {
            if (m_face.pressed.count(k.control)) {
                Key(k.key, false);
            }
        }
        m_strMouseKey.clear();
    }

    void MouseDown(int x, int y) {
        for (const SVeltoSimFaceKey& k : m_layout.keys) {
            if (k.rect.Contains(x, y)) {
                m_strMouseKey = k.key;
                Key(k.key, true);
                return;
            }
        }
        if (!m_panel.Press(x, y).empty()) {
            m_bChrome = true;
        }
        if (m_panel.TakeScreenshotRequest()) {
            VeltoSim::MakeDirs(m_strRun + "/screenshots");
            char name[64];
            time_t t = time(nullptr);
            struct tm tm;
            localtime_r(&t, &tm);
            strftime(name, sizeof name, "window-%Y%m%d-%H%M%S.png", &tm);
            std::string path = m_strRun + "/screenshots/" + name;
            Render();
            if (WritePng(path, m_canvas.Pixels(), m_canvas.Width(), m_canvas.Height())) {
                printf("velto-sim: window saved to %s\n", path.c_str());
                fflush(stdout);
            }
        }
    }

    void Update() {
        const long long now = NowMs();
        if (m_reader.Update()) {
            if (m_reader.Width() != m_nScreenW || m_reader.Height() != m_nScreenH) {
                m_nScreenW = m_reader.Width();
                m_nScreenH = m_reader.Height();
                Apply(LayoutFor(m_nScreenW, m_nScreenH));
            }
            if (m_reader.Version() != m_nVersion && m_reader.Copy(m_frame)) {
                m_nVersion = m_reader.Version();
                m_bDirty = true;
            }
        }
        if (now - m_nLastRefreshMs >= 200) {
            m_nLastRefreshMs = now;
            SVeltoSimFaceState before = m_face;
            m_face.redLed = VeltoSim::LedValue(m_strRoot, "Red_LED");
            m_face.greenLed = VeltoSim::LedValue(m_strRoot, "Green_LED");
            m_face.light = VeltoSim::LedValue(m_strRoot, "led-pwm0");
            m_face.caption = m_reader.Program().empty()
                                 ? "nothing on the screen yet"
                                 : m_reader.Program() + ", " + std::to_string(m_nScreenW) + " x " +
                                       std::to_string(m_nScreenH) + " at x" +
                                       std::to_string(m_layout.scale);
            bool faceChanged = before.redLed != m_face.redLed ||
                               before.greenLed != m_face.greenLed || before.light != m_face.light ||
                               before.caption != m_face.caption;
            if (m_panel.Refresh() || faceChanged) {
                m_bChrome = true;
            }
        }
        if (m_bChrome || m_bDirty) {
            const bool whole = m_bChrome || m_canvas.Width() != m_layout.width;
            Render();
            if (whole) {
                m_window.Update(nullptr, m_canvas.Pixels(), m_canvas.Width() * 4);
            } else {
                // Only the screen changed: a picture's worth, not the window's.
                const SVeltoSimRect& r = m_layout.screen;
                SDL_Rect rect{r.x, r.y, r.w, r.h};
                m_window.Update(&rect, m_canvas.Pixels() + (size_t)r.y * m_canvas.Width() + r.x,
                                m_canvas.Width() * 4);
            }
            m_window.Show();
            m_bDirty = false;
        }
        ServeRequests();
    }

    // The whole window into m_canvas: face and panel when they changed, the
    // screen always.
    void Render() {
        if (m_bChrome || m_canvas.Width() != m_layout.width ||
            m_canvas.Height() != m_layout.height) {
            if (m_canvas.Width() != m_layout.width || m_canvas.Height() != m_layout.height) {
                m_canvas.Resize(m_layout.width, m_layout.height, 0xFF000000u);
            }
            VeltoSimDrawFace(m_canvas, m_font, m_layout, m_face);
            VeltoSimDrawPanel(m_canvas, m_font, m_small, m_layout, m_panel);
            m_bChrome = false;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_strListing = Listing();
        }
        if (m_frame.size() == (size_t)m_nScreenW * m_nScreenH) {
            m_canvas.Blit(m_frame.data(), m_nScreenW, m_nScreenH, m_layout.screen.x,
                          m_layout.screen.y, m_layout.scale);
        }
    }

    std::string Listing() {
        const SVeltoSimWindowLayout& l = m_layout;
        std::ostringstream out;
        out << "window 0 0 " << l.width << " " << l.height << " scale " << l.scale << "\n";
        out << "screen " << RectText(l.screen) << " " << m_nScreenW << "x" << m_nScreenH << " "
            << (m_reader.Program().empty() ? "none" : m_reader.Program()) << "\n";
        out << "led-red " << RectText(l.redLed) << " " << m_face.redLed << "\n";
        out << "led-green " << RectText(l.greenLed) << " " << m_face.greenLed << "\n";
        out << "light " << RectText(l.light) << " " << m_face.light << "\n";
        for (const SVeltoSimFaceKey& k : l.keys) {
            out << k.control << " " << RectText(k.rect) << " "
                << (m_face.pressed.count(k.control) ? "down" : "up") << "\n";
        }
        for (const SVeltoSimControl& c : m_panel.Controls()) {
            out << c.name << " " << RectText(c.rect) << " " << c.state;
            if (c.kind == SVeltoSimControl::SLIDER) {
                out << " (" << c.min << ".." << c.max << " " << c.unit << ")";
            } else if (c.label != c.state) {
                out << " '" << c.label << "'";
            }
            out << "\n";
        }
        for (const std::string& line : m_panel.Lines()) {
            out << "info " << RectText(m_panel.LinesRect()) << " " << line << "\n";
        }
        return out.str();
    }

    // On the channel's thread: the listing at once, screenshots by the
    // window's thread, which owns the picture.
    bool Answer(const std::string& request, std::string& reply) {
        std::istringstream in(request);
        std::string cmd;
        in >> cmd;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (cmd == "panel") {
            reply = m_strListing;
            return true;
        }
        if (cmd == "screenshot") {
            std::string file;
            std::getline(in >> std::ws, file);
            if (file.empty()) {
                reply = "screenshot FILE";
                return false;
            }
            m_strShotPath = file;
            m_nShotResult = -1;
            bool done = m_shotDone.wait_for(lock, std::chrono::seconds(5),
                                            [this] { return m_nShotResult >= 0; });
            m_strShotPath.clear();
            if (!done || m_nShotResult != 1) {
                reply = "cannot save the window to " + file;
                return false;
            }
            return true;
        }
        reply = "unknown request " + cmd + " (panel, screenshot FILE)";
        return false;
    }

    void ServeRequests() {
        std::string path;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_strShotPath.empty() || m_nShotResult >= 0) {
                return;
            }
            path = m_strShotPath;
        }
        Render();
        bool ok = WritePng(path, m_canvas.Pixels(), m_canvas.Width(), m_canvas.Height());
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nShotResult = ok ? 1 : 0;
        m_shotDone.notify_all();
    }

    std::string m_strRun;
    std::string m_strRoot;
    CVeltoSimScreenReader m_reader;
    CVeltoSimPanel m_panel;
    CVeltoSimKeySender m_keys;
    CVeltoSimFont m_font;
    CVeltoSimFont m_small;
    CVeltoSimCanvas m_canvas;
    SVeltoSimWindowLayout m_layout;
    SVeltoSimFaceState m_face;
    std::vector<uint32_t> m_frame;
    int m_nScreenW = 320;
    int m_nScreenH = 240;
    uint64_t m_nVersion = 0;
    long long m_nLastRefreshMs = 0;
    bool m_bChrome = true;
    bool m_bDirty = true;
    bool m_bQuit = false;
    bool m_bMarked = false;
    std::string m_strMouseKey;
    CVeltoSdlWindow m_window;
    CVeltoSimControlServer m_server;
    std::mutex m_mutex;
    std::condition_variable m_shotDone;
    std::string m_strListing;
    std::string m_strShotPath;
    int m_nShotResult = -1;
};

}  // namespace

std::unique_ptr<CVeltoSimWindow> CVeltoSimWindow::CreateNew(const std::string& runDir) {
    auto w = std::make_unique<CSdlWindow>(runDir);
    if (!w->Open()) {
        return nullptr;
    }
    return w;
}
