// A drag from one panel onto the other in the whole main window: what is
// copied is the entry under the press point (or the selection), never the
// entry the cursor happens to stand on at the release.
#include "fileops/drive_window.h"
#include "fileops/form_host.h"
#include "fileops/main_window_commands.h"
#include "panel/drive_facts.h"
#include "platform/dialogs.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace ov;
using namespace ov::test;

namespace {

class DragCopyTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini", home / "ov_eng.ini");
        std::ofstream(home / "ov.ini")
            << "[Panel_Left]\nPath=c:\\src\\\n[Panel_Right]\nPath=c:\\dst\\\n[Confirm]\nCopy=0\n";
        for (const char* name : { "a.txt", "b.txt", "c.txt" })
            root.write(std::string("src/") + name, name);
        root.folder("dst");
        setPrompts(&scripted);
        registerFileOpsCommands();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        ::unsetenv("ORVANTA_HOME");
        FileOpsTest::TearDown();
    }

    static void mouse(
        TFPanel& panel, QEvent::Type type, Qt::MouseButton button, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), panel.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&panel, &event);
    }
    // The centre of the cell that shows entry index (no scrolling here).
    static QPoint cellOf(const TFPanel& panel, int index)
    {
        const PanelGeometry g = panel.geometry();
        return { g.cellLeft(index - 1) + 20, g.cellTop(index - 1) + g.lineHeight / 2 };
    }
    // Presses on entry from, moves the pointer down to entry over (the
    // cursor follows it), then across the panel's right edge and releases.
    static void dragAcross(TFPanel& panel, int from, int over)
    {
        mouse(panel, QEvent::MouseButtonPress, Qt::LeftButton, cellOf(panel, from), Qt::LeftButton);
        mouse(panel, QEvent::MouseMove, Qt::NoButton, cellOf(panel, over), Qt::LeftButton);
        ASSERT_EQ(panel.CurrentIndex(), over); // the cursor went with the pointer
        const QPoint outside(panel.width() + 10, cellOf(panel, over).y());
        mouse(panel, QEvent::MouseMove, Qt::NoButton, outside, Qt::LeftButton);
        ASSERT_TRUE(panel.dragHintVisible());
        mouse(panel, QEvent::MouseButtonRelease, Qt::LeftButton, outside, Qt::NoButton);
    }

    TempFolder home;
    ScriptedPrompts scripted;
};

} // namespace

TEST_F(DragCopyTest, CopiesTheDraggedEntryNotTheCursorEntry)
{
    TForm1 form;
    form.resize(640, 400);
    form.show();
    TFPanel& left = *form.LeftPanel();
    ASSERT_EQ(left.Browser.NameAt(2), "a.txt");
    ASSERT_EQ(left.Browser.NameAt(3), "b.txt");

    dragAcross(left, 2, 3);
    EXPECT_EQ(left.dragHintText().toStdString(), "Copy [a.txt]");
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a.txt", "f a.txt" } }));
    EXPECT_TRUE(scripted.asked.empty());

    // With a selection the selection goes, wherever the press was.
    left.Browser.ToggleSelect(3);
    left.Browser.ToggleSelect(4);
    dragAcross(left, 2, 2);
    EXPECT_EQ(describeTree(root / "dst"),
        (Tree { { "a.txt", "f a.txt" }, { "b.txt", "f b.txt" }, { "c.txt", "f c.txt" } }));
    EXPECT_EQ(left.Browser.SelCount, 0);
    form.MainSettings.AutoSave = false;
}

// The drive window in the whole main window: the panel's path, its free
// and total space and the folder shown before the command line all follow
// the new drive (the window used to reopen the bare file list, so the
// panel kept the old drive's path and figures).
TEST_F(DragCopyTest, DriveChoiceMovesThePanelWithItsFigures)
{
    // d: on another file system where the machine has one (/dev/shm), so
    // that its figures differ from c:'s.
    const bool shm = std::filesystem::is_directory("/dev/shm");
    const std::string other
        = shm ? std::filesystem::path(::mkdtemp(std::string("/dev/shm/ovdrive.XXXXXX").data())).string() : "";
    TempFolder fallback;
    const std::string d = shm ? other : fallback.path();
    std::filesystem::create_directories(d + "/src");
    std::ofstream(d + "/src/on-d.txt") << "d";
    DriveTable::instance().setDrives(
        { { 'c', root.path(), DriveType::Fixed }, { 'd', d, DriveType::Removable } });

    TForm1 form;
    form.resize(640, 400);
    form.show();
    TFPanel& left = *form.LeftPanel();
    std::string shownFolder;
    const auto previous = left.OnChangeFolder;
    left.OnChangeFolder = [&](TFPanel* panel, const std::string& side) {
        shownFolder = panel->Settings.Path;
        if (previous)
            previous(panel, side);
    };
    FormHost host(form);
    TFormDrive window(host, PanelSide::Active);
    window.FormShow();
    ASSERT_TRUE(window.ChooseLetter('d'));
    EXPECT_EQ(left.Browser.DiskRoot, "d:\\");
    EXPECT_EQ(left.Browser.NameAt(2), "on-d.txt");
    EXPECT_EQ(QString::fromStdString(left.Settings.Path.substr(0, 7)).toLower().toStdString(), "d:\\src\\");
    EXPECT_EQ(shownFolder, left.Settings.Path);
    const DiskSpace space = driveSpace('d');
    ASSERT_TRUE(space.known);
    EXPECT_EQ(left.TotalSpace, space.totalBytes);
    form.MainSettings.AutoSave = false;
    if (shm)
        std::filesystem::remove_all(other);
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
