// The CD player window over the scripted device: the absolute-second
// table, the status line per mode, the tray opened mid-play, continuous
// play, repeat with the display still ticking, the options button from
// mouse and keyboard, the language texts; and the window on a real image
// played into the null output.
#include "media/cd_window.h"
#include "platform/ini_file.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_cd_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

class CdWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        device.setDiscSeconds({ 240, 210, 120 });
        window = std::make_unique<TFormCdPlay>(device, language, "ENGLISH");
        window->Timer1->start();
    }
    std::string status() const { return window->StatusPanel->text().toStdString(); }
    std::string track() const { return window->TrackLabel->text().toStdString(); }
    std::string time() const { return window->TimeLabel->text().toStdString(); }
    // Loads the table (first tick while stopped) and plays from track 1.
    void startPlaying()
    {
        window->Timer1Timer();
        ASSERT_TRUE(window->TracksLoaded());
        window->MediaPlayer1Click(CdButton::Play);
        ASSERT_EQ(device.mode(), CdMode::Playing);
    }

    FakeCdDevice device;
    test::TempFolder folder;
    IniFile language { folder / "ov_eng.ini" };
    std::unique_ptr<TFormCdPlay> window;
};

TEST(CdWindowRules, AbsoluteSeconds)
{
    const std::vector<std::pair<int, int>> lengths { { 4, 0 }, { 3, 30 }, { 2, 15 } };
    struct Row {
        int track, minute, second, expected;
    };
    const Row rows[] = {
        { 3, 1, 5, 515 }, // 240 + 210 + 65
        { 1, 0, 0, 0 }, { 1, 3, 59, 239 }, { 2, 0, 0, 240 }, { 3, 2, 15, 585 }, // the end of the last track
    };
    for (const Row& row : rows)
        EXPECT_EQ(TFormCdPlay::AbsoluteSeconds(lengths, row.track, row.minute, row.second), row.expected)
            << row.track << " " << row.minute << ":" << row.second;
}

TEST_F(CdWindow, StatusLineFollowsTheMode)
{
    window->Timer1Timer();
    struct Row {
        CdMode mode;
        const char* text;
    };
    const Row rows[] = {
        { CdMode::NotReady, " Not ready" },
        { CdMode::Stopped, " Stopped" },
        { CdMode::Playing, " Playing" },
        { CdMode::Recording, " Recording" },
        { CdMode::Seeking, " Seeking" },
        { CdMode::Paused, " Paused" },
        { CdMode::Open, " Open" },
    };
    for (const Row& row : rows) {
        device.setMode(CdMode::Stopped);
        device.loadTracks();
        device.setMode(row.mode);
        window->Timer1Timer();
        EXPECT_EQ(status(), row.text);
    }
    // The pause button's flag shows " Paused" whatever the device says.
    device.setMode(CdMode::Stopped);
    window->Timer1Timer();
    window->MediaPlayer1Click(CdButton::Play);
    window->MediaPlayer1Click(CdButton::Pause);
    EXPECT_TRUE(window->Paused());
    EXPECT_FALSE(window->PlayRequested());
    device.setMode(CdMode::Playing);
    window->Timer1Timer();
    EXPECT_EQ(status(), " Paused");
}

TEST_F(CdWindow, FirstTickLoadsTheTableAndPlayShowsThePosition)
{
    std::string whileLoading;
    device.DuringLoad = [&] { whileLoading = status(); };
    window->Timer1Timer();
    EXPECT_EQ(whileLoading, " Loading tracks");
    EXPECT_TRUE(window->TracksLoaded());
    EXPECT_EQ(device.Loads, 1);
    EXPECT_EQ(status(), " Stopped");
    window->Timer1Timer();
    EXPECT_EQ(device.Loads, 1); // once per disc
    window->MediaPlayer1Click(CdButton::Play);
    EXPECT_EQ(status(), " Playing");
    EXPECT_EQ(track(), "1");
    EXPECT_EQ(time(), "00:00");
    device.setPosition({ 2, 3, 7, 40 });
    window->Timer1Timer();
    EXPECT_EQ(track(), "2");
    EXPECT_EQ(time(), "03:07");
    EXPECT_EQ(window->CurrentTrack(), 2);
    // Pause twice: paused, then playing again.
    window->MediaPlayer1Click(CdButton::Pause);
    EXPECT_EQ(device.mode(), CdMode::Paused);
    EXPECT_EQ(status(), " Paused");
    window->MediaPlayer1Click(CdButton::Pause);
    EXPECT_EQ(device.mode(), CdMode::Playing);
    EXPECT_EQ(status(), " Playing");
    EXPECT_TRUE(window->PlayRequested());
    // Stop resets the display and the next start.
    window->MediaPlayer1Click(CdButton::Stop);
    EXPECT_EQ(track(), "0");
    EXPECT_EQ(time(), "00:00");
    EXPECT_EQ(device.position(), (CdPosition { 1, 0, 0, 0 }));
    EXPECT_FALSE(window->PlayRequested());
}

TEST_F(CdWindow, TrayOpenedMidPlayResetsAndReloads)
{
    startPlaying();
    device.setPosition({ 2, 1, 30, 0 });
    window->Timer1Timer();
    ASSERT_EQ(track(), "2");
    ASSERT_EQ(time(), "01:30");
    // Someone opens the tray.
    device.setMode(CdMode::Open);
    window->Timer1Timer();
    EXPECT_EQ(status(), " Open");
    EXPECT_EQ(track(), "0");
    EXPECT_EQ(time(), "00:00");
    EXPECT_FALSE(window->TracksLoaded());
    EXPECT_FALSE(window->PlayRequested());
    // A different disc comes back: its table is read.
    device.setDiscSeconds({ 60, 60 });
    device.setMode(CdMode::Stopped);
    window->Timer1Timer();
    EXPECT_TRUE(window->TracksLoaded());
    EXPECT_EQ(device.Loads, 2);
    EXPECT_EQ(device.trackCount(), 2);
    EXPECT_EQ(status(), " Stopped");
}

TEST_F(CdWindow, EjectButtonResetsAndReloadsWhenClosed)
{
    startPlaying();
    window->MediaPlayer1Click(CdButton::Eject);
    EXPECT_EQ(device.mode(), CdMode::Open);
    EXPECT_EQ(status(), " Open");
    EXPECT_EQ(track(), "0");
    window->MediaPlayer1Click(CdButton::Eject);
    EXPECT_EQ(device.mode(), CdMode::Stopped);
    EXPECT_TRUE(window->TracksLoaded());
    EXPECT_EQ(device.Loads, 2);
}

TEST_F(CdWindow, ContinuousPlayStartsAgainAtTrackOne)
{
    struct Row {
        bool continuous;
        bool restarts;
    };
    for (const Row row : { Row { true, true }, Row { false, false } }) {
        SCOPED_TRACE(row.continuous);
        window->CheckBox_ContPlay->setChecked(row.continuous);
        window->MediaPlayer1Click(CdButton::Stop);
        startPlaying();
        device.setPosition({ 3, 1, 59, 74 });
        // The disc ends.
        device.setMode(CdMode::Stopped);
        device.Calls.clear();
        window->Timer1Timer();
        if (row.restarts) {
            ASSERT_EQ(device.Calls, std::vector<std::string> { "play 1:00:00" });
            EXPECT_EQ(device.mode(), CdMode::Playing);
            for (QPushButton* button :
                { window->btPause, window->btStop, window->btNext, window->btPrev, window->btEject })
                EXPECT_TRUE(button->isEnabled());
        } else {
            EXPECT_TRUE(device.Calls.empty());
            EXPECT_EQ(device.mode(), CdMode::Stopped);
        }
    }
    // A stop by the user is not an end of the disc: no restart.
    window->CheckBox_ContPlay->setChecked(true);
    startPlaying();
    window->MediaPlayer1Click(CdButton::Stop);
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_TRUE(device.Calls.empty());
}

TEST_F(CdWindow, RepeatGoesBackToTheTrackStartAndKeepsTicking)
{
    startPlaying();
    device.setPosition({ 2, 0, 10, 0 });
    window->Timer1Timer();
    // Checking the box sets the end: end of track 2 (450 s) less 2 s.
    window->CheckBox_RepeatCurSel->setChecked(true);
    EXPECT_EQ(window->RepeatEnd(), 448);
    device.setPosition({ 2, 3, 28, 0 }); // 448: not beyond
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_TRUE(device.Calls.empty());
    EXPECT_EQ(time(), "03:28");
    device.setPosition({ 2, 3, 29, 0 }); // 449: back to 2:00:00
    window->Timer1Timer();
    EXPECT_EQ(device.Calls, std::vector<std::string> { "seek 2:00:00" });
    EXPECT_EQ(track(), "2");
    EXPECT_EQ(time(), "00:00");
    EXPECT_TRUE(window->Timer1->isActive());
    // The display goes on ticking afterwards.
    device.setPosition({ 2, 0, 1, 0 });
    window->Timer1Timer();
    EXPECT_EQ(time(), "00:01");
    // A new track (the next button) moves the end with it: track 3 ends at
    // 570 s.
    window->MediaPlayer1Click(CdButton::Next);
    EXPECT_EQ(window->CurrentTrack(), 3);
    EXPECT_EQ(window->RepeatEnd(), 568);
    device.setPosition({ 3, 1, 59, 0 }); // 569
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_EQ(device.Calls, std::vector<std::string> { "seek 3:00:00" });
    // Unchecked: the track plays through.
    window->CheckBox_RepeatCurSel->setChecked(false);
    device.setPosition({ 3, 1, 59, 0 });
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_TRUE(device.Calls.empty());
}

TEST_F(CdWindow, RepeatCheckedBeforeTheDiscWasReadRepeatsTheFirstTrack)
{
    // Checked on a window that has not read the table yet: no end known.
    window->CheckBox_RepeatCurSel->setChecked(true);
    startPlaying();
    device.setPosition({ 1, 0, 5, 0 });
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_TRUE(device.Calls.empty());
    EXPECT_EQ(time(), "00:05");
    EXPECT_EQ(window->RepeatEnd(), 238);
    device.setPosition({ 1, 3, 59, 0 });
    window->Timer1Timer();
    EXPECT_EQ(device.Calls, std::vector<std::string> { "seek 1:00:00" });
    // A new disc after the tray: its own first track's end.
    device.setMode(CdMode::Open);
    window->Timer1Timer();
    device.setDiscSeconds({ 30, 60 });
    device.setMode(CdMode::Stopped);
    window->Timer1Timer();
    window->MediaPlayer1Click(CdButton::Play);
    device.setPosition({ 1, 0, 20, 0 });
    device.Calls.clear();
    window->Timer1Timer();
    EXPECT_TRUE(device.Calls.empty());
    EXPECT_EQ(window->RepeatEnd(), 28);
}

TEST_F(CdWindow, OptionsAnswerTheMouseAltOAndSpace)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(window->OptionsPanel->isHidden());
    QTest::mousePress(window->Button_Options, Qt::LeftButton);
    EXPECT_FALSE(window->OptionsPanel->isHidden());
    QTest::mouseRelease(window->Button_Options, Qt::LeftButton);
    EXPECT_FALSE(window->OptionsPanel->isHidden());
    const int tall = window->height();
    QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_TRUE(window->OptionsPanel->isHidden());
    EXPECT_LT(window->height(), tall);
    window->Button_Options->setFocus();
    QTest::keyClick(window->Button_Options, Qt::Key_Space);
    EXPECT_FALSE(window->OptionsPanel->isHidden());
    // Esc closes and stops the display.
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Timer1->isActive());
}

TEST_F(CdWindow, EtchedFrameOnTheSurface)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QImage image = window->grab().toImage();
    const QColor grey(128, 128, 128);
    const QColor white(255, 255, 255);
    struct Row {
        int x, y;
        QColor colour;
    };
    const Row rows[] = {
        { 6, 100, grey }, { 7, 100, white }, // left edges
        { 366, 100, grey }, { 367, 100, white }, // right edges
        { 200, 8, grey }, { 200, 9, white }, // top edges
        { 200, 149, grey }, { 200, 150, white }, // bottom edges
    };
    for (const Row& row : rows)
        EXPECT_EQ(image.pixelColor(row.x, row.y), row.colour) << row.x << "," << row.y;
}

TEST(CdWindowTexts, EnglishIsBuiltInOthersComeFromTheSection)
{
    app();
    FakeCdDevice device;
    test::TempFolder folder;
    IniFile file(folder / "ov_ita.ini");
    file.writeString("CD-Player", "Caption", "Lettore CD");
    file.writeString("CD-Player", "Button_Options", "&Opzioni");
    file.writeString("CD-Player", "Label_ContPlay", "Riproduzione continua");
    struct Row {
        const char* language;
        const char* caption;
        const char* options;
        const char* cancel;
        const char* continuous;
        const char* repeat;
        const char* track;
    };
    const Row rows[] = {
        { "ENGLISH", "CD-Player", "&Options", "&Cancel", "Co&ntinuous play", "&Repeat current selection",
            "Track:" },
        { "ITALIAN", "Lettore CD", "&Opzioni", "Error loading resource", "Riproduzione continua",
            "Error loading resource", "Error loading resource" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.language);
        TFormCdPlay window(device, file, row.language);
        EXPECT_EQ(window.windowTitle().toStdString(), row.caption);
        EXPECT_EQ(window.Button_Options->text().toStdString(), row.options);
        EXPECT_EQ(window.Button_Cancel->text().toStdString(), row.cancel);
        EXPECT_EQ(window.CheckBox_ContPlay->text().toStdString(), row.continuous);
        EXPECT_EQ(window.CheckBox_RepeatCurSel->text().toStdString(), row.repeat);
        EXPECT_EQ(window.Label_Track->text().toStdString(), row.track);
    }
}

// The window on a real image: play reaches the output and the display
// moves with what was heard; the end of the disc reports itself.
TEST(CdWindowImage, PlaysAnImageToItsEnd)
{
    app();
    test::TempFolder folder;
    const std::string script = std::string(OV_SOURCE_DIR) + "/tests/data/cd/make_cd_image.py";
    if (std::system(("python3 " + script + " " + folder.path() + " --sectors 80,100 >/dev/null 2>&1").c_str())
        != 0)
        GTEST_SKIP() << "python3 could not write the CD image";
    CdioDevice device(folder / "disc.cue", AudioOutput::Null);
    {
        IniFile language(folder / "ov_eng.ini");
        TFormCdPlay window(device, language, "ENGLISH");
        window.Timer1Timer();
        ASSERT_TRUE(window.TracksLoaded());
        window.MediaPlayer1Click(CdButton::Play);
        EXPECT_EQ(window.StatusPanel->text().toStdString(), " Playing");
        device.waitForEnd();
        // The end comes as a notification from the reader thread.
        for (int i = 0; i < 200 && window.StatusPanel->text() != QLatin1String(" Stopped"); ++i)
            QTest::qWait(10);
        EXPECT_EQ(window.StatusPanel->text().toStdString(), " Stopped");
        EXPECT_EQ(device.deliveredFrames(), 180u * CdSamplesPerSector);
        device.stop();
    }
    EXPECT_FALSE(device.OnModeChange);
}

} // namespace
} // namespace ov
