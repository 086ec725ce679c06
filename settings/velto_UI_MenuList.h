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
// The icon list of a menu screen: inside frame with a margin, four rows
// filling it, text of fontFactor x the row height (font made on first use and
// kept by the screen), the table's rows, row 0 selected. Null when the list
// can't be made.
HWND MenuListCreate(HWND frame, HINSTANCE inst, double fontFactor, HFONT& font, LST_ITEM* table);
// Destroys the list (when made) and frees the table's icons.
void MenuListDestroy(HWND& list, LST_ITEM* table);
// Frees the icons MenuListRefresh loaded.
void MenuListFreeIcons(LST_ITEM* table);
// Moves the selection for an arrow key: Up on the first row selects the
// last, Down on the last the first; other keys go to the list box. Nothing
// without rows or selection.
void MenuListMove(HWND list, WPARAM key);

// What the settings screens answer alike: every key as a key (dialog code 5),
// the window colour behind the frame, IDCANCEL ending the screen with 1; 0
// for any other message (the caption keeps the framework's colours).
INT SettingsScreenDefault(HWND hwnd, UINT msg, WPARAM wParam);
// The procedure of a settings screen: each key down to onKey(key), the rest
// as SettingsScreenDefault.
template <class OnKey>
INT SettingsScreenProc(HWND hwnd, UINT msg, WPARAM wParam, OnKey onKey) {
    if (msg == WM_KEYDOWN) {
        onKey(wParam);
        return 0;
    }
    return SettingsScreenDefault(hwnd, msg, wParam);
}

}  // namespace Velto
