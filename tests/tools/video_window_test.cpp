// The video mode window over a scripted display: its controls and texts,
// the list filled once per activation with the first line selected, and
// Set with the keep question and the message shown.
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "platform/qt_prompts.h"
#include "shell/commands.h"
#include "tools/video_commands.h"
#include "tools/video_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_video_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

const std::string languageDir = OV_LANGUAGE_DIR;

class VideoWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app();
        setPrompts(&answers);
        for (int i = 0; i < 40; ++i)
            display.Modes.push_back({ 640 + 16 * i, 480 + 12 * i, 32, 60 });
        display.Current = display.Modes[5];
    }
    void TearDown() override { setPrompts(nullptr); }
    ScriptedPrompts answers;
    FakeDisplayModes display;
    IniFile english { languageDir + "/ov_eng.ini" };
};

TEST_F(VideoWindow, FortyModesFortyLinesFirstSelected)
{
    TFormVideo window(display, english, "ENGLISH");
    for (const char* name : { "Edit_Mode", "ListBox_Modes", "Button_Set", "Button_Cancel" })
        EXPECT_NE(window.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(window.windowTitle(), "Change video mode");
    EXPECT_EQ(window.Button_Set->text(), "&Set mode");
    EXPECT_TRUE(window.Button_Set->isDefault());
    EXPECT_TRUE(window.Edit_Mode->isReadOnly());
    window.show();
    for (int activation = 0; activation < 2; ++activation) {
        if (activation)
            window.FormActivate();
        EXPECT_EQ(window.ListBox_Modes->count(), 40);
        EXPECT_EQ(window.ListBox_Modes->currentRow(), 0);
        EXPECT_EQ(window.ListBox_Modes->item(0)->text(), "640 x 480, 32 bits");
        EXPECT_EQ(window.Edit_Mode->text(), "720 x 540, 32 bits");
    }
    window.hide();
}

TEST_F(VideoWindow, SetAsksAndShowsTheMessage)
{
    TFormVideo window(display, english, "ENGLISH");
    window.FormActivate();
    // Kept: the question, then "The mode is established!".
    window.ListBox_Modes->setCurrentRow(2);
    answers.answers = { Answer::Yes };
    window.Button_SetClick();
    ASSERT_EQ(answers.asked.size(), 2u);
    EXPECT_EQ(answers.asked[0].text, "Keep this display mode?");
    EXPECT_EQ(answers.asked[1].text, "The mode is established!");
    EXPECT_EQ(window.Edit_Mode->text(), "672 x 504, 32 bits");
    // Not answered: back, and no message.
    window.ListBox_Modes->setCurrentRow(9);
    window.Button_SetClick();
    EXPECT_EQ(answers.asked.size(), 3u);
    EXPECT_EQ(display.Current, display.Modes[2]);
    EXPECT_EQ(window.Edit_Mode->text(), "672 x 504, 32 bits");
    // An empty list (no display): Set cannot set this mode.
    FakeDisplayModes none;
    TFormVideo empty(none, english, "ENGLISH");
    empty.FormActivate();
    EXPECT_EQ(empty.ListBox_Modes->count(), 0);
    empty.Button_SetClick();
    EXPECT_EQ(answers.asked.back().text, "Cannot set this mode");
}

TEST_F(VideoWindow, LanguageTextsAndRegistration)
{
    const IniFile russian(languageDir + "/ov_rus.ini");
    TFormVideo window(display, russian, "RUSSIAN");
    EXPECT_EQ(window.windowTitle().toStdString(), "Смена видеорежима");
    EXPECT_EQ(window.Button_Set->text().toStdString(), "&Установить");
    EXPECT_EQ(window.Modes().KeepQuestion, "Оставить этот видеорежим?");
    registerVideoCommands();
    EXPECT_NE(CommandRegistry::instance().find("VideoMode"), nullptr);
    CommandRegistry::instance().clear();
}

// The Qt question counts down on its safe (default) button and answers
// itself when the time is up; a click before that is the answer.
TEST(TimedQuestion, CountsDownAndAnswersItself)
{
    app();
    QtPrompts prompts;
    const Question question { "Keep this display mode?", "Change video mode", Buttons::YesNo,
        Icon::Question };
    std::vector<QString> labels;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (labels.empty() || labels.back() != box->defaultButton()->text())
                labels.push_back(box->defaultButton()->text());
    });
    watch.start(50);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(prompts.askTimed(question, 2), Answer::None);
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_LT(clock.elapsed(), 6000);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "&No (2)");
    EXPECT_EQ(labels.back(), "&No (1)");

    // Yes pressed while it counts.
    QTimer::singleShot(300, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    clock.restart();
    EXPECT_EQ(prompts.askTimed(question, 15), Answer::Yes);
    EXPECT_LT(clock.elapsed(), 5000);
}

} // namespace
} // namespace ov
