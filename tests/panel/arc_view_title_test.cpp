// F3, F4 and Enter on a member of an archive in the main window: the viewer
// shows the member's copy from the private cache under the member's own
// name (archive path, "\" and its inner path), never the cache path.
#include "panel/arc_disk.h"
#include "panel/fpanel.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/private_cache.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/panel_cursor.h"
#include "tests/support/temp_folder.h"
#include "viewers/edit_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ov {
namespace {

class ArcViewTitle : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_arc_view_title";
        static char* argv[] = { name, nullptr };
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override
    {
        if (std::system("command -v zip >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "zip is missing";
        DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini", home / "ov_eng.ini");
        std::ofstream(home / "ov.ini") << "[Panel_Left]\nPath=c:\\\n[Panel_Right]\nPath=c:\\\n";
        setPrompts(&scripted);
        registerEditorCommands();
        installArchiveDisk(nullptr);
    }
    void TearDown() override
    {
        removePrivateCacheFolder();
        TBrowser::setArchiveDiskFactory(nullptr);
        TBrowser::setMemberTaker(nullptr);
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        ::unsetenv("XDG_CACHE_HOME");
        ::unsetenv("ORVANTA_HOME");
        DriveTable::instance().reset();
    }

    test::TempFolder root;
    test::TempFolder home;
    ScriptedPrompts scripted;
};

TEST_F(ArcViewTitle, MembersAreShownUnderTheirOwnNames)
{
    root.write("src/docs/readme.txt", "read me\n");
    root.write("src/top.txt", "top\n");
    root.write("src/tool.exe", "MZ not really");
    root.write("plain.txt", "plain\n");
    ASSERT_EQ(
        std::system(("cd '" + root / "src" + "' && zip -q -r ../pack.zip docs top.txt tool.exe").c_str()), 0);
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.ConfirmExit = false;
    TFPanel& panel = *form.ActivePanel();
    panel.Browser.PushDisk("c:\\pack.zip", DiskKind::Archive, "docs\\");
    ASSERT_EQ(panel.Browser.DiskKind, DiskKind::Archive);

    struct Row {
        const char* label;
        std::function<void()> press;
        std::string member;
        std::string title;
    };
    const std::vector<Row> rows = {
        { "F3", [&] { form.ViewCommand(); }, "readme.txt", "Viewer - c:\\pack.zip\\docs\\readme.txt" },
        // F4 shows the throw-away copy read-only.
        { "F4", [&] { form.EditCommand(); }, "readme.txt", "Viewer - c:\\pack.zip\\docs\\readme.txt" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        test::pointTo(panel, row.member);
        row.press();
        auto* window = form.findChild<TFormEdit*>("FormEdit");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle().toStdString(), row.title);
        EXPECT_EQ(window->Memo()->toPlainText().toStdString(), "read me\n");
        // The file read is the copy in the private cache.
        EXPECT_EQ(window->FileName().rfind(root / "cache/orvanta/", 0), 0u) << window->FileName();
        EXPECT_TRUE(window->ReadOnly());
    }

    // At the archive's top, and then a file of the drive: its own path.
    panel.Browser.GoUp();
    test::pointTo(panel, "top.txt");
    form.ViewCommand();
    auto* window = form.findChild<TFormEdit*>("FormEdit");
    EXPECT_EQ(window->windowTitle().toStdString(), "Viewer - c:\\pack.zip\\top.txt");
    // Enter on a program in an archive shows it, under its own name.
    test::pointTo(panel, "tool.exe");
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_EQ(window->windowTitle().toStdString(), "Viewer - c:\\pack.zip\\tool.exe");
    panel.Browser.PopDisk();
    panel.Browser.ReadDir();
    test::pointTo(panel, "plain.txt");
    form.ViewCommand();
    EXPECT_EQ(window->windowTitle().toStdString(), "Viewer - c:\\plain.txt");
    EXPECT_EQ(form.ShownName("c:\\plain.txt"), "c:\\plain.txt");
    EXPECT_TRUE(scripted.asked.empty());
    window->close();
}

} // namespace
} // namespace ov
