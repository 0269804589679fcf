// The display modes of the screen, and changing them.
//
// DisplayModes is what the video mode window works with: the current mode,
// the modes offered by index (0, 1, 2 ... until the call fails, the way the
// system's display-settings enumeration hands them out), and a change to a
// mode. XrandrModes does it over XRandR on its own Xlib connection, for the
// primary output; FakeDisplayModes is a scripted one for tests.
//
// A change lasts until the X server ends: nothing is stored. Without an X
// server (or under Wayland) there is no mode at all and every change fails.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ov {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bits = 0; // bits per pixel of the screen's pixmaps (32 on a 24-bit screen)
    double rate = 0; // refresh rate in Hz; 0 in a change: the driver chooses
    bool operator==(const DisplayMode&) const = default;
};

// The results of a change.
enum class DisplayChange : int {
    Successful = 0,
    Restart = 1,
    Failed = -1, // the server refused the mode
    BadMode = -2, // no mode of that size is offered
    NotUpdated = -3,
    BadFlags = -4,
};

class DisplayModes {
public:
    virtual ~DisplayModes() = default;
    // The screen's mode now; width 0 without a screen.
    virtual DisplayMode current() = 0;
    // The index-th mode offered; false past the last one.
    virtual bool mode(int index, DisplayMode& out) = 0;
    // Switches to a mode of that width and height; a rate picks the offered
    // rate closest to it, rate 0 the first mode of that size.
    virtual DisplayChange change(const DisplayMode& mode) = 0;
};

// A scripted display for tests: offers Modes, starts in Current, and
// records every change. A change to a size not offered is BadMode;
// Refuse makes every change fail.
class FakeDisplayModes : public DisplayModes {
public:
    std::vector<DisplayMode> Modes;
    DisplayMode Current;
    std::vector<DisplayMode> Changes;
    int Enumerations = 0; // calls of mode()
    bool Refuse = false;

    DisplayMode current() override { return Current; }
    bool mode(int index, DisplayMode& out) override;
    DisplayChange change(const DisplayMode& mode) override;
};

// XRandR on the display named by displayName (empty: $DISPLAY). The
// connection opens on first use and stays open; every Xlib call runs under
// the class's own error handler, so an X error fails the call instead of
// ending the process.
class XrandrModes : public DisplayModes {
public:
    explicit XrandrModes(std::string displayName = {});
    ~XrandrModes() override;
    XrandrModes(const XrandrModes&) = delete;
    XrandrModes& operator=(const XrandrModes&) = delete;

    // False without an X server with XRandR 1.3, or under Wayland.
    bool available();
    DisplayMode current() override;
    bool mode(int index, DisplayMode& out) override;
    DisplayChange change(const DisplayMode& mode) override;

    // Sets the screen's size in pixels (keeping its resolution in dots per
    // millimetre); false when the server refuses it (an X error included).
    bool setScreenSize(int width, int height);
    // The screen's (root window's) size in pixels as the server has it now;
    // 0 x 0 without a display.
    void screenSize(int& width, int& height);
    // The X error code of the last failed call, 0 when there was none
    // (BadValue is 2).
    int lastError() const;

private:
    struct Connection;
    std::string m_displayName;
    std::unique_ptr<Connection> m_connection;
    bool m_tried = false;
};

} // namespace ov
