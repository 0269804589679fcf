// Process starting and the program-name map; see launcher.h.
#include "platform/launcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
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
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Starts argv detached from us: a double fork, so no zombie is left and the
// child outlives the file manager. On failure, failure holds the reason
// (the error of chdir or exec, passed back through a pipe).
// With watchMs, the program is watched that long: when it ends with an
// error in that time (xdg-open finding no program for a file), that is a
// failure too.
bool spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder,
    std::string& failure, int watchMs = 0)
{
    if (argv.empty() || argv[0].empty()) {
        failure = "no program was named";
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        failure = std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        failure = std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (const pid_t program = ::fork(); program != 0) {
            for (int waited = 0; program > 0 && waited < watchMs; waited += 10) {
                int status = 0;
                if (::waitpid(program, &status, WNOHANG) == program) {
                    // 127 is a failed exec, which reports itself.
                    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
                    if (code != 0 && code != 127) {
                        char message[1 + sizeof code];
                        message[0] = 'e';
                        std::memcpy(message + 1, &code, sizeof code);
                        [[maybe_unused]] const auto n = ::write(pipeFds[1], message, sizeof message);
                    }
                    break;
                }
                ::usleep(10000);
            }
            ::_exit(0);
        }
        // What went wrong goes back as a stage byte and the errno.
        const auto report = [&](char stage) {
            const int error = errno;
            char message[1 + sizeof error];
            message[0] = stage;
            std::memcpy(message + 1, &error, sizeof error);
            [[maybe_unused]] const auto n = ::write(pipeFds[1], message, sizeof message);
            ::_exit(127);
        };
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
            report('d');
        ::signal(SIGPIPE, SIG_DFL);
        ::execvp(args[0], args.data());
        report('x');
    }
    ::close(pipeFds[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    char message[1 + sizeof(int)] = {};
    const ssize_t n = ::read(pipeFds[0], message, sizeof message);
    ::close(pipeFds[0]);
    if (n == static_cast<ssize_t>(sizeof message)) {
        int error = 0;
        std::memcpy(&error, message + 1, sizeof error);
        if (message[0] == 'e')
            failure = argv[0] + " ended with code " + std::to_string(error) + ": no program could open it";
        else if (message[0] == 'd')
            failure = "cannot enter the folder " + workingFolder + ": " + std::strerror(error);
        else
            failure = "cannot start " + argv[0] + ": " + std::strerror(error);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failure = "cannot start " + argv[0];
        return false;
    }
    return true;
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

std::string chooseTerminal(const std::function<bool(const std::string&)>& isInstalled)
{
    const std::string chosen = environment("TERMINAL");
    if (!chosen.empty())
        return chosen;
    for (const char* candidate : { "x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal",
             "mate-terminal", "alacritty", "kitty", "xterm" })
        if (isInstalled(candidate))
            return candidate;
    return {};
}

std::vector<std::string> terminalArgv(const std::string& terminal, const std::string& command)
{
    // The shell runs the user's line (its first argument) and then waits
    // for one key with the terminal in raw mode.
    static const char* const script = "eval \"$1\"\n"
                                      "printf '\\n[%s] Press any key to close this window.' \"$?\"\n"
                                      "stty -icanon -echo min 1 2>/dev/null\n"
                                      "dd bs=1 count=1 >/dev/null 2>&1\n"
                                      "stty icanon echo 2>/dev/null\n";
    std::string base = terminal;
    if (const auto slash = base.find_last_of('/'); slash != std::string::npos)
        base = base.substr(slash + 1);
    std::vector<std::string> argv = { terminal };
    // How each terminal takes a program with its arguments: most after -e;
    // these take -e as one string and the list after another option.
    if (base == "gnome-terminal")
        argv.push_back("--");
    else if (base == "xfce4-terminal" || base == "mate-terminal")
        argv.push_back("-x");
    else if (base != "kitty")
        argv.push_back("-e");
    for (const char* word : { "/bin/sh", "-c", script, "sh" })
        argv.push_back(word);
    argv.push_back(command);
    return argv;
}

bool isExecutableProgram(const std::string& hostPath)
{
    struct stat facts { };
    if (::stat(hostPath.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode) || (facts.st_mode & 0111) == 0)
        return false;
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    unsigned char head[4] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    if (n >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return true;
    return n >= 2 && head[0] == '#' && head[1] == '!';
}

bool ProcessLauncher::openDocument(const std::string& hostPath, const std::string& workingFolder)
{
    if (!onPath("xdg-open")) {
        failure = "xdg-open, which opens files with the desktop's programs, is not installed";
        return false;
    }
    // xdg-open hands the file on and ends at once; an error from it in the
    // first moments means no program took the file.
    return spawnDetached({ "xdg-open", hostPath }, workingFolder, failure, 400);
}

bool ProcessLauncher::startProgram(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    return spawnDetached(argv, workingFolder, failure);
}

bool ProcessLauncher::runShellCommand(const std::string& command, const std::string& workingFolder)
{
    const std::string terminal = chooseTerminal([](const std::string& name) { return onPath(name); });
    if (terminal.empty()) {
        failure = "no terminal program is installed (set TERMINAL, or install x-terminal-emulator or xterm)";
        return false;
    }
    return spawnDetached(terminalArgv(terminal, command), workingFolder, failure);
}

bool RecordingLauncher::openDocument(const std::string& hostPath, const std::string& workingFolder)
{
    calls.push_back({ "open", { hostPath }, workingFolder });
    failure = result ? std::string() : reason;
    return result;
}

bool RecordingLauncher::startProgram(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    calls.push_back({ "start", argv, workingFolder });
    failure = result ? std::string() : reason;
    return result;
}

bool RecordingLauncher::runShellCommand(const std::string& command, const std::string& workingFolder)
{
    calls.push_back({ "shell", { command }, workingFolder });
    failure = result ? std::string() : reason;
    return result;
}

} // namespace ov
