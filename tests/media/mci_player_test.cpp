// The wave player (the main window's MPlay) to a PCM file and to the null
// output: the samples as converted by the WAV reader, the length, the
// position at the end and the refusals.
#include "media/mci_player.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

std::string waveFile(int channels, int rate, int bits, const std::string& data)
{
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return s;
    };
    const std::string fmt = le(1, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * bits / 8, 4)
        + le(channels * bits / 8, 2) + le(bits, 2);
    const std::string body
        = "WAVEfmt " + le(16, 4) + fmt + "data" + le(static_cast<uint32_t>(data.size()), 4) + data;
    return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}

void waitForEnd(const MciPlayer& player)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!player.finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

TEST(MciPlayer, SixteenBitWavePlaysAsWritten)
{
    TempFolder folder;
    const std::string pcm = sinePcm(44100, 2, 0.6);
    MciPlayer player;
    player.FileName = folder.write("tone.wav", waveFile(2, 44100, 16, pcm));
    player.setPcmFile(folder / "out.pcm");
    ASSERT_TRUE(player.Play()) << player.errorText();
    waitForEnd(player);
    ASSERT_TRUE(player.finished());
    EXPECT_TRUE(readBytes(folder / "out.pcm") == pcm);
    EXPECT_EQ(player.Length(), 600);
    EXPECT_EQ(player.Position(), player.Length());
    EXPECT_EQ(player.deliveredFrames(), 26460);
}

TEST(MciPlayer, EightBitMonoConvertsAndNullOutputEnds)
{
    TempFolder folder;
    std::string data;
    for (int i = 0; i < 11025; ++i)
        data.push_back(static_cast<char>(i & 0xFF));
    MciPlayer player;
    player.FileName = folder.write("eight.wav", waveFile(1, 11025, 8, data));
    player.setPcmFile(folder / "out.pcm");
    ASSERT_TRUE(player.Play());
    waitForEnd(player);
    const std::string out = readBytes(folder / "out.pcm");
    ASSERT_EQ(out.size(), 2 * data.size());
    for (std::size_t i = 0; i < data.size(); i += 97) {
        const int16_t expected = static_cast<int16_t>((static_cast<uint8_t>(data[i]) - 128) * 256);
        const auto got = static_cast<int16_t>(
            static_cast<uint8_t>(out[2 * i]) | (static_cast<uint8_t>(out[2 * i + 1]) << 8));
        EXPECT_EQ(got, expected) << i;
    }

    // The same file to the null output (ORVANTA_AUDIO=null), played again
    // from a position: it ends at its length.
    MciPlayer quiet;
    quiet.FileName = player.FileName;
    ASSERT_TRUE(quiet.Open());
    quiet.setPosition(500);
    EXPECT_EQ(quiet.Position(), 500);
    ASSERT_TRUE(quiet.Play());
    waitForEnd(quiet);
    EXPECT_EQ(quiet.Position(), 1000);
    // 500 ms is frame 5512.5: the position goes to the frame at or after it.
    EXPECT_EQ(quiet.deliveredFrames(), 11025 - 5513);
}

TEST(MciPlayer, RefusesWhatItCannotPlay)
{
    TempFolder folder;
    MciPlayer player;
    player.FileName = folder / "missing.wav";
    EXPECT_FALSE(player.Play());
    EXPECT_NE(player.errorText().find("missing.wav"), std::string::npos);
    player.FileName = folder.write("text.wav", "hello, not a wave");
    EXPECT_FALSE(player.Open());
    EXPECT_NE(player.errorText().find("RIFF"), std::string::npos) << player.errorText();
    player.FileName = folder.path();
    EXPECT_FALSE(player.Open());
    EXPECT_FALSE(player.isOpen());
}
