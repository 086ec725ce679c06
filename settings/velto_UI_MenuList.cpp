#include "settings/velto_UI_MenuList.h"

#include <string>

#include "app/velto_mwin_utils.h"
#include "settings/velto_SC_setting.h"

namespace Velto {

void MenuListRefresh(HWND list, LST_ITEM* table) {
    if (!list) {
        return;
    }
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    for (LST_ITEM* row = table; row->m_str_id_offset != kMenuTableEnd; ++row) {
        if (!row->m_lst_item.hIcon) {
            row->m_lst_item.hIcon = LoadImage(row->m_f_name);
        }
        // The list box copies the text.
        std::string text =
            s.GetXMLConfLangItemVal(kMenuTextBase + (int)row->m_str_id_offset, row->m_default);
        row->m_lst_item.string = const_cast<char*>(text.c_str());
        SendMessage(list, LB_ADDSTRING, 0, (LPARAM)&row->m_lst_item);
        row->m_lst_item.string = nullptr;
    }
    SendMessage(list, LB_SETCURSEL, 0, 0);
}

HWND MenuListCreate(HWND frame, HINSTANCE inst, double fontFactor, HFONT& font, LST_ITEM* table) {
    RECT rc{0, 0, 0, 0};
    GetClientRect(frame, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int mx = (int)(w * 0.025), my = (int)(h * 0.053);
    HWND list =
        CreateWindowEx(0, "LISTBOX", "SETUP", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_USEICON, mx,
                       my, w - 2 * mx, h - 2 * my, frame, nullptr, inst, nullptr);
    if (!list) {
        return nullptr;
    }
    int row = (h - 2 * my) / 4;
    if (!font) {
        font =
            CreateFont((int)(row * fontFactor), 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    }
    SendMessage(list, WM_SETFONT, (WPARAM)font, 0);
    MenuListRefresh(list, table);
    SendMessage(list, LB_SETITEMHEIGHT, 0, row);  // four rows fill the list
    SendMessage(list, LB_SETCURSEL, 0, 0);
    return list;
}

void MenuListDestroy(HWND& list, LST_ITEM* table) {
    if (list) {
        DestroyWindow(list);
        list = nullptr;
    }
    MenuListFreeIcons(table);
}

void MenuListFreeIcons(LST_ITEM* table) {
    for (LST_ITEM* row = table; row->m_str_id_offset != kMenuTableEnd; ++row) {
        UnloadImage(row->m_lst_item.hIcon);
        row->m_lst_item.hIcon = nullptr;
    }
}

void MenuListMove(HWND list, WPARAM key) {
    if (!list) {
        return;
    }
    int count = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
    int cur = (int)SendMessage(list, LB_GETCURSEL, 0, 0);
    if (count <= 0 || cur < 0) {
        return;
    }
    if (key == VK_UP && cur == 0) {
        SendMessage(list, LB_SETCURSEL, count - 1, 0);
    } else if (key == VK_DOWN && cur == count - 1) {
        SendMessage(list, LB_SETCURSEL, 0, 0);
    } else {
        SendMessage(list, WM_KEYDOWN, key, 0);
    }
}

INT SettingsScreenDefault(HWND hwnd, UINT msg, WPARAM wParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            return 5;
        case WM_ERASEBKGND:
            return (INT)DefDlgProc(hwnd, msg, wParam, 0);  // the window colour
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, 1);
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace Velto
