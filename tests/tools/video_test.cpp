// The video mode changer: the list and the keep question over a scripted
// display, and XrandrModes on a real X server (Xephyr, resizable, started
// inside Xvfb on free display numbers; skipped when either is missing).
#include "platform/dialogs.h"
#include "platform/display_modes.h"
#include "tools/video_mode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ov {
namespace {

std::vector<DisplayMode> distinctModes(int count)
{
    std::vector<DisplayMode> modes;
    for (int i = 0; i < count; ++i)
        modes.push_back({ 320 + i * 8, 200 + i * 4, 32, 60 });
    return modes;
}

class VideoModes : public testing::Test {
protected:
    void SetUp() override { setPrompts(&answers); }
    void TearDown() override { setPrompts(nullptr); }
    ScriptedPrompts answers;
    FakeDisplayModes display;
};

TEST_F(VideoModes, ListHasEveryModeOnceFirstSelected)
{
    struct Row {
        int count;
        std::size_t lines;
    };
    for (const Row row : { Row { 40, 40 }, Row { 300, 300 }, Row { 5000, std::size_t(MaxDisplayModes) } }) {
        SCOPED_TRACE(row.count);
        display.Modes = distinctModes(row.count);
        display.Current = display.Modes[3];
        display.Enumerations = 0;
        TVideoModes modes(display);
        for (int activation = 0; activation < 2; ++activation) {
            modes.Activate();
            ASSERT_EQ(modes.Lines().size(), row.lines);
            EXPECT_EQ(modes.Selected, 0);
            EXPECT_EQ(modes.Lines().front(), "320 x 200, 32 bits");
            EXPECT_EQ(modes.Lines()[39], "632 x 356, 32 bits");
            EXPECT_EQ(modes.CurrentText(), "344 x 212, 32 bits");
        }
        // The enumeration never runs past the table.
        EXPECT_LE(display.Enumerations, 2 * (MaxDisplayModes + 1));
    }
}

// Modes of one size at several rates are one line, in the display's order.
TEST_F(VideoModes, OneLinePerSize)
{
    display.Modes = { { 1024, 768, 32, 75 }, { 800, 600, 32, 60 }, { 1024, 768, 32, 60 },
        { 800, 600, 32, 56 }, { 640, 480, 32, 60 } };
    display.Current = display.Modes[0];
    TVideoModes modes(display);
    modes.Activate();
    EXPECT_EQ(modes.Lines(),
        (std::vector<std::string> { "1024 x 768, 32 bits", "800 x 600, 32 bits", "640 x 480, 32 bits" }));
}

TEST_F(VideoModes, KeepQuestion)
{
    struct Row {
        const char* name;
        std::deque<Answer> answers;
        bool kept;
    };
    const Row rows[] = {
        { "yes", { Answer::Yes }, true },
        { "no", { Answer::No }, false },
        { "no answer in time", {}, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        display.Modes = { { 1024, 768, 32, 75 }, { 1024, 768, 32, 60 }, { 800, 600, 32, 60 } };
        display.Current = display.Modes[0];
        display.Changes.clear();
        answers.asked.clear();
        answers.answers = row.answers;
        TVideoModes modes(display);
        modes.Activate();
        const std::string message = modes.SetMode(1);
        ASSERT_EQ(answers.asked.size(), 1u);
        EXPECT_EQ(answers.asked[0].text, "Keep this display mode?");
        EXPECT_EQ(answers.asked[0].buttons, Buttons::YesNo);
        // The change lets the driver choose the rate.
        ASSERT_FALSE(display.Changes.empty());
        EXPECT_EQ(display.Changes[0], (DisplayMode { 800, 600, 0, 0 }));
        if (row.kept) {
            EXPECT_EQ(message, "The mode is established!");
            EXPECT_EQ(display.Changes.size(), 1u);
            EXPECT_EQ(display.Current, (DisplayMode { 800, 600, 32, 60 }));
            EXPECT_EQ(modes.CurrentText(), "800 x 600, 32 bits");
        } else {
            // Back to the old size and rate.
            EXPECT_EQ(message, "");
            EXPECT_TRUE(modes.Reverted);
            ASSERT_EQ(display.Changes.size(), 2u);
            EXPECT_EQ(display.Changes[1], (DisplayMode { 1024, 768, 32, 75 }));
            EXPECT_EQ(display.Current, (DisplayMode { 1024, 768, 32, 75 }));
            EXPECT_EQ(modes.CurrentText(), "1024 x 768, 32 bits");
        }
    }
}

TEST_F(VideoModes, ResultsWithoutQuestion)
{
    display.Modes = { { 1024, 768, 32, 60 }, { 800, 600, 32, 60 } };
    display.Current = display.Modes[0];
    TVideoModes modes(display);
    modes.Activate();
    // The current mode: nothing changes, no question.
    EXPECT_EQ(modes.SetMode(0), "The mode is established!");
    EXPECT_TRUE(display.Changes.empty());
    // A size not offered.
    EXPECT_EQ(modes.SetSize(333, 222), "Sorry, bad mode");
    EXPECT_EQ(modes.LastResult, DisplayChange::BadMode);
    // The server refuses.
    display.Refuse = true;
    EXPECT_EQ(modes.SetMode(1), "Cannot set this mode");
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(display.Current, display.Modes[0]);

    const std::pair<int, const char*> texts[] = { { 0, "The mode is established!" },
        { 1, "It is required restart" }, { -1, "Cannot set this mode" }, { -2, "Sorry, bad mode" },
        { -3, "Not updated" }, { -4, "Bad Flags" }, { 2, "" }, { -5, "" } };
    for (const auto& [result, text] : texts)
        EXPECT_EQ(videoResultText(result), text) << result;
}

// Without an X server: an empty list, and Set cannot set anything.
TEST_F(VideoModes, NoDisplay)
{
    XrandrModes none(":9999");
    EXPECT_FALSE(none.available());
    TVideoModes modes(none);
    modes.Activate();
    EXPECT_TRUE(modes.Lines().empty());
    EXPECT_EQ(modes.Selected, -1);
    EXPECT_EQ(modes.SetSize(800, 600), "Cannot set this mode");
    EXPECT_TRUE(answers.asked.empty());
}

// A display number nobody uses, from 'first' on.
int freeDisplay(int first)
{
    for (int number = first; number < first + 200; ++number)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))
            && !std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
            return number;
    return -1;
}

// Starts a program with DISPLAY set; its process id, or -1.
pid_t start(const std::vector<std::string>& argv, const std::string& display)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (!display.empty())
            ::setenv("DISPLAY", display.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::freopen("/dev/null", "w", stderr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return child;
}

bool waitForSocket(int number, pid_t server)
{
    for (int i = 0; i < 250; ++i) {
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
            return true;
        if (::waitpid(server, nullptr, WNOHANG) == server)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void stop(pid_t& pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

class XephyrModes : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : { "Xvfb", "Xephyr" })
            if (system((std::string("command -v ") + program + " >/dev/null").c_str()) != 0)
                GTEST_SKIP() << program << " is not installed (scripts/deps)";
        const int outer = freeDisplay(150 + static_cast<int>(::getpid() % 100));
        m_xvfb = start(
            { "Xvfb", ":" + std::to_string(outer), "-nolisten", "tcp", "-screen", "0", "1920x1280x24" }, "");
        if (!waitForSocket(outer, m_xvfb))
            GTEST_SKIP() << "Xvfb did not start";
        const int inner = freeDisplay(outer + 1);
        m_name = ":" + std::to_string(inner);
        m_xephyr = start({ "Xephyr", m_name, "-resizeable", "-nolisten", "tcp", "-screen", "1024x768" },
            ":" + std::to_string(outer));
        if (!waitForSocket(inner, m_xephyr))
            GTEST_SKIP() << "Xephyr did not start";
        setPrompts(&answers);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        stop(m_xephyr);
        stop(m_xvfb);
    }

    // The root window's size seen from a connection of its own.
    std::pair<int, int> screenSize()
    {
        XrandrModes other(m_name);
        std::pair<int, int> size;
        other.screenSize(size.first, size.second);
        return size;
    }

    pid_t m_xvfb = -1, m_xephyr = -1;
    std::string m_name;
    ScriptedPrompts answers;
};

TEST_F(XephyrModes, SetKeepRevertRefuse)
{
    XrandrModes display(m_name);
    ASSERT_TRUE(display.available());
    TVideoModes modes(display);
    modes.Activate();
    EXPECT_EQ(modes.CurrentText(), "1024 x 768, 32 bits");
    ASSERT_GE(modes.Lines().size(), 10u);
    EXPECT_EQ(modes.Selected, 0);
    const auto& lines = modes.Lines();
    for (const char* line : { "800 x 600, 32 bits", "640 x 480, 32 bits" })
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    // Each size once, also after a second activation.
    modes.Activate();
    std::vector<std::string> sorted = modes.Lines();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(sorted.size(), lines.size());

    // 800x600, kept.
    answers.answers = { Answer::Yes };
    EXPECT_EQ(modes.SetSize(800, 600), "The mode is established!");
    EXPECT_EQ(modes.CurrentText(), "800 x 600, 32 bits");
    EXPECT_EQ(screenSize(), std::make_pair(800, 600));

    // 640x480, unanswered: back to 800x600.
    EXPECT_EQ(modes.SetSize(640, 480), "");
    EXPECT_TRUE(modes.Reverted);
    EXPECT_EQ(answers.asked.size(), 2u);
    EXPECT_EQ(display.current().width, 800);
    EXPECT_EQ(display.current().height, 600);
    EXPECT_EQ(screenSize(), std::make_pair(800, 600));

    // Up again to a larger mode: the screen grows first.
    answers.answers = { Answer::Yes };
    EXPECT_EQ(modes.SetSize(1280, 1024), "The mode is established!");
    EXPECT_EQ(screenSize(), std::make_pair(1280, 1024));

    // A size not offered: nothing changes, nothing asked.
    EXPECT_EQ(modes.SetSize(333, 222), "Sorry, bad mode");
    EXPECT_EQ(answers.asked.size(), 3u);
    EXPECT_EQ(screenSize(), std::make_pair(1280, 1024));
    EXPECT_EQ(display.current().width, 1280);
}

// An X error (a screen size the server refuses with BadValue) fails the
// call; the process and the connection live on.
TEST_F(XephyrModes, ProvokedBadValueIsSurvived)
{
    XrandrModes display(m_name);
    ASSERT_TRUE(display.available());
    EXPECT_FALSE(display.setScreenSize(100000, 100000));
    EXPECT_EQ(display.lastError(), 2); // BadValue
    EXPECT_EQ(display.current().width, 1024);
    EXPECT_EQ(screenSize(), std::make_pair(1024, 768));
    EXPECT_TRUE(display.setScreenSize(1024, 768));
    EXPECT_EQ(display.lastError(), 0);
}

// ovtool video on the same server: the window's texts, set, keep, revert.
TEST_F(XephyrModes, OvtoolVideo)
{
    const std::string ovtool = std::string(OV_BINARY_DIR) + "/cli/ovtool";
    if (::access(ovtool.c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovtool is not built";
    const auto run = [&](const std::string& arguments, std::string& output) {
        output.clear();
        FILE* pipe = ::popen(
            ("DISPLAY=" + m_name + " '" + ovtool + "' video " + arguments + " 2>/dev/null").c_str(), "r");
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, got);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string output;
    EXPECT_EQ(run("current", output), 0);
    EXPECT_EQ(output, "1024 x 768, 32 bits\n");
    XrandrModes display(m_name);
    TVideoModes modes(display);
    modes.Activate();
    std::string lines;
    for (const std::string& line : modes.Lines())
        lines += line + "\n";
    EXPECT_EQ(run("modes", output), 0);
    EXPECT_EQ(output, lines);
    EXPECT_EQ(run("set 800 600 --keep", output), 0);
    EXPECT_EQ(output, "The mode is established!\n");
    EXPECT_EQ(run("set 640 480 --revert-after 0", output), 1);
    EXPECT_EQ(output, "Returned to 800 x 600, 32 bits\n");
    EXPECT_EQ(run("set 333 222", output), 1);
    EXPECT_EQ(output, "Sorry, bad mode\n");
    EXPECT_EQ(run("current", output), 0);
    EXPECT_EQ(output, "800 x 600, 32 bits\n");
    EXPECT_EQ(run("set 800", output), 2);
}

} // namespace
} // namespace ov
