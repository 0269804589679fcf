// MIDI through the wave player: format 0 and 1 songs with a tempo change
// and the same song wrapped as .rmi, rendered to a PCM file and compared
// with the fluidsynth program on the same sound font and rate (length within
// one block, loudness within 0.5 dB: its 16-bit output is dithered); the
// RMID unwrapping and the refusals.
#include "media/mci_player.h"
#include "media/midi_source.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

std::string be(uint32_t v, int n)
{
    std::string s;
    for (int i = n - 1; i >= 0; --i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

std::string track(const std::string& events)
{
    return "MTrk" + be(static_cast<uint32_t>(events.size()), 4) + events;
}

const std::string Tempo500ms = std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7);
const std::string EndOfTrack = std::string("\x00\xFF\x2F\x00", 4);
// Half a second of C at 120 bpm, then the tempo doubles and E plays for 96
// ticks (a quarter of a second).
const std::string Notes = std::string("\x00\xC0\x00\x00\x90\x3C\x64\x60\x80\x3C\x40", 11)
    + std::string("\x00\xFF\x51\x03\x03\xD0\x90", 7) + std::string("\x00\x90\x40\x64\x60\x80\x40\x40", 8);

std::string format0()
{
    return "MThd" + be(6, 4) + be(0, 2) + be(1, 2) + be(96, 2) + track(Tempo500ms + Notes + EndOfTrack);
}

std::string format1()
{
    // The tempo map in track 1 (with the change at tick 96), the notes in 2.
    const std::string tempoMap = Tempo500ms + std::string("\x60\xFF\x51\x03\x03\xD0\x90", 7) + EndOfTrack;
    const std::string notes
        = std::string("\x00\xC0\x00\x00\x90\x3C\x64\x60\x80\x3C\x40\x00\x90\x40\x64\x60\x80\x40\x40", 19)
        + EndOfTrack;
    return "MThd" + be(6, 4) + be(1, 2) + be(2, 2) + be(96, 2) + track(tempoMap) + track(notes);
}

std::string le32(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

std::string rmid(const std::string& song)
{
    std::string body = "RMID" + std::string("LIST") + le32(3) + "abc" + std::string(1, '\0') + "data"
        + le32(static_cast<uint32_t>(song.size())) + song;
    return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

double rms(const std::string& pcm)
{
    double sum = 0;
    const std::size_t n = pcm.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<int16_t>(
            static_cast<uint8_t>(pcm[2 * i]) | (static_cast<uint8_t>(pcm[2 * i + 1]) << 8));
        sum += static_cast<double>(s) * s;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

std::string playToFile(const std::string& song, const std::string& out)
{
    MciPlayer player;
    player.FileName = song;
    player.setPcmFile(out);
    EXPECT_TRUE(player.Play()) << player.errorText();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!player.finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.Position(), player.Length());
    return readBytes(out);
}

} // namespace

TEST(Midi, UnwrapsRmidAndRefusesTheRest)
{
    const std::string song = format0();
    EXPECT_EQ(unwrapMidi(song), song);
    const std::string wrapped = rmid(song);
    EXPECT_EQ(unwrapMidi(wrapped), song);
    EXPECT_TRUE(unwrapMidi("RIFF\x10\x00\x00\x00RMIDdata\xFF\xFF\xFF\x7F").empty());
    EXPECT_TRUE(unwrapMidi("hello").empty());
    EXPECT_TRUE(unwrapMidi(std::string("RIFF\x04\x00\x00\x00RMID", 12)).empty());

    MidiSource source;
    std::string error;
    EXPECT_FALSE(source.open(std::string(MaxMidiBytes + 1, 'M'), error));
    EXPECT_EQ(error, "MIDI file too large");
    EXPECT_FALSE(source.open("MThd and nothing more", error));
}

TEST(Midi, RendersLikeFluidsynth)
{
    if (!haveTool("fluidsynth") || !std::filesystem::exists(midiSoundFont()))
        GTEST_SKIP() << "fluidsynth or the sound font missing (scripts/deps)";
    TempFolder folder;
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        { "format 0", folder.write("zero.mid", format0()) },
        { "format 1", folder.write("one.mid", format1()) },
        { "rmi", folder.write("wrapped.rmi", rmid(format0())) },
    };
    const std::string reference = folder / "reference.raw";
    ASSERT_EQ(std::system(("fluidsynth -ni -q -F " + reference + " -T raw -O s16 -r 44100 " + midiSoundFont()
                  + " " + cases[0].file + " >/dev/null 2>&1")
                              .c_str()),
        0);
    const std::string expected = readBytes(reference);
    ASSERT_GT(expected.size(), 44100u * 4 / 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string got = playToFile(c.file, folder / "out.pcm");
        const double lengthDifference
            = std::abs(static_cast<double>(got.size()) - static_cast<double>(expected.size())) / 4;
        EXPECT_LE(lengthDifference, 4096);
        const double decibels = 20 * std::log10(rms(got) / rms(expected));
        EXPECT_LE(std::abs(decibels), 0.5) << rms(got) << " against " << rms(expected);
    }
}

TEST(Midi, MissingSoundFontIsReported)
{
    TempFolder folder;
    ::setenv("ORVANTA_SOUNDFONT", (folder / "none.sf2").c_str(), 1);
    MciPlayer player;
    player.FileName = folder.write("song.mid", format0());
    EXPECT_FALSE(player.Open());
    EXPECT_NE(player.errorText().find("sound font"), std::string::npos) << player.errorText();
    ::unsetenv("ORVANTA_SOUNDFONT");
}
