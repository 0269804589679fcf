// Command-line text algorithms, the history and File_Work's extension table.
#include "shell/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "panel/browser.h"
#include "platform/drives.h"

namespace ov {

std::string deleteLastWord(std::string text)
{
    while (!text.empty() && text.back() != ' ' && text.back() != '.')
        text.pop_back();
    if (!text.empty() && text.size() != 3)
        text.pop_back();
    return text;
}

namespace {

bool validUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6               ? 2
            : (lead >> 4) == 0xE               ? 3
            : (lead >> 3) == 0x1E              ? 4
                                               : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        // Overlong forms and surrogates are not UTF-8 either.
        const unsigned char second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((length == 2 && lead < 0xC2) || (length == 3 && lead == 0xE0 && second < 0xA0)
            || (length == 3 && lead == 0xED && second >= 0xA0)
            || (length == 4 && lead == 0xF0 && second < 0x90) || (length == 4 && lead > 0xF4)
            || (length == 4 && lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::string shellQuoted(std::string_view host)
{
    const auto plain = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || std::string_view("_./-+,:@%=").find(static_cast<char>(c)) != std::string_view::npos;
    };
    if (!host.empty() && std::all_of(host.begin(), host.end(), [&](char c) {
            return plain(static_cast<unsigned char>(c));
        }))
        return std::string(host);
    if (validUtf8(host)) {
        std::string quoted = "'";
        for (const char c : host)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }
    // Bytes that are no text cannot stand in the line as themselves: printf
    // writes them back, each as an octal escape.
    std::string format;
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\'' && c != '\\' && c != '%') {
            format += c;
        } else {
            const char digits[] = { '\\', static_cast<char>('0' + (byte >> 6)),
                static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7)), 0 };
            format += digits;
        }
    }
    return "\"$(printf '" + format + "')\"";
}

std::string appendCurrentName(std::string text, const std::string& name, bool isFolder)
{
    if (!text.empty())
        text += ' ';
    std::string shown = name;
    if (!isFolder) {
        std::transform(shown.begin(), shown.end(), shown.begin(),
            [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    }
    return text + shellQuoted(innerNameToHost(shown));
}

std::string appendPanelPath(std::string text, const std::string& hostFolder)
{
    std::string folder = hostFolder;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return text + shellQuoted(folder);
}

std::vector<std::string> splitCommandLine(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words.push_back(word);
    return words;
}

std::string reopenFolder(const TBrowser& list)
{
    if (list.DiskKind == DiskKind::Standard)
        return list.CurrentFolder();
    const TDiskInterface* bottom = list.Disk;
    while (bottom && bottom->Below)
        bottom = bottom->Below.get();
    return bottom ? bottom->Root + bottom->SavedFolder : list.CurrentFolder();
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
