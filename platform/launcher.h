// Starting outside programs and opening documents.
//
// Programs are started from an argument list, never through a shell string,
// so no file name can be taken for a command. The only shell is the one a
// user's own typed command asks for (runShellCommand). The names of the
// Windows programs the file manager has always started map to their desktop
// equivalents: command.com to the user's terminal, notepad.exe to the
// user's editor, mplayer.exe/mplay32.exe to the desktop's media player
// (ORVANTA_MEDIA_PLAYER, else the first of the usual players installed).
//
// Tests install a RecordingLauncher in place of the real one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Each call returns false when nothing could be started, with the reason
    // in failure, in words a user can act on.
    // Opens a document (host path) with the desktop's default program, in
    // workingFolder when one is given.
    virtual bool openDocument(const std::string& hostPath, const std::string& workingFolder = "") = 0;
    // Starts argv[0] with its arguments in workingFolder (host path; empty:
    // the current folder), without waiting.
    virtual bool startProgram(const std::vector<std::string>& argv, const std::string& workingFolder) = 0;
    // Runs a command the user typed in the user's terminal (terminalFor), in
    // workingFolder, the window staying open after the command ends until a
    // key is pressed.
    virtual bool runShellCommand(const std::string& command, const std::string& workingFolder) = 0;

    std::string failure; // why the last failing call started nothing
};

// The terminal a typed command runs in: $TERMINAL, else x-terminal-emulator,
// else the first installed of a short list of common terminals; empty when
// none is found. isInstalled says whether a program is on PATH.
std::string chooseTerminal(const std::function<bool(const std::string&)>& isInstalled);
// The argv that runs command in terminal through /bin/sh, keeping the
// window open once it ends until a key is pressed. The command is handed to
// the shell as an argument of its own, never pasted into a script.
std::vector<std::string> terminalArgv(const std::string& terminal, const std::string& command);

// True for a file Linux runs itself: a regular file with an execute bit that
// starts as an ELF image or a "#!" script (a text file that merely has the
// bit, as files copied from other systems often do, is not one).
bool isExecutableProgram(const std::string& hostPath);

// The launcher in use; the real one unless a test installed another.
Launcher& launcher();
// Installs a launcher (nullptr restores the real one). The caller keeps ownership.
void setLauncher(Launcher* replacement);

// Maps a Windows program name to the argv that starts its equivalent here
// (argument list appended); other names are returned as given.
std::vector<std::string> mapProgram(const std::string& program, const std::vector<std::string>& arguments);

// The launcher that starts processes for real (fork + exec, detached).
class ProcessLauncher : public Launcher {
public:
    bool openDocument(const std::string& hostPath, const std::string& workingFolder = "") override;
    bool startProgram(const std::vector<std::string>& argv, const std::string& workingFolder) override;
    bool runShellCommand(const std::string& command, const std::string& workingFolder) override;
};

// Records every call instead of starting anything.
class RecordingLauncher : public Launcher {
public:
    struct Call {
        std::string kind; // "open", "start" or "shell"
        std::vector<std::string> argv;
        std::string workingFolder;
    };
    std::vector<Call> calls;
    bool result = true;
    std::string reason = "recorded failure"; // failure when result is false

    bool openDocument(const std::string& hostPath, const std::string& workingFolder = "") override;
    bool startProgram(const std::vector<std::string>& argv, const std::string& workingFolder) override;
    bool runShellCommand(const std::string& command, const std::string& workingFolder) override;
};

} // namespace ov
