// TRarExtractor over the RAR layer: the public RAR 2.9-5 sets (stored,
// normal, best, filters, Unicode names, volume sets) extracted
// byte-identical to what unar extracts; RAR 1.5/2.0 compression, which
// libarchive cannot decode, reported and never written; a missing
// layer; a missing middle volume supplied through OnNextVolume and a
// cancelled one; encrypted members; link entries; malformed archives.
#include "archive/archive_lister.h"
#include "archive/extract/arj_extractor.h"
#include "archive/extract/rar_extractor.h"
#include "archive/extract/rar_library.h"
#include "archive/messages.h"
#include "tests/archive/extract/extract_support.h"

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// libarchive answers the huge sizes of hostile archives by asking for
// that much memory and failing cleanly when it is refused; under
// AddressSanitizer the refusal has to be asked for.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace ov::test {
namespace {

using ::testing::ElementsAre;

const std::string LayerPath = std::string(OV_BINARY_DIR) + "/archive/rarlayer/libovrar.so";

class RarExtractorTest : public ExtractTest {
protected:
    void SetUp() override
    {
        ExtractTest::SetUp();
        setRarLibraryPath(LayerPath);
        ASSERT_NE(rarLibrary(), nullptr) << LayerPath;
    }
    void TearDown() override
    {
        setRarLibraryPath({});
        ExtractTest::TearDown();
    }
};

TEST_F(RarExtractorTest, PublicSetsMatchUnar)
{
    OV_NEED_PUBLIC_ARCHIVES();
    for (const char* path : { "sharpcompress/Rar.rar", "sharpcompress/Rar.none.rar",
             "sharpcompress/Rar4.multi.part01.rar", "libarchive/test_read_format_rar_compress_best.rar",
             "libarchive/test_read_format_rar_filter.rar", "libarchive/test_read_format_rar5_compressed.rar",
             "libarchive/test_read_format_rar5_multiarchive.part01.rar", "rar-test-files/testfile.rar3.rar",
             "rar-test-files/testfile.rar5.rar" }) {
        SCOPED_TRACE(path);
        std::string manifest = path;
        manifest.replace(manifest.find('/'), 1, "__");
        TRarExtractor x;
        const Outcome run = runExtractor(x, sharedDir() / path, out());
        EXPECT_THAT(run.errors, ::testing::IsEmpty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_TRUE(pass) << fn;
        EXPECT_EQ(lowerCase(hashTree(out())), lowerCase(readManifest(dataDir() / (manifest + ".sha256"))));
        fs::remove_all(out());
    }
}

TEST_F(RarExtractorTest, MissingLayerFailsOnlyRar)
{
    OV_NEED_PUBLIC_ARCHIVES();
    setRarLibraryPath((m_dir / "no" / "libovrar.so").string());
    TRarExtractor x;
    const Outcome run = runExtractor(x, sharedDir() / "sharpcompress/Rar.rar", out());
    EXPECT_THAT(run.errors, ElementsAre(msgUnrarNotFound));
    EXPECT_FALSE(run.deactivated);
    EXPECT_FALSE(fs::exists(out()));
    // Everything else goes on working.
    TArjExtractor arj;
    const Outcome other = runExtractor(arj, dataDir() / "arj_m1.arj", out());
    EXPECT_TRUE(other.errors.empty());
    EXPECT_EQ(hashTree(out()), readManifest(dataDir() / "arj_m1.arj.sha256"));
}

TEST_F(RarExtractorTest, OldCompressionIsReportedNotWritten)
{
    OV_NEED_PUBLIC_ARCHIVES();
    for (const char* path : { "sharpcompress/Rar15.rar", "sharpcompress/Rar2.rar" }) {
        SCOPED_TRACE(path);
        TRarExtractor x;
        const Outcome run = runExtractor(x, sharedDir() / path, out());
        EXPECT_THAT(run.errors, ElementsAre(msgBadFileHeader));
        ASSERT_EQ(run.ends.size(), 1u);
        EXPECT_FALSE(run.ends.begin()->second);
        EXPECT_TRUE(hashTree(out()).empty());
    }
}

class RarVolumeTest : public RarExtractorTest {
protected:
    // The seven volumes of a set in in(), the second moved to elsewhere().
    void SetUp() override
    {
        RarExtractorTest::SetUp();
        OV_NEED_PUBLIC_ARCHIVES();
        for (int i = 1; i <= 7; ++i)
            fs::copy_file(sharedDir() / "sharpcompress" / volume(i), in() / volume(i));
        fs::create_directories(elsewhere());
        fs::rename(in() / volume(2), elsewhere() / volume(2));
    }
    fs::path elsewhere() const { return m_dir / "in" / "elsewhere"; }
    static std::string volume(int number) { return "Rar4.multi.part0" + std::to_string(number) + ".rar"; }
    fs::path first() const { return in() / volume(1); }
    Hashes manifest() const
    {
        return readManifest(dataDir() / "sharpcompress__Rar4.multi.part01.rar.sha256");
    }
};

TEST_F(RarVolumeTest, MissingMiddleVolumeSuppliedThroughOnNextVolume)
{
    TRarExtractor x;
    std::vector<std::string> asked;
    x.OnNextVolume = [&](TArchiveCommon&, std::string& dir, std::string& fn, const std::string& id,
                         bool exists, bool& cancel) {
        asked.push_back(fn + " " + id + (exists ? " there" : " missing"));
        if (!exists)
            dir = elsewhere().string();
        cancel = asked.size() > 10;
    };
    const Outcome run = runExtractor(x, first(), out());
    EXPECT_THAT(asked,
        ElementsAre(volume(2) + " 1 missing", volume(3) + " 2 there", volume(4) + " 3 there",
            volume(5) + " 4 there", volume(6) + " 5 there", volume(7) + " 6 there"));
    EXPECT_THAT(run.errors, ::testing::IsEmpty());
    EXPECT_EQ(hashTree(out()), manifest());
}

TEST_F(RarVolumeTest, CancelledVolumeEndsTheRunWithoutPartialFiles)
{
    TRarExtractor x;
    x.OnNextVolume = [](TArchiveCommon&, std::string&, std::string&, const std::string&, bool, bool& cancel) {
        cancel = true;
    };
    const Outcome run = runExtractor(x, first(), out());
    EXPECT_THAT(run.errors, ElementsAre(msgBrokenVolumeChain));
    ASSERT_FALSE(run.ends.empty());
    // The member that spans the missing volume is reported failed and not
    // written; members before it are complete.
    for (const auto& [path, hash] : hashTree(out()))
        EXPECT_EQ(manifest().at(path), hash) << path;
    EXPECT_FALSE(run.ends.rbegin()->second);
    EXPECT_TRUE(run.deactivated);
}

// A volume name that answers with a FIFO (or a device) is refused at once:
// the set breaks off there instead of the run blocking in the open. The
// alarm turns a hang into a failure.
TEST_F(RarVolumeTest, AFifoNamedAsAVolumeBreaksTheSet)
{
    fs::remove(elsewhere() / volume(2));
    ASSERT_EQ(mkfifo((elsewhere() / volume(2)).c_str(), 0644), 0);
    TRarExtractor x;
    int asked = 0;
    x.OnNextVolume = [&](TArchiveCommon&, std::string& dir, std::string&, const std::string&, bool exists,
                         bool& cancel) {
        if (!exists)
            dir = elsewhere().string();
        cancel = ++asked > 3;
    };
    alarm(60);
    const Outcome run = runExtractor(x, first(), out());
    alarm(0);
    EXPECT_THAT(run.errors, ElementsAre(msgBrokenVolumeChain));
    ASSERT_FALSE(run.ends.empty());
    EXPECT_FALSE(run.ends.rbegin()->second);
    EXPECT_TRUE(fs::is_fifo(elsewhere() / volume(2)));
}

TEST_F(RarExtractorTest, EncryptedMembersAreReported)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const fs::path encrypted = sharedDir() / "libarchive/test_read_format_rar_encryption_data.rar";
    TRarExtractor x;
    x.Password = "anything";
    int asked = 0;
    x.OnGetPassword = [&](TExtractorBase&, const std::string&, std::string& password, bool&) {
        password = "again";
        ++asked;
    };
    const Outcome run = runExtractor(x, encrypted, out());
    // The password, then the handler's two answers: each refused.
    EXPECT_THAT(run.errors, ElementsAre(msgInvalidPassword, msgInvalidPassword, msgInvalidPassword));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(hashTree(out()).empty());
    // Without a password or handler the member is reported just the same.
    TRarExtractor y;
    const Outcome bare = runExtractor(y, encrypted, out());
    EXPECT_THAT(bare.errors, ElementsAre(msgInvalidPassword));
    ASSERT_EQ(bare.ends.size(), 1u);
    EXPECT_FALSE(bare.ends.begin()->second);

    // libarchive 3.6 does not flag encrypted RAR 5 data: such a member
    // decodes to bytes that fail their check, reported as damaged.
    TRarExtractor z;
    const Outcome rar5
        = runExtractor(z, sharedDir() / "libarchive/test_read_format_rar5_encrypted.rar", out());
    EXPECT_THAT(rar5.errors, ElementsAre(msgBadFileHeader));
    const auto failed
        = std::count_if(rar5.ends.begin(), rar5.ends.end(), [](const auto& end) { return !end.second; });
    EXPECT_EQ(failed, 1);
}

// A stored member whose data was damaged decodes without complaint from
// the layer (RAR 4 and RAR 5 alike): its CRC-32 against the one in its
// header shows the damage (OnEnd false; 25151 without OnEnd), and the
// untouched archive passes whole. The copies with one flipped byte are made
// here from public archives.
TEST_F(RarExtractorTest, DamagedStoredMemberFailsItsCrc)
{
    OV_NEED_PUBLIC_ARCHIVES();
    // The first stored member of a RAR 4 archive, as our lister reads it:
    // its data starts after its header, whose size is at bytes 5-6.
    auto firstStoredRar4 = [](const fs::path& path, std::string& name) -> std::size_t {
        TArchiveLister lister;
        lister.SetArchiveFile(path.string());
        int64_t header = -1;
        lister.OnRead = [&](TArchiveLister& l, int64_t offset, int32_t) {
            if (header < 0 && l.MethodNumber == '0' && l.PackedSize > 16) {
                header = offset;
                name = l.FileName;
            }
        };
        lister.Activate();
        if (header < 0)
            return 0;
        const std::string bytes = slurp(path);
        return std::size_t(header)
            + (uint8_t(bytes[std::size_t(header) + 5]) | uint8_t(bytes[std::size_t(header) + 6]) << 8) + 10;
    };
    // The RAR 5 archive's one member holds this text.
    auto rar5Text = [](const fs::path& path, std::string& name) -> std::size_t {
        name = "helloworld.txt";
        const auto at = slurp(path).find("hello libarchive test suite");
        return at == std::string::npos ? 0 : at + 1;
    };
    const struct {
        const char* path;
        std::function<std::size_t(const fs::path&, std::string&)> damage; // the byte to flip, 0: none
    } rows[] = {
        { "sharpcompress/Rar.none.rar", firstStoredRar4 },
        { "libarchive/test_read_format_rar5_stored.rar", rar5Text },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const fs::path original = sharedDir() / row.path;
        std::string damaged;
        const std::size_t at = row.damage(original, damaged);
        ASSERT_GT(at, 0u) << "no stored member";
        std::replace(damaged.begin(), damaged.end(), '\\', '/');
        std::string bytes = slurp(original);
        bytes[at] ^= 0x20;
        const fs::path archive = in() / "damaged.rar";
        spit(archive, bytes);

        TRarExtractor x;
        const Outcome run = runExtractor(x, archive, out());
        EXPECT_THAT(run.errors, ::testing::IsEmpty());
        ASSERT_FALSE(run.ends.empty());
        for (const auto& [fn, pass] : run.ends)
            EXPECT_EQ(pass, fn != (out() / damaged).string()) << fn;

        TRarExtractor bare;
        std::vector<int> codes;
        bare.SetArchiveFile(archive.string());
        bare.SetExtractDir((m_dir / "bare").string());
        bare.OnError = [&codes](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                           int32_t code) { codes.push_back(code); };
        bare.Extract();
        EXPECT_THAT(codes, ElementsAre(msgCrcFailed));

        // The stored CRCs go to the right members: the original passes.
        TRarExtractor clean;
        fs::remove_all(out());
        const Outcome good = runExtractor(clean, original, out());
        EXPECT_THAT(good.errors, ::testing::IsEmpty());
        EXPECT_EQ(good.ends.size(), run.ends.size());
        for (const auto& [fn, pass] : good.ends)
            EXPECT_TRUE(pass) << fn;
        fs::remove_all(out());
        fs::remove_all(m_dir / "bare");
    }
}

// The RAR layer writes under a target reached through a link; a link inside
// the extracted tree refuses the member with the write error (which ends a
// RAR run), and nothing is written outside.
TEST_F(RarExtractorTest, TargetBehindALinkAndLinksInsideTheTree)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const fs::path archive = sharedDir() / "sharpcompress/Rar.none.rar";
    const fs::path real = m_dir / "real";
    fs::create_directories(real);
    fs::create_directory_symlink(real, m_dir / "linkdir");
    TRarExtractor x;
    const Outcome run = runExtractor(x, archive, m_dir / "linkdir" / "out");
    EXPECT_THAT(run.errors, ::testing::IsEmpty());
    EXPECT_EQ(run.ends.size(), 3u);
    for (const auto& [fn, pass] : run.ends)
        EXPECT_TRUE(pass) << fn;
    EXPECT_EQ(fs::file_size(real / "out" / "exe" / "test.exe"), 45056u);

    const fs::path elsewhere = m_dir / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(out());
    fs::create_directory_symlink(elsewhere, out() / "exe");
    TRarExtractor y;
    const Outcome refused = runExtractor(y, archive, out());
    EXPECT_THAT(refused.errors, ElementsAre(msgErrorWriting));
    EXPECT_FALSE(refused.ends.at((out() / "exe/test.exe").string()));
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(RarExtractorTest, LinksAndMalformedArchivesStayContained)
{
    OV_NEED_PUBLIC_ARCHIVES();
    for (const char* path :
        { "libarchive/test_read_format_rar.rar", "libarchive/test_read_format_rar5_symlink.rar",
            "libarchive/test_read_format_rar5_hardlink.rar", "libarchive/test_read_format_rar_invalid1.rar",
            "libarchive/test_read_format_rar_overflow.rar", "libarchive/test_read_format_rar_endarc_huge.rar",
            "libarchive/test_read_format_rar_newsub_huge.rar",
            "libarchive/test_read_format_rar_symlink_huge.rar",
            "libarchive/test_read_format_rar_ppmd_use_after_free.rar",
            "libarchive/test_read_format_rar_unbound_staticdata.rar",
            "libarchive/test_read_format_rar5_bad_tables.rar",
            "libarchive/test_read_format_rar5_truncated_huff.rar",
            "libarchive/test_read_format_rar5_distance_overflow.rar",
            "libarchive/test_read_format_rar5_invalid_dict_reference.rar",
            "sharpcompress/Rar.malformed_512byte.rar" }) {
        SCOPED_TRACE(path);
        TRarExtractor x;
        const Outcome run = runExtractor(x, sharedDir() / path, out());
        for (const auto& [file, hash] : hashTree(out()))
            EXPECT_NE(hash, "<link>") << file;
        EXPECT_TRUE(strays().empty());
        fs::remove_all(out());
    }
}

} // namespace
} // namespace ov::test
