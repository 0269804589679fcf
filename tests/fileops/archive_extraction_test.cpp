// One extraction run without a window, on archives that zip, arj, lha and
// tar make at test time: which members are written and where, what is
// refused, what is reported, how cancel and passwords behave.
#include "archive/crc.h"
#include "archive/extract/rar_library.h"
#include "archive/extractor_base.h"
#include "archive/message_codes.h"
#include "fileops/archive_extraction.h"
#include "tests/support/public_archives.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace ov::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool haveTool(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command in `folder`; true on exit status 0.
bool shell(const std::string& folder, const std::string& command)
{
    return std::system(("cd '" + folder + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// Every file below `root` by relative path, with its bytes; links as "<link>".
std::map<std::string, std::string> tree(const std::string& root)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            files[relative] = "<link>";
        else if (entry.is_regular_file())
            files[relative] = slurp(entry.path().string());
    }
    return files;
}

std::vector<int32_t> codes(const ExtractionResult& result)
{
    std::vector<int32_t> list;
    for (const auto& error : result.errors)
        list.push_back(error.code);
    return list;
}

void put16(std::string& out, unsigned value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A ZIP whose members carry the given method and packed bytes as they are
// (the CRC is that of `crcOf`), DOS host: for members no zip tool makes.
struct RawMember {
    std::string name;
    unsigned method;
    std::string packed;
    std::string crcOf;
    uint32_t unpackedSize;
};
std::string rawZip(const std::vector<RawMember>& members)
{
    std::string local, central;
    for (const auto& m : members) {
        const uint32_t crc = crc32(m.crcOf.data(), m.crcOf.size());
        const uint32_t offset = uint32_t(local.size());
        put32(local, 0x04034B50);
        put16(local, 20), put16(local, 0), put16(local, m.method);
        put16(local, 0), put16(local, 0x21);
        put32(local, crc), put32(local, uint32_t(m.packed.size())), put32(local, m.unpackedSize);
        put16(local, unsigned(m.name.size())), put16(local, 0);
        local += m.name + m.packed;
        put32(central, 0x02014B50);
        put16(central, 20), put16(central, 20), put16(central, 0), put16(central, m.method);
        put16(central, 0), put16(central, 0x21);
        put32(central, crc), put32(central, uint32_t(m.packed.size())), put32(central, m.unpackedSize);
        put16(central, unsigned(m.name.size())), put16(central, 0), put16(central, 0);
        put16(central, 0), put16(central, 0), put32(central, 0x20), put32(central, offset);
        central += m.name;
    }
    std::string zip = local + central;
    put32(zip, 0x06054B50);
    put16(zip, 0), put16(zip, 0), put16(zip, unsigned(members.size())), put16(zip, unsigned(members.size()));
    put32(zip, uint32_t(central.size())), put32(zip, uint32_t(local.size()));
    put16(zip, 0);
    return zip;
}

// Bytes that do not compress, the same on every run.
std::string noise(std::size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        byte = char(state);
    }
    return bytes;
}

class ExtractionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool("zip"))
            GTEST_SKIP() << "zip is not installed";
        src = temp.folder("src");
        temp.write("src/top.txt", "top\n");
        temp.write("src/a/b/c.txt", "c in b\n");
        temp.write("src/a/b/d/e.txt", "e in d\n");
        temp.write("src/a/f.txt", "f in a\n");
        temp.write("src/A/B/c.txt", "other case\n");
        out = temp / "out";
    }
    std::string zipOf(const std::string& name, const std::string& options = "-r")
    {
        const std::string archive = temp / name;
        EXPECT_TRUE(shell(src, "zip -q " + options + " '" + archive + "' ."));
        return archive;
    }
    ExtractionResult run(ExtractionRequest request)
    {
        if (request.target.empty())
            request.target = out;
        return engine.run(request);
    }

    TempFolder temp;
    std::string src, out;
    ArchiveExtraction engine;
};

// Chosen entries and the base folder taken off their names: what lands in
// the target, for each (base, entries) of a zip -r archive.
TEST_F(ExtractionTest, ChoosesMembersAndTakesTheBaseFolderOff)
{
    const std::string archive = zipOf("t.zip");
    struct Row {
        const char* label;
        std::string base;
        std::vector<std::string> members;
        std::set<std::string> written;
    };
    const std::vector<Row> rows = {
        { "everything", "", {}, { "top.txt", "a/b/c.txt", "a/b/d/e.txt", "a/f.txt", "A/B/c.txt" } },
        { "one top file", "", { "top.txt" }, { "top.txt" } },
        { "a folder from the top", "", { "a\\b" }, { "a/b/c.txt", "a/b/d/e.txt" } },
        { "everything below a folder", "a\\b", {}, { "c.txt", "d/e.txt" } },
        { "a file and a folder in a\\b", "a\\b", { "a\\b\\c.txt", "a\\b\\d" }, { "c.txt", "d/e.txt" } },
        { "one file, / and a trailing separator", "a/", { "a/f.txt" }, { "f.txt" } },
        { "folders match case-sensitively", "A\\B", {}, { "c.txt" } },
        { "a name that is only a prefix", "", { "a\\b\\c" }, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        fs::remove_all(out);
        const ExtractionResult result = run({ archive, atNA, row.members, row.base, out, "" });
        EXPECT_THAT(codes(result), IsEmpty());
        EXPECT_TRUE(result.opened);
        std::set<std::string> written;
        for (const auto& [name, bytes] : tree(out)) {
            written.insert(name);
            // The bytes are the source file's, wherever the member landed.
            const std::string inner = row.base.empty() ? name : normalInnerPath(row.base) + "/" + name;
            EXPECT_EQ(bytes, slurp(src + "/" + inner)) << name;
        }
        EXPECT_EQ(written, row.written);
    }
}

TEST_F(ExtractionTest, EveryExtractingKindByItsDetectedKind)
{
    struct Row {
        const char* tool;
        std::string file; // the name does not say the kind: data.lha is an LHA archive
        std::string command;
    };
    const std::vector<Row> rows = {
        { "zip", "z.bin", "zip -q -r -D" },
        { "arj", "j.dat", "umask 002; arj a -r -y" },
        { "lha", "data.lha", "lha -aq" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tool);
        if (!haveTool(row.tool)) {
            ADD_FAILURE() << row.tool << " is not installed";
            continue;
        }
        const std::string archive = temp / row.file;
        const std::string list = std::string(row.tool) == "arj" ? "'*'" : "top.txt a";
        ASSERT_TRUE(shell(src, row.command + " '" + archive + "' " + list));
        fs::remove_all(out);
        const ExtractionResult result = run({ archive, atNA, {}, "a", out, "" });
        EXPECT_THAT(codes(result), IsEmpty());
        EXPECT_EQ(tree(out),
            (std::map<std::string, std::string> {
                { "b/c.txt", "c in b\n" }, { "b/d/e.txt", "e in d\n" }, { "f.txt", "f in a\n" } }));
        EXPECT_EQ(result.membersBegun, 3);
    }
}

// RAR through the library layer: one folder of a public archive, its bytes
// as unar writes them.
TEST_F(ExtractionTest, ARarFolderThroughTheLibrary)
{
    OV_NEED_PUBLIC_ARCHIVES();
    if (!haveTool("unar"))
        GTEST_SKIP() << "unar is not installed";
    setRarLibraryPath(std::string(OV_BINARY_DIR) + "/archive/rarlayer/libovrar.so");
    const std::string archive = (publicArchives() / "sharpcompress/Rar.rar").string();
    ASSERT_TRUE(shell(temp.folder("unar"), "unar -q -D '" + archive + "'"));
    const ExtractionResult result = run({ archive, atNA, { "jpg\\test.jpg", "exe" }, "", out, "" });
    EXPECT_THAT(codes(result), IsEmpty());
    EXPECT_EQ(tree(out),
        (std::map<std::string, std::string> { { "jpg/test.jpg", slurp(temp / "unar/jpg/test.jpg") },
            { "exe/test.exe", slurp(temp / "unar/exe/test.exe") } }));
    fs::remove_all(out);
    EXPECT_THAT(codes(run({ archive, atNA, {}, "jpg", out, "" })), IsEmpty());
    EXPECT_EQ(tree(out),
        (std::map<std::string, std::string> { { "test.jpg", slurp(temp / "unar/jpg/test.jpg") } }));
}

TEST_F(ExtractionTest, KindsWithoutAnExtractorAndMissingArchivesEndWithOneError)
{
    ASSERT_TRUE(shell(src, "tar cf ../t.tar ."));
    temp.write("plain.txt", "no archive here");
    struct Row {
        std::string file;
        int32_t code;
    };
    for (const Row& row : { Row { "t.tar", msgUnsupportedArchiveType },
             Row { "plain.txt", msgUnknownFileType }, Row { "missing.zip", msgFileNotFound } }) {
        SCOPED_TRACE(row.file);
        int ends = 0;
        engine.OnEnd = [&](const ExtractionResult&) { ++ends; };
        const ExtractionResult result = run({ temp / row.file, atNA, {}, "", out, "" });
        EXPECT_THAT(codes(result), ElementsAre(row.code));
        EXPECT_EQ(result.errors[0].fileName, row.file);
        EXPECT_FALSE(result.opened);
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(fs::exists(out));
    }
}

// A link placed at the target before the run: a member at its name replaces
// the link, never what it points to; a link where a folder goes refuses the
// members below it. The outside files stay as they were.
TEST_F(ExtractionTest, LinksAtTheTargetAreNeverWrittenThrough)
{
    const std::string archive = zipOf("t.zip");
    const std::string outsideFile = temp.write("outside/victim.txt", "keep me");
    const std::string outsideFolder = temp.folder("outside/folder");
    fs::create_directories(out);
    fs::create_symlink(outsideFile, out + "/top.txt");
    fs::create_symlink(outsideFolder, out + "/a");

    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_EQ(slurp(outsideFile), "keep me");
    EXPECT_TRUE(fs::is_empty(outsideFolder));
    EXPECT_FALSE(fs::is_symlink(out + "/top.txt"));
    EXPECT_EQ(slurp(out + "/top.txt"), "top\n");
    EXPECT_TRUE(fs::is_symlink(out + "/a"));
    // The three members below the linked folder are reported, not written.
    EXPECT_THAT(codes(result), ElementsAre(msgErrorWriting, msgErrorWriting, msgErrorWriting));
}

TEST_F(ExtractionTest, AMemberWhoseTargetIsTheArchiveIsRefused)
{
    // The archive holds a member of its own name and is extracted into its
    // own folder.
    const std::string archive = temp / "self.zip";
    std::ofstream(archive, std::ios::binary)
        << rawZip({ { "self.zip", 0, "fake", "fake", 4 }, { "other.txt", 0, "fine", "fine", 4 } });
    const std::string before = slurp(archive);
    const ExtractionResult result = run({ archive, atNA, {}, "", temp.path(), "" });
    EXPECT_THAT(codes(result), ElementsAre(msgErrorWriting));
    EXPECT_EQ(result.errors[0].fileName, "self.zip");
    EXPECT_EQ(slurp(archive), before);
    EXPECT_EQ(slurp(temp / "other.txt"), "fine");
}

TEST_F(ExtractionTest, AFailingMemberKeepsTheOldFile)
{
    // A deflate stream whose first block has the reserved type 3.
    const std::string archive = temp / "bad.zip";
    std::ofstream(archive, std::ios::binary)
        << rawZip({ { "old.txt", 8, std::string("\x07\x00\x00\x00", 4), "new text", 8 },
               { "next.txt", 0, "next", "next", 4 } });
    temp.write("out/old.txt", "old text");
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    // The decoder's error first (the extractor adds the failed check).
    ASSERT_FALSE(result.errors.empty());
    EXPECT_EQ(result.errors[0].code, msgBadBlock);
    for (const auto& error : result.errors)
        EXPECT_EQ(error.fileName, "old.txt");
    EXPECT_EQ(tree(out),
        (std::map<std::string, std::string> { { "old.txt", "old text" }, { "next.txt", "next" } }));
}

// A name that climbs out is reported when the whole archive is extracted;
// a copy of chosen entries passes it over silently (no chosen entry has
// one). Nothing lands outside the target either way.
TEST_F(ExtractionTest, ClimbingNamesAreReportedOnlyForTheWholeArchive)
{
    const std::string archive = temp / "climb.zip";
    std::ofstream(archive, std::ios::binary)
        << rawZip({ { "../evil.txt", 0, "evil", "evil", 4 }, { "a/ok.txt", 0, "ok", "ok", 2 } });
    ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_THAT(codes(result), ElementsAre(msgInvalidFileName));
    EXPECT_EQ(tree(out), (std::map<std::string, std::string> { { "a/ok.txt", "ok" } }));
    fs::remove_all(out);
    result = run({ archive, atNA, {}, "a", out, "" });
    EXPECT_THAT(codes(result), IsEmpty());
    EXPECT_EQ(tree(out), (std::map<std::string, std::string> { { "ok.txt", "ok" } }));
    EXPECT_FALSE(fs::exists(temp / "evil.txt"));
}

TEST_F(ExtractionTest, ACrcFailureIsReported)
{
    const std::string archive = temp / "crc.zip";
    std::ofstream(archive, std::ios::binary) << rawZip({ { "x.txt", 0, "data", "other", 4 } });
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_THAT(codes(result), ElementsAre(msgCrcFailed));
}

// A member whose CRC fails gives the earlier file at its target back; with
// no earlier file the damaged one stays, reported. Nothing kept aside is
// left behind, and a link at the target is never kept or followed.
TEST_F(ExtractionTest, ACrcFailureKeepsTheEarlierFile)
{
    const std::string archive = temp / "crc.zip";
    std::ofstream(archive, std::ios::binary) << rawZip({ { "old.txt", 0, "data", "other", 4 },
        { "new.txt", 0, "bad!", "good", 4 }, { "fine.txt", 0, "fine", "fine", 4 } });
    temp.write("out/old.txt", "old text");
    temp.write("out/fine.txt", "replaced");
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_THAT(codes(result), ElementsAre(msgCrcFailed, msgCrcFailed));
    EXPECT_EQ(result.errors[0].fileName, "old.txt");
    EXPECT_EQ(tree(out),
        (std::map<std::string, std::string> {
            { "old.txt", "old text" }, { "new.txt", "bad!" }, { "fine.txt", "fine" } }));
}

// Cancel in the middle of a member: the run ends after that block without
// an error, the member's temporary file is gone, the finished member stays.
TEST_F(ExtractionTest, CancelMidMemberKeepsFinishedMembersOnly)
{
    temp.write("big/1-small.txt", "small\n");
    temp.write("big/2-big.bin", noise(4 << 20));
    temp.write("big/3-after.txt", "after\n");
    const std::string archive = temp / "big.zip";
    ASSERT_TRUE(shell(temp / "big", "zip -q '" + archive + "' 1-small.txt 2-big.bin 3-after.txt"));

    std::vector<int> seen;
    int pumps = 0;
    engine.ProcessMessages = [&] { ++pumps; };
    engine.OnProgress = [&](const ExtractionProgress& progress) {
        seen.push_back(progress.memberNumber * 1000 + progress.percent);
        if (progress.memberNumber == 2 && progress.percent > 0)
            engine.cancel();
    };
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_TRUE(result.cancelled);
    EXPECT_THAT(codes(result), IsEmpty());
    EXPECT_EQ(tree(out), (std::map<std::string, std::string> { { "1-small.txt", "small\n" } }));
    EXPECT_EQ(result.membersBegun, 2);
    EXPECT_GT(pumps, 0);
    // Each member is reported at 0 when it begins; the cancelled one ends
    // below 100.
    EXPECT_EQ(seen.front(), 1000);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 2000), 1);
    EXPECT_LT(seen.back(), 2100);

    // The next run starts afresh.
    engine.OnProgress = nullptr;
    EXPECT_FALSE(run({ archive, atNA, {}, "", out, "" }).cancelled);
    EXPECT_EQ(tree(out).size(), 3u);
}

TEST_F(ExtractionTest, CancelBeforeTheArchiveOpensWritesNothing)
{
    const std::string archive = zipOf("t.zip");
    engine.ProcessMessages = [&] { engine.cancel(); };
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_TRUE(result.cancelled);
    EXPECT_THAT(codes(result), IsEmpty());
    EXPECT_THAT(tree(out), IsEmpty());
}

TEST_F(ExtractionTest, WrongThenRightPasswordAndTheRightOneIsKept)
{
    const std::string archive = temp / "secret.zip";
    ASSERT_TRUE(shell(src, "zip -q -P right '" + archive + "' top.txt a/f.txt"));
    std::deque<std::string> answers { "bad", "right" };
    std::vector<std::string> asked;
    engine.AskPassword = [&](const std::string& member, std::string& password) {
        asked.push_back(fs::path(member).filename().string());
        if (answers.empty())
            return false;
        password = answers.front();
        answers.pop_front();
        return true;
    };
    ExtractionResult result = run({ archive, atNA, {}, "", out, "wrong" });
    // The dialog's password is tried silently; the bad answer is reported.
    EXPECT_THAT(codes(result), ElementsAre(msgInvalidPassword));
    EXPECT_THAT(asked, ElementsAre("top.txt", "top.txt"));
    EXPECT_EQ(tree(out),
        (std::map<std::string, std::string> { { "top.txt", "top\n" }, { "a/f.txt", "f in a\n" } }));
    EXPECT_THAT(engine.passwords(), ElementsAre("right"));

    // The same engine later: the kept password opens it without a question.
    fs::remove_all(out);
    asked.clear();
    result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_THAT(codes(result), IsEmpty());
    EXPECT_THAT(asked, IsEmpty());
    EXPECT_EQ(tree(out).size(), 2u);
}

TEST_F(ExtractionTest, ThreeWrongAnswersEndTheRun)
{
    const std::string archive = temp / "secret.zip";
    ASSERT_TRUE(shell(src, "zip -q -P right '" + archive + "' top.txt"));
    int questions = 0;
    engine.AskPassword = [&](const std::string&, std::string& password) {
        ++questions;
        password = "nope";
        return true;
    };
    const ExtractionResult result = run({ archive, atNA, {}, "", out, "" });
    EXPECT_EQ(questions, 3);
    EXPECT_THAT(codes(result),
        ElementsAre(msgInvalidPassword, msgInvalidPassword, msgInvalidPassword, msgPasswordFailed));
    EXPECT_THAT(tree(out), IsEmpty());
    EXPECT_THAT(engine.passwords(), IsEmpty());
}

// The one box of a run's errors, as text: the two forms, the lone carriage
// returns, the cut after `shown` errors.
TEST(ErrorBoxText, Forms)
{
    EXPECT_EQ(extractionErrorText({}), "");
    EXPECT_EQ(extractionErrorText({ { msgCrcFailed, "x.txt", "0" } }),
        "x.txt\r\rError#: 25151\r\rError: File fails CRC check\r\r");
    EXPECT_EQ(extractionErrorText({ { msgInvalidPassword, "s.txt", "0" } }),
        "s.txt\r\rGeneral Message: 26517\r\rMessge: Invalid password\r\r");
    EXPECT_EQ(
        extractionErrorText({ { msgUnsupportedArchiveType, "t.tar", "0" }, { msgPasswordFailed, "p", "0" } }),
        "t.tar\r\rError#: 25242\r\rError: Invalid or unsupported archive type for this operation\r\r"
        "p\r\rGeneral Message: 26522\r\rMessge: Password failed\r\r");

    std::vector<ExtractionError> many;
    for (int i = 0; i < 23; ++i)
        many.push_back({ msgErrorWriting, "f" + std::to_string(i), "0" });
    const std::string text = extractionErrorText(many);
    EXPECT_NE(text.find("f19\r\r"), std::string::npos);
    EXPECT_EQ(text.find("f20\r\r"), std::string::npos);
    EXPECT_THAT(text, ::testing::EndsWith("to file\r\r\u2026 and 3 more"));
    // Exactly twenty: no tail.
    many.resize(20);
    EXPECT_EQ(extractionErrorText(many).find("more"), std::string::npos);
}

TEST(InnerPaths, NormalForm)
{
    struct Row {
        std::string in, out;
    };
    for (const Row& row :
        { Row { "a\\b\\c.txt", "a/b/c.txt" }, Row { "\\a\\\\b\\", "a/b" }, Row { "c:\\x\\.\\y", "x/y" },
            Row { "", "" }, Row { ".\\.", "" }, Row { "10:00.log", "10:00.log" } })
        EXPECT_EQ(normalInnerPath(row.in), row.out) << row.in;
}

} // namespace
} // namespace ov::test
