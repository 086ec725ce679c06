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

}  // namespace Velto
