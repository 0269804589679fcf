// The main window's layout as a pure function: the geometry of the panels,
// the command line, the status bar and the function-key row from the window's
// size, the split ratio and the sizes of the fixed parts.
#pragma once

#include <vector>

namespace ov {

struct MainLayoutInput {
    int clientWidth = 0; // CW
    int outerWidth = 0; // W: the client width plus the classic 4-pixel borders
    double splitRatio = 0.5;
    int splitter = 7; // S, the gap between the panels (Main_Splitter)
    int panel3Top = 0;
    int panel3Height = 56;
    int panelDownTop = 0;
    int comReadLeft = 0;
    int comReadWidth = 0;
    int panelDosWidth = 0;
    int hotKeyBoxWidth = 0;
    int statusWidth = 0;
    int label1Width = 0;
    int volBarWidth = 150;
    int posBarWidth = 150;
    int bStopWidth = 11;
    int label2Left = 0;
    int toolBarWidth = 0;
    int rButWidth = 17;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

struct MainLayout {
    Rect leftPanel;
    Rect rightPanel;
    int comLineLeft = 0;
    int comLineWidth = 0;
    int label1Left = 0;
    int volBarLeft = 0;
    int panel5Left = 0;
    int posBarLeft = 0;
    int bStopLeft = 0;
    int bContLeft = 0;
    int panel6Left = 0;
    int label2Width = 0;
    int rButLeft = 0;
    int hotKeyBoxWidth = 0;
    int functionKeyLeft[7] = {};
    int functionKeyWidth[7] = {};
    Rect gap;
};

MainLayout computeMainLayout(const MainLayoutInput& in);

// Where a window stored as `wanted` (outer frame) opens among the screens'
// available areas: no larger than the screen it is mostly on (the first screen
// when it is on none), and moved, only when needed, so that its title strip
// and at least 100 pixels of its width lie on a screen. No screens: unchanged.
Rect fitWindowToScreens(Rect wanted, const std::vector<Rect>& screens);

// The split ratio a drag to x sets (kept as is, even where the layout clamps it).
double splitRatioAt(int x, int clientWidth);

} // namespace ov
