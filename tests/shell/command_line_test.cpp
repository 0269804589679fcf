#include "shell/command_line.h"
#include "shell/desktop_lists.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(appendCurrentName("cd", "Work Files", true), "cd Work Files");
    EXPECT_EQ(appendPanelPath("copy ", "c:\\"), "copy c:\\");
    EXPECT_EQ(appendPanelPath("copy ", "c:\\work"), "copy c:\\work\\");
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
