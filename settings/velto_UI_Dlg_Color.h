// Colour or monochrome picture: Left and Right swap the choice, Enter
// stores it, F1 leaves the stored one. The live view takes it up when the
// menus close.
#pragma once

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgColor : public CVeltoUIDialog {
public:
    CVeltoUIDlgColor(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgColor() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgColor* CreateNew(HINSTANCE hInst, HWND hParent);
    void InitParams();
    // False when any of the four pictures is missing.
    bool LoadImgFile();
    void UnloadImgFile();
    // Shows the selected picture on the side of the shown choice.
    void CheckColorSaveAndDisplay();
    void HandleKeyDown(WPARAM key);
    void InitColorRadio();
    void UninitColorRadio();
    void InitTipText();
    void DeinitTipText();
    void InitTipFont();
    void DeinitTipFont();

    BOOL m_isColorful;  // shown, not yet stored
    PSD m_pColorUnselImg;
    PSD m_pColorSelImg;
    PSD m_pWhiteUnselImg;
    PSD m_pWhiteSelImg;
    HWND m_hColorRadio;
    HWND m_hWhiteRadio;
    HWND m_hColorText;
    HWND m_hWhiteText;
    HFONT m_hfTipTextFont;
};
