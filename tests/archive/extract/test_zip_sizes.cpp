// TZipExtractor on members at the block boundaries (0, 1, 32767, 32768,
// 32769 bytes and 1 MB) packed by Info-ZIP zip and by 7-Zip: our bytes
// against the manifests of what unzip extracted, through the library and
// through `ovtool arc x`; the OnProgress steps and the OnFileExists answers.
#include "archive/extract/extractor_for.h"
#include "archive/extract/zip_extractor.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

namespace ov {
namespace {

using namespace ov::test;

fs::path sizesDir()
{
    return fs::path(OV_DATA_DIR) / "archive" / "zip_sizes";
}

const char* const Fixtures[] = { "zip_deflate.zip", "zip_stored.zip", "7z_deflate.zip", "7z_stored.zip" };

class ZipSizesTest : public ExtractTest { };

TEST_F(ZipSizesTest, LibraryMatchesUnzipByteForByte)
{
    for (const char* fixture : Fixtures) {
        SCOPED_TRACE(fixture);
        const fs::path archive = sizesDir() / fixture;
        TExtractorBase probe;
        probe.SetArchiveFile(archive.string());
        // The same path as `ovtool arc x`: the kind, then its extractor.
        auto x = extractorFor(probe.ArcType());
        ASSERT_NE(x, nullptr);
        x->SetUseStoredDirs(true);
        const Outcome run = runExtractor(*x, archive, out());
        EXPECT_TRUE(run.errors.empty());
        const Hashes expected = readManifest(archive.string() + ".sha256");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(run.ends.size(), expected.size());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        EXPECT_EQ(hashTree(out()), expected);
        EXPECT_TRUE(strays().empty());
        fs::remove_all(out());
    }
}

// The ovtool of this build tree; skips (fails under CI) when it is not built.
#define NEED_OVTOOL(ovtool)                                                                                  \
    const fs::path ovtool = fs::path(OV_BINARY_DIR) / "cli" / "ovtool";                                      \
    if (!fs::exists(ovtool)) {                                                                               \
        if (std::getenv("CI"))                                                                               \
            FAIL() << ovtool << " not built";                                                                \
        GTEST_SKIP() << "ovtool not built";                                                                  \
    }

TEST_F(ZipSizesTest, OvtoolExtractMatchesUnzip)
{
    NEED_OVTOOL(ovtool);
    for (const char* fixture : Fixtures) {
        SCOPED_TRACE(fixture);
        const fs::path archive = sizesDir() / fixture;
        const std::string command = "'" + ovtool.string() + "' arc x '" + archive.string() + "' '"
            + out().string() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(hashTree(out()), readManifest(archive.string() + ".sha256"));
        fs::remove_all(out());
    }
}

// Standard output of a shell command line.
std::string capture(const std::string& command)
{
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    if (pipe)
        pclose(pipe);
    return text;
}

// `ovtool arc t` counts each failed member once, whether its data broke
// (an error, then its end) or only its check failed, and exits 1.
TEST_F(ZipSizesTest, OvtoolTestCountsEachFailureOnce)
{
    NEED_OVTOOL(ovtool);
    const fs::path base = out().parent_path();
    fs::create_directories(base);
    const std::string zip = (base / "t.zip").string();
    const std::string make = "python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip
        + "', 'w', zipfile.ZIP_DEFLATED, compresslevel=0); z.writestr('a.txt', 'stored block'); z.close()\"";
    ASSERT_EQ(std::system(make.c_str()), 0);
    // The deflate stored block's length complement, then a byte of its data.
    for (const std::size_t at : { std::size_t(30 + 5 + 3), std::size_t(30 + 5 + 5) }) {
        std::fstream file(zip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(std::streamoff(at));
        const char byte = char(file.get() ^ 0x01);
        file.seekp(std::streamoff(at));
        file.put(byte);
        file.close();
        const std::string run = "'" + ovtool.string() + "' arc t '" + zip + "'";
        EXPECT_THAT(capture(run), testing::HasSubstr("1 member(s), 1 error(s)\n")) << at;
        EXPECT_NE(std::system((run + " >/dev/null").c_str()), 0);
        file.open(zip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(std::streamoff(at));
        file.put(char(byte ^ 0x01));
    }
}

// A DOS name stored in CP866 ("тест.txt") is decoded from the OEM code page
// of the locale's language, or of --codepage, when listing and extracting.
TEST_F(ZipSizesTest, OvtoolNamesFollowTheCodePage)
{
    NEED_OVTOOL(ovtool);
    OV_NEED_PUBLIC_ARCHIVES();
    const fs::path archive = sharedDir() / "sharpcompress" / "Zip.implode.zip";
    const struct {
        const char* environment;
        const char* option;
        const char* name;
    } rows[] = {
        { "LC_ALL=C.UTF-8", "", "\u0393\u00D1\u00DF\u0393.txt" }, // CP437
        { "LC_ALL=C.UTF-8", "--codepage 866", "\u0442\u0435\u0441\u0442.txt" },
        { "LC_ALL= LC_MESSAGES= LANG=ru_RU.UTF-8", "", "\u0442\u0435\u0441\u0442.txt" },
        { "LC_ALL=pl_PL.UTF-8", "", "\u00D4\u0105\u00DF\u00D4.txt" }, // CP852
        { "LC_ALL=ru_RU.UTF-8", "--codepage 437", "\u0393\u00D1\u00DF\u0393.txt" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.environment) + " " + row.option);
        const std::string run
            = std::string("env ") + row.environment + " '" + ovtool.string() + "' arc " + row.option;
        EXPECT_THAT(capture(run + " l '" + archive.string() + "'"),
            testing::HasSubstr(std::string("\n") + row.name + "\t"));
        ASSERT_EQ(
            std::system((run + " x '" + archive.string() + "' '" + out().string() + "' >/dev/null").c_str()),
            0);
        EXPECT_TRUE(fs::exists(out() / row.name));
        fs::remove_all(out());
    }
    EXPECT_NE(
        std::system(("'" + ovtool.string() + "' arc --codepage 1251 l '" + archive.string() + "' 2>/dev/null")
                        .c_str()),
        0);
}

// A UTF-8 name stored by Info-ZIP on Unix (host 3, flag bit 11 clear) keeps
// its name, as the lister shows it; decoded from the OEM code page it would
// come out as "╤é╨╡╤ü╤é.txt".
TEST_F(ZipSizesTest, UnixUtf8NamesKeepTheirName)
{
    needTool("zip");
    const std::string name = "\u0442\u0435\u0441\u0442.txt";
    spit(in() / name, "x");
    ASSERT_EQ(std::system(("cd '" + in().string() + "' && zip -q u.zip '" + name + "'").c_str()), 0);
    TZipExtractor x;
    const Outcome run = runExtractor(x, in() / "u.zip", out());
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(slurp(out() / name), "x");
}

// A hand-built archive with one empty deflated member (the two-byte stream
// 03 00) and one empty stored member.
std::string emptyMembersZip()
{
    std::string body, central;
    const std::pair<const char*, std::string> members[]
        = { { "deflated", std::string("\x03\x00", 2) }, { "stored", std::string() } };
    for (const auto& member : members) {
        const char* name = member.first;
        const std::string& data = member.second;
        const uint32_t offset = uint32_t(body.size());
        const unsigned method = data.empty() ? 0 : 8;
        auto common = [&](std::string& s) {
            put16(s, 20), put16(s, 0), put16(s, method), put32(s, 0x58A56000); // 2024-05-05 12:00
            put32(s, 0), put32(s, uint32_t(data.size())), put32(s, 0), put16(s, unsigned(std::strlen(name)));
            put16(s, 0);
        };
        put32(body, 0x04034b50), common(body), body += name, body += data;
        put32(central, 0x02014b50), put16(central, 20), common(central);
        put16(central, 0), put16(central, 0), put16(central, 0), put32(central, 0), put32(central, offset);
        central += name;
    }
    std::string end;
    put32(end, 0x06054b50), put32(end, 0), put16(end, 2), put16(end, 2);
    put32(end, uint32_t(central.size())), put32(end, uint32_t(body.size())), put16(end, 0);
    return body + central + end;
}

// Every OnProgress report lies in 1..100 and rises within a member, at most
// one per progress step (a step of at least one byte); empty members do
// not divide by zero and end with their CRC passed.
TEST_F(ZipSizesTest, ProgressStepsStayInRange)
{
    spit(in() / "empty.zip", emptyMembersZip());
    const struct {
        TProgressNotify notify;
        int step;
    } steps[] = { { Five, 5 }, { Ten, 10 }, { TwentyFive, 25 } };
    for (const fs::path& archive :
        { sizesDir() / "zip_deflate.zip", sizesDir() / "7z_stored.zip", in() / "empty.zip" })
        for (const auto& [notify, step] : steps) {
            SCOPED_TRACE(archive.filename().string() + " step " + std::to_string(step));
            TZipExtractor x;
            x.ProgressNotify = notify;
            std::map<std::string, std::vector<int>> reports;
            x.OnProgress = [&reports](TExtractorBase&, const std::string& fn, uint8_t progress) {
                reports[fn].push_back(progress);
            };
            const Outcome run = runExtractor(x, archive, out());
            EXPECT_TRUE(run.errors.empty());
            for (const auto& [fn, pass] : run.ends) {
                EXPECT_TRUE(pass) << fn;
                const auto size = fs::file_size(fn);
                const std::vector<int>& seen = reports[fn];
                if (size == 0) {
                    // Nothing to read, or the two bytes of an empty deflate
                    // stream: all of it at once.
                    for (const int progress : seen)
                        EXPECT_EQ(progress, 100) << fn;
                    continue;
                }
                ASSERT_FALSE(seen.empty()) << fn;
                EXPECT_LE(int(seen.size()), 100 / step + 1) << fn;
                EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << fn;
                EXPECT_GE(seen.front(), 1) << fn;
                EXPECT_LE(seen.back(), 100) << fn;
            }
            EXPECT_EQ(reports.count(""), 0u);
            fs::remove_all(out());
        }
}

// OnFileExists is asked once per member whose output file is already there,
// with the member's date; refusing keeps the old file and skips OnBegin,
// accepting (or no handler) replaces it.
TEST_F(ZipSizesTest, FileExistsAnswers)
{
    const fs::path archive = sizesDir() / "zip_stored.zip";
    const Hashes expected = readManifest(archive.string() + ".sha256");
    enum class Answer { NoHandler, Accept, Refuse };
    for (const Answer answer : { Answer::NoHandler, Answer::Accept, Answer::Refuse }) {
        SCOPED_TRACE(int(answer));
        fs::create_directories(out() / "m");
        spit(out() / "m" / "size1.txt", "old contents");
        TZipExtractor x;
        std::vector<std::pair<std::string, TDateTime>> asked;
        if (answer != Answer::NoHandler)
            x.OnFileExists = [&](TExtractorBase&, const std::string& fn, TDateTime date, bool& accept) {
                asked.emplace_back(fn, date);
                accept = answer == Answer::Accept;
            };
        const Outcome run = runExtractor(x, archive, out());
        EXPECT_TRUE(run.errors.empty());
        if (answer != Answer::NoHandler) {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].first, (out() / "m" / "size1.txt").string());
            EXPECT_EQ(formatDateTime(asked[0].second), "2024-06-05 12:00:00");
        }
        Hashes want = expected;
        if (answer == Answer::Refuse) {
            EXPECT_EQ(slurp(out() / "m" / "size1.txt"), "old contents");
            want.erase("m/size1.txt");
            EXPECT_EQ(run.begins, int(expected.size()) - 1);
            EXPECT_EQ(run.ends.count((out() / "m" / "size1.txt").string()), 0u);
        } else {
            EXPECT_EQ(run.begins, int(expected.size()));
        }
        Hashes got = hashTree(out());
        got.erase(answer == Answer::Refuse ? "m/size1.txt" : "");
        EXPECT_EQ(got, want);
        fs::remove_all(out());
    }
}

} // namespace
} // namespace ov
