// Puts a panel's cursor on an entry by name, as the arrow keys would, for
// the tests that walk a panel through folders and archives.
#pragma once

#include "panel/fpanel.h"

#include <gtest/gtest.h>

#include <string>

namespace ov::test {

inline void pointTo(TFPanel& panel, const std::string& name)
{
    for (int i = 1; i <= panel.Browser.Count; ++i)
        if (panel.Browser.NameAt(i) == name) {
            panel.SetCursorIndex(i);
            panel.Layout();
            return;
        }
    FAIL() << "no entry " << name;
}

} // namespace ov::test
