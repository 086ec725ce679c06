// A picture over the live view (the recording mark, the busy image): one
// image static covering the control.
#pragma once

#include <string>

#include "app/MWUIBase.h"

class CVeltoUICtrlImageDisplayer : public CMWUIBase {
public:
    // style: extra style of the image child (WS_CHILD for the overlays).
    static CVeltoUICtrlImageDisplayer* CreateNew(HINSTANCE hInstance, HWND hParent, DWORD style,
                                                 int x, int y, int width, int height);
    ~CVeltoUICtrlImageDisplayer() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Loads path and shows it; false (and no picture) when it can't be read.
    bool SetNewImagePath(std::string path);
    // Resizes the image child to w x h at the control's corner.
    bool SetImageSize(UINT width, UINT height);

    HWND m_hImgStaticCtrl;
    PSD m_pImgCtrl;
    std::string m_strFilename;
    DWORD m_dwStyle;

private:
    CVeltoUICtrlImageDisplayer(HINSTANCE hInstance, HWND hParent, DWORD style, int x, int y,
                               int width, int height);
};
