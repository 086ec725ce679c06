// The player's play/pause/stop sign at the top of the screen: a green
// triangle while playing, two yellow bars while paused, a red square when
// stopped, each outlined in white on the overlay colour.
#pragma once

#include "app/MWUIBase.h"

enum PlayStatus {
    PLAY_PLAYING = 0,
    PLAY_PAUSE = 1,
    PLAY_STOP = 2,
};

class CVeltoUICtrlPlayStatusIcon : public CMWUIBase {
public:
    // Null when the window can't be made.
    static CVeltoUICtrlPlayStatusIcon* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                 int width, int height);
    ~CVeltoUICtrlPlayStatusIcon() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Repaints (without erasing) only when the status changes.
    void SetStatus(PlayStatus status);
    PlayStatus GetStatus() const { return m_sPlayStatus; }

    PlayStatus m_sPlayStatus;

private:
    CVeltoUICtrlPlayStatusIcon(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                               int height);
    void Paint(HWND hwnd);
};
