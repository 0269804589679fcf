// The installer's start-up sound: StartupSound plays a wave file through
// the default output (here the PCM file ORVANTA_AUDIO=pcm:PATH names), the
// samples arriving as the WAV reader converts them; what is not a playable
// wave is silence. ov_setup plays Music.wav beside its payload at start and
// opens its window with or without it.
#include "setup/startup_sound.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace ov {
namespace {

const char* const kSetup = OV_BINARY_DIR "/setup/ov_setup";

std::string le(uint32_t v, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

std::string wave(int channels, int bits, int rate, const std::string& data)
{
    const int align = channels * bits / 8;
    const std::string fmt = le(1, 2) + le(static_cast<uint32_t>(channels), 2)
        + le(static_cast<uint32_t>(rate), 4) + le(static_cast<uint32_t>(rate * align), 4)
        + le(static_cast<uint32_t>(align), 2) + le(static_cast<uint32_t>(bits), 2);
    const std::string body
        = "WAVEfmt " + le(16, 4) + fmt + "data" + le(static_cast<uint32_t>(data.size()), 4) + data;
    return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// 16-bit stereo samples, 0.1 s at 8,000 Hz, a ramp that shows any slip.
std::string ramp16()
{
    std::string data;
    for (int i = 0; i < 1600; ++i)
        data += le(static_cast<uint32_t>(static_cast<uint16_t>(i * 37 - 20000)), 2);
    return data;
}

struct AudioToFile {
    explicit AudioToFile(const std::string& path) { ::setenv("ORVANTA_AUDIO", ("pcm:" + path).c_str(), 1); }
    ~AudioToFile() { ::unsetenv("ORVANTA_AUDIO"); }
};

TEST(StartupSound, PlaysTheWavesSamplesAndIgnoresWhatItCannotPlay)
{
    test::TempFolder folder;
    const std::string out = folder / "out.pcm";
    std::string eight;
    std::string eightExpected;
    for (int b : { 0, 1, 127, 128, 129, 255 }) {
        eight.push_back(static_cast<char>(b));
        eightExpected += le(static_cast<uint32_t>(static_cast<uint16_t>((b - 128) * 256)), 2);
    }
    struct Row {
        const char* name;
        std::string file; // "" for no file at all
        bool plays;
        std::string expected;
    };
    const Row rows[] = {
        { "16-bit stereo as it is", wave(2, 16, 8000, ramp16()), true, ramp16() },
        { "8-bit mono converted", wave(1, 8, 11025, eight), true, eightExpected },
        { "no file", "", false, "" },
        { "not a wave", std::string(200, 'x'), false, "" },
        { "a wave with no frames", wave(1, 16, 8000, ""), false, "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(out);
        const std::string music
            = row.file.empty() ? folder / "missing.wav" : folder.write("Music.wav", row.file);
        AudioToFile audio(out);
        StartupSound sound;
        EXPECT_EQ(sound.play(music), row.plays);
        sound.wait();
        if (row.plays)
            EXPECT_EQ(readAll(out), row.expected);
        else
            EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(StartupSound, MusicWavIsLookedForBesideTheProgramThenBesideThePayload)
{
    test::TempFolder program, payload;
    EXPECT_EQ(startupSoundFile(program.path(), payload / "data.res"), "");
    const std::string besidePayload = payload.write("Music.wav", "x");
    EXPECT_EQ(startupSoundFile(program.path(), payload / "data.res"), besidePayload);
    const std::string besideProgram = program.write("Music.wav", "x");
    EXPECT_EQ(startupSoundFile(program.path(), payload / "data.res"), besideProgram);
}

// ov_setup started in a folder with (or without) Music.wav: the samples
// arrive and the window opens; without the file nothing is played and the
// window opens all the same.
TEST(StartupSound, OvSetupGreetsWithMusicWavAndOpensWithoutIt)
{
    if (!std::filesystem::exists(kSetup))
        GTEST_SKIP() << "ov_setup is not built";
    for (const bool withMusic : { true, false }) {
        SCOPED_TRACE(withMusic ? "with Music.wav" : "without Music.wav");
        test::TempFolder folder;
        const std::string out = folder / "out.pcm";
        if (withMusic)
            folder.write("Music.wav", wave(2, 16, 8000, ramp16()));
        // A copy of the program in the folder, so that Music.wav lies beside
        // it whether or not the build tree holds a payload beside the original.
        const std::string program = folder / "ov_setup";
        std::filesystem::copy_file(kSetup, program);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(folder.path().c_str()) != 0)
                ::_exit(126);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("ORVANTA_AUDIO", ("pcm:" + out).c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
            ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        // The sound plays on its own thread: wait for all of it (a loaded
        // machine may take seconds to start the child), then a moment more.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (
            withMusic && readAll(out).size() < ramp16().size() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(withMusic ? 200 : 1500));
        int status = 0;
        // Still running: the window is up and waits for the user.
        EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "ov_setup ended, status " << status;
        ::kill(child, SIGTERM);
        ::waitpid(child, &status, 0);
        if (withMusic)
            EXPECT_EQ(readAll(out), ramp16());
        else
            EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
} // namespace ov
