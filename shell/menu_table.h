// The main menu as data: every entry with its built-in caption, its
// language key, its shortcut and the command it runs. The window builds its
// menus from this table; tests read it to check the shortcuts.
//
// A shortcut sits on one entry only: when two entries name the same keys,
// the one first in menu order keeps them (Ctrl+A is Attributes, Ctrl+M
// Stop music), and the later entry shows its keys in its caption's hint
// only.
#pragma once

#include <string>
#include <vector>

namespace ov {

struct MenuEntry {
    // "" for the top-level menu's own row, else the objectName of the menu.
    std::string menu;
    // The entry's objectName and its key in section MainMenu of the
    // language file ("" keys are not translated: their objectName is
    // given in name).
    std::string name;
    std::string caption;
    std::string shortcut; // QKeySequence text ("Ctrl+A", "Alt+F7", "F3")
    std::string command; // "" for none
    bool visible = true;
    bool enabled = true;
    bool separator = false;
    bool translated = true; // name is a MainMenu key
};

// Top-level menus (menu == "") and their entries, in menu order.
const std::vector<MenuEntry>& mainMenuTable();
// The entry that carries a shortcut (first in menu order), or nullptr.
const MenuEntry* shortcutOwner(const std::string& shortcut);

} // namespace ov
