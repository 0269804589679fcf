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

#include <memory>
#include <string>
#include <vector>

namespace ov {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens a document (host path) with the desktop's default program.
    virtual bool openDocument(const std::string& hostPath) = 0;
    // Starts argv[0] with its arguments in workingFolder (host path; empty:
    // the current folder), without waiting.
    virtual bool startProgram(const std::vector<std::string>& argv, const std::string& workingFolder) = 0;
    // Runs a command the user typed, through /bin/sh -c, in workingFolder.
    virtual bool runShellCommand(const std::string& command, const std::string& workingFolder) = 0;
};

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
    bool openDocument(const std::string& hostPath) override;
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

    bool openDocument(const std::string& hostPath) override;
    bool startProgram(const std::vector<std::string>& argv, const std::string& workingFolder) override;
    bool runShellCommand(const std::string& command, const std::string& workingFolder) override;
};

} // namespace ov
