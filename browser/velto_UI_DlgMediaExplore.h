// The file explorer: the photos or videos of the card's DCIM folder (or of
// the internal medium without a card) as pages of six thumbnails, newest
// page first. Arrows page and wrap, Enter opens the player, F2 deletes after
// a question, F1 leaves.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "app/velto_UI_Dialog.h"
#include "browser/velto_UI_CtrlArrow.h"

class CVeltoUICtrl2LineExplorer;

enum MEDIA_TYPE {
    Media_Unknown = 0,
    Media_Video = 1,
    Media_Photo = 2,
};

// Only the first two are produced: the explorer lists no directories.
enum FileType {
    TYPE_AVI = 0,
    TYPE_JPG = 1,
    TYPE_DIR = 2,
    TYPE_UPDIR = 3,
};

enum FILE_EXP_STATE {
    FILE_EXP_IDLE = 0,
    FILE_EXP_WAIT_ALL_FILE = 1,
    FILE_EXP_LOAD_ALL_FILE = 2,
    FILE_EXP_REFRESH_LISTBOX = 3,
};

struct FileList {
    std::string m_strDispName;  // name without directory
    FileType m_FileType;
    std::string m_FileName;  // directory + "/" + name
    PSD m_pIndexImage;       // stays null: the grid holds the thumbnails
};

class CVeltoUIDlgMediaExplore : public CVeltoUIDialog {
public:
    static constexpr int kResultLeft = 1;     // F1
    static constexpr int kResultNoFiles = 8;  // nothing to show

    // Null only when out of memory. The caller deletes the screen.
    static CVeltoUIDlgMediaExplore* CreateNew(HINSTANCE hInst, HWND hParent, MEDIA_TYPE type);

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    ~CVeltoUIDlgMediaExplore() override;

    // Lists dir's photos or videos (by the screen's type) in name order; an
    // unreadable directory gives an empty list. The flag is not used.
    void InitFileList(std::string dir, bool recursive);
    void ClearFileList();
    // Shows page p, clamped to the last page, with its first item selected.
    void SetCurPage(unsigned p);
    void Refresh2LineExp();
    // The page text "n / count".
    void RefreshItemText(int n);
    void ShowArrow(ARROW_DIR dir, bool show);
    void ChangeToNewState(FILE_EXP_STATE state);
    static const char* StateString(FILE_EXP_STATE state);

    // Pages of the list, and the index of the last (0 without entries).
    int PageCount() const;
    int LastPage() const;

    std::vector<FileList> m_lFileList;
    std::string m_strCurPath;
    FILE_EXP_STATE m_curExpState;
    FILE_EXP_STATE m_lastExpState;
    unsigned int m_tTimerStateMachine;
    CVeltoUICtrl2LineExplorer* m_p2LineExp;
    bool m_bPicList;
    int m_nCurPage;
    HWND m_hPageStatic;
    HFONT m_hfPageFont;
    CVeltoUICtrlArrow* m_pLeftArrow;
    CVeltoUICtrlArrow* m_pRightArrow;
    MEDIA_TYPE m_SelectMediaType;
    bool m_bEnterExp;
    bool m_bNoPaint;

private:
    CVeltoUIDlgMediaExplore(HINSTANCE hInst, HWND hParent, MEDIA_TYPE type);
    static void statetimerproc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void StateStep();
    void CreateControls();
    void HandleKeyDown(WPARAM key);
    // Page p with item pos selected, then the page text and the arrows.
    void GoTo(int page, int pos);
    void AfterMove();
    void UpdateArrows();
    void OpenSelected();
    void DeleteSelected();
    // The no-files screen, then the explorer ends with kResultNoFiles.
    void ShowNoFiles();
};
