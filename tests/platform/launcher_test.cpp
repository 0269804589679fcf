#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace ov;

TEST(Launcher, MapsTheClassicProgramsAndKeepsArgumentsApart)
{
    ::setenv("TERMINAL", "my-term", 1);
    ::setenv("VISUAL", "my-editor", 1);
    EXPECT_EQ(mapProgram("COMMAND.COM", {}), (std::vector<std::string> { "my-term" }));
    EXPECT_EQ(mapProgram("c:\\windows\\notepad.exe", { "a b; rm -rf x" }), (std::vector<std::string> { "my-editor", "a b; rm -rf x" }));
    EXPECT_EQ(mapProgram("mplay32.exe", { "song.mid" }), (std::vector<std::string> { "xdg-open", "song.mid" }));
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
