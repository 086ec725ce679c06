// One slider panel of the live view: an icon and a "VeltoScrlBar1" bar on
// the overlay black, stepped by the arrow keys. Across, the icon sits
// centred above the bar; upright, centred to the left of it.
#pragma once

#include "app/MWUIBase.h"

class CVeltoUICtrlSlider : public CMWUIBase {
public:
    enum class Orientation { Horizontal, Vertical };

    ~CVeltoUICtrlSlider() override;

    // Builds icon and bar; the bar starts with its own range and position.
    bool Init() override;
    // Destroys bar and icon and frees the icon's image; safe to call twice.
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Range and position of the bar (mask SIF_RANGE | SIF_POS); false
    // without a bar.
    bool GetScollInfo(SCROLLINFO& info);
    // One step up or down, clamped to the range. Up is towards the right
    // of a bar across and towards the top (position 0) of an upright one.
    void IncDec(bool up);

    PSD m_pIconImg;
    HWND m_hIcon;

protected:
    // bar is the kind's own member that holds the bar window.
    CVeltoUICtrlSlider(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height,
                       Orientation orientation, const char* iconPath, HWND& bar);

private:
    const Orientation m_orientation;
    const char* const m_szIconPath;
    HWND& m_hBar;
};
