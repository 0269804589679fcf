// Process starting and the program-name map; see launcher.h.
#include "platform/launcher.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ov {

namespace {

Launcher* installed = nullptr;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Starts argv detached from us: a double fork, so no zombie is left and the
// child outlives the file manager.
bool spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    if (argv.empty() || argv[0].empty())
        return false;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
            ::_exit(127);
        ::signal(SIGPIPE, SIG_DFL);
        ::execvp(args[0], args.data());
        // Tell the parent that exec failed.
        const char failed = 1;
        [[maybe_unused]] const auto n = ::write(pipeFds[1], &failed, 1);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    char failed = 0;
    const ssize_t n = ::read(pipeFds[0], &failed, 1);
    ::close(pipeFds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n <= 0;
}

// True when an executable of that name is on PATH.
bool onPath(const std::string& name)
{
    const std::string path = environment("PATH");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string folder = path.substr(start, end - start);
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

Launcher& launcher()
{
    static ProcessLauncher real;
    return installed ? *installed : real;
}

void setLauncher(Launcher* replacement)
{
    installed = replacement;
}

std::vector<std::string> mapProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string base = program;
    const auto slash = base.find_last_of("\\/");
    if (slash != std::string::npos)
        base = base.substr(slash + 1);
    base = lowered(base);
    std::vector<std::string> argv;
    if (base == "command.com" || base == "cmd.exe") {
        std::string terminal = environment("TERMINAL");
        argv.push_back(terminal.empty() ? "x-terminal-emulator" : terminal);
    } else if (base == "notepad.exe" || base == "notepad") {
        std::string editor = environment("VISUAL");
        argv.push_back(editor.empty() ? "xdg-open" : editor);
    } else if (base == "mplayer.exe" || base == "mplay32.exe") {
        // With a file, the desktop's choice for it; without one, the first
        // media player installed (xdg-open needs something to open).
        if (!arguments.empty()) {
            argv.push_back("xdg-open");
        } else {
            std::string player = environment("ORVANTA_MEDIA_PLAYER");
            for (const char* candidate : { "vlc", "totem", "celluloid", "parole", "smplayer", "mpv" }) {
                if (!player.empty())
                    break;
                if (onPath(candidate))
                    player = candidate;
            }
            argv.push_back(player.empty() ? "xdg-open" : player);
            if (player == "mpv")
                argv.push_back("--player-operation-mode=pseudo-gui");
        }
    } else {
        argv.push_back(program);
    }
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

bool ProcessLauncher::openDocument(const std::string& hostPath)
{
    return spawnDetached({ "xdg-open", hostPath }, "");
}

bool ProcessLauncher::startProgram(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    return spawnDetached(argv, workingFolder);
}

bool ProcessLauncher::runShellCommand(const std::string& command, const std::string& workingFolder)
{
    return spawnDetached({ "/bin/sh", "-c", command }, workingFolder);
}

bool RecordingLauncher::openDocument(const std::string& hostPath)
{
    calls.push_back({ "open", { hostPath }, "" });
    return result;
}

bool RecordingLauncher::startProgram(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    calls.push_back({ "start", argv, workingFolder });
    return result;
}

bool RecordingLauncher::runShellCommand(const std::string& command, const std::string& workingFolder)
{
    calls.push_back({ "shell", { command }, workingFolder });
    return result;
}

} // namespace ov
