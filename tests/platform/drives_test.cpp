#include "platform/drives.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <map>

using namespace ov;

namespace {

class DriveTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        table.setDrives({ { 'c', "/", DriveType::Fixed }, { 'd', "/srv/data/", DriveType::Fixed },
            { 'E', "/srv/data/deep", DriveType::Removable } });
    }
    void TearDown() override { table.reset(); }
    DriveTable& table = DriveTable::instance();
};

} // namespace

TEST_F(DriveTableTest, ConvertsWindowsPathsToHostPaths)
{
    struct Row {
        const char* windows;
        const char* host; // nullptr: refused
    } rows[] = {
        { "c:\\", "/" },
        { "C:\\Work\\file.txt", "/Work/file.txt" }, // the letter's case does not matter, the names' does
        { "d:\\a\\\\b\\", "/srv/data/a/b" }, // doubled "\" collapse
        { "d:a/b", "/srv/data/a/b" }, { "d:\\a\\..\\b", "/srv/data/b" },
        { "d:\\..\\etc", nullptr }, // leaving the drive
        { "z:\\x", nullptr }, // unmapped letter
        { "\\x", nullptr },
        { "c:\\a\xEF\x81\x9C"
          "b",
            "/a\\b" }, // a "\" inside a host name comes back as itself
    };
    for (const Row& row : rows) {
        const auto host = table.toHost(row.windows);
        if (row.host) {
            ASSERT_TRUE(host.has_value()) << row.windows;
            EXPECT_EQ(*host, row.host) << row.windows;
        } else {
            EXPECT_FALSE(host.has_value()) << row.windows;
        }
    }
}

TEST_F(DriveTableTest, ConvertsHostPathsToTheDeepestDrive)
{
    EXPECT_EQ(table.fromHost("/srv/data/deep/x").value(), "e:\\x");
    EXPECT_EQ(table.fromHost("/srv/data/x").value(), "d:\\x");
    EXPECT_EQ(
        table.fromHost("/srv/database").value(), "c:\\srv\\database"); // a prefix of a name is no parent
    EXPECT_EQ(table.fromHost("/srv/data").value(), "d:\\");
    EXPECT_EQ(table.fromHost("/odd\\name").value(), "c:\\odd\xEF\x81\x9Cname");
    EXPECT_FALSE(table.fromHost("relative").has_value());
    EXPECT_EQ(table.toHost(*table.fromHost("/odd\\name/x")).value(), "/odd\\name/x");
}

TEST_F(DriveTableTest, EnvironmentAndIniOverride)
{
    ::setenv("ORVANTA_DRIVES", "c=/tmp/x;D=/tmp/y/;bad;q", 1);
    table.reset();
    ::unsetenv("ORVANTA_DRIVES");
    ASSERT_EQ(table.drives().size(), 2u);
    EXPECT_EQ(table.find('d')->hostRoot, "/tmp/y");
    // The environment is the stronger word: [Drives] does not apply over it.
    table.applyIni(IniFile::fromText("[Drives]\nC=/\n"));
    EXPECT_EQ(table.find('c')->hostRoot, "/tmp/x");

    table.reset();
    EXPECT_EQ(table.find('c')->hostRoot, "/");
    table.applyIni(IniFile::fromText("[Drives]\nQ=/opt\nC=/usr\n"));
    EXPECT_EQ(table.find('q')->hostRoot, "/opt");
    EXPECT_EQ(table.find('c')->hostRoot, "/usr");
    EXPECT_FALSE(table.isReady('w'));
}

TEST(PathText, NormalisesWindowsPaths)
{
    EXPECT_EQ(normalizeWindowsPath("C:/a//b\\\\c"), "c:\\a\\b\\c");
    EXPECT_EQ(upperAscii("abc\xC3\xA9z"), "ABC\xC3\xA9Z"); // only a..z fold
}

// Host names and inner names map one to one: host -> inner -> host is the
// identity, and distinct host names never share an inner name, over random
// names built from the bytes that matter ("\", the private characters and
// pieces of them) and a few others.
TEST(HostNames, ConversionIsOneToOne)
{
    const std::string pieces[]
        = { "\\", "\xEF\x81\x9C", "\xEF\x81\x9D", "\xEF", "\x81", "\x9C", "\x9D", "a", "/", "\xEF\x81" };
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::map<std::string, std::string> hostOf;
    for (int i = 0; i < 20000; ++i) {
        std::string host;
        const std::size_t length = next() % 7;
        for (std::size_t j = 0; j < length; ++j)
            host += pieces[next() % std::size(pieces)];
        const std::string inner = hostNameToInner(host);
        ASSERT_EQ(innerNameToHost(inner), host);
        ASSERT_EQ(inner.find('\\'), std::string::npos) << host;
        const auto [known, added] = hostOf.emplace(inner, host);
        ASSERT_TRUE(added || known->second == host) << "two host names share " << inner;
    }
    // The cases that collided before, by name.
    EXPECT_NE(hostNameToInner("x\\y"), hostNameToInner("x\xEF\x81\x9Cy"));
    EXPECT_EQ(hostNameToInner("x\\y"), "x\xEF\x81\x9Cy");
    EXPECT_EQ(hostNameToInner("plain name"), "plain name");
}
