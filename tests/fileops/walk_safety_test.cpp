// Hostile cases for the copy, move and delete walks: trees that change
// under a walk (a seam swaps a folder after its listing, before the walk
// descends), privileges, names that only differ in the escape of "\", two
// sources of one name, sources that change during a move, a bind mount of
// the target inside the source, and extended attributes and ACLs. Rows
// that need root (owners, mounts) skip with their reason elsewhere.
#include "platform/dialogs.h"
#include "platform/file_operation.h"
#include "platform/tree_walk.h"
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace ov;
using namespace ov::test;

namespace {

class WalkSafetyTest : public FileOpsTest {
protected:
    void TearDown() override
    {
        setTreeWalkHook(nullptr);
        setPrompts(nullptr);
        FileOpsTest::TearDown();
    }
    // Runs once, when the walk has listed hostFolder.
    static void onListed(const std::string& hostFolder, std::function<void()> action)
    {
        auto pending = std::make_shared<std::function<void()>>(std::move(action));
        setTreeWalkHook([hostFolder, pending](const std::string& folder, std::vector<HostEntry>&) {
            if (folder == hostFolder && *pending) {
                (*pending)();
                *pending = nullptr;
            }
        });
    }
    // Puts a link to `target` where `path` was, keeping the real folder at
    // `keep`.
    static void swapForLink(const std::string& path, const std::string& keep, const std::string& target)
    {
        ASSERT_EQ(::rename(path.c_str(), keep.c_str()), 0);
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    }
    Tree outside() { return describeTree(root / "outside"); }
    void makeOutside()
    {
        for (const char* name : { "sub/1", "sub/2", "sub/3", "keep" })
            root.write(std::string("outside/") + name, "outside");
    }
};

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

std::string attribute(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t size = ::lgetxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(size));
}

// A POSIX ACL in its extended-attribute form: owner rw, user 1234 r,
// group r, mask r, others none.
std::string sampleAcl()
{
    struct Entry {
        uint16_t tag, perm;
        uint32_t id;
    } entries[]
        = { { 0x01, 6, ~0u }, { 0x02, 4, 1234 }, { 0x04, 4, ~0u }, { 0x10, 4, ~0u }, { 0x20, 0, ~0u } };
    std::string value(4, '\0');
    value[0] = 2; // version 2, little-endian
    for (const Entry& entry : entries)
        value.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    return value;
}

} // namespace

// A folder swapped for a link after its parent was listed: the delete goes
// on in the real folder (or stops that branch), and nothing behind the
// link is touched.
TEST_F(WalkSafetyTest, DeleteNeverLeavesItsTree)
{
    struct Row {
        const char* name;
        const char* listed; // the folder whose listing triggers the swap
        const char* swapped;
        const char* link;
    } rows[] = {
        { "the folder holding a waiting sub-folder", "src/d/a", "src/d/a", "../../outside" },
        { "the waiting sub-folder itself", "src/d/a", "src/d/a/sub", "../../../outside/sub" },
        { "the next folder, just before it is opened", "src/d", "src/d/a", "../../outside" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root.path());
        std::filesystem::create_directories(root.path());
        makeOutside();
        for (const char* name : { "src/d/a/sub/1", "src/d/a/sub/2", "src/d/a/x", "src/d/y" })
            root.write(name, "inside");
        const Tree before = outside();
        onListed(root / row.listed, [&] { swapForLink(root / row.swapped, root / "src/d/moved", row.link); });
        TBrowser list;
        open(list, "src");
        select(list, { "d" });
        list.DeleteSelected();
        EXPECT_EQ(outside(), before);
    }
}

// A target folder swapped for a link while the copy fills it: every file
// still lands in the folder the copy made.
TEST_F(WalkSafetyTest, CopyNeverWritesOutsideItsTarget)
{
    struct Row {
        const char* name;
        const char* listed; // the source folder whose listing triggers the swap
        const char* swapped; // the target folder swapped
        const char* link;
        bool move;
    } rows[] = {
        { "the target of the folder being filled", "src/d", "dst/d", "../outside", false },
        { "the target of a sub-folder", "src/d/s", "dst/d/s", "../../outside", false },
        { "a move across the swap", "src/d", "dst/d", "../outside", true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root.path());
        std::filesystem::create_directories(root.path());
        makeOutside();
        for (const char* name : { "src/d/1", "src/d/2", "src/d/s/3", "src/d/s/t/4" })
            root.write(name, "copied");
        root.folder("dst");
        const Tree before = outside();
        onListed(root / row.listed, [&] { swapForLink(root / row.swapped, root / "dst/moved", row.link); });
        // A move must copy to be attacked: a rename moves the tree whole.
        if (row.move)
            root.write("dst/d/in-the-way", "x");
        TBrowser source;
        TBrowser target;
        open(source, "src");
        open(target, "dst");
        select(source, { "d" });
        source.CopyTo(target, row.move);
        EXPECT_EQ(outside(), before);
    }
}

// A link listed as a folder (attributes 0x10 | 0x400) is a link: removed
// or copied as a link, never entered.
TEST_F(WalkSafetyTest, LinksMarkedAsFoldersAreNeverEntered)
{
    for (const bool copy : { false, true }) {
        SCOPED_TRACE(copy ? "copy" : "delete");
        std::filesystem::remove_all(root.path());
        std::filesystem::create_directories(root.path());
        makeOutside();
        root.write("src/d/a", "1");
        ::symlink("../../outside", (root / "src/d/ln").c_str());
        root.folder("dst");
        setTreeWalkHook([](const std::string&, std::vector<HostEntry>& entries) {
            for (HostEntry& entry : entries)
                if (entry.name == "ln") {
                    entry.kind = HostKind::Directory;
                    entry.attr |= faDirectory | faSymLink;
                }
        });
        const Tree before = outside();
        TBrowser source;
        TBrowser target;
        open(source, "src");
        open(target, "dst");
        select(source, { "d" });
        if (copy) {
            EXPECT_TRUE(source.CopyTo(target, false));
            EXPECT_EQ(describeTree(root / "dst"),
                (Tree { { "d", "d" }, { "d/a", "f 1" }, { "d/ln", "l ../../outside" } }));
        } else {
            EXPECT_TRUE(source.DeleteSelected());
            EXPECT_EQ(describeTree(root / "src"), Tree {});
        }
        EXPECT_EQ(outside(), before);
    }
}

// Owner, group and setuid: as root a copy keeps owner and group (and so
// may keep setuid); a copier who cannot keep them (here: nobody) never
// makes a setuid file of its own.
TEST_F(WalkSafetyTest, NoPrivilegeTravelsWithACopy)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "owners can only be given as root";
    const std::string source = root.write("src/tool", "#!/bin/sh\n");
    ASSERT_EQ(::chown(source.c_str(), 1234, 1234), 0);
    ASSERT_EQ(::chmod(source.c_str(), 06755), 0);
    ::chmod(root.folder("dst").c_str(), 0777);
    ::chmod(root.path().c_str(), 0755);

    struct Row {
        const char* name;
        bool asNobody;
        uid_t owner;
        mode_t mode;
        mode_t existing = 0; // a read-only file of nobody's in the way; 0: none
    } rows[] = {
        { "root keeps owner, group and setuid", false, 1234, 06755 },
        { "nobody gets a plain copy", true, 65534, 0755 },
        // The copy was allowed; a read-only old file does not stop it.
        { "nobody replaces its own read-only file", true, 65534, 0755, 0444 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(root / "dst/tool");
        if (row.existing) {
            const std::string old = root.write("dst/tool", "old");
            ASSERT_EQ(::chown(old.c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chmod(old.c_str(), row.existing), 0);
        }
        const pid_t child = ::fork();
        if (child == 0) {
            if (row.asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            ::_exit(BlockCopier().copyFile(source, root / "dst/tool") == CopyStatus::Ok ? 0 : 2);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        struct stat copy { };
        ASSERT_EQ(::stat((root / "dst/tool").c_str(), &copy), 0);
        EXPECT_EQ(copy.st_uid, row.owner);
        EXPECT_EQ(copy.st_mode & 07777, row.mode);
    }

    // The lists' copy and the system function keep owners of whole trees.
    ASSERT_EQ(::chown(root.folder("src/d").c_str(), 1234, 1234), 0);
    ASSERT_EQ(::lchown((root.write("src/d/f", "x")).c_str(), 1234, 1234), 0);
    ::symlink("f", (root / "src/d/ln").c_str());
    ASSERT_EQ(::lchown((root / "src/d/ln").c_str(), 1234, 1234), 0);
    std::filesystem::remove_all(root / "dst");
    root.folder("dst");
    TBrowser list, target;
    open(list, "src");
    open(target, "dst");
    select(list, { "d" });
    EXPECT_TRUE(list.CopyTo(target, false));
    for (const char* name : { "dst/d", "dst/d/f", "dst/d/ln" }) {
        struct stat info { };
        ASSERT_EQ(::lstat((root / name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_uid, 1234u) << name;
        EXPECT_EQ(info.st_gid, 1234u) << name;
    }
}

// A host name holding U+F05C and one holding "\" are two names: deleting
// or copying one never touches the other.
TEST_F(WalkSafetyTest, EscapedNamesStayApart)
{
    const std::string privateName = "x\xEF\x81\x9Cy";
    root.write("src/x\\y", "backslash");
    root.write("src/" + privateName, "private");
    root.write("src/D\\E/report.txt", "keep");
    root.folder("src/D\xEF\x81\x9C"
                "E");
    root.write("new/report.txt", "new");

    TBrowser list;
    open(list, "src");
    select(list, { hostNameToInner(privateName) });
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(readWhole(root / "src/x\\y"), "backslash");
    EXPECT_FALSE(std::filesystem::exists(root / ("src/" + privateName)));

    TBrowser from, into;
    open(from, "new");
    open(into,
        "src\\"
            + hostNameToInner("D\xEF\x81\x9C"
                              "E"));
    select(from, { "report.txt" });
    EXPECT_TRUE(from.CopyTo(into, false));
    EXPECT_EQ(readWhole(root / "src/D\\E/report.txt"), "keep");
    EXPECT_EQ(readWhole(root
                  / "src/D\xEF\x81\x9C"
                    "E/report.txt"),
        "new");
}

// Two sources of one name in one operation: the second never replaces
// what the first made, unless the user says so.
TEST_F(WalkSafetyTest, TwoSourcesOneName)
{
    for (const bool move : { false, true }) {
        SCOPED_TRACE(move ? "move" : "copy");
        std::filesystem::remove_all(root.path());
        std::filesystem::create_directories(root.path());
        root.write("a/f", "A");
        root.write("b/f", "B");
        root.write("a/d/g", "A");
        root.write("b/d/g", "B");
        root.write("b/d/h", "B");
        root.folder("dst");
        const auto ledger = std::make_shared<CopyLedger>();
        TBrowser target;
        open(target, "dst");
        bool results[2];
        std::vector<std::string> failures;
        for (int i = 0; i < 2; ++i) {
            TBrowser list;
            open(list, i == 0 ? "a" : "b");
            list.Ledger = ledger;
            select(list, { "f", "d" });
            results[i] = list.CopyTo(target, move);
            failures.insert(failures.end(), list.WalkFailures.begin(), list.WalkFailures.end());
        }
        EXPECT_TRUE(results[0]);
        EXPECT_FALSE(results[1]);
        // A moved folder that keeps a refused file stays, and says so.
        EXPECT_EQ(failures.size(), move ? 3u : 2u);
        EXPECT_EQ(describeTree(root / "dst"),
            (Tree { { "d", "d" }, { "d/g", "f A" }, { "d/h", "f B" }, { "f", "f A" } }));
        EXPECT_EQ(readWhole(root / "b/f"), "B");
        EXPECT_EQ(readWhole(root / "b/d/g"), "B");
    }

    // The window's question names both sources; yes replaces.
    std::filesystem::remove_all(root.path());
    root.write("a/f", "A");
    root.write("b/f", "B");
    root.folder("dst");
    const auto ledger = std::make_shared<CopyLedger>();
    TBrowser target;
    open(target, "dst");
    std::vector<std::string> asked;
    for (const char* folder : { "a", "b" }) {
        TBrowser list;
        open(list, folder);
        list.Ledger = ledger;
        list.OnReplaceMade = [&](TBrowser&, const std::string& to, const std::string& earlier,
                                 const std::string& later, bool& replace) {
            EXPECT_FALSE(replace);
            asked.push_back(to + " " + earlier + " " + later);
            replace = true;
        };
        select(list, { "f" });
        EXPECT_TRUE(list.CopyTo(target, false));
    }
    EXPECT_EQ(asked, (std::vector<std::string> { "c:\\dst\\f c:\\a\\f c:\\b\\f" }));
    EXPECT_EQ(readWhole(root / "dst/f"), "B");

    // The system function asks too, even without confirmations; no
    // answer skips.
    root.write("b/f", "B2");
    ScriptedPrompts scripted;
    setPrompts(&scripted);
    TFileOperation operation;
    operation.Operation = FileOperationKind::Move;
    operation.NoConfirmation = true;
    operation.Sources = { "c:\\a\\f", "c:\\b\\f" };
    operation.Destination = "c:\\dst";
    std::filesystem::remove(root / "dst/f");
    const FileOperationResult result = operation.Execute();
    EXPECT_EQ(result.code, 1);
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_NE(scripted.asked[0].text.find("c:\\a\\f"), std::string::npos);
    EXPECT_NE(scripted.asked[0].text.find("c:\\b\\f"), std::string::npos);
    EXPECT_EQ(readWhole(root / "dst/f"), "A");
    EXPECT_EQ(readWhole(root / "b/f"), "B2");
}

// A second drive on another filesystem (/dev/shm) for moves that copy.
class CrossDeviceSafetyTest : public WalkSafetyTest {
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
        WalkSafetyTest::TearDown();
    }
    std::string other;
};

// Data appended to the source after its copy was read stays: the source
// is kept and reported, by both engines.
TEST_F(CrossDeviceSafetyTest, MoveKeepsWhatChangedDuringIt)
{
    const std::string source = other + "/src/f";
    const auto append = [&] { std::ofstream(source, std::ios::app) << " and more"; };

    std::filesystem::create_directories(other + "/src");
    std::ofstream(source) << "data";
    root.folder("dst");
    TBrowser list, target;
    list.ShowHidden = true;
    list.OpenDisk("d", DiskKind::Standard, "src\\");
    open(target, "dst");
    select(list, { "f" });
    list.OnFileEnd = [&](TBrowser&) { append(); };
    EXPECT_FALSE(list.CopyTo(target, true));
    EXPECT_EQ(readWhole(source), "data and more");
    ASSERT_EQ(list.WalkFailures.size(), 1u);
    EXPECT_NE(list.WalkFailures[0].find("d:\\src\\f"), std::string::npos);

    std::ofstream(source) << std::string(1000, 'x');
    TFileOperation operation;
    operation.Operation = FileOperationKind::Move;
    operation.NoConfirmation = true;
    operation.Sources = { "d:\\src\\f" };
    operation.Destination = "c:\\dst";
    operation.OnProgress = [&](const std::string&, int64_t done, int64_t size) {
        if (size > 0 && done == size)
            append();
    };
    EXPECT_EQ(operation.Execute().code, 1);
    EXPECT_EQ(readWhole(source), std::string(1000, 'x') + " and more");
}

// Extended attributes and ACLs travel with copies and moves (files and
// folders), as cp -a keeps them.
TEST_F(CrossDeviceSafetyTest, AttributesAndAclsAreKept)
{
    const std::string acl = sampleAcl();
    std::filesystem::create_directories(other + "/src/d");
    std::ofstream(other + "/src/d/f") << "data";
    if (::setxattr((other + "/src/d").c_str(), "user.folder", "F", 1, 0) != 0)
        GTEST_SKIP() << "no user attributes on /dev/shm";
    ASSERT_EQ(::setxattr((other + "/src/d/f").c_str(), "user.note", "hello", 5, 0), 0);
    ASSERT_EQ(
        ::setxattr((other + "/src/d/f").c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0);
    ASSERT_EQ(
        ::setxattr((other + "/src/d").c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0), 0);
    for (const bool move : { false, true }) {
        SCOPED_TRACE(move ? "move" : "copy");
        std::filesystem::remove_all(root / "dst");
        root.folder("dst");
        TBrowser list, target;
        list.ShowHidden = true;
        list.OpenDisk("d", DiskKind::Standard, "src\\");
        open(target, "dst");
        select(list, { "d" });
        EXPECT_TRUE(list.CopyTo(target, move));
        EXPECT_TRUE(list.WalkNotices.empty());
        EXPECT_EQ(attribute(root / "dst/d", "user.folder"), "F");
        EXPECT_EQ(attribute(root / "dst/d/f", "user.note"), "hello");
        EXPECT_EQ(attribute(root / "dst/d/f", "system.posix_acl_access"), acl);
        EXPECT_EQ(attribute(root / "dst/d", "system.posix_acl_default"), acl);
    }
}

// A destination that cannot hold user attributes (ramfs) gets the data,
// and the walk says so once.
TEST_F(WalkSafetyTest, AttributesTheDestinationCannotHold)
{
    const std::string plain = root.folder("ramfs");
    if (!runningAsRoot() || ::mount("none", plain.c_str(), "ramfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a ramfs here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount { plain };
    for (const char* name : { "src/a", "src/b", "src/d/c" }) {
        root.write(name, "data");
        ASSERT_EQ(::setxattr((root / name).c_str(), "user.note", "n", 1, 0), 0);
    }
    TBrowser list, target;
    open(list, "src");
    open(target, "ramfs");
    select(list, { "a", "b", "d" });
    EXPECT_TRUE(list.CopyTo(target, false));
    EXPECT_EQ(list.WalkNotices.size(), 1u);
    EXPECT_EQ(describeTree(plain),
        (Tree { { "a", "f data" }, { "b", "f data" }, { "d", "d" }, { "d/c", "f data" } }));

    TFileOperation operation;
    operation.Operation = FileOperationKind::Copy;
    operation.NoConfirmation = true;
    operation.Sources = { "c:\\src\\a", "c:\\src\\d" };
    operation.Destination = "c:\\ramfs\\d";
    const FileOperationResult result = operation.Execute();
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.notices.size(), 1u);
}

// A folder copied into a bind mount of its own sub-folder: refused by
// identity, by both engines, and nothing is made inside the source.
TEST_F(WalkSafetyTest, IntoItselfThroughABindMount)
{
    root.write("src/sub/a", "1");
    const std::string bind = root.folder("bind");
    if (!runningAsRoot() || ::mount((root / "src/sub").c_str(), bind.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot make a bind mount here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount { bind };
    const Tree before = describeTree(root / "src");
    TBrowser list, target;
    open(list, "");
    open(target, "bind");
    select(list, { "src" });
    EXPECT_FALSE(list.CopyTo(target, false));
    ASSERT_EQ(list.WalkFailures.size(), 1u);
    EXPECT_NE(list.WalkFailures[0].find("into itself"), std::string::npos) << list.WalkFailures[0];
    EXPECT_EQ(describeTree(root / "src"), before);

    TFileOperation operation;
    operation.Operation = FileOperationKind::Copy;
    operation.Sources = { "c:\\src" };
    operation.Destination = "c:\\bind";
    EXPECT_EQ(operation.Execute().code, 1);
    EXPECT_EQ(describeTree(root / "src"), before);
}

// ovtool: two sources of one name, and ".." after a link.
TEST_F(WalkSafetyTest, CommandLine)
{
    const std::string tool = OV_BINARY_DIR "/cli/ovtool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "ovtool is not built";
    const auto run = [&](const std::string& arguments) {
        const std::string command
            = "cd '" + root.path() + "' && " + tool + " " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    root.write("a/f", "A");
    root.write("b/f", "B");
    root.folder("dest");
    for (const char* verb : { "move", "move --system" }) {
        SCOPED_TRACE(verb);
        EXPECT_EQ(run(std::string(verb) + " a/f b/f dest"), 1);
        EXPECT_EQ(readWhole(root / "dest/f"), "A");
        EXPECT_EQ(readWhole(root / "b/f"), "B");
        std::filesystem::rename(root / "dest/f", root / "a/f");
    }

    // sl/../victim is deep/victim to the system, not ./victim.
    root.write("deep/sub/x", "x");
    root.write("deep/victim", "deep");
    root.write("victim", "top");
    ::symlink("deep/sub", (root / "sl").c_str());
    EXPECT_EQ(run("delete sl/../victim"), 0);
    EXPECT_EQ(readWhole(root / "victim"), "top");
    EXPECT_FALSE(std::filesystem::exists(root / "deep/victim"));
}
