// The command line's text algorithms and the command history, without a
// window: Ctrl+Backspace, Ctrl+Enter, Ctrl+[ / Ctrl+], Ctrl+E, and the
// choice File_Work makes by a file's extension.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ov {

class TBrowser;

// Ctrl+Backspace: drops characters from the end until the last one left is a
// space or a full stop, then drops that one too unless exactly three
// characters remain at that moment ("copy file.txt" -> "copy file").
std::string deleteLastWord(std::string text);
// A host name or path as one word of the POSIX shell: as it is when every
// byte is plain (letters, digits, _./-+,:@%=), in single quotes when it is
// UTF-8 text, and as "$(printf '...')" with octal escapes when it holds bytes
// that are no UTF-8 (a line of text could not hold them).
std::string shellQuoted(std::string_view host);
// Ctrl+Enter: a space when the text is not empty, then the current entry's
// name (an inner name), lower-cased unless it is a folder, in its host form
// and quoted for the shell.
std::string appendCurrentName(std::string text, const std::string& name, bool isFolder);
// Ctrl+[ / Ctrl+]: the host path of the folder a panel shows, with a "/"
// at its end, quoted for the shell: typed commands run in a Linux shell.
std::string appendPanelPath(std::string text, const std::string& hostFolder);

// Splits a configured command line (EditorName and the like) into words;
// double quotes keep spaces inside one word and are dropped.
std::vector<std::string> splitCommandLine(const std::string& text);
// The folder a list reopens in and typed commands run in: its own, or
// inside an archive the folder that holds the archive (the bottom disk's).
std::string reopenFolder(const TBrowser& list);

// The history of commands run from the command line and of files run from
// the panels; oldest first, kept for the run only.
class CommandHistory {
public:
    // Appends, selects the new last item and ends any walk.
    void add(const std::string& text);
    // Ctrl+E: the first call after an add gives the last item, each further
    // one an older one, stopping at the oldest. "" when empty.
    std::string back();
    const std::vector<std::string>& items() const { return m_items; }
    int selected() const { return m_selected; }
    bool empty() const { return m_items.empty(); }

private:
    std::vector<std::string> m_items;
    int m_selected = -1;
    bool m_walking = false;
};

// What File_Work does with a file, by its extension (case ignored).
enum class FileAction { Picture, Sound, MediaPlayer, Mpeg, Module, Html, Text };

// The extension of a Windows path with its dot, lower-cased; "" when none.
std::string lowerExtension(const std::string& path);
FileAction fileActionFor(const std::string& path);

} // namespace ov
