// TArcExtractor: every ARC method extracted byte-identical to what nomarch
// (arc itself for method 7) extracts; folders, hostile names, a member that
// expands past its stored size, unsupported methods, damaged data.
#include "archive/crc.h"
#include "archive/extract/arc_extractor.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

#include <algorithm>

namespace ov::test {
namespace {

using ::testing::ElementsAre;

// One ARC header: 1A, method, 13-byte name, sizes, date, time, CRC-16.
std::string arcHeader(
    uint8_t method, const std::string& name, uint32_t packed, uint32_t original, uint16_t crc)
{
    std::string h = "\x1A";
    h += char(method);
    std::string field = name.substr(0, 12);
    field.resize(13, '\0');
    h += field;
    put32(h, packed);
    put16(h, 0x5873); // date 2024-03-19
    put16(h, 0xA000); // time 20:00
    put16(h, crc);
    put32(h, original);
    return h;
}

std::string arcMember(
    const std::string& name, const std::string& data, uint8_t method = 2, uint32_t original = UINT32_MAX)
{
    const uint32_t size = original == UINT32_MAX ? uint32_t(data.size()) : original;
    return arcHeader(method, name, uint32_t(data.size()), size, crc16(data.data(), data.size())) + data;
}

const std::string ArcEnd("\x1A\0", 2);

class ArcExtractorTest : public ExtractTest { };

TEST_F(ArcExtractorTest, EveryMethodMatchesNomarch)
{
    const std::vector<fs::path> archives = { dataDir() / "arc_best.arc", decoderDataDir() / "arc_m1.arc",
        decoderDataDir() / "arc_m3.arc", decoderDataDir() / "arc_m5.arc", decoderDataDir() / "arc_m6.arc",
        decoderDataDir() / "arc_m7.arc", decoderDataDir() / "arc_sq.arc" };
    for (const fs::path& archive : archives) {
        SCOPED_TRACE(archive.string());
        TArcExtractor x;
        const Outcome run = runExtractor(x, archive, out());
        EXPECT_TRUE(run.errors.empty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        EXPECT_EQ(lowerCase(hashTree(out())),
            lowerCase(readManifest(dataDir() / (archive.filename().string() + ".sha256"))));
        fs::remove_all(out());
    }
}

TEST_F(ArcExtractorTest, FoldersNamesAndMethods)
{
    const std::string bomb = [] {
        std::string data;
        for (int i = 0; i < 200; ++i)
            data += std::string("A\x90\xFF", 3); // 255 bytes each
        return data;
    }();
    struct Row {
        const char* what;
        std::string archive;
        std::vector<int> errors;
        Hashes written; // path → contents
    };
    const Row rows[] = {
        { "folder records",
            arcHeader(30, "DOCS", 0, 0, 0) + arcMember("A.TXT", "in docs") + std::string("\x1A\x1F", 2)
                + arcMember("B.TXT", "at the top") + ArcEnd,
            {}, { { "B.TXT", "at the top" }, { "DOCS/A.TXT", "in docs" } } },
        { "dot-dot", arcMember("../EVIL.TXT", "x") + arcMember("..", "y") + ArcEnd,
            { msgInvalidFileName, msgInvalidFileName }, {} },
        { "absolute and drive", arcMember("/ABS.TXT", "a") + arcMember("C:DRV.TXT", "d") + ArcEnd, {},
            { { "ABS.TXT", "a" }, { "DRV.TXT", "d" } } },
        // 1 KB claimed, 51 KB of runs: the member stops at the claim.
        { "run-length bomb", arcMember("BOMB.TXT", bomb, 3, 1024) + arcMember("NEXT.TXT", "next") + ArcEnd,
            { msgBadBlock }, { { "NEXT.TXT", "next" } } },
        { "unsupported method",
            arcMember("FIRST.TXT", "first") + arcMember("TEN.BIN", "????", 10) + arcMember("NEXT.TXT", "next")
                + ArcEnd,
            { msgUnsupportedMethod }, { { "FIRST.TXT", "first" }, { "NEXT.TXT", "next" } } },
        { "truncated data", arcHeader(2, "CUT.TXT", 100, 100, 0) + "only a part", { msgErrorReading }, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        spit(in() / "t.arc", row.archive);
        TArcExtractor x;
        const Outcome run = runExtractor(x, in() / "t.arc", out());
        EXPECT_EQ(run.errors, row.errors);
        Hashes written;
        if (fs::exists(out()))
            for (const auto& entry : fs::recursive_directory_iterator(out()))
                if (entry.is_regular_file())
                    written[fs::relative(entry.path(), out()).string()] = slurp(entry.path());
        EXPECT_EQ(written, row.written);
        EXPECT_TRUE(strays().empty());
        fs::remove_all(out());
    }
}

TEST_F(ArcExtractorTest, CrcFailureKeepsTheFileAndDatesAreSet)
{
    std::string member = arcMember("C.TXT", "contents");
    member[23] = char(member[23] ^ 1); // the stored CRC-16
    spit(in() / "c.arc", member + ArcEnd);
    TArcExtractor x;
    std::vector<int32_t> recNums;
    const Outcome run = runExtractor(x, in() / "c.arc", out());
    ASSERT_EQ(run.ends.size(), 1u);
    EXPECT_FALSE(run.ends.begin()->second);
    EXPECT_EQ(slurp(out() / "C.TXT"), "contents");
    // Date before time in the header; written as local time (TZ=UTC).
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(fs::last_write_time(out() / "C.TXT")).time_since_epoch())
                             .count();
    EXPECT_EQ(seconds, 1710878400); // 2024-03-19 20:00:00
    // ARC's RecNum counts the members before this one.
    fs::remove_all(out());
    spit(in() / "two.arc", arcMember("A.TXT", "a") + arcMember("B.TXT", "b") + ArcEnd);
    TArcExtractor y;
    y.OnBegin
        = [&](TExtractorBase&, const std::string&, int32_t recNum, bool&) { recNums.push_back(recNum); };
    y.SetArchiveFile((in() / "two.arc").string());
    y.SetExtractDir(out().string());
    y.Extract();
    EXPECT_THAT(recNums, ElementsAre(0, 1));
}

} // namespace
} // namespace ov::test
