// The explorer's grid: one page of up to six thumbnails in two rows of
// three, the selected one framed in white. Thumbnails are built when a page
// is given and painted once; moving the selection repaints only the frames.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "app/MWUIBase.h"

class CVeltoUICtrl2LineExplorer : public CMWUIBase {
public:
    static constexpr int kItemsPerPage = 6;
    static constexpr int kItemsPerRow = 3;

    // Null when the window could not be made.
    static CVeltoUICtrl2LineExplorer* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                int width, int height);
    ~CVeltoUICtrl2LineExplorer() override;

    bool Init() override;
    // Frees the thumbnails and the window.
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Shows the files of paths (at most the first six) as the new page, with
    // item 0 selected (-1 without items). A file that can't be read gets an
    // empty cell.
    void InitPicList(std::list<std::string>& paths);
    int GetCurrentPos() const { return m_nCurPos; }
    // Selects item pos of the page; ignored for a position without an item.
    void SetCurPos(unsigned pos);
    // Items on the page.
    int GetTotalItemNum() const { return (int)m_lPicList.size(); }
    // One step inside the page: Left/Right wrap around the page, Up/Down
    // change the row.
    void MoveH(bool left);
    void MoveV(bool up);
    // Paints the page again in full (after a screen that covered it).
    void Refresh();

    // Size at which a thumbnail is drawn in this control.
    void GetPictureSize(int& width, int& height);
    // The first frame of a recording as a pixmap owning its pixels; null
    // (with a message) when the file is not a readable YUYV recording of a
    // sane size.
    static PSD GetVideoFirstFrame(const std::string& path);

    std::vector<PSD> m_lPicList;
    int m_nCurPos;
    int m_nCurLine;
    bool m_bPicDrawed;

private:
    CVeltoUICtrl2LineExplorer(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                              int height);
    void FreePicList();
    void Paint(HWND hwnd);
    void OnKey(WPARAM key);
};
