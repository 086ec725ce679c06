// An SDL2 window with its renderer and one streaming texture, as the
// simulator's windows use it: the program's own window and velto-sim's.
// Header only, for the builds that find SDL2.
#pragma once

#include <SDL.h>
#include <stdio.h>

class CVeltoSdlWindow {
public:
    CVeltoSdlWindow() = default;
    CVeltoSdlWindow(const CVeltoSdlWindow&) = delete;
    CVeltoSdlWindow& operator=(const CVeltoSdlWindow&) = delete;

    ~CVeltoSdlWindow() { Close(); }

    // Before SDL's video is shut down, which the destructor may come after.
    void Close() {
        if (m_pTexture) {
            SDL_DestroyTexture(m_pTexture);
        }
        if (m_pRenderer) {
            SDL_DestroyRenderer(m_pRenderer);
        }
        if (m_pWindow) {
            SDL_DestroyWindow(m_pWindow);
        }
        m_pTexture = nullptr;
        m_pRenderer = nullptr;
        m_pWindow = nullptr;
    }

    // Opens the window and a renderer, a software one where no other works.
    // Why it failed goes to `log`, after `who`.
    bool Open(FILE* log, const char* who, const char* title, int pos, int w, int h) {
        m_pWindow = SDL_CreateWindow(title, pos, pos, w, h, 0);
        if (!m_pWindow) {
            fprintf(log, "%sno window: %s\n", who, SDL_GetError());
            return false;
        }
        m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, 0);
        if (!m_pRenderer) {
            m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, SDL_RENDERER_SOFTWARE);
        }
        if (!m_pRenderer) {
            fprintf(log, "%sno renderer: %s\n", who, SDL_GetError());
            return false;
        }
        return true;
    }

    // The texture the window shows, w x h pixels of ARGB8888.
    bool SetTextureSize(int w, int h) {
        if (m_pTexture) {
            SDL_DestroyTexture(m_pTexture);
        }
        m_pTexture = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, w, h);
        return m_pTexture != nullptr;
    }

    // Copies pixels into the texture (all of it when `rect` is null).
    void Update(const SDL_Rect* rect, const void* pixels, int pitch) {
        SDL_UpdateTexture(m_pTexture, rect, pixels, pitch);
    }

    // Shows the texture again, scaled to the window.
    void Show() {
        SDL_RenderClear(m_pRenderer);
        SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
        SDL_RenderPresent(m_pRenderer);
    }

    SDL_Window* Window() const { return m_pWindow; }

private:
    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
};
