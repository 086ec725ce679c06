// Model name and firmware version. Holding F3 for five seconds shows the
// maker's reserved text, which clears itself five seconds later.
#pragma once

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgHelp : public CVeltoUIDialog {
public:
    CVeltoUIDlgHelp(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgHelp() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgHelp* CreateNew(HINSTANCE hInst, HWND hParent);
    void Init();
    void Deinit();
    void InitFont();
    void DeinitFont();
    void InitStatic();
    void DeinitStatic();
    // Starts the 5 s timer unless it runs.
    void StartRvdTimer();
    static void fnRvdDispTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);

    HWND m_pStaticDeviceName;
    HWND m_pStaticText;
    HWND m_pStaticVersion;
    HWND m_pStaticReserved;
    HFONT m_hfDeviceName;
    HFONT m_hfText;
    UINT m_tRvdTimer;  // 0 when no timer runs
    bool m_RsdHide;
    char m_ManufacterStr[64];

private:
    void StopRvdTimer();
    void RvdTimer();
};
