// The capture-mode indicator in the top-left corner of the live view: a
// picture or video icon and below it the pictures that still fit, the video
// time that still fits, or while recording the elapsed time with the icon
// blinking.
#pragma once

#include <time.h>

#include "app/MWUIBase.h"

enum RecMode {
    REC_MODE_VIDEO = 0,
    REC_MODE_IMAGE = 1,
};

class CVeltoUICtrlRecMode : public CMWUIBase {
public:
    // Null when the window could not be made.
    static CVeltoUICtrlRecMode* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                          int width, int height);
    ~CVeltoUICtrlRecMode() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    RecMode GetCurMode() { return m_RecMode; }
    // Ends a recording display, then shows the mode's icon and figure.
    void SetCurMode(RecMode mode);
    // Video mode only: shows the elapsed time from now on, once a second.
    void StartRecord();
    void StopRecord();
    bool RecordStatus() { return m_isStartRecord; }
    // Recomputes the free-space figure (nothing while hidden); the text is
    // rewritten only when the figure changed.
    void RefreshImageAvailableNumber();

    RecMode m_RecMode;
    PSD m_pImgVideo;
    PSD m_pImgImg;
    HWND m_hImgStaticCtrl;
    HWND m_hTextStaticCtrl;
    bool m_isStartRecord;
    unsigned int m_tTimerRecord;
    time_t m_tRecStart;
    HFONT m_hfStaticFont;
    int32_t m_nAvailImageSpace;

private:
    CVeltoUICtrlRecMode(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    static void fnRecordTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void OnRecordTick();
    void SetIcon(PSD image);
    void SetText(const char* text);
    void DestroyChildren();
};
