// TModPlugPlayer over the real module layer (libovmod.so with libmodplug):
// the parameter string, a missing layer, loading, and a small module played
// to a PCM file with its positions.
#include "media/modplug_player.h"
#include "tests/media/module_fixture.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
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
