// The main options dialog's engine: the values its controls show, taken
// from the main window's settings and one panel, and the order in which
// "&OK" gives them back. No Qt, no window, no file: ov.ini is written only by
// the next save of the whole configuration.
#pragma once

#include "panel/panel_settings.h"
#include "shell/main_settings.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace ov {

// The language radio buttons in the order the page shows them, and the
// Language value each one stands for.
inline constexpr std::array<const char*, 5> OptionLanguages
    = { "ENGLISH", "RUSSIAN", "POLISH", "ITALIAN", "AMERICAN" };
// The radio button of a Language value; -1 for a value outside the five.
int optionLanguageIndex(const std::string& language);

// The spin edits' ranges; a value outside is clamped as the spin shows it.
inline constexpr int SplitterMin = 1, SplitterMax = 60;
inline constexpr int ColumnsMin = 1, ColumnsMax = 12;
inline constexpr int LengthMin = 4, LengthMax = 100;
inline constexpr int ScrollBandMin = 0, ScrollBandMax = 60;

struct MainOptionsValues {
    // Main page.
    int Main_Splitter = 7;
    bool SysTrayIcon = true;
    bool SysCopy = false;
    bool DelToRecycle = false;
    bool OnTop = false;
    bool BuiltInEditor = true;
    std::string EditorName;
    bool OldDrag = false;
    bool AutoSave = true;
    // Panels page: one panel's values.
    int Columns = 3;
    bool ColumnsEnabled = true; // off while the panel is in full mode
    int Length = 8;
    int ScrollBand = 11; // shown only: "&OK" takes 11 or 0 from ShowScrollBar
    bool ShowFreeDisk = true;
    bool ShowFileName = true;
    bool ShowFileSize = true;
    bool ShowFileDate = true;
    bool ShowCurDir = true;
    bool ShowHiddenFiles = true;
    bool ShowFileColors = true;
    bool ShowScrollBar = true;
    bool ExecFirst = true;
    // Confirmation page.
    bool ConfirmCopy = true;
    bool ConfirmMove = true;
    bool ConfirmDelete = true;
    bool ConfirmExit = false;
    // Language page: the checked radio button, -1 when none is.
    int LanguageIndex = 0;
};

// The side the Panels page edits: the right panel when Sync_Panels is on,
// else the active one.
Side optionsPanelSide(const TMainSettings& settings, Side active);
// The panels "&OK" writes the Panels page into, in order: the right then
// the left panel when Sync_Panels is on, else the active one.
std::vector<Side> optionsTargetSides(const TMainSettings& settings, Side active);

// The dialog's filling: the settings, and the panel the Panels page edits
// with the scroll band it has now.
MainOptionsValues fillMainOptions(const TMainSettings& settings, const PanelSettings& panel, int scrollBand);

// What "&OK" writes into.
struct MainOptionsTarget {
    TMainSettings* settings = nullptr;
    // The panels of optionsTargetSides, each with the scroll band the panel
    // lays itself out with.
    struct Panel {
        PanelSettings* settings = nullptr;
        int* scrollBand = nullptr;
    };
    std::vector<Panel> panels;
};

// "&OK", steps 1 to 4, in order:
//  1. the language: when a radio button other than the one of Language is
//     checked, Language becomes its value and onLanguage runs (the window
//     opens the new language file and applies it there), before anything
//     else changes. A Language outside the five names has no button of its
//     own, so any checked button applies. No checked button keeps Language.
//  2. the Main page;
//  3. the Panels page into each target panel, the scroll band 11 when
//     "Show scroll bar" is checked and 0 otherwise, whatever the spin shows;
//  4. the four confirmations.
// Returns whether the language changed.
bool applyMainOptions(
    const MainOptionsValues& values, MainOptionsTarget& target, const std::function<void()>& onLanguage);

} // namespace ov
