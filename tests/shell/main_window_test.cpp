#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/ini_file.h"
#include "shell/main_layout.h"
#include "shell/main_window.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

using namespace ov;

TEST(MainLayout, ClampsPanelsAndSharesTheFunctionKeys)
{
    MainLayoutInput in;
    in.clientWidth = 632;
    in.outerWidth = 640;
    in.panel3Height = 56;
    in.panelDownTop = 300;
    in.hotKeyBoxWidth = 100;
    struct Row {
        double ratio;
        int leftWidth;
        int rightWidth;
    } rows[] = {
        { 0.5, 313, 640 - 313 - 7 - 10 },
        { 0.01, 37, 640 - 37 - 7 - 10 }, // dragged to the far left: 40 - 3 on screen
        { 0.99, 589, 640 - 589 - 7 - 10 }, // and to the far right
    };
    for (const Row& row : rows) {
        in.splitRatio = row.ratio;
        const MainLayout out = computeMainLayout(in);
        EXPECT_EQ(out.leftPanel.width, row.leftWidth) << row.ratio;
        EXPECT_EQ(out.rightPanel.width, row.rightWidth) << row.ratio;
        EXPECT_EQ(out.leftPanel.top, 59);
        EXPECT_EQ(out.leftPanel.height, 300 - 59 - 1);
        EXPECT_EQ(out.rightPanel.left, 1 + row.leftWidth + 7);
        EXPECT_EQ(out.gap.left, out.leftPanel.right());
    }
    // A narrow window: (B - 16) div 7 each, F8 takes the rest.
    struct KeyRow {
        int outerWidth;
        int keyWidth;
        int f8Width;
    } keys[] = { { 300, 39, 292 - (2 + 6 * 41) - 2 }, { 640, 88, 632 - (2 + 6 * 90) - 2 } };
    for (const KeyRow& row : keys) {
        in.outerWidth = row.outerWidth;
        in.hotKeyBoxWidth = 10;
        const MainLayout out = computeMainLayout(in);
        EXPECT_EQ(out.hotKeyBoxWidth, row.outerWidth - 8);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(out.functionKeyWidth[i], row.keyWidth);
        EXPECT_EQ(out.functionKeyWidth[6], row.f8Width);
        EXPECT_EQ(out.functionKeyLeft[6] + out.functionKeyWidth[6] + 2, out.hotKeyBoxWidth);
    }
    // The row follows the window both ways: a box wider than the window
    // (the window made narrower) shrinks with it.
    in.outerWidth = 400;
    in.hotKeyBoxWidth = 1200;
    const MainLayout narrower = computeMainLayout(in);
    EXPECT_EQ(narrower.hotKeyBoxWidth, 392);
    EXPECT_EQ(narrower.functionKeyLeft[6] + narrower.functionKeyWidth[6] + 2, 392);
    // Hidden bars: Panel3 collapses and the panels move up to the menu.
    in.panel3Height = 0;
    EXPECT_EQ(computeMainLayout(in).leftPanel.top, 3);
}

TEST(MainLayout, StoredWindowsAreKeptOnTheScreens)
{
    const std::vector<Rect> one = { { 0, 0, 1024, 740 } };
    const std::vector<Rect> two = { { 0, 0, 1024, 740 }, { 1024, 0, 1280, 1000 } };
    struct Row {
        const char* name;
        Rect wanted;
        const std::vector<Rect>* screens;
        Rect expected;
    } rows[] = {
        { "fits: unchanged", { 170, 39, 446, 337 }, &one, { 170, 39, 446, 337 } },
        { "huge: the screen's size", { 0, 0, 100000, 100000 }, &one, { 0, 0, 1024, 740 } },
        { "off to the upper left", { -5000, -3000, 640, 453 }, &one, { -540, 0, 640, 453 } },
        { "off to the lower right", { 3000, 2000, 640, 453 }, &one, { 924, 710, 640, 453 } },
        { "partly off but 100 pixels and the title show", { -500, 20, 640, 453 }, &one,
            { -500, 20, 640, 453 } },
        { "on the second screen stays there", { 1500, 100, 800, 600 }, &two, { 1500, 100, 800, 600 } },
        { "sized by the screen it is on", { 1100, 0, 5000, 5000 }, &two, { 1100, 0, 1280, 1000 } },
        { "the second screen unplugged", { 1500, 100, 800, 600 }, &one, { 924, 100, 800, 600 } },
    };
    for (const Row& row : rows) {
        const Rect out = fitWindowToScreens(row.wanted, *row.screens);
        EXPECT_EQ(std::tie(out.left, out.top, out.width, out.height),
            std::tie(row.expected.left, row.expected.top, row.expected.width, row.expected.height))
            << row.name;
    }
    EXPECT_EQ(fitWindowToScreens({ 5, 6, 7, 8 }, {}).left, 5);
}

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        // The program folder holds the shipped English language file.
        std::filesystem::copy_file(OV_LANGUAGE_DIR "/ov_eng.ini", home / "ov_eng.ini");
        DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
        drive.folder("alpha");
        drive.folder("beta/inner");
        setPrompts(&prompts);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
    }
    test::TempFolder home;
    test::TempFolder drive;
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(MainWindowTest, FirstStartWithoutIni)
{
    TForm1 form;
    EXPECT_EQ(form.ActiveSide, "Left");
    EXPECT_TRUE(form.LeftPanel()->IsActive);
    EXPECT_FALSE(form.RightPanel()->IsActive);
    EXPECT_EQ(form.LeftPanel()->Settings.ViewMode, ViewMode::Brief);
    EXPECT_EQ(form.RightPanel()->Settings.ViewMode, ViewMode::Full);
    EXPECT_EQ(form.LeftPanel()->Browser.CurrentFolder(), "c:\\");
    EXPECT_EQ(form.RightPanel()->Browser.NameAt(1), "alpha");
    EXPECT_EQ(form.windowTitle(), "Orvanta v1.11");
    EXPECT_EQ(form.pos(), QPoint(170, 39));
    for (const char* name :
        { "MainMenu1", "Panel3", "ToolBar", "RBut", "Panel_Down", "Panel_Dos", "ComRead", "ComLine",
            "HotKeyBox", "F2", "F8", "StatusBar1", "Label1", "Label2", "b_cont", "b_stop", "PosBar", "VolBar",
            "PanelSearch", "Edit1", "Button1", "ComList", "TimerMain", "Timer3", "Left", "Right" })
        EXPECT_NE(form.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(form.findChild<QPushButton*>("F6")->text(), "6-Ren/Move");
}

TEST_F(MainWindowTest, TabSwitchesPanelsAndThePromptFollows)
{
    std::ofstream(home / "ov.ini") << "[Panel_Right]\nPath=c:\\beta\\\n[Panel_Left]\nPath=c:\\alpha\n";
    TForm1 form;
    form.show();
    auto* prompt = form.findChild<QLabel*>("ComRead");
    EXPECT_EQ(prompt->text(), "C:\\alpha\\");
    EXPECT_EQ(form.RightPanel()->Browser.CurrentFolder(), "c:\\beta\\");
    form.ChangePanel();
    EXPECT_EQ(form.ActiveSide, "Right");
    EXPECT_EQ(prompt->text(), "C:\\beta\\");
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(form.ActiveSide, "Left");
    EXPECT_EQ(prompt->text(), "C:\\alpha\\");
    form.MainSettings.AutoSave = false;
}

TEST_F(MainWindowTest, ClosingAsksWhenConfirmExitIsOnAndSavesWithAutoSave)
{
    std::ofstream(home / "ov.ini") << "[Confirm]\nExit=1\n";
    TForm1 form;
    form.show();
    prompts.answers = { Answer::No, Answer::Yes };
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.close());
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNo);
    IniFile saved(home / "ov.ini");
    EXPECT_EQ(saved.readString("Global", "ProgName", ""), "Orvanta");
    EXPECT_EQ(saved.readString("Panel_Left", "Path", ""), "c:\\");
    EXPECT_TRUE(saved.readBool("Confirm", "Exit", false));
}

TEST_F(MainWindowTest, StoredGeometryIsKeptOnTheScreenAndTheStatusBarShowsAtOnce)
{
    std::ofstream(home / "ov.ini") << "[MainForm]\nLeft=-5000\nTop=-5000\nWidth=100000\nHeight=100000\n";
    TForm1 form;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(form.width() + 8, screen.width());
    EXPECT_LE(form.height() + 46, screen.height());
    // Its title strip and 100 pixels of it on the screen.
    EXPECT_GE(form.y(), screen.top());
    EXPECT_GE(form.x() + form.width() + 8 - screen.left(), 100);
    // The first layout, before the window shows, leaves room for the status bar.
    const QWidget* status = form.findChild<QWidget*>("StatusBar1");
    const QWidget* down = form.findChild<QWidget*>("Panel_Down");
    EXPECT_EQ(status->y(), form.centralWidget()->height() - 19);
    EXPECT_EQ(down->y() + down->height(), status->y());
    form.MainSettings.AutoSave = false;
}

TEST_F(MainWindowTest, SplitterKeepsTheDraggedRatioAndRightClickHalves)
{
    TForm1 form;
    form.resize(640, 400);
    form.show();
    QWidget* client = form.centralWidget();
    const int y = form.LeftPanel()->y() + 20;
    QTest::mousePress(client, Qt::LeftButton, {}, QPoint(100, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(12, y), client->mapToGlobal(QPointF(12, y)), Qt::NoButton,
        Qt::LeftButton, {});
    QApplication::sendEvent(client, &move);
    QTest::mouseRelease(client, Qt::LeftButton, {}, QPoint(12, y));
    EXPECT_DOUBLE_EQ(form.SplitRatio, 12.0 / client->width());
    EXPECT_EQ(form.LeftPanel()->width(), 37);
    QTest::mousePress(client, Qt::RightButton, {}, QPoint(200, y));
    EXPECT_DOUBLE_EQ(form.SplitRatio, 0.5);
    form.MainSettings.AutoSave = false;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
