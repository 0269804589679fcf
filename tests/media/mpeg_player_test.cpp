// TMPEGPlayer over the real MPEG layer (libovmpeg.so, loaded from the build
// tree) and over two broken stand-ins: loading, the call contracts, and
// decoding against mpg123 -s on files made by lame and twolame.
#include "media/mpeg_player.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

const std::string LayerFolder = std::string(OV_BINARY_DIR) + "/media/mpeglayer";
const std::string StubFolder = std::string(OV_BINARY_DIR) + "/tests/media/stub_";

struct NoOverride {
    NoOverride() { ::unsetenv("ORVANTA_PLAYER_LIBS"); }
};

int errorCode(const std::function<void()>& call, std::string* message = nullptr)
{
    try {
        call();
    } catch (const TMPEGError& error) {
        if (message)
            *message = error.what();
        return error.code();
    }
    return -1;
}

// Ticks the player's timer until it stops (the end) or ten seconds pass.
void tickToEnd(TMPEGPlayer& player)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (player.timerActive() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(player.timerInterval()));
        player.TimerTick();
    }
}

// Plays a file through the PCM-file device and returns what it wrote.
std::string decode(const std::string& file, int startMs = 0, const std::string& outName = "out.pcm")
{
    static TempFolder out;
    TMPEGPlayer player;
    player.PathToDLL = LayerFolder;
    player.setTimerFreq(10);
    player.LoadDLL();
    player.setStreamName(file);
    player.setOutFilename(out / outName);
    player.setOutputDevice(TOutputDevice::pcmfile);
    player.Open();
    player.StartPos = startMs;
    player.EndPos = player.Length();
    player.Play();
    tickToEnd(player);
    EXPECT_FALSE(player.timerActive()) << file << " never ended";
    player.UnloadDLL();
    return readBytes(out / outName);
}

} // namespace

TEST(MpegLibraryPath, JoinRule)
{
    struct Case {
        const char* folder;
        const char* joined;
    };
    const Case cases[] = {
        { "", "libovmpeg.so" },
        { "/opt/ov", "/opt/ov/libovmpeg.so" },
        { "/opt/ov/", "/opt/ov/libovmpeg.so" },
        { "/", "/libovmpeg.so" },
        { "rel", "rel/libovmpeg.so" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(joinLibraryPath(c.folder, MpegLibraryName), c.joined) << c.folder;
}

TEST(MpegPlayerLoading, FromTheFolderWithOrWithoutSlashAndTheOverride)
{
    NoOverride clean;
    for (const std::string& folder : { LayerFolder, LayerFolder + "/" }) {
        TMPEGPlayer player;
        player.PathToDLL = folder;
        player.LoadDLL();
        EXPECT_TRUE(player.loaded()) << folder;
        player.UnloadDLL();
        EXPECT_FALSE(player.loaded());
    }
    ::setenv("ORVANTA_PLAYER_LIBS", LayerFolder.c_str(), 1);
    TMPEGPlayer player;
    player.PathToDLL = "/nonexistent/ov";
    player.LoadDLL();
    EXPECT_TRUE(player.loaded());
    ::unsetenv("ORVANTA_PLAYER_LIBS");
}

TEST(MpegPlayerLoading, BrokenLayersBreakOnlyThePlayer)
{
    NoOverride clean;
    struct Case {
        const char* name;
        std::string folder;
        int code;
        const char* message;
    };
    const Case cases[] = {
        { "no library", "/nonexistent/ov", 255, "Can't load MPEG library" },
        { "an entry point missing", StubFolder + "missing_seek", 0, "MPEG library not loaded" },
        { "init fails", StubFolder + "init_fails", 5, "Output device failure" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMPEGPlayer player;
        player.PathToDLL = c.folder;
        std::string message;
        EXPECT_EQ(errorCode([&] { player.LoadDLL(); }, &message), c.code);
        EXPECT_EQ(message, c.message);
        EXPECT_FALSE(player.loaded());
        // Every later call says the library is not loaded.
        player.setStreamName("/tmp/x.mp3");
        EXPECT_EQ(errorCode([&] { player.Open(); }, &message), 0);
        EXPECT_EQ(message, "MPEG library not loaded");
        EXPECT_EQ(player.LastError(), 0);
    }
}

TEST(MpegPlayer, CallContracts)
{
    NoOverride clean;
    TMPEGPlayer player;
    player.PathToDLL = LayerFolder;
    player.LoadDLL();
    std::string message;

    EXPECT_EQ(errorCode([&] { player.Open(); }, &message), 254);
    EXPECT_EQ(message, "Can't play non-specified stream");

    EXPECT_EQ(errorCode([&] { player.Pause(true); }, &message), 2);
    EXPECT_EQ(message, "Incorrect mode");
    EXPECT_EQ(errorCode([&] { player.Pause(false); }), -1);
    EXPECT_EQ(errorCode([&] { player.Restart(); }), 2);

    player.setStreamName("/nonexistent/song.mp3");
    EXPECT_EQ(errorCode([&] { player.Open(); }, &message), 3);
    EXPECT_EQ(message, "Input stream error");
    TempFolder folder;
    player.setStreamName(folder.write("text.mp3", std::string(5000, 'x')));
    EXPECT_EQ(errorCode([&] { player.Open(); }), 3);
    EXPECT_FALSE(player.opened());

    // The PCM-file device needs a file name.
    player.setOutputDevice(TOutputDevice::pcmfile);
    EXPECT_EQ(player.OutputDevice(), TOutputDevice::wavemapper);
    player.setOutFilename(folder / "out.pcm");
    player.setOutputDevice(TOutputDevice::pcmfile);
    EXPECT_EQ(player.deviceCode(), 2);

    player.setTimerFreq(0);
    EXPECT_FALSE(player.UseTimer());

    // The table texts carry no padding.
    for (int code = 0; code <= 5; ++code) {
        const std::string text = TMPEGPlayer::errorText(code);
        EXPECT_FALSE(text.empty());
        EXPECT_NE(text.back(), ' ') << code;
    }
}

TEST(MpegPlayer, PriorityValues)
{
    struct Case {
        TPlayPriority priority;
        int value;
    };
    const Case cases[] = { { TPlayPriority::Idle, -15 }, { TPlayPriority::Lowest, -2 },
        { TPlayPriority::BelowNormal, -1 }, { TPlayPriority::Normal, 0 }, { TPlayPriority::AboveNormal, 1 },
        { TPlayPriority::Highest, 2 }, { TPlayPriority::TimeCritical, 15 } };
    TMPEGPlayer player;
    for (const Case& c : cases) {
        player.setPlayerPriority(c.priority);
        EXPECT_EQ(player.priorityValue(), c.value);
        EXPECT_EQ(player.PlayerPriority(), c.priority);
    }
}

TEST(MpegPlayerDecoding, EqualsMpg123)
{
    NoOverride clean;
    const MusicFixtures& music = MusicFixtures::get();
    // The mpg123 program rounds a few samples of the MPEG-2 mono stream one
    // step apart from its own library's default decoding (measured: 2 of
    // 33,075 samples); that file is compared within one step.
    struct Case {
        const char* name;
        const std::string& file;
        bool exact;
    };
    const Case cases[] = { { "CBR", music.cbr, true }, { "VBR", music.vbr, true },
        { "mono 22050 Hz", music.mono, false }, { "MP2", music.mp2, true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.file.empty()) {
            ADD_FAILURE() << "encoder missing (scripts/deps installs lame, twolame, mpg123)";
            continue;
        }
        const std::string expected = music.reference(c.file);
        ASSERT_FALSE(expected.empty());
        const std::string got = decode(c.file);
        ASSERT_EQ(got.size(), expected.size());
        if (c.exact) {
            EXPECT_TRUE(got == expected);
            continue;
        }
        int worst = 0;
        for (std::size_t i = 0; i + 1 < got.size(); i += 2) {
            const auto sample = [](const std::string& s, std::size_t at) {
                return static_cast<int16_t>(
                    static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
            };
            worst = std::max(worst, std::abs(sample(got, i) - sample(expected, i)));
        }
        EXPECT_LE(worst, 1);
    }
}

TEST(MpegPlayerDecoding, StartPositionIsSampleExact)
{
    NoOverride clean;
    const MusicFixtures& music = MusicFixtures::get();
    if (music.vbr.empty())
        GTEST_SKIP() << "lame or mpg123 missing";
    const std::string expected = music.reference(music.vbr);
    const std::string got = decode(music.vbr, 750, "start.pcm");
    const std::size_t skip = 750 * 44100 / 1000 * 4;
    ASSERT_GT(expected.size(), skip);
    EXPECT_EQ(got.size(), expected.size() - skip);
    EXPECT_TRUE(got == expected.substr(skip));
}

TEST(MpegPlayerDecoding, PositionsNeverPassTheLengthAndTheEndComesOnce)
{
    NoOverride clean;
    const MusicFixtures& music = MusicFixtures::get();
    if (music.cbr.empty())
        GTEST_SKIP() << "lame missing";
    TMPEGPlayer player; // default device: the null sink (ORVANTA_AUDIO=null)
    player.PathToDLL = LayerFolder;
    player.setTimerFreq(5);
    player.LoadDLL();
    std::vector<std::pair<int, int>> updates;
    int ends = 0;
    player.OnPosUpdate = [&](TMPEGPlayer&, int pos, int len) { updates.emplace_back(pos, len); };
    player.OnPlayEnd = [&](TMPEGPlayer& sender) {
        ++ends;
        sender.EndPos = 0;
    };
    player.setStreamName(music.cbr);
    player.Open();
    EXPECT_EQ(player.Length(), 2500);
    player.EndPos = player.Length();
    player.Play();
    tickToEnd(player);
    EXPECT_EQ(ends, 1);
    ASSERT_FALSE(updates.empty());
    for (const auto& [pos, len] : updates) {
        EXPECT_LE(pos, len);
        EXPECT_EQ(len, 2500);
    }
    EXPECT_EQ(updates.back().first, player.Length());
    EXPECT_EQ(player.GetCurrentPos(), player.GetLength());
    // More ticks after the end fire nothing more.
    player.TimerTick();
    EXPECT_EQ(ends, 1);
}

TEST(MpegPlayerDecoding, DamagedAndCutFilesPlayWhatDecodesAndEnd)
{
    NoOverride clean;
    const MusicFixtures& music = MusicFixtures::get();
    if (music.cbr.empty())
        GTEST_SKIP() << "lame missing";
    const std::string whole = readBytes(music.cbr);
    TempFolder folder;
    std::string damaged = whole;
    for (std::size_t i = whole.size() / 3; i < whole.size() / 3 + 700; ++i)
        damaged[i] = static_cast<char>(i * 37);
    const std::string cut = folder.write("cut.mp3", whole.substr(0, whole.size() / 2 + 77));
    const std::string hurt = folder.write("damaged.mp3", damaged);
    const std::string full = decode(music.cbr, 0, "full.pcm");
    for (const std::string& file : { cut, hurt }) {
        SCOPED_TRACE(file);
        const std::string got = decode(file, 0, "damaged.pcm");
        EXPECT_GT(got.size(), full.size() / 3);
        EXPECT_LE(got.size(), full.size() + 4 * 1152);
    }
}

TEST(MpegPlayerDecoding, FromStreamThroughTheEventsEqualsFromTheFile)
{
    NoOverride clean;
    const MusicFixtures& music = MusicFixtures::get();
    if (music.vbr.empty())
        GTEST_SKIP() << "lame missing";
    const std::string bytes = readBytes(music.vbr);
    struct Stream {
        std::size_t at = 0;
    } stream;
    int opens = 0, closes = 0;
    TempFolder out;
    TMPEGPlayer player;
    player.PathToDLL = LayerFolder;
    player.setTimerFreq(10);
    player.LoadDLL();
    player.FromStream = true;
    player.OnOpenStream = [&](TMPEGPlayer&, bool& nonseekable, void*& context) {
        ++opens;
        nonseekable = false;
        stream.at = 0;
        context = &stream;
    };
    player.OnCloseStream = [&](TMPEGPlayer&, void* context) {
        EXPECT_EQ(context, &stream);
        ++closes;
    };
    player.OnReadStream = [&](TMPEGPlayer&, void*, void* buffer, int toRead, int& read, bool& res) {
        const std::size_t count
            = std::min<std::size_t>(static_cast<std::size_t>(toRead), bytes.size() - stream.at);
        std::memcpy(buffer, bytes.data() + stream.at, count);
        stream.at += count;
        read = static_cast<int>(count);
        res = true;
    };
    player.OnSeekStream = [&](TMPEGPlayer&, void*, int offset, int whence, int& res) {
        const long long base = whence == SEEK_SET ? 0
            : whence == SEEK_CUR                  ? static_cast<long long>(stream.at)
                                                  : static_cast<long long>(bytes.size());
        const long long target = base + offset;
        if (target < 0 || target > static_cast<long long>(bytes.size())) {
            res = -1;
            return;
        }
        stream.at = static_cast<std::size_t>(target);
        res = static_cast<int>(target);
    };
    player.setOutFilename(out / "stream.pcm");
    player.setOutputDevice(TOutputDevice::pcmfile);
    player.Open();
    EXPECT_EQ(opens, 1);
    player.EndPos = player.Length();
    player.Play();
    tickToEnd(player);
    player.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(readBytes(out / "stream.pcm") == music.reference(music.vbr));
}
