#include "panel/browser.h"
#include "panel/mask.h"
#include "platform/drives.h"
#include "platform/process_messages.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ov;

namespace {

// A temporary folder mapped as drive c: for the length of a test.
class BrowserTest : public testing::Test {
protected:
    void SetUp() override { DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } }); }
    void TearDown() override { DriveTable::instance().reset(); }

    std::vector<std::string> names(const TBrowser& list) const
    {
        std::vector<std::string> result;
        for (int i = 1; i <= list.Count; ++i)
            result.push_back(list.NameAt(i));
        return result;
    }
    void open(TBrowser& list, const std::string& folder = "")
    {
        list.OpenDisk("c", DiskKind::Standard, folder);
    }

    test::TempFolder root;
};

} // namespace

TEST_F(BrowserTest, ParentEntryOnlyBelowTheRoot)
{
    root.folder("a/b");
    TBrowser list;
    open(list);
    EXPECT_EQ(list.DiskRoot, "c:\\");
    EXPECT_EQ(names(list), (std::vector<std::string> { "a" }));
    for (int mode : { srNone, srName, srExt, srSize, srDate }) {
        list.SortMode = mode;
        list.Folder = "a\\";
        list.ReadDir();
        ASSERT_GE(list.Count, 1);
        EXPECT_EQ(list.NameAt(1), "..") << mode;
        EXPECT_TRUE(list.Entries[0].IsParent);
    }
    // Going up from c:\a\b\ lands on b; at the root nothing happens.
    ASSERT_TRUE(list.EnterFolder(2));
    EXPECT_EQ(list.Folder, "a\\b\\");
    ASSERT_TRUE(list.GoUp());
    EXPECT_EQ(list.NameAt(list.CurIndex), "b");
    ASSERT_TRUE(list.EnterFolder(1)); // ".." is GoUp
    EXPECT_EQ(list.Folder, "");
    EXPECT_EQ(list.NameAt(list.CurIndex), "a");
    EXPECT_FALSE(list.GoUp());
}

TEST_F(BrowserTest, SortOrders)
{
    root.folder("zz");
    root.write("run.exe", "12");
    root.write("a.txt", "1234567890");
    root.write("B.zip", "12345");
    root.write("b.txt", "12345");
    root.write("noext", "1");
    root.folder("Adir");
    struct Row {
        int mode;
        bool execFirst;
        std::vector<std::string> expected;
    } rows[] = {
        // Folders first, then executables, then the rest; a..z folded only.
        { srName, true, { "Adir", "zz", "run.exe", "a.txt", "b.txt", "B.zip", "noext" } },
        { srName, false, { "Adir", "zz", "a.txt", "b.txt", "B.zip", "noext", "run.exe" } },
        { srExt, false, { "Adir", "zz", "noext", "run.exe", "a.txt", "b.txt", "B.zip" } },
        // Largest first; equal sizes by name, then extension.
        { srSize, false, { "Adir", "zz", "a.txt", "b.txt", "B.zip", "run.exe", "noext" } },
        // Reading order is byte order of the names, folders still first.
        { srNone, false, { "Adir", "zz", "B.zip", "a.txt", "b.txt", "noext", "run.exe" } },
    };
    for (const Row& row : rows) {
        TBrowser list;
        list.SortMode = row.mode;
        list.ExecFirst = row.execFirst;
        open(list);
        EXPECT_EQ(names(list), row.expected) << "mode " << row.mode;
    }
}

TEST_F(BrowserTest, SizeOrderHoldsBeyondFourGigabytes)
{
    const std::string big = root.write("big.bin");
    ASSERT_EQ(::truncate(big.c_str(), (int64_t { 5 } << 30)), 0); // sparse
    root.write("mid.bin", std::string(3000, 'x'));
    const std::string huge = root.write("huge.bin");
    ASSERT_EQ(::truncate(huge.c_str(), (int64_t { 9 } << 30)), 0);
    TBrowser list;
    list.SortMode = srSize;
    open(list);
    EXPECT_EQ(names(list), (std::vector<std::string> { "huge.bin", "big.bin", "mid.bin" }));
    EXPECT_EQ(list.Entries[1].Size, int64_t { 5 } << 30);
    list.ToggleSelect(1);
    list.ToggleSelect(2);
    EXPECT_EQ(list.SelBytes, int64_t { 14 } << 30);
}

TEST(SortKey, DateOrderIsNewestFirstAndKeysStayWithin128)
{
    Entry older, newer, longName;
    splitName("old.txt", older);
    splitName("new.txt", newer);
    older.Created = { 1998, 11, 0, 19, 10, 0, 0, 0 };
    newer.Created = { 2024, 1, 0, 2, 3, 4, 5, 0 };
    EXPECT_LT(TBrowser::BuildSortKey(newer, srDate, true, false, 1),
        TBrowser::BuildSortKey(older, srDate, true, false, 2));
    EXPECT_EQ(TBrowser::BuildSortKey(newer, srDate, true, false, 1).substr(0, 15), "@79759897969594");

    splitName(std::string(300, 'n') + "." + std::string(300, 'e'), longName);
    for (int mode = srNone; mode <= srWritten; ++mode)
        EXPECT_LE(TBrowser::BuildSortKey(longName, mode, true, true, 1).size(), 128u);
    EXPECT_EQ(TBrowser::BuildSortKey(longName, srNone, true, true, 7), "@0000000007");
}

TEST_F(BrowserTest, NamesLongerThanTheKeyStillSortTheSameOnEveryRead)
{
    const std::string stem(40, 'x');
    root.write(stem + "b");
    root.write(stem + "a");
    TBrowser list;
    open(list);
    EXPECT_EQ(names(list), (std::vector<std::string> { stem + "a", stem + "b" }));
}

TEST_F(BrowserTest, HiddenEntriesAndOddNames)
{
    root.write(".profile", "x");
    root.folder(".config");
    root.write("file.", "x");
    root.write("...", "x");
    root.write("back\\slash", "x");
    TBrowser list;
    open(list);
    // A leading dot hides a name, "..." included.
    EXPECT_EQ(names(list), (std::vector<std::string> { "back\xEF\x81\x9Cslash", "file." }));
    list.ShowHidden = true;
    list.ReadDir();
    EXPECT_EQ(names(list),
        (std::vector<std::string> { ".config", ".profile", "...", "back\xEF\x81\x9Cslash", "file." }));
    const Entry& profile = list.Entries[1];
    EXPECT_EQ(profile.Name, "");
    EXPECT_EQ(profile.Ext, "profile");
    // The name comes back to the disk as itself: "file." is not "file".
    auto host = DriveTable::instance().toHost(list.CurrentFolder() + list.NameAt(5));
    ASSERT_TRUE(host);
    EXPECT_EQ(*host, root / "file.");
    host = DriveTable::instance().toHost(list.CurrentFolder() + list.NameAt(4));
    EXPECT_EQ(*host, root / "back\\slash");
}

TEST_F(BrowserTest, SelectionTotalsAndRefresh)
{
    root.folder("d");
    root.write("a100", std::string(100, 'x'));
    root.write("b50", std::string(50, 'x'));
    TBrowser list;
    open(list, "");
    list.Folder = "d\\";
    list.ReadDir();
    list.ToggleSelect(1); // ".." is never selected
    EXPECT_EQ(list.SelCount, 0);
    list.Folder = "";
    list.ReadDir();
    list.ToggleSelect(2);
    list.ToggleSelect(3);
    EXPECT_EQ(list.SelCount, 2);
    EXPECT_EQ(list.SelBytes, 150);
    list.ToggleSelect(2);
    EXPECT_EQ(list.SelCount, 1);
    EXPECT_EQ(list.SelBytes, 50);

    // Refresh keeps the cursor on its name, and puts it on 1 when the name is gone.
    list.CurIndex = 3;
    root.write("a0", "");
    list.Refresh();
    EXPECT_EQ(list.NameAt(list.CurIndex), "b50");
    std::filesystem::remove(root / "b50");
    list.Refresh();
    EXPECT_EQ(list.CurIndex, 1);
    EXPECT_EQ(list.SelCount, 0);
}

TEST_F(BrowserTest, MissingFoldersGiveEmptyListsAndEmptyRootsGiveNothing)
{
    TBrowser list;
    open(list, "gone\\");
    EXPECT_EQ(names(list), (std::vector<std::string> { ".." }));
    open(list);
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.CurIndex, 0);
    list.ToggleSelect(1);
    list.FindNextMatch("*");
    EXPECT_FALSE(list.EnterFolder(1));
    EXPECT_EQ(list.NameAt(1), "");
    EXPECT_EQ(list.SelectedSize(), 0);

    // An unmapped drive behaves like a missing folder.
    list.OpenDisk("q", DiskKind::Standard, "");
    EXPECT_EQ(list.Count, 0);
}

TEST_F(BrowserTest, FolderSizeNeverFollowsLinksAndNeverOpensFifos)
{
    test::TempFolder outside;
    outside.write("big", std::string(5000, 'x'));
    root.write("tree/a", std::string(10, 'x'));
    root.write("tree/sub/b", std::string(20, 'x'));
    root.write("tree/sub/deeper/c", std::string(30, 'x'));
    ASSERT_EQ(::symlink(outside.path().c_str(), (root / "tree/sub/out").c_str()), 0);
    ASSERT_EQ(::symlink((root / "tree").c_str(), (root / "tree/sub/loop").c_str()), 0);
    ASSERT_EQ(::mkfifo((root / "tree/fifo").c_str(), 0644), 0);

    int pumped = 0;
    setProcessMessagesHook([&] { ++pumped; });
    TBrowser list;
    open(list);
    list.ToggleSelect(1);
    EXPECT_EQ(list.SelectedSize(), 60);
    EXPECT_EQ(list.Entries[0].Size, 60);
    EXPECT_EQ(list.SelBytes, 60);
    EXPECT_GE(pumped, 3);
    EXPECT_FALSE(list.Busy);
    setProcessMessagesHook(nullptr);

    // A walk refuses re-reads until it ends.
    list.Busy = true;
    EXPECT_FALSE(list.ReadDir());
    EXPECT_EQ(list.Count, 1);
    list.Stop();
    EXPECT_FALSE(list.Busy);
}

TEST_F(BrowserTest, AMeasuredEmptyFolderIsMarkedMeasured)
{
    root.folder("empty");
    root.write("full/a", "abc");
    TBrowser list;
    open(list);
    ASSERT_EQ(names(list), (std::vector<std::string> { "empty", "full" }));
    EXPECT_FALSE(list.Entries[0].Measured);
    EXPECT_TRUE(list.MeasureFolder(1));
    EXPECT_TRUE(list.MeasureFolder(2));
    EXPECT_TRUE(list.Entries[0].Measured);
    EXPECT_EQ(list.Entries[0].Size, 0);
    EXPECT_TRUE(list.Entries[1].Measured);
    EXPECT_EQ(list.Entries[1].Size, 3);
}

TEST_F(BrowserTest, AListReadOnAnotherThreadIsTakenOver)
{
    root.write("sub/b.txt", "bb");
    root.write("sub/a.exe", "a");
    TBrowser list;
    list.ExecFirst = true;
    list.OnDeleteStart = [](TBrowser&) {};
    open(list);
    const uint64_t generation = list.generation();
    TBrowser elsewhere;
    elsewhere.ExecFirst = true;
    std::thread reader([&elsewhere] { elsewhere.OpenDisk("c", DiskKind::Standard, "sub\\"); });
    reader.join();
    list.TakeListFrom(elsewhere);
    EXPECT_EQ(names(list), (std::vector<std::string> { "..", "a.exe", "b.txt" }));
    EXPECT_EQ(list.CurrentFolder(), "c:\\sub\\");
    EXPECT_NE(list.generation(), generation);
    EXPECT_TRUE(list.OnDeleteStart != nullptr); // the list's own events stay
    EXPECT_EQ(elsewhere.Count, 0);
    EXPECT_EQ(elsewhere.Disk, nullptr);
    // The taken list works as its own: up and back.
    EXPECT_TRUE(list.GoUp());
    EXPECT_EQ(list.NameAt(list.CurIndex), "sub");
}

TEST_F(BrowserTest, StopEndsAWalkAndAReReadListIsNotWrittenInto)
{
    for (int i = 0; i < 5; ++i)
        root.write("t/f" + std::to_string(i) + "/x", "12345");
    TBrowser list;
    open(list);
    setProcessMessagesHook([&] { list.Stop(); });
    EXPECT_TRUE(list.MeasureFolder(1));
    EXPECT_LT(list.Entries[0].Size, 25); // stopped after the first folder
    setProcessMessagesHook(nullptr);
}

TEST_F(BrowserTest, FindNextMatchWrapsAndStaysWithoutAMatch)
{
    for (const char* name : { "a.txt", "b.doc", "c.txt" })
        root.write(name);
    TBrowser list;
    open(list);
    list.CurIndex = 1;
    list.FindNextMatch("*.txt");
    EXPECT_EQ(list.CurIndex, 3);
    list.FindNextMatch("*.txt");
    EXPECT_EQ(list.CurIndex, 1);
    list.CurIndex = 2;
    list.FindNextMatch("*.pdf");
    EXPECT_EQ(list.CurIndex, 2);
}

TEST_F(BrowserTest, MaskFiltersFilesNeverFolders)
{
    root.folder("docs");
    root.write("a.txt");
    root.write("b.bin");
    TBrowser list;
    list.Mask = "*.txt";
    open(list);
    EXPECT_EQ(names(list), (std::vector<std::string> { "docs", "a.txt" }));
}

namespace {

// A disk of kind 1 standing in for an archive: one folder level.
class FakeArchiveDisk : public TDiskInterface {
public:
    explicit FakeArchiveDisk(const std::string& root) { Root = root; }
    bool FindFirst(const std::string& folder, Entry& entry) override
    {
        m_items = folder.empty() ? std::vector<std::string> { "inner", "x.txt" }
                                 : std::vector<std::string> { "y.txt" };
        m_next = 0;
        return FindNext(entry);
    }
    bool FindNext(Entry& entry) override
    {
        if (m_next >= m_items.size())
            return false;
        entry = Entry();
        splitName(m_items[m_next++], entry);
        entry.Attr = entry.Ext.empty() ? faDirectory : 0;
        return true;
    }
    bool GetFile(const std::string&, const std::string&) override { return false; }
    bool PutFile(const std::string&, const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    bool MakeDir(const std::string&) override { return false; }
    bool RemoveDir(const std::string&) override { return false; }

private:
    std::vector<std::string> m_items;
    std::size_t m_next = 0;
};

} // namespace

TEST_F(BrowserTest, LeavingAnArchiveLandsOnTheArchive)
{
    root.write("dir/first.txt");
    root.write("dir/pack.zip");
    root.write("dir/zlast.txt");
    TBrowser::setArchiveDiskFactory(
        [](const std::string& path) { return std::make_unique<FakeArchiveDisk>(path); });
    TBrowser list;
    open(list, "dir\\");
    list.PushDisk("c:\\dir\\pack.zip", DiskKind::Archive, "");
    EXPECT_EQ(list.DiskKind, DiskKind::Archive);
    EXPECT_EQ(names(list), (std::vector<std::string> { "..", "inner", "x.txt" }));
    ASSERT_TRUE(list.EnterFolder(2));
    EXPECT_EQ(names(list), (std::vector<std::string> { "..", "y.txt" }));
    ASSERT_TRUE(list.GoUp());
    ASSERT_TRUE(list.GoUp()); // out of the archive
    EXPECT_EQ(list.DiskKind, DiskKind::Standard);
    EXPECT_EQ(list.Folder, "dir\\");
    EXPECT_EQ(list.NameAt(list.CurIndex), "pack.zip");
    TBrowser::setArchiveDiskFactory(nullptr);
}

TEST(MatchMask, Table)
{
    struct Row {
        const char* name;
        const char* masks;
        bool matches;
    } rows[] = {
        { "readme", "*.txt;*", true },
        { "a.txt", "*", false },
        { "readme", "*.*", true },
        { "a.txt", "*.*", true },
        { "abc.txt", "A?C.TXT", true },
        { "abcd.txt", "A?C.TXT", false },
        { "a.txt", "*.t*", true },
        { "b.t", "*.t*", true },
        { "b.t", "*.tx?", false },
        { "x.tar.gz", "*.gz", true },
        { "x.tar.gz", "*.tar.gz", true },
        { "x.tar.gz", "*.tar", false },
        { "x.tar.gz", "x.*", true },
        { ".profile", "*.profile", true },
        { "a.txt", "*.doc,*.txt,", true },
        { "a.txt", ",,", false },
        { "A.TXT", "a.txt", true },
        { "ab", "a*b", true }, // only what stands before the first "*" counts
        { "a", "ab*", false },
        { "report.doc", "rep*.doc;x", true },
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchMask(row.name, row.masks), row.matches) << row.name << " ~ " << row.masks;
}
