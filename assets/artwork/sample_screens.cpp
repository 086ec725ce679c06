// Renders a sample framed screen (caption and an icon list, as the setup
// menu shows them) and a sheet of every picture in img/, into
// sample_dialog.png and artwork_sheet.png in the working directory. Run it
// from build/bin so that img/ and fonts/ are found.
#include <dirent.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/velto_UI_Dialog.h"
#include "toolkit/tk_host.h"

namespace {

bool g_bInteractive = false;

class CSampleMenu : public CVeltoUIDialog {
public:
    CSampleMenu(HINSTANCE inst) : CVeltoUIDialog(inst, nullptr, 103) {}
    ~CSampleMenu() override {}

    void InitDialog() override {
        SetCaption("Setup");
        CVeltoUIDialog::InitDialog();
        RECT rc;
        GetClientRect(m_hFrame, &rc);
        int mx = (int)(rc.right * 0.025), my = (int)(rc.bottom * 0.053);
        int h = rc.bottom - 2 * my;
        m_hList = CreateWindowEx(0, "LISTBOX", "SETUP", 0x50002001, mx, my, rc.right - 2 * mx, h,
                                 m_hFrame, nullptr, m_hInst, nullptr);
        m_hFont =
            CreateFont((int)((h / 4) * 0.46), 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
        SendMessage(m_hList, WM_SETFONT, (WPARAM)m_hFont, 0);
        const char* rows[][2] = {{"img/asetting.png", "Advanced Settings"},
                                 {"img/color.png", "Color or Black/White"},
                                 {"img/format.png", "Format Media"},
                                 {"img/help.png", "Help"}};
        for (auto& r : rows) {
            PSD icon = GdLoadImageFromFile(r[0], 0);
            m_icons.push_back(icon);
            LISTBOXITEMINFO item{0, const_cast<char*>(r[1]), 0, icon};
            SendMessage(m_hList, LB_ADDSTRING, 0, (LPARAM)&item);
        }
        SendMessage(m_hList, LB_SETITEMHEIGHT, 0, h / 4);
        SendMessage(m_hList, LB_SETCURSEL, 1, 0);
        // In a window the screen stays up for a person to try the keys
        // (arrows move the selection, Enter closes); headless it closes at
        // once after the screenshot.
        SetTimer(m_hHwnd, 1, 100, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            MwSaveScreenshot("sample_dialog.png");
            KillTimer(hwnd, 1);
            if (!g_bInteractive) {
                EndDialog(hwnd, 1);
            }
        });
        if (g_bInteractive) {
            SetTimer(m_hHwnd, 2, 60000,
                     [](HWND hwnd, UINT, UINT_PTR, DWORD) { EndDialog(hwnd, 1); });
        }
    }
    void DestoryDialog() override {
        KillTimer(m_hHwnd, 1);
        KillTimer(m_hHwnd, 2);
        DestroyWindow(m_hList);
        for (PSD p : m_icons) {
            if (p) {
                p->FreeMemGC(p);
            }
        }
        DeleteObject(m_hFont);
        CVeltoUIDialog::DestoryDialog();
    }
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) override {
        if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
            EndDialog(hwnd, 1);
            return 1;
        }
        return 0;
    }

private:
    HWND m_hList = nullptr;
    HFONT m_hFont = nullptr;
    std::vector<PSD> m_icons;
};

std::vector<PSD> g_sheet;
LRESULT SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) {
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc{0, 0, 320, 240};
    FastFillRect(hdc, &rc, 0xFF505050u);
    int x = 2, y = 2, rowH = 0;
    for (PSD p : g_sheet) {
        int w = std::min(p->xres, 100), h = p->yres * w / p->xres;
        if (h > 70) {
            w = w * 70 / h, h = 70;
        }
        if (x + w > 318) {
            x = 2, y += rowH + 3, rowH = 0;
        }
        DrawDIBFit(hdc, x, y, w, h, p);
        x += w + 3;
        rowH = std::max(rowH, h);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace

int WinMain(HINSTANCE hInstance, HINSTANCE, PSTR, int) {
    g_bInteractive = MwDisplayName() == "sdl";
    if (!g_bInteractive) {
        MwClockSetVirtual(true, true);
    }
    CSampleMenu menu(hInstance);
    menu.DoModel();

    DIR* d = opendir("img");
    std::vector<std::string> names;
    for (dirent* e = d ? readdir(d) : nullptr; e; e = readdir(d)) {
        if (e->d_name[0] != '.') {
            names.push_back(e->d_name);
        }
    }
    if (d) {
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        if (PSD p = GdLoadImageFromFile(("img/" + n).c_str(), 0)) {
            g_sheet.push_back(p);
        }
    }
    WNDCLASS wc{};
    wc.lpfnWndProc = SheetProc;
    wc.lpszClassName = "Sheet";
    RegisterClass(&wc);
    CreateWindowEx(0, "Sheet", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, hInstance,
                   nullptr);
    MwPumpMessages();
    MwSaveScreenshot("artwork_sheet.png");
    printf("%zu of %zu pictures loaded on the %s display\n", g_sheet.size(), names.size(),
           MwDisplayName().c_str());
    return g_sheet.size() == names.size() ? 0 : 1;
}
