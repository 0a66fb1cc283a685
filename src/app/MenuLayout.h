#pragma once
#include <string>
#include <vector>

namespace tw {

struct MenuItem {
    int id = 0; // 0: a separator
    std::string text;
};

struct MenuDef {
    std::string title;
    std::vector<MenuItem> items;
};

// The menu bar of a resource set (127 pulse train, 128 standard, 129 FM, 150 standard with
// marker bits), in display order, with '&' marking the mnemonic; About names `appName`.
std::vector<MenuDef> MenuLayout(int resourceSet, const std::string& appName);

// The two halves of a command's string-table text "status\ntool tip" ("" when absent).
std::string CommandStatusText(int id);
std::string CommandToolTip(int id);

} // namespace tw
