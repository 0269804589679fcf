// TLhaExtractor: archives of every header level and method (ours from
// jlha, and the public set of many LHA tools) extracted byte-identical to
// what lhasa extracts; lhasa's regression set (absolute paths, "..",
// symbolic links written through, a truncated member); methods we do not
// decode.
#include "archive/extract/lha_extractor.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

#include <algorithm>

namespace ov::test {
namespace {

using ::testing::ElementsAre;

class LhaExtractorTest : public ExtractTest { };

TEST_F(LhaExtractorTest, EveryLevelAndMethodMatchesLhasa)
{
    struct Row {
        fs::path archive;
        std::string manifest;
    };
    std::vector<Row> rows;
    for (const char* name :
        { "lha_lh0.lzh", "lha_lh5_h0.lzh", "lha_lh5_h1.lzh", "lha_lh5_h2.lzh", "lha_lh6.lzh" })
        rows.push_back({ dataDir() / name, std::string(name) + ".sha256" });
    // The public archives when they are there; the local rows run anyway.
    const bool shared = havePublicArchives();
    for (const char* path : { "lharc113/lh0.lzh", "lharc113/lh1.lzh", "lharc113/subdir.lzh", "lha213/lh5.lzh",
             "lha213/sfx.exe", "lha_amiga_122/lh4.lzh", "lha_amiga_122/level2.lzh", "lha_amiga_212/lh6.lzh",
             "lha_unix114i/h1_lh6.lzh", "lhmelt_16536/h1_lh1.lzh", "lengths/lh1-0.lzh", "lengths/lh1-1.lzh",
             "lengths/lh1-64k.lzh", "explzh_723/h2_subdir.lzh" }) {
        if (!shared)
            break;
        // The manifest is named after the path with "/" as "__".
        std::string manifest = std::string("lhasa/") + path;
        for (std::size_t at = 0; (at = manifest.find('/', at)) != std::string::npos;)
            manifest.replace(at, 1, "__");
        rows.push_back({ sharedDir() / "lhasa" / path, manifest + ".sha256" });
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.archive.string());
        TLhaExtractor x;
        const Outcome run = runExtractor(x, row.archive, out());
        EXPECT_TRUE(run.errors.empty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        EXPECT_EQ(lowerCase(hashTree(out())), lowerCase(readManifest(dataDir() / row.manifest)));
        fs::remove_all(out());
    }
    OV_NEED_PUBLIC_ARCHIVES();
}

TEST_F(LhaExtractorTest, RegressionSetStaysInsideTheTarget)
{
    OV_NEED_PUBLIC_ARCHIVES();
    struct Row {
        const char* file;
        std::vector<int> errors;
        std::vector<std::string> written; // regular files under out(), any case
    };
    const Row rows[] = {
        { "regression/abspath.lzh", {}, { "tmp/absolute_path.txt" } },
        { "tascal_lha_051h/abspath.lzh", {}, { "Mounted Volume/subdir/subdir2/hello.txt" } },
        { "regression/dotdot.lzh", { msgInvalidFileName, msgInvalidFileName }, {} },
        { "regression/dir.lzh", {}, {} },
        // Links are never made: the files land in real folders.
        { "regression/symlink1.lzh", {}, { "foo.txt" } },
        { "regression/symlink2.lzh", {}, { "etc/passwd" } },
        { "regression/symlink3.lzh", {}, { "etc/passwd" } },
        { "regression/unixsep.lzh", {}, { "subdir/subdir2/hello.txt" } },
        { "regression/truncated.lzh", { msgErrorReading }, {} },
        // The terminal escape in the name is neutralised.
        { "regression/badterm.lzh", {}, { "tmp/?]2;malicious??" } },
        // -lh7- is not one of ours: the member ends, nothing is written.
        { "lha_unix114i/h2_lh7.lzh", { msgUnsupportedMethod }, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        TLhaExtractor x;
        const Outcome run = runExtractor(x, sharedDir() / "lhasa" / row.file, out());
        EXPECT_EQ(run.errors, row.errors);
        const Hashes written = hashTree(out());
        for (const auto& [path, hash] : written)
            EXPECT_NE(hash, "<link>") << path;
        std::vector<std::string> names;
        for (const auto& [path, hash] : lowerCase(written))
            names.push_back(path);
        Hashes expected;
        for (const std::string& path : row.written)
            expected[path] = "";
        std::vector<std::string> expectedNames;
        for (const auto& [path, hash] : lowerCase(expected))
            expectedNames.push_back(path);
        EXPECT_EQ(names, expectedNames);
        EXPECT_TRUE(strays().empty());
        fs::remove_all(out());
    }
}

TEST_F(LhaExtractorTest, FailedMemberLeavesEarlierFileIntact)
{
    OV_NEED_PUBLIC_ARCHIVES();
    fs::create_directories(out());
    spit(out() / "gpl-2", "earlier");
    TLhaExtractor x;
    const Outcome run = runExtractor(x, sharedDir() / "lhasa/regression/truncated.lzh", out());
    ASSERT_EQ(run.ends.size(), 1u);
    EXPECT_FALSE(run.ends.begin()->second);
    EXPECT_EQ(slurp(out() / "gpl-2"), "earlier");
    EXPECT_EQ(hashTree(out()).size(), 1u);
}

TEST_F(LhaExtractorTest, DamagedDataIsReported)
{
    // Flipped bytes inside the -lh5- data of every member.
    std::string bytes = slurp(dataDir() / "lha_lh5_h1.lzh");
    for (std::size_t i = 300; i < bytes.size(); i += 211)
        bytes[i] = char(bytes[i] ^ 0x21);
    spit(in() / "flipped.lzh", bytes);
    TLhaExtractor x;
    const Outcome run = runExtractor(x, in() / "flipped.lzh", out());
    EXPECT_TRUE(strays().empty());
    const auto failed
        = std::count_if(run.ends.begin(), run.ends.end(), [](const auto& end) { return !end.second; });
    EXPECT_GT(failed + std::ptrdiff_t(run.errors.size()), 0);
    // Whatever was written stays within the stored sizes.
    for (const auto& entry : fs::recursive_directory_iterator(out())) {
        if (entry.is_regular_file()) {
            EXPECT_LE(entry.file_size(), 54800u);
        }
    }
}

TEST_F(LhaExtractorTest, DatesRestored)
{
    // Level 0 stores a DOS time (local, here UTC), level 2 a Unix time.
    for (const char* name : { "lha_lh5_h0.lzh", "lha_lh5_h2.lzh" }) {
        SCOPED_TRACE(name);
        TLhaExtractor x;
        runExtractor(x, dataDir() / name, out());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::file_clock::to_sys(fs::last_write_time(out() / "text.txt")).time_since_epoch())
                                 .count();
        EXPECT_EQ(seconds, 1710506096); // 2024-03-15 12:34:56
        fs::remove_all(out());
    }
}

TEST_F(LhaExtractorTest, FilterAndSingleMember)
{
    TLhaExtractor x;
    x.SetFileSpec("*.bin");
    Outcome run = runExtractor(x, dataDir() / "lha_lh5_h2.lzh", out());
    EXPECT_EQ(hashTree(out()).size(), 5u);
    fs::remove_all(out());
    x.SetFileSpec("sub\\inner.txt");
    run = runExtractor(x, dataDir() / "lha_lh5_h2.lzh", out());
    EXPECT_EQ(run.begins, 1);
    EXPECT_EQ(hashTree(out()).size(), 1u);
}

} // namespace
} // namespace ov::test
