// TVideoModes; see video_mode.h.
#include "tools/video_mode.h"

#include "platform/dialogs.h"

#include <cstdio>

namespace ov {

std::string modeText(int width, int height, int bits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d, %d bits", width, height, bits);
    return text;
}

std::string videoResultText(int result)
{
    switch (result) {
    case 0:
        return "The mode is established!";
    case 1:
        return "It is required restart";
    case -1:
        return "Cannot set this mode";
    case -2:
        return "Sorry, bad mode";
    case -3:
        return "Not updated";
    case -4:
        return "Bad Flags";
    default:
        return "";
    }
}

void TVideoModes::Activate()
{
    const DisplayMode now = m_display.current();
    m_currentText = modeText(now.width, now.height, now.bits);
    m_modes.clear();
    m_lines.clear();
    DisplayMode mode;
    for (int index = 0; index < MaxDisplayModes && m_display.mode(index, mode); ++index) {
        bool seen = false;
        for (const DisplayMode& listed : m_modes)
            seen = seen || (listed.width == mode.width && listed.height == mode.height);
        if (seen)
            continue;
        m_modes.push_back(mode);
        m_lines.push_back(modeText(mode.width, mode.height, mode.bits));
    }
    Selected = m_lines.empty() ? -1 : 0;
}

std::string TVideoModes::SetMode(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_modes.size())
        return std::string();
    return SetSize(
        m_modes[static_cast<std::size_t>(index)].width, m_modes[static_cast<std::size_t>(index)].height);
}

std::string TVideoModes::SetSize(int width, int height)
{
    Reverted = false;
    const DisplayMode before = m_display.current();
    if (before.width == width && before.height == height) {
        LastResult = DisplayChange::Successful;
        return videoResultText(0);
    }
    // The rate is left to the driver.
    DisplayMode wanted;
    wanted.width = width;
    wanted.height = height;
    LastResult = m_display.change(wanted);
    if (LastResult != DisplayChange::Successful)
        return videoResultText(static_cast<int>(LastResult));
    const Answer answer
        = prompts().askTimed({ KeepQuestion, KeepCaption, Buttons::YesNo, Icon::Question }, KeepTime);
    if (answer != Answer::Yes) {
        m_display.change(before);
        Reverted = true;
        m_currentText = modeText(before.width, before.height, before.bits);
        return std::string();
    }
    const DisplayMode now = m_display.current();
    m_currentText = modeText(now.width, now.height, now.bits);
    return videoResultText(0);
}

} // namespace ov
