// What the panel control records in the folder history while it moves
// through a real archive, and that each recorded entry names the same place
// again: the folder holding the archive, the archive, the folder in it.
#include "fileops/folder_history.h"
#include "panel/arc_disk.h"
#include "panel/fpanel.h"
#include "platform/drives.h"
#include "tests/support/panel_cursor.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <string>
#include <vector>

using namespace ov;

namespace {

} // namespace

TEST(ArcHistory, RecordedEntriesNameTheirPlaceInTheArchive)
{
    if (std::system("command -v zip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "zip is missing";
    test::TempFolder root;
    DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
    installArchiveDisk(nullptr);
    root.write("src/docs/deep/b.txt", "B");
    root.write("work/x", "X");
    ASSERT_EQ(std::system(("cd '" + root / "src" + "' && zip -q -r ../work/pack.zip docs").c_str()), 0);

    TFPanel panel;
    panel.PanelName = "Left";
    panel.ResetDefaults();
    panel.IsActive = true;
    panel.resize(250, 270);
    panel.Settings.Path = "c:\\work\\";
    panel.ReadFolder();
    std::vector<std::string> recorded;
    panel.OnAddFolderHistory = [&](TFPanel*, const std::string& folder) { recorded.push_back(folder); };

    test::pointTo(panel, "pack.zip");
    QTest::keyClick(&panel, Qt::Key_Return);
    ASSERT_EQ(panel.Browser.DiskKind, DiskKind::Archive);
    for (const char* name : { "docs", "deep", "..", ".." }) {
        test::pointTo(panel, name);
        QTest::keyClick(&panel, Qt::Key_Return);
    }
    EXPECT_EQ(recorded,
        (std::vector<std::string> { "c:\\work\\pack.zip\\docs\\", "c:\\work\\pack.zip\\docs\\deep\\",
            "c:\\work\\pack.zip\\docs\\", "c:\\work\\pack.zip\\" }));

    const struct {
        const char* folder;
    } places[] = { { "docs\\" }, { "docs\\deep\\" }, { "docs\\" }, { "" } };
    ASSERT_EQ(recorded.size(), std::size(places));
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        SCOPED_TRACE(recorded[i]);
        const ArchivePlace place = ArchivePlaceOf(recorded[i]);
        EXPECT_EQ(place.holder, "c:\\work\\");
        EXPECT_EQ(place.archive, "c:\\work\\pack.zip");
        EXPECT_EQ(place.folder, places[i].folder);
    }
    // A folder of the drive is no place in an archive.
    EXPECT_TRUE(ArchivePlaceOf("c:\\work\\").archive.empty());
    TBrowser::setArchiveDiskFactory(nullptr);
    TBrowser::setMemberTaker(nullptr);
    DriveTable::instance().reset();
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
