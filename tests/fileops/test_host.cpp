// The test host; see test_host.h.
#include "tests/fileops/test_host.h"

#include <string>

namespace ov::test {

TestHost::TestHost()
    : language(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini")
{
}

TBrowser& TestHost::List(PanelSide side)
{
    return side == PanelSide::Active ? active : other;
}

int TestHost::CurrentIndex(PanelSide side)
{
    return side == PanelSide::Active ? activeCursor : otherCursor;
}

void TestHost::SetCursorIndex(PanelSide side, int index)
{
    (side == PanelSide::Active ? activeCursor : otherCursor) = index;
}

TMainSettings& TestHost::Settings()
{
    return settings;
}

const IniFile& TestHost::Language()
{
    return language;
}

void TestHost::Update_AllPanels()
{
    ++updates;
    if (refreshOnUpdate) {
        active.Refresh();
        other.Refresh();
    }
}

QWidget* TestHost::Owner()
{
    return nullptr;
}

void TestHost::RepaintPanels()
{
    ++repaints;
}

bool TestHost::ActiveIsLeft()
{
    return activeLeft;
}

QRect TestHost::PanelRect(PanelSide side)
{
    return side == PanelSide::Active ? activeRect : otherRect;
}

int TestHost::PanelFontSize()
{
    return fontSize;
}

} // namespace ov::test
