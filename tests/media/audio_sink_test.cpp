// The audio sinks: the PCM file holds exactly what was written, little-endian;
// the null sink takes anything; and a process with SDL's audio running still
// ends on SIGTERM (SDL installs no signal handlers of its own).
#include "platform/audio_sink.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
using namespace ov::test;

TEST(AudioSink, PcmFileHoldsTheSamplesLittleEndian)
{
    TempFolder folder;
    auto sink = makePcmFileSink(folder / "out.pcm");
    ASSERT_TRUE(sink->open(AudioFormat { 8000, 2 }));
    const int16_t samples[] = { 1, -2, 0x1234, -32768 };
    ASSERT_TRUE(sink->write(samples, 2));
    // Nothing is in place until the file is complete.
    EXPECT_FALSE(std::filesystem::exists(folder / "out.pcm"));
    ASSERT_TRUE(sink->close());
    EXPECT_EQ(readBytes(folder / "out.pcm"), std::string("\x01\x00\xFE\xFF\x34\x12\x00\x80", 8));

    auto refused = makePcmFileSink(folder / "missing/out.pcm");
    EXPECT_FALSE(refused->open(AudioFormat {}));
    EXPECT_NE(refused->errorText().find("missing/out.pcm"), std::string::npos);
}

TEST(AudioSink, SdlOutputLeavesSigtermAlone)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        auto sink = makeAudioSink(AudioOutput::Sdl);
        if (!sink->open(AudioFormat { 44100, 2 }))
            ::_exit(3);
        const std::vector<int16_t> silence(44100 * 2);
        sink->write(silence.data(), 4410);
        ::raise(SIGTERM);
        ::sleep(2);
        ::_exit(4); // SIGTERM was swallowed
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
}
