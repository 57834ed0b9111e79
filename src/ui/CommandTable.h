#pragma once
// The command table of the main window: every command's identifier (session/CommandIds.h), menu
// text, accelerator, status prompt and tooltip, the menus with their separators and the toolbar's
// order. The main window builds its menus, toolbar and shortcuts from these tables and nothing
// else.

#include <QString>
#include <vector>

namespace vg28::ui {

struct CommandInfo {
    int id;
    const char* text;      // menu text with its "&" mnemonic; empty for a command without item
    const char* shortcut;  // QKeySequence text, empty for none
    const char* prompt;    // status-bar prompt
    const char* tooltip;   // toolbar tooltip, empty for none
};

// One entry of a menu: a command, a separator (id 0) or a submenu (id -1 with its title).
struct MenuEntry {
    int id;
    const char* submenu = nullptr;
    std::vector<MenuEntry> entries = {};
};

struct MenuInfo {
    const char* title;
    std::vector<MenuEntry> entries;
};

class CommandTable {
public:
    static const std::vector<CommandInfo>& Commands();
    // Null for an unknown identifier.
    static const CommandInfo* Find(int id);
    static const std::vector<MenuInfo>& Menus();
    // The toolbar, left to right; 0 stands for a separator.
    static const std::vector<int>& Toolbar();

    // The prompts of the standard window commands and the idle prompt.
    static QString IdlePrompt();
    static QString WindowCommandPrompt(const char* command);
};

}  // namespace vg28::ui
