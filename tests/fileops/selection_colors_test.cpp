// Group selection, the folder history and fcolors.ini without a window.
#include "fileops/file_colors.h"
#include "fileops/folder_history.h"
#include "fileops/group_select.h"
#include "panel/panel_text.h"
#include "platform/ini_file.h"
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <set>

using namespace ov;
using namespace ov::test;

namespace {

class SelectionTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        for (const char* name : { "a.txt", "b.TXT", "c.doc", "archive.tar.gz", "noext", ".hidden.txt" })
            root.write(std::string("w/") + name, "x");
        root.folder("w/x.txt");
        root.folder("w/sub");
        open(list, "w");
    }
    std::set<std::string> selected() const
    {
        std::set<std::string> names;
        for (int i = 1; i <= list.Count; ++i)
            if (list.IsSelected(i))
                names.insert(list.NameAt(i));
        return names;
    }
    TBrowser list;
};

} // namespace

// Masks against files and folders, selecting and unselecting; ".." never.
TEST_F(SelectionTest, GroupSelectionTable)
{
    using Names = std::set<std::string>;
    struct Row {
        const char* name;
        const char* mask;
        bool select;
        bool folders;
        Names after;
    };
    const Row rows[] = {
        { "*.txt selects files only", "*.txt", true, false, { "a.txt", "b.TXT", ".hidden.txt" } },
        { "with folders the folder x.txt too", "*.txt", true, true,
            { "a.txt", "b.TXT", ".hidden.txt", "x.txt" } },
        { "unselecting *.* unselects every selected file", "*.*", false, false, { "x.txt" } },
        { "unselecting with folders", "*.*", false, true, {} },
        { "two masks", "*.doc;*.gz", true, false, { "c.doc", "archive.tar.gz" } },
        { "*.* with folders never takes ..", "*.*", true, true,
            { "a.txt", "b.TXT", "c.doc", "archive.tar.gz", "noext", ".hidden.txt", "x.txt", "sub" } },
        { "? masks", "?.doc", false, false,
            { "a.txt", "b.TXT", "archive.tar.gz", "noext", ".hidden.txt", "x.txt", "sub" } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SelectGroup(list, row.mask, row.select, row.folders);
        EXPECT_EQ(selected(), row.after);
        EXPECT_EQ(list.SelCount, static_cast<int>(row.after.size()));
        EXPECT_FALSE(list.IsSelected(1));
    }
    UnselectAll(list);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(list.SelCount, 0);
    EXPECT_EQ(list.SelBytes, 0);
}

// No limit, duplicates kept, in order.
TEST(FolderHistoryTest, KeepsEveryVisitInOrder)
{
    FolderHistory history;
    for (const char* folder : { "c:\\work\\", "c:\\work\\", "c:\\", "c:\\work\\" })
        history.Add(folder);
    EXPECT_EQ(
        history.Items(), (std::vector<std::string> { "c:\\work\\", "c:\\work\\", "c:\\", "c:\\work\\" }));
    for (int i = 0; i < 5000; ++i)
        history.Add("c:\\");
    EXPECT_EQ(history.Items().size(), 5004u);
}

// fcolors.ini: a missing file gives white, a save writes all 39 keys in the
// table's order, and a load gives every colour back, negative system colours
// included; other lines of the file stay.
TEST(FilesColorsTest, RoundTrip)
{
    TempFolder folder;
    const std::string path = folder / "fcolors.ini";
    ExtensionColors table;
    table.colors.fill(12345);
    LoadFilesColors(path, table);
    for (const int32_t color : table.colors)
        EXPECT_EQ(color, 0xFFFFFF);

    ASSERT_EQ(ExtensionColors::Size, 39u);
    EXPECT_EQ(ExtensionColors::extensions()[0], ".bat");
    EXPECT_EQ(ExtensionColors::extensions()[22], ".jpeg");
    EXPECT_EQ(ExtensionColors::extensions()[37], ".itz");
    EXPECT_EQ(ExtensionColors::extensions()[38], ".pcx");
    {
        std::ofstream(path) << "; kept\n[Other]\nx=1\n[FilesColors]\nexe=5\nzzz=9\n";
    }
    for (std::size_t i = 0; i < table.colors.size(); ++i)
        table.colors[i] = static_cast<int32_t>(i * 1000);
    table.colors[2] = 0x0000FF; // exe
    table.colors[5] = -2147483640; // a system colour
    table.colors[6] = -16;
    table.colors[38] = 2147483647;
    ASSERT_TRUE(SaveFilesColors(path, table));

    const IniFile file(path);
    const auto keys = file.keys("FilesColors");
    ASSERT_EQ(keys.size(), 40u); // the 39 and the foreign key
    EXPECT_EQ(file.readInteger("FilesColors", "exe", 0), 255);
    EXPECT_EQ(file.readInteger("FilesColors", "cpp", 0), -2147483640);
    EXPECT_EQ(file.readInteger("Other", "x", 0), 1);
    EXPECT_NE(readWhole(path).find("; kept"), std::string::npos);

    ExtensionColors loaded;
    LoadFilesColors(path, loaded);
    EXPECT_EQ(loaded.colors, table.colors);
    EXPECT_EQ(loaded.colorOf("SETUP.EXE", 1), 255);
}
