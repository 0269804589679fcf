// Selecting and unselecting a list's entries by mask (gray +, gray -, the
// "Select group" command) and clearing the selection, without a window.
#pragma once

#include <string>

namespace ov {

class TBrowser;

// The values the main window hands the group-selection window.
inline constexpr int SelectGroupSelect = 1;
inline constexpr int SelectGroupUnselect = 777;
inline constexpr int SelectGroupFilesOnly = 1;
inline constexpr int SelectGroupWithFolders = 777;

// Selects (select) or unselects every entry but ".." whose full name matches
// masks (MatchMask: ";" or "," between masks, * and ?), files only unless
// withFolders. Returns how many entries changed.
int SelectGroup(TBrowser& list, const std::string& masks, bool select, bool withFolders);

// Unselects every selected entry.
void UnselectAll(TBrowser& list);

} // namespace ov
