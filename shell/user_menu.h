// The user menu without a window: the ov.mnu file (read, written), the
// dialog's three layouts as state, and how "&Start" runs an entry.
//
// ov.mnu is a text file: line 1 the number of entries N in decimal, line 2 a
// single space, then for each entry its caption, its command line and a line
// with a single space. Lines end in CR LF (LF alone is read too). Text is
// UTF-8, else the language's Windows code page. Nothing is sized from N: it
// must be a count the lines present can hold, or the file is malformed.
//
// What is left out: the widgets (shell/menu_window.*).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

struct UserMenuEntry {
    std::string caption;
    std::string command;
    bool operator==(const UserMenuEntry&) const = default;
};

// The outcome of reading ov.mnu. A malformed file keeps the entries read
// before the fault, with the line and the reason.
struct MenuFile {
    std::vector<UserMenuEntry> entries;
    bool exists = true; // false when there was no file (an empty list, not an error)
    bool ok = true;
    int errorLine = 0; // 1-based line of the fault when !ok
    std::string reason; // the fault in words when !ok
    // "line N: reason"; "" when ok.
    std::string error() const;
};

// Reads the bytes of an ov.mnu; language picks the code page of a file that
// is not UTF-8.
MenuFile readUserMenu(std::string_view bytes, const std::string& language);
// The file's bytes for a list of entries: CR LF lines, UTF-8.
std::string writeUserMenu(const std::vector<UserMenuEntry>& entries);
// Reads the file at hostPath. A missing file gives an empty list with
// exists false; an unreadable one is malformed at line 1 with the reason.
MenuFile loadUserMenu(const std::string& hostPath, const std::string& language);
// Replaces the file at hostPath in one atomic step. false with the reason
// in words in *failure when it could not be written (the old file stays).
bool saveUserMenu(
    const std::string& hostPath, const std::vector<UserMenuEntry>& entries, std::string* failure);

// How "&Start" runs a command line.
struct MenuLaunch {
    enum class Kind {
        Start, // startProgram(argv, workingFolder)
        Shell, // runShellCommand(argv[0]) in the user's terminal
        Open, // openDocument(argv[0]) through the desktop
    };
    Kind kind = Kind::Start;
    std::vector<std::string> argv;
    std::string workingFolder; // host path, "" for the current folder
};

// What "&Start" does with a command line; nullopt for an empty one. Words
// are split as a configured command line's (double quotes keep spaces); no
// other character means anything. A command for the command interpreter
// ("command.com /c ...", "cmd /c ...") runs the rest through the shell. A
// command whose extension is ".com", ".COM", ".bat" or ".BAT" (case-exact)
// is opened through the desktop with its folder as working folder. Anything
// else starts its first word, mapped as the launcher maps Windows programs,
// with the other words as arguments. Windows paths on a mapped drive become
// host paths.
std::optional<MenuLaunch> planMenuCommand(const std::string& commandLine);
// Runs a plan through the launcher in use. false with the launcher's reason
// in *failure when nothing started.
bool runMenuLaunch(const MenuLaunch& launch, std::string* failure);

// The dialog's layouts.
enum class MenuLayout {
    Basic, // choose and start
    Options, // 283 high, the editing buttons shown
    Edit, // the edits shown, the list disabled
};

// Everything of the dialog's controls that a layout decides.
struct MenuControls {
    int width = 256;
    int height = 250;
    int listHeight = 169;
    bool listEnabled = true;
    bool startEnabled = true, cancelEnabled = true, optionsEnabled = true;
    bool insertEnabled = true, deleteEnabled = true, changeEnabled = true;
    bool editButtonsVisible = false; // "&Insert", "&Delete", "&Change"
    bool editsVisible = false; // both edits and their labels
};

// The dialog's state: the list, the edits, the layout and the changed flag;
// each handler is the button's action. Indexes are 0-based, -1 is none.
class UserMenu {
public:
    // The activation: basic layout, the file's entries, edits emptied,
    // changed flag cleared. A malformed file is remembered: it is never
    // written back from a partial load.
    void activate(const MenuFile& file);
    // The selected entry's command line; nullopt when nothing is selected.
    std::optional<std::string> startCommand() const;
    void optionsClick();
    void insertClick();
    void deleteClick();
    void changeClick();
    // True when closing must write the file: the changed flag is set and the
    // list came from a whole file.
    bool mustWrite() const { return m_changed && !m_loadFailed; }

    const std::vector<UserMenuEntry>& entries() const { return m_entries; }
    int selected() const { return m_selected; }
    void select(int index);
    MenuLayout layout() const { return m_layout; }
    const MenuControls& controls() const { return m_controls; }
    bool changed() const { return m_changed; }
    bool loadFailed() const { return m_loadFailed; }

    // The edits' texts, as the user types them.
    std::string edit1, edit2;

private:
    void basicLayout();
    void editLayout(bool forChange);

    std::vector<UserMenuEntry> m_entries;
    int m_selected = -1;
    MenuLayout m_layout = MenuLayout::Basic;
    MenuControls m_controls;
    bool m_changed = false;
    bool m_loadFailed = false;
};

} // namespace ov
