#include "panel/browser.h"
#include "platform/drives.h"
#include "shell/command_line.h"
#include "shell/desktop_lists.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ov;
namespace fs = std::filesystem;

TEST(CommandLine, CtrlBackspaceDropsTheLastWord)
{
    const std::pair<const char*, const char*> rows[] = {
        { "copy file.txt", "copy file" },
        { "copy file", "copy" },
        { "copy", "" },
        { "", "" },
        { "ab.", "ab." }, // three characters ending in a full stop stay
        { "abc ", "abc" },
        { "a b", "a" },
        { "x..", "x.." }, // and so do three ending in two
        { "cd ..", "cd ." },
    };
    for (const auto& [before, after] : rows)
        EXPECT_EQ(deleteLastWord(before), after) << before;
}

TEST(CommandLine, CtrlEnterAndPanelPaths)
{
    EXPECT_EQ(appendCurrentName("type", "README.TXT", false), "type readme.txt");
    EXPECT_EQ(appendCurrentName("", "README.TXT", false), "readme.txt");
    EXPECT_EQ(appendCurrentName("cd", "Work Files", true), "cd 'Work Files'");
    // Ctrl+[ / Ctrl+]: the shown folder's host path, as one shell word.
    EXPECT_EQ(appendPanelPath("cp x ", "/"), "cp x /");
    EXPECT_EQ(appendPanelPath("cp x ", "/home/ann/work"), "cp x /home/ann/work/");
    EXPECT_EQ(appendPanelPath("ls ", "/tmp/it's here/"), "ls '/tmp/it'\\''s here/'");
    // Names in their host form, never the private-use stand-in for "\" nor
    // a replacement character for bytes that are no UTF-8.
    const std::string backslashInside = hostNameToInner("a\\b");
    ASSERT_NE(backslashInside, "a\\b");
    const std::pair<std::string, std::string> names[] = {
        { "plain-name_1.txt", "plain-name_1.txt" },
        { "two words", "'two words'" },
        { "$(rm -rf x);`y`", "'$(rm -rf x);`y`'" },
        { "don't", "'don'\\''t'" },
        { "\xc3\xa9t\xc3\xa9", "'\xc3\xa9t\xc3\xa9'" }, // UTF-8 text is kept as text
        { backslashInside, "'a\\b'" },
        { "bad\xff name", "\"$(printf 'bad\\377 name')\"" },
        { "50%\xfe\\", "\"$(printf '50\\045\\376\\134')\"" },
    };
    for (const auto& [name, word] : names) {
        const std::string line = appendCurrentName("", name, true);
        EXPECT_EQ(line, word) << name;
        EXPECT_EQ(line.find("\xef\x81\x9c"), std::string::npos) << name; // U+F05C
        EXPECT_EQ(line.find("\xef\xbf\xbd"), std::string::npos) << name; // U+FFFD
    }
}

// The words the quoting makes read back, through a real shell, as the
// bytes they came from.
TEST(CommandLine, QuotedWordsReadBackThroughTheShell)
{
    for (const std::string host :
        { "two words", "don't", "a\\b", "bad\xff name", "50%\xfe\\", "-n", "\xc3\xa9" }) {
        const std::string script = "printf '%s' " + shellQuoted(host);
        FILE* pipe = ::popen(("/bin/sh -c " + shellQuoted(script)).c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        ::pclose(pipe);
        EXPECT_EQ(out, host);
    }
}

TEST(CommandLine, SplitsConfiguredCommandLines)
{
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        { "", {} },
        { "   ", {} },
        { "gedit", { "gedit" } },
        { "  vim   -p  ", { "vim", "-p" } },
        { "\"/opt/my editor/ed\" -f", { "/opt/my editor/ed", "-f" } },
        { "ed \"\"", { "ed", "" } }, // an empty quoted word stays a word
        { "a\"b c\"d", { "ab cd" } },
        { "\"unclosed quote", { "unclosed quote" } },
    };
    for (const auto& [text, words] : rows)
        EXPECT_EQ(splitCommandLine(text), words) << text;
}

TEST(CommandLine, ReopenFolderIsTheFolderHoldingAnArchive)
{
    test::TempFolder drive;
    drive.write("work/pack.zip", "not really");
    DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
    // A disk standing in for an archive, with one folder.
    class Archive : public TDiskInterface {
    public:
        explicit Archive(const std::string& root) { Root = root; }
        bool FindFirst(const std::string&, Entry& entry) override
        {
            m_given = false;
            return FindNext(entry);
        }
        bool FindNext(Entry& entry) override
        {
            if (m_given)
                return false;
            m_given = true;
            entry = Entry();
            entry.FullName = entry.Name = "inner";
            entry.Attr = faDirectory;
            return true;
        }
        bool GetFile(const std::string&, const std::string&) override { return false; }
        bool PutFile(const std::string&, const std::string&) override { return false; }
        bool DeleteFile(const std::string&) override { return false; }
        bool MakeDir(const std::string&) override { return false; }
        bool RemoveDir(const std::string&) override { return false; }

    private:
        bool m_given = false;
    };
    TBrowser::setArchiveDiskFactory([](const std::string& path) { return std::make_unique<Archive>(path); });
    TBrowser list;
    list.OpenDisk("c:\\", DiskKind::Standard, "work\\");
    EXPECT_EQ(reopenFolder(list), "c:\\work\\");
    list.PushDisk("c:\\work\\pack.zip", DiskKind::Archive, "");
    ASSERT_EQ(list.DiskKind, DiskKind::Archive);
    list.EnterFolder(2);
    EXPECT_NE(list.CurrentFolder(), "c:\\work\\");
    EXPECT_EQ(reopenFolder(list), "c:\\work\\");
    TBrowser::setArchiveDiskFactory(nullptr);
    DriveTable::instance().reset();
}

TEST(CommandLine, HistoryWalksBackAndStopsAtTheOldest)
{
    CommandHistory history;
    EXPECT_EQ(history.back(), "");
    for (const char* command : { "a", "b", "c" })
        history.add(command);
    std::string seen;
    for (int i = 0; i < 4; ++i)
        seen += history.back();
    EXPECT_EQ(seen, "cbaa");
    // A new command ends the walk: the next Ctrl+E shows it first.
    history.add("d");
    EXPECT_EQ(history.back(), "d");
    EXPECT_EQ(history.back(), "c");
    EXPECT_EQ(history.selected(), 2);
}

TEST(CommandLine, FileWorkChoosesByExtension)
{
    const std::pair<const char*, FileAction> rows[] = {
        { "c:\\p\\photo.JPG", FileAction::Picture },
        { "c:\\p\\icon.ico", FileAction::Picture },
        { "c:\\s\\ding.wav", FileAction::Sound },
        { "c:\\s\\tune.MID", FileAction::Sound },
        { "c:\\v\\clip.avi", FileAction::MediaPlayer },
        { "c:\\m\\song.MP3", FileAction::Mpeg },
        { "c:\\m\\song.mp2", FileAction::Mpeg },
        { "c:\\m\\mod.s3m", FileAction::Module },
        { "c:\\m\\x.itz", FileAction::Module },
        { "c:\\w\\index.HTML", FileAction::Html },
        { "c:\\w\\readme", FileAction::Text },
        { "c:\\dir.v2\\readme", FileAction::Text }, // a dot in a folder is no extension
        { "c:\\w\\notes.txt", FileAction::Text },
        { "c:\\w\\archive.mpga", FileAction::Text },
    };
    for (const auto& [path, action] : rows)
        EXPECT_EQ(fileActionFor(path), action) << path;
}

TEST(DesktopLists, EmptyTrashTouchesOnlyTheTrash)
{
    test::TempFolder data;
    const std::string trash = data / "Trash";
    data.write("Trash/files/old.txt", "x");
    data.write("Trash/files/folder/inner.txt", "y");
    data.write("Trash/info/old.txt.trashinfo", "[Trash Info]\n");
    data.write("Trash/directorysizes", "1 2 folder\n");
    const std::string outside = data.write("keep/precious.txt", "keep");
    fs::create_directory_symlink(data / "keep", trash + "/files/link");
    // The drive-C folder of old never counts as the recycle bin.
    data.write("c/Recycled/kept.txt", "kept");

    EXPECT_TRUE(emptyTrash(trash));
    EXPECT_TRUE(fs::is_empty(trash + "/files"));
    EXPECT_TRUE(fs::is_empty(trash + "/info"));
    EXPECT_FALSE(fs::exists(trash + "/directorysizes"));
    EXPECT_TRUE(fs::exists(outside)); // the link went, not what it pointed at
    EXPECT_TRUE(fs::exists(data / "c/Recycled/kept.txt"));
    // A missing trash is already empty.
    EXPECT_TRUE(emptyTrash(data / "none"));
}

TEST(DesktopLists, ClearRecentDocumentsWritesAnEmptyList)
{
    test::TempFolder data;
    const std::string xbel = data.write("recently-used.xbel",
        "<?xml version=\"1.0\"?>\n<xbel version=\"1.0\"><bookmark href=\"file:///secret.txt\"/></xbel>\n");
    EXPECT_TRUE(clearRecentDocuments(xbel));
    std::ifstream in(xbel);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().find("secret"), std::string::npos);
    EXPECT_NE(text.str().find("<xbel"), std::string::npos);
    EXPECT_NE(text.str().find("</xbel>"), std::string::npos);
    // No list: nothing is created.
    EXPECT_TRUE(clearRecentDocuments(data / "absent.xbel"));
    EXPECT_FALSE(fs::exists(data / "absent.xbel"));
    // A folder in the way: the write fails and says so.
    data.folder("blocked/recently-used.xbel/x");
    EXPECT_FALSE(clearRecentDocuments(data / "blocked/recently-used.xbel"));
}
