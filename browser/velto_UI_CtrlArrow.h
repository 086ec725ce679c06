// A small triangle beside the explorer's grid telling that more pages lie
// to the left or to the right.
#pragma once

#include "app/MWUIBase.h"

enum ARROW_DIR {
    ARROW_DIR_LEFT = 0,
    ARROW_DIR_RIGHT = 1,
};

class CVeltoUICtrlArrow : public CMWUIBase {
public:
    // Null when the window could not be made. Points left until told
    // otherwise.
    static CVeltoUICtrlArrow* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                                        int height);
    ~CVeltoUICtrlArrow() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Repaints only when the direction changes.
    void SetDirection(ARROW_DIR dir);
    ARROW_DIR GetDirection() const { return m_Direction; }

    ARROW_DIR m_Direction;

private:
    CVeltoUICtrlArrow(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    void Paint(HWND hwnd);
};
