// TArjExtractor: every method and a volume set extracted byte-identical to
// what arj itself extracts; a missing volume supplied through OnNextVolume;
// the security table (hostile names, a link in the way, a member that
// claims less than it holds, truncated and damaged data); header faults.
#include "archive/bytes.h"
#include "archive/crc.h"
#include "archive/extract/arj_extractor.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

namespace ov::test {
namespace {

using ::testing::ElementsAre;

// One ARJ header (60 EA, size, basic header, CRC-32, no extended header).
std::string arjHeader(uint8_t type, const std::string& name, uint8_t flags = 0, uint8_t method = 0,
    uint32_t packed = 0, uint32_t original = 0, uint32_t crc = 0, uint16_t attributes = 0x20)
{
    std::string basic;
    basic += char(30); // size of the fixed part
    basic += char(11); // archiver version
    basic += char(1); // version needed
    basic += char(0); // host: MS-DOS
    basic += char(flags);
    basic += char(method);
    basic += char(type);
    basic += char(0);
    put32(basic, 0x5873A000); // 2024-03-19 20:00
    put32(basic, packed);
    put32(basic, original);
    put32(basic, crc);
    put16(basic, 0); // name position
    put16(basic, attributes);
    basic += char(0);
    basic += char(0);
    basic += name + '\0' + '\0';
    std::string header = "\x60\xEA";
    put16(header, unsigned(basic.size()));
    header += basic;
    put32(header, crc32(basic.data(), basic.size()));
    put16(header, 0);
    return header;
}

// An ARJ archive of stored members.
std::string handArj(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string out = arjHeader(2, "hand.arj");
    for (const auto& [name, data] : members)
        out += arjHeader(0, name, 0, 0, uint32_t(data.size()), uint32_t(data.size()),
                   crc32(data.data(), data.size()))
            + data;
    return out + std::string("\x60\xEA\0\0", 4);
}

class ArjExtractorTest : public ExtractTest { };

TEST_F(ArjExtractorTest, EveryMethodAndVolumeSetMatchArj)
{
    for (const char* name :
        { "arj_m0.arj", "arj_m1.arj", "arj_m2.arj", "arj_m3.arj", "arj_m4.arj", "arj_volume.arj" }) {
        SCOPED_TRACE(name);
        TArjExtractor x;
        const Outcome run = runExtractor(x, dataDir() / name, out());
        EXPECT_TRUE(run.errors.empty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        EXPECT_EQ(hashTree(out()), readManifest(dataDir() / (std::string(name) + ".sha256")));
        EXPECT_TRUE(run.deactivated);
        fs::remove_all(out());
    }
}

TEST_F(ArjExtractorTest, DatesAndAttributesRestored)
{
    TArjExtractor x;
    runExtractor(x, dataDir() / "arj_m1.arj", out());
    // arj on Unix stores the modification time as Unix time.
    const auto written = fs::last_write_time(out() / "text.txt");
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(written).time_since_epoch())
                             .count();
    EXPECT_EQ(seconds, 1710506096); // 2024-03-15 12:34:56 UTC

    // A DOS archive's read-only attribute makes a read-only file.
    const std::string data = "read only";
    spit(in() / "ro.arj",
        arjHeader(2, "ro.arj")
            + arjHeader(0, "ro.txt", 0, 0, uint32_t(data.size()), uint32_t(data.size()),
                crc32(data.data(), data.size()), 0x21)
            + data + std::string("\x60\xEA\0\0", 4));
    runExtractor(x, in() / "ro.arj", out());
    EXPECT_EQ(fs::status(out() / "ro.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(fs::status(out() / "text.txt").permissions() & fs::perms::owner_write, fs::perms::none);

    fs::remove_all(out());
    x.SetDateTo = sdSysDate;
    runExtractor(x, dataDir() / "arj_m1.arj", out());
    EXPECT_GT(
        fs::last_write_time(out() / "text.txt"), fs::file_time_type::clock::now() - std::chrono::hours(1));
}

TEST_F(ArjExtractorTest, MissingVolumeSuppliedThroughOnNextVolume)
{
    for (const char* part : { "arj_volume.arj", "arj_volume.a01" })
        fs::copy_file(dataDir() / part, in() / part);
    fs::create_directories(m_dir / "elsewhere");
    fs::rename(in() / "arj_volume.a01", m_dir / "elsewhere" / "arj_volume.a01");

    TArjExtractor x;
    std::vector<std::string> asked;
    x.OnNextVolume = [&](TArchiveCommon&, std::string& dir, std::string& fn, const std::string& id,
                         bool exists, bool& cancel) {
        asked.push_back(fn + " " + id + (exists ? " there" : " missing"));
        dir = (m_dir / "elsewhere").string();
        cancel = asked.size() > 1;
    };
    const Outcome run = runExtractor(x, in() / "arj_volume.arj", out());
    EXPECT_THAT(asked, ElementsAre("arj_volume.a01 1 missing"));
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(hashTree(out()), readManifest(dataDir() / "arj_volume.arj.sha256"));

    // Cancelled: the member split over both volumes is not written.
    fs::remove_all(out());
    x.OnNextVolume = [](TArchiveCommon&, std::string&, std::string&, const std::string&, bool, bool& cancel) {
        cancel = true;
    };
    const Outcome cancelled = runExtractor(x, in() / "arj_volume.arj", out());
    EXPECT_THAT(cancelled.errors, ElementsAre(msgBrokenVolumeChain));
    for (const auto& [fn, pass] : cancelled.ends)
        EXPECT_FALSE(fs::exists(fn) && !pass) << fn;
}

TEST_F(ArjExtractorTest, HostileNamesStayInsideTheTarget)
{
    struct Row {
        const char* stored;
        const char* written; // under out(), or null when refused with 25243
    };
    const Row rows[] = {
        { "../evil.txt", nullptr },
        { "sub\\..\\..\\evil.txt", nullptr },
        { "sub/../../evil.txt", nullptr },
        { "..", nullptr },
        { "/abs/evil.txt", "abs/evil.txt" },
        { "\\abs\\evil.txt", "abs/evil.txt" },
        { "c:\\evil.txt", "evil.txt" },
        { "c:evil.txt", "evil.txt" },
        { "./dot/./evil.txt", "dot/evil.txt" },
        { "a//b.txt", "a/b.txt" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        spit(in() / "h.arj", handArj({ { row.stored, "payload" } }));
        TArjExtractor x;
        const Outcome run = runExtractor(x, in() / "h.arj", out());
        EXPECT_TRUE(strays().empty());
        if (row.written) {
            EXPECT_TRUE(run.errors.empty());
            EXPECT_EQ(slurp(out() / row.written), "payload");
        } else {
            EXPECT_THAT(run.errors, ElementsAre(msgInvalidFileName));
            EXPECT_TRUE(hashTree(out()).empty());
        }
        fs::remove_all(out());
    }
}

TEST_F(ArjExtractorTest, LinkInTheWayIsReplacedNotFollowed)
{
    fs::create_directories(out());
    spit(m_dir / "in" / "victim.txt", "keep");
    fs::create_symlink(in() / "victim.txt", out() / "a.txt");
    fs::create_directories(m_dir / "in" / "elsewhere");
    fs::create_directory_symlink(in() / "elsewhere", out() / "sub");
    spit(in() / "h.arj", handArj({ { "a.txt", "new" }, { "sub/b.txt", "through a link" } }));
    TArjExtractor x;
    const Outcome run = runExtractor(x, in() / "h.arj", out());
    EXPECT_EQ(slurp(in() / "victim.txt"), "keep");
    EXPECT_FALSE(fs::is_symlink(out() / "a.txt"));
    EXPECT_EQ(slurp(out() / "a.txt"), "new");
    // A folder that is a link is never written through: the output cannot
    // be created there.
    EXPECT_TRUE(fs::is_empty(in() / "elsewhere"));
    EXPECT_THAT(run.errors, ElementsAre(msgErrorOpening));
}

// The fixture arj_m1.arj with one member's header changed by `patch`
// (applied to the basic header) and the header CRC made right again.
std::string patchedMember(const std::string& archive, const std::string& member,
    const std::function<void(std::string& basic, std::string& data)>& patch)
{
    std::string bytes = archive;
    const auto at = bytes.find(member + '\0');
    const std::size_t start = bytes.rfind("\x60\xEA", at);
    const std::size_t size = uint8_t(bytes[start + 2]) | uint8_t(bytes[start + 3]) << 8;
    std::string basic = bytes.substr(start + 4, size);
    const uint32_t packed = le32(reinterpret_cast<const uint8_t*>(basic.data()) + 12);
    const std::size_t dataAt = start + 4 + size + 4 + 2;
    std::string data = bytes.substr(dataAt, packed);
    patch(basic, data);
    std::string crc;
    put32(crc, crc32(basic.data(), basic.size()));
    bytes.replace(start + 4, size, basic);
    bytes.replace(start + 4 + size, 4, crc);
    bytes.replace(dataAt, packed, data);
    return bytes;
}

TEST_F(ArjExtractorTest, DamagedMembersAreReportedAndBounded)
{
    const std::string fixture = slurp(dataDir() / "arj_m1.arj");

    // A member that claims 1000 bytes but holds 54800: the output stops
    // there, the member ends with 25109 and nothing is left under its name.
    spit(in() / "short.arj", patchedMember(fixture, "text.txt", [](std::string& basic, std::string&) {
        basic[16] = char(1000 & 0xFF), basic[17] = char(1000 >> 8), basic[18] = 0, basic[19] = 0;
    }));
    {
        TArjExtractor x;
        x.SetFileSpec("text.txt");
        const Outcome run = runExtractor(x, in() / "short.arj", out());
        EXPECT_THAT(run.errors, ElementsAre(msgBadBlock));
        EXPECT_TRUE(hashTree(out()).empty());
        fs::remove_all(out());
    }
    // A stored CRC that does not match: the file is kept and the failure
    // reported through OnEnd, or without OnEnd as 25151.
    spit(in() / "crc.arj", patchedMember(fixture, "text.txt", [](std::string& basic, std::string&) {
        basic[20] = char(basic[20] ^ 1);
    }));
    {
        TArjExtractor x;
        x.SetFileSpec("text.txt");
        const Outcome run = runExtractor(x, in() / "crc.arj", out());
        EXPECT_TRUE(run.errors.empty());
        ASSERT_EQ(run.ends.size(), 1u);
        EXPECT_FALSE(run.ends.begin()->second);
        EXPECT_EQ(fs::file_size(out() / "text.txt"), 54800u);
        fs::remove_all(out());
    }
    {
        TArjExtractor x;
        std::vector<int> errors;
        x.SetArchiveFile((in() / "crc.arj").string());
        x.SetExtractDir(out().string());
        x.SetFileSpec("text.txt");
        x.OnError = [&](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                        int32_t code) { errors.push_back(code); };
        x.Extract();
        EXPECT_THAT(errors, ElementsAre(msgCrcFailed));
        fs::remove_all(out());
    }
    // Flipped bits inside the data: reported, never silent.
    spit(in() / "flipped.arj", patchedMember(fixture, "text.txt", [](std::string&, std::string& data) {
        for (std::size_t i = 40; i < data.size(); i += 97)
            data[i] = char(data[i] ^ 0x5A);
    }));
    {
        TArjExtractor x;
        x.SetFileSpec("text.txt");
        const Outcome run = runExtractor(x, in() / "flipped.arj", out());
        ASSERT_EQ(run.ends.size(), 1u);
        EXPECT_FALSE(run.ends.begin()->second);
        if (fs::exists(out() / "text.txt")) {
            EXPECT_LE(fs::file_size(out() / "text.txt"), 54800u);
        }
        fs::remove_all(out());
    }
}

TEST_F(ArjExtractorTest, TruncatedArchiveLeavesEarlierFileIntact)
{
    const std::string fixture = slurp(dataDir() / "arj_m1.arj");
    const auto at = fixture.find(std::string("text.txt") + '\0');
    spit(in() / "cut.arj", fixture.substr(0, at + 400));
    fs::create_directories(out());
    spit(out() / "text.txt", "earlier");
    TArjExtractor x;
    x.SetFileSpec("text.txt");
    const Outcome run = runExtractor(x, in() / "cut.arj", out());
    EXPECT_THAT(run.errors, ElementsAre(msgErrorReading));
    EXPECT_EQ(slurp(out() / "text.txt"), "earlier");
    EXPECT_EQ(hashTree(out()).size(), 1u); // no temporary file left
}

TEST_F(ArjExtractorTest, HeaderFaultsEndTheRun)
{
    struct Row {
        const char* what;
        std::string archive;
        std::vector<int> errors;
    };
    std::string badCrc = handArj({ { "a.txt", "x" } });
    badCrc[badCrc.find("a.txt") + 2] = 'X'; // the name changes, the CRC does not
    const std::string garbled = arjHeader(2, "g.arj") + arjHeader(0, "g.txt", 0x01, 0, 1, 1, 0) + "x"
        + std::string("\x60\xEA\0\0", 4);
    const std::string method9
        = arjHeader(2, "m.arj") + arjHeader(0, "m.txt", 0, 9, 1, 1, 0) + "x" + std::string("\x60\xEA\0\0", 4);
    const std::string label
        = arjHeader(2, "l.arj") + arjHeader(4, "label", 0, 0, 0, 0, 0) + std::string("\x60\xEA\0\0", 4);
    const std::string folder
        = arjHeader(2, "f.arj") + arjHeader(3, "folder", 0, 0, 0, 0, 0) + std::string("\x60\xEA\0\0", 4);
    const Row rows[] = {
        { "header CRC", badCrc, { msgHeaderCrcError } },
        { "garbled", garbled, { msgPasswordProtected } },
        { "method 9", method9, { msgUnsupportedMethod } },
        { "volume label", label, { msgUnknownFileType } },
        { "folder only", folder, {} },
        // Another kind asks for the right volume first (none here).
        { "not ARJ at all", std::string(100, 'z'), { msgFileNotFound, msgUnsupportedArchiveType } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        spit(in() / "f.arj", row.archive);
        TArjExtractor x;
        const Outcome run = runExtractor(x, in() / "f.arj", out());
        EXPECT_EQ(run.errors, row.errors);
        EXPECT_TRUE(hashTree(out()).empty());
    }
}

TEST_F(ArjExtractorTest, SingleMemberAndProgress)
{
    TArjExtractor x;
    std::vector<int> progress;
    x.OnProgress = [&](TExtractorBase&, const std::string&, uint8_t percent) { progress.push_back(percent); };
    x.SetFileSpec("sub\\inner.txt");
    const Outcome run = runExtractor(x, dataDir() / "arj_m0.arj", out());
    EXPECT_EQ(run.begins, 1);
    EXPECT_EQ(hashTree(out()).size(), 1u);
    EXPECT_EQ(progress.back(), 100);
    // An empty member raises no division by zero.
    x.SetFileSpec("empty.bin");
    fs::remove_all(out());
    runExtractor(x, dataDir() / "arj_m0.arj", out());
    EXPECT_EQ(fs::file_size(out() / "empty.bin"), 0u);
}

} // namespace
} // namespace ov::test
