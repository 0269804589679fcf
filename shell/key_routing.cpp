// FormKeyDown's chain of steps, in its fixed order.
#include "shell/key_routing.h"

namespace ov {

ModifierState modifierState(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::ControlModifier)
        return ModifierState::Ctrl;
    if (held == Qt::AltModifier)
        return ModifierState::Alt;
    if (held == Qt::ShiftModifier)
        return ModifierState::Shift;
    return ModifierState::Plain;
}

KeyRoute routeKey(int key, Qt::KeyboardModifiers modifiers, const KeyState& state)
{
    KeyRoute route;
    auto& steps = route.steps;
    const ModifierState mods = modifierState(modifiers);
    const bool ctrl = mods == ModifierState::Ctrl;
    const bool alt = mods == ModifierState::Alt;
    const bool plain = mods == ModifierState::Plain;
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const bool grayPlus = keypad && key == Qt::Key_Plus;
    const bool grayMinus = keypad && key == Qt::Key_Minus;
    const bool grayStar = keypad && key == Qt::Key_Asterisk;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;

    // 1. The command line takes only ordinary typing.
    route.commandLineWritable
        = !(grayPlus || grayMinus || grayStar || enter || key == Qt::Key_Escape || alt || ctrl);
    // 2. Del is the delete command only while the command line is empty;
    // with text in it, it edits the text like any other editing key.
    if (key == Qt::Key_Delete && state.commandLineEmpty)
        steps.push_back(KeyStep::Delete);
    // 3.
    if (state.searchVisible && !alt && !ctrl) {
        steps.push_back(KeyStep::QuickSearch);
        return route;
    }
    // 4.
    if (enter && plain)
        steps.push_back(KeyStep::Enter);
    // 5.
    if (ctrl && key == Qt::Key_BracketLeft)
        steps.push_back(KeyStep::AppendLeftPath);
    if (ctrl && key == Qt::Key_BracketRight)
        steps.push_back(KeyStep::AppendRightPath);
    // 6.
    if (ctrl && key == Qt::Key_Right)
        steps.push_back(KeyStep::NextDrive);
    if (ctrl && key == Qt::Key_Left)
        steps.push_back(KeyStep::PreviousDrive);
    // 7.
    if (key == Qt::Key_Up)
        steps.push_back(KeyStep::CursorUp);
    if (key == Qt::Key_Down)
        steps.push_back(KeyStep::CursorDown);
    // 8.
    if ((key == Qt::Key_Right || key == Qt::Key_PageDown) && !ctrl)
        steps.push_back(KeyStep::PageRight);
    if ((key == Qt::Key_Left || key == Qt::Key_PageUp) && !ctrl)
        steps.push_back(KeyStep::PageLeft);
    // 9.
    if (key == Qt::Key_Home)
        steps.push_back(KeyStep::CursorHome);
    if (key == Qt::Key_End)
        steps.push_back(KeyStep::CursorEnd);
    // 10.
    if (alt && key == Qt::Key_F1)
        steps.push_back(KeyStep::DriveDialogLeft);
    if (alt && key == Qt::Key_F2)
        steps.push_back(KeyStep::DriveDialogRight);
    // 11, 12.
    if (ctrl && enter)
        steps.push_back(KeyStep::PutCurrentName);
    if (ctrl && key == Qt::Key_Backspace)
        steps.push_back(KeyStep::DeleteLastWord);
    // 13.
    // Backspace on an empty command line goes up one folder as well.
    if ((ctrl && key == Qt::Key_PageUp) || (plain && key == Qt::Key_Backspace && state.commandLineEmpty))
        steps.push_back(KeyStep::GoUp);
    if (ctrl && key == Qt::Key_Backslash)
        steps.push_back(KeyStep::GoRoot);
    // Ctrl+PgDn, the way back down from Ctrl+PgUp: into the folder under the cursor.
    if (ctrl && key == Qt::Key_PageDown)
        steps.push_back(KeyStep::EnterFolder);
    // 14.
    if (grayStar)
        steps.push_back(ctrl ? KeyStep::InvertWithFolders : KeyStep::InvertFiles);
    // 15.
    if ((grayPlus || grayMinus) && state.activeMode != ViewMode::QuickView) {
        steps.push_back(grayPlus ? KeyStep::SelectGroup : KeyStep::UnselectGroup);
        route.groupWithFolders = ctrl;
    }
    // 16, 17.
    if (ctrl && key == Qt::Key_I)
        steps.push_back(KeyStep::IndentFolders);
    if (ctrl && key == Qt::Key_H)
        steps.push_back(KeyStep::ToggleHidden);
    // 18.
    if ((key == Qt::Key_Insert && plain) || (key == Qt::Key_Space && state.commandLineEmpty))
        steps.push_back(KeyStep::SelectAndDown);
    // 19.
    if (ctrl && key == Qt::Key_Q)
        steps.push_back(KeyStep::ToggleQuickView);
    // 20.
    if (ctrl && key == Qt::Key_L && state.activeMode != ViewMode::Information) {
        steps.push_back(KeyStep::ToggleInfo);
        return route;
    }
    // 21. Only inside the band, so the level never leaves 0..255.
    if ((key == Qt::Key_F12 || key == Qt::Key_F11) && state.waveLevel > 2 && state.waveLevel < 254)
        steps.push_back(key == Qt::Key_F12 ? KeyStep::VolumeUp : KeyStep::VolumeDown);
    // 22.
    if (key == Qt::Key_Escape) {
        steps.push_back(KeyStep::ToggleQuickSearch);
        return route;
    }
    // 23.
    if (ctrl && key == Qt::Key_E && !state.historyEmpty)
        steps.push_back(KeyStep::HistoryBack);
    return route;
}

} // namespace ov
