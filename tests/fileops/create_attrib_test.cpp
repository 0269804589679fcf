// Create folder, create file and attributes without a window, on real
// folders of a temporary drive: the attribute word as the file system keeps
// it (mode and user.DOSATTRIB), the exact written date, the places a typed
// name lands, and ovtool attr/mkdir/mkfile over the same calls.
#include "fileops/attributes.h"
#include "fileops/create_entry.h"
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace ov;
using namespace ov::test;

namespace {

// An archive disk with nothing in it, which makes nothing.
class EmptyArchiveDisk : public TDiskInterface {
public:
    bool FindFirst(const std::string&, Entry&) override { return false; }
    bool FindNext(Entry&) override { return false; }
    bool GetFile(const std::string&, const std::string&) override { return false; }
    bool PutFile(const std::string&, const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    bool MakeDir(const std::string&) override { return false; }
    bool RemoveDir(const std::string&) override { return false; }
};

std::string storedText(const std::string& path)
{
    char value[64];
    const ssize_t n = ::lgetxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value);
    return n < 0 ? "none" : std::string(value, static_cast<std::size_t>(n));
}

void setStored(const std::string& path, const char* text)
{
    ASSERT_EQ(::lsetxattr(path.c_str(), "user.DOSATTRIB", text, std::strlen(text), 0), 0);
}

unsigned modeOf(const std::string& path)
{
    struct stat info { };
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

timespec changedAt(const std::string& path)
{
    struct stat info { };
    ::lstat(path.c_str(), &info);
    return info.st_ctim;
}

uint16_t wordOf(const std::string& path)
{
    HostEntry entry;
    return statPath(path, entry) ? entry.attr : 0xFFFF;
}

class CreateAttribTest : public FileOpsTest {
protected:
    // ovtool with arguments from root; exit code, stdout and stderr together.
    int ovtool(const std::string& arguments, std::string& output)
    {
        const std::string tool = OV_BINARY_DIR "/cli/ovtool";
        const std::string command = "cd '" + root.path() + "' && ORVANTA_DRIVES='c=" + root.path()
            + "' TZ=UTC " + tool + " " + arguments + " 2>&1";
        output.clear();
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[256];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        const int status = pipe ? ::pclose(pipe) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

} // namespace

// Each bit set and cleared with the others kept; dot-names, folders, the
// stored read-only bit of another system, refusals.
TEST_F(CreateAttribTest, AttributeWordTable)
{
    struct Row {
        const char* name;
        const char* path; // under root; a trailing "/" makes a folder
        unsigned mode; // initial mode
        const char* stored; // initial user.DOSATTRIB, or nullptr
        uint16_t write; // the word handed to setAttributes
        bool ok;
        uint16_t word; // read back, the four bits
        unsigned newMode;
        const char* newStored;
    };
    const Row rows[] = {
        { "set read-only clears every write bit", "f1", 0666, "0x20", 0x21, true, 0x21, 0444, "0x20" },
        { "clear read-only adds the owner's only", "f2", 0440, "0x24", 0x24, true, 0x24, 0640, "0x24" },
        { "set archive, mode kept", "f3", 0640, nullptr, 0x20, true, 0x20, 0640, "0x20" },
        { "clear archive, system kept", "f4", 0644, "0x24", 0x04, true, 0x04, 0644, "0x4" },
        { "set system on read-only, read-only kept", "f5", 0444, "0x20", 0x25, true, 0x25, 0444, "0x24" },
        { "clear system", "f6", 0644, "0x4", 0x00, true, 0x00, 0644, "0x0" },
        { "set hidden", "f7", 0644, nullptr, 0x02, true, 0x02, 0644, "0x2" },
        { "clear hidden, archive kept", "f8", 0644, "0x22", 0x20, true, 0x20, 0644, "0x20" },
        { "a stored read-only bit goes with clearing", "f9", 0644, "0x21", 0x20, true, 0x20, 0644, "0x20" },
        { "dot-name stays hidden", ".rc", 0644, nullptr, 0x00, true, 0x02, 0644, "none" },
        { "dot-name keeps its stored hidden bit", ".rc2", 0644, "0x2", 0x04, true, 0x06, 0644, "0x6" },
        { "folder: read-only leaves the mode", "dir/", 0755, nullptr, 0x01, true, 0x00, 0755, "none" },
        { "folder: hidden and system stored", "dir2/", 0755, nullptr, 0x16, true, 0x06, 0755, "0x6" },
        { "no change writes nothing", "f10", 0644, "0x20", 0x20, true, 0x20, 0644, "0x20" },
        { "missing file fails", "gone", 0, nullptr, 0x01, false, 0, 0, "none" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = root / row.path;
        if (path.back() == '/') {
            path.pop_back();
            root.folder(row.path);
        } else if (row.mode != 0) {
            root.write(row.path, "data");
        }
        if (row.mode != 0) {
            ::chmod(path.c_str(), row.mode);
            if (row.stored)
                setStored(path, row.stored);
        }
        const timespec before = changedAt(path);
        EXPECT_EQ(setAttributes(path, row.write), row.ok);
        if (!row.ok)
            continue;
        EXPECT_EQ(wordOf(path) & attributeBoxBits, row.word);
        EXPECT_EQ(modeOf(path), row.newMode);
        EXPECT_EQ(storedText(path), row.newStored);
        EXPECT_TRUE(std::filesystem::exists(path)) << "nothing is renamed";
        if (std::string(row.name) == "no change writes nothing") {
            const timespec after = changedAt(path);
            EXPECT_EQ(after.tv_sec, before.tv_sec);
            EXPECT_EQ(after.tv_nsec, before.tv_nsec);
        }
    }

    // A link keeps no attributes of its own: the change is refused, the
    // target untouched.
    root.write("target", "t");
    ::symlink("target", (root / "link").c_str());
    EXPECT_FALSE(setAttributes(root / "link", faHidden | faSymLink));
    EXPECT_EQ(storedText(root / "target"), "none");
}

// The window's word: the four bits from the boxes, every other bit kept; an
// unchanged word is not written, a changed one through the drive's path.
TEST_F(CreateAttribTest, WindowWordAndDate)
{
    EXPECT_EQ(NewAttributeWord(0x10 | 0x20 | 0x400, true, false, true, false), 0x10 | 0x400 | 0x01 | 0x04);
    EXPECT_EQ(NewAttributeWord(0x27, false, false, false, false), 0x00);
    EXPECT_EQ(NewAttributeWord(0x80, false, true, false, true), 0x80 | 0x20 | 0x02);

    root.write("w/a.txt", "A");
    const std::string path = root / "w/a.txt";
    const timespec before = changedAt(path);
    EXPECT_EQ(WriteAttributeWord("c:\\w\\a.txt", 0x20, 0x20), AttributeWrite::Unchanged);
    EXPECT_EQ(changedAt(path).tv_nsec, before.tv_nsec);
    EXPECT_EQ(WriteAttributeWord("c:\\w\\a.txt", 0x00, 0x01), AttributeWrite::Written);
    EXPECT_EQ(modeOf(path) & 0222, 0u);
    EXPECT_EQ(WriteAttributeWord("c:\\w\\gone.txt", 0x00, 0x01), AttributeWrite::Failed);
    EXPECT_EQ(WriteAttributeWord("q:\\w\\a.txt", 0x00, 0x01), AttributeWrite::Failed);

    // The date as the window shows it.
    TSystemTime time;
    time.wYear = 2003;
    time.wMonth = 4;
    time.wDay = 5;
    time.wHour = 6;
    time.wMinute = 7;
    time.wSecond = 59;
    EXPECT_EQ(AttribDateText(time), "05.04.2003, 06:07");
    time.wDay = 31;
    time.wMonth = 12;
    time.wHour = 23;
    time.wMinute = 59;
    EXPECT_EQ(AttribDateText(time), "31.12.2003, 23:59");

    // The set-date call keeps odd seconds and nanoseconds, not a two-second grid.
    const timespec exact { 1049522879, 123456789 };
    ASSERT_TRUE(setWrittenTime(path, exact));
    struct stat info { };
    ::lstat(path.c_str(), &info);
    EXPECT_EQ(info.st_mtim.tv_sec, exact.tv_sec);
    EXPECT_EQ(info.st_mtim.tv_nsec, exact.tv_nsec);
    time.wYear = 2003;
    time.wMonth = 4;
    time.wDay = 5;
    time.wHour = 6;
    time.wMinute = 7;
    time.wSecond = 59;
    EXPECT_EQ(fromLocalTime(time).tv_sec, 1049522879);
    EXPECT_FALSE(setWrittenTime(root / "w/gone", exact));
}

// Where a typed folder name lands, and the error text of each failure.
TEST_F(CreateAttribTest, MakeFolderTable)
{
    struct Row {
        const char* name;
        const char* text;
        bool made;
        bool asPath;
        const char* error;
        const char* expected; // the folder that must exist afterwards, or ""
    };
    const Row rows[] = {
        { "a name in the panel's folder", "NEW", true, false, "", "w/NEW" },
        { "the same name again", "NEW", false, false, "Cannot make the folder", "" },
        { "a file in the way", "file", false, false, "Cannot make the folder", "" },
        { "an empty name", "", false, false, "Cannot make the folder", "" },
        { "relative to the panel's folder", "sub\\deeper", true, true, "", "w/sub/deeper" },
        { "one level only", "nothere\\deeper", false, true, "Cannot make the Directory", "" },
        { "a full path as given", "c:\\other\\made", true, true, "", "other/made" },
        { "from the drive's root", "\\rooted", true, true, "", "rooted" },
        { "an existing path", "sub\\deeper", false, true, "Cannot make the Directory", "" },
        { "a drive that is not there", "q:\\x", false, true, "Cannot make the Directory", "" },
    };
    root.folder("w/sub");
    root.folder("other");
    root.write("w/file", "keep");
    TBrowser list;
    open(list, "w");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const MakeFolderOutcome outcome = MakeFolderFromText(list, row.text);
        EXPECT_EQ(outcome.made, row.made);
        EXPECT_EQ(outcome.asPath, row.asPath);
        EXPECT_EQ(outcome.error, row.error);
        if (*row.expected) {
            EXPECT_TRUE(std::filesystem::is_directory(root / row.expected));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(root / "nothere"));
    EXPECT_EQ(readWhole(root / "w/file"), "keep");

    // An archive panel makes no folder; a relative path means nothing there.
    TBrowser::setArchiveDiskFactory([](const std::string&) { return std::make_unique<EmptyArchiveDisk>(); });
    root.write("w/pack.zip", "PK");
    list.PushDisk(root / "w/pack.zip", DiskKind::Archive, "");
    ASSERT_EQ(list.DiskKind, DiskKind::Archive);
    const Tree before = describeTree(root.path());
    EXPECT_EQ(MakeFolderFromText(list, "INSIDE").error, "Cannot make the folder");
    EXPECT_EQ(MakeFolderFromText(list, "in\\side").error, "Cannot make the Directory");
    EXPECT_EQ(describeTree(root.path()), before);
    TBrowser::setArchiveDiskFactory(nullptr);
}

// Create file: one exclusive create; an existing name of any kind is never
// opened, truncated or followed.
TEST_F(CreateAttribTest, CreateFileTable)
{
    root.write("w/exists.txt", std::string(100, 'x'));
    ::symlink("nowhere", (root / "w/dangling").c_str());
    ::symlink("../outside.txt", (root / "w/escape").c_str());
    ::mkfifo((root / "w/fifo").c_str(), 0644);
    root.folder("w/folder");
    root.folder("other");
    const std::string hash = contentHash(readWhole(root / "w/exists.txt"));
    struct Row {
        const char* name;
        const char* text;
        CreateFileOutcome outcome;
        const char* created; // the new empty file, or ""
    };
    const Row rows[] = {
        { "a new name", "new.txt", CreateFileOutcome::Created, "w/new.txt" },
        { "an empty name", "", CreateFileOutcome::Nothing, "" },
        { "an existing file", "exists.txt", CreateFileOutcome::Failed, "" },
        { "a dangling link", "dangling", CreateFileOutcome::Failed, "" },
        { "a link out of the folder", "escape", CreateFileOutcome::Failed, "" },
        { "a FIFO", "fifo", CreateFileOutcome::Failed, "" },
        { "a folder", "folder", CreateFileOutcome::Failed, "" },
        { "a full path", "c:\\other\\full.txt", CreateFileOutcome::Created, "other/full.txt" },
        { "a missing folder", "nothere\\x.txt", CreateFileOutcome::Failed, "" },
        { "a sub-folder", "folder\\in.txt", CreateFileOutcome::Created, "w/folder/in.txt" },
    };
    TBrowser list;
    open(list, "w");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CreateFileFromText(list, row.text), row.outcome);
        if (*row.created) {
            EXPECT_TRUE(std::filesystem::is_regular_file(root / row.created));
            EXPECT_EQ(std::filesystem::file_size(root / row.created), 0u);
        }
    }
    EXPECT_EQ(contentHash(readWhole(root / "w/exists.txt")), hash);
    EXPECT_FALSE(std::filesystem::exists(root / "w/nowhere"));
    EXPECT_FALSE(std::filesystem::exists(root / "outside.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(root / "w/dangling"));
    EXPECT_EQ(NewFileTarget(list, "a.txt"), "c:\\w\\\\a.txt");
    EXPECT_EQ(NewFileTarget(list, "d:\\a.txt"), "d:\\a.txt");
}

// ovtool attr, mkdir and mkfile: the windows' calls and texts, exit 1 on failure.
TEST_F(CreateAttribTest, CommandLine)
{
    if (!std::filesystem::exists(OV_BINARY_DIR "/cli/ovtool"))
        GTEST_SKIP() << "ovtool is not built";
    std::string output;
    root.write("w/a.txt", "A");
    EXPECT_EQ(ovtool("attr +r +s --date '2021-03-04 05:06:07' 'c:\\w\\a.txt'", output), 0);
    EXPECT_EQ(output, "5\t04.03.2021, 05:06\n");
    struct stat info { };
    ::lstat((root / "w/a.txt").c_str(), &info);
    EXPECT_EQ(info.st_mtim.tv_sec, 1614834367);
    EXPECT_EQ(info.st_mtim.tv_nsec, 0);
    EXPECT_EQ(ovtool("attr -r -s +a +h " + root / "w/a.txt", output), 0);
    EXPECT_EQ(output, "22\t04.03.2021, 05:06\n");
    EXPECT_EQ(modeOf(root / "w/a.txt") & 0200, 0200u);
    EXPECT_EQ(ovtool("attr +r 'c:\\w\\gone.txt'", output), 1);
    EXPECT_NE(output.find("No such file"), std::string::npos) << output;
    EXPECT_EQ(ovtool("attr --date 'yesterday' 'c:\\w\\a.txt'", output), 2);

    EXPECT_EQ(ovtool("mkdir 'c:\\w' NEW", output), 0);
    EXPECT_TRUE(std::filesystem::is_directory(root / "w/NEW"));
    EXPECT_EQ(ovtool("mkdir 'c:\\w' NEW", output), 1);
    EXPECT_EQ(output, "Cannot make the folder\n");
    EXPECT_EQ(ovtool("mkdir 'c:\\w' 'NEW\\in'", output), 0);
    EXPECT_TRUE(std::filesystem::is_directory(root / "w/NEW/in"));
    EXPECT_EQ(ovtool("mkdir 'c:\\w' 'x\\y'", output), 1);
    EXPECT_EQ(output, "Cannot make the Directory\n");

    EXPECT_EQ(ovtool("mkfile 'c:\\w' b.txt", output), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(root / "w/b.txt"));
    EXPECT_EQ(ovtool("mkfile " + root / "w" + " a.txt", output), 1);
    EXPECT_EQ(output, "Cannot create this file!\n");
    EXPECT_EQ(readWhole(root / "w/a.txt"), "A");
}
