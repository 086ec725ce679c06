// The rows of the icon menus (setup and advanced) and the list-box handling
// every settings list shares.
#pragma once

#include <stdint.h>

#include "toolkit/winapi.h"

// One menu row; a table ends with a row whose number is kMenuTableEnd.
struct LST_ITEM {
    uint32_t m_str_id_offset;  // text id 10002 + this
    const char* m_f_name;      // icon image
    const char* m_default;     // text when the language has none
    LISTBOXITEMINFO m_lst_item;
};

constexpr uint32_t kMenuTableEnd = 0xFFFFFFFFu;
constexpr int kMenuTextBase = 10002;

namespace Velto {

// Empties the list and adds the table's rows in their texts of the current
// language, loading each icon on first use (a missing icon leaves the row
// without one); selects row 0.
void MenuListRefresh(HWND list, LST_ITEM* table);
// Frees the icons MenuListRefresh loaded.
void MenuListFreeIcons(LST_ITEM* table);
// Moves the selection for an arrow key: Up on the first row selects the
// last, Down on the last the first; other keys go to the list box. Nothing
// without rows or selection.
void MenuListMove(HWND list, WPARAM key);

}  // namespace Velto
