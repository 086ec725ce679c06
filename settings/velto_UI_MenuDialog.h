// What the two icon menus (setup and advanced) share: a caption in the
// current language over a list of icon rows that the arrows move through,
// Enter opening the selected row's screen and F1 going back.
#pragma once

#include "app/velto_UI_Dialog.h"
#include "settings/velto_UI_MenuList.h"

class CVeltoUIMenuDialog : public CVeltoUIDialog {
public:
    // The menu as its kind sets it up: the table of its rows, the text
    // height against the row height, the caption's text id and its text
    // without a language, and the value F1 ends the menu with.
    struct Layout {
        LST_ITEM* rows;
        double fontFactor;
        int captionId;
        const char* captionDefault;
        int backResult;
    };

    CVeltoUIMenuDialog(HINSTANCE hInst, HWND hParent, WORD id, const Layout& layout);

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    void InitListBox();
    void DeinitListBox();
    void RefreshListBox();
    // Caption and rows again in the current language; the selection goes to
    // the first row.
    void SetLocalize();
    void HandleKeyDown(WPARAM key);
    // Opens the selected row's screen and comes back to the menu.
    virtual void DoDetailDlg() = 0;

    HWND m_hListMenu;
    HFONT m_hfListBoxFont;

protected:
    // Runs screen T modally over the menu; its EndDialog value.
    template <class T>
    int RunScreen() {
        T* dlg = T::CreateNew(m_hInst, m_hHwnd);
        int result = dlg->DoModel();
        delete dlg;
        return result;
    }

private:
    std::string Caption() const;

    const Layout m_layout;
};
