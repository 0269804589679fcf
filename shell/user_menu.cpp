// The user menu's file, its layouts and its launching; see user_menu.h.
#include "shell/user_menu.h"

#include "platform/atomic_file.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "shell/command_line.h"
#include "shell/language_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace ov {

namespace {

// A file larger than this is no user menu; it is refused instead of read.
constexpr std::size_t MaxMenuBytes = 16 * 1024 * 1024;

// Splits text into lines at LF, each losing one CR before its LF. A final
// line without LF counts; a text ending in LF has no empty line after it.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = last ? text.size() : end + 1;
    }
    return lines;
}

MenuFile malformed(MenuFile file, int line, std::string reason)
{
    file.ok = false;
    file.errorLine = line;
    file.reason = std::move(reason);
    return file;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

// A Windows path on a mapped drive as its host path; anything else as it is.
std::string hostFor(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') {
        if (auto host = DriveTable::instance().toHost(normalizeWindowsPath(path)))
            return *host;
    }
    return path;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = lowerAscii(c);
    return text;
}

// The last component of a Windows or host path, lower-cased.
std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of("\\/:");
    return lowered(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

std::string MenuFile::error() const
{
    return ok ? std::string() : "line " + std::to_string(errorLine) + ": " + reason;
}

MenuFile readUserMenu(std::string_view bytes, const std::string& language)
{
    MenuFile file;
    const std::string text = decodeLanguageText(bytes, language);
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty())
        return malformed(
            std::move(file), 1, "the file is empty; the first line must hold the number of entries");

    // Line 1: the count, digits only (spaces around them are allowed). It is
    // compared with the lines present digit by digit, so no count overflows.
    std::string_view first = lines[0];
    while (!first.empty() && isSpace(first.front()))
        first.remove_prefix(1);
    while (!first.empty() && isSpace(first.back()))
        first.remove_suffix(1);
    if (first.empty())
        return malformed(std::move(file), 1, "the number of entries is missing");
    const std::size_t room = lines.size() >= 2 ? lines.size() - 2 : 0;
    std::size_t count = 0;
    for (char c : first) {
        if (c < '0' || c > '9')
            return malformed(std::move(file), 1, "the number of entries is not a decimal number");
        count = count * 10 + static_cast<std::size_t>(c - '0');
        if (count > room)
            count = room + 1; // already more than the lines can hold; stays bounded
    }

    // Then a separator line, and per entry caption, command and separator.
    // The last entry's separator may be missing at the end of the file.
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t captionLine = 2 + 3 * i; // 0-based
        if (captionLine + 1 >= lines.size()) {
            // Line numbers are 1-based: the first line past the end.
            const int lineNumber = static_cast<int>(std::min<std::size_t>(lines.size() + 1, 2147483647));
            return malformed(std::move(file), lineNumber,
                "the file ends before entry " + std::to_string(i + 1) + " of " + std::string(first));
        }
        file.entries.push_back({ std::string(lines[captionLine]), std::string(lines[captionLine + 1]) });
    }
    return file;
}

std::string writeUserMenu(const std::vector<UserMenuEntry>& entries)
{
    std::string out = std::to_string(entries.size()) + "\r\n \r\n";
    for (const UserMenuEntry& entry : entries)
        out += entry.caption + "\r\n" + entry.command + "\r\n \r\n";
    return out;
}

MenuFile loadUserMenu(const std::string& hostPath, const std::string& language)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) {
        const int error = errno;
        MenuFile file;
        if (error == ENOENT || error == ENOTDIR) {
            file.exists = false;
            return file;
        }
        return malformed(std::move(file), 1, std::string("cannot be read: ") + std::strerror(error));
    }
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > MaxMenuBytes)
            return malformed(MenuFile(), 1, "the file is too large for a user menu");
    }
    if (in.bad())
        return malformed(MenuFile(), 1, "cannot be read");
    return readUserMenu(bytes, language);
}

bool saveUserMenu(
    const std::string& hostPath, const std::vector<UserMenuEntry>& entries, std::string* failure)
{
    AtomicFile file;
    if (!file.open(hostPath) || !file.write(writeUserMenu(entries)) || !file.commit()) {
        if (failure)
            *failure = std::strerror(file.error() ? file.error() : errno);
        return false;
    }
    return true;
}

std::optional<MenuLaunch> planMenuCommand(const std::string& commandLine)
{
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty())
        return std::nullopt;
    MenuLaunch launch;

    // The command interpreter with /c: the rest is a command for the shell.
    const std::string program = baseName(words[0]);
    const bool interpreter
        = program == "command.com" || program == "command" || program == "cmd" || program == "cmd.exe";
    if (interpreter && words.size() >= 2 && lowered(words[1]) == "/c") {
        const auto at = lowered(commandLine).find("/c");
        std::string rest = commandLine.substr(at + 2);
        while (!rest.empty() && isSpace(rest.front()))
            rest.erase(rest.begin());
        launch.kind = MenuLaunch::Kind::Shell;
        launch.argv = { rest };
        return launch;
    }

    // The extension of the whole command line, as a file name's: from the
    // last dot after the last folder separator; compared case-exact.
    const auto separator = commandLine.find_last_of("\\:");
    const auto dot = commandLine.find_last_of('.');
    const std::string extension
        = dot != std::string::npos && (separator == std::string::npos || dot > separator)
        ? commandLine.substr(dot)
        : std::string();
    const bool document
        = extension == ".com" || extension == ".COM" || extension == ".bat" || extension == ".BAT";
    if (document && !interpreter) {
        launch.kind = MenuLaunch::Kind::Open;
        launch.argv = { hostFor(commandLine) };
        if (separator != std::string::npos)
            launch.workingFolder = hostFor(commandLine.substr(0, separator + 1));
        return launch;
    }

    const std::string first = hostFor(words[0]);
    words.erase(words.begin());
    launch.argv = mapProgram(first, words);
    return launch;
}

bool runMenuLaunch(const MenuLaunch& launch, std::string* failure)
{
    Launcher& run = launcher();
    bool started = false;
    switch (launch.kind) {
    case MenuLaunch::Kind::Start:
        started = run.startProgram(launch.argv, launch.workingFolder);
        break;
    case MenuLaunch::Kind::Shell:
        started = run.runShellCommand(launch.argv.front(), launch.workingFolder);
        break;
    case MenuLaunch::Kind::Open:
        started = run.openDocument(launch.argv.front(), launch.workingFolder);
        break;
    }
    if (!started && failure)
        *failure = run.failure;
    return started;
}

void UserMenu::activate(const MenuFile& file)
{
    m_entries = file.entries;
    m_selected = -1;
    m_loadFailed = !file.ok;
    basicLayout();
    m_changed = false;
}

std::optional<std::string> UserMenu::startCommand() const
{
    if (m_selected < 0 || m_selected >= static_cast<int>(m_entries.size()))
        return std::nullopt;
    return m_entries[static_cast<std::size_t>(m_selected)].command;
}

void UserMenu::select(int index)
{
    m_selected = index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1;
}

void UserMenu::optionsClick()
{
    m_changed = true;
    if (m_controls.height == 283) {
        basicLayout();
        return;
    }
    m_layout = MenuLayout::Options;
    m_controls.height = 283;
    m_controls.startEnabled = false;
    m_controls.editButtonsVisible = true;
}

void UserMenu::insertClick()
{
    if (!edit1.empty() && !edit2.empty()) {
        m_entries.push_back({ edit1, edit2 });
        basicLayout();
        return;
    }
    editLayout(false);
}

void UserMenu::deleteClick()
{
    if (m_selected < 0)
        return;
    m_entries.erase(m_entries.begin() + m_selected);
    m_selected = -1;
    basicLayout();
}

void UserMenu::changeClick()
{
    if (m_selected < 0)
        return;
    if (!edit1.empty() && !edit2.empty()) {
        m_entries[static_cast<std::size_t>(m_selected)] = { edit1, edit2 };
        basicLayout();
        return;
    }
    editLayout(true);
    edit1 = m_entries[static_cast<std::size_t>(m_selected)].caption;
    edit2 = m_entries[static_cast<std::size_t>(m_selected)].command;
}

void UserMenu::basicLayout()
{
    m_layout = MenuLayout::Basic;
    m_controls = MenuControls();
    edit1.clear();
    edit2.clear();
}

void UserMenu::editLayout(bool forChange)
{
    m_layout = MenuLayout::Edit;
    m_controls.listHeight = 81;
    m_controls.listEnabled = false;
    m_controls.editsVisible = true;
    m_controls.editButtonsVisible = true;
    m_controls.startEnabled = false;
    m_controls.cancelEnabled = true;
    m_controls.optionsEnabled = true;
    m_controls.insertEnabled = !forChange;
    m_controls.deleteEnabled = false;
    m_controls.changeEnabled = forChange;
}

} // namespace ov
