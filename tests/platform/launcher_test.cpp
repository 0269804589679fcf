#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace ov;

TEST(Launcher, MapsTheClassicProgramsAndKeepsArgumentsApart)
{
    ::setenv("TERMINAL", "my-term", 1);
    ::setenv("VISUAL", "my-editor", 1);
    EXPECT_EQ(mapProgram("COMMAND.COM", {}), (std::vector<std::string> { "my-term" }));
    EXPECT_EQ(mapProgram("c:\\windows\\notepad.exe", { "a b; rm -rf x" }),
        (std::vector<std::string> { "my-editor", "a b; rm -rf x" }));
    EXPECT_EQ(
        mapProgram("mplay32.exe", { "song.mid" }), (std::vector<std::string> { "xdg-open", "song.mid" }));
    ::setenv("ORVANTA_MEDIA_PLAYER", "my-player", 1);
    EXPECT_EQ(mapProgram("mplayer.exe", {}), (std::vector<std::string> { "my-player" })); // no bare xdg-open
    ::unsetenv("ORVANTA_MEDIA_PLAYER");
    EXPECT_EQ(mapProgram("gimp", { "x" }), (std::vector<std::string> { "gimp", "x" }));
    ::unsetenv("TERMINAL");
    ::unsetenv("VISUAL");
    EXPECT_EQ(mapProgram("command.com", {}).front(), "x-terminal-emulator");
}

TEST(Launcher, StartsProgramsWithoutAShellAndReportsMissingOnes)
{
    test::TempFolder folder;
    ProcessLauncher real;
    // A name with shell syntax stays one argument: touch creates exactly it.
    const std::string odd = "a;b $(x)";
    ASSERT_TRUE(real.startProgram({ "touch", odd }, folder.path()));
    for (int i = 0; i < 200 && !std::filesystem::exists(folder / odd); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(folder / odd));
    EXPECT_FALSE(real.startProgram({ "/no/such/program" }, ""));

    RecordingLauncher recorder;
    setLauncher(&recorder);
    launcher().openDocument("/x/y.txt");
    setLauncher(nullptr);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].kind, "open");
}

TEST(Launcher, TypedCommandsRunInTheUsersTerminal)
{
    ::unsetenv("TERMINAL");
    struct Row {
        const char* name;
        std::vector<std::string> installed;
        const char* terminal;
    } rows[] = {
        { "the Debian alternative first", { "xterm", "x-terminal-emulator" }, "x-terminal-emulator" },
        { "else the first of the list", { "xterm", "konsole" }, "konsole" },
        { "none at all", {}, "" },
    };
    for (const Row& row : rows) {
        const auto isInstalled = [&](const std::string& name) {
            return std::find(row.installed.begin(), row.installed.end(), name) != row.installed.end();
        };
        EXPECT_EQ(chooseTerminal(isInstalled), row.terminal) << row.name;
    }
    ::setenv("TERMINAL", "my-term", 1);
    EXPECT_EQ(chooseTerminal([](const std::string&) { return false; }), "my-term");
    ::unsetenv("TERMINAL");

    // How each terminal is told what to run; the typed line stays one argument.
    const std::pair<const char*, std::vector<std::string>> flags[] = {
        { "xterm", { "xterm", "-e" } },
        { "/usr/bin/gnome-terminal", { "/usr/bin/gnome-terminal", "--" } },
        { "xfce4-terminal", { "xfce4-terminal", "-x" } },
        { "kitty", { "kitty" } },
    };
    for (const auto& [terminal, head] : flags) {
        const std::vector<std::string> argv = terminalArgv(terminal, "ls -l; echo 'x'");
        ASSERT_GT(argv.size(), head.size() + 4);
        EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + static_cast<long>(head.size())), head)
            << terminal;
        EXPECT_EQ(argv[head.size()], "/bin/sh");
        EXPECT_EQ(argv.back(), "ls -l; echo 'x'");
    }
}

TEST(Launcher, ATerminalRunsTheLineInTheFolderAndSaysWhenThereIsNone)
{
    test::TempFolder bin;
    test::TempFolder work;
    // A stand-in terminal: drops its -e and runs the rest, without a keyboard.
    const std::string fake
        = bin.write("fake-term", "#!/bin/sh\nshift\nexec \"$@\" </dev/null >/dev/null 2>&1\n");
    ::chmod(fake.c_str(), 0755);
    ::setenv("TERMINAL", fake.c_str(), 1);
    ProcessLauncher real;
    ASSERT_TRUE(real.runShellCommand("pwd > where.txt; echo \"$0\" > shell.txt", work.path()));
    for (int i = 0; i < 300 && !std::filesystem::exists(work / "shell.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream where(work / "where.txt");
    std::string line;
    std::getline(where, line);
    EXPECT_EQ(std::filesystem::canonical(line), std::filesystem::canonical(work.path()));

    // No terminal anywhere: false, and a reason the user can act on.
    ::unsetenv("TERMINAL");
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", bin.path().c_str(), 1);
    EXPECT_FALSE(real.runShellCommand("ls", work.path()));
    EXPECT_NE(real.failure.find("no terminal"), std::string::npos) << real.failure;
    // Nor any xdg-open: opening a document says so.
    EXPECT_FALSE(real.openDocument(work / "where.txt"));
    EXPECT_NE(real.failure.find("xdg-open"), std::string::npos) << real.failure;
    // An xdg-open that finds no program for the file (it ends with 3 or 4
    // at once) is a failure; one that hands the file on is not.
    const std::string xdgOpen = bin.write("xdg-open", "#!/bin/sh\nexit 4\n");
    ::chmod(xdgOpen.c_str(), 0755);
    EXPECT_FALSE(real.openDocument(work / "where.txt"));
    EXPECT_EQ(real.failure, "xdg-open ended with code 4: no program could open it");
    bin.write("xdg-open", "#!/bin/sh\nexit 0\n");
    EXPECT_TRUE(real.openDocument(work / "where.txt")) << real.failure;
    bin.write("xdg-open", "#!/bin/sh\n/bin/sleep 2\nexit 4\n"); // a handler still running is not waited for
    EXPECT_TRUE(real.openDocument(work / "where.txt")) << real.failure;
    ::setenv("PATH", path.c_str(), 1);
    // A program that cannot start names itself and the system's reason.
    EXPECT_FALSE(real.startProgram({ "/no/such/program" }, ""));
    EXPECT_EQ(real.failure, "cannot start /no/such/program: No such file or directory");
    EXPECT_FALSE(real.startProgram({ "true" }, work / "missing"));
    EXPECT_NE(real.failure.find("cannot enter the folder"), std::string::npos) << real.failure;
}

TEST(Launcher, KnowsWhatLinuxRunsItself)
{
    test::TempFolder folder;
    struct Row {
        const char* name;
        std::string bytes;
        mode_t mode;
        bool program;
    } rows[] = {
        { "script", "#!/bin/sh\necho hi\n", 0755, true },
        { "elf",
            std::string("\x7f"
                        "ELF\x02\x01",
                6),
            0700, true },
        { "only the owner may run it", "#!/bin/sh\n", 0100, true },
        { "text with the bit", "just text\n", 0755, false },
        { "script without the bit", "#!/bin/sh\n", 0644, false },
        { "empty with the bit", "", 0755, false },
    };
    for (const Row& row : rows) {
        const std::string path = folder.write(row.name, row.bytes);
        ::chmod(path.c_str(), row.mode);
        EXPECT_EQ(isExecutableProgram(path), row.program) << row.name;
    }
    EXPECT_FALSE(isExecutableProgram(folder.path())); // a folder
    EXPECT_FALSE(isExecutableProgram(folder / "missing"));
}

TEST(Prompts, ScriptedAnswersInOrderThenTheSafeChoice)
{
    ScriptedPrompts scripted;
    scripted.answers = { Answer::Yes };
    setPrompts(&scripted);
    EXPECT_EQ(messageBox("Exit?", "ov", Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(messageBox("Again?", "ov", Buttons::YesNo), Answer::No);
    EXPECT_EQ(messageBox("Replace?", "ov", Buttons::YesYesToAllNoCancel), Answer::Cancel);
    setPrompts(nullptr);
    ASSERT_EQ(scripted.asked.size(), 3u);
    EXPECT_EQ(scripted.asked[1].text, "Again?");
    EXPECT_EQ(scripted.unanswered, 2);
}
