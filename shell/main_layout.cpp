#include "shell/main_layout.h"

#include <cmath>

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

    // Function keys: six equal buttons, F8 takes what is left.
    out.hotKeyBoxWidth = in.hotKeyBoxWidth;
    if (out.hotKeyBoxWidth + 8 < in.outerWidth)
        out.hotKeyBoxWidth = in.outerWidth - 8;
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

double splitRatioAt(int x, int clientWidth)
{
    return clientWidth > 0 ? static_cast<double>(x) / clientWidth : 0.5;
}

} // namespace ov
