// The lister and the extractor of one kind read one archive alike: every
// fixture of ZIP, LHA, ARC and ARJ is listed and extracted, and each member's
// name, sizes, date, attributes and CRC agree, and the extractor read the
// member's header at the offset the listing reported. Then the directories
// that are cut or damaged (one report, `ovtool arc t` and `x` exit 1) and
// the ZIP whose directory entries overlap one member's data.
#include "archive/archive_lister.h"
#include "archive/extract/arc_extractor.h"
#include "archive/extract/arj_extractor.h"
#include "archive/extract/lha_extractor.h"
#include "archive/extract/zip_extractor.h"
#include "archive/messages.h"

#include "extract_support.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

namespace ov::test {
namespace {

fs::path listingData()
{
    return fs::path(OV_DATA_DIR) / "archive";
}

// The file store of the host, recording the offset of every read.
class RecordingStore : public FileStore {
public:
    std::unique_ptr<FileLayer> open(const std::string& path) override
    {
        auto file = m_host->open(path);
        if (!file)
            return nullptr;
        return std::make_unique<Layer>(std::move(file), m_reads);
    }
    bool exists(const std::string& path) override { return m_host->exists(path); }
    const std::set<int64_t>& reads() const { return *m_reads; }

private:
    class Layer : public FileLayer {
    public:
        Layer(std::unique_ptr<FileLayer> file, std::shared_ptr<std::set<int64_t>> reads)
            : m_file(std::move(file))
            , m_reads(std::move(reads))
        {
        }
        int64_t size() const override { return m_file->size(); }
        std::size_t readAt(int64_t offset, void* buffer, std::size_t length) override
        {
            m_reads->insert(offset);
            return m_file->readAt(offset, buffer, length);
        }
        bool close() override { return m_file->close(); }
        int64_t modificationTime() const override { return m_file->modificationTime(); }
        uint16_t attributes() const override { return m_file->attributes(); }

    private:
        std::unique_ptr<FileLayer> m_file;
        std::shared_ptr<std::set<int64_t>> m_reads;
    };

    std::shared_ptr<FileStore> m_host = hostFileStore();
    std::shared_ptr<std::set<int64_t>> m_reads = std::make_shared<std::set<int64_t>>();
};

struct Member {
    std::string name; // stored path, "\" separated
    int64_t packed = 0;
    int64_t unpacked = 0;
    TDateTime date = 0;
    uint16_t attributes = 0;
    uint32_t crc = 0;
    int64_t offset = -1; // listing only
    bool split = false; // listing: summed over the volumes of a set
};

struct Listing {
    std::vector<Member> members;
    std::vector<int> errors;
};

Listing listArchive(const fs::path& archive)
{
    Listing result;
    TArchiveLister lister;
    lister.OnError = [&](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                         int32_t code) { result.errors.push_back(code); };
    lister.OnRead = [&](TArchiveLister& l, int64_t offset, int32_t) {
        result.members.push_back({ l.FileName, l.PackedSize, l.UnpackedSize, l.FileDate, l.ExternalAttr,
            l.Crc, offset, !l.VolumeName.empty() });
    };
    lister.SetArchiveFile(archive.string());
    lister.Activate();
    return result;
}

struct Extraction {
    std::vector<Member> members; // as OnBegin saw the current entry
    std::vector<int> errors;
    std::set<int64_t> reads;
};

Extraction extractArchive(TExtractorBase& x, const fs::path& archive, const fs::path& target)
{
    Extraction result;
    auto store = std::make_shared<RecordingStore>();
    x.SetFileStore(store);
    x.SetArchiveFile(archive.string());
    x.SetExtractDir(target.string());
    x.OnError = [&](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                    int32_t code) { result.errors.push_back(code); };
    x.OnBegin = [&](TExtractorBase& s, const std::string& fn, int32_t, bool&) {
        std::string name = fn.substr(std::min(fn.size(), target.string().size() + 1));
        std::replace(name.begin(), name.end(), '/', '\\');
        result.members.push_back({ name, s.PackedSize, s.UnpackedSize, s.FileDate, s.ExternalAttr, s.Crc });
    };
    x.Extract();
    result.reads = store->reads();
    return result;
}

struct Kind {
    const char* name;
    std::function<std::unique_ptr<TExtractorBase>()> make;
    std::function<bool(const std::string&)> takes; // fixture file name
    std::vector<std::string> extensions; // public archives of the kind
};

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}
bool endsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

const Kind Kinds[] = {
    { "ZIP", [] { return std::make_unique<TZipExtractor>(); },
        [](const std::string& f) {
            return startsWith(f, "zip") && (endsWith(f, ".zip") || endsWith(f, ".exe"))
                && f != "zip_overlap_bomb.zip" && f != "zip_cut_directory.zip";
        },
        { ".zip" } },
    { "LHA", [] { return std::make_unique<TLhaExtractor>(); },
        [](const std::string& f) { return startsWith(f, "lha") && endsWith(f, ".lzh"); },
        { ".lzh", ".lha" } },
    { "ARC", [] { return std::make_unique<TArcExtractor>(); },
        [](const std::string& f) { return startsWith(f, "arc") && endsWith(f, ".arc"); }, { ".arc" } },
    { "ARJ", [] { return std::make_unique<TArjExtractor>(); },
        [](const std::string& f) { return startsWith(f, "arj") && endsWith(f, ".arj"); }, { ".arj" } },
};

std::vector<fs::path> fixturesOf(const Kind& kind)
{
    std::vector<fs::path> paths;
    for (const fs::path& folder : { listingData(), dataDir() })
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && kind.takes(entry.path().filename().string()))
                paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The public archives of the kind among the shared fixtures (none when they
// are not installed).
std::vector<fs::path> publicArchivesOf(const Kind& kind)
{
    std::vector<fs::path> paths;
    if (!fs::exists(sharedDir()))
        return paths;
    for (const auto& entry : fs::recursive_directory_iterator(sharedDir())) {
        if (!entry.is_regular_file() || entry.file_size() > 8 * 1024 * 1024)
            continue;
        std::string extension = entry.path().extension().string();
        for (char& c : extension)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (std::find(kind.extensions.begin(), kind.extensions.end(), extension) != kind.extensions.end())
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Member by member, the listing and the extraction agree.
void expectAgreement(const Listing& listed, const Extraction& extracted)
{
    ASSERT_EQ(extracted.members.size(), listed.members.size());
    for (std::size_t i = 0; i < listed.members.size(); ++i) {
        const Member& l = listed.members[i];
        const Member& e = extracted.members[i];
        SCOPED_TRACE(l.name);
        // A stored absolute name is written under the target folder.
        EXPECT_EQ(e.name,
            l.name.substr(
                l.name.find_first_not_of('\\') == std::string::npos ? 0 : l.name.find_first_not_of('\\')));
        if (!l.split) {
            EXPECT_EQ(e.packed, l.packed);
            EXPECT_EQ(e.unpacked, l.unpacked);
        }
        EXPECT_EQ(e.date, l.date);
        EXPECT_EQ(e.attributes, l.attributes);
        EXPECT_EQ(e.crc, l.crc);
        EXPECT_TRUE(extracted.reads.count(l.offset)) << "no read at " << l.offset;
    }
}

class FormatAgreementTest : public ExtractTest { };

TEST_F(FormatAgreementTest, ListerAndExtractorReadEveryFixtureAlike)
{
    for (const Kind& kind : Kinds) {
        int fixtures = 0;
        for (const fs::path& archive : fixturesOf(kind)) {
            SCOPED_TRACE(archive.filename().string());
            const Listing listed = listArchive(archive);
            auto x = kind.make();
            const Extraction extracted = extractArchive(*x, archive, out());
            fs::remove_all(out());
            // Garbled ARJ members end the run before they are begun.
            if (archive.filename() == "arj_garbled.arj")
                continue;
            ++fixtures;
            for (const int code : extracted.errors) {
                if (!listed.members.empty()) {
                    EXPECT_TRUE(code != msgBadFileHeader && code != msgInconsistentLocalHeader
                        && code != msgHeaderIdError)
                        << code;
                }
            }
            expectAgreement(listed, extracted);
        }
        EXPECT_GE(fixtures, 3) << kind.name;
    }
}

// The same over the public archives of other tools' test suites, damaged
// ones included: whatever one reads, the other reads too.
TEST_F(FormatAgreementTest, ListerAndExtractorReadPublicArchivesAlike)
{
    int archives = 0;
    for (const Kind& kind : Kinds) {
        for (const fs::path& archive : publicArchivesOf(kind)) {
            SCOPED_TRACE(archive.string());
            auto x = kind.make();
            const Listing listed = listArchive(archive);
            const Extraction extracted = extractArchive(*x, archive, out());
            fs::remove_all(out());
            // Only what the extractor takes: the right kind, no garbled ARJ
            // member (it ends the run before it is begun) and no name that
            // would leave the target (refused before it is begun).
            const auto& errors = extracted.errors;
            auto raised = [&errors](int code) { return std::count(errors.begin(), errors.end(), code) > 0; };
            if (raised(msgUnsupportedArchiveType) || raised(msgPasswordProtected)
                || raised(msgInvalidFileName))
                continue;
            ++archives;
            expectAgreement(listed, extracted);
        }
    }
    if (archives == 0)
        GTEST_SKIP() << "no public archives at " << sharedDir();
}

// Overlapping directory entries: the first member keeps its data, every
// later entry pointing into it is refused with 25108.
TEST_F(FormatAgreementTest, OverlappingZipMembersAreRefused)
{
    TZipExtractor x;
    const Extraction run = extractArchive(x, listingData() / "zip_overlap_bomb.zip", out());
    ASSERT_EQ(run.members.size(), 1u);
    EXPECT_EQ(run.errors, std::vector<int>(49, msgBadFileHeader));
    EXPECT_EQ(fs::file_size(out() / "bomb00.bin"), 1u << 20);
    int written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out()))
        written += entry.is_regular_file();
    EXPECT_EQ(written, 1);
}

// An archive cut where the next header is due (or a ZIP directory ending
// before its count): the members before it are read, and the loss is
// reported once by the listing, by the extractor and by ovtool's exit code.
TEST_F(FormatAgreementTest, CutDirectoriesAreReportedOnce)
{
    struct Row {
        const char* fixture;
        const Kind& kind;
        int extractorCode; // the extractor's report of the loss
    };
    const Row rows[] = {
        { "zip_cut_directory.zip", Kinds[0], msgBadFileHeader },
        { "lha_lh5_h0.lzh", Kinds[1], msgBadFileHeader },
        { "lha_lh5_h1.lzh", Kinds[1], msgBadFileHeader },
        { "lha_lh5_h2.lzh", Kinds[1], msgBadFileHeader },
        { "arc_mixed.arc", Kinds[2], msgBadFileHeader },
        { "arj_m1.arj", Kinds[3], msgErrorReading },
    };
    const fs::path ovtool = fs::path(OV_BINARY_DIR) / "cli" / "ovtool";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        fs::path archive = listingData() / row.fixture;
        if (!fs::exists(archive))
            archive = dataDir() / row.fixture;
        std::size_t whole = 0;
        if (std::string(row.fixture) != "zip_cut_directory.zip") {
            // Cut the archive where its last member's header starts.
            const Listing full = listArchive(archive);
            ASSERT_GE(full.members.size(), 2u);
            ASSERT_TRUE(full.errors.empty());
            whole = full.members.size();
            const fs::path cut = in() / archive.filename();
            spit(cut, slurp(archive).substr(0, std::size_t(full.members.back().offset)));
            archive = cut;
        } else {
            whole = 2;
        }
        const Listing listed = listArchive(archive);
        EXPECT_EQ(listed.members.size(), whole - 1);
        EXPECT_EQ(listed.errors, std::vector<int> { msgBadFileHeader });

        auto x = row.kind.make();
        const Extraction extracted = extractArchive(*x, archive, out());
        EXPECT_EQ(extracted.members.size(), whole - 1);
        EXPECT_EQ(extracted.errors, std::vector<int> { row.extractorCode });
        fs::remove_all(out());

        if (!fs::exists(ovtool))
            continue;
        const std::string quiet = "' >/dev/null 2>&1";
        EXPECT_NE(std::system(("'" + ovtool.string() + "' arc t '" + archive.string() + quiet).c_str()), 0);
        EXPECT_NE(std::system((
                      "'" + ovtool.string() + "' arc x '" + archive.string() + "' '" + out().string() + quiet)
                                  .c_str()),
            0);
        fs::remove_all(out());
    }
}

} // namespace
} // namespace ov::test
