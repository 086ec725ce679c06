// Steps run at given virtual times while a modal screen is up: keys,
// board changes, looks at the screen. A timer on a window of its own fires
// inside any message loop.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "toolkit/tk_host.h"
#include "toolkit/winapi.h"

class CScreenScript {
public:
    CScreenScript() {
        s_pCurrent = this;
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "ScriptHost";
        RegisterClass(&wc);
        m_hHost = CreateWindowEx(0, "ScriptHost", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 MwGetInstance(), nullptr);
        m_nStart = GetTickCount();
        SetTimer(m_hHost, 1, 50, Tick);
    }
    ~CScreenScript() {
        DestroyWindow(m_hHost);
        s_pCurrent = nullptr;
    }
    // fn runs once the screen has been up for ms (virtual).
    CScreenScript& At(DWORD ms, std::function<void()> fn) {
        m_steps.emplace_back(ms, std::move(fn));
        return *this;
    }
    CScreenScript& Key(DWORD ms, UINT vk) {
        return At(ms, [vk] {
            MwInjectKey(vk, true);
            MwInjectKey(vk, false);
        });
    }

private:
    static void Tick(HWND, UINT, UINT_PTR, DWORD) {
        CScreenScript* s = s_pCurrent;
        if (!s) {
            return;
        }
        DWORD now = GetTickCount() - s->m_nStart;
        while (s->m_nNext < s->m_steps.size() && s->m_steps[s->m_nNext].first <= now) {
            s->m_steps[s->m_nNext++].second();
        }
    }
    static inline CScreenScript* s_pCurrent = nullptr;
    HWND m_hHost = nullptr;
    DWORD m_nStart = 0;
    size_t m_nNext = 0;
    std::vector<std::pair<DWORD, std::function<void()>>> m_steps;
};
