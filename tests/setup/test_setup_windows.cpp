// The installer's windows under the offscreen platform, with scripted
// prompts and a recording launcher: Enter and Esc by state, the readme
// title, the picker's Cyrillic "&ОК", the folder step's failures giving the
// controls back, the foreign folder question, and the check box deciding
// whether ov is started in the installed folder.
#include "setup/folder_form.h"
#include "setup/installer.h"
#include "setup/setup_form.h"
#include "tests/setup/setup_support.h"

#include "platform/dialogs.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>

namespace ov::test {
namespace {

using setup::TForm1;
using ::testing::HasSubstr;

const auto* const home = ::testing::AddGlobalTestEnvironment(new SetupHome);

QApplication& application()
{
    static int argc = 1;
    static char name[] = "test_setup_windows";
    static char* argv[] = { name, nullptr };
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class SetupWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        OV_NEED_TOOL("python3");
        makeZip(m_root / "data.res",
            { { "ov", "#!/bin/sh\nexit 0\n", 0100755 }, { "readme.txt", "read me\n" },
                { "ov_news", "#!/bin/sh\nexit 0\n", 0100755 } });
        setPrompts(&m_prompts);
        setLauncher(&m_launcher);
        m_form = std::make_unique<TForm1>(m_root / "data.res");
        m_form->show();
    }
    void TearDown() override
    {
        m_form.reset();
        setPrompts(nullptr);
        setLauncher(nullptr);
    }
    // A key pressed on the focused control (the window sees it first).
    void press(Qt::Key key)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_form.get(), key);
    }
    bool folderControlsEnabled() const
    {
        return m_form->InstallButton->isEnabled() && m_form->FolderEdit->isEnabled()
            && m_form->BrowseButton->isEnabled() && m_form->FolderCancelButton->isEnabled()
            && m_form->ExitButton->isEnabled();
    }

    TempFolder m_root;
    ScriptedPrompts m_prompts;
    RecordingLauncher m_launcher;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(SetupWindow, EnterWalksThePagesAndStartsOvInTheTarget)
{
    EXPECT_EQ(m_form->windowTitle(), "Orvanta v1.11");
    EXPECT_EQ(m_form->size(), QSize(359, 268));
    EXPECT_EQ(m_form->State, 1);
    EXPECT_TRUE(m_form->WelcomeText->isVisible());
    press(Qt::Key_Return);
    EXPECT_EQ(m_form->State, 2);
    EXPECT_TRUE(m_form->FolderEdit->isVisible());
    EXPECT_FALSE(m_form->WelcomeText->isVisible());
    EXPECT_EQ(m_form->InstallButton->text(), "&Install");
    EXPECT_EQ(m_form->ExitButton->text(), "&Exit");
    EXPECT_EQ(m_form->WarningLabel->text(),
        "Please quit all running copies of Orvanta\n        before continuing with this instalation");

    const std::string target = m_root / "with space";
    m_form->FolderEdit->setText(QString::fromStdString(target));
    press(Qt::Key_Return);
    ASSERT_EQ(m_form->State, 1000) << (m_prompts.asked.empty() ? "" : m_prompts.asked.back().text);
    EXPECT_TRUE(fs::exists(target + "/ov"));
    EXPECT_EQ(m_form->Gauge->value(), 100);
    EXPECT_TRUE(m_form->FinishedText->isVisible());
    EXPECT_EQ(
        m_form->FinishedText->text(), "Installation finnished successfully. \n  Now you can run Orvanta.");
    EXPECT_TRUE(m_form->RunCheckBox->isChecked());
    EXPECT_EQ(recordedInstallPath(), target);

    press(Qt::Key_Return);
    ASSERT_EQ(m_launcher.calls.size(), 1u);
    EXPECT_EQ(m_launcher.calls[0].kind, "start");
    EXPECT_EQ(m_launcher.calls[0].argv, std::vector<std::string>({ target + "/ov" }));
    EXPECT_EQ(m_launcher.calls[0].workingFolder, target);
    EXPECT_FALSE(m_form->isVisible());

    // The next run offers the recorded folder.
    TForm1 again(m_root / "data.res");
    again.NextButtonClick();
    EXPECT_EQ(again.FolderEdit->text().toStdString(), target);
}

TEST_F(SetupWindow, ClearedCheckBoxStartsNothing)
{
    m_form->NextButtonClick();
    m_form->FolderEdit->setText(QString::fromStdString(m_root / "target"));
    m_form->InstallButtonClick();
    ASSERT_EQ(m_form->State, 1000);
    QTest::mouseClick(m_form->RunCheckBox, Qt::LeftButton);
    EXPECT_FALSE(m_form->RunCheckBox->isChecked());
    m_form->OkButtonClick();
    EXPECT_TRUE(m_launcher.calls.empty());
    EXPECT_FALSE(m_form->isVisible());
}

TEST_F(SetupWindow, EscEndsTheProgramOnEveryPage)
{
    for (int page : { 1, 2, 1000 }) {
        SCOPED_TRACE(page);
        TForm1 form(m_root / "data.res");
        form.show();
        if (page >= 2)
            form.NextButtonClick();
        if (page == 1000) {
            form.FolderEdit->setText(QString::fromStdString(m_root / "esc"));
            form.InstallButtonClick();
        }
        ASSERT_EQ(form.State, page);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_TRUE(m_launcher.calls.empty());
}

TEST_F(SetupWindow, ReadmePageAndPicker)
{
    m_form->ReadmeButtonClick();
    EXPECT_EQ(m_form->Label1->text(), "               Readme");
    EXPECT_TRUE(m_form->ReadmeText->isVisible());
    EXPECT_FALSE(m_form->NextButton->isVisible());
    press(Qt::Key_Return);
    EXPECT_EQ(m_form->Label1->text(), "Installation Orvanta");
    EXPECT_TRUE(m_form->NextButton->isVisible());
    EXPECT_EQ(m_form->State, 1);

    setup::TForm2 picker;
    EXPECT_EQ(picker.windowTitle(), "Please select a folder");
    EXPECT_EQ(picker.Button1->text(), QString::fromUtf8("&\u041E\u041A"));
    EXPECT_EQ(picker.Button1->text().toUtf8().toStdString(), "&\xD0\x9E\xD0\x9A");
    EXPECT_EQ(picker.Button2->text(), "&Cancel");
    picker.selectFolder(m_root.path());
    picker.Button1Click();
    EXPECT_EQ(picker.Folder, m_root.path());
}

// A failure at the folder step shows its message and gives the controls
// back; a foreign folder is asked about, and No writes nothing.
TEST_F(SetupWindow, FolderStepFailuresGiveTheControlsBack)
{
    m_form->NextButtonClick();
    const std::string foreign = m_root.write("foreign/letter.txt", "mine");
    struct Row {
        const char* name;
        std::string target;
        const char* message;
    };
    const Row rows[] = {
        { "empty", "", "enter the folder" },
        { "relative", "relative", "absolute" },
        { "a file", m_root / "data.res", "not a folder" },
        { "missing parent", m_root / "missing/orvanta", "does not exist" },
    };
    const Tree before = snapshot(m_root.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_prompts.asked.clear();
        m_form->FolderEdit->setText(QString::fromStdString(row.target));
        m_form->InstallButtonClick();
        EXPECT_EQ(m_form->State, 2);
        ASSERT_EQ(m_prompts.asked.size(), 1u);
        EXPECT_THAT(m_prompts.asked[0].text, HasSubstr(row.message));
        EXPECT_TRUE(folderControlsEnabled());
        EXPECT_FALSE(m_form->Gauge->isVisible());
    }
    m_prompts.asked.clear();
    m_prompts.answers = { Answer::No };
    m_form->FolderEdit->setText(QString::fromStdString(fs::path(foreign).parent_path()));
    m_form->InstallButtonClick();
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].buttons, Buttons::YesNo);
    EXPECT_EQ(m_form->State, 2);
    EXPECT_TRUE(folderControlsEnabled());
    EXPECT_EQ(snapshot(m_root.path()), before);

    // A damaged payload: the error names it, nothing is written.
    std::ofstream(m_root / "data.res", std::ios::binary) << "not a zip at all";
    const Tree damaged = snapshot(m_root.path());
    m_prompts.asked.clear();
    m_form->FolderEdit->setText(QString::fromStdString(m_root / "target"));
    m_form->InstallButtonClick();
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_THAT(m_prompts.asked[0].text, HasSubstr("data.res"));
    EXPECT_TRUE(folderControlsEnabled());
    EXPECT_EQ(snapshot(m_root.path()), damaged);
}

} // namespace
} // namespace ov::test
