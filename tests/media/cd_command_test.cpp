// The CD player from the real main window (offscreen, null output): Ctrl+4
// opens it modally over the image named by ORVANTA_CD_DEVICE with the
// display timer running; the track table loads, play is taken, Esc closes
// the window and the sound stops with it.
#include "media/cd_commands.h"
#include "media/cd_window.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_cd_command";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

TEST(CdCommand, CtrlFourPlaysTheImageOfTheEnvironment)
{
    app();
    test::TempFolder home, drive, data, images;
    const std::string script = std::string(OV_SOURCE_DIR) + "/tests/data/cd/make_cd_image.py";
    if (std::system(("python3 " + script + " " + images.path() + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "python3 could not write the CD image";
    ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    ::setenv("ORVANTA_CD_DEVICE", (images / "disc.cue").c_str(), 1);
    for (const char* file : { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini" })
        std::filesystem::copy_file(std::string(OV_LANGUAGE_DIR) + "/" + file, home / file);
    DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    CommandRegistry::instance().clear();
    registerCdCommands();

    struct Seen {
        bool opened = false;
        bool ticking = false;
        bool loaded = false, requested = false;
        std::string caption, stopped;
        bool closed = false;
    } seen;
    {
        TForm1 form;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTimer::singleShot(50, &form, [&seen] {
            auto* window = dynamic_cast<TFormCdPlay*>(QApplication::activeModalWidget());
            if (!window)
                return;
            seen.opened = true;
            seen.ticking = window->Timer1->isActive();
            seen.caption = window->windowTitle().toStdString();
            window->Timer1Timer();
            seen.stopped = window->StatusPanel->text().toStdString();
            seen.loaded = window->TracksLoaded();
            // The null output takes the sound at once: the play may have
            // ended by the time anyone looks.
            QTest::mouseClick(window->btPlay, Qt::LeftButton);
            seen.requested = window->PlayRequested();
            QTest::keyClick(window, Qt::Key_Escape);
            seen.closed = !window->isVisible();
        });
        QTest::keyClick(&form, Qt::Key_4, Qt::ControlModifier);
        // Without an answer above the modal window stays: close it so the
        // test fails instead of hanging.
        if (!seen.opened)
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
    }
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(seen.ticking);
    EXPECT_EQ(seen.caption, "CD-Player");
    EXPECT_EQ(seen.stopped, " Stopped");
    EXPECT_TRUE(seen.loaded);
    EXPECT_TRUE(seen.requested);
    EXPECT_TRUE(seen.closed);

    CommandRegistry::instance().clear();
    setPrompts(nullptr);
    DriveTable::instance().reset();
    ::unsetenv("ORVANTA_CD_DEVICE");
    ::unsetenv("ORVANTA_HOME");
    ::unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace ov
