// Where extracted members land: a ":" in a member name is kept unless it
// follows one drive letter at the start; the output folder the user chose
// may be reached through links (its own path is the user's), while a link
// inside the extracted tree is never written through; a member that cannot
// be written reports the write error, not a failed CRC.
#include "archive/crc.h"
#include "archive/extract/arc_extractor.h"
#include "archive/extract/arj_extractor.h"
#include "archive/extract/lha_extractor.h"
#include "archive/extract/zip_extractor.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

#include <array>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace ov::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// A ZIP of stored members with the names exactly as given (DOS host, so no
// name is read as a Unix one).
std::string storedZip(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string local, central;
    for (const auto& [name, data] : members) {
        const uint32_t crc = crc32(data.data(), data.size());
        const uint32_t offset = uint32_t(local.size());
        put32(local, 0x04034B50);
        put16(local, 10), put16(local, 0), put16(local, 0); // version, flags, method
        put16(local, 0), put16(local, 0x21); // 1 January 1980
        put32(local, crc), put32(local, uint32_t(data.size())), put32(local, uint32_t(data.size()));
        put16(local, unsigned(name.size())), put16(local, 0);
        local += name + data;
        put32(central, 0x02014B50);
        put16(central, 20), put16(central, 10), put16(central, 0), put16(central, 0);
        put16(central, 0), put16(central, 0x21);
        put32(central, crc), put32(central, uint32_t(data.size())), put32(central, uint32_t(data.size()));
        put16(central, unsigned(name.size())), put16(central, 0), put16(central, 0); // name, extra, comment
        put16(central, 0), put16(central, 0), put32(central, 0x20), put32(central, offset);
        central += name;
    }
    std::string zip = local + central;
    put32(zip, 0x06054B50);
    put16(zip, 0), put16(zip, 0), put16(zip, unsigned(members.size())), put16(zip, unsigned(members.size()));
    put32(zip, uint32_t(central.size())), put32(zip, uint32_t(local.size()));
    put16(zip, 0);
    return zip;
}

// The ovtool of this build tree, run in `folder`; its output and exit code.
std::pair<std::string, int> ovtool(const fs::path& folder, const std::string& arguments)
{
    const fs::path tool = fs::path(OV_BINARY_DIR) / "cli" / "ovtool";
    const std::string command
        = "cd '" + folder.string() + "' && '" + tool.string() + "' " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return { output, -1 };
    std::array<char, 4096> buffer;
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), got);
    const int status = pclose(pipe);
    return { output, WIFEXITED(status) ? WEXITSTATUS(status) : -1 };
}

class ExtractTargetTest : public ExtractTest {
protected:
    bool haveOvtool()
    {
        if (fs::exists(fs::path(OV_BINARY_DIR) / "cli" / "ovtool"))
            return true;
        if (std::getenv("CI"))
            ADD_FAILURE() << "ovtool not built";
        return false;
    }
};

// Names with ":" that is not a drive used to lose their first two or three
// characters, so that logs/10:00.log and dogs/10:00.log both became
// gs/10:00.log and one replaced the other.
TEST_F(ExtractTargetTest, ColonsInNamesAreKept)
{
    const fs::path zip = in() / "colons.zip";
    spit(zip,
        storedZip({ { "logs/10:00.log", "logs" }, { "dogs/10:00.log", "dogs" },
            { "c:/x1", "drive and slash" }, { "C:\\x2", "drive and backslash" }, { "d:x3", "drive only" },
            { "1:x", "digit" }, { "ab:x", "two letters" }, { "a:", "a drive and nothing else" } }));
    TZipExtractor x;
    const Outcome run = runExtractor(x, zip, out());
    // "a:" leaves no name to write.
    EXPECT_THAT(run.errors, ElementsAre(msgInvalidFileName));
    std::map<std::string, std::string> written;
    for (const auto& [path, hash] : hashTree(out()))
        written[path] = slurp(out() / path);
    const std::map<std::string, std::string> expected = {
        { "logs/10:00.log", "logs" },
        { "dogs/10:00.log", "dogs" },
        { "x1", "drive and slash" },
        { "x2", "drive and backslash" },
        { "x3", "drive only" },
        { "1:x", "digit" },
        { "ab:x", "two letters" },
    };
    EXPECT_EQ(written, expected);
    for (const auto& [fn, pass] : run.ends)
        EXPECT_TRUE(pass) << fn;
    EXPECT_TRUE(strays().empty());
}

// A target reached through a link (a home behind a link, a linked work
// folder) is the user's choice: everything is written there, and the
// member events name the target as the user gave it.
TEST_F(ExtractTargetTest, TargetBehindALinkIsWritten)
{
    const fs::path zip = in() / "t.zip";
    spit(zip, storedZip({ { "top.txt", "top" }, { "sub/deep/inner.txt", "inner" } }));
    const fs::path real = m_dir / "real";
    fs::create_directories(real);
    fs::create_directory_symlink(real, m_dir / "linkdir");

    TZipExtractor x;
    const fs::path target = m_dir / "linkdir" / "out";
    const Outcome run = runExtractor(x, zip, target);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(run.ends,
        (std::map<std::string, bool> {
            { (target / "sub/deep/inner.txt").string(), true }, { (target / "top.txt").string(), true } }));
    EXPECT_EQ(slurp(real / "out" / "top.txt"), "top");
    EXPECT_EQ(slurp(real / "out" / "sub/deep/inner.txt"), "inner");

    // The same through ovtool, with a relative target under the link.
    if (!haveOvtool())
        return;
    const auto [output, code] = ovtool(m_dir, "arc x in/t.zip linkdir/again");
    EXPECT_EQ(code, 0) << output;
    EXPECT_THAT(output, Not(HasSubstr("CRC failed")));
    EXPECT_EQ(slurp(real / "again" / "sub/deep/inner.txt"), "inner");
}

// Below the target, a link where a member's folder must be refuses that
// member (whoever made the link); nothing is written outside the target and
// the other members are written.
TEST_F(ExtractTargetTest, LinksInsideTheTreeAreRefused)
{
    const fs::path zip = in() / "t.zip";
    spit(zip,
        storedZip(
            { { "sub/escape.txt", "escape" }, { "ok/a/escape.txt", "deeper" }, { "plain.txt", "plain" } }));
    const fs::path elsewhere = m_dir / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(out() / "ok");
    fs::create_directory_symlink(elsewhere, out() / "sub");
    fs::create_directory_symlink(elsewhere, out() / "ok" / "a");

    TZipExtractor x;
    const Outcome run = runExtractor(x, zip, out());
    EXPECT_THAT(run.errors, ElementsAre(msgErrorWriting, msgErrorWriting));
    EXPECT_FALSE(run.ends.at((out() / "sub/escape.txt").string()));
    EXPECT_FALSE(run.ends.at((out() / "ok/a/escape.txt").string()));
    EXPECT_TRUE(run.ends.at((out() / "plain.txt").string()));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_EQ(slurp(out() / "plain.txt"), "plain");
    EXPECT_TRUE(fs::is_symlink(out() / "sub"));
}

// The LHA, ARJ and ARC extractors write under a target behind a link just
// the same; a link below it where a member's folder must be refuses that
// member (their own open-failure message) and nothing lands outside.
TEST_F(ExtractTargetTest, EveryExtractorFollowsTheUsersLinkOnly)
{
    struct Row {
        const char* fixture;
        std::function<std::unique_ptr<TExtractorBase>()> make;
        int refused; // the message of a member whose folder is a link; 0: no folders
    };
    const Row rows[] = {
        { "lha_lh5_h0.lzh", [] { return std::make_unique<TLhaExtractor>(); }, msgErrorOpening },
        { "arj_m1.arj", [] { return std::make_unique<TArjExtractor>(); }, msgErrorOpening },
        { "arc_best.arc", [] { return std::make_unique<TArcExtractor>(); }, 0 },
    };
    const fs::path real = m_dir / "real";
    fs::create_directories(real);
    fs::create_directory_symlink(real, m_dir / "linkdir");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        const fs::path archive = dataDir() / row.fixture;
        const Hashes manifest = readManifest(archive.string() + ".sha256");
        auto x = row.make();
        const Outcome run = runExtractor(*x, archive, m_dir / "linkdir" / "out");
        EXPECT_TRUE(run.errors.empty());
        EXPECT_EQ(hashTree(real / "out"), manifest);
        fs::remove_all(real / "out");
        if (!row.refused)
            continue;

        const fs::path elsewhere = m_dir / "elsewhere";
        fs::create_directories(elsewhere);
        fs::create_directories(out());
        fs::create_directory_symlink(elsewhere, out() / "sub");
        auto y = row.make();
        const Outcome refused = runExtractor(*y, archive, out());
        EXPECT_THAT(refused.errors, ElementsAre(row.refused));
        EXPECT_TRUE(fs::is_empty(elsewhere));
        EXPECT_TRUE(fs::is_symlink(out() / "sub"));
        fs::remove(out() / "sub");
        Hashes expected = manifest;
        expected.erase("sub/inner.txt");
        EXPECT_EQ(hashTree(out()), expected);
        fs::remove_all(out());
        fs::remove_all(elsewhere);
    }
}

// A member that cannot be written (here its folder cannot be made: a file
// stands where the target folder must be) reports 25136, never 25151.
TEST_F(ExtractTargetTest, AFailedWriteIsTheWriteError)
{
    const fs::path zip = in() / "t.zip";
    spit(zip, storedZip({ { "a.txt", "a" }, { "b/c.txt", "c" } }));
    spit(m_dir / "file", "a file where the target folder must be");
    const fs::path target = m_dir / "file" / "out";

    TZipExtractor x;
    const Outcome run = runExtractor(x, zip, target);
    EXPECT_THAT(run.errors, ElementsAre(msgErrorWriting, msgErrorWriting));
    for (const auto& [fn, pass] : run.ends)
        EXPECT_FALSE(pass) << fn;

    // Without OnEnd the write error stands alone.
    TZipExtractor bare;
    std::vector<int> codes;
    bare.SetArchiveFile(zip.string());
    bare.SetExtractDir(target.string());
    bare.OnError = [&codes](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                       int32_t code) { codes.push_back(code); };
    bare.Extract();
    EXPECT_THAT(codes, ElementsAre(msgErrorWriting, msgErrorWriting));

    if (!haveOvtool())
        return;
    const auto [output, code] = ovtool(m_dir, "arc x in/t.zip file/out");
    EXPECT_EQ(code, 1);
    EXPECT_THAT(output, HasSubstr("25136"));
    EXPECT_THAT(output, Not(HasSubstr("CRC failed")));
}

// A member that cannot be written is reported by its write or open error
// alone, by every extractor: never a second time as a CRC failure.
TEST_F(ExtractTargetTest, NoExtractorCallsAFailedWriteACrcFailure)
{
    const struct {
        const char* fixture;
        std::function<std::unique_ptr<TExtractorBase>()> make;
        int reported;
    } rows[] = {
        { "lha_lh5_h0.lzh", [] { return std::make_unique<TLhaExtractor>(); }, msgErrorOpening },
        { "arj_m1.arj", [] { return std::make_unique<TArjExtractor>(); }, msgErrorOpening },
        { "arc_best.arc", [] { return std::make_unique<TArcExtractor>(); }, msgErrorWriting },
    };
    spit(m_dir / "file", "a file where the target folder must be");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fixture);
        auto x = row.make();
        std::vector<int> codes;
        x->SetArchiveFile((dataDir() / row.fixture).string());
        x->SetExtractDir((m_dir / "file" / "out").string());
        x->OnError = [&codes](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                         int32_t code) { codes.push_back(code); };
        x->Extract();
        ASSERT_FALSE(codes.empty());
        EXPECT_THAT(codes, Each(row.reported));
    }
}

// What stands at a member's name decides: a file or a link there is
// replaced (the link itself, never what it names), a folder or a FIFO
// refuses the member (the FIFO without blocking the run) and stays.
TEST_F(ExtractTargetTest, WhatStandsAtTheTargetsName)
{
    const fs::path zip = in() / "t.zip";
    spit(zip,
        storedZip({ { "file.txt", "new" }, { "link.txt", "new" }, { "folder", "new" }, { "fifo", "new" } }));
    fs::create_directories(out() / "folder");
    spit(out() / "file.txt", "old");
    spit(m_dir / "named.txt", "named");
    fs::create_symlink(m_dir / "named.txt", out() / "link.txt");
    ASSERT_EQ(mkfifo((out() / "fifo").c_str(), 0644), 0);

    TZipExtractor x;
    const Outcome run = runExtractor(x, zip, out());
    EXPECT_THAT(run.errors, ElementsAre(msgErrorWriting, msgErrorWriting));
    EXPECT_TRUE(run.ends.at((out() / "file.txt").string()));
    EXPECT_TRUE(run.ends.at((out() / "link.txt").string()));
    EXPECT_FALSE(run.ends.at((out() / "folder").string()));
    EXPECT_FALSE(run.ends.at((out() / "fifo").string()));
    EXPECT_EQ(slurp(out() / "file.txt"), "new");
    EXPECT_FALSE(fs::is_symlink(out() / "link.txt"));
    EXPECT_EQ(slurp(out() / "link.txt"), "new");
    EXPECT_EQ(slurp(m_dir / "named.txt"), "named");
    EXPECT_TRUE(fs::is_directory(out() / "folder"));
    EXPECT_TRUE(fs::is_fifo(out() / "fifo"));
    // No temporary file is left beside the members.
    EXPECT_EQ(std::distance(fs::directory_iterator(out()), fs::directory_iterator()), 4);
}

// A read-only file from an earlier run is replaced: its read-only attribute
// is cleared and the file written once more. Run as an ordinary user (root
// may write any file), in a child that drops to nobody.
TEST_F(ExtractTargetTest, AReadOnlyFileIsReplaced)
{
    const fs::path zip = in() / "t.zip";
    spit(zip, storedZip({ { "kept.txt", "new" } }));
    fs::create_directories(out());
    spit(out() / "kept.txt", "old");
    fs::permissions(out() / "kept.txt", fs::perms(0444));
    if (geteuid() == 0) {
        const uid_t nobody = 65534;
        fs::permissions(m_dir, fs::perms(0755));
        fs::permissions(in(), fs::perms(0755));
        ASSERT_EQ(chown(out().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown((out() / "kept.txt").c_str(), nobody, nobody), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(2);
            TZipExtractor x;
            const Outcome run = runExtractor(x, zip, out());
            _exit(run.errors.empty() && run.ends.at((out() / "kept.txt").string()) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    } else {
        TZipExtractor x;
        const Outcome run = runExtractor(x, zip, out());
        EXPECT_TRUE(run.errors.empty());
    }
    EXPECT_EQ(slurp(out() / "kept.txt"), "new");
    EXPECT_EQ(fs::status(out() / "kept.txt").permissions(), fs::perms(0644));
}

// A Unix host's permission bits come back (an extracted program runs)
// less the umask, never setuid, setgid or sticky; a member of another host
// gets 0644, or 0444 when its read-only attribute is set. Until the modes
// were restored every member came out 0644 and no program would start.
TEST_F(ExtractTargetTest, UnixModesAreRestoredWithoutSpecialBits)
{
    if (std::system("command -v python3 >/dev/null") != 0)
        GTEST_SKIP() << "python3 not installed";
    struct Row {
        const char* name;
        int host; // 3 Unix, 0 DOS
        unsigned stored; // the high half of the external attributes
        unsigned dos; // the low byte
        unsigned umask;
        unsigned expected;
    };
    const Row rows[] = {
        { "program", 3, 0100755, 0, 022, 0755 },
        { "setuid", 3, 0104755, 0, 022, 0755 },
        { "setgid_sticky", 3, 0103775, 0, 022, 0755 },
        { "private", 3, 0100600, 0, 022, 0600 },
        { "group_write", 3, 0100775, 0, 027, 0750 },
        { "read_only", 3, 0100644, 1, 022, 0444 },
        { "dos_file", 0, 0, 0x20, 022, 0644 },
        { "dos_read_only", 0, 0, 0x21, 022, 0444 },
        { "unix_without_mode", 3, 0, 0x20, 022, 0644 },
    };
    // Python's zipfile writes the attributes exactly as given.
    std::string script = "import zipfile\n";
    for (const Row& row : rows)
        script += "z = zipfile.ZipFile('" + (in() / row.name).string() + ".zip', 'w')\n"
            + "i = zipfile.ZipInfo('" + row.name + "', (2020, 1, 2, 3, 4, 6))\ni.create_system = "
            + std::to_string(row.host) + "\ni.external_attr = (" + std::to_string(row.stored) + " << 16) | "
            + std::to_string(row.dos) + "\nz.writestr(i, b'bytes')\nz.close()\n";
    spit(in() / "make.py", script);
    ASSERT_EQ(std::system(("python3 '" + (in() / "make.py").string() + "'").c_str()), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path zip = in() / (std::string(row.name) + ".zip");
        const mode_t saved = ::umask(row.umask);
        TZipExtractor x;
        const Outcome run = runExtractor(x, zip, out());
        ::umask(saved);
        EXPECT_TRUE(run.errors.empty());
        struct stat facts { };
        ASSERT_EQ(::stat((out() / row.name).c_str(), &facts), 0);
        EXPECT_EQ(facts.st_mode & 07777, row.expected);
    }
}

} // namespace
} // namespace ov::test
