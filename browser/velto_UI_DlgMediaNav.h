// The media chooser F4 opens: two large picture buttons, photo and video.
// Left and Right switch between them, Enter opens the explorer for the
// chosen kind, F1 goes back to the live view.
#pragma once

#include "app/velto_UI_Dialog.h"
#include "browser/velto_UI_DlgMediaExplore.h"

class CVeltoUIDlgMediaNav : public CVeltoUIDialog {
public:
    // Null only when out of memory. The caller deletes the screen.
    static CVeltoUIDlgMediaNav* CreateNew(HINSTANCE hInst, HWND hParent);

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    ~CVeltoUIDlgMediaNav() override;

    PSD m_pImgVideoSel;
    PSD m_pImgVideoUnsel;
    PSD m_pImgPhotoSel;
    PSD m_pImgPhotoUnsel;
    HWND m_hStaticVideoBtn;
    HWND m_hStaticPhotoBtn;
    MEDIA_TYPE m_SelectMediaType;

private:
    CVeltoUIDlgMediaNav(HINSTANCE hInst, HWND hParent);
    void ShowChoice();
    void HandleKeyDown(WPARAM key);
    void OpenExplorer();
};
