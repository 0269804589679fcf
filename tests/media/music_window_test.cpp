// The music commands in the real main window (offscreen, null output,
// scripted prompts): F3's handlers play a wave from the panel, "What
// playing" asks with the last wave's name, "StopMusic" clears the status
// bar, Label1 cycles the volume channel and lights up under the mouse,
// VolBar is the regulator whose presses set the level and whose reading
// never writes, F11/F12 move the wave level only inside its band, the
// flows of the status bar (an MP3 stops a wave, continuous play, PosBar at
// its right end) and the "Play music list" caption at the list's end.
#include "media/music_commands.h"
#include "media/regulator.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/mixer.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/media/module_fixture.h"
#include "tests/media/music_fixtures.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tests/support/command_window_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace ov {
namespace {

class MusicWindow : public test::CommandWindowTest {
protected:
    MusicWindow()
        : CommandWindowTest(OV_LANGUAGE_DIR)
    {
    }
    void SetUp() override
    {
        CommandWindowTest::SetUp();
        drive.write("song.wav", test::waveFile(0.3));
        registerMusicCommands();
    }
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
    auto* volBar = dynamic_cast<TRegulator*>(form.findChild<QWidget*>("VolBar"));
    ASSERT_NE(volBar, nullptr);
    EXPECT_EQ(volBar->position(), 100);
}

} // namespace
} // namespace ov

namespace ov {
namespace {

uint32_t packedLevel(int level)
{
    const auto channel = static_cast<uint32_t>(level) * 256;
    return channel | (channel << 16);
}

TRegulator* volBarOf(TForm1& form)
{
    return dynamic_cast<TRegulator*>(form.findChild<QWidget*>("VolBar"));
}

void sendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButton button)
{
    const QPointF point(x, widget->height() / 2);
    const Qt::MouseButtons held
        = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, point, widget->mapToGlobal(point),
        type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Processes the window's events until `done` or ten seconds.
bool waitFor(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Waits for a panel's first read and puts its cursor on `name`.
void cursorTo(TFPanel& panel, const std::string& name)
{
    ASSERT_TRUE(waitFor([&] { return !panel.IsReading() && panel.Browser.Count > 0; }));
    for (int n = 1; n <= panel.Browser.Count; ++n) {
        panel.SetCursorIndex(n);
        if (panel.CurrentPath().ends_with("\\" + name))
            return;
    }
    FAIL() << name << " not in the panel";
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

TEST_F(MusicWindow, VolBarIsTheRegulatorAndItsPressesSetTheNamedChannel)
{
    FakeMixer mixer;
    mixer.store(MixerClass::Wave, packedLevel(20));
    mixer.store(MixerClass::Midi, packedLevel(128));
    TForm1 form;
    attachMusic(form, &mixer);
    TRegulator* volBar = volBarOf(form);
    ASSERT_NE(volBar, nullptr);
    EXPECT_EQ(volBar->width(), 150);
    EXPECT_EQ(volBar->height(), 14);

    // Refreshing shows the level and writes nothing.
    form.TimerMainTimer();
    EXPECT_EQ(volBar->position(), 8); // round(20 × 100 / 255)
    EXPECT_EQ(mixer.writes(), 0);

    // A left press at x = 78: thumb 6 wide, position round(75 × 100 / 150)
    // = 50, level round(50 × 2.55) = 128 on both channels of the wave.
    sendMouse(volBar, QEvent::MouseButtonPress, 78, Qt::LeftButton);
    EXPECT_EQ(volBar->position(), 50);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(128));
    // Dragging past the right edge gives 100 and the full level.
    sendMouse(volBar, QEvent::MouseMove, 160, Qt::LeftButton);
    EXPECT_EQ(volBar->position(), 100);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(255));
    sendMouse(volBar, QEvent::MouseButtonRelease, 160, Qt::LeftButton);
    // After the release a move writes nothing.
    const int writes = mixer.writes();
    sendMouse(volBar, QEvent::MouseMove, 10, Qt::LeftButton);
    EXPECT_EQ(mixer.writes(), writes);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(255));

    // A right press names the next channel and shows its level, writing
    // nothing and leaving the position it had for the wave untouched.
    sendMouse(volBar, QEvent::MouseButtonPress, 10, Qt::RightButton);
    sendMouse(volBar, QEvent::MouseButtonRelease, 10, Qt::RightButton);
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "Midi volume");
    EXPECT_EQ(volBar->position(), 50); // round(128 × 100 / 255)
    EXPECT_EQ(mixer.writes(), writes);
    EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(255));
    // A level written from the bar reads back as the same position.
    for (int x : { 3, 40, 100, 152 }) {
        sendMouse(volBar, QEvent::MouseButtonPress, x, Qt::LeftButton);
        sendMouse(volBar, QEvent::MouseButtonRelease, x, Qt::LeftButton);
        const int shown = volBar->position();
        form.TimerMainTimer();
        EXPECT_EQ(volBar->position(), shown) << "x = " << x;
    }
}

TEST_F(MusicWindow, F11AndF12MoveTheWaveLevelOnlyInsideItsBand)
{
    struct Row {
        const char* name;
        int level;
        int key;
        int expected;
    };
    const Row rows[] = {
        { "F12 at 2 stays", 2, Qt::Key_F12, 2 },
        { "F12 at 3 raises", 3, Qt::Key_F12, 5 },
        { "F12 at 253 reaches 255", 253, Qt::Key_F12, 255 },
        { "F12 at 254 stays", 254, Qt::Key_F12, 254 },
        { "F11 at 255 stays", 255, Qt::Key_F11, 255 },
        { "F11 at 3 lowers to 1", 3, Qt::Key_F11, 1 },
        { "F11 at 2 stays", 2, Qt::Key_F11, 2 },
        { "F11 at 0 stays", 0, Qt::Key_F11, 0 },
        { "F11 at 100 lowers", 100, Qt::Key_F11, 98 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeMixer mixer;
        mixer.store(MixerClass::Wave, packedLevel(row.level));
        TForm1 form;
        attachMusic(form, &mixer);
        form.TimerMainTimer();
        form.FormKeyDown(row.key, Qt::NoModifier);
        EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(row.expected));
        if (row.expected == row.level) {
            EXPECT_EQ(mixer.writes(), 0);
        }
        // The bar shows the wave level (at once when a key moved it).
        EXPECT_EQ(volBarOf(form)->position(), static_cast<int>(std::lround(row.expected * 100.0 / 255.0)));
        // At 255 the keys are done with: neither moves it any more.
        if (row.expected == 255) {
            form.FormKeyDown(Qt::Key_F11, Qt::NoModifier);
            form.FormKeyDown(Qt::Key_F12, Qt::NoModifier);
            EXPECT_EQ(mixer.stored(MixerClass::Wave), packedLevel(255));
        }
    }
}

TEST_F(MusicWindow, Label1LightsUpUnderTheMouse)
{
    TForm1 form;
    attachMusic(form);
    auto* label1 = form.findChild<QLabel*>("Label1");
    ASSERT_NE(label1, nullptr);
    const QColor text = QColor::fromRgb(colorToRgb(systemColorValue(clWindowText)));
    const QColor grey = QColor::fromRgb(colorToRgb(systemColorValue(clGrayText)));
    ASSERT_NE(text, grey);
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), grey);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), label1->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(label1, &enter);
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), text);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label1, &leave);
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), grey);
    // Hovering changes no channel; a press does.
    EXPECT_EQ(label1->text(), "Wave volume");
}

// The end of a wave ends the music list when the right panel's cursor is on
// its last entry: the Commands menu's "Play music file" is unchecked and
// re-captioned; elsewhere it stays as it is.
TEST_F(MusicWindow, TheWaveEndReCaptionsPlayMusicAtTheRightPanelsLastEntry)
{
    drive.write("a.wav", test::waveFile(0.1));
    struct Row {
        const char* name;
        const char* rightCursor;
        const char* caption;
    };
    for (const Row& row : { Row { "last entry", "song.wav", "Play music list" },
             Row { "first entry", "a.wav", "Play music file" } }) {
        SCOPED_TRACE(row.name);
        TForm1 form;
        attachMusic(form);
        cursorTo(*form.RightPanel(), row.rightCursor);
        QAction* entry = form.MenuAction("Command_PlayMusic");
        ASSERT_NE(entry, nullptr);
        entry->setCheckable(true);
        entry->setChecked(true);
        form.File_Work("c:\\song.wav");
        auto* label2 = form.findChild<QLabel*>("Label2");
        ASSERT_TRUE(waitFor([&] { return label2->text().isEmpty(); }));
        QTest::qWait(100);
        EXPECT_EQ(entry->text().toStdString(), row.caption);
        EXPECT_EQ(entry->isChecked(), std::string(row.caption) == "Play music file");
    }
}

// Continuous play in the window: from an entry above the last one the next
// entries play in turn; on the last entry play stops after it.
TEST_F(MusicWindow, ContinuousPlayRunsDownThePanelAndStopsAtItsLastEntry)
{
    drive.write("a.wav", test::waveFile(0.1));
    drive.write("b.wav", test::waveFile(0.1));
    struct Row {
        const char* name;
        const char* start;
    };
    for (const Row& row :
        { Row { "from the first entry", "a.wav" }, Row { "on the last entry", "song.wav" } }) {
        SCOPED_TRACE(row.name);
        TForm1 form;
        attachMusic(form);
        TFPanel& left = *form.LeftPanel();
        cursorTo(left, row.start);
        form.findChild<QPushButton*>("b_cont")->setChecked(true);
        std::vector<std::string> shown;
        auto* label2 = form.findChild<QLabel*>("Label2");
        form.File_Work(left.CurrentPath());
        auto* timer3 = form.findChild<QTimer*>("Timer3");
        ASSERT_NE(timer3, nullptr);
        ASSERT_TRUE(waitFor([&] {
            if (!label2->text().isEmpty())
                shown.push_back(label2->text().toStdString());
            return !timer3->isActive();
        }));
        EXPECT_EQ(label2->text(), "");
        EXPECT_TRUE(left.CurrentPath().ends_with("\\song.wav"));
        form.RunCommand("WhatPlaying");
        ASSERT_FALSE(prompts.asked.empty());
        EXPECT_EQ(prompts.asked.back().text, "Last playing file is <" + drive / "song.wav" + ">");
    }
}

TEST_F(MusicWindow, AnMp3StopsAPlayingWaveAndPosBarsRightEndSeeksNoFurtherThanTheEnd)
{
    if (!test::haveTool("lame"))
        GTEST_SKIP() << "lame missing";
    RealTime pace;
    ::setenv("ORVANTA_PLAYER_LIBS", OV_BINARY_DIR "/media/mpeglayer", 1);
    drive.write("long.wav", test::waveFile(3));
    const std::string mp3 = drive / "tone.mp3";
    drive.write("tone.raw", test::sinePcm(44100, 2, 1.0));
    ASSERT_EQ(std::system(("lame --quiet -r --signed --little-endian --bitwidth 16 -s 44.1 -b 128 "
                  + drive / "tone.raw" + " " + mp3 + " >/dev/null 2>&1")
                              .c_str()),
        0);
    TForm1 form;
    attachMusic(form);
    auto* label2 = form.findChild<QLabel*>("Label2");
    auto* posBar = form.findChild<QProgressBar*>("PosBar");
    form.File_Work("c:\\long.wav");
    ASSERT_EQ(label2->text().toStdString(), " MediaPlayer - " + drive / "long.wav");
    // PosBar pressed at its last pixel and dragged past its right end.
    sendMouse(posBar, QEvent::MouseButtonPress, posBar->width() - 1, Qt::LeftButton);
    sendMouse(posBar, QEvent::MouseMove, posBar->width() + 30, Qt::LeftButton);
    EXPECT_EQ(posBar->value(), 100);
    sendMouse(posBar, QEvent::MouseButtonRelease, posBar->width() + 30, Qt::LeftButton);
    // The wave plays its last millisecond, not beyond: Timer3 sees it end.
    auto* timer3 = form.findChild<QTimer*>("Timer3");
    EXPECT_TRUE(waitFor([&] { return !timer3->isActive(); }));
    EXPECT_EQ(label2->text(), "");

    // An MP3 started while a wave plays stops the wave and names itself.
    form.File_Work("c:\\long.wav");
    ASSERT_TRUE(timer3->isActive());
    form.File_Work("c:\\tone.mp3");
    EXPECT_TRUE(prompts.asked.empty()) << prompts.asked.front().text;
    EXPECT_EQ(label2->text().toStdString(), " MediaPlayer - " + mp3);
    ASSERT_TRUE(waitFor([&] { return label2->text().endsWith("%"); }));
    EXPECT_TRUE(label2->text().startsWith(QString::fromStdString(mp3 + " - ")));
    form.RunCommand("WhatPlaying");
    ASSERT_FALSE(prompts.asked.empty());
    EXPECT_EQ(prompts.asked.back().text, "Last playing file is <" + drive / "long.wav" + ">");
    form.RunCommand("StopMusic");
    EXPECT_EQ(label2->text(), "");
    ::unsetenv("ORVANTA_PLAYER_LIBS");
}

// A short standard MIDI file: one track of a note every half second at the
// default tempo, `notes` long.
std::string midiFile(int notes)
{
    std::string track;
    for (int i = 0; i < notes; ++i) {
        track += std::string("\x00\x90\x3c\x64", 4);
        track += std::string("\x30\x80\x3c\x40", 4); // 48 ticks of 96: half a second
    }
    track += std::string("\x00\xff\x2f\x00", 4);
    auto be = [](uint32_t v, int n) {
        std::string out;
        for (int i = n - 1; i >= 0; --i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return out;
    };
    return "MThd" + be(6, 4) + be(0, 2) + be(1, 2) + be(96, 2) + "MTrk"
        + be(static_cast<uint32_t>(track.size()), 4) + track;
}

// Enter on each kind of music in the panel, in real time: the caption
// shows the percentage while the status bar is hidden, Label2 and PosBar
// while it is shown, and b_stop ends it all.
TEST_F(MusicWindow, EnterOnEachKindPlaysWithProgressUntilStop)
{
    RealTime pace;
    // Both layers in one folder, as an installed program has them.
    test::TempFolder layers;
    for (const char* layer : { "mpeglayer/libovmpeg.so", "modlayer/libovmod.so" }) {
        const std::filesystem::path target = std::string(OV_BINARY_DIR) + "/media/" + layer;
        std::filesystem::create_symlink(target, layers / target.filename().string());
    }
    ::setenv("ORVANTA_PLAYER_LIBS", layers.path().c_str(), 1);
    drive.write("tune.wav", test::waveFile(4));
    drive.write("tune.mid", midiFile(8));
    const char* realModule = "/usr/share/games/tecnoballz/musics/high-score.mod";
    drive.write(
        "tune.mod", std::filesystem::exists(realModule) ? test::readBytes(realModule) : test::tinyModule());
    const bool haveMp3 = test::haveTool("lame");
    if (haveMp3) {
        drive.write("tune.raw", test::sinePcm(44100, 2, 4.0));
        ASSERT_EQ(std::system(("lame --quiet -r --signed --little-endian --bitwidth 16 -s 44.1 -b 128 "
                      + drive / "tune.raw" + " " + drive / "tune.mp3" + " >/dev/null 2>&1")
                                  .c_str()),
            0);
    }
    const bool haveFont = std::filesystem::exists("/usr/share/sounds/sf2/default-GM.sf2");
    struct Row {
        const char* name;
        bool available;
    };
    for (const Row& row : { Row { "tune.wav", true }, Row { "tune.mid", haveFont }, Row { "tune.mod", true },
             Row { "tune.mp3", haveMp3 } }) {
        SCOPED_TRACE(row.name);
        if (!row.available)
            continue;
        prompts.asked.clear();
        TForm1 form;
        attachMusic(form);
        TFPanel& left = *form.LeftPanel();
        cursorTo(left, row.name);
        auto* label2 = form.findChild<QLabel*>("Label2");
        auto* posBar = form.findChild<QProgressBar*>("PosBar");
        auto* statusBar = form.findChild<QWidget*>("StatusBar1");
        left.KeyDown(Qt::Key_Return, Qt::NoModifier);
        ASSERT_TRUE(prompts.asked.empty()) << prompts.asked.front().text;
        const std::string path = drive / row.name;
        // The status bar shown: Label2 names the file with its percentage,
        // PosBar moves.
        EXPECT_TRUE(waitFor([&] { return label2->text().endsWith("%") && posBar->value() > 0; }))
            << label2->text().toStdString();
        EXPECT_TRUE(label2->text().startsWith(QString::fromStdString(path + " - ")))
            << label2->text().toStdString();
        EXPECT_EQ(form.windowTitle(), "Orvanta v1.11");
        // Hidden: the caption carries the percentage.
        statusBar->hide();
        EXPECT_TRUE(waitFor([&] { return form.windowTitle().startsWith("Orvanta v1.11 -  MediaPlayer "); }))
            << form.windowTitle().toStdString();
        EXPECT_TRUE(form.windowTitle().endsWith("%"));
        statusBar->show();
        QTest::mouseClick(form.findChild<QPushButton*>("b_stop"), Qt::LeftButton);
        EXPECT_EQ(label2->text(), "");
        EXPECT_EQ(posBar->value(), 0);
        EXPECT_EQ(form.windowTitle(), "Orvanta v1.11");
        EXPECT_FALSE(form.findChild<QTimer*>("Timer3")->isActive());
    }
    ::unsetenv("ORVANTA_PLAYER_LIBS");
}

} // namespace
} // namespace ov
