// The drive bars on screen: the painted buttons and their raised frame, the
// hint box and the not-ready flow with a drive that never answers, a press
// that opens a drive in the bar's own panel, the bar switches' layout, and
// the pictures of both bars.
#include "panel/drive_facts.h"
#include "panel/fpanel.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/fonts.h"
#include "shell/drive_bar.h"
#include "shell/main_window.h"
#include "shell/tool_bar.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

using namespace ov;

namespace {

constexpr QRgb Face = 0xC0C0C0;
constexpr QRgb Light = 0xFFFFFF;
constexpr QRgb Shadow = 0x808080;

QRgb pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// A question that does not come back until the test ends.
struct Gate {
    std::mutex mutex;
    std::condition_variable open;
    bool released = false;
    void wait()
    {
        std::unique_lock lock(mutex);
        open.wait(lock, [&] { return released; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            released = true;
        }
        open.notify_all();
    }
};

// Drives c (fixed, "SYSTEM"), d (CD-ROM, no disc) and n (a network drive
// that never answers), asked through a seam.
class DriveBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        DriveQuestions questions;
        questions.remote = [](char letter) { return letter == 'n'; };
        questions.ready = [gate = gate](char letter) {
            if (letter == 'n')
                gate->wait();
            return letter == 'c';
        };
        questions.label = [gate = gate](char letter) {
            if (letter == 'n')
                gate->wait();
            return std::string(letter == 'c' ? "SYSTEM" : "");
        };
        facts = std::make_unique<DriveFactsCache>(questions);
        host.move(100, 50);
        host.resize(400, 200);
        bar = new TMyToolBar(&host);
        hint = new QLabel(&host);
        hint->setAutoFillBackground(true);
        hint->setGeometry(0, 0, 60, 18);
        hint->hide();
        label3 = new QLabel(&host);
        label3->setFont(makeFont("Arial", 8, false));
        label3->hide();
        topPanel = new QWidget(&host);
        topPanel->setGeometry(1, 62, 100, 100);
        right = new TMyToolBar(&host);
        CreateHotDrives(*bar, *right,
            { { 'c', "/c", DriveType::Fixed }, { 'd', "/d", DriveType::CdRom },
                { 'n', "/n", DriveType::Remote } },
            200, 29);
        bar->HintBox = hint;
        bar->Label3 = label3;
        bar->HintTopPanel = topPanel;
        bar->Facts = facts.get();
        bar->WindowActive = [] { return true; };
        bar->Beep = [this] { ++beeps; };
        bar->NotReadyText = [] { return std::string("Drive not ready"); };
    }
    void TearDown() override { gate->release(); }

    int hintWidth(const std::string& text) const
    {
        return QFontMetrics(makeFont("Arial", 8, false)).horizontalAdvance(QString::fromStdString(text)) + 6;
    }
    // Which buttons show the raised frame (1-based), by probing the image.
    std::string raisedButtons() const
    {
        std::string raised;
        for (int i = 1; i <= 3; ++i) {
            const QImage& image = bar->image();
            const int x0 = 25 * i - 25, x1 = 25 * i - 1;
            const bool up = pixel(image, x0, 10) == Light && pixel(image, x1, 10) == Shadow
                && pixel(image, 10 + x0, 24) == Shadow && pixel(image, 10 + x0, 0) == Light;
            const bool flat = pixel(image, x0, 10) == Face && pixel(image, x1, 10) == Face
                && pixel(image, 10 + x0, 24) == Face && pixel(image, 10 + x0, 0) == Face;
            EXPECT_TRUE(up || flat) << "button " << i << " half drawn";
            if (up)
                raised += std::to_string(i);
        }
        return raised;
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    std::unique_ptr<DriveFactsCache> facts;
    QWidget host;
    TMyToolBar* bar = nullptr;
    TMyToolBar* right = nullptr;
    QLabel* hint = nullptr;
    QLabel* label3 = nullptr;
    QWidget* topPanel = nullptr;
    int beeps = 0;
};

} // namespace

TEST_F(DriveBarTest, CreateHotDrivesFillsBothBarsFromOneList)
{
    EXPECT_EQ(bar->SideName, "Left");
    EXPECT_EQ(right->SideName, "Right");
    EXPECT_EQ(bar->geometry(), QRect(3, 32, 81, 30));
    EXPECT_EQ(right->geometry(), QRect(205, 32, 81, 30));
    EXPECT_EQ(bar->NaturalWidth, 81);
    EXPECT_EQ(bar->ButtonCount, 3);
    EXPECT_EQ(right->ButtonCount, 3);
    // The right bar holds the left bar's lists, not a copy.
    EXPECT_EQ(bar->Drives.get(), right->Drives.get());
    EXPECT_EQ(bar->Drives->kinds, (std::vector<std::string> { "hdd", "cdrom", "network" }));
    // Each picture at 4 + 25 i, 4, on the face colour around it.
    for (int i = 0; i < 3; ++i) {
        const QImage picture = drivePicture(bar->Drives->kinds[static_cast<std::size_t>(i)]);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (qAlpha(picture.pixel(x, y)) == 255) {
                    EXPECT_EQ(pixel(bar->image(), 4 + 25 * i + x, 4 + y), picture.pixel(x, y) & 0xFFFFFF);
                    ++drawn;
                }
        EXPECT_GT(drawn, 20) << i;
        EXPECT_EQ(pixel(bar->image(), 4 + 25 * i + 17, 12), Face);
    }
}

// The hover table: the frame follows ceil((x + 1) / 25) and is erased from
// the button left; past the last button nothing is raised.
TEST_F(DriveBarTest, HoverRaisesTheButtonUnderTheMouse)
{
    struct Row {
        int x;
        int index;
        const char* raised;
    } rows[] = {
        { -1, 0, "" },
        { 0, 1, "1" },
        { 23, 1, "1" },
        { 24, 1, "1" },
        { 25, 2, "2" },
        { 74, 3, "3" },
        { 75, 4, "" },
        { 30, 2, "2" },
        { 0, 1, "1" },
    };
    EXPECT_EQ(raisedButtons(), "");
    for (const Row& row : rows) {
        bar->BarMouseMove(row.x, 300);
        EXPECT_EQ(bar->HoverIndex, row.index) << "x = " << row.x;
        EXPECT_EQ(raisedButtons(), row.raised) << "x = " << row.x;
    }
    bar->BarMouseLeave();
    EXPECT_EQ(raisedButtons(), "");
    // While the window is not the active one the bar does not follow.
    bar->WindowActive = [] { return false; };
    bar->BarMouseMove(30, 300);
    EXPECT_EQ(raisedButtons(), "");
}

// Hint after half a second; not ready: beep, tooltip colour, the language's
// text, kept on the same button and white again on another.
TEST_F(DriveBarTest, HintAndNotReadyFlow)
{
    bar->BarMouseMove(10, 300);
    EXPECT_EQ(hint->text(), "c: [System]");
    EXPECT_EQ(hint->width(), hintWidth("c: [System]"));
    EXPECT_EQ(hint->pos(), QPoint(300 - 100 + 5, 62 + 1));
    EXPECT_TRUE(hint->isHidden());
    EXPECT_TRUE(bar->HintTimer()->isActive());
    EXPECT_EQ(bar->HintTimer()->interval(), 500);
    QTest::qWait(650);
    EXPECT_FALSE(hint->isHidden());

    bar->BarMouseMove(30, 320);
    EXPECT_EQ(hint->text(), "d: [CD-ROM]");
    EXPECT_EQ(hint->x(), 320 - 100 + 5);

    // The dead network drive: one bounded wait for its label...
    bar->BarMouseMove(60, 340);
    EXPECT_EQ(hint->text(), "n: [No-name]");
    // ... and its press is "not ready" at once.
    QElapsedTimer pressed;
    pressed.start();
    bar->BarMouseDown();
    EXPECT_LT(pressed.elapsed(), 200);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(hint->text(), "Drive not ready");
    EXPECT_EQ(hint->width(), hintWidth("Drive not ready"));
    EXPECT_EQ(hint->palette().color(QPalette::Window).rgb() & 0xFFFFFF, colorToRgb(systemColorValue(24)));
    EXPECT_TRUE(bar->NotReady);
    EXPECT_EQ(bar->NotReadyIndex, 3);
    // On the same button the box keeps its text.
    bar->BarMouseMove(70, 350);
    EXPECT_EQ(hint->text(), "Drive not ready");
    // The CD-ROM without a disc is not ready either.
    bar->BarMouseMove(30, 320);
    EXPECT_EQ(hint->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(hint->text(), "d: [CD-ROM]");
    bar->BarMouseDown();
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(bar->NotReadyIndex, 2);
    // Another button: white again, the drive's own text.
    bar->BarMouseMove(5, 300);
    EXPECT_FALSE(bar->NotReady);
    EXPECT_EQ(hint->text(), "c: [System]");
    EXPECT_EQ(hint->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu);
    // Leaving the bar hides the box and stops the timer.
    bar->BarMouseDown();
    bar->BarMouseMove(30, 320);
    bar->BarMouseDown();
    bar->BarMouseLeave();
    EXPECT_TRUE(hint->isHidden());
    EXPECT_FALSE(bar->HintTimer()->isActive());
    EXPECT_FALSE(bar->NotReady);
    EXPECT_EQ(hint->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFFFFFu);
}

namespace {

// The main window on drives c and d (real folders) and e (a CD-ROM drive
// whose folder is missing).
class DriveBarWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        std::filesystem::copy_file(OV_LANGUAGE_DIR "/ov_eng.ini", home / "ov_eng.ini");
        c.folder("on_c");
        d.folder("on_d");
        DriveTable::instance().setDrives({ { 'c', c.path(), DriveType::Fixed },
            { 'd', d.path(), DriveType::Fixed }, { 'e', c / "no_disc", DriveType::CdRom } });
        setPrompts(&prompts);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
    }
    static void press(TMyToolBar* bar, int index)
    {
        bar->WindowActive = [] { return true; };
        bar->BarMouseMove(25 * index - 15, 200);
        bar->BarMouseDown();
    }
    test::TempFolder home;
    test::TempFolder c;
    test::TempFolder d;
    ScriptedPrompts prompts;
};

} // namespace

// A press opens the drive in the bar's own panel and never changes the
// active panel; the prompt keeps showing the active panel's folder.
TEST_F(DriveBarWindowTest, APressOpensTheDriveInTheBarsOwnPanel)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.resize(640, 400);
    form.show();
    auto* prompt = form.findChild<QLabel*>("ComRead");
    form.ChangePanel();
    ASSERT_EQ(form.ActiveSide, "Right");
    form.LeftPanel()->Settings.ViewMode = ViewMode::QuickView;

    press(form.LeftDriveBar(), 2);
    EXPECT_EQ(form.LeftPanel()->Browser.CurrentFolder(), "d:\\");
    EXPECT_EQ(form.LeftPanel()->Browser.NameAt(1), "on_d");
    EXPECT_EQ(form.LeftPanel()->Settings.ViewMode, ViewMode::Brief);
    EXPECT_EQ(form.LeftPanel()->Settings.Columns, 3);
    EXPECT_EQ(form.LeftPanel()->CurrentIndex(), 1);
    EXPECT_EQ(form.ActiveSide, "Right");
    EXPECT_TRUE(form.RightPanel()->IsActive);
    EXPECT_FALSE(form.LeftPanel()->IsActive);
    EXPECT_EQ(prompt->text(), "C:\\");
    EXPECT_EQ(form.RightPanel()->Browser.CurrentFolder(), "c:\\");

    // The active panel's bar: the prompt follows its new folder.
    press(form.RightDriveBar(), 2);
    EXPECT_EQ(form.RightPanel()->Browser.CurrentFolder(), "d:\\");
    EXPECT_EQ(prompt->text(), "D:\\");
    EXPECT_EQ(form.ActiveSide, "Right");

    // The CD-ROM drive without a disc: a beep and the language's text; the
    // panel keeps its folder.
    int beeps = 0;
    form.RightDriveBar()->Beep = [&beeps] { ++beeps; };
    press(form.RightDriveBar(), 3);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(form.DriveHint()->text(), "Drive not ready");
    EXPECT_EQ(form.RightPanel()->Browser.CurrentFolder(), "d:\\");
}

// The bars in the window: shared lists, the left bar clipped to its panel
// and grown back, the right bar by the right panel, the tool bar's pictures.
TEST_F(DriveBarWindowTest, BarsSitInPanel3)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.resize(640, 400);
    form.show();
    TMyToolBar* left = form.LeftDriveBar();
    TMyToolBar* right = form.RightDriveBar();
    EXPECT_EQ(left->objectName(), "LeftDriveBar");
    EXPECT_EQ(right->objectName(), "RightDriveBar");
    EXPECT_EQ(left->Drives.get(), right->Drives.get());
    EXPECT_EQ(left->geometry(), QRect(3, 32, 81, 30));
    EXPECT_EQ(right->x(), form.RightPanel()->x() + 3);
    EXPECT_EQ(right->width(), 81);
    // A narrow left panel clips the left bar at its right edge - 1; room
    // again gives all buttons back, never more.
    form.SplitRatio = 0.01;
    form.FormResize();
    EXPECT_EQ(left->width(), form.LeftPanel()->x() + form.LeftPanel()->width() - 1 - 3);
    form.SplitRatio = 0.5;
    form.FormResize();
    EXPECT_EQ(left->width(), 81);
    // The hint box: hidden, 60 x 18 until a text sizes it, white, Arial.
    EXPECT_TRUE(form.DriveHint()->isHidden());
    EXPECT_EQ(form.DriveHint()->height(), 18);
    EXPECT_EQ(form.DriveHint()->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_NE(form.findChild<QLabel*>("Label3"), nullptr);
    // The tool bar's eight buttons show their pictures.
    for (const char* name : { "ToolBtn_Help", "ToolBtn_ExtEditor", "ToolBtn_SysInfo", "ToolBtn_InetDialer",
             "ToolBtn_Clipboard", "ToolBtn_CDPlayer", "ToolBtn_Calculator", "ToolBtn_ResExplorer" }) {
        auto* button = form.findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
    }
}

// The three switches: Panel3's height, the tool bar's, the drive bars' top
// and the panels below them, after each flip.
TEST_F(DriveBarWindowTest, BarSwitchLayout)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.resize(640, 400);
    form.show();
    auto* panel3 = form.findChild<QWidget*>("Panel3");
    auto* toolBar = form.findChild<QWidget*>("ToolBar");
    struct Row {
        const char* command;
        bool tools;
        bool drives;
        int panel3;
        int toolHeight; // as much of it as Panel3 shows
        int driveTop; // -1: the drive bars are not shown
    } rows[] = {
        { "", true, true, 56, 29, 32 },
        { "ShowToolBar", false, true, 29, 0, 2 },
        { "ShowToolBar", true, true, 56, 29, 32 },
        { "ShowDrivesBar", true, false, 29, 29, -1 },
        { "ShowToolBar", false, false, 0, 0, -1 },
        { "ShowDrivesBar", false, true, 29, 0, 2 },
        { "ShowDrivesBar", false, false, 0, 0, -1 },
        { "ShowToolBar", true, false, 29, 29, -1 },
        { "ShowDrivesBar", true, true, 56, 29, 32 },
    };
    for (const Row& row : rows) {
        if (*row.command)
            form.RunCommand(row.command);
        const std::string name
            = std::string(row.command) + (row.tools ? " tools" : "") + (row.drives ? " drives" : "");
        EXPECT_EQ(form.MainSettings.Show_ToolBar, row.tools) << name;
        EXPECT_EQ(form.MainSettings.Show_DriveBar, row.drives) << name;
        EXPECT_EQ(panel3->height(), row.panel3) << name;
        EXPECT_EQ(toolBar->isVisible() ? std::min(toolBar->height(), panel3->height()) : 0, row.toolHeight)
            << name;
        for (TMyToolBar* bar : { form.LeftDriveBar(), form.RightDriveBar() }) {
            const bool shown = bar->isVisible() && bar->y() + 1 < panel3->height();
            EXPECT_EQ(shown, row.driveTop >= 0) << name;
            if (row.driveTop >= 0) {
                EXPECT_EQ(bar->y(), row.driveTop) << name;
            }
        }
        EXPECT_EQ(form.LeftPanel()->y(), row.panel3 + 3) << name;
    }
}

// Every picture of both bars loads from the resources, 16 x 16, with a
// transparent background and something drawn on it.
TEST(BarPictures, EachPictureLoads)
{
    std::vector<std::string> names = { "B_FLOPPY", "B_HDD", "B_CDROM", "B_NETWork" };
    for (int i = 0; i < 8; ++i)
        names.push_back(toolBarPictureName(i));
    EXPECT_EQ(toolBarPictureName(8), "");
    std::set<QByteArray> different;
    for (const std::string& name : names) {
        const QImage picture = barPicture(name);
        ASSERT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(picture.size(), QSize(BarPictureSize, BarPictureSize)) << name;
        EXPECT_TRUE(picture.hasAlphaChannel()) << name;
        int opaque = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                opaque += qAlpha(picture.pixel(x, y)) == 255;
        EXPECT_GT(opaque, 20) << name;
        EXPECT_LT(opaque, 256) << name << ": the corners are transparent";
        different.insert(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(different.size(), names.size());
    EXPECT_TRUE(barPicture("B_NONE").isNull());
    EXPECT_EQ(drivePicture("network"), barPicture("B_NETWork"));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
