// The registry through which other subsystems give the main window their
// commands and file handlers, so that the main window never names their
// windows.
//
// A command ("Copy", "Move", "Delete", "Attributes", ...) is run by the menu
// entry, button or key that carries its name; a registered handler replaces
// the main window's own behaviour for that name, and a name nobody handles
// shows a "not available yet" message. File handlers open one file:
// "ViewPicture", "PlaySound", "PlayMpeg", "PlayModule", "ViewText",
// "EditText" take the file's Windows path; "AddFolderToHistory" takes each
// folder a panel enters. Other names the window runs: "DriveDialog" and
// "DriveDialogModal" (for DriveDialogSide), "SelectGroup" (with
// SelectGroupMode and SelectGroupFolders), "SaveFilesColors" after each save
// of ov.ini.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace ov {

class TForm1;

using CommandHandler = std::function<void(TForm1& form)>;
using FileHandler = std::function<void(TForm1& form, const std::string& path)>;

class CommandRegistry {
public:
    static CommandRegistry& instance();

    void add(const std::string& name, CommandHandler handler);
    void addFileHandler(const std::string& name, FileHandler handler);
    void remove(const std::string& name);
    // Removes every handler (tests).
    void clear();

    const CommandHandler* find(const std::string& name) const;
    const FileHandler* findFileHandler(const std::string& name) const;

private:
    std::map<std::string, CommandHandler> m_commands;
    std::map<std::string, FileHandler> m_fileHandlers;
};

// Shorthands for a subsystem's registration.
inline void registerCommand(const std::string& name, CommandHandler handler)
{
    CommandRegistry::instance().add(name, std::move(handler));
}
inline void registerFileHandler(const std::string& name, FileHandler handler)
{
    CommandRegistry::instance().addFileHandler(name, std::move(handler));
}

} // namespace ov
