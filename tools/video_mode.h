// The video mode changer without its window: the current-mode text, the list
// of modes, and setting one with a way back.
//
// The list holds one line per distinct width x height, in the order the
// display offers them (a change lets the driver choose the rate, so two
// lines of one size would do the same); enumeration stops at
// MaxDisplayModes, and each activation fills the list afresh. After a
// change to another mode the user is asked whether to keep it; No, Esc or
// no answer within KeepSeconds go back to the mode before (size and rate).
#pragma once

#include "platform/display_modes.h"

#include <string>
#include <vector>

namespace ov {

inline constexpr int MaxDisplayModes = 4096;
inline constexpr int KeepSeconds = 15;

// "%d x %d, %d bits".
std::string modeText(int width, int height, int bits);
// The message of a change's result: "The mode is established!", "It is
// required restart", "Cannot set this mode", "Sorry, bad mode", "Not
// updated", "Bad Flags"; "" for any other value.
std::string videoResultText(int result);

class TVideoModes {
public:
    explicit TVideoModes(DisplayModes& display)
        : m_display(display)
    {
    }

    // The texts of the keep question (from the language file).
    std::string KeepCaption = "Change video mode";
    std::string KeepQuestion = "Keep this display mode?";
    int KeepTime = KeepSeconds;

    // Reads the current mode and fills the list; the first line selected.
    void Activate();
    const std::string& CurrentText() const { return m_currentText; }
    const std::vector<DisplayMode>& Modes() const { return m_modes; }
    const std::vector<std::string>& Lines() const { return m_lines; }
    int Selected = -1;

    // Sets the mode of a line; SetSize sets any size. Returns the message
    // to show ("" after going back to the old mode).
    std::string SetMode(int index);
    std::string SetSize(int width, int height);
    // What the last SetMode/SetSize did.
    DisplayChange LastResult = DisplayChange::Successful;
    bool Reverted = false;

private:
    DisplayModes& m_display;
    std::string m_currentText;
    std::vector<DisplayMode> m_modes;
    std::vector<std::string> m_lines;
};

} // namespace ov
