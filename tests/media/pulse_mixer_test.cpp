// The system mixer and the audio output against a real PulseAudio server:
// a private one (its own runtime folder and home, a null sink "ovnull" as
// its only and so default sink) started for each test and killed after.
// The mixer must pick the server, set and read the sink's volume as pactl
// sees it, SDL must play into the server, and a playing program must end
// on SIGTERM. Skips when pulseaudio is not installed.
#include "media/volume_control.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace ov {
namespace {

const char* const kOvtool = OV_BINARY_DIR "/cli/ovtool";
const char* const kOv = OV_BINARY_DIR "/ov";

// What a shell command prints on its standard output.
std::string output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

// Starts a program with arguments in a child; the environment is this
// process's (which the fixture points at the private server).
pid_t spawn(const std::vector<std::string>& arguments)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

// Waits up to `seconds` for the child; its wait status, or -1 when it is
// still running (it is killed then).
int reap(pid_t child, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

class PulseServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::haveTool("pulseaudio") || !test::haveTool("pactl"))
            GTEST_SKIP() << "pulseaudio or pactl missing";
        std::filesystem::create_directories(runtime.path() + "/run");
        std::filesystem::permissions(runtime.path() + "/run", std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (runtime.path() + "/run").c_str(), 1);
        ::setenv("HOME", (runtime.path() + "/home").c_str(), 1);
        ::unsetenv("PULSE_SERVER");
        ::unsetenv("ORVANTA_AUDIO");
        const std::string start = "pulseaudio -n --daemonize=yes --exit-idle-time=-1"
                                  " -L 'module-null-sink sink_name=ovnull' -L module-native-protocol-unix"
                                  " >"
            + runtime / "server.log" + " 2>&1";
        ASSERT_EQ(std::system(start.c_str()), 0) << test::readBytes(runtime / "server.log");
        started = true;
        // The server answers once its socket is up.
        for (int i = 0; i < 100 && std::system("pactl info >/dev/null 2>&1") != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(std::system("pactl info >/dev/null 2>&1"), 0) << test::readBytes(runtime / "server.log");
    }
    void TearDown() override
    {
        if (started)
            std::system("pulseaudio --kill >/dev/null 2>&1");
        ::setenv("ORVANTA_AUDIO", "null", 1);
    }

    static std::string sinkVolume() { return output("pactl get-sink-volume ovnull"); }

    test::TempFolder runtime;
    bool started = false;
};

TEST_F(PulseServer, TheMixerSetsAndReadsTheDefaultSinksVolume)
{
    auto mixer = makeSystemMixer();
    ASSERT_EQ(mixer->waveDevice(), "pulse");
    TVolumeControl control(*mixer);
    ASSERT_GE(control.device(1), 0);

    // Our writes as pactl reads them.
    struct Write {
        int level;
        const char* percent;
    };
    for (const Write& row : { Write { 128, "50%" }, Write { 255, "100%" }, Write { 0, "0%" } }) {
        SCOPED_TRACE(row.level);
        control.setWaveVolume(row.level);
        const std::string seen = sinkVolume();
        EXPECT_NE(seen.find(std::string("front-left: ")), std::string::npos) << seen;
        EXPECT_NE(seen.find(std::string(" ") + row.percent + " "), std::string::npos) << seen;
        EXPECT_EQ(control.WaveVolume(), row.level);
    }

    // pactl's settings as we read them: (left + right) >> 9, a boost above
    // 100 % reading as full.
    struct Read {
        const char* volumes;
        int level;
    };
    for (const Read& row : { Read { "50%", 128 }, Read { "25%", 64 }, Read { "100% 0%", 127 },
             Read { "0%", 0 }, Read { "130%", 255 } }) {
        SCOPED_TRACE(row.volumes);
        ASSERT_EQ(std::system((std::string("pactl set-sink-volume ovnull ") + row.volumes).c_str()), 0);
        EXPECT_EQ(control.WaveVolume(), row.level);
    }

    // ovtool, another process, through the same mixer.
    EXPECT_EQ(output(std::string(kOvtool) + " volume wave 128"), "wave=128\n");
    EXPECT_NE(sinkVolume().find(" 50% "), std::string::npos) << sinkVolume();
}

TEST_F(PulseServer, SdlPlaysIntoTheServerAndAPlayerEndsOnSigterm)
{
    if (!std::filesystem::exists(kOvtool))
        GTEST_SKIP() << "ovtool is not built";
    const std::string wave = runtime.write("long.wav", test::waveFile(6));
    ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    const pid_t player = spawn({ kOvtool, "play", "--sink", "default", wave });
    ::unsetenv("SDL_AUDIODRIVER");
    ASSERT_GT(player, 0);
    // The stream shows up on the server while it plays.
    std::string inputs;
    for (int i = 0; i < 100 && inputs.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        inputs = output("pactl list short sink-inputs");
    }
    EXPECT_FALSE(inputs.empty()) << "no stream reached the server";
    ::kill(player, SIGTERM);
    const int status = reap(player, 3);
    ASSERT_NE(status, -1) << "the player did not end on SIGTERM";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

TEST_F(PulseServer, OvWithTheServerEndsOnSigterm)
{
    if (!std::filesystem::exists(kOv))
        GTEST_SKIP() << "ov is not built";
    test::TempFolder home;
    ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    const pid_t ov = spawn({ kOv });
    ::unsetenv("SDL_AUDIODRIVER");
    ::unsetenv("ORVANTA_HOME");
    ASSERT_GT(ov, 0);
    // Up and connected: the mixer's client is on the server.
    std::string clients;
    for (int i = 0; i < 200 && clients.find("ov") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        clients = output("pactl list short clients");
    }
    EXPECT_NE(clients.find("ov"), std::string::npos) << clients;
    ::kill(ov, SIGTERM);
    const int status = reap(ov, 5);
    ASSERT_NE(status, -1) << "ov did not end on SIGTERM";
    EXPECT_TRUE(WIFSIGNALED(status) || WIFEXITED(status)) << status;
}

} // namespace
} // namespace ov
