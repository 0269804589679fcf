#include "shell/main_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ov {

MainLayout computeMainLayout(const MainLayoutInput& in)
{
    MainLayout out;
    const int cw = in.clientWidth > 0 ? in.clientWidth : 1;
    // Each panel keeps at least 40 pixels; the clamp is for this pass only.
    double r = in.splitRatio;
    if (cw * r < 40)
        r = 40.0 / cw;
    if (cw * (1 - r) < 40)
        r = 1 - 40.0 / cw;

    out.leftPanel.left = 1;
    out.leftPanel.top = in.panel3Top + in.panel3Height + 3;
    out.leftPanel.width = static_cast<int>(std::lround(cw * r)) - 3;
    out.leftPanel.height = in.panelDownTop - out.leftPanel.top - 1;

    out.rightPanel.width = in.outerWidth - out.leftPanel.width - in.splitter - 10;
    out.rightPanel.left = out.leftPanel.left + out.leftPanel.width + in.splitter;
    out.rightPanel.top = out.leftPanel.top;
    out.rightPanel.height = in.panelDownTop - out.leftPanel.top - 1;

    out.comLineLeft = in.comReadLeft + in.comReadWidth;
    out.comLineWidth = in.panelDosWidth - out.comLineLeft - 2;

    // The status bar, right to left.
    out.label1Left = in.statusWidth - in.label1Width - 12;
    out.volBarLeft = out.label1Left - in.volBarWidth - 9;
    out.panel5Left = out.volBarLeft - 12;
    out.posBarLeft = out.panel5Left - in.posBarWidth - 11;
    out.bStopLeft = out.posBarLeft - in.bStopWidth - 5;
    out.bContLeft = out.bStopLeft - 14;
    out.panel6Left = out.bContLeft - 8;
    out.label2Width = out.panel6Left - in.label2Left;

    out.rButLeft = in.toolBarWidth - in.rButWidth - 7;

    // Function keys: six equal buttons, F8 takes what is left. The row
    // follows the window both ways, so a narrower window cuts no button off.
    out.hotKeyBoxWidth = std::max(in.outerWidth - 8, 0);
    const int b = out.hotKeyBoxWidth;
    const int width = (b - 16) / 7;
    int left = 2;
    for (int i = 0; i < 6; ++i) {
        out.functionKeyLeft[i] = left;
        out.functionKeyWidth[i] = width;
        left += width + 2;
    }
    out.functionKeyLeft[6] = left;
    out.functionKeyWidth[6] = b - left - 2;

    out.gap = { out.leftPanel.right(), out.leftPanel.top, in.splitter, out.leftPanel.height + 1 };
    return out;
}

Rect fitWindowToScreens(Rect wanted, const std::vector<Rect>& screens)
{
    if (screens.empty())
        return wanted;
    const auto overlap
        = [](int a0, int a1, int b0, int b1) { return std::max(0, std::min(a1, b1) - std::max(a0, b0)); };
    // The screen holding most of the window, else the first one.
    const Rect* home = &screens.front();
    int64_t best = 0;
    for (const Rect& screen : screens) {
        const int64_t area = int64_t(overlap(wanted.left, wanted.right(), screen.left, screen.right()))
            * overlap(wanted.top, wanted.bottom(), screen.top, screen.bottom());
        if (area > best) {
            best = area;
            home = &screen;
        }
    }
    wanted.width = std::clamp(wanted.width, 0, home->width);
    wanted.height = std::clamp(wanted.height, 0, home->height);

    // Visible enough: the title strip's top on a screen, with 100 pixels
    // (the whole width of a narrower window) beside it.
    constexpr int titleHeight = 30;
    const int needed = std::min(100, wanted.width);
    for (const Rect& screen : screens) {
        const bool titleInside = wanted.top >= screen.top && wanted.top + titleHeight <= screen.bottom();
        if (titleInside && overlap(wanted.left, wanted.right(), screen.left, screen.right()) >= needed)
            return wanted;
    }
    wanted.left = std::clamp(wanted.left, home->left - (wanted.width - needed), home->right() - needed);
    wanted.top = std::clamp(wanted.top, home->top, std::max(home->top, home->bottom() - titleHeight));
    return wanted;
}

double splitRatioAt(int x, int clientWidth)
{
    return clientWidth > 0 ? static_cast<double>(x) / clientWidth : 0.5;
}

} // namespace ov
