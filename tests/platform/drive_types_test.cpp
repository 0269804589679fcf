// The drive map's optional type after the folder, in ORVANTA_DRIVES and in
// [Drives].
#include "platform/drives.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ov;

TEST(DriveTypes, NamedAfterTheFolder)
{
    DriveTable& table = DriveTable::instance();
    ::setenv("ORVANTA_DRIVES",
        "a=/tmp/a|removable;c=/tmp/c;d=/media/cd|CDROM;n=/net/share/|remote;r=/tmp/r|ramdisk;f=/tmp/"
        "f|fixed;p=/tmp/odd|name;q=/tmp/q|",
        1);
    table.reset();
    ::unsetenv("ORVANTA_DRIVES");
    const struct {
        char letter;
        const char* root;
        DriveType type;
    } rows[] = {
        { 'a', "/tmp/a", DriveType::Removable },
        { 'c', "/tmp/c", DriveType::Fixed },
        { 'd', "/media/cd", DriveType::CdRom },
        { 'f', "/tmp/f", DriveType::Fixed },
        { 'n', "/net/share", DriveType::Remote },
        { 'p', "/tmp/odd|name", DriveType::Fixed }, // no type named: part of the folder
        { 'q', "/tmp/q|", DriveType::Fixed },
        { 'r', "/tmp/r", DriveType::RamDisk },
    };
    ASSERT_EQ(table.drives().size(), std::size(rows));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.letter);
        ASSERT_NE(table.find(row.letter), nullptr);
        EXPECT_EQ(table.find(row.letter)->hostRoot, row.root);
        EXPECT_EQ(table.typeOf(row.letter), row.type);
    }

    // [Drives] takes the same form; a named type wins over the default.
    table.reset();
    table.applyIni(IniFile::fromText("[Drives]\nE=/mnt/usb|Removable\nx=/srv/x|remote\nc=/\n"));
    EXPECT_EQ(table.typeOf('e'), DriveType::Removable);
    EXPECT_EQ(table.find('e')->hostRoot, "/mnt/usb");
    EXPECT_EQ(table.typeOf('x'), DriveType::Remote);
    EXPECT_EQ(table.typeOf('c'), DriveType::Fixed);
    table.reset();
}
