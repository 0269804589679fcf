// The panel's arithmetic without a window: geometry, cursor moves, texts,
// quick search and the drive facts' parsers.
#include "panel/browser.h"
#include "panel/drive_facts.h"
#include "panel/panel_cursor.h"
#include "panel/panel_geometry.h"
#include "panel/panel_text.h"
#include "panel/quick_search.h"
#include "platform/drives.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ov;

TEST(PanelGeometry, Table)
{
    struct Row {
        const char* name;
        PanelGeometryInput in;
        int headerHeight, footerHeight, stripHeight, listBottom, rows, columns, columnWidth, cellTextWidth,
            nameColWidth;
    } rows[] = {
        // 250 x 270 at size 8: LH = 270 - 38 - 25 - 11 = 196; R = 192 / 16 = 12.
        { "brief default", { 250, 270, 8, 8, 13, 3, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11, 221, 12,
            3, 82, 80, 103 },
        { "no strip gives 11 more", { 250, 270, 8, 8, 13, 3, ViewMode::Brief, false, 103, 60, 75 }, 25, 38, 0,
            232, 12, 3, 82, 80, 103 },
        { "full mode is one column", { 250, 270, 8, 8, 13, 3, ViewMode::Full, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 1, 247, 245, 103 },
        { "name column cut to W - 11", { 100, 270, 8, 8, 13, 3, ViewMode::Full, true, 400, 60, 75 }, 25, 38,
            11, 221, 12, 1, 97, 95, 89 },
        { "name column at least 10", { 250, 270, 8, 8, 13, 3, ViewMode::Full, true, 2, 1, 1 }, 25, 38, 11,
            221, 12, 1, 247, 245, 10 },
        { "size 10: header 1.5 x C, footer 40",
            { 250, 270, 10, 10, 15, 2, ViewMode::Brief, true, 103, 60, 75 }, 23, 40, 11, 219, 9, 2, 123, 121,
            103 },
        { "size 6: header 2 x C, footer 24", { 250, 270, 6, 6, 9, 1, ViewMode::Brief, true, 103, 60, 75 }, 18,
            24, 11, 235, 17, 1, 247, 245, 103 },
        { "font size 0 reads as 8", { 250, 270, 0, 0, 13, 3, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 3, 82, 80, 103 },
        { "columns clamped to 12", { 250, 270, 8, 8, 13, 99, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 12, 20, 18, 103 },
        { "11 columns are drawn", { 250, 270, 8, 8, 13, 11, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 11, 22, 20, 103 },
        { "12 columns are drawn", { 250, 270, 8, 8, 13, 12, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 12, 20, 18, 103 },
        { "columns clamped to 1", { 250, 270, 8, 8, 13, -4, ViewMode::Brief, true, 103, 60, 75 }, 25, 38, 11,
            221, 12, 1, 247, 245, 103 },
        { "tiny window keeps one row", { 20, 30, 8, 8, 13, 3, ViewMode::Brief, true, 103, 60, 75 }, 25, 38,
            11, -19, 1, 3, 5, 3, 10 },
    };
    for (const Row& row : rows) {
        const PanelGeometry g = computePanelGeometry(row.in);
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(g.laidOut);
        EXPECT_EQ(g.headerHeight, row.headerHeight);
        EXPECT_EQ(g.footerHeight, row.footerHeight);
        EXPECT_EQ(g.stripHeight, row.stripHeight);
        EXPECT_EQ(g.listBottom, row.listBottom);
        EXPECT_EQ(g.rows, row.rows);
        EXPECT_EQ(g.columns, row.columns);
        EXPECT_EQ(g.columnWidth, row.columnWidth);
        EXPECT_EQ(g.cellTextWidth, row.cellTextWidth);
        EXPECT_EQ(g.nameColWidth, row.nameColWidth);
    }
    // The strip and the cells.
    const PanelGeometry g
        = computePanelGeometry({ 250, 270, 8, 8, 13, 3, ViewMode::Brief, true, 103, 60, 75 });
    EXPECT_EQ(g.stripLeft, 3);
    EXPECT_EQ(g.stripRight, 246);
    EXPECT_EQ(g.stripTop, 261);
    EXPECT_EQ(g.stripBottom, 268);
    EXPECT_EQ(g.cellLeft(13), 3 + 82);
    EXPECT_EQ(g.cellTop(13), 25 + 16 + 2);
    // A zero-width panel is not laid out (and divides by nothing).
    EXPECT_FALSE(computePanelGeometry({ 0, 270, 8, 8, 13, 3, ViewMode::Brief, true, 103, 60, 75 }).laidOut);
    EXPECT_FALSE(computePanelGeometry({ 250, 0, 8, 8, 13, 3, ViewMode::Brief, true, 103, 60, 75 }).laidOut);
    EXPECT_EQ(footerLineSpacing(8), 13);
    EXPECT_EQ(footerLineSpacing(9), 14);
}

TEST(PanelGeometry, ThumbOffsets)
{
    struct Row {
        int width, current, count, offset;
    } rows[] = {
        { 250, 1, 100, 1 }, // on the first entry
        { 250, 50, 101, 109 }, // 217 * 50 / 100 = 108.5, rounded
        { 250, 101, 101, 219 }, // 217 * 101 / 100, rounded
        { 250, 2, 2, 220 }, // 217 * 2 / 1, kept at W - 30
        { 250, 1, 1, 1 }, { 250, 1, 0, 1 }, { 20, 5, 10, 1 }, // a tiny panel never gives a negative offset
    };
    for (const Row& row : rows)
        EXPECT_EQ(thumbOffset(row.width, row.current, row.count), row.offset)
            << row.width << " " << row.current << " " << row.count;
}

namespace {

// Runs a key sequence over a cursor and returns (TopIndex, CursorRow).
std::pair<int, int> run(PanelCursor cursor, const std::string& keys)
{
    for (char key : keys) {
        switch (key) {
        case 'u':
            cursor.up();
            break;
        case 'd':
            cursor.down();
            break;
        case 'r':
            cursor.pageRight();
            break;
        case 'l':
            cursor.pageLeft();
            break;
        case 'h':
            cursor.home();
            break;
        case 'e':
            cursor.end();
            break;
        }
        EXPECT_GE(cursor.TopIndex, 0);
        EXPECT_LE(cursor.TopIndex, std::max(0, cursor.count() - cursor.cells()));
        EXPECT_LE(cursor.TopIndex + cursor.CursorRow + 1, std::max(cursor.count(), 1));
    }
    return { cursor.TopIndex, cursor.CursorRow };
}

PanelCursor cursorAt(int rows, int columns, int count, int top = 0, int row = 0)
{
    PanelCursor cursor;
    cursor.setPage(rows, columns, count);
    cursor.TopIndex = top;
    cursor.CursorRow = row;
    return cursor;
}

} // namespace

TEST(PanelCursor, KeySequences)
{
    struct Row {
        const char* name;
        PanelCursor start;
        const char* keys;
        int top, row;
    } rows[] = {
        // 3 columns of 10 rows, 45 entries, cursor on entry 30 (the last cell).
        { "PgDn in the last cell scrolls one column", cursorAt(10, 3, 45, 0, 29), "r", 10, 29 },
        { "second PgDn stops at Count - 30", cursorAt(10, 3, 45, 0, 29), "rr", 15, 29 },
        { "PgDn from column 1 moves a column", cursorAt(10, 3, 45, 0, 3), "r", 0, 13 },
        { "PgDn in the last column goes to the last cell", cursorAt(10, 3, 45, 0, 23), "r", 0, 29 },
        { "PgDn stops on the last entry", cursorAt(10, 3, 15, 0, 8), "r", 0, 14 },
        { "PgDn in the last column of a short list", cursorAt(10, 3, 25, 0, 21), "r", 0, 24 },
        { "PgUp from column 2 moves back a column", cursorAt(10, 3, 45, 0, 14), "l", 0, 4 },
        { "PgUp in column 1 goes to the first cell", cursorAt(10, 3, 45, 5, 4), "l", 5, 0 },
        { "PgUp in the first cell scrolls back R", cursorAt(10, 3, 45, 15, 0), "l", 5, 0 },
        { "PgUp never scrolls below 0", cursorAt(10, 3, 45, 4, 0), "l", 0, 0 },
        { "Up on entry 1 does nothing", cursorAt(10, 3, 45), "u", 0, 0 },
        { "Up in the first cell scrolls one", cursorAt(10, 3, 45, 7, 0), "u", 6, 0 },
        { "Down on the last entry does nothing", cursorAt(10, 3, 45, 15, 29), "d", 15, 29 },
        { "Down in the last cell scrolls one", cursorAt(10, 3, 45, 0, 29), "d", 1, 29 },
        { "Down in a short list stops at the end", cursorAt(10, 3, 3), "dddd", 0, 2 },
        { "Home then End on a short list", cursorAt(10, 3, 12, 0, 5), "he", 0, 11 },
        { "End on a long list", cursorAt(10, 3, 45), "e", 15, 29 },
        { "End then Home", cursorAt(10, 3, 45), "eh", 0, 0 },
        { "a full page exactly", cursorAt(10, 3, 30), "e", 0, 29 },
        { "empty list: every move is a no-op", cursorAt(10, 3, 0), "udrlhe", 0, 0 },
        { "one row per column", cursorAt(1, 1, 5), "dddrl", 3, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(run(row.start, row.keys), std::make_pair(row.top, row.row));
    }
}

TEST(PanelCursor, MovesSayWhatToRedraw)
{
    PanelCursor cursor = cursorAt(10, 3, 45, 0, 29);
    EXPECT_EQ(cursor.pageRight(), CursorMove::Page);
    EXPECT_EQ(cursor.up(), CursorMove::Cursor);
    cursor = cursorAt(10, 3, 45);
    EXPECT_EQ(cursor.up(), CursorMove::None);
    EXPECT_EQ(cursor.home(), CursorMove::None);
    EXPECT_EQ(cursor.down(), CursorMove::Cursor);
    EXPECT_EQ(cursor.end(), CursorMove::Page);
}

TEST(PanelCursor, SetIndexAndInvariant)
{
    // On the first page the cursor row is the index; beyond it the entry
    // becomes the last cell.
    PanelCursor cursor = cursorAt(10, 3, 45, 7, 3);
    cursor.setIndex(12);
    EXPECT_EQ(std::make_pair(cursor.TopIndex, cursor.CursorRow), std::make_pair(0, 11));
    cursor.setIndex(40);
    EXPECT_EQ(std::make_pair(cursor.TopIndex, cursor.CursorRow), std::make_pair(10, 29));
    cursor.setIndex(999); // clamped to Count
    EXPECT_EQ(cursor.current(), 45);

    struct Row {
        const char* name;
        PanelCursor start;
        int top, row;
    } rows[] = {
        { "a shrinking re-read pulls the cursor to the last entry", cursorAt(10, 3, 5, 30, 20), 0, 4 },
        { "TopIndex past Count - cells", cursorAt(10, 3, 45, 40, 2), 15, 27 },
        { "a row past the page after a resize", cursorAt(5, 1, 45, 0, 29), 25, 4 },
        { "negative values", cursorAt(10, 3, 45, -3, -2), 0, 0 },
        { "empty list", cursorAt(10, 3, 0, 4, 4), 0, 0 },
        { "unchanged when valid", cursorAt(10, 3, 45, 5, 7), 5, 7 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PanelCursor c = row.start;
        c.normalize();
        EXPECT_EQ(std::make_pair(c.TopIndex, c.CursorRow), std::make_pair(row.top, row.row));
    }
}

TEST(PanelText, FormatSizeAndNumbers)
{
    struct Row {
        int64_t bytes;
        const char* text;
    } sizes[] = {
        { 0, "Empty" },
        { 999, "0 Kb" },
        { 1000, "1 Kb" },
        { 1500, "1 Kb" },
        { 999999, "999 Kb" },
        { 1000000, "1 Mb" },
        { 2500000, "2 Mb" },
        { 1234567890, "1,234 Mb" },
        { 5000000000LL, "5,000 Mb" },
    };
    for (const Row& row : sizes)
        EXPECT_EQ(FormatSize(row.bytes), row.text) << row.bytes;
    EXPECT_EQ(formatThousands(0), "");
    EXPECT_EQ(formatThousands(7), "7");
    EXPECT_EQ(formatThousands(999), "999");
    EXPECT_EQ(formatThousands(1000), "1,000");
    EXPECT_EQ(formatThousands(1234567), "1,234,567");
    EXPECT_EQ(formatThousands(-1234), "-1,234");
    EXPECT_EQ(formatThousands(INT64_MIN), "-9,223,372,036,854,775,808");
    EXPECT_EQ(formatCount(0), "0");
    EXPECT_EQ(formatCount(-5), "0");
    EXPECT_EQ(formatCount(1234), "1,234");

    TSystemTime time;
    time.wYear = 1999;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    EXPECT_EQ(formatDate(time, false), "07.03.1999");
    EXPECT_EQ(formatDate(time, true), "03.07.1999");
    EXPECT_EQ(formatTime(time), "09:05");
}

TEST(PanelText, SizeColumnAndFooter)
{
    const auto entry = [](int64_t size, uint16_t attr, bool measured = false, bool parent = false) {
        Entry e;
        e.Size = size;
        e.Attr = attr;
        e.Measured = measured;
        e.IsParent = parent;
        return e;
    };
    // A column that holds up to `room` characters.
    const auto upTo
        = [](std::size_t room) { return [room](const std::string& text) { return text.size() <= room; }; };
    const int64_t threeGiB = int64_t(3) << 30;
    struct Row {
        const char* name;
        Entry entry;
        std::size_t room;
        const char* column;
        const char* footer;
    } rows[] = {
        { "parent", entry(0, faDirectory, false, true), 10, "<UP>", "Folder" },
        { "folder not measured", entry(0, faDirectory), 10, "<Folder>", "Folder" },
        { "measured empty folder", entry(0, faDirectory, true), 10, "Empty", "Empty" },
        { "measured folder", entry(2500000, faDirectory, true), 10, "2 Mb", "2,500,000" },
        { "empty file", entry(0, 0), 10, "0", "0" },
        { "file that fits", entry(1234567, 0), 10, "1234567", "1,234,567" },
        { "3 GiB in a wide column", entry(threeGiB, 0), 10, "3221225472", "3,221,225,472" },
        { "3 GiB, nine characters", entry(threeGiB, 0), 9, "3,221 Mb", "3,221,225,472" },
        { "3 GiB, four characters", entry(threeGiB, 0), 4, "3 Gb", "3,221,225,472" },
        { "small file in a tiny column", entry(999, 0), 2, "0 Tb", "999" },
        { "fits in kilobytes", entry(9999999, 0), 6, "9 Mb", "9,999,999" },
        { "megabytes when kilobytes do not fit either", entry(12345678, 0), 7, "12 Mb", "12,345,678" },
        { "twelve digits in eleven characters", entry(123456789012, 0), 11, "123,456 Mb", "123,456,789,012" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sizeColumnText(row.entry, "Folder", upTo(row.room)), row.column);
        EXPECT_EQ(footerSizeText(row.entry, "Folder"), row.footer);
    }
    // The first unit that fits, so nothing is rounded more than needed.
    EXPECT_EQ(sizeColumnText(entry(123456789, 0), "Folder", upTo(8)), "123 Mb");
}

TEST(PanelText, NameColors)
{
    ExtensionColors table;
    EXPECT_EQ(ExtensionColors::extensions().front(), ".bat");
    EXPECT_EQ(ExtensionColors::extensions().back(), ".pcx");
    table.colors[static_cast<std::size_t>(ExtensionColors::indexOf(".exe"))] = 0x0000FF;
    table.colors[static_cast<std::size_t>(ExtensionColors::indexOf(".c"))] = 0x00FF00;
    table.colors[static_cast<std::size_t>(ExtensionColors::indexOf(".jpeg"))] = 0x123456;
    struct Row {
        const char* name;
        int32_t color;
    } rows[] = {
        { "run.exe", 0x0000FF },
        { "RUN.EXE", 0x0000FF },
        { "a.tar.c", 0x00FF00 },
        { "photo.JPEG", 0x123456 },
        { "photo.jpg", 0xFFFFFF },
        { "noext", 0x777777 },
        { "x.cc", 0x777777 },
        { ".exe", 0x0000FF },
        { "name.", 0x777777 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(table.colorOf(row.name, 0x777777), row.color) << row.name;
}

TEST(QuickSearch, Patterns)
{
    struct Row {
        const char* pattern;
        const char* name;
        bool match;
    } rows[] = {
        { "re*", "READ.ME", true },
        { "re*", "rem.txt", true },
        { "re*", "are.txt", false },
        { "r?m*", "rem.txt", true },
        { "*.txt*", "rem.txt", true },
        { "[abc]*", "Bob", true },
        { "[abc]*", "dan", false },
        { "[a-c]x*", "bx", true },
        { "[!a-c]*", "bx", false },
        { "[!a-c]*", "dx", true },
        { "[*", "[x", true }, // unbalanced: "[" is literal
        { "[*", "ax", false },
        { "a[b*", "a[bcd", true },
        { "[]]*", "]x", true }, // "]" first is a member
        { "**a*", "xxa", true },
        { "*", "", true },
        { "a*", "", false },
        { "*.*", "noext", false },
    };
    for (const Row& row : rows)
        EXPECT_EQ(quickSearchMatch(row.pattern, row.name), row.match) << row.pattern << " ~ " << row.name;
}

TEST(QuickSearch, FirstMatchInListOrder)
{
    test::TempFolder root;
    root.write("READ.ME");
    root.write("rem.txt");
    root.write("alpha.txt");
    DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, "");
    EXPECT_EQ(list.NameAt(quickSearchIndex(list, "re")), "READ.ME");
    EXPECT_EQ(list.NameAt(quickSearchIndex(list, "rem")), "rem.txt");
    EXPECT_EQ(quickSearchIndex(list, "zz"), 0);
    EXPECT_EQ(list.NameAt(quickSearchIndex(list, "[ar]l")), "alpha.txt");
    DriveTable::instance().reset();
}

TEST(DriveFacts, LabelsSerialsAndMemory)
{
    EXPECT_EQ(VolumeLabel('C', "data disk"), "[DATA DISK]");
    EXPECT_EQ(VolumeLabel('c', "DATA"), "[Data]");
    EXPECT_EQ(VolumeLabel('c', ""), "[No-name]");
    EXPECT_EQ(VolumeLabel('D', ""), "[No-name]");
    EXPECT_EQ(serialFromUuid("1a2b-3c4d"), "1A2B:3C4D");
    EXPECT_EQ(serialFromUuid("0123abcd-89ab-4def-8000-000000000000"), "0123:ABCD");
    EXPECT_EQ(serialFromUuid("12-34"), "");
    EXPECT_EQ(serialFromUuid("zz12345678"), "");
    EXPECT_EQ(serialFromUuid(""), "");

    const MemoryStatus memory
        = parseMemInfo("MemTotal:       16000 kB\nMemFree: 100 kB\nMemAvailable:    4000 kB\n"
                       "SwapTotal: 2000 kB\nSwapFree: 1500 kB\nbroken line\n");
    EXPECT_TRUE(memory.known);
    EXPECT_EQ(memory.totalPhysical, 16000 * 1024);
    EXPECT_EQ(memory.availablePhysical, 4000 * 1024);
    EXPECT_EQ(memory.totalPageFile, 2000 * 1024);
    EXPECT_EQ(memory.availablePageFile, 1500 * 1024);
    EXPECT_FALSE(parseMemInfo("").known);
    EXPECT_TRUE(memoryStatus().known);

    test::TempFolder root;
    DriveTable::instance().setDrives(
        { { 'c', root.path(), DriveType::Fixed }, { 'r', root.path() + "/missing", DriveType::Remote } });
    EXPECT_TRUE(driveReady('c'));
    EXPECT_FALSE(driveReady('r'));
    EXPECT_FALSE(driveReady('q'));
    const DiskSpace space = driveSpace('c');
    EXPECT_TRUE(space.known);
    EXPECT_GT(space.totalBytes, 0);
    EXPECT_FALSE(driveSpace('r').known);
    DriveTable::instance().reset();
}
