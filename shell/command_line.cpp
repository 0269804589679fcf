// Command-line text algorithms, the history and File_Work's extension table.
#include "shell/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace ov {

std::string deleteLastWord(std::string text)
{
    while (!text.empty() && text.back() != ' ' && text.back() != '.')
        text.pop_back();
    if (!text.empty() && text.size() != 3)
        text.pop_back();
    return text;
}

std::string appendCurrentName(std::string text, const std::string& name, bool isFolder)
{
    if (!text.empty())
        text += ' ';
    std::string shown = name;
    if (!isFolder) {
        std::transform(shown.begin(), shown.end(), shown.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
    }
    return text + shown;
}

std::string appendPanelPath(std::string text, const std::string& path)
{
    text += path;
    if (path.size() != 3)
        text += '\\';
    return text;
}

void CommandHistory::add(const std::string& text)
{
    m_items.push_back(text);
    m_selected = static_cast<int>(m_items.size()) - 1;
    m_walking = false;
}

std::string CommandHistory::back()
{
    if (m_items.empty())
        return {};
    if (m_walking && m_selected > 0)
        --m_selected;
    m_walking = true;
    return m_items[static_cast<std::size_t>(m_selected)];
}

std::string lowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

FileAction fileActionFor(const std::string& path)
{
    struct Row {
        FileAction action;
        std::array<std::string_view, 8> extensions;
    };
    static const Row table[] = {
        { FileAction::Picture, { ".bmp", ".jpg", ".jpeg", ".ico", ".emf", ".wmf", ".gif" } },
        { FileAction::Sound, { ".mid", ".wav", ".rmi" } },
        { FileAction::MediaPlayer, { ".avi", ".mov", ".mpg", ".mp1" } },
        { FileAction::Mpeg, { ".mp2", ".mp3" } },
        { FileAction::Module, { ".xm", ".mod", ".s3m", ".stm", ".itz", ".it", ".mpp", ".med" } },
        { FileAction::Html, { ".htm", ".html" } },
    };
    const std::string ext = lowerExtension(path);
    if (ext.empty())
        return FileAction::Text;
    for (const Row& row : table) {
        if (std::find(row.extensions.begin(), row.extensions.end(), ext) != row.extensions.end())
            return row.action;
    }
    return FileAction::Text;
}

} // namespace ov
