// What `ovtool ls` and `ovtool arc ls` share: the sort modes by name and the
// lines of a listed folder.
#pragma once

#include "panel/browser.h"

#include <string>

// The sort mode named `name` (name, ext, size, date, none); false for
// another name.
bool lsSortMode(const std::string& name, int& sortMode);

// The list's entries in its order, one line each, tab-separated: full
// name, size in bytes, written date and time (yyyy-mm-dd hh:mm:ss),
// attributes in hex.
std::string lsLines(const ov::TBrowser& list);
