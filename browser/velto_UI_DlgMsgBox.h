// The modal yes/no question: a text, a Yes and a No choice with a picture
// each; Right moves the choice, Enter confirms, F1 answers No.
#pragma once

#include <string>

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgMsgBox : public CVeltoUIDialog {
public:
    CVeltoUIDlgMsgBox(HINSTANCE hInst, HWND hParent);

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    ~CVeltoUIDlgMsgBox() override;

    void SetText(const char* text) { m_sText = text ? text : ""; }
    // MB_YESNO (the only style the screens use) gets pictures and choices.
    void SetUStyle(unsigned style) { m_uStyle = style; }

    unsigned m_uStyle;
    std::string m_sText;
    PSD m_pImgYesOK;
    PSD m_pImgNoCancel;
    PSD m_pImgNone;
    HWND m_hStaticImgYesOK;
    HWND m_hStaticImgNoCancel;
    HWND m_hStaticYesOK;
    HWND m_hStaticNoCancel;
    bool m_bChooseYesOK;
    HFONT m_hfTextFont;
    HWND m_hStaticHintText;
    HWND m_hStaticQuestion;

private:
    // The chosen side shows its picture, the other the blank one.
    void ShowChoice();
    INT Answer(bool confirmed);
};

// Asks text with the choices Yes and No under caption; IDYES (6) or IDNO
// (7). IDNO also when the box can't be shown at all, so callers take their
// safe branch.
int VeltoMessageBox(HWND owner, const char* text, const char* caption, unsigned style);
