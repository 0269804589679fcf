#include "shell/key_routing.h"
#include "shell/menu_table.h"

#include <gtest/gtest.h>

using namespace ov;
using S = KeyStep;

namespace {

constexpr auto None = Qt::NoModifier;
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Pad = Qt::KeypadModifier;

} // namespace

TEST(KeyRouting, ModifierStateIsTheExactSetHeld)
{
    const std::pair<Qt::KeyboardModifiers, ModifierState> rows[] = {
        { None, ModifierState::Plain },
        { Ctrl, ModifierState::Ctrl },
        { Alt, ModifierState::Alt },
        { Shift, ModifierState::Shift },
        { Ctrl | Shift, ModifierState::Plain },
        { Ctrl | Alt, ModifierState::Plain },
        { Ctrl | Pad, ModifierState::Ctrl }, // the keypad flag is no modifier
        { Pad, ModifierState::Plain },
    };
    for (const auto& [modifiers, state] : rows)
        EXPECT_EQ(modifierState(modifiers), state) << modifiers.toInt();
}

TEST(KeyRouting, StepsInTheirOrder)
{
    struct Row {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        KeyState state;
        std::vector<KeyStep> steps;
        bool writable;
    };
    KeyState typing;
    typing.commandLineEmpty = false;
    KeyState search;
    search.searchVisible = true;
    KeyState quickView;
    quickView.activeMode = ViewMode::QuickView;
    KeyState info;
    info.activeMode = ViewMode::Information;
    KeyState history;
    history.historyEmpty = false;
    KeyState wave253;
    wave253.waveLevel = 253;
    KeyState wave255;
    wave255.waveLevel = 255;
    KeyState wave2;
    wave2.waveLevel = 2;
    const Row rows[] = {
        { "a letter is typed", Qt::Key_A, None, {}, {}, true },
        { "a shifted letter is typed", Qt::Key_A, Shift, {}, {}, true },
        { "gray + never reaches the line", Qt::Key_Plus, Pad, {}, { S::SelectGroup }, false },
        { "main-keyboard + is typed", Qt::Key_Plus, Shift, {}, {}, true },
        { "gray - unselects", Qt::Key_Minus, Pad, {}, { S::UnselectGroup }, false },
        { "gray + in quick view does nothing", Qt::Key_Plus, Pad, quickView, {}, false },
        { "gray *", Qt::Key_Asterisk, Pad, {}, { S::InvertFiles }, false },
        { "Ctrl+gray * takes folders too", Qt::Key_Asterisk, Ctrl | Pad, {}, { S::InvertWithFolders },
            false },
        { "main-keyboard * is typed", Qt::Key_Asterisk, Shift, {}, {}, true },
        { "Enter runs the line", Qt::Key_Return, None, typing, { S::Enter }, false },
        { "keypad Enter too", Qt::Key_Enter, Pad, typing, { S::Enter }, false },
        { "Ctrl+Shift+Enter counts as plain", Qt::Key_Return, Ctrl | Shift, {}, { S::Enter }, false },
        { "Ctrl+Enter puts the name", Qt::Key_Return, Ctrl, {}, { S::PutCurrentName }, false },
        { "Shift+Enter does nothing", Qt::Key_Return, Shift, {}, {}, false },
        { "Del while typing edits the line", Qt::Key_Delete, None, typing, {}, true },
        { "Del on an empty line deletes files", Qt::Key_Delete, None, {}, { S::Delete }, true },
        { "Del with the search box open, then searches", Qt::Key_Delete, None, search,
            { S::Delete, S::QuickSearch }, true },
        { "search box takes plain keys", Qt::Key_Down, None, search, { S::QuickSearch }, true },
        { "search box lets Ctrl keys through", Qt::Key_Right, Ctrl, search, { S::NextDrive }, false },
        { "search box lets Alt keys through", Qt::Key_F1, Alt, search, { S::DriveDialogLeft }, false },
        { "Ctrl+[", Qt::Key_BracketLeft, Ctrl, {}, { S::AppendLeftPath }, false },
        { "Ctrl+]", Qt::Key_BracketRight, Ctrl, {}, { S::AppendRightPath }, false },
        { "Ctrl+Right", Qt::Key_Right, Ctrl, {}, { S::NextDrive }, false },
        { "Ctrl+Left", Qt::Key_Left, Ctrl, {}, { S::PreviousDrive }, false },
        { "Up with any modifiers", Qt::Key_Up, Shift, {}, { S::CursorUp }, true },
        { "Down", Qt::Key_Down, Ctrl, {}, { S::CursorDown }, false },
        { "Right pages", Qt::Key_Right, None, typing, { S::PageRight }, true },
        { "PgDn pages", Qt::Key_PageDown, None, {}, { S::PageRight }, true },
        { "Shift+Left pages", Qt::Key_Left, Shift, {}, { S::PageLeft }, true },
        { "PgUp pages", Qt::Key_PageUp, None, {}, { S::PageLeft }, true },
        { "Ctrl+PgUp goes up", Qt::Key_PageUp, Ctrl, {}, { S::GoUp }, false },
        { "Ctrl+\\ goes to the root", Qt::Key_Backslash, Ctrl, {}, { S::GoRoot }, false },
        { "Home", Qt::Key_Home, Alt, {}, { S::CursorHome }, false },
        { "End", Qt::Key_End, None, {}, { S::CursorEnd }, true },
        { "Alt+F1", Qt::Key_F1, Alt, {}, { S::DriveDialogLeft }, false },
        { "Alt+F2", Qt::Key_F2, Alt, {}, { S::DriveDialogRight }, false },
        { "Alt+F6 does nothing", Qt::Key_F6, Alt, {}, {}, false },
        { "Ctrl+/ does nothing", Qt::Key_Slash, Ctrl, {}, {}, false },
        { "Ctrl+Backspace", Qt::Key_Backspace, Ctrl, typing, { S::DeleteLastWord }, false },
        { "Backspace is typed", Qt::Key_Backspace, None, typing, {}, true },
        { "Ctrl+PgDn enters the folder", Qt::Key_PageDown, Ctrl, {}, { S::EnterFolder }, false },
        { "Backspace on an empty line goes up", Qt::Key_Backspace, None, {}, { S::GoUp }, true },
        { "Shift+Backspace on an empty line stays", Qt::Key_Backspace, Shift, {}, {}, true },
        { "Ctrl+I", Qt::Key_I, Ctrl, {}, { S::IndentFolders }, false },
        { "Ctrl+H", Qt::Key_H, Ctrl, {}, { S::ToggleHidden }, false },
        { "Insert", Qt::Key_Insert, None, typing, { S::SelectAndDown }, true },
        { "Shift+Insert pastes instead", Qt::Key_Insert, Shift, {}, {}, true },
        { "Space on an empty line selects", Qt::Key_Space, Shift, {}, { S::SelectAndDown }, true },
        { "Space while typing is typed", Qt::Key_Space, None, typing, {}, true },
        { "Ctrl+Q", Qt::Key_Q, Ctrl, {}, { S::ToggleQuickView }, false },
        { "Ctrl+L", Qt::Key_L, Ctrl, {}, { S::ToggleInfo }, false },
        { "Ctrl+L with the active panel in information", Qt::Key_L, Ctrl, info, {}, false },
        { "F12 at 253", Qt::Key_F12, None, wave253, { S::VolumeUp }, true },
        { "F12 at 255", Qt::Key_F12, None, wave255, {}, true },
        { "F11 at 2", Qt::Key_F11, None, wave2, {}, true },
        { "F11 at 253", Qt::Key_F11, None, wave253, { S::VolumeDown }, true },
        { "Esc opens the search box", Qt::Key_Escape, None, {}, { S::ToggleQuickSearch }, false },
        { "Esc with the box open only searches", Qt::Key_Escape, None, search, { S::QuickSearch }, false },
        { "Ctrl+E with history", Qt::Key_E, Ctrl, history, { S::HistoryBack }, false },
        { "Ctrl+E without history", Qt::Key_E, Ctrl, {}, {}, false },
        { "Ctrl+Shift+E is typed", Qt::Key_E, Ctrl | Shift, history, {}, true },
    };
    for (const Row& row : rows) {
        const KeyRoute route = routeKey(row.key, row.modifiers, row.state);
        EXPECT_EQ(route.steps, row.steps) << row.name;
        EXPECT_EQ(route.commandLineWritable, row.writable) << row.name;
    }
    EXPECT_TRUE(routeKey(Qt::Key_Plus, Ctrl | Pad, {}).groupWithFolders);
    EXPECT_FALSE(routeKey(Qt::Key_Minus, Pad, {}).groupWithFolders);
}

TEST(MenuTable, EachShortcutHasOneOwnerFirstInMenuOrder)
{
    const std::pair<const char*, const char*> rows[] = {
        { "Ctrl+A", "File_Attrib" },
        { "Ctrl+M", "Command_StopMusic" },
        { "F3", "File_Viewer" },
        { "Alt+F7", "File_FindFile" },
        { "Tab", "Panel_Change" },
        { "Alt+X", "HotButtons_FastFind" },
        { "Ctrl+F12", "Panel_SortMode" },
        { "Ctrl+C", "Config_Color" },
        { "Shift+F4", "File_Createfile" },
        { "F10", "OV_Exit" },
    };
    for (const auto& [keys, owner] : rows) {
        const MenuEntry* entry = shortcutOwner(keys);
        ASSERT_NE(entry, nullptr) << keys;
        EXPECT_EQ(entry->name, owner) << keys;
    }
    EXPECT_EQ(shortcutOwner("Ctrl+Z"), nullptr);
    // Keys the key handler routes are no menu shortcuts.
    for (const char* keys : { "Esc", "Return", "Ctrl+E", "Del", "Ctrl+L", "Ctrl+Q", "Ctrl+H", "Ctrl+I" })
        EXPECT_EQ(shortcutOwner(keys), nullptr) << keys;
}
