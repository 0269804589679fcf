// The music commands in the real main window (offscreen, null output,
// scripted prompts): F3's handlers play a wave from the panel, "What
// playing" asks with the last wave's name, "StopMusic" clears the status
// bar, Label1 cycles the volume channel and VolBar's reading never writes.
#include "media/music_commands.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/media/music_fixtures.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_music_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

std::string waveFile(double seconds)
{
    const std::string data = test::sinePcm(8000, 1, seconds);
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return s;
    };
    const std::string fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
    const std::string body
        = "WAVEfmt " + le(16, 4) + fmt + "data" + le(static_cast<uint32_t>(data.size()), 4) + data;
    return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}

class MusicWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        for (const char* file : { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini" })
            std::filesystem::copy_file(std::string(OV_LANGUAGE_DIR) + "/" + file, home / file);
        DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
        drive.write("song.wav", waveFile(0.3));
        setPrompts(&prompts);
        CommandRegistry::instance().clear();
        registerMusicCommands();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }

    test::TempFolder home;
    test::TempFolder drive;
    test::TempFolder data;
    ScriptedPrompts prompts;
};

TEST_F(MusicWindow, PlaysStopsAndNamesTheLastWave)
{
    TForm1 form;
    attachMusic(form);
    auto* label2 = form.findChild<QLabel*>("Label2");
    ASSERT_NE(label2, nullptr);
    form.File_Work("c:\\song.wav");
    EXPECT_EQ(label2->text().toStdString(), " MediaPlayer - " + drive / "song.wav");
    form.RunCommand("WhatPlaying");
    ASSERT_FALSE(prompts.asked.empty());
    EXPECT_EQ(prompts.asked.back().text, "Last playing file is <" + drive / "song.wav" + ">");
    form.RunCommand("StopMusic");
    EXPECT_EQ(label2->text().toStdString(), "");
    EXPECT_EQ(form.findChild<QProgressBar*>("PosBar")->value(), 0);
    EXPECT_EQ(form.windowTitle().toStdString(), "Orvanta v1.11");
}

TEST_F(MusicWindow, Label1CyclesTheChannels)
{
    TForm1 form;
    attachMusic(form);
    auto* label1 = form.findChild<QLabel*>("Label1");
    ASSERT_NE(label1, nullptr);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(label1, Qt::LeftButton);
        names.push_back(label1->text().toStdString());
    }
    EXPECT_EQ(names, (std::vector<std::string> { "Midi volume", "AudioCD volume", "Wave volume" }));
    // The MIDI gain is the program's own: full at start, read as 255.
    QTest::mouseClick(label1, Qt::LeftButton);
    form.TimerMainTimer();
    EXPECT_EQ(form.findChild<QSlider*>("VolBar")->value(), 100);
}

} // namespace
} // namespace ov
