// The pure functions of the archive framework, as tables: CRCs, dates with
// an injected bias, Ratio, volume suffixes, SetTargetName, wildcards, names
// and the message table.
#include "archive/archive_common.h"
#include "archive/crc.h"
#include "archive/dates.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ov;

TEST(ArchiveCrc, KnownVectorsAndSplitUpdates)
{
    const std::string check = "123456789";
    EXPECT_EQ(crc32(check.data(), check.size()), 0xCBF43926u);
    EXPECT_EQ(crc16(check.data(), check.size()), 0xBB3D);
    EXPECT_EQ(crc32("", 0), 0u);
    // Every split point and length through the eight-byte fast loop agrees
    // with the bytewise definition.
    std::vector<uint8_t> bytes(301);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 131 + 7);
    auto bitwise = [&bytes](uint32_t crc, uint32_t polynomial, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) {
            crc ^= bytes[i];
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? (crc >> 1) ^ polynomial : crc >> 1;
        }
        return crc;
    };
    for (std::size_t length = 0; length < bytes.size(); length += 13) {
        const uint32_t slow32 = bitwise(0xFFFFFFFF, 0xEDB88320u, length);
        const uint32_t slow16 = bitwise(0, 0xA001u, length);
        for (std::size_t split = 0; split <= length; split += 5) {
            uint32_t crc = crc32Update(0xFFFFFFFF, bytes.data(), split);
            crc = crc32Update(crc, bytes.data() + split, length - split);
            ASSERT_EQ(crc, slow32) << length << " split " << split;
            uint16_t half = crc16Update(0, bytes.data(), split);
            half = crc16Update(half, bytes.data() + split, length - split);
            ASSERT_EQ(half, slow16) << length << " split " << split;
        }
    }
}

TEST(ArchiveDates, DosAndUnixConversions)
{
    struct Row {
        const char* what;
        TDateTime value;
        const char* text;
    };
    const Row rows[] = {
        { "dos", dosDateTimeToDateTime(0x586F64BC), "2024-03-15 12:37:56" },
        { "dos zero", dosDateTimeToDateTime(0), "1980-01-01 00:00:00" },
        { "dos month 13", dosDateTimeToDateTime((44u << 25) | (13u << 21) | (1u << 16)),
            "1980-01-01 00:00:00" },
        { "dos 30 February", dosDateTimeToDateTime((44u << 25) | (2u << 21) | (30u << 16)),
            "1980-01-01 00:00:00" },
        { "dos 29 February leap", dosDateTimeToDateTime((44u << 25) | (2u << 21) | (29u << 16)),
            "2024-02-29 00:00:00" },
        { "dos hour 24", dosDateTimeToDateTime((44u << 25) | (1u << 21) | (1u << 16) | (24u << 11)),
            "1980-01-01 00:00:00" },
        { "unix UTC", unixTimeToDateTime(1710506096, 0), "2024-03-15 12:34:56" },
        { "unix zero", unixTimeToDateTime(0, 0), "1980-01-01 00:01:00" },
        { "unix bias minutes (UTC+1)", unixTimeToDateTime(1710506096, -60), "2024-03-15 13:34:56" },
        { "unix bias hours (UTC-5)", unixTimeToDateTime(1710506096, 5), "2024-03-15 07:34:56" },
        { "unix bias over midnight", unixTimeToDateTime(946684800, 120), "1999-12-31 22:00:00" },
        { "unix 2038+", unixTimeToDateTime(4102444800, 0), "2100-01-01 00:00:00" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatDateTime(row.value), row.text) << row.what;
    EXPECT_DOUBLE_EQ(encodeDateTime({ 1899, 12, 30, 0, 0, 0 }), 0.0);
    EXPECT_DOUBLE_EQ(encodeDateTime({ 1900, 1, 1, 12, 0, 0 }), 2.5);
}

TEST(ArchiveRatio, Table)
{
    struct Row {
        int64_t packed, unpacked;
        int32_t ratio;
    };
    const Row rows[] = {
        { 0, 100, 0 },
        { 100, 0, 0 },
        { 100, 100, 0 },
        { 150, 100, 0 },
        { 50, 100, 50 },
        { 999, 1000, 1 },
        { 1, 3, 66 },
        { 100000, 300000, 66 },
        { 9999999, 10000000, 1 },
        { 1, 5000000000, 100 },
    };
    for (const auto& row : rows)
        EXPECT_EQ(TArchiveCommon::computeRatio(row.packed, row.unpacked), row.ratio)
            << row.packed << "/" << row.unpacked;
}

TEST(ArchiveVolumes, NamingFromTheExtension)
{
    struct Row {
        const char* first;
        bool arj;
        std::vector<const char*> next;
    };
    const Row rows[] = {
        { "/a/back.arj", true, { "/a/back.a01", "/a/back.a02" } },
        { "/a/back.a09", true, { "/a/back.a10", "/a/back.a11" } },
        { "/a/back.a99", true, { "/a/back.100", "/a/back.101" } },
        { "/a/back.r99", false, { "/a/back.100" } },
        { "/a/back.001", false, { "/a/back.002" } },
        { "/a/back.rar", false, { "/a/back.r00", "/a/back.r01" } },
        { "/a/back.2024.arj", true, { "/a/back.2024.a01" } },
        { "back.ARJ", true, { "back.A01" } },
    };
    for (const auto& row : rows) {
        TArchiveCommon common;
        common.prepareVolumeNaming(row.first, row.arj);
        std::string current = row.first;
        for (const char* expected : row.next) {
            current = common.nextVolumeName(current);
            EXPECT_EQ(current, expected) << row.first;
        }
    }
    EXPECT_EQ(TArchiveCommon::volumeSuffix(0, 5), "005");
    EXPECT_EQ(TArchiveCommon::volumeSuffix(0, 42), "042");
    EXPECT_EQ(TArchiveCommon::volumeSuffix('r', 5), "r05");
    EXPECT_EQ(TArchiveCommon::volumeSuffix('r', -1), "");
}

TEST(ArchiveVolumes, MoreThan999IsFatal)
{
    TArchiveCommon common;
    std::vector<int32_t> codes;
    common.OnError = [&](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                         int32_t code) { codes.push_back(code); };
    common.prepareVolumeNaming("x.998", false);
    EXPECT_EQ(common.nextVolumeName("x.998"), "x.999");
    EXPECT_THROW(common.nextVolumeName("x.999"), std::exception);
    EXPECT_EQ(codes, std::vector<int32_t> { msgMaximumVolumes });
}

namespace {

class TargetNames : public TArchiveCommon {
public:
    void set(const std::string& dir, bool stored)
    {
        m_extractDir = dir;
        m_useStoredDirs = stored;
    }
};

} // namespace

TEST(ArchiveTargetName, Table)
{
    struct Row {
        const char* extractDir;
        bool storedDirs;
        const char* stored;
        const char* target;
    };
    const Row rows[] = {
        { "/out/", true, "docs\\a.txt", "/out/docs/a.txt" },
        { "/out", true, "docs/sub/a.txt", "/out/docs/sub/a.txt" },
        { "/out/", false, "docs\\a.txt", "/out/a.txt" },
        { "/out/", true, "\\root.txt", "/out/root.txt" },
        { "/out/", true, "c:\\dos\\x.com", "/out/dos/x.com" },
        { "/out/", true, "c:x.com", "/out/x.com" },
        // Only one ASCII letter and ":" at the start is a drive; every other
        // ":" belongs to the name.
        { "/out/", true, "logs\\10:00.log", "/out/logs/10:00.log" },
        { "/out/", true, "dogs/10:00.log", "/out/dogs/10:00.log" },
        { "/out/", true, "c:/x", "/out/x" },
        { "/out/", true, "C:\\x", "/out/x" },
        { "/out/", true, "a:", "" },
        { "/out/", true, "1:x", "/out/1:x" },
        { "/out/", true, "ab:x", "/out/ab:x" },
        { "/out/", true, ":x", "/out/:x" },
        { "/out/", false, "logs/10:00.log", "/out/10:00.log" },
        { "/out/", false, "c:x.com", "/out/x.com" },
        { "/out/", true, "..\\..\\etc\\passwd", "/out/etc/passwd" },
        { "/out/", true, "a/./b/../c.txt", "/out/a/b/c.txt" },
        { "/out/", true, "", "" },
        { "", true, "a.txt", "/arc/a.txt" },
    };
    for (const auto& row : rows) {
        TargetNames names;
        names.SetArchiveFile("");
        names.set(row.extractDir, row.storedDirs);
        if (std::string(row.extractDir).empty()) {
            // The archive's own folder stands in for an empty ExtractDir.
            names.SetFileStore(hostFileStore());
            names.SetArchiveFile("/arc/missing.zip");
        }
        EXPECT_EQ(names.SetTargetName(row.stored), row.target) << row.stored;
    }
}

TEST(ArchiveWildcard, Table)
{
    struct Row {
        const char* pattern;
        const char* name;
        MatchScope scope;
        bool match;
    };
    const Row rows[] = {
        { "*.*", "README", MatchScope::NamesOnly, true },
        { "*.*", "a.b.c", MatchScope::NamesOnly, true },
        { "*.txt", "A.TXT", MatchScope::NamesOnly, true },
        { "*.txt", "a.doc", MatchScope::NamesOnly, false },
        { "a?c.txt", "abc.txt", MatchScope::NamesOnly, true },
        { "a?c.txt", "ac.txt", MatchScope::NamesOnly, false },
        { "*.txt", "docs\\a.txt", MatchScope::NamesOnly, true },
        { "docs\\*.txt", "docs\\a.txt", MatchScope::FullPath, true },
        { "*", "docs\\a.txt", MatchScope::FullPath, true },
        { "abc.txt", "a*.txt", MatchScope::NamesOnly, true }, // symmetric
        { "name.", "name", MatchScope::NamesOnly, true },
        { "", "*x", MatchScope::FullPath, true },
        { "", "x", MatchScope::FullPath, false },
        { "*.*", "docs\\", MatchScope::NamesOnly, false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(wildcardMatch(row.pattern, row.name, row.scope), row.match)
            << row.pattern << " ~ " << row.name;
}

TEST(ArchiveWildcard, ManyStarsStayPolynomial)
{
    const std::string stars(4000, '*');
    const std::string name(4000, 'a');
    EXPECT_TRUE(wildcardMatch(stars + "b", name + "b", MatchScope::FullPath));
    EXPECT_FALSE(wildcardMatch(stars + "b", name, MatchScope::FullPath));
    const std::string mixed = std::string(2000, '*') + "?" + std::string(2000, '*') + "c";
    EXPECT_FALSE(wildcardMatch(mixed, name, MatchScope::FullPath));
}

TEST(ArchiveNames, CodePagesUtf8AndControls)
{
    EXPECT_EQ(memberName("docs/a.txt", NameEncoding::Oem, OemCodePage::Cp437), "docs\\a.txt");
    EXPECT_EQ(memberName("\x80\x81", NameEncoding::Oem, OemCodePage::Cp437), "\xC3\x87\xC3\xBC"); // Çü
    EXPECT_EQ(memberName("\x80", NameEncoding::Oem, OemCodePage::Cp866), "\xD0\x90"); // А
    EXPECT_EQ(memberName("\x85", NameEncoding::Oem, OemCodePage::Cp852), "\xC5\xAF"); // ů
    EXPECT_EQ(memberName("\xC3\xA9t\xC3\xA9", NameEncoding::Utf8, OemCodePage::Cp437), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(memberName("\xC3\xA9", NameEncoding::Utf8IfValid, OemCodePage::Cp437), "\xC3\xA9");
    EXPECT_EQ(memberName("\xE9", NameEncoding::Utf8IfValid, OemCodePage::Cp437), "\xCE\x98"); // Θ
    EXPECT_EQ(memberName("a\tb\x1b[2Jc\x7f", NameEncoding::Oem, OemCodePage::Cp437), "a?b?[2Jc?");
    EXPECT_FALSE(isValidUtf8("\xC0\xAF")); // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(isValidUtf8("\xE2\x82")); // cut short
    EXPECT_EQ(oemCodePageForLanguage("russian"), OemCodePage::Cp866);
    EXPECT_EQ(oemCodePageForLanguage("POLISH"), OemCodePage::Cp852);
    EXPECT_EQ(oemCodePageForLanguage("ITALIAN"), OemCodePage::Cp437);
}

TEST(ArchiveMessages, TextsAsWritten)
{
    EXPECT_EQ(archiveMessageText(25248), "Inconsistant local header");
    EXPECT_EQ(archiveMessageText(25270), "Required event not assigned");
    EXPECT_EQ(archiveMessageText(26522), "Password failed");
    EXPECT_EQ(archiveMessageText(25262), "Multi-Part GZIP files not supported");
    EXPECT_EQ(archiveMessageText(12345), "");
    EXPECT_TRUE(isArchiveErrorCode(25108));
    EXPECT_FALSE(isArchiveErrorCode(26517));
}
