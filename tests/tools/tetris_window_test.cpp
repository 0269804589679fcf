// The Tetris window over its engine: texts, buttons, the set-up on the first
// show only, keys, painted cells, the game-over message and closing.
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "tools/tetris_script.h"
#include "tools/tetris_window.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_game_windows";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

const std::string languageDir = OV_LANGUAGE_DIR;

// The colour of a board cell's pixel at (dx, dy) inside the cell.
QRgb cellPixel(TTetro1& window, int row, int column, int dx = 6, int dy = 6)
{
    const int x = 14 * column - 9 - TTetro1::FrameLeft, y = 14 * row - 8 - TTetro1::FrameTop;
    return window.Board->Canvas().image().pixel(x + dx, y + dy) & 0xFFFFFF;
}

QRgb rgb(uint32_t colorValue)
{
    return colorToRgb(static_cast<int32_t>(colorValue));
}

class TetrisWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app();
        setPrompts(&prompts);
    }
    void TearDown() override { setPrompts(nullptr); }
    ScriptedPrompts prompts;
};

TEST_F(TetrisWindow, TextsAndButtonsAfterTheFirstShow)
{
    const IniFile language(languageDir + "/ov_rus.ini");
    TetrisPieceRng rng({ 0 });
    QPointer<TTetro1> window = new TTetro1(language, "RUSSIAN", &rng);
    window->show();
    EXPECT_EQ(window->SetUpCount, 1);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Тетрис"));
    EXPECT_EQ(window->BStart->text(), QString::fromUtf8("&Старт"));
    EXPECT_EQ(window->BPause->text(), QString::fromUtf8("&Пауза"));
    EXPECT_EQ(window->BExit->text(), QString::fromUtf8("&Выход"));
    EXPECT_EQ(window->LLevel->text(), QString::fromUtf8("Уровень"));
    EXPECT_EQ(window->LScore->text(), QString::fromUtf8("Счёт"));
    EXPECT_EQ(window->LLevelValue->text(), "1");
    EXPECT_EQ(window->LScoreValue->text(), "0");
    EXPECT_TRUE(window->BStart->isEnabled());
    EXPECT_FALSE(window->BPause->isEnabled());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 550);
    EXPECT_EQ(window->Board->geometry(), QRect(1, 2, 176, 330));
    for (const char* name :
        { "Board", "NextPiece", "BStart", "BPause", "BExit", "LLevel", "LScore", "Timer1" })
        EXPECT_NE(window->findChild<QObject*>(name), nullptr) << name;
    // The whole board was painted navy.
    EXPECT_EQ(cellPixel(*window, 1, 1), rgb(clNavy));
    EXPECT_EQ(cellPixel(*window, 23, 12, 13, 13), rgb(clNavy));

    window->BStartClick();
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_FALSE(window->BStart->isEnabled());
    EXPECT_TRUE(window->BPause->isEnabled());
    window->BPauseClick();
    EXPECT_FALSE(window->Timer1->isActive());
    window->BPauseClick();
    EXPECT_TRUE(window->Timer1->isActive());
    window->BExitClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(TetrisWindow, FocusChangesKeepTheGameAndKeysMoveThePiece)
{
    const IniFile language(languageDir + "/ov_eng.ini");
    TetrisPieceRng rng({ 0, 6 });
    TTetro1 window(language, "ENGLISH", &rng);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.BStartClick();
    window.Timer1Timer();
    window.Timer1Timer();
    // The T is in rows 2 and 3, in colour 1 (button face), outlined.
    const QRgb face = colorToRgb(systemColorValue(clBtnFace));
    EXPECT_EQ(cellPixel(window, 2, 7), face);
    EXPECT_EQ(cellPixel(window, 2, 7, 0, 6), rgb(clGray)); // left side
    EXPECT_EQ(cellPixel(window, 2, 7, 6, 13), rgb(clGray)); // bottom
    EXPECT_EQ(cellPixel(window, 2, 7, 13, 6), rgb(clWhite)); // right side
    EXPECT_EQ(cellPixel(window, 2, 7, 6, 0), rgb(clWhite)); // top
    EXPECT_EQ(cellPixel(window, 1, 7), rgb(clNavy));

    // Another window takes the focus and gives it back; the window is
    // minimised and restored: no new set-up.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&window);
    window.hide();
    window.show();
    EXPECT_EQ(window.SetUpCount, 1);
    EXPECT_TRUE(window.Game().Falling);
    EXPECT_EQ(window.Game().RowOffset, 1);

    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(window.Game().ColOffset, 4);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(window.Game().ColOffset, 6);
    QTest::keyClick(&window, Qt::Key_Up);
    EXPECT_EQ(window.Game().Rotation, 2);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(window.LScoreValue->text(), "5");
    EXPECT_EQ(cellPixel(window, 22, 8), face);
    // The preview shows the next piece (an O, colour 7).
    const QImage& preview = window.NextPiece->Canvas().image();
    EXPECT_EQ(preview.pixel(4, 4) & 0xFFFFFF, rgb(clYellow));
    EXPECT_EQ(preview.pixel(13, 13) & 0xFFFFFF, rgb(clYellow));
    EXPECT_EQ(preview.pixel(22, 4) & 0xFFFFFF, rgb(clNavy));

    // Paused: keys do nothing; Esc still closes.
    window.BPauseClick();
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(window.Game().ColOffset, 6);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    std::string empty;
    for (int row = 0; row < 23; ++row)
        empty += "............\n";
    EXPECT_EQ(window.Game().BoardText(), empty);
    EXPECT_EQ(window.LLevelValue->text(), "0");
    EXPECT_EQ(window.LScoreValue->text(), "0");
    EXPECT_TRUE(window.BStart->isEnabled());
    EXPECT_FALSE(window.BPause->isEnabled());
    EXPECT_EQ(cellPixel(window, 22, 8), rgb(clNavy));
}

TEST_F(TetrisWindow, GameOverMessageFollowsTheLanguage)
{
    struct Case {
        const char* file;
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        { "ov_eng.ini", "ENGLISH", "Ops! Game over!" },
        { "ov_rus.ini", "RUSSIAN", "Увы! Игра окончена!" },
        { "missing.ini", "POLISH", "Ops! Game over!" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const IniFile language(languageDir + "/" + row.file);
        TetrisPieceRng rng({ 0 });
        TTetro1 window(language, row.name, &rng);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        window.BStartClick();
        window.Game().Board[1][7] = 8;
        prompts.asked.clear();
        window.Timer1Timer();
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].text, row.text);
        EXPECT_FALSE(window.Timer1->isActive());
        EXPECT_TRUE(window.BStart->isEnabled());
        EXPECT_EQ(cellPixel(window, 2, 8), rgb(clNavy));
    }
}

} // namespace
} // namespace ov
