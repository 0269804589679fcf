// The find window over a real file list, offscreen: its first state and
// texts, a search and what it enables, the mask history, results kept,
// Esc while searching, a double-click with one result, and Go to; and the
// same inside a ZIP made by the zip tool at test time: the hits against the
// tool's own member list, Go to inside and out of the archive, View.
#include "fileops/find_window.h"
#include "panel/arc_disk.h"
#include "platform/file_system.h"
#include "platform/private_cache.h"
#include "platform/process_messages.h"
#include "platform/tree_walk.h"
#include "tests/fileops/test_host.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

class FindWindowTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        host.refreshOnUpdate = false;
        root.write("work/sub/a.txt");
        root.write("work/sub/b.doc");
        root.write("work/c.txt");
        root.write("top.txt");
        open(host.active, "work");
        window.Prepare(host);
        window.show();
    }
    void TearDown() override
    {
        setProcessMessagesHook(nullptr);
        setTreeWalkHook(nullptr);
        FileOpsTest::TearDown();
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    QComboBox* mask() { return window.findChild<QComboBox*>("ComboBox_Mask"); }
    void find(const std::string& masks, bool wholeDrive = false)
    {
        mask()->setEditText(QString::fromStdString(masks));
        window.findChild<QRadioButton*>(wholeDrive ? "Check_FindInDrive" : "Check_FindInFolder")
            ->setChecked(true);
        mask()->setFocus();
        window.Button_FindClick();
    }
    std::vector<std::string> results()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < window.Results().rowCount(); ++i)
            rows.push_back(window.Results().at(i).toStdString());
        return rows;
    }

    TestHost host;
    TFormFind window;
};

} // namespace

TEST_F(FindWindowTest, FirstStateAndTexts)
{
    EXPECT_EQ(mask()->currentText().toStdString(), "*.*");
    EXPECT_EQ(window.windowTitle().toStdString(), "Find files");
    EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox1")->title().toStdString(), " Files to find ");
    for (const char* name : { "Button_Find", "Button_Stop", "Button_Goto", "Button_View", "Button_Cancel" })
        ASSERT_NE(button(name), nullptr) << name;
    EXPECT_TRUE(window.findChild<QRadioButton*>("Check_FindInFolder")->isChecked());
    EXPECT_FALSE(window.findChild<QRadioButton*>("Check_FindInAllDrives")->isEnabled());
    EXPECT_FALSE(button("Button_Stop")->isEnabled());
    EXPECT_FALSE(button("Button_Goto")->isEnabled());
    EXPECT_FALSE(button("Button_View")->isEnabled());
    EXPECT_EQ(window.Chosen(), -1);
}

// From the folder or the drive's root; folders are hits; Go to and View
// need two results; the third choice stays disabled after a search; the
// mask joins the history once.
TEST_F(FindWindowTest, SearchesAndButtons)
{
    find("*.txt");
    EXPECT_EQ(results(), (std::vector<std::string> { "c:\\work\\c.txt", "c:\\work\\sub\\a.txt" }));
    EXPECT_EQ(window.StatusCount().toStdString(), "2");
    EXPECT_TRUE(window.StatusFolder().isEmpty());
    EXPECT_TRUE(button("Button_Goto")->isEnabled());
    EXPECT_TRUE(button("Button_View")->isEnabled());
    EXPECT_FALSE(button("Button_Stop")->isEnabled());
    EXPECT_FALSE(window.findChild<QRadioButton*>("Check_FindInAllDrives")->isEnabled());

    find("*.doc");
    EXPECT_EQ(results(), (std::vector<std::string> { "c:\\work\\sub\\b.doc" }));
    EXPECT_FALSE(button("Button_Goto")->isEnabled());
    EXPECT_FALSE(button("Button_View")->isEnabled());

    find("s*.*;*.txt", true);
    EXPECT_EQ(results(),
        (std::vector<std::string> {
            "c:\\top.txt", "c:\\work\\c.txt", "c:\\work\\sub", "c:\\work\\sub\\a.txt" }));

    find("*.txt");
    EXPECT_EQ(mask()->count(), 3);
    EXPECT_EQ(mask()->itemText(0).toStdString(), "s*.*;*.txt");
    // An empty mask does nothing: the results stay.
    find("");
    EXPECT_EQ(results().size(), 2u);
}

// Esc while searching stops the walk, then closes; the results found so
// far stay for the next opening.
TEST_F(FindWindowTest, EscapeWhileSearching)
{
    for (int i = 0; i < 50; ++i)
        root.write("work/many/f" + std::to_string(i) + "/x.txt");
    int pumps = 0;
    setProcessMessagesHook([&] {
        if (++pumps == 1)
            window.reject();
        QCoreApplication::processEvents();
    });
    // Pumps come every 30 ms: a slow walk makes sure there is one.
    setTreeWalkHook([](const std::string&, std::vector<HostEntry>&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    find("*.*");
    EXPECT_GE(pumps, 1);
    EXPECT_FALSE(window.Searching());
    EXPECT_FALSE(window.isVisible());
    EXPECT_GT(window.Found(), 0);
    EXPECT_LT(window.Found(), 100);
    EXPECT_EQ(window.Results().rowCount(), window.Found());
    EXPECT_FALSE(host.active.Busy);
}

// One result: the buttons stay off, a double-click still chooses it.
TEST_F(FindWindowTest, DoubleClickWithOneResult)
{
    find("b.doc");
    ASSERT_EQ(window.Results().rowCount(), 1);
    window.Button_GotoClick();
    EXPECT_EQ(window.Chosen(), -1);
    window.ResultDoubleClick(0);
    EXPECT_EQ(window.Chosen(), 0);
    EXPECT_FALSE(window.isVisible());
}

// Go to opens the folder after the drive part on the panel's own drive and
// puts the cursor on the name.
TEST_F(FindWindowTest, GoToPaths)
{
    root.write("work/sub/x,y.txt");
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        { "c:\\work\\sub\\a.txt", "work\\sub\\", "a.txt" },
        { "d:\\work\\sub\\b.doc", "work\\sub\\", "b.doc" },
        { "c:\\work\\sub", "work\\", "sub" },
        { "c:\\top.txt", "", "top.txt" },
        { "c:\\work\\sub\\x,y.txt", "work\\sub\\", "x,y.txt" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        open(host.active, "work");
        const int updates = host.updates;
        TFormFind::GoTo(host, row.path);
        EXPECT_EQ(host.active.Folder, row.folder);
        EXPECT_EQ(host.active.DiskRoot, "c:\\");
        EXPECT_EQ(host.active.NameAt(host.activeCursor), row.name);
        EXPECT_EQ(host.updates, updates + 1);
    }
    // A list in a walk is left as it is: folder and cursor alike.
    open(host.active, "work");
    host.activeCursor = 2;
    host.active.Busy = true;
    TFormFind::GoTo(host, "c:\\work\\sub\\a.txt");
    host.active.Busy = false;
    EXPECT_EQ(host.active.CurrentFolder(), "c:\\work\\");
    EXPECT_EQ(host.activeCursor, 2);
}

// A ZIP made by the zip tool in c:\work, with folders, and the archive
// disk installed; skipped without the tool.
class FindInArchiveTest : public FindWindowTest {
protected:
    void SetUp() override
    {
        FindWindowTest::SetUp();
        if (std::system("command -v zip >/dev/null 2>&1 && command -v unzip >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "zip and unzip are needed";
        root.write("src/docs/a.txt", "A");
        root.write("src/docs/deep/b.txt", "B");
        root.write("src/docs/deep/c.doc", "C");
        root.write("src/docs/deep.txt/d.txt", "D");
        root.write("src/top.txt", "T");
        root.write("src/readme.doc", "R");
        root.write("work/plain.txt", "P");
        ASSERT_EQ(
            std::system(
                ("cd '" + root / "src" + "' && zip -q -r ../work/pack.zip docs top.txt readme.doc").c_str()),
            0);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        installArchiveDisk(nullptr);
        open(host.active, "work");
        host.active.PushDisk("c:\\work\\pack.zip", DiskKind::Archive, "");
        ASSERT_EQ(host.active.DiskKind, DiskKind::Archive);
    }
    void TearDown() override
    {
        setListingHook(nullptr);
        TBrowser::setArchiveDiskFactory(nullptr);
        TBrowser::setMemberTaker(nullptr);
        removePrivateCacheFolder();
        ::unsetenv("XDG_CACHE_HOME");
        FindWindowTest::TearDown();
    }
    // The members as unzip lists them, as the window shows them: the
    // archive's path, "\" and the member's path with "\", without a
    // trailing one, keeping those whose last part ends in suffix.
    std::set<std::string> members(const std::string& under, const std::string& suffix)
    {
        std::set<std::string> rows;
        FILE* list = ::popen(("unzip -Z1 '" + root / "work/pack.zip" + "'").c_str(), "r");
        char line[512];
        while (list && std::fgets(line, sizeof line, list)) {
            std::string name(line);
            while (!name.empty() && (name.back() == '\n' || name.back() == '/'))
                name.pop_back();
            std::replace(name.begin(), name.end(), '/', '\\');
            if (name.compare(0, under.size(), under) == 0 && name.size() > under.size()
                && name.size() >= suffix.size()
                && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                rows.insert("c:\\work\\pack.zip\\" + name);
        }
        if (list)
            ::pclose(list);
        return rows;
    }
    std::set<std::string> resultSet()
    {
        const std::vector<std::string> rows = results();
        return { rows.begin(), rows.end() };
    }
};

// Hits are the members the zip tool lists, folders included, from the
// archive's top or the panel's folder in it; the walk reads the archive's
// table, never the host's folders.
TEST_F(FindInArchiveTest, ResultsAreTheArchivesMembers)
{
    int hostListings = 0;
    setListingHook([&](const std::string&) { ++hostListings; });

    find("*.txt", true);
    EXPECT_EQ(resultSet(), members("", ".txt"));
    EXPECT_EQ(results().size(), 5u); // a.txt, b.txt, d.txt, top.txt and the folder deep.txt
    // The top's own hits come first.
    ASSERT_FALSE(results().empty());
    EXPECT_EQ(results()[0], "c:\\work\\pack.zip\\top.txt");

    host.active.Folder = "docs\\deep\\";
    host.active.ReadDir();
    find("*.*");
    EXPECT_EQ(resultSet(), members("docs\\deep\\", ""));
    EXPECT_EQ(results().size(), 2u);

    host.active.Folder = "docs\\";
    host.active.ReadDir();
    find("*.doc;d*.*");
    EXPECT_EQ(resultSet(),
        (std::set<std::string> { "c:\\work\\pack.zip\\docs\\deep",
            "c:\\work\\pack.zip\\docs\\deep.txt\\d.txt", "c:\\work\\pack.zip\\docs\\deep.txt",
            "c:\\work\\pack.zip\\docs\\deep\\c.doc" }));
    EXPECT_EQ(hostListings, 0);
}

// Go to from an archive panel: inside the archive the folder changes on the
// pushed disk (the drive's folder below it stays); a drive result pops the
// archive; from a drive panel, a result kept from a search in an archive
// enters that archive again; a member gone from it opens its folder there.
TEST_F(FindInArchiveTest, GoToTable)
{
    const struct {
        bool fromArchive;
        const char* path;
        DiskKind kind;
        const char* current; // the list's CurrentFolder afterwards
        const char* name; // "" when no entry of that name is expected
    } cases[] = {
        { true, "c:\\work\\pack.zip\\docs\\deep\\b.txt", DiskKind::Archive,
            "c:\\work\\pack.zip\\docs\\deep\\", "b.txt" },
        { true, "c:\\work\\pack.zip\\top.txt", DiskKind::Archive, "c:\\work\\pack.zip\\", "top.txt" },
        { true, "c:\\work\\pack.zip\\docs\\deep", DiskKind::Archive, "c:\\work\\pack.zip\\docs\\", "deep" },
        { true, "c:\\work\\plain.txt", DiskKind::Standard, "c:\\work\\", "plain.txt" },
        { true, "d:\\work\\sub\\a.txt", DiskKind::Standard, "c:\\work\\sub\\", "a.txt" },
        { false, "c:\\work\\pack.zip\\docs\\a.txt", DiskKind::Archive, "c:\\work\\pack.zip\\docs\\",
            "a.txt" },
        { false, "c:\\work\\pack.zip\\gone\\x.txt", DiskKind::Archive, "c:\\work\\pack.zip\\gone\\", "" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        open(host.active, "work");
        if (row.fromArchive)
            host.active.PushDisk("c:\\work\\pack.zip", DiskKind::Archive, "docs\\");
        host.activeCursor = 1;
        TFormFind::GoTo(host, row.path);
        EXPECT_EQ(host.active.DiskKind, row.kind);
        EXPECT_EQ(host.active.CurrentFolder(), row.current);
        EXPECT_EQ(host.active.DriveRoot(), "c:\\");
        if (row.kind == DiskKind::Archive) {
            // One archive over the drive, whose folder is the one holding it.
            ASSERT_NE(host.active.Disk->Below, nullptr);
            EXPECT_EQ(host.active.Disk->Below->Below, nullptr);
            EXPECT_EQ(host.active.Disk->Below->SavedFolder, "work\\");
        } else {
            EXPECT_EQ(host.active.Disk->Below, nullptr);
        }
        if (*row.name)
            EXPECT_EQ(host.active.NameAt(host.activeCursor), row.name);
        else
            EXPECT_LE(host.active.Count, 1);
    }
}

// View on a member takes it out, as F3 does, into the run's private cache on
// a drive; a drive result is shown where it is; a member that cannot be
// taken out shows nothing. The archive itself stays as it was.
TEST_F(FindInArchiveTest, ViewTakesTheMemberOut)
{
    const std::string before = readWhole(root / "work/pack.zip");
    std::vector<std::string> viewed;
    window.OnView = [&viewed](const std::string& path) { viewed.push_back(path); };
    find("*.txt", true);
    ASSERT_GE(window.Results().rowCount(), 2);
    const std::vector<std::string> rows = results();
    const auto b = std::find(rows.begin(), rows.end(), "c:\\work\\pack.zip\\docs\\deep\\b.txt");
    ASSERT_NE(b, rows.end());
    window.findChild<QListView*>("ListBox_Results")
        ->setCurrentIndex(window.Results().index(static_cast<int>(b - rows.begin())));
    window.Button_ViewClick();
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].substr(viewed[0].size() - 6), "\\b.txt");
    const auto copy = DriveTable::instance().toHost(viewed[0]);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->rfind(root / "cache", 0), 0u) << *copy;
    EXPECT_EQ(readWhole(*copy), "B");
    EXPECT_FALSE(host.active.Busy);

    EXPECT_EQ(window.ViewablePath("c:\\work\\plain.txt"), "c:\\work\\plain.txt");
    EXPECT_EQ(window.ViewablePath("c:\\work\\pack.zip\\docs\\missing.txt"), "");
    EXPECT_EQ(window.ViewablePath("c:\\work\\pack.zip\\docs"), "");
    EXPECT_EQ(readWhole(root / "work/pack.zip"), before);
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
