// Members of a real archive in the panel control: Enter and Ctrl+PgDn on the
// archive, Enter on a document member (its copy in the private cache goes to
// the desktop), Enter on a program member (shown, never started), Ctrl+PgUp
// at the top back onto the archive. A recording launcher stands in for the
// desktop; the cache lives in the test's folder.
#include "panel/arc_disk.h"
#include "panel/fpanel.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/private_cache.h"
#include "tests/support/panel_cursor.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace ov;

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "arc_member_test";
    static char* argv[] = { name, nullptr };
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(ArcMember, EnterOnMembersActsOnACopy)
{
    if (std::system("command -v zip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "zip is missing";
    application();
    test::TempFolder root;
    DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    RecordingLauncher recorder;
    setLauncher(&recorder);
    installArchiveDisk(nullptr);
    root.write("src/docs/readme.txt", "read me");
    root.write("src/tool.exe", "MZ not really");
    ASSERT_EQ(std::system(("cd '" + root / "src" + "' && zip -q -r ../pack.zip docs tool.exe").c_str()), 0);

    TFPanel panel;
    panel.PanelName = "Left";
    panel.ResetDefaults();
    panel.IsActive = true;
    panel.resize(250, 270);
    panel.Settings.Path = "c:\\";
    panel.ReadFolder();
    std::vector<std::string> shown;
    panel.OnFileEnter = [&](TFPanel*, const std::string& path) { shown.push_back(path); };

    // Ctrl+PgDn enters the archive as Enter does.
    test::pointTo(panel, "pack.zip");
    QTest::keyClick(&panel, Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(panel.Browser.DiskKind, DiskKind::Archive);
    EXPECT_EQ(panel.CurrentPath(), "c:\\pack.zip\\..");

    // A program is shown from its copy, never started.
    test::pointTo(panel, "tool.exe");
    QTest::keyClick(&panel, Qt::Key_Return);
    ASSERT_EQ(shown.size(), 1u);
    const auto program = DriveTable::instance().toHost(shown[0]);
    ASSERT_TRUE(program);
    EXPECT_EQ(readAll(*program), "MZ not really");
    EXPECT_EQ(program->rfind(root / "cache/orvanta/run-", 0), 0u);
    EXPECT_TRUE(recorder.calls.empty());

    // A document's copy goes to the desktop.
    test::pointTo(panel, "docs");
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_EQ(panel.Browser.CurrentFolder(), "c:\\pack.zip\\docs\\");
    test::pointTo(panel, "readme.txt");
    QTest::keyClick(&panel, Qt::Key_Return);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].kind, "open");
    ASSERT_EQ(recorder.calls[0].argv.size(), 1u);
    EXPECT_EQ(readAll(recorder.calls[0].argv[0]), "read me");

    // Ctrl+PgUp twice: out of docs, out of the archive onto it.
    QTest::keyClick(&panel, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(&panel, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(panel.Browser.DiskKind, DiskKind::Standard);
    EXPECT_EQ(panel.CurrentName, "pack.zip");

    removePrivateCacheFolder();
    EXPECT_FALSE(std::filesystem::exists(root / "cache/orvanta/run-" + std::to_string(::getpid())));
    setLauncher(nullptr);
    TBrowser::setArchiveDiskFactory(nullptr);
    ::unsetenv("XDG_CACHE_HOME");
    DriveTable::instance().reset();
}
