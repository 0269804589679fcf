// Every committed fixture listed against its manifest (names, sizes, CRCs,
// methods and dates computed from the source files when the fixture was
// made), the public archives of the shared fixtures walked without fault,
// and the corruption matrix: each fixture truncated at ten places and with
// one flipped header byte must list without crash or hang.
#include "archive/archive_lister.h"
#include "archive/memory_file.h"
#include "tests/support/public_archives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace ov;
namespace fs = std::filesystem;

namespace {

const fs::path dataDir = fs::path(OV_DATA_DIR) / "archive";

std::vector<uint8_t> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Listed {
    std::vector<std::vector<std::string>> rows; // name, size, crc, method, date
    int64_t lastOffset = -1;
    bool offsetsIncrease = true;
    bool result = false;
    TArcType kind = atNA;
};

Listed list(const std::shared_ptr<FileStore>& store, const std::string& path)
{
    Listed listed;
    TArchiveLister lister;
    lister.SetFileStore(store);
    lister.TimeZoneBias = 0;
    lister.OnRead = [&](TArchiveLister& l, int64_t offset, int32_t) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x", l.Crc);
        listed.rows.push_back(
            { l.FileName, std::to_string(l.UnpackedSize), crc, l.MethodName, formatDateTime(l.FileDate) });
        (void)offset;
    };
    lister.SetArchiveFile(path);
    listed.kind = lister.ArcType();
    listed.result = lister.Activate();
    return listed;
}

std::vector<std::vector<std::string>> readManifest(const fs::path& path)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

std::vector<fs::path> fixtures()
{
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(dataDir)) {
        // Sub-folders hold other tests' fixtures (zip_sizes/).
        if (!entry.is_regular_file())
            continue;
        const auto extension = entry.path().extension().string();
        if (extension != ".manifest" && extension != ".sh" && extension != ".py" && extension != ".md")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

TEST(ArchiveFixtures, EveryFixtureMatchesItsManifest)
{
    int checked = 0;
    for (const auto& path : fixtures()) {
        const fs::path manifestPath = path.string() + ".manifest";
        if (!fs::exists(manifestPath))
            continue;
        SCOPED_TRACE(path.filename().string());
        const auto expected = readManifest(manifestPath);
        const Listed listed = list(hostFileStore(), path.string());
        EXPECT_TRUE(listed.result);
        ASSERT_EQ(listed.rows.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& want = expected[i];
            const auto& got = listed.rows[i];
            ASSERT_EQ(want.size(), 5u);
            EXPECT_EQ(got[0], want[0]);
            EXPECT_EQ(got[1], want[1]) << want[0];
            if (want[2] != "-") {
                EXPECT_EQ(got[2], want[2]) << want[0];
            }
            if (want[3] != "*") {
                EXPECT_EQ(got[3], want[3]) << want[0];
            }
            EXPECT_EQ(got[4], want[4]) << want[0];
        }
        ++checked;
    }
    EXPECT_GE(checked, 40);
}

TEST(ArchiveFixtures, KindsWithoutManifest)
{
    struct Row {
        const char* file;
        TArcType kind;
        const char* firstName;
    };
    const Row rows[] = {
        { "uue_hello.uue", atUUE, "hello.txt" },
        { "gz_compress.txt.Z", atGZip, "gz_compress.txt" },
        { "zip_sfx_7612.exe", atZipExe, "hello.txt" },
    };
    for (const auto& row : rows) {
        const Listed listed = list(hostFileStore(), (dataDir / row.file).string());
        EXPECT_EQ(arcTypeName(listed.kind), arcTypeName(row.kind)) << row.file;
        ASSERT_FALSE(listed.rows.empty()) << row.file;
        EXPECT_EQ(listed.rows[0][0], row.firstName) << row.file;
    }
}

TEST(ArchiveFixtures, SharedPublicArchivesListWithoutFault)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const fs::path shared = test::publicArchives();
    int listed = 0;
    int withMembers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(shared)) {
        if (!entry.is_regular_file() || entry.file_size() > 8 * 1024 * 1024)
            continue;
        const Listed result = list(hostFileStore(), entry.path().string());
        if (result.kind > atUnknown) {
            ++listed;
            withMembers += !result.rows.empty();
        }
    }
    EXPECT_GT(listed, 50);
    EXPECT_GT(withMembers, listed / 2);
}

TEST(ArchiveFixtures, CorruptionMatrix)
{
    for (const auto& path : fixtures()) {
        const std::vector<uint8_t> original = readAll(path);
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        std::vector<std::vector<uint8_t>> variants;
        for (int cut = 1; cut <= 10; ++cut)
            variants.emplace_back(
                original.begin(), original.begin() + static_cast<std::ptrdiff_t>(original.size() * cut / 11));
        for (std::size_t at :
            { std::size_t(2), std::size_t(5), std::size_t(9), std::size_t(21), std::size_t(30) }) {
            if (at >= original.size())
                continue;
            auto flipped = original;
            flipped[at] ^= 0xFF;
            variants.push_back(flipped);
            // The same in the last header region (ZIP directories, tails).
            auto tail = original;
            tail[original.size() - 1 - at] ^= 0x5A;
            variants.push_back(tail);
        }
        for (const auto& bytes : variants) {
            auto store = std::make_shared<MemoryFileStore>();
            store->add(name, bytes);
            const Listed listed = list(store, name);
            // Every reported member has its header inside the file, so there
            // can be no more members than bytes.
            EXPECT_LE(listed.rows.size(), bytes.size() + 1);
        }
    }
}
