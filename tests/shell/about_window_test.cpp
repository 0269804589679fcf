// The About box offscreen: keys that close it, links through a recording
// launcher, an empty address, the build facts, the drag by the picture, and
// the "About" command.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "shell/about_window.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/user_menu_commands.h"
#include "tests/support/temp_folder.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ov;

namespace {

class AboutWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        setPrompts(&prompts);
        setLauncher(&launched);
    }
    void TearDown() override
    {
        setLauncher(nullptr);
        setPrompts(nullptr);
    }
    QPoint centreOf(TAboutForm& window, const char* name)
    {
        auto* found = window.findChild<QLabel*>(name);
        return found ? found->geometry().center() : QPoint();
    }

    IniFile language = IniFile::fromText("[MainMenu]\nOV_About=O programmie\n");
    AboutFacts facts { "0.1", "abc1234", "2026-12-10", "help@orvanta.test", "http://orvanta.test/" };
    ScriptedPrompts prompts;
    RecordingLauncher launched;
};

} // namespace

TEST_F(AboutWindowTest, KeysClose)
{
    for (const auto key : { Qt::Key_Escape, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter }) {
        TAboutForm window(language, "ENGLISH", facts);
        window.show();
        QTest::keyClick(&window, key);
        EXPECT_FALSE(window.isVisible()) << key;
    }
    TAboutForm window(language, "ENGLISH", facts);
    window.show();
    QTest::keyClick(&window, Qt::Key_A);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(AboutWindowTest, LooksAndBuildFacts)
{
    TAboutForm window(language, "ENGLISH", facts);
    window.show();
    EXPECT_EQ(window.size(), QSize(441, 283));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window.windowTitle(), "About program");
    EXPECT_EQ(window.findChild<QWidget*>("Bevel2")->geometry(), QRect(8, 8, 425, 265));
    auto* title = window.findChild<QLabel*>("Panel1");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "About Orvanta");
    EXPECT_EQ(title->font().pixelSize(), 32);
    EXPECT_TRUE(title->font().bold() && title->font().italic());
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), "Orvanta v1.11");
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(0x95, 0x95, 0xFF)); // 16749973 as 0x00BBGGRR
    EXPECT_NE(window.MemoText().find("version 0.1, revision abc1234, built 2026-12-10"), std::string::npos);
    EXPECT_EQ(TAboutForm(language, "POLISH", facts).windowTitle(), "O programmie");

    // This build's facts come from the build system.
    const AboutFacts built = AboutFacts::ofThisBuild();
    EXPECT_FALSE(built.version.empty());
    EXPECT_FALSE(built.date.empty());
}

TEST_F(AboutWindowTest, LinksOpenThroughTheLauncherAndEmptyOnesDoNothing)
{
    {
        TAboutForm window(language, "ENGLISH", facts);
        window.show();
        QTest::mouseClick(&window, Qt::LeftButton, {}, centreOf(window, "LabelEMail"));
        QTest::mouseClick(&window, Qt::LeftButton, {}, centreOf(window, "LabelHomePage"));
        EXPECT_TRUE(window.findChild<QLabel*>("LabelEMail")->font().underline());
    }
    ASSERT_EQ(launched.calls.size(), 2u);
    EXPECT_EQ(launched.calls[0].kind, "open");
    EXPECT_EQ(launched.calls[0].argv, (std::vector<std::string> { "mailto:help@orvanta.test" }));
    EXPECT_EQ(launched.calls[1].argv, (std::vector<std::string> { "http://orvanta.test/" }));
    EXPECT_TRUE(prompts.asked.empty());

    // A failing open is reported; an empty address is a label without a link.
    launched.result = false;
    facts.homePage.clear();
    TAboutForm window(language, "ENGLISH", facts);
    window.show();
    window.LabelEMailClick();
    window.LabelHomePageClick();
    EXPECT_EQ(launched.calls.size(), 3u);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_NE(prompts.asked[0].text.find("recorded failure"), std::string::npos);
    EXPECT_FALSE(window.findChild<QLabel*>("LabelHomePage")->font().underline());
    EXPECT_EQ(window.findChild<QLabel*>("Label3")->text(), "Homepage:");
}

TEST_F(AboutWindowTest, DragByThePictureMovesTheWindow)
{
    TAboutForm window(language, "ENGLISH", facts);
    window.show();
    window.move(100, 100);
    const QPoint before = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(4, 4));
    QMouseEvent moved(QEvent::MouseMove, QPointF(34, 24), window.mapToGlobal(QPointF(34, 24)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &moved);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(34, 24));
    EXPECT_EQ(window.pos(), before + QPoint(30, 20));
}

TEST_F(AboutWindowTest, AboutCommandRunsTheBox)
{
    test::TempFolder home, drive;
    ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
    DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
    CommandRegistry::instance().clear();
    registerShellWindowCommands();
    int shown = 0;
    TAboutForm::ModalRunner = [&shown](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "AboutForm");
        ++shown;
        return 0;
    };
    {
        TForm1 form;
        form.MainSettings.AutoSave = false;
        form.RunCommand("About");
    }
    TAboutForm::ModalRunner = nullptr;
    CommandRegistry::instance().clear();
    DriveTable::instance().reset();
    ::unsetenv("ORVANTA_HOME");
    EXPECT_EQ(shown, 1);
}
