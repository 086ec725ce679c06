// The simulator's desktop display: an SDL2 window at twice the screen size,
// the device keys on the keyboard (arrows, Enter, F1 to F4), and the video
// overlay composed under the colour key as the board's PXP does.
#include <stdio.h>

#include "toolkit/tk_display.h"
#include "toolkit/tk_region.h"

#ifdef VELTO_TK_HAVE_SDL
#include <SDL.h>

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
        m_pWindow =
            SDL_CreateWindow("Velto camera", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             m_nWidth * kScale, m_nHeight * kScale, 0);
        if (!m_pWindow) {
            printf("Error: SDL window: %s\n", SDL_GetError());
            return false;
        }
        m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, 0);
        if (!m_pRenderer) {
            m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, SDL_RENDERER_SOFTWARE);
        }
        if (!m_pRenderer) {
            printf("Error: SDL renderer: %s\n", SDL_GetError());
            return false;
        }
        m_pTexture = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, m_nWidth, m_nHeight);
        return m_pTexture != nullptr;
    }

    ~CSdlDisplay() override {
        if (m_pTexture) {
            SDL_DestroyTexture(m_pTexture);
        }
        if (m_pRenderer) {
            SDL_DestroyRenderer(m_pRenderer);
        }
        if (m_pWindow) {
            SDL_DestroyWindow(m_pWindow);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    const char* Name() const override { return "sdl"; }

    void Present(PSD ui, const RECT&) override {
        Compose(ui, m_frame.data());
        DrawCursorAndCaret(m_frame.data(), m_nWidth, m_nHeight);
        SDL_UpdateTexture(m_pTexture, nullptr, m_frame.data(), m_nWidth * 4);
        SDL_RenderClear(m_pRenderer);
        SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
        SDL_RenderPresent(m_pRenderer);
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
            SDL_RenderClear(m_pRenderer);
            SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
            SDL_RenderPresent(m_pRenderer);
        }
    }

    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
    Uint32 m_nWakeEvent = 0;
    std::vector<uint32_t> m_frame;
};

}  // namespace

std::unique_ptr<CDisplay> CreateSdlDisplay(int width, int height) {
    auto d = std::make_unique<CSdlDisplay>(width, height);
    if (!d->Open()) {
        return nullptr;
    }
    return d;
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
