// The Life window over its engine: texts, menu shortcuts and enabled state,
// the timer, the caption, clicks on the grid and the cells it paints.
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/ini_file.h"
#include "tools/life_window.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_life_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

class FixedRng : public Rng {
public:
    int value = 99;
    int next(int) override { return value; }
};

const std::string languageDir = OV_LANGUAGE_DIR;

QRgb cellPixel(TFormLife& window, int row, int column)
{
    return window.DrawGrid1->Canvas().image().pixel(column * 8 + 3, row * 8 + 3) & 0xFFFFFF;
}

TEST(LifeWindow, TextsShortcutsAndStartingState)
{
    app();
    const IniFile language(languageDir + "/ov_rus.ini");
    TFormLife window(language);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Жизнь"));
    EXPECT_EQ(window.Game().StepWord, "Шаг");
    struct Entry {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    const Entry entries[] = {
        { "Generate1", "&Случайно", QKeySequence("Ctrl+G") },
        { "Run1", "&Пуск", QKeySequence("Ctrl+R") },
        { "Stop1", "&Стоп", QKeySequence("Ctrl+S") },
        { "Clear1", "&Очистить", QKeySequence() },
        { "OneStep1", "&Один шаг", QKeySequence("Ctrl+P") },
        { "ResetSteps1", "Сбросить &шаги", QKeySequence() },
        { "Exit1", "&Выход", QKeySequence() },
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        auto* action = window.findChild<QAction*>(entry.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(entry.caption));
        EXPECT_EQ(action->shortcut(), entry.shortcut);
    }
    EXPECT_TRUE(window.Run1->isEnabled());
    EXPECT_FALSE(window.Stop1->isEnabled());
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.Timer1->interval(), 200);
    EXPECT_EQ(window.DrawGrid1->objectName(), "DrawGrid1");
    EXPECT_EQ(window.DrawGrid1->size(), QSize(384, 384));
    EXPECT_EQ(window.Game().Current.population(), 0u);

    // A missing file gives the fallback texts.
    TFormLife bare(IniFile(languageDir + "/missing.ini"));
    EXPECT_EQ(bare.windowTitle(), "Error loading resource");
    EXPECT_EQ(bare.Game().StepWord, "Error loading resource");
}

TEST(LifeWindow, RunStopStepAndCaption)
{
    app();
    const IniFile language(languageDir + "/ov_eng.ini");
    TFormLife window(language);
    window.Run1Click();
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_FALSE(window.Run1->isEnabled());
    EXPECT_TRUE(window.Stop1->isEnabled());
    window.Timer1Timer();
    window.Timer1Timer();
    EXPECT_EQ(window.windowTitle(), "Step - 2");
    window.OneStep1Click();
    EXPECT_EQ(window.windowTitle(), "Step - 3");
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_TRUE(window.Run1->isEnabled());
    EXPECT_FALSE(window.Stop1->isEnabled());
    window.ResetSteps1Click();
    EXPECT_EQ(window.windowTitle(), "");
    window.Run1Click();
    window.Clear1Click();
    EXPECT_FALSE(window.Timer1->isActive());
    // Ctrl+P reaches One Step through the menu's shortcut.
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(window.windowTitle(), "Step - 1");
}

TEST(LifeWindow, ClicksToggleCellsAndOnlyChangedCellsArePainted)
{
    app();
    const IniFile language(languageDir + "/ov_eng.ini");
    FixedRng rng;
    TFormLife window(language, &rng);
    const QRgb face = colorToRgb(systemColorValue(clBtnFace));
    const QRgb grey = 0x808080;
    EXPECT_EQ(cellPixel(window, 10, 10), face);

    // A press and release on one cell toggles it; on two cells nothing.
    for (int c = 10; c < 13; ++c)
        QTest::mouseClick(window.DrawGrid1, Qt::LeftButton, {}, QPoint(c * 8 + 4, 10 * 8 + 4));
    QTest::mousePress(window.DrawGrid1, Qt::LeftButton, {}, QPoint(30 * 8 + 4, 30 * 8 + 4));
    QTest::mouseRelease(window.DrawGrid1, Qt::LeftButton, {}, QPoint(31 * 8 + 4, 30 * 8 + 4));
    EXPECT_EQ(window.Game().Current.population(), 3u);
    EXPECT_EQ(cellPixel(window, 10, 11), grey);

    window.DrawGrid1->PaintedCells = 0;
    window.OneStep1Click();
    EXPECT_EQ(window.DrawGrid1->PaintedCells, 4);
    EXPECT_EQ(cellPixel(window, 9, 11), grey);
    EXPECT_EQ(cellPixel(window, 10, 10), face);
    // The last pixel row and column of a cell stay background.
    EXPECT_EQ(window.DrawGrid1->Canvas().image().pixel(11 * 8 + 7, 9 * 8 + 3) & 0xFFFFFF, face);

    // Generate with every draw below 25: all alive, every cell painted.
    rng.value = 3;
    window.DrawGrid1->PaintedCells = 0;
    window.Generate1Click();
    EXPECT_EQ(window.DrawGrid1->PaintedCells, 48 * 48);
    EXPECT_EQ(window.Game().Current.population(), 48u * 48u);
    EXPECT_EQ(cellPixel(window, 47, 47), grey);
    EXPECT_EQ(window.windowTitle(), "Step - 1");
}

} // namespace
} // namespace ov
