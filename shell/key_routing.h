// The main window's key handler (FormKeyDown) as a pure function: one key,
// its modifiers and the window's state in, the steps that key runs out.
//
// The steps are tried in a fixed order; each runs when its condition holds
// and later ones still run unless a step ends the chain. Menu shortcuts never
// get here: their actions take the key first.
//
// Modifier rule: the state is Ctrl, Alt or Shift when exactly that one is
// held; anything else (none, Ctrl+Shift, ...) is plain. The keypad flag is
// not a modifier: it only tells gray +, - and * from the main keyboard's.
#pragma once

#include "panel/panel_settings.h"

#include <Qt>

#include <vector>

namespace ov {

enum class ModifierState { Plain, Ctrl, Alt, Shift };

ModifierState modifierState(Qt::KeyboardModifiers modifiers);

enum class KeyStep {
    Delete, // the Delete command (F8)
    QuickSearch, // QuickSearch with the box's text before this key
    Enter, // run the command line, or open the current entry
    AppendLeftPath, // Ctrl+[
    AppendRightPath, // Ctrl+]
    NextDrive,
    PreviousDrive,
    CursorUp,
    CursorDown,
    PageRight,
    PageLeft,
    CursorHome,
    CursorEnd,
    DriveDialogLeft, // Alt+F1, non-modal
    DriveDialogRight, // Alt+F2, modal
    PutCurrentName, // Ctrl+Enter
    DeleteLastWord, // Ctrl+Backspace
    GoUp,
    GoRoot,
    EnterFolder, // Ctrl+PgDn
    InvertFiles, // gray *
    InvertWithFolders, // Ctrl + gray *
    SelectGroup, // gray +
    UnselectGroup, // gray -
    IndentFolders,
    ToggleHidden,
    SelectAndDown,
    ToggleQuickView, // on the passive panel
    ToggleInfo, // on the passive panel
    VolumeUp,
    VolumeDown,
    ToggleQuickSearch,
    HistoryBack,
};

struct KeyState {
    bool commandLineEmpty = true;
    bool searchVisible = false;
    bool historyEmpty = true;
    ViewMode activeMode = ViewMode::Brief; // the active panel's view mode
    int waveLevel = 0; // 0..255
};

struct KeyRoute {
    // Whether the command line takes the key's character (step 1).
    bool commandLineWritable = true;
    std::vector<KeyStep> steps;
    // With SelectGroup/UnselectGroup: folders too (Ctrl held).
    bool groupWithFolders = false;
};

KeyRoute routeKey(int key, Qt::KeyboardModifiers modifiers, const KeyState& state);

} // namespace ov
