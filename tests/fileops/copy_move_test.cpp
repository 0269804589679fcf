// The copy and move walks of the file list, on real folders: each row
// builds a small tree, runs one walk and compares both whole trees with
// what must be there afterwards.
#include "platform/file_operation.h"
#include "platform/file_system.h"
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
using namespace ov::test;

namespace {

class CopyMoveTest : public FileOpsTest { };

// An archive disk that, like the real one, changes nothing.
class ReadOnlyArchiveDisk : public TDiskInterface {
public:
    bool FindFirst(const std::string&, Entry&) override { return false; }
    bool FindNext(Entry&) override { return false; }
    bool GetFile(const std::string&, const std::string&) override { return false; }
    bool PutFile(const std::string&, const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    bool MakeDir(const std::string&) override { return false; }
    bool RemoveDir(const std::string&) override { return false; }
};

struct Row {
    const char* name;
    std::function<void(TempFolder&)> build;
    std::string sourceFolder; // c:\<this>
    std::string targetFolder;
    std::vector<std::string> selected; // empty: the entry named by current
    std::string current;
    bool move;
    bool expectedResult;
    Tree expected; // the whole tree under root afterwards
};

std::string outsideLink()
{
    return "../../outside";
}

} // namespace

TEST_F(CopyMoveTest, SafetyTable)
{
    const Row rows[] = {
        { "copy onto itself (same folder in both panels)",
            [](TempFolder& t) { t.write("src/a.txt", "data"); }, "src", "src", { "a.txt" }, "", false, false,
            { { "src", "d" }, { "src/a.txt", "f data" } } },
        { "move onto itself", [](TempFolder& t) { t.write("src/a.txt", "data"); }, "src", "src", { "a.txt" },
            "", true, false, { { "src", "d" }, { "src/a.txt", "f data" } } },
        { "folder copied onto itself", [](TempFolder& t) { t.write("src/d/a", "1"); }, "src", "src", { "d" },
            "", false, false, { { "src", "d" }, { "src/d", "d" }, { "src/d/a", "f 1" } } },
        { "copy onto a hard link of itself",
            [](TempFolder& t) {
                t.write("src/a.txt", "data");
                t.folder("dst");
                ::link((t / "src/a.txt").c_str(), (t / "dst/a.txt").c_str());
            },
            "src", "dst", { "a.txt" }, "", false, false,
            { { "src", "d" }, { "src/a.txt", "f data" }, { "dst", "d" }, { "dst/a.txt", "f data" } } },
        { "move onto a hard link of itself",
            [](TempFolder& t) {
                t.write("src/a.txt", "data");
                t.folder("dst");
                ::link((t / "src/a.txt").c_str(), (t / "dst/a.txt").c_str());
            },
            "src", "dst", { "a.txt" }, "", true, false,
            { { "src", "d" }, { "src/a.txt", "f data" }, { "dst", "d" }, { "dst/a.txt", "f data" } } },
        { "folder copied into its own sub-folder", [](TempFolder& t) { t.write("src/d/sub/a", "1"); }, "src",
            "src\\d\\sub", { "d" }, "", false, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/sub", "d" }, { "src/d/sub/a", "f 1" } } },
        { "folder moved into its own sub-folder", [](TempFolder& t) { t.write("src/d/sub/a", "1"); }, "src",
            "src\\d\\sub", { "d" }, "", true, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/sub", "d" }, { "src/d/sub/a", "f 1" } } },
        { "link to an outside folder is copied as a link",
            [](TempFolder& t) {
                t.write("outside/keep", "k");
                t.write("src/d/a", "1");
                ::symlink(outsideLink().c_str(), (t / "src/d/out").c_str());
                t.folder("dst");
            },
            "src", "dst", { "d" }, "", false, true,
            { { "outside", "d" }, { "outside/keep", "f k" }, { "src", "d" }, { "src/d", "d" },
                { "src/d/a", "f 1" }, { "src/d/out", "l ../../outside" }, { "dst", "d" }, { "dst/d", "d" },
                { "dst/d/a", "f 1" }, { "dst/d/out", "l ../../outside" } } },
        { "a FIFO in a copied folder fails alone",
            [](TempFolder& t) {
                t.write("src/d/a", "1");
                t.write("src/d/z", "2");
                ::mkfifo((t / "src/d/pipe").c_str(), 0644);
                t.folder("dst");
            },
            "src", "dst", { "d" }, "", false, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/a", "f 1" }, { "src/d/pipe", "p" },
                { "src/d/z", "f 2" }, { "dst", "d" }, { "dst/d", "d" }, { "dst/d/a", "f 1" },
                { "dst/d/z", "f 2" } } },
        { "a FIFO in a moved folder stays with its folder",
            [](TempFolder& t) {
                t.write("src/d/a", "1");
                ::mkfifo((t / "src/d/pipe").c_str(), 0644);
                t.folder("dst/d");
                t.write("dst/d/other", "o");
            },
            "src", "dst", { "d" }, "", true, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/pipe", "p" }, { "dst", "d" }, { "dst/d", "d" },
                { "dst/d/a", "f 1" }, { "dst/d/other", "f o" } } },
        { "hidden files inside a selected folder",
            [](TempFolder& t) {
                t.write("src/d/.hidden", "h");
                t.write("src/d/.sub/.deeper", "x");
                t.folder("dst");
            },
            "src", "dst", { "d" }, "", false, true,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/.hidden", "f h" }, { "src/d/.sub", "d" },
                { "src/d/.sub/.deeper", "f x" }, { "dst", "d" }, { "dst/d", "d" }, { "dst/d/.hidden", "f h" },
                { "dst/d/.sub", "d" }, { "dst/d/.sub/.deeper", "f x" } } },
        { "an existing target is replaced",
            [](TempFolder& t) {
                t.write("src/a.txt", "new");
                t.write("dst/a.txt", "old content");
            },
            "src", "dst", { "a.txt" }, "", false, true,
            { { "src", "d" }, { "src/a.txt", "f new" }, { "dst", "d" }, { "dst/a.txt", "f new" } } },
        { "a folder never replaces a file",
            [](TempFolder& t) {
                t.write("src/d/a", "1");
                t.write("dst/d", "a file");
            },
            "src", "dst", { "d" }, "", true, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/a", "f 1" }, { "dst", "d" },
                { "dst/d", "f a file" } } },
        { "move of a tree leaves no empty source folders",
            [](TempFolder& t) {
                t.write("src/d/a", "1");
                t.write("src/d/s1/b", "2");
                t.write("src/d/s1/s2/c", "3");
                t.write("src/e.txt", "4");
                t.folder("dst");
            },
            "src", "dst", { "d", "e.txt" }, "", true, true,
            { { "src", "d" }, { "dst", "d" }, { "dst/d", "d" }, { "dst/d/a", "f 1" }, { "dst/d/s1", "d" },
                { "dst/d/s1/b", "f 2" }, { "dst/d/s1/s2", "d" }, { "dst/d/s1/s2/c", "f 3" },
                { "dst/e.txt", "f 4" } } },
        { "move merges into an existing folder",
            [](TempFolder& t) {
                t.write("src/d/a", "new a");
                t.write("src/d/s/b", "2");
                t.write("dst/d/a", "old a");
                t.write("dst/d/keep", "k");
            },
            "src", "dst", { "d" }, "", true, true,
            { { "src", "d" }, { "dst", "d" }, { "dst/d", "d" }, { "dst/d/a", "f new a" },
                { "dst/d/keep", "f k" }, { "dst/d/s", "d" }, { "dst/d/s/b", "f 2" } } },
        { "a moved link stays a link",
            [](TempFolder& t) {
                t.write("outside/keep", "k");
                t.folder("src");
                ::symlink("../outside", (t / "src/out").c_str());
                t.folder("dst");
            },
            "src", "dst", { "out" }, "", true, true,
            { { "outside", "d" }, { "outside/keep", "f k" }, { "src", "d" }, { "dst", "d" },
                { "dst/out", "l ../outside" } } },
        { "a name with ';' is one name",
            [](TempFolder& t) {
                t.write("src/a;b.txt", "x");
                t.folder("dst");
            },
            "src", "dst", { "a;b.txt" }, "", false, true,
            { { "src", "d" }, { "src/a;b.txt", "f x" }, { "dst", "d" }, { "dst/a;b.txt", "f x" } } },
        { "cursor on '..' copies nothing",
            [](TempFolder& t) {
                t.write("src/a", "1");
                t.folder("dst");
            },
            "src", "dst", {}, "..", false, true, { { "src", "d" }, { "src/a", "f 1" }, { "dst", "d" } } },
        { "without a selection the current entry goes",
            [](TempFolder& t) {
                t.write("src/a", "1");
                t.write("src/b", "2");
                t.folder("dst");
            },
            "src", "dst", {}, "b", true, true,
            { { "src", "d" }, { "src/a", "f 1" }, { "dst", "d" }, { "dst/b", "f 2" } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root.path());
        std::filesystem::create_directories(root.path());
        row.build(root);
        TBrowser source;
        TBrowser target;
        open(source, row.sourceFolder);
        open(target, row.targetFolder);
        select(source, row.selected);
        if (!row.current.empty())
            source.CurIndex = indexOf(source, row.current);
        EXPECT_EQ(source.CopyTo(target, row.move), row.expectedResult);
        EXPECT_EQ(describeTree(root.path()), row.expected);
        EXPECT_EQ(source.SelCount, 0);
        EXPECT_FALSE(source.Busy);
    }
}

// Several selected files: all copied, each unselected after its copy, the
// events in order with the totals the window's bars need.
TEST_F(CopyMoveTest, EventsAndSelection)
{
    root.write("src/a", "12345");
    root.write("src/b", "");
    root.write("src/c", std::string(70000, 'c'));
    root.write("src/d/inner", "xy");
    root.folder("dst");
    TBrowser source;
    TBrowser target;
    open(source, "src");
    open(target, "dst");
    select(source, { "a", "b", "c", "d" });
    std::vector<std::string> events;
    source.OnCopyStart
        = [&](TBrowser&, int64_t total) { events.push_back("start " + std::to_string(total)); };
    source.OnFileStart = [&](TBrowser& sender, const std::string& from, const std::string& to, int64_t size) {
        events.push_back("file " + from + " > " + to + " " + std::to_string(size) + " selected "
            + std::to_string(sender.SelCount));
    };
    source.OnProgress = [&](TBrowser&, int64_t done, int64_t size) {
        events.push_back(std::to_string(done) + "/" + std::to_string(size));
    };
    source.OnFileEnd = [&](TBrowser&) { events.push_back("end"); };
    source.OnCopyEnd = [&](TBrowser&) { events.push_back("done"); };
    EXPECT_TRUE(source.CopyTo(target, false));
    // List order: the folder first.
    const std::vector<std::string> expected {
        "start 70007",
        "file c:\\src\\d\\inner > c:\\dst\\d\\inner 2 selected 4",
        "2/2",
        "end",
        "file c:\\src\\a > c:\\dst\\a 5 selected 3",
        "5/5",
        "end",
        "file c:\\src\\b > c:\\dst\\b 0 selected 2",
        "0/0",
        "end",
        "file c:\\src\\c > c:\\dst\\c 70000 selected 1",
        "32768/70000",
        "65536/70000",
        "70000/70000",
        "end",
        "done",
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(source.SelCount, 0);
    EXPECT_EQ(source.SelBytes, 0);
}

// The walk's order: files of a folder in listing order, then its
// sub-folders, the most recently found first; each moved source folder
// removed right after its walk.
TEST_F(CopyMoveTest, FolderWalkOrder)
{
    root.write("src/d/a", "1");
    root.write("src/d/s1/x", "2");
    root.write("src/d/s2/y", "3");
    root.write("src/d/s2/t/z", "4");
    root.write("src/d/z", "5");
    root.folder("dst");
    TBrowser source;
    TBrowser target;
    open(source, "src");
    open(target, "dst");
    select(source, { "d" });
    std::vector<std::string> order;
    source.OnFileStart = [&](TBrowser&, const std::string& from, const std::string&, int64_t) {
        order.push_back(from.substr(9)); // below the folder c:\src\d
    };
    ASSERT_TRUE(source.CopyTo(target, false));
    EXPECT_EQ(order, (std::vector<std::string> { "a", "z", "s2\\y", "s2\\t\\z", "s1\\x" }));
}

// Sizes around the block size: contents arrive whole and OnProgress fires
// once per 32768-byte block, ending at the size.
TEST_F(CopyMoveTest, BlockSizesAndProgress)
{
    struct SizeRow {
        int64_t size;
        std::vector<int64_t> progress;
    } rows[] = {
        { 0, { 0 } },
        { 1, { 1 } },
        { 32767, { 32767 } },
        { 32768, { 32768 } },
        { 32769, { 32768, 32769 } },
        { 100000, { 32768, 65536, 98304, 100000 } },
    };
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.size);
        std::string bytes(static_cast<std::size_t>(row.size), '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 7919) >> 3);
        const std::string name = "f" + std::to_string(row.size);
        root.write("src/" + name, bytes);
        root.folder("dst");
        TBrowser source;
        TBrowser target;
        open(source, "src");
        open(target, "dst");
        source.CurIndex = indexOf(source, name);
        std::vector<int64_t> progress;
        int64_t announced = -1;
        source.OnFileStart
            = [&](TBrowser&, const std::string&, const std::string&, int64_t size) { announced = size; };
        source.OnProgress = [&](TBrowser&, int64_t done, int64_t size) {
            EXPECT_EQ(size, row.size);
            progress.push_back(done);
        };
        ASSERT_TRUE(source.CopyTo(target, false));
        EXPECT_EQ(announced, row.size);
        EXPECT_EQ(progress, row.progress);
        EXPECT_EQ(readWhole(root / ("dst/" + name)), bytes);
    }
}

// Times to the nanosecond, permission bits and the stored DOS attributes
// travel with a copy and with a move (by rename and by copying).
TEST_F(CopyMoveTest, KeepsTimesModesAndAttributes)
{
    struct Facts {
        const char* name;
        mode_t mode;
        uint16_t dos;
    } files[] = { { "readonly.txt", 0444, 0x21 }, { "script.sh", 0755, 0 }, { "system.sys", 0640, 0x24 } };
    const timespec when[2] = { { 1000000000, 123456789 }, { 1200000000, 987654321 } };
    for (const bool move : { false, true }) {
        SCOPED_TRACE(move ? "move" : "copy");
        std::filesystem::remove_all(root / "src");
        std::filesystem::remove_all(root / "dst");
        root.folder("dst");
        bool xattrs = true;
        for (const Facts& file : files) {
            const std::string path = root.write(std::string("src/d/") + file.name, "content");
            if (file.dos)
                xattrs = writeStoredDosAttributes(path, file.dos) && xattrs;
            ::chmod(path.c_str(), file.mode);
            ::utimensat(AT_FDCWD, path.c_str(), when, 0);
        }
        // A link keeps its own times too.
        ASSERT_EQ(::symlink("readonly.txt", (root / "src/d/link").c_str()), 0);
        ::utimensat(AT_FDCWD, (root / "src/d/link").c_str(), when, AT_SYMLINK_NOFOLLOW);
        ::chmod((root / "src/d").c_str(), 0750);
        ::utimensat(AT_FDCWD, (root / "src/d").c_str(), when, 0);
        TBrowser source;
        TBrowser target;
        open(source, "src");
        open(target, "dst");
        select(source, { "d" });
        ASSERT_TRUE(source.CopyTo(target, move));
        for (const std::string& folder : { std::string("dst/d"), std::string("dst/d/") }) {
            struct stat info { };
            ASSERT_EQ(::stat((root / folder).c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0750u);
            EXPECT_EQ(info.st_mtim.tv_sec, when[1].tv_sec);
            EXPECT_EQ(info.st_mtim.tv_nsec, when[1].tv_nsec);
        }
        struct stat link { };
        ASSERT_EQ(::lstat((root / "dst/d/link").c_str(), &link), 0);
        EXPECT_TRUE(S_ISLNK(link.st_mode));
        EXPECT_EQ(link.st_mtim.tv_sec, when[1].tv_sec);
        EXPECT_EQ(link.st_mtim.tv_nsec, when[1].tv_nsec);
        for (const Facts& file : files) {
            SCOPED_TRACE(file.name);
            const std::string path = root / (std::string("dst/d/") + file.name);
            struct stat info { };
            ASSERT_EQ(::stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, file.mode);
            EXPECT_EQ(info.st_mtim.tv_sec, when[1].tv_sec);
            EXPECT_EQ(info.st_mtim.tv_nsec, when[1].tv_nsec);
            if (xattrs) {
                EXPECT_EQ(readStoredDosAttributes(path), file.dos);
            }
            HostEntry entry;
            ASSERT_TRUE(statPath(path, entry));
            EXPECT_EQ((entry.attr & faReadOnly) != 0, file.mode == 0444);
        }
    }
}

// Against the shell's own tools on one varied tree: our copy gives what
// `cp -a` gives (contents, links, permission bits, times to the
// nanosecond), our move what `mv` gives, and the sources go as they do.
TEST_F(CopyMoveTest, MatchesCpAndMv)
{
    const auto build = [this](const std::string& top) {
        for (int i = 0; i < 120; ++i) {
            const std::string folder
                = top + "/f" + std::to_string(i % 12) + (i % 5 == 0 ? "/deeper/still" : "");
            const std::string name = folder + (i % 17 == 0 ? "/.hidden" : "/file") + std::to_string(i);
            const std::size_t sizes[] = { 0, 1, 32767, 32768, 32769, 100000 };
            std::string content(sizes[i % 6], static_cast<char>('a' + i % 26));
            const std::string path = root.write(name, content);
            ::chmod(path.c_str(), i % 9 == 0 ? 0444 : i % 7 == 0 ? 0755 : 0640);
            const timespec when[2] = { { 1500000000 + i, 111 * i }, { 1400000000 + i, 999999 * i } };
            ::utimensat(AT_FDCWD, path.c_str(), when, 0);
            if (i % 11 == 0) {
                const std::string link = root / (folder + "/link" + std::to_string(i));
                ::symlink(i % 2 ? "../elsewhere" : "/etc", link.c_str());
                ::utimensat(AT_FDCWD, link.c_str(), when, AT_SYMLINK_NOFOLLOW);
            }
        }
        ::chmod((root / (top + "/f3")).c_str(), 0750);
    };
    const auto shell
        = [](const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; };
    build("src/t");
    const Tree original = describeTree(root / "src/t", true);

    root.folder("ours");
    root.folder("theirs");
    shell("cp -a '" + (root / "src/t") + "' '" + (root / "theirs") + "/'");
    TBrowser source;
    TBrowser target;
    open(source, "src");
    open(target, "ours");
    select(source, { "t" });
    ASSERT_TRUE(source.CopyTo(target, false));
    EXPECT_EQ(describeTree(root / "ours/t", true), describeTree(root / "theirs/t", true));
    EXPECT_EQ(describeTree(root / "ours/t", true), original);

    // Move within one filesystem, from a copy of the same tree.
    shell("cp -a '" + (root / "src/t") + "' '" + (root / "moving") + "'");
    shell("mv '" + (root / "theirs/t") + "' '" + (root / "theirs/moved") + "'");
    open(source, "");
    open(target, "ours");
    std::filesystem::remove_all(root / "ours/t");
    select(source, { "moving" });
    ASSERT_TRUE(source.CopyTo(target, true));
    EXPECT_FALSE(std::filesystem::exists(root / "moving"));
    EXPECT_EQ(describeTree(root / "ours/moving", true), describeTree(root / "theirs/moved", true));
}

// Moving into an archive panel and copying out of one: nothing is touched.
TEST_F(CopyMoveTest, ArchivePanelsTakePartInNothing)
{
    root.write("src/a", "1");
    root.write("dst/pack.zip", "not really");
    TBrowser::setArchiveDiskFactory(
        [](const std::string&) { return std::make_unique<ReadOnlyArchiveDisk>(); });
    const Tree before = describeTree(root.path());
    for (const bool move : { false, true }) {
        TBrowser source;
        TBrowser archive;
        open(source, "src");
        open(archive, "dst");
        archive.PushDisk(root / "dst/pack.zip", DiskKind::Archive, "");
        ASSERT_EQ(archive.DiskKind, DiskKind::Archive);
        select(source, { "a" });
        EXPECT_FALSE(source.CopyTo(archive, move));
        EXPECT_FALSE(archive.CopyTo(source, move));
        EXPECT_EQ(describeTree(root.path()), before);
    }
    TBrowser::setArchiveDiskFactory(nullptr);
}

// Stop during a walk: the current file finishes, no further entry starts,
// the remaining entries are unselected; a walk started from inside a
// running one does nothing.
TEST_F(CopyMoveTest, StopAndReentry)
{
    for (const char* name : { "a", "b", "c" })
        root.write(std::string("src/") + name, name);
    root.folder("dst");
    TBrowser source;
    TBrowser target;
    open(source, "src");
    open(target, "dst");
    select(source, { "a", "b", "c" });
    int files = 0;
    source.OnFileStart = [&](TBrowser& sender, const std::string&, const std::string&, int64_t) {
        EXPECT_TRUE(sender.CopyTo(target, true)); // refused: changes nothing
        EXPECT_TRUE(sender.DeleteSelected());
    };
    source.OnFileEnd = [&](TBrowser& sender) {
        if (++files == 1)
            sender.Stop();
    };
    EXPECT_TRUE(source.CopyTo(target, false));
    EXPECT_EQ(files, 1);
    EXPECT_EQ(source.SelCount, 0);
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a", "f a" } }));
    EXPECT_EQ(describeTree(root / "src"), (Tree { { "a", "f a" }, { "b", "f b" }, { "c", "f c" } }));
}

// A second drive on another filesystem (/dev/shm, a tmpfs) beside c:.
class CrossDeviceTest : public CopyMoveTest {
protected:
    void SetUp() override
    {
        char pattern[] = "/dev/shm/ovtest.XXXXXX";
        struct stat shm {
        }, tmp {};
        if (::stat("/dev/shm", &shm) != 0 || ::stat(root.path().c_str(), &tmp) != 0
            || shm.st_dev == tmp.st_dev || !::mkdtemp(pattern))
            GTEST_SKIP() << "no second filesystem at /dev/shm";
        other = pattern;
        DriveTable::instance().setDrives(
            { { 'c', root.path(), DriveType::Fixed }, { 'd', other, DriveType::RamDisk } });
    }
    void TearDown() override
    {
        if (!other.empty())
            std::filesystem::remove_all(other);
        CopyMoveTest::TearDown();
    }
    static void openOn(TBrowser& list, const std::string& drive, const std::string& folder)
    {
        list.ShowHidden = true;
        list.OpenDisk(drive, DiskKind::Standard, folder + "\\");
    }
    std::string other;
};

// Across filesystems a move copies, then deletes: times kept, no source
// left, and what could not be moved (a FIFO) stays with its folder.
TEST_F(CrossDeviceTest, MoveCopiesThenDeletes)
{
    const std::string big(100000, 'x');
    std::filesystem::create_directories(other + "/src/d/s");
    std::ofstream(other + "/src/d/a") << "1";
    std::ofstream(other + "/src/d/s/big") << big;
    std::ofstream(other + "/src/e") << "2";
    const timespec when[2] = { { 1000000000, 5 }, { 1100000000, 777 } };
    ::utimensat(AT_FDCWD, (other + "/src/d/s/big").c_str(), when, 0);
    root.folder("dst");
    TBrowser source;
    TBrowser target;
    openOn(source, "d", "src");
    open(target, "dst");
    select(source, { "d", "e" });
    int64_t total = -1;
    source.OnCopyStart = [&](TBrowser&, int64_t bytes) { total = bytes; };
    ASSERT_TRUE(source.CopyTo(target, true));
    // Measured, since folders cannot be renamed across filesystems (the
    // measuring walk leaves out kernel filesystems, and it counts /dev/shm
    // among them: so only the plain files are sure to count here).
    EXPECT_GE(total, 2);
    EXPECT_EQ(describeTree(other + "/src"), Tree {});
    EXPECT_EQ(describeTree(root / "dst"),
        (Tree { { "d", "d" }, { "d/a", "f 1" }, { "d/s", "d" }, { "d/s/big", "f " + contentHash(big) },
            { "e", "f 2" } }));
    struct stat info { };
    ASSERT_EQ(::stat((root / "dst/d/s/big").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_nsec, 777);

    // A FIFO cannot be moved: it stays, and so does its folder.
    std::filesystem::create_directories(other + "/src/f");
    std::ofstream(other + "/src/f/a") << "1";
    ::mkfifo((other + "/src/f/pipe").c_str(), 0600);
    openOn(source, "d", "src");
    select(source, { "f" });
    EXPECT_FALSE(source.CopyTo(target, true));
    EXPECT_EQ(describeTree(other + "/src"), (Tree { { "f", "d" }, { "f/pipe", "p" } }));
    EXPECT_EQ(describeTree(root / "dst/f"), (Tree { { "a", "f 1" } }));
}

// A real short write: a forked child with a small RLIMIT_FSIZE copies, or
// moves across filesystems, a big file over an old target and a folder. The
// write fails with EFBIG; the source and the old target stay exactly as
// they were, no partial file is left, and the small file still arrives.
TEST_F(CrossDeviceTest, ShortWriteKeepsSourceAndOldTarget)
{
    const std::string big(200000, 'b');
    for (const bool move : { false, true }) {
        SCOPED_TRACE(move ? "move" : "copy");
        std::filesystem::remove_all(other + "/src");
        std::filesystem::remove_all(root / "dst");
        std::filesystem::create_directories(other + "/src/d");
        std::ofstream(other + "/src/big.bin") << big;
        std::ofstream(other + "/src/d/small") << "s";
        std::ofstream(other + "/src/d/big2") << big;
        root.write("dst/big.bin", "old target");
        const Tree sourceBefore = describeTree(other + "/src");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit { 50000, 50000 };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            TBrowser source;
            TBrowser target;
            openOn(source, "d", "src");
            open(target, "dst");
            source.ToggleSelect(indexOf(source, "big.bin"));
            source.ToggleSelect(indexOf(source, "d"));
            _exit(source.CopyTo(target, move) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        Tree sourceAfter = sourceBefore;
        if (move)
            sourceAfter.erase("d/small");
        EXPECT_EQ(describeTree(other + "/src"), sourceAfter);
        EXPECT_EQ(describeTree(root / "dst"),
            (Tree { { "big.bin", "f old target" }, { "d", "d" }, { "d/small", "f s" } }));
    }
}
