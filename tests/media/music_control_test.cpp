// The main window's music flows on MusicControl with a recording host:
// one player at a time, the caption and status-bar progress, the end at
// 100 %, continuous play, PosBar seeking, Stop and "What playing".
#include "media/music_control.h"
#include "tests/media/module_fixture.h"
#include "tests/media/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

struct Host final : MusicHost {
    std::string title = "Orvanta v1.11";
    bool statusShown = true;
    std::string label2;
    int posBar = 0;
    bool continuous = false;
    int cursorMovesLeft = 0;
    int views = 0;
    bool timer3 = false;
    std::vector<std::string> infos, errors;

    void setCaption(const std::string& caption) override { title = caption; }
    std::string caption() const override { return title; }
    bool statusBarVisible() const override { return statusShown; }
    void setLabel2(const std::string& text) override { label2 = text; }
    void setPosBar(int percent) override { posBar = percent; }
    bool continuousPlay() const override { return continuous; }
    bool cursorDown() override { return cursorMovesLeft-- > 0; }
    void viewCurrent() override { ++views; }
    void setTimer3(bool running) override { timer3 = running; }
    void showInformation(const std::string& text) override { infos.push_back(text); }
    void showError(const std::string& text) override { errors.push_back(text); }
    std::string programFolder(const std::string& libraryName) const override
    {
        return std::string(OV_BINARY_DIR)
            + (libraryName == ModLibraryName ? "/media/modlayer" : "/media/mpeglayer");
    }
    std::string lastPlayText() const override { return "Last playing file is"; }
    // Calls posted from the decoder thread, run by runPosted() on the test's.
    std::mutex postedLock;
    std::vector<std::function<void()>> posted;
    bool rightAtLast = false;
    int musicListEnds = 0;
    void postToWindow(std::function<void()> call) override
    {
        const std::lock_guard<std::mutex> hold(postedLock);
        posted.push_back(std::move(call));
    }
    bool rightPanelAtLastEntry() const override { return rightAtLast; }
    void endMusicList() override { ++musicListEnds; }
    void runPosted()
    {
        std::vector<std::function<void()>> calls;
        {
            const std::lock_guard<std::mutex> hold(postedLock);
            calls.swap(posted);
        }
        for (auto& call : calls)
            call();
    }
};

// Runs Timer3 every 10 ms while it is on, for at most ten seconds.
void runTimer(MusicControl& music, Host& host)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (host.timer3 && std::chrono::steady_clock::now() < deadline) {
        music.Timer3Timer();
        host.runPosted();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The wave player in real time: SDL's dummy driver plays at the device's pace.
struct RealTime {
    RealTime()
    {
        ::unsetenv("ORVANTA_AUDIO");
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    ~RealTime() { ::setenv("ORVANTA_AUDIO", "null", 1); }
};

} // namespace

TEST(MusicControl, AnMp3StopsAPlayingWaveAndWhatPlayingStillNamesTheWave)
{
    const MusicFixtures& music = MusicFixtures::get();
    if (music.cbr.empty())
        GTEST_SKIP() << "lame missing";
    RealTime pace;
    TempFolder folder;
    Host host;
    MusicControl control(host);
    const std::string wave = folder.write("long.wav", waveFile(5));
    control.Play_Sound(wave);
    EXPECT_EQ(control.kind(), "wav");
    EXPECT_EQ(host.label2, " MediaPlayer - " + wave);
    EXPECT_TRUE(control.MPlay().playing());
    control.PlayMpeg(music.cbr);
    EXPECT_TRUE(host.errors.empty()) << host.errors.front();
    EXPECT_EQ(control.kind(), "mp3");
    EXPECT_FALSE(control.MPlay().playing());
    EXPECT_EQ(host.label2, " MediaPlayer - " + music.cbr);
    control.WhatPlaying();
    ASSERT_EQ(host.infos.size(), 1u);
    EXPECT_EQ(host.infos[0], "Last playing file is <" + wave + ">");
    control.Stop();
    EXPECT_EQ(control.kind(), "");
    EXPECT_EQ(host.label2, "");
    EXPECT_EQ(host.posBar, 0);
    EXPECT_FALSE(host.timer3);
    EXPECT_EQ(host.title, "Orvanta v1.11");
}

TEST(MusicControl, CaptionShowsThePercentUntilTheEndWithTheStatusBarHidden)
{
    TempFolder folder;
    Host host;
    host.statusShown = false;
    MusicControl control(host);
    std::vector<std::string> captions;
    control.Play_Sound(folder.write("short.wav", waveFile(0.5)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (host.timer3 && std::chrono::steady_clock::now() < deadline) {
        control.Timer3Timer();
        captions.push_back(host.title);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(captions.size(), 1u);
    EXPECT_EQ(host.title, "Orvanta v1.11");
    for (std::size_t i = 0; i + 1 < captions.size(); ++i)
        EXPECT_EQ(captions[i].rfind("Orvanta v1.11 -  MediaPlayer ", 0), 0u) << captions[i];
}

TEST(MusicControl, ContinuousPlayStopsAtTheLastEntryAndMovesOnOtherwise)
{
    TempFolder folder;
    const std::string wave = folder.write("short.wav", waveFile(0.2));
    struct Case {
        const char* name;
        int moves;
        int views;
    };
    for (const Case& c : { Case { "last entry", 0, 0 }, Case { "an entry below", 1, 1 } }) {
        SCOPED_TRACE(c.name);
        Host host;
        host.continuous = true;
        host.cursorMovesLeft = c.moves;
        MusicControl control(host);
        control.Play_Sound(wave);
        runTimer(control, host);
        EXPECT_FALSE(host.timer3);
        EXPECT_EQ(host.views, c.views);
        EXPECT_EQ(host.label2, "");
    }
}

TEST(MusicControl, PosBarAtItsRightEndSeeksToTheLastMillisecond)
{
    RealTime pace;
    TempFolder folder;
    Host host;
    MusicControl control(host);
    control.Play_Sound(folder.write("long.wav", waveFile(3)));
    control.PosBarMouseDown(150, 150);
    EXPECT_EQ(host.posBar, 100);
    EXPECT_LE(control.MPlay().Position(), 2999);
    EXPECT_GE(control.MPlay().Position(), 2900);
    control.PosBarMouseUp();
    control.Stop();
}

TEST(MusicControl, AModuleThatDoesNotLoadIsReportedAndSkipped)
{
    ::setenv("ORVANTA_PLAYER_LIBS", (std::string(OV_BINARY_DIR) + "/media/modlayer").c_str(), 1);
    TempFolder folder;
    Host host;
    host.continuous = true;
    host.cursorMovesLeft = 1;
    MusicControl control(host);
    const std::string bad = folder.write("bad.mod", std::string(4000, 'z'));
    control.PlayModule(bad);
    EXPECT_EQ(host.label2, " MediaPlayer - " + bad + " - not playable");
    EXPECT_EQ(host.views, 1);
    EXPECT_EQ(control.kind(), "");
    // A good one plays to its end.
    control.PlayModule(folder.write("tiny.mod", tinyModule()));
    EXPECT_EQ(control.kind(), "s3m");
    runTimer(control, host);
    EXPECT_FALSE(host.timer3);
    ::unsetenv("ORVANTA_PLAYER_LIBS");
}

// The wave player's completion notification ends the music list only when
// the right panel's cursor is on its last entry, once per completed play;
// a stopped play tells nothing.
TEST(MusicControl, TheWaveEndEndsTheMusicListOnlyAtTheRightPanelsLastEntry)
{
    TempFolder folder;
    const std::string wave = folder.write("short.wav", waveFile(0.2));
    struct Case {
        const char* name;
        bool rightAtLast;
        bool stopFirst;
        int ends;
    };
    for (const Case& c : { Case { "right panel at its last entry", true, false, 1 },
             Case { "right panel above its last entry", false, false, 0 },
             Case { "stopped before the end", true, true, 0 } }) {
        SCOPED_TRACE(c.name);
        Host host;
        host.rightAtLast = c.rightAtLast;
        MusicControl control(host);
        control.Play_Sound(wave);
        if (c.stopFirst)
            control.Stop();
        runTimer(control, host);
        // The end is told after the last sample; wait for it a moment.
        for (int i = 0; i < 100 && control.MPlay().playing(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        host.runPosted();
        EXPECT_EQ(host.musicListEnds, c.ends);
    }
}
