// A plain screen for functions whose screens are not built yet: the caption
// and one line of text; F1 closes it.
#pragma once

#include <string>

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgPlaceholder : public CVeltoUIDialog {
public:
    CVeltoUIDlgPlaceholder(HINSTANCE hInst, HWND hParent, const std::string& caption);
    ~CVeltoUIDlgPlaceholder() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND m_hText;
    HFONT m_hfText;
};
