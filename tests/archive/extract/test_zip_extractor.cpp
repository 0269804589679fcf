// TZipExtractor: the legacy fixtures extracted byte-identical to what
// unzip writes; the security table (hostile names, a link in the way, a
// decompression bomb, damaged data); the password flow.
#include "archive/extract/zip_extractor.h"
#include "archive/messages.h"
#include "tests/support/public_archives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace ov {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spit(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Every regular file under `root`, by relative path.
std::map<std::string, std::string> tree(const fs::path& root)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() || entry.is_symlink())
            files[fs::relative(entry.path(), root).string()]
                = entry.is_symlink() ? "<link>" : slurp(entry.path());
    return files;
}

struct Outcome {
    std::vector<int> errors;
    std::map<std::string, bool> ends;
};

class ZipExtractorTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ov-zipx-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        if (std::system("command -v zip >/dev/null && command -v unzip >/dev/null") != 0) {
            if (std::getenv("CI"))
                FAIL() << "zip/unzip missing (scripts/deps.d/zipdec.txt)";
            GTEST_SKIP() << "zip/unzip not installed";
        }
    }
    void TearDown() override { fs::remove_all(m_dir); }

    Outcome extract(const std::string& archive, const fs::path& target, TZipExtractor& x)
    {
        Outcome run;
        x.SetArchiveFile(archive);
        x.SetExtractDir(target.string());
        x.OnError = [&run](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                        int32_t code) { run.errors.push_back(code); };
        x.OnEnd = [&run](TExtractorBase&, const std::string& fn, bool pass) { run.ends[fn] = pass; };
        x.Extract();
        return run;
    }
    Outcome extract(const std::string& archive, const fs::path& target)
    {
        TZipExtractor x;
        return extract(archive, target, x);
    }
    int sh(const std::string& command)
    {
        return std::system(("cd " + m_dir.string() + " && " + command).c_str());
    }

    fs::path m_dir;
};

TEST_F(ZipExtractorTest, LegacyFixturesMatchUnzip)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const std::string base = test::publicArchives().string() + "/";
    // unzip here has no unreduce: reduce files are checked by CRC only.
    for (const char* name : { "zip2/legacy/shrink.zip", "zip2/legacy/implode.zip",
             "sharpcompress/Zip.shrink.zip", "sharpcompress/Zip.implode.zip", "commons-compress/SHRUNK.ZIP",
             "commons-compress/imploding-4Kdict-2trees.zip", "commons-compress/imploding-8Kdict-3trees.zip",
             "sharpcompress/Zip.reduce3.zip" }) {
        SCOPED_TRACE(name);
        const fs::path ours = m_dir / "ours", theirs = m_dir / "theirs";
        const Outcome run = extract(base + name, ours);
        EXPECT_TRUE(run.errors.empty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        if (std::string(name).find("reduce") == std::string::npos) {
            ASSERT_EQ(sh("unzip -qq -o '" + base + name + "' -d theirs >/dev/null 2>&1"), 0);
            const auto expected = tree(theirs);
            const auto got = tree(ours);
            ASSERT_EQ(got.size(), expected.size());
            // Names may differ in code page; the bytes, in order, must not.
            auto a = got.begin();
            for (auto b = expected.begin(); b != expected.end(); ++a, ++b)
                EXPECT_TRUE(a->second == b->second) << a->first << " vs " << b->first;
        }
        fs::remove_all(ours);
        fs::remove_all(theirs);
    }
}

// A ZIP written by hand: one stored or deflated member per name.
std::string handZip(const std::vector<std::pair<std::string, std::string>>& members, bool badCrc = false)
{
    std::string out, central;
    auto put16 = [](std::string& s, unsigned v) { s += char(v & 255), s += char(v >> 8); };
    auto put32 = [&](std::string& s, uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); };
    for (const auto& [name, data] : members) {
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : data) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        crc = ~crc ^ (badCrc ? 1u : 0u);
        const uint32_t offset = uint32_t(out.size());
        put32(out, 0x04034b50), put16(out, 10), put16(out, 0), put16(out, 0), put32(out, 0x21000000);
        put32(out, crc), put32(out, uint32_t(data.size())), put32(out, uint32_t(data.size()));
        put16(out, unsigned(name.size())), put16(out, 0);
        out += name + data;
        put32(central, 0x02014b50), put16(central, 20), put16(central, 10), put16(central, 0),
            put16(central, 0);
        put32(central, 0x21000000), put32(central, crc), put32(central, uint32_t(data.size()));
        put32(central, uint32_t(data.size())), put16(central, unsigned(name.size()));
        put16(central, 0), put16(central, 0), put16(central, 0), put16(central, 0), put32(central, 0x20);
        put32(central, offset);
        central += name;
    }
    const uint32_t at = uint32_t(out.size());
    out += central;
    put32(out, 0x06054b50), put16(out, 0), put16(out, 0), put16(out, unsigned(members.size()));
    put16(out, unsigned(members.size())), put32(out, uint32_t(central.size())), put32(out, at), put16(out, 0);
    return out;
}

TEST_F(ZipExtractorTest, HostileNamesStayInsideTheTarget)
{
    struct Row {
        const char* stored;
        const char* expected; // relative path written, or null: refused with 25243
    };
    const Row rows[] = {
        { "../escape.txt", nullptr },
        { "a/../../escape.txt", nullptr },
        { "..\\escape.txt", nullptr },
        { "/abs/file.txt", "abs/file.txt" },
        { "c:\\drive.txt", "drive.txt" },
        { "c:/x/y.txt", "x/y.txt" },
        { "./dot/./f.txt", "dot/f.txt" },
        { "\\\\server\\share\\u.txt", "server/share/u.txt" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        const fs::path target = m_dir / "out" / "in";
        spit(m_dir / "h.zip", handZip({ { row.stored, "payload" } }));
        const Outcome run = extract((m_dir / "h.zip").string(), target);
        const auto written = tree(m_dir / "out");
        if (row.expected) {
            EXPECT_TRUE(run.errors.empty());
            ASSERT_EQ(written.size(), 1u);
            EXPECT_EQ(written.begin()->first, std::string("in/") + row.expected);
        } else {
            EXPECT_EQ(run.errors, std::vector<int> { msgInvalidFileName });
            EXPECT_TRUE(written.empty());
        }
        // Nothing ever lands beside the target folder.
        for (const auto& entry : fs::directory_iterator(m_dir))
            EXPECT_TRUE(entry.path().filename() == "out" || entry.path().filename() == "h.zip")
                << entry.path();
        fs::remove_all(m_dir / "out");
    }
}

TEST_F(ZipExtractorTest, LinksAreNeverFollowed)
{
    const fs::path target = m_dir / "out";
    fs::create_directories(target);
    spit(m_dir / "victim.txt", "keep");
    fs::create_symlink(m_dir / "victim.txt", target / "file.txt");
    fs::create_directory_symlink(m_dir, target / "dir");
    spit(m_dir / "l.zip", handZip({ { "file.txt", "new" }, { "dir/victim.txt", "new" } }));
    extract((m_dir / "l.zip").string(), target);
    EXPECT_EQ(slurp(m_dir / "victim.txt"), "keep");
    EXPECT_FALSE(fs::is_symlink(target / "file.txt"));
    EXPECT_EQ(slurp(target / "file.txt"), "new");

    // Link entries stored by zip -y are passed over: neither a link nor a
    // file holding the link's target is made.
    fs::create_directories(m_dir / "src");
    spit(m_dir / "src" / "real.txt", "real");
    fs::create_symlink("/etc/passwd", m_dir / "src" / "link");
    ASSERT_EQ(sh("cd '" + (m_dir / "src").string() + "' && zip -q -y ../y.zip real.txt link"), 0);
    const fs::path out = m_dir / "y";
    extract((m_dir / "y.zip").string(), out);
    EXPECT_EQ(tree(out), (std::map<std::string, std::string> { { "real.txt", "real" } }));
}

TEST_F(ZipExtractorTest, BombAndDamageNeverWritePastTheStatedSize)
{
    // 100 MB of zeros deflated, then the header's sizes rewritten to 1 KB.
    ASSERT_EQ(sh("head -c 100000000 /dev/zero > big && zip -q -9 bomb.zip big && rm big"), 0);
    std::string zip = slurp(m_dir / "bomb.zip");
    for (std::size_t at : { std::size_t(22), zip.find("PK\x01\x02") + 24 }) {
        zip[at] = 0, zip[at + 1] = 4, zip[at + 2] = 0, zip[at + 3] = 0;
    }
    spit(m_dir / "bomb.zip", zip);
    spit(m_dir / "out_big_earlier", "");
    const Outcome run = extract((m_dir / "bomb.zip").string(), m_dir / "out");
    EXPECT_EQ(run.errors, std::vector<int> { msgBadBlock });
    // The failed member leaves nothing under its name.
    EXPECT_TRUE(tree(m_dir / "out").empty());

    // A CRC that fails: the file is kept and the failure reported.
    spit(m_dir / "crc.zip", handZip({ { "c.txt", "data" } }, true));
    TZipExtractor x;
    const Outcome crc = extract((m_dir / "crc.zip").string(), m_dir / "out2", x);
    ASSERT_EQ(crc.ends.size(), 1u);
    EXPECT_FALSE(crc.ends.begin()->second);
    EXPECT_EQ(slurp(m_dir / "out2" / "c.txt"), "data");
    // The hand-made stamp has day 0, which gives 1 January 1980 00:00
    // (the tests run in UTC).
    struct stat info { };
    ASSERT_EQ(::stat((m_dir / "out2" / "c.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 315532800);
    // Without OnEnd the failure comes as 25151.
    TZipExtractor quiet;
    std::vector<int> errors;
    quiet.SetArchiveFile((m_dir / "crc.zip").string());
    quiet.SetExtractDir((m_dir / "out3").string());
    quiet.OnError = [&](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                        int32_t code) { errors.push_back(code); };
    quiet.Extract();
    EXPECT_EQ(errors, std::vector<int> { msgCrcFailed });

    // Deflate's stored-block length and its complement disagree: 25109,
    // and the run ends there (the next member is not written).
    ASSERT_EQ(sh("python3 -c \"import zipfile; z = zipfile.ZipFile('s.zip', 'w', zipfile.ZIP_DEFLATED, "
                 "compresslevel=0); "
                 "z.writestr('a.txt', 'stored block'); z.writestr('b.txt', 'next'); z.close()\""),
        0);
    std::string stored = slurp(m_dir / "s.zip");
    ASSERT_EQ(stored.compare(30, 5, "a.txt"), 0);
    const std::size_t block = 30 + 5 + (uint8_t(stored[28]) | uint8_t(stored[29]) << 8);
    ASSERT_EQ(stored[block] & 7, 1); // a final stored block
    stored[block + 3] = char(stored[block + 3] ^ 0x01);
    spit(m_dir / "s.zip", stored);
    const Outcome lengths = extract((m_dir / "s.zip").string(), m_dir / "out4");
    EXPECT_EQ(lengths.errors, std::vector<int> { msgBadBlock });
    EXPECT_TRUE(tree(m_dir / "out4").empty());

    // A stream that ends before the stated size, its CRC that of the short
    // stream: the member is not whole, and is reported as a failure.
    ASSERT_EQ(sh("python3 -c \"import zipfile; z = zipfile.ZipFile('short.zip', 'w', zipfile.ZIP_DEFLATED); "
                 "z.writestr('a.txt', 'data'); z.close()\""),
        0);
    std::string shortened = slurp(m_dir / "short.zip");
    for (std::size_t at : { std::size_t(22), shortened.find("PK\x01\x02") + 24 })
        shortened[at] = 10;
    spit(m_dir / "short.zip", shortened);
    const Outcome cut = extract((m_dir / "short.zip").string(), m_dir / "out5");
    ASSERT_EQ(cut.ends.size(), 1u);
    EXPECT_FALSE(cut.ends.begin()->second);
}

TEST_F(ZipExtractorTest, PasswordFlow)
{
    spit(m_dir / "a.txt", "alpha");
    spit(m_dir / "b.txt", "beta");
    const std::string archive = (m_dir / "p.zip").string();
    // zip draws each member's encryption header at random, and one wrong
    // password in 256 passes its check byte by chance. Make the archive
    // again until none of the wrong passwords below does, so each row
    // tests the flow and not the dice.
    bool clean = false;
    for (int attempt = 0; attempt < 50 && !clean; ++attempt) {
        fs::remove(archive);
        ASSERT_EQ(sh("zip -q -P right p.zip a.txt b.txt"), 0);
        TZipExtractor probe;
        probe.Passwords = { "wrong", "bad", "x", "y", "z", "w" };
        extract(archive, m_dir / "probe", probe);
        clean = tree(m_dir / "probe").empty();
        fs::remove_all(m_dir / "probe");
    }
    ASSERT_TRUE(clean);
    struct Row {
        const char* name;
        std::vector<std::string> passwords;
        std::vector<std::string> answers; // handler answers; empty: no handler
        std::vector<int> errors;
        std::size_t written;
        int asked;
    };
    const Row rows[] = {
        { "fromTheList", { "wrong", "right" }, {}, {}, 2, 0 },
        { "noListNoHandler", {}, {}, {}, 0, 0 },
        { "handlerRightSecondTime", {}, { "bad", "right" }, { msgInvalidPassword }, 2, 2 },
        { "handlerAlwaysWrong", {}, { "x", "y", "z", "w" },
            { msgInvalidPassword, msgInvalidPassword, msgInvalidPassword, msgPasswordFailed }, 0, 3 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TZipExtractor x;
        x.Passwords = row.passwords;
        int asked = 0;
        if (!row.answers.empty())
            x.OnGetPassword
                = [&](TExtractorBase&, const std::string&, std::string& password, bool& tryAgain) {
                      password = row.answers[std::size_t(asked++)];
                      tryAgain = true;
                  };
        const Outcome run = extract(archive, m_dir / "out", x);
        EXPECT_EQ(run.errors, row.errors);
        EXPECT_EQ(tree(m_dir / "out").size(), row.written);
        EXPECT_EQ(asked, row.asked);
        if (row.name == std::string("handlerRightSecondTime")) {
            EXPECT_EQ(x.Passwords, std::vector<std::string> { "right" });
        }
        fs::remove_all(m_dir / "out");
    }
}

} // namespace
} // namespace ov
