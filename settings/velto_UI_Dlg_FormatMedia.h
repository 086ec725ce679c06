// Erases the active medium (the SD card when one is mounted, else the
// internal one) after two questions. A format that did not complete is
// reported on the screen until a key is pressed.
#pragma once

#include <string>
#include <vector>

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgFormatMedia : public CVeltoUIDialog {
public:
    CVeltoUIDlgFormatMedia(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgFormatMedia() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgFormatMedia* CreateNew(HINSTANCE hInst, HWND hParent);
    void HandleKeyDown(WPARAM key);
    // Shows "Format failed" in the middle of the frame.
    void InitText();
    void UninitText();
    // Asks both questions and formats; false when a command failed.
    bool RunFormat();

    HWND m_hFailText;
    HFONT m_hfFailText;
    bool m_bStarted;  // the sequence runs at the first idle moment only

private:
    bool FormatCard(const std::string& mountPoint);
    bool FormatNand();
};
