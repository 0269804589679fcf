// The drive window and "About system" over real file lists, offscreen:
// the panel's drive selected, the relative folder kept on the new drive, a
// typed letter choosing at once, a drive that never answers giving the
// "not ready" box in time, and the system rows and their language texts.
#include "fileops/drive_window.h"
#include "fileops/info_window.h"
#include "platform/dialogs.h"
#include "tests/fileops/test_host.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace ov;
using namespace ov::test;

namespace {

class DriveWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        c.write("work/a.txt");
        d.write("work/b.txt");
        d.write("other/c.txt");
        DriveTable::instance().setDrives({ { 'c', c.path(), DriveType::Fixed },
            { 'd', d.path(), DriveType::Removable }, { 'n', n.path(), DriveType::Remote } });
        setPrompts(&scripted);
        // The cursors start away from entry 1, so a move to it shows; the
        // window refreshes nothing by itself.
        host.activeCursor = host.otherCursor = 5;
        host.refreshOnUpdate = false;
        host.active.OpenDisk("c:\\", DiskKind::Standard, "work\\");
        host.other.OpenDisk("d:\\", DiskKind::Standard, "");
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        DriveTable::instance().reset();
    }
    TempFolder c, d, n;
    TestHost host;
    ScriptedPrompts scripted;
};

} // namespace

TEST_F(DriveWindowTest, ChoosingKeepsTheFolder)
{
    TFormDrive window(host, PanelSide::Active);
    window.FormShow();
    ASSERT_EQ(window.Rows().size(), 3u);
    EXPECT_EQ(window.Rows()[1].text, "d: [Removable]");
    EXPECT_EQ(window.Rows()[2].text, "n: [Network]");
    EXPECT_EQ(window.SelectedRow(), 0);
    EXPECT_EQ(window.windowTitle().toStdString(), "Change drive");
    window.show();
    QTest::keyClick(window.findChild<QWidget*>("DrawGrid1"), Qt::Key_D);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(host.active.DiskRoot, "d:\\");
    EXPECT_EQ(host.active.Folder, "work\\");
    EXPECT_EQ(host.active.NameAt(2), "b.txt");
    EXPECT_EQ(host.activeCursor, 1);
    EXPECT_EQ(host.updates, 1);
    EXPECT_TRUE(scripted.asked.empty());

    // The other panel at d:\ goes to c:\ at its root.
    TFormDrive second(host, PanelSide::Other);
    second.FormShow();
    EXPECT_EQ(second.SelectedRow(), 1);
    EXPECT_TRUE(second.ChooseLetter('c'));
    EXPECT_EQ(host.other.DiskRoot, "c:\\");
    EXPECT_EQ(host.other.Folder, "");
}

// A drive whose readiness never answers: the box within the bound, the
// panel keeps its drive, the window stays.
TEST_F(DriveWindowTest, BlockedDriveIsNotReady)
{
    struct Gate {
        std::mutex mutex;
        std::condition_variable open;
        bool released = false;
    };
    auto gate = std::make_shared<Gate>();
    TFormDrive window(host, PanelSide::Active);
    window.ReadyProbe = [gate](char) {
        std::unique_lock lock(gate->mutex);
        gate->open.wait(lock, [&] { return gate->released; });
        return true;
    };
    window.FormShow();
    window.show();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(window.ChooseLetter('n'));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Drive not ready");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(host.active.DiskRoot, "c:\\");
    EXPECT_EQ(host.updates, 0);
    {
        std::lock_guard lock(gate->mutex);
        gate->released = true;
    }
    gate->open.notify_all();
}

TEST(DriveWindowPlacement, BesideEachPanel)
{
    const struct {
        QRect main;
        bool right;
        QPoint at;
    } rows[] = {
        { QRect(0, 0, 800, 600), false, QPoint(40, 90) },
        { QRect(0, 0, 800, 600), true, QPoint(440, 90) },
        { QRect(100, 50, 1001, 600), true, QPoint(640, 140) },
        { QRect(-20, -10, 300, 200), false, QPoint(20, 80) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(TFormDrive::Placement(row.main, row.right), row.at) << row.main.x() << " " << row.right;
}

TEST_F(DriveWindowTest, SystemInformation)
{
    TFormInfo window(host);
    window.FormShow();
    ASSERT_EQ(window.Rows().size(), 7u);
    EXPECT_EQ(window.Rows()[0].first, "Computer:");
    EXPECT_EQ(window.Rows()[6].first, "Registered on:");
    EXPECT_EQ(window.windowTitle().toStdString(), "About system");
    EXPECT_NE(window.Rows()[4].second.find(" bytes"), std::string::npos);
    EXPECT_NE(window.Rows()[4].second.find(','), std::string::npos) << "c: is larger than 999 bytes";
    EXPECT_EQ(window.findChild<QLabel*>("Value_1")->text().toStdString(), window.Rows()[1].second);
    // Another language: captions from the language section.
    host.settings.Language = "RUSSIAN";
    host.language = IniFile::fromText("[AboutSystem]\nCaption=Sys\nLabel_Computer=PC:\nbytes=b\n");
    window.FormShow();
    EXPECT_EQ(window.windowTitle().toStdString(), "Sys");
    EXPECT_EQ(window.Rows()[0].first, "PC:");
    EXPECT_EQ(window.Rows()[4].second.substr(window.Rows()[4].second.size() - 2), " b");
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
