// Menu entries as freedesktop Desktop Entry files (Desktop Entry
// format, version 1.5): the group [Desktop Entry] with Type=Application, the
// name, the icon, the working folder (Path) and the command (Exec).
//
// Exec is written with the format's two levels of escaping: each
// argument that holds a reserved character (space, quote, backslash, "$",
// backquote, ...) is put in double quotes with '"', '`', '$' and '\'
// preceded by a backslash, a literal '%' is doubled, and then the whole
// value gets the string escapes every value has ("\\" for a backslash, "\n",
// "\t", "\r"). The parser undoes both, so tests can read back the paths.
// Field codes (%f, %u, ...) are neither written nor expanded.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace ov {

class DesktopEntry {
public:
    std::string Name;
    std::string Comment;
    std::vector<std::string> Exec; // program and arguments, unescaped
    std::string Path; // working folder; "" for none
    std::string Icon; // a path or a theme name; "" for none
    std::string Categories; // ";"-terminated list; "" for none
    bool Terminal = false;

    // The file's text.
    std::string text() const;
    // Writes the file atomically (a crash leaves the old file or the new,
    // never part of one). false with the reason in `error`.
    bool write(const std::string& hostPath, std::string* error = nullptr) const;
};

// One argument of Exec, quoted when it must be (before the string escapes).
std::string quoteExecArgument(const std::string& argument);
// The string escapes of a value ("\\", "\n", "\t", "\r"), and their reverse.
std::string escapeDesktopValue(const std::string& value);
std::string unescapeDesktopValue(const std::string& value);
// The arguments of an Exec value as the file holds it (string escapes
// included); false when the quoting is broken or a field code other than
// "%%" appears.
bool parseExec(const std::string& value, std::vector<std::string>& arguments);
// The keys of the [Desktop Entry] group of a file's text, values as stored.
std::map<std::string, std::string> desktopEntryKeys(const std::string& text);

} // namespace ov
