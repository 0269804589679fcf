// The archive disk over archives made at test time by the real packers
// (zip, arj, lha, tar), hand-built hostile ZIPs and the public fixtures:
// what each folder lists, the attributes of Unix hosts, paths inside an
// archive, that moving between folders never opens the archive again, and
// members taken out into the private cache.
#include "archive/crc.h"
#include "archive/memory_file.h"
#include "archive/message_codes.h"
#include "archive/messages.h"
#include "panel/arc_disk.h"
#include "panel/browser.h"
#include "platform/drives.h"
#include "platform/private_cache.h"
#include "platform/process_messages.h"
#include "tests/support/public_archives.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
namespace fs = std::filesystem;

namespace {

bool haveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

int run(const std::string& command)
{
    return std::system(("(" + command + ") </dev/null >/dev/null 2>&1").c_str());
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A ZIP of stored members with exactly the given names, built byte by byte
// (no packer writes "..", drive letters or leading slashes).
std::vector<uint8_t> storedZip(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::vector<uint8_t> out;
    std::vector<uint8_t> central;
    auto put16 = [](std::vector<uint8_t>& v, uint32_t x) {
        v.push_back(static_cast<uint8_t>(x));
        v.push_back(static_cast<uint8_t>(x >> 8));
    };
    auto put32 = [&](std::vector<uint8_t>& v, uint32_t x) {
        put16(v, x & 0xFFFF);
        put16(v, x >> 16);
    };
    for (const auto& [name, data] : members) {
        const uint32_t crc = crc32(data.data(), data.size());
        const auto offset = static_cast<uint32_t>(out.size());
        const bool folder = !name.empty() && name.back() == '/';
        put32(out, 0x04034b50);
        put16(out, 10);
        put16(out, 0);
        put16(out, 0);
        put32(out, 0x5A210000); // 2025-01-01 00:00
        put32(out, crc);
        put32(out, static_cast<uint32_t>(data.size()));
        put32(out, static_cast<uint32_t>(data.size()));
        put16(out, static_cast<uint32_t>(name.size()));
        put16(out, 0);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), data.begin(), data.end());
        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0x5A210000);
        put32(central, crc);
        put32(central, static_cast<uint32_t>(data.size()));
        put32(central, static_cast<uint32_t>(data.size()));
        put16(central, static_cast<uint32_t>(name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, folder ? 0x10 : 0x20);
        put32(central, offset);
        central.insert(central.end(), name.begin(), name.end());
    }
    const auto centralAt = static_cast<uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(members.size()));
    put16(out, static_cast<uint32_t>(members.size()));
    put32(out, static_cast<uint32_t>(central.size()));
    put32(out, centralAt);
    put16(out, 0);
    return out;
}

class ArcDiskTest : public testing::Test {
protected:
    void SetUp() override
    {
        DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    }
    void TearDown() override
    {
        removePrivateCacheFolder();
        ::unsetenv("XDG_CACHE_HOME");
        TBrowser::setArchiveDiskFactory(nullptr);
        setProcessMessagesHook(nullptr);
        DriveTable::instance().reset();
    }

    // The tree every packer row packs: a stored folder with a sub-folder,
    // a file at the top.
    void makeTree()
    {
        root.write("src/a/b.txt", "bee");
        root.write("src/a/d/e.txt", "eee!");
        root.write("src/c.txt", "sea");
    }

    // One folder as "name" and "name\" (folders), in the disk's order.
    static std::vector<std::string> listing(TARCDiskInterface& disk, const std::string& folder)
    {
        std::vector<std::string> names;
        Entry entry;
        for (bool more = disk.FindFirst(folder, entry); more; more = disk.FindNext(entry))
            names.push_back(entry.FullName + (entry.isFolder() ? "\\" : ""));
        return names;
    }
    static std::vector<std::string> sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<TARCDiskInterface> openDisk(const std::string& hostPath)
    {
        auto disk = std::make_unique<TARCDiskInterface>("c:\\pack", hostPath);
        disk->OnError = [this](TARCDiskInterface&, const std::string& fn, const std::string&, int32_t code) {
            errors.emplace_back(code, fn);
        };
        disk->Read();
        return disk;
    }

    test::TempFolder root;
    std::vector<std::pair<int32_t, std::string>> errors;
};

} // namespace

// Every packer, with and without stored folder entries, gives the same
// tree: folders above members are there whether stored or not.
TEST_F(ArcDiskTest, EveryPackerGivesTheSameTree)
{
    makeTree();
    struct Maker {
        const char* name;
        const char* tool;
        const char* command; // run in src/, writes ../out.<ext>
        const char* file;
    } makers[] = {
        { "zip -r", "zip", "zip -r ../out.zip a c.txt", "out.zip" },
        { "zip -r -D", "zip", "zip -r -D ../out-d.zip a c.txt", "out-d.zip" },
        { "arj", "arj", "umask 002 && arj a -r ../out.arj '*'", "out.arj" },
        { "lha", "lha", "lha a ../out.lzh a c.txt", "out.lzh" },
        { "tar", "tar", "tar cf ../out.tar a c.txt", "out.tar" },
        { "tar without folders", "tar", "tar cf ../out-n.tar --no-recursion a/b.txt a/d/e.txt c.txt",
            "out-n.tar" },
    };
    const std::map<std::string, std::vector<std::string>> expected = {
        { "", { "a\\", "c.txt" } },
        { "a\\", { "b.txt", "d\\" } },
        { "a\\d\\", { "e.txt" } },
        { "a\\d", { "e.txt" } },
        { "A\\", {} }, // folders match case-sensitively
        { "nothing\\", {} },
    };
    for (const Maker& maker : makers) {
        SCOPED_TRACE(maker.name);
        if (!haveTool(maker.tool)) {
            ADD_FAILURE() << maker.tool << " is missing (scripts/deps installs it)";
            continue;
        }
        ASSERT_EQ(run("cd " + root / "src" + " && " + maker.command), 0);
        errors.clear();
        auto disk = openDisk(root / maker.file);
        for (const auto& [folder, names] : expected)
            EXPECT_EQ(sorted(listing(*disk, folder)), names) << "folder '" << folder << "'";
        EXPECT_EQ(disk->RecordCount(), 5u);
        EXPECT_TRUE(errors.empty()) << errors.front().first;
        // Unpacked sizes and no folder bit on files, whatever the host's mode bits.
        Entry entry;
        for (bool more = disk->FindFirst("a\\d\\", entry); more; more = disk->FindNext(entry)) {
            EXPECT_EQ(entry.Size, 4);
            EXPECT_FALSE(entry.isFolder());
            EXPECT_FALSE(entry.Attr & faHidden);
        }
    }
}

// The edge cases of a folder stored or not, amended: a member's folders
// exist even when only a deeper member names them.
TEST_F(ArcDiskTest, FoldersOfDeepMembersAreShown)
{
    if (!haveTool("arj"))
        GTEST_SKIP() << "arj is missing (scripts/deps installs it)";
    root.write("src/x/y/z.txt", "zed");
    ASSERT_EQ(run("cd " + root / "src" + " && arj a -r ../deep.arj '*'"), 0);
    auto disk = openDisk(root / "deep.arj");
    EXPECT_EQ(listing(*disk, ""), (std::vector<std::string> { "x\\" }));
    EXPECT_EQ(listing(*disk, "x\\"), (std::vector<std::string> { "y\\" }));
    EXPECT_EQ(listing(*disk, "x\\y\\"), (std::vector<std::string> { "z.txt" }));
}

// Unix hosts keep a mode in the attribute field: only the file type and the
// owner's write bit count; names starting with "." are hidden.
TEST_F(ArcDiskTest, UnixModesBecomeAttributes)
{
    if (!haveTool("arj"))
        GTEST_SKIP() << "arj is missing (scripts/deps installs it)";
    struct Row {
        const char* name;
        mode_t mode;
        uint16_t attr;
    } rows[] = {
        { "group.txt", 0664, 0 }, // 0x10 in the permissions: no folder
        { "world.txt", 0666, 0 }, // 0x02 in the permissions: not hidden
        { "locked.txt", 0444, faReadOnly },
    };
    for (const Row& row : rows) {
        const std::string path = root.write(std::string("src/") + row.name, "x");
        ASSERT_EQ(::chmod(path.c_str(), row.mode), 0);
    }
    ASSERT_EQ(run("cd " + root / "src" + " && arj a ../modes.arj group.txt world.txt locked.txt"), 0);
    auto disk = openDisk(root / "modes.arj");
    std::map<std::string, uint16_t> seen;
    Entry entry;
    for (bool more = disk->FindFirst("", entry); more; more = disk->FindNext(entry))
        seen[entry.FullName] = entry.Attr;
    ASSERT_EQ(seen.size(), std::size(rows));
    for (const Row& row : rows)
        EXPECT_EQ(seen[row.name], row.attr) << row.name;

    // Hidden comes from the name, as on the drive (arj cannot pack such names).
    if (!haveTool("zip"))
        return;
    root.write("dots/.profile", "p");
    root.write("dots/.cfg/x", "x");
    ASSERT_EQ(run("cd " + root / "dots" + " && zip -r ../dots.zip ."), 0);
    auto dots = openDisk(root / "dots.zip");
    seen.clear();
    for (bool more = dots->FindFirst("", entry); more; more = dots->FindNext(entry))
        seen[entry.FullName] = entry.Attr;
    EXPECT_EQ(seen[".profile"] & (faHidden | faDirectory), faHidden);
    EXPECT_EQ(seen[".cfg"] & (faHidden | faDirectory), faHidden | faDirectory);
}

// Names as the extractor cleans them; a ".." member is left out and named
// in one 25243 report; no entry is ever "", "." or "..".
TEST_F(ArcDiskTest, HostileNamesShowWhereTheyWouldLand)
{
    const auto bytes = storedZip({
        { "../evil.txt", "e" },
        { "/abs.txt", "a" },
        { "c:\\drive.txt", "d" },
        { "./dot/./x.txt", "x" },
        { "two//slashes.txt", "s" },
        { "ok/../../up.txt", "u" },
        { "./", "" },
        { "dot/", "" },
        { "..", "" },
    });
    std::ofstream(root / "hostile.zip", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    auto disk = openDisk(root / "hostile.zip");
    EXPECT_EQ(
        sorted(listing(*disk, "")), (std::vector<std::string> { "abs.txt", "dot\\", "drive.txt", "two\\" }));
    EXPECT_EQ(listing(*disk, "dot\\"), (std::vector<std::string> { "x.txt" }));
    EXPECT_EQ(listing(*disk, "two\\"), (std::vector<std::string> { "slashes.txt" }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, msgInvalidFileName);
    EXPECT_EQ(errors[0].second, "..\\evil.txt\rok\\..\\..\\up.txt\r..");
    EXPECT_EQ(disk->InvalidNames().size(), 3u);
}

// The box text of the message window, built as the user sees it.
TEST_F(ArcDiskTest, ErrorBoxText)
{
    EXPECT_EQ(archiveErrorText("x.zip", msgUnknownFileType),
        "x.zip\r\rError#: 25302\r\rError: " + std::string(archiveMessageText(msgUnknownFileType)) + "\r\r");
    EXPECT_EQ(archiveErrorText("x.zip", 26500).substr(0, 33), "x.zip\r\rGeneral Message: 26500\r\rMe");
    EXPECT_EQ(archiveErrorText("x.zip", 25099), "");
    EXPECT_EQ(archiveErrorText("x.zip", 27000), "");
}

// A missing archive is an empty disk; the panel shows "..".
TEST_F(ArcDiskTest, MissingArchiveListsNothing)
{
    installArchiveDisk(nullptr);
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, "");
    list.PushDisk("c:\\gone.zip", DiskKind::Archive, "");
    ASSERT_EQ(list.DiskKind, DiskKind::Archive);
    ASSERT_EQ(list.Count, 1);
    EXPECT_TRUE(list.Entries[0].IsParent);
}

// The archive is read once per push: moving between folders, refreshing
// and measuring folders read the table, never the archive.
TEST_F(ArcDiskTest, MovingBetweenFoldersOpensTheArchiveZeroTimes)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("/mem/pack.zip",
        storedZip({ { "a/b/one.txt", "1" }, { "a/two.txt", "22" }, { "three.txt", "333" } }));
    TBrowser::setArchiveDiskFactory([store](const std::string& rootPath) {
        auto disk = std::make_unique<TARCDiskInterface>(rootPath, "/mem/pack.zip");
        disk->Store = store;
        disk->Read();
        return disk;
    });
    root.write("pack.zip", "placeholder");
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, "");
    list.PushDisk("c:\\pack.zip", DiskKind::Archive, "");
    const std::size_t opens = store->opened().size();
    EXPECT_GE(opens, 1u);
    ASSERT_EQ(list.NameAt(2), "a");
    ASSERT_TRUE(list.EnterFolder(2));
    ASSERT_EQ(list.NameAt(2), "b");
    ASSERT_TRUE(list.EnterFolder(2));
    EXPECT_EQ(list.NameAt(2), "one.txt");
    ASSERT_TRUE(list.GoUp());
    list.Refresh();
    EXPECT_EQ(list.FolderSize(list.Folder), 3); // unpacked sizes of everything below
    ASSERT_TRUE(list.GoUp());
    EXPECT_EQ(list.FolderSize(""), 6);
    EXPECT_EQ(store->opened().size(), opens);
}

// Paths inside an archive name the archive and the folder; ".." at the top
// leaves with the cursor on the archive.
TEST_F(ArcDiskTest, PathsInsideAnArchive)
{
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip is missing";
    makeTree();
    root.folder("w");
    ASSERT_EQ(run("cd " + root / "src" + " && zip -r ../w/pack.zip a c.txt"), 0);
    root.write("w/aaa.txt", "first in the list");
    installArchiveDisk(nullptr);
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, "w\\");
    list.PushDisk("c:\\w\\pack.zip", DiskKind::Archive, "");
    struct Row {
        std::string folder;
        std::string current;
    } rows[] = {
        { "", "c:\\w\\pack.zip\\" },
        { "a\\", "c:\\w\\pack.zip\\a\\" },
        { "a\\d\\", "c:\\w\\pack.zip\\a\\d\\" },
    };
    for (const Row& row : rows) {
        list.Folder = row.folder;
        list.ReadDir();
        EXPECT_EQ(list.CurrentFolder(), row.current);
    }
    list.Folder.clear();
    list.ReadDir();
    ASSERT_TRUE(list.GoUp());
    EXPECT_EQ(list.DiskKind, DiskKind::Standard);
    EXPECT_EQ(list.CurrentFolder(), "c:\\w\\");
    EXPECT_EQ(list.NameAt(list.CurIndex), "pack.zip");
}

// While the lister lets messages through, the list is busy: a key that
// would push a second disk or re-read the list changes nothing.
TEST_F(ArcDiskTest, KeysDuringTheListingChangeNothing)
{
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip is missing";
    makeTree();
    ASSERT_EQ(run("cd " + root / "src" + " && zip -r ../pack.zip a c.txt && cp ../pack.zip ../other.zip"), 0);
    installArchiveDisk(nullptr);
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, "");
    int pumped = 0;
    bool refused = true;
    setProcessMessagesHook([&] {
        ++pumped;
        refused = refused && list.Busy && !list.ReadDir();
        list.PushDisk("c:\\other.zip", DiskKind::Archive, "");
        list.EnterFolder(1);
    });
    list.PushDisk("c:\\pack.zip", DiskKind::Archive, "");
    setProcessMessagesHook(nullptr);
    EXPECT_GT(pumped, 0);
    EXPECT_TRUE(refused);
    EXPECT_EQ(list.DiskRoot, "c:\\pack.zip");
    EXPECT_FALSE(list.Busy);
    ASSERT_TRUE(list.GoUp());
    EXPECT_EQ(list.DiskKind, DiskKind::Standard);
    EXPECT_FALSE(list.GoUp()); // one archive disk was pushed, not two
}

// No cap: every member of a 12,000-member archive is listed.
TEST_F(ArcDiskTest, TwelveThousandMembers)
{
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip is missing";
    for (int folder = 0; folder < 120; ++folder)
        for (int file = 0; file < 100; ++file)
            root.write("big/f" + std::to_string(folder) + "/n" + std::to_string(file) + ".txt", "x");
    ASSERT_EQ(run("cd " + root / "big" + " && zip -q -r -D ../big.zip ."), 0);
    auto disk = openDisk(root / "big.zip");
    EXPECT_EQ(disk->RecordCount(), 12120u);
    EXPECT_EQ(listing(*disk, "").size(), 120u);
    EXPECT_EQ(listing(*disk, "f119\\").size(), 100u);
    int64_t bytes = 0;
    std::vector<std::string> subFolders;
    ASSERT_TRUE(disk->ListSizes("f7\\", bytes, subFolders));
    EXPECT_EQ(bytes, 100);
}

// A member taken out lands in the run's private cache (0700) with its
// bytes; GetFile puts it where asked; the cache goes at exit and stale
// folders of dead runs at the next start.
TEST_F(ArcDiskTest, MembersTakenOutIntoThePrivateCache)
{
    if (!haveTool("zip") || !haveTool("lha"))
        GTEST_SKIP() << "zip or lha is missing";
    makeTree();
    ASSERT_EQ(run("cd " + root / "src" + " && zip -r ../pack.zip a c.txt && lha a ../pack.lzh a c.txt"), 0);
    // An LHA archive named .lha is taken out through its detected kind.
    fs::copy_file(root / "pack.lzh", root / "data.lha");
    installArchiveDisk(nullptr);
    for (const char* archive : { "c:\\pack.zip", "c:\\data.lha" }) {
        SCOPED_TRACE(archive);
        TBrowser list;
        list.OpenDisk("c", DiskKind::Standard, "");
        list.PushDisk(archive, DiskKind::Archive, "a\\d\\");
        ASSERT_EQ(list.NameAt(2), "e.txt");
        const std::string copy = takeOutMember(list, 2);
        ASSERT_FALSE(copy.empty());
        const auto host = DriveTable::instance().toHost(copy);
        ASSERT_TRUE(host);
        EXPECT_EQ(readAll(*host), "eee!");
        EXPECT_EQ(fs::path(*host).filename(), "e.txt");
        EXPECT_EQ(host->rfind(privateCacheFolder(), 0), 0u);
        EXPECT_EQ(takeOutMember(list, 1), ""); // ".." is no member
        auto* disk = dynamic_cast<TARCDiskInterface*>(list.Disk);
        ASSERT_NE(disk, nullptr);
        root.write("out/c.txt", "old");
        EXPECT_TRUE(disk->GetFile("c.txt", "c:\\out\\c.txt"));
        EXPECT_EQ(readAll(root / "out/c.txt"), "sea");
        EXPECT_FALSE(disk->GetFile("a", "c:\\out\\a"));
        EXPECT_FALSE(disk->PutFile("c:\\out\\c.txt", "new.txt"));
        EXPECT_FALSE(disk->MakeDir("new"));
        EXPECT_FALSE(disk->DeleteFile("c.txt"));
    }
    const std::string folder = privateCacheFolder();
    struct stat facts { };
    ASSERT_EQ(::stat(folder.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700u);
    EXPECT_EQ(fs::path(folder).parent_path(), root / "cache/orvanta");

    // A dead run's folder goes, a living one stays.
    const std::string stale = root.folder("cache/orvanta/run-999999999");
    const std::string living = root.folder("cache/orvanta/run-1");
    removeStalePrivateCacheFolders();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(living));
    EXPECT_TRUE(fs::exists(folder));
    removePrivateCacheFolder();
    EXPECT_FALSE(fs::exists(folder));
}

// Archives of the other kinds, from the public fixtures: every member is
// reachable once and no entry is "", "." or "..".
TEST_F(ArcDiskTest, PublicFixturesWalkClean)
{
    OV_NEED_PUBLIC_ARCHIVES();
    int walked = 0;
    for (const auto& item : fs::recursive_directory_iterator(test::publicArchives())) {
        if (!item.is_regular_file() || item.file_size() > 4 * 1024 * 1024)
            continue;
        const std::string ext = item.path().extension().string();
        if (ext != ".rar" && ext != ".cab" && ext != ".lzh" && ext != ".zip" && ext != ".ha")
            continue;
        SCOPED_TRACE(item.path().string());
        auto disk = openDisk(item.path().string());
        std::size_t seen = 0;
        std::vector<std::string> pending { "" };
        while (!pending.empty()) {
            const std::string folder = pending.back();
            pending.pop_back();
            Entry entry;
            for (bool more = disk->FindFirst(folder, entry); more; more = disk->FindNext(entry)) {
                ++seen;
                ASSERT_TRUE(entry.FullName != "" && entry.FullName != "." && entry.FullName != "..");
                if (entry.isFolder())
                    pending.push_back(folder + entry.FullName + "\\");
            }
        }
        EXPECT_EQ(seen, disk->RecordCount());
        ++walked;
    }
    EXPECT_GT(walked, 0);
}

namespace {

const std::string kTool = OV_BINARY_DIR "/cli/ovtool";

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& arguments, const test::TempFolder& scratch)
{
    ToolRun result;
    const std::string out = scratch / "tool.out";
    const std::string err = scratch / "tool.err";
    const int status = std::system((kTool + " " + arguments + " >" + out + " 2>" + err).c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readAll(out);
    result.err = readAll(err);
    return result;
}

} // namespace

// ovtool arc ls prints a folder as the panel lists it, in ovtool ls's
// columns; each message the panel would box goes to stderr with its number.
TEST_F(ArcDiskTest, ArcLsToolListsAsThePanel)
{
    if (!fs::exists(kTool))
        GTEST_SKIP() << "ovtool is not built";
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip is missing";
    makeTree();
    root.write("src/a/.hidden", "h");
    root.write("src/a/big.bin", std::string(1000, 'b'));
    ASSERT_EQ(run("cd " + root / "src" + " && zip -r ../pack.zip a c.txt"), 0);
    const auto bytes = storedZip({ { "ok.txt", "1" }, { "../evil.txt", "e" } });
    std::ofstream(root / "hostile.zip", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    test::TempFolder scratch;
    auto names = [](const std::string& out) {
        std::vector<std::string> result;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            result.push_back(out.substr(start, out.find('\t', start) - start));
            start = end + 1;
        }
        return result;
    };
    struct Row {
        std::string arguments;
        int status;
        std::vector<std::string> names;
        std::string stderrHas;
    } rows[] = {
        { "'" + root / "pack.zip" + "'", 0, { "..", "a", "c.txt" }, "" },
        { "'" + root / "pack.zip" + "' a", 0, { "..", "d", "b.txt", "big.bin" }, "" },
        { "'" + root / "pack.zip" + "' '\\a\\'", 0, { "..", "d", "b.txt", "big.bin" }, "" },
        { "--hidden --sort size '" + root / "pack.zip" + "' a/", 0,
            { "..", "d", "big.bin", "b.txt", ".hidden" }, "" },
        { "'" + root / "pack.zip" + "' a/d", 0, { "..", "e.txt" }, "" },
        { "'" + root / "pack.zip" + "' nothing", 1, {}, "no folder" },
        { "'" + root / "hostile.zip" + "'", 1, { "..", "ok.txt" }, "error 25243" },
        { "'" + root / "missing.zip" + "'", 0, { ".." }, "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const ToolRun result = runTool("arc ls " + row.arguments, scratch);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_EQ(names(result.out), row.names);
        if (row.stderrHas.empty())
            EXPECT_EQ(result.err, "");
        else
            EXPECT_NE(result.err.find(row.stderrHas), std::string::npos) << result.err;
    }
    // The columns are ovtool ls's: the same line for the same file.
    const ToolRun inside = runTool("arc ls '" + root / "pack.zip" + "' a", scratch);
    EXPECT_NE(inside.out.find("big.bin\t1000\t"), std::string::npos) << inside.out;
}

// ovtool arc cp copies entries of one folder out as F5 from the archive
// panel does: folders with everything below them, names relative to the
// folder; a link placed at the target is never written through; a damaged
// member is an error with its number.
TEST_F(ArcDiskTest, ArcCpToolCopiesOut)
{
    if (!fs::exists(kTool))
        GTEST_SKIP() << "ovtool is not built";
    if (!haveTool("zip"))
        GTEST_SKIP() << "zip is missing";
    makeTree();
    ASSERT_EQ(run("cd " + root / "src" + " && zip -r ../pack.zip a c.txt"), 0);
    test::TempFolder scratch;
    const std::string zip = "'" + root / "pack.zip" + "'";
    struct Row {
        std::string paths;
        int status;
        std::vector<std::pair<std::string, std::string>> files; // target file, its source in src/
    } rows[] = {
        { "", 0, { { "a/b.txt", "a/b.txt" }, { "a/d/e.txt", "a/d/e.txt" }, { "c.txt", "c.txt" } } },
        { "a/d", 0, { { "d/e.txt", "a/d/e.txt" } } },
        { "'a\\b.txt' a/d", 0, { { "b.txt", "a/b.txt" }, { "d/e.txt", "a/d/e.txt" } } },
        { "a/missing.txt", 1, {} },
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.paths);
        const std::string target = root / ("out" + std::to_string(n++));
        const ToolRun result = runTool("arc cp " + zip + " '" + target + "' " + row.paths, scratch);
        EXPECT_EQ(result.status, row.status) << result.err;
        std::size_t files = 0;
        if (fs::exists(target))
            for (const auto& item : fs::recursive_directory_iterator(target))
                files += item.is_regular_file() ? 1 : 0;
        EXPECT_EQ(files, row.files.size());
        for (const auto& [file, source] : row.files)
            EXPECT_EQ(readAll(target + "/" + file), readAll(root / ("src/" + source))) << file;
    }

    // A link at the target is replaced, never written through.
    const std::string outside = root.write("outside.txt", "keep");
    root.folder("linked");
    fs::create_symlink(outside, root / "linked/c.txt");
    const ToolRun linked = runTool("arc cp " + zip + " '" + root / "linked" + "' c.txt", scratch);
    EXPECT_EQ(readAll(outside), "keep") << linked.err;

    // A damaged member: the CRC error reaches stderr with its number.
    std::string bytes = readAll(root / "pack.zip");
    const auto at = bytes.find("sea");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'S';
    std::ofstream(root / "bad.zip", std::ios::binary) << bytes;
    const ToolRun bad = runTool("arc cp '" + root / "bad.zip" + "' '" + root / "badout" + "' c.txt", scratch);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("ovtool arc: error 25"), std::string::npos) << bad.err;
}
