#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using namespace ov;

namespace {

const HostEntry* byName(const std::vector<HostEntry>& entries, const std::string& name)
{
    for (const HostEntry& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace

TEST(ListFolder, GivesSortedNamesAttributesAndSizesWithoutFollowingLinks)
{
    test::TempFolder folder;
    folder.write("b.txt", "12345");
    folder.write("A.txt", "1");
    folder.write(".hidden", "");
    folder.folder("sub");
    folder.write("readonly.txt", "x");
    ::chmod((folder / "readonly.txt").c_str(), 0444);
    ::chmod((folder / "sub").c_str(), 0555); // a folder is never read-only by its bits
    ASSERT_EQ(::symlink("/etc", (folder / "link").c_str()), 0);
    ASSERT_EQ(::symlink("b.txt", (folder / "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("missing", (folder / "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);

    std::vector<HostEntry> entries;
    ASSERT_TRUE(listFolder(folder.path(), entries));
    std::vector<std::string> names;
    for (const HostEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names,
        (std::vector<std::string> {
            ".hidden", "A.txt", "b.txt", "dangling", "filelink", "link", "pipe", "readonly.txt", "sub" }));

    struct Row {
        const char* name;
        uint16_t attr;
        int64_t size;
    } rows[] = {
        { ".hidden", faHidden, 0 },
        { "b.txt", 0, 5 },
        { "readonly.txt", faReadOnly, 1 },
        { "sub", faDirectory, 0 },
        { "link", faDirectory | faSymLink, 0 }, // a link to a folder is a folder
        { "filelink", faSymLink, 0 }, // a link to a file, and
        { "dangling", faSymLink, 0 }, // a dangling link stay files
        { "pipe", 0, 0 },
    };
    for (const Row& row : rows) {
        const HostEntry* entry = byName(entries, row.name);
        ASSERT_NE(entry, nullptr) << row.name;
        EXPECT_EQ(entry->attr, row.attr) << row.name;
        EXPECT_EQ(entry->size, row.size) << row.name;
    }
    EXPECT_EQ(byName(entries, "link")->kind, HostKind::SymLink);
    EXPECT_EQ(byName(entries, "pipe")->kind, HostKind::Other);

    // The basic listing gives the same names, kinds, sizes and identities.
    std::vector<HostEntry> basic;
    ASSERT_TRUE(listFolder(folder.path(), basic, ListFacts::Basic));
    ASSERT_EQ(basic.size(), entries.size());
    for (std::size_t i = 0; i < basic.size(); ++i) {
        EXPECT_EQ(basic[i].name, entries[i].name);
        EXPECT_EQ(basic[i].kind, entries[i].kind) << basic[i].name;
        EXPECT_EQ(basic[i].size, entries[i].size) << basic[i].name;
        EXPECT_EQ(basic[i].device, entries[i].device) << basic[i].name;
        EXPECT_EQ(basic[i].inode, entries[i].inode) << basic[i].name;
    }
    // Walks read the basic listing: a link there is never a folder.
    EXPECT_EQ(byName(basic, "link")->attr & faDirectory, 0);

    // The names-only listing: the same names and kinds, the hidden bit, and
    // a folder's identity (a walk checks it when it enters).
    std::vector<HostEntry> onlyNames;
    ASSERT_TRUE(listFolder(folder.path(), onlyNames, ListFacts::Names));
    ASSERT_EQ(onlyNames.size(), entries.size());
    for (std::size_t i = 0; i < onlyNames.size(); ++i) {
        EXPECT_EQ(onlyNames[i].name, entries[i].name);
        EXPECT_EQ(onlyNames[i].kind, entries[i].kind) << onlyNames[i].name;
        EXPECT_EQ(onlyNames[i].attr & (faHidden | faDirectory), basic[i].attr & (faHidden | faDirectory))
            << onlyNames[i].name;
    }
    EXPECT_EQ(byName(onlyNames, "sub")->inode, byName(entries, "sub")->inode);
    EXPECT_EQ(byName(onlyNames, "sub")->device, byName(entries, "sub")->device);
    ::chmod((folder / "sub").c_str(), 0755);

    EXPECT_FALSE(listFolder(folder / "missing", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(listFolder(folder / "b.txt", entries));
}

TEST(StoredDosAttributes, ReadBothFormsAndWriteHexText)
{
    struct Row {
        std::string value;
        uint16_t attr;
    } rows[] = {
        { "0x20", faArchive },
        { std::string("0x26\0", 5), faArchive | faSysFile | faHidden },
        { "0X1", faReadOnly },
        { "0x10", 0 }, // the folder bit is never taken from the store
        { std::string("\x03\x00\x03\x00\x24\x00\x00\x00", 8), faArchive | faSysFile }, // version 3 record
        { std::string("\x04\x00\x04\x00\x0f\x00\x00\x00\x22\x00\x00\x00", 12),
            faArchive | faHidden }, // version 4 record
        { std::string("\x04\x00\x04\x00", 4), 0 }, // truncated
        { "junk", 0 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseDosAttributeValue(
                      reinterpret_cast<const unsigned char*>(row.value.data()), row.value.size()),
            row.attr)
            << testing::PrintToString(row.value);

    test::TempFolder folder;
    const std::string file = folder.write("f.txt", "x");
    if (!writeStoredDosAttributes(file, faSysFile | faArchive | faHidden))
        GTEST_SKIP() << "the temporary folder's file system keeps no user attributes";
    char text[16] = {};
    ASSERT_GT(::getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text), 0);
    EXPECT_STREQ(text, "0x26");
    HostEntry entry;
    ASSERT_TRUE(statPath(file, entry));
    EXPECT_EQ(entry.attr, faSysFile | faArchive | faHidden);
}

TEST(LocalTime, ConvertsWithTheZone)
{
    // Tests run with TZ=UTC.
    const TSystemTime t = toLocalTime(timespec { 946684800 + 3661, 250000000 }); // 2000-01-01 01:01:01.25
    EXPECT_EQ(t, (TSystemTime { 2000, 1, 6, 1, 1, 1, 1, 250 }));
}

TEST(PseudoFileSystems, AreKnown)
{
    EXPECT_TRUE(isPseudoFileSystem("/proc"));
    EXPECT_TRUE(isPseudoFileSystem("/sys"));
    EXPECT_FALSE(isPseudoFileSystem("/"));
    if (std::filesystem::is_directory("/dev/shm")) {
        EXPECT_FALSE(isPseudoFileSystem("/dev/shm")); // a real tmpfs below /dev
    }
}

TEST(LocalTime, AgreesWithTheCLibraryInZonesWithOddChanges)
{
    // Zones whose offsets are half or three-quarter hours, or whose old local
    // mean time changed at odd seconds; every 7777th second over 190 years.
    const char* zones[]
        = { "Europe/Berlin", "America/St_Johns", "Asia/Kathmandu", "Australia/Lord_Howe", "Africa/Monrovia" };
    for (const char* zone : zones) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        int mismatches = 0;
        for (long long s = -2000000000LL; s < 4000000000LL; s += 7777) {
            const time_t at = static_cast<time_t>(s);
            struct tm expected { };
            ::localtime_r(&at, &expected);
            const TSystemTime t = toLocalTime(timespec { at, 0 });
            mismatches += t.wYear != expected.tm_year + 1900 || t.wMonth != expected.tm_mon + 1
                || t.wDay != expected.tm_mday || t.wHour != expected.tm_hour || t.wMinute != expected.tm_min
                || t.wSecond != expected.tm_sec || t.wDayOfWeek != expected.tm_wday;
        }
        EXPECT_EQ(mismatches, 0) << zone;
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
}

// While listings are shared, threads that list one folder at once all get
// the whole listing (one of them reads it, the others copy it).
TEST(ListFolder, SharedListingsGiveEveryThreadTheWholeListing)
{
    test::TempFolder folder;
    for (int i = 0; i < 300; ++i)
        folder.write("f" + std::to_string(i), std::string(static_cast<std::size_t>(i), 'x'));
    std::vector<HostEntry> expected;
    ASSERT_TRUE(listFolder(folder.path(), expected));
    const SharedListings shared;
    std::vector<std::vector<HostEntry>> got(4);
    std::vector<char> listed(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < got.size(); ++t)
        threads.emplace_back([&, t] { listed[t] = listFolder(folder.path(), got[t]); });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t t = 0; t < got.size(); ++t) {
        EXPECT_TRUE(listed[t]) << t;
        ASSERT_EQ(got[t].size(), expected.size()) << t;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(got[t][i].name, expected[i].name);
            EXPECT_EQ(got[t][i].size, expected[i].size);
        }
    }
    std::vector<HostEntry> missing;
    EXPECT_FALSE(listFolder(folder / "missing", missing));
}
