#include "setup/desktop_entry.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>

namespace ov {

namespace {

// Characters that make an Exec argument need quotes.
constexpr const char* Reserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that must be escaped inside quotes.
constexpr const char* EscapedInQuotes = "\"`$\\";

} // namespace

std::string quoteExecArgument(const std::string& argument)
{
    std::string out;
    const bool quote = argument.empty() || argument.find_first_of(Reserved) != std::string::npos;
    if (quote)
        out += '"';
    for (const char c : argument) {
        if (quote && std::strchr(EscapedInQuotes, c))
            out += '\\';
        out += c;
        // A literal percent sign is doubled so it is not taken for a field code.
        if (c == '%')
            out += '%';
    }
    if (quote)
        out += '"';
    return out;
}

std::string escapeDesktopValue(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeDesktopValue(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += value[i];
        }
    }
    return out;
}

bool parseExec(const std::string& value, std::vector<std::string>& arguments)
{
    arguments.clear();
    const std::string text = unescapeDesktopValue(value);
    std::string current;
    bool inArgument = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == '"') {
            // A quoted argument: backslash escapes only the four characters.
            for (++i;; ++i) {
                if (i == text.size())
                    return false;
                if (text[i] == '"')
                    break;
                if (text[i] == '\\') {
                    if (i + 1 == text.size() || !std::strchr(EscapedInQuotes, text[i + 1]))
                        return false;
                    ++i;
                } else if (text[i] == '%') {
                    if (i + 1 == text.size() || text[i + 1] != '%')
                        return false;
                    ++i;
                }
                current += text[i];
            }
            continue;
        }
        if (std::strchr(Reserved, c))
            return false;
        if (c == '%') {
            if (i + 1 == text.size() || text[i + 1] != '%')
                return false;
            ++i;
        }
        current += c;
    }
    if (inArgument)
        arguments.push_back(current);
    return !arguments.empty();
}

std::map<std::string, std::string> desktopEntryKeys(const std::string& text)
{
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string::npos)
            keys.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    return keys;
}

std::string DesktopEntry::text() const
{
    std::string exec;
    for (const std::string& argument : Exec) {
        if (!exec.empty())
            exec += ' ';
        exec += quoteExecArgument(argument);
    }
    std::string out = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    out += "Name=" + escapeDesktopValue(Name) + "\n";
    if (!Comment.empty())
        out += "Comment=" + escapeDesktopValue(Comment) + "\n";
    out += "Exec=" + escapeDesktopValue(exec) + "\n";
    if (!Path.empty())
        out += "Path=" + escapeDesktopValue(Path) + "\n";
    if (!Icon.empty())
        out += "Icon=" + escapeDesktopValue(Icon) + "\n";
    out += std::string("Terminal=") + (Terminal ? "true" : "false") + "\n";
    if (!Categories.empty())
        out += "Categories=" + escapeDesktopValue(Categories) + "\n";
    return out;
}

bool DesktopEntry::write(const std::string& hostPath, std::string* error) const
{
    AtomicFile file;
    AtomicFile::Options options;
    options.owner = TargetOwner::Writer;
    if (!file.open(hostPath, options) || !file.write(text()) || !file.commit()) {
        if (error)
            *error = "Cannot write " + hostPath + ": " + std::strerror(file.error() ? file.error() : errno);
        return false;
    }
    return true;
}

} // namespace ov
