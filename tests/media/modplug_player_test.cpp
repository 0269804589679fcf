// TModPlugPlayer over the real module layer (libovmod.so with libmodplug):
// the parameter string, a missing layer, loading, and a small module played
// to a PCM file with its positions.
#include "media/modplug_player.h"
#include "tests/media/module_fixture.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {
const std::string ModLayerFolder = std::string(OV_BINARY_DIR) + "/media/modlayer";
}

TEST(ModPlugPlayer, ParameterString)
{
    struct Case {
        bool hide, loop, stereo;
        int width, height;
        const char* expected;
    };
    const Case cases[] = {
        { false, false, true, 217, 35, "hidden|false|width|217|height|35|loop|false|controls|stereo" },
        { true, true, false, 169, 49, "hidden|true|width|169|height|49|loop|true" },
    };
    for (const Case& c : cases) {
        TModPlugPlayer player;
        player.HideVUmeter = c.hide;
        player.LoopSong = c.loop;
        player.StereoVUmeter = c.stereo;
        player.Width = c.width;
        player.Height = c.height;
        EXPECT_EQ(player.parameterString(), c.expected);
    }
}

TEST(ModPlugPlayer, MissingLayerFailsInitAndNothingElse)
{
    ::unsetenv("ORVANTA_PLAYER_LIBS");
    TModPlugPlayer player;
    player.PathToDLL = "/nonexistent/ov";
    int inits = 0;
    player.OnInit = [&](TModPlugPlayer&) { ++inits; };
    EXPECT_FALSE(player.Init());
    EXPECT_NE(player.errorText().find("libovmod.so"), std::string::npos) << player.errorText();
    EXPECT_EQ(inits, 0);
    player.SongName = "/tmp/song.mod";
    EXPECT_FALSE(player.Load());
    player.Play();
    player.Stop();
    EXPECT_EQ(player.GetMaxPosition(), 0);
    EXPECT_EQ(player.GetCurrentPosition(), 0);
}

TEST(ModPlugPlayer, PlaysAModuleToItsEnd)
{
    ::unsetenv("ORVANTA_PLAYER_LIBS");
    TempFolder folder;
    TModPlugPlayer player;
    player.PathToDLL = ModLayerFolder;
    int inits = 0, loads = 0, stops = 0;
    player.OnInit = [&](TModPlugPlayer&) { ++inits; };
    player.OnLoad = [&](TModPlugPlayer&) { ++loads; };
    player.OnStop = [&](TModPlugPlayer&) { ++stops; };
    ASSERT_TRUE(player.Init()) << player.errorText();
    EXPECT_EQ(inits, 1);

    // What does not load says so; the player stays usable.
    player.SongName = folder.write("text.mod", std::string(3000, 'x'));
    EXPECT_FALSE(player.Load());
    player.SongName = folder / "missing.mod";
    EXPECT_FALSE(player.Load());
    const std::string huge = folder / "huge.mod";
    folder.write("huge.mod", "x");
    std::filesystem::resize_file(huge, (64u << 20) + 1);
    player.SongName = huge;
    EXPECT_FALSE(player.Load());
    EXPECT_NE(player.errorText().find("too large"), std::string::npos) << player.errorText();

    player.SongName = folder.write("tiny.mod", tinyModule());
    ASSERT_TRUE(player.Load()) << player.errorText();
    const int max = player.GetMaxPosition();
    EXPECT_GE(max, 10);
    player.OutFilename = folder / "tiny.pcm";
    player.Play();
    EXPECT_EQ(loads, 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!player.ended() && std::chrono::steady_clock::now() < deadline) {
        EXPECT_LT(player.GetCurrentPosition(), max);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(player.ended());
    EXPECT_EQ(player.GetCurrentPosition(), max);
    // 64 rows of one 20 ms tick at 44,100 Hz; libmodplug renders a little
    // past the last row (measured: 61,440 frames, 9 % more).
    const long long frames = player.playedFrames();
    EXPECT_GE(frames, 64 * 882);
    EXPECT_LE(frames, 64 * 882 * 11 / 10);
    EXPECT_EQ(static_cast<long long>(readBytes(folder / "tiny.pcm").size()), frames * 4);
    player.Stop();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(player.GetCurrentPosition(), 0);
}

namespace {

// openmpt123's "Duration...: MM:SS.mmm" in seconds; negative when missing.
double openmptSeconds(const std::string& file)
{
    TempFolder folder;
    const std::string info = folder / "info.txt";
    if (std::system(("openmpt123 --info '" + file + "' > " + info + " 2>&1").c_str()) != 0)
        return -1;
    const std::string text = readBytes(info);
    const std::size_t at = text.find("Duration...: ");
    if (at == std::string::npos)
        return -1;
    int minutes = 0;
    double seconds = 0;
    if (std::sscanf(text.c_str() + at + 13, "%d:%lf", &minutes, &seconds) != 2)
        return -1;
    return minutes * 60 + seconds;
}

} // namespace

// Real modules from Debian's game data, read in place: each plays to its
// end through the layer, its rendered length within 1 % of openmpt123's
// duration, and the position reaching the maximum only at the end.
TEST(ModPlugPlayer, RealModulesLastAsLongAsOpenmptSays)
{
    if (!haveTool("openmpt123"))
        GTEST_SKIP() << "openmpt123 missing";
    ::unsetenv("ORVANTA_PLAYER_LIBS");
    struct Row {
        const char* package;
        const char* path;
    };
    const Row rows[] = {
        { "tecnoballz-data", "/usr/share/games/tecnoballz/musics/high-score.mod" },
        { "pingus-data", "/usr/share/games/pingus/data/music/gd-giirm.s3m" },
        { "pingus-data", "/usr/share/games/pingus/data/music/gd-ite.it" },
        { "powermanga-data", "/usr/share/games/powermanga/sounds/music_menu.zik" },
    };
    int played = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        if (!std::filesystem::exists(row.path))
            continue; // the package is not installed
        const double expected = openmptSeconds(row.path);
        ASSERT_GT(expected, 0);
        TempFolder folder;
        TModPlugPlayer player;
        player.PathToDLL = ModLayerFolder;
        ASSERT_TRUE(player.Init()) << player.errorText();
        player.SongName = row.path;
        ASSERT_TRUE(player.Load()) << player.errorText();
        const int max = player.GetMaxPosition();
        player.OutFilename = folder / "song.pcm";
        player.Play();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!player.ended() && std::chrono::steady_clock::now() < deadline) {
            EXPECT_LT(player.GetCurrentPosition(), max);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(player.ended());
        EXPECT_EQ(player.GetCurrentPosition(), max);
        const double seconds = static_cast<double>(player.playedFrames()) / 44100.0;
        EXPECT_NEAR(seconds, expected, expected * 0.01) << row.package;
        player.Stop();
        ++played;
    }
    if (played == 0)
        GTEST_SKIP() << "no game data installed (tecnoballz-data, pingus-data, powermanga-data)";
}
