// The simulator's desktop display: an SDL2 window at twice the screen size,
// the device keys on the keyboard (arrows, Enter, F1 to F4), and the video
// overlay composed under the colour key as the board's PXP does.
#include <stdio.h>

#include "toolkit/tk_display.h"
#include "toolkit/tk_region.h"

#ifdef VELTO_TK_HAVE_SDL
#include <SDL.h>

#include "sim/sim_sdl_window.h"

namespace VeltoTk {

void DrawCursorAndCaret(uint32_t* out, int w, int h);
void PostQuitFromDisplay();

namespace {

constexpr int kScale = 2;

UINT SdlKeyToVk(SDL_Keycode k) {
    switch (k) {
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_F1:
            return VK_F1;
        case SDLK_F2:
            return VK_F2;
        case SDLK_F3:
            return VK_F3;
        case SDLK_F4:
            return VK_F4;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

class CSdlDisplay : public CDisplay {
public:
    CSdlDisplay(int w, int h) : CDisplay(w, h), m_frame((size_t)w * h) {}

    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            printf("Error: SDL video: %s\n", SDL_GetError());
            return false;
        }
        m_nWakeEvent = SDL_RegisterEvents(1);
        return m_window.Open(stdout, "Error: SDL: ", "Velto camera", SDL_WINDOWPOS_UNDEFINED,
                             m_nWidth * kScale, m_nHeight * kScale) &&
               m_window.SetTextureSize(m_nWidth, m_nHeight);
    }

    ~CSdlDisplay() override {
        m_window.Close();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    const char* Name() const override { return "sdl"; }

    void Present(PSD ui, const RECT&) override {
        Compose(ui, m_frame.data());
        DrawCursorAndCaret(m_frame.data(), m_nWidth, m_nHeight);
        m_window.Update(nullptr, m_frame.data(), m_nWidth * 4);
        m_window.Show();
    }

    void Wait(int timeoutMs, std::vector<CKeyEvent>& keys) override {
        SDL_Event ev;
        int got = timeoutMs < 0 ? SDL_WaitEvent(&ev) : SDL_WaitEventTimeout(&ev, timeoutMs);
        while (got) {
            Handle(ev, keys);
            got = SDL_PollEvent(&ev);
        }
    }

    void Wake() override {
        SDL_Event ev;
        SDL_zero(ev);
        ev.type = m_nWakeEvent;
        SDL_PushEvent(&ev);
    }

private:
    void Handle(const SDL_Event& ev, std::vector<CKeyEvent>& keys) {
        if (ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) {
            UINT vk = SdlKeyToVk(ev.key.keysym.sym);
            if (vk) {
                // SDL's own repeats arrive as further key-downs.
                keys.push_back(CKeyEvent{vk, ev.type == SDL_KEYDOWN});
            }
        } else if (ev.type == SDL_QUIT) {
            PostQuitFromDisplay();
        } else if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
            m_window.Show();
        }
    }

    CVeltoSdlWindow m_window;
    Uint32 m_nWakeEvent = 0;
    std::vector<uint32_t> m_frame;
};

}  // namespace

std::unique_ptr<CDisplay> CreateSdlDisplay(int width, int height) {
    return OpenDisplayOf<CSdlDisplay>(width, height);
}

}  // namespace VeltoTk

#else

namespace VeltoTk {

std::unique_ptr<CDisplay> CreateSdlDisplay(int, int) {
    printf("Error: this build has no SDL display\n");
    return nullptr;
}

}  // namespace VeltoTk

#endif
