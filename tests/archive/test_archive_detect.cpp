// Detection as one table: bytes × extension × size → kind and data offset,
// every row of the signature table in both modes, each probe offset and one
// byte short of it, the DOS image end, the ZIP tail search and the TAR
// checksum test.
#include "archive/archive_lister.h"
#include "archive/bytes.h"
#include "archive/detect.h"
#include "archive/memory_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace ov;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes withAt(Bytes bytes, std::size_t at, std::initializer_list<uint8_t> put)
{
    if (bytes.size() < at + put.size())
        bytes.resize(at + put.size());
    std::copy(put.begin(), put.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

Bytes filled(std::size_t size)
{
    return Bytes(size, 0x55);
}

// A program: "MZ" and a DOS header saying the image is `pages` pages with
// `lastPage` bytes in the last.
Bytes program(std::size_t size, uint16_t lastPage, uint16_t pages)
{
    Bytes bytes = filled(size);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[2] = static_cast<uint8_t>(lastPage);
    bytes[3] = static_cast<uint8_t>(lastPage >> 8);
    bytes[4] = static_cast<uint8_t>(pages);
    bytes[5] = static_cast<uint8_t>(pages >> 8);
    return bytes;
}

Bytes tarBlock(char volumeFlag = '0')
{
    Bytes block(1024, 0);
    std::memcpy(block.data(), "file.txt", 8);
    block[156] = static_cast<uint8_t>(volumeFlag);
    unsigned sum = 0;
    for (int i = 0; i < 512; ++i)
        sum += (i >= 148 && i < 156) ? 32 : block[static_cast<std::size_t>(i)];
    std::snprintf(reinterpret_cast<char*>(block.data() + 148), 8, "%06o", sum);
    block[155] = ' ';
    return block;
}

Detection detect(const Bytes& bytes, const std::string& name)
{
    MemoryFile file(std::make_shared<const Bytes>(bytes));
    return detectKind(file, name, 2000);
}

} // namespace

TEST(ArchiveDetect, SignatureTable)
{
    struct Row {
        std::initializer_list<uint8_t> bytes;
        TArcType plain;
        TArcType program;
    };
    const Row rows[] = {
        { { 'P', 'K', 1, 2 }, atZIP, atZipExe },
        { { 'P', 'K', 'G', '4' }, atUnknown, atUnknown },
        { { 0, 0, 0, 0x50 }, atZip250, atZip250Exe },
        { { 'M', 'S', 'C', 'F' }, atCAB, atUnsupported },
        { { 0x42, 0x48, 0x05, 0x07 }, atBH, atBHExe },
        { { 'H', 'A', 2, 0 }, atHA, atUnsupported },
        { { 0x1F, 0x8B, 8, 0 }, atGZip, atUnsupported },
        { { 0x1F, 0x9D, 0, 0 }, atGZip, atUnsupported },
        { { 0x1F, 0x9E, 0, 0 }, atGZip, atUnsupported },
        { { 0x1F, 0x1E, 0, 0 }, atGZip, atUnsupported },
        { { 0x1F, 0xA0, 0, 0 }, atGZip, atUnsupported },
        { { 0x60, 0xEA, 0, 0 }, atARJ, atArjExe },
        { { 'Z', 'O', 'O', ' ' }, atZOO, atUnsupported },
        { { 0x20, 0x00, '-', 'l' }, atLHA, atLhaExe },
        { { 'R', 'a', 'r', '!' }, atRAR, atRarExe },
        { { 0x1A, 0x0A, 0, 0 }, atPAK, atPakExe },
        { { 0x1A, 0x0B, 0, 0 }, atPAK, atPakExe },
        { { 0x1A, 0x1E, 0, 0 }, atARC, atUnsupported },
        { { 0x1A, 0x01, 0, 0 }, atARC, atArcExe },
        { { 0x1A, 0x02, 0, 0 }, atARC, atArcExe },
        { { 0x1A, 0x08, 0, 0 }, atARC, atArcExe },
        { { 0x1A, 0x09, 0, 0 }, atARC, atArcExe },
        { { 0x1A, 0x00, 0, 0 }, atUnknown, atUnknown },
        { { 0x1A, 0x0C, 0, 0 }, atUnknown, atUnknown },
        { { 0xB7, 0x92, 0, 0 }, atArcExe, atArcExe },
        { { 0xB7, 0xDF, 0, 0 }, atArcExe, atArcExe },
        { { 'x', 'y', 'z', 'w' }, atUnknown, atUnknown },
    };
    for (const auto& row : rows) {
        const Bytes bytes(row.bytes);
        int64_t offset = -1;
        EXPECT_EQ(classifySignature(bytes.data(), SignatureMode::Plain, &offset), row.plain)
            << int(bytes[0]) << ' ' << int(bytes[1]);
        EXPECT_EQ(classifySignature(bytes.data(), SignatureMode::Program), row.program)
            << int(bytes[0]) << ' ' << int(bytes[1]);
        EXPECT_EQ(offset, bytes[0] == 0xB7 ? 7717 : -1);
    }
}

TEST(ArchiveDetect, FilesAndProbes)
{
    const std::initializer_list<uint8_t> local = { 0x50, 0x4B, 0x03, 0x04 };
    struct Row {
        const char* what;
        Bytes bytes;
        const char* name;
        TArcType kind;
        int64_t dataOffset;
    };
    std::vector<Row> rows = {
        { "zip at 0", withAt(filled(5), 0, local), "a.zip", atZIP, 0 },
        { "zip one byte short", withAt(filled(0), 0, local), "a.zip", atUnknown, 0 },
        { "arj", withAt(filled(40), 0, { 0x60, 0xEA }), "a.bin", atARJ, 0 },
        { "too small to classify", withAt(filled(5), 0, { 0x60, 0xEA }), "a.arj", atUnknown, 0 },
        { "uue by extension", filled(100), "a.UUE", atUUE, 0 },
        { "xxe by extension", filled(100), "a.xxe", atUUE, 0 },
        { "tar by extension", tarBlock(), "a.tar", atTAR, 0 },
        { "tar without extension", tarBlock(), "archive", atTAR, 0 },
        { "tar data under .dat", tarBlock(), "a.dat", atUnknown, 0 },
        { "tar volume header uses block two", tarBlock('V'), "a.tar", atUnknown, 0 },
        { "B7 stub", withAt(filled(8000), 0, { 0xB7, 0x92 }), "a.exe", atArcExe, 7717 },
    };
    // Each ZIP self-extractor probe, and the same file one byte too short.
    for (int64_t probe : { 7612, 15770, 25669 }) {
        Bytes stub
            = withAt(filled(static_cast<std::size_t>(probe) + 5), static_cast<std::size_t>(probe), local);
        stub[0] = 'M';
        stub[1] = 'Z';
        rows.push_back({ "zip stub", stub, "a.exe", atZipExe, probe });
        stub.pop_back();
        rows.push_back({ "zip stub one byte short", stub, "a.exe", atUnknown, 0 });
    }
    // The archive right after the DOS image (3 pages, 100 bytes in the
    // last: 2 × 512 + 100); a last page of 0 counts as a full one.
    rows.push_back({ "arj after image", withAt(program(2000, 100, 3), 1124, { 0x60, 0xEA, 1, 2 }), "a.exe",
        atArjExe, 1124 });
    rows.push_back({ "arj after image with 60 EA hop",
        withAt(program(2000, 100, 3), 1124, { 0, 0, 0x60, 0xEA }), "a.exe", atArjExe, 1126 });
    rows.push_back({ "last page 0 means 512", withAt(program(2000, 0, 3), 1536, { 'R', 'a', 'r', '!' }),
        "a.exe", atRarExe, 1536 });
    rows.push_back({ "cab inside a program", withAt(program(2000, 100, 3), 1124, { 'M', 'S', 'C', 'F' }),
        "a.exe", atUnsupported, 1124 });
    rows.push_back({ "program without archive", program(3000, 100, 3), "a.exe", atUnknown, 0 });
    for (const auto& row : rows) {
        const Detection found = detect(row.bytes, row.name);
        EXPECT_EQ(arcTypeName(found.kind), arcTypeName(row.kind)) << row.what;
        EXPECT_EQ(found.dataOffset, row.dataOffset) << row.what;
    }
}

TEST(ArchiveDetect, ZipDirectoryInAProgramTail)
{
    // A program whose ZIP was appended after a stub of odd length: found
    // through the end record in the tail, data offset from the first
    // central record.
    Bytes bytes = program(3000, 100, 1);
    const std::size_t central = bytes.size();
    Bytes record(46, 0);
    record[0] = 0x50, record[1] = 0x4B, record[2] = 0x01, record[3] = 0x02;
    record[42] = 0xD0, record[43] = 0x07; // local header at 2000
    bytes.insert(bytes.end(), record.begin(), record.end());
    Bytes end(22, 0);
    end[0] = 0x50, end[1] = 0x4B, end[2] = 0x05, end[3] = 0x06;
    end[16] = static_cast<uint8_t>(central), end[17] = static_cast<uint8_t>(central >> 8);
    bytes.insert(bytes.end(), end.begin(), end.end());
    const Detection found = detect(bytes, "a.exe");
    EXPECT_EQ(found.kind, atZipExe);
    EXPECT_EQ(found.dataOffset, 2000);

    // The directory offset pointing outside the file: nothing found.
    bytes[bytes.size() - 5] = 0xFF;
    EXPECT_EQ(detect(bytes, "a.exe").kind, atUnknown);
}

TEST(ArchiveDetect, ArchiveFileProperty)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("a.zip", withAt(filled(30), 0, { 0x50, 0x4B, 0x03, 0x04 }));
    TArchiveLister lister;
    lister.SetFileStore(store);
    EXPECT_EQ(lister.ArcType(), atNA);
    lister.SetArchiveFile("a.zip");
    EXPECT_EQ(lister.ArcType(), atZIP);
    lister.SetArchiveFile("missing.zip");
    EXPECT_EQ(lister.ArcType(), atFileOpenErr);
    lister.SetArchiveFile("");
    EXPECT_EQ(lister.ArcType(), atNA);
    lister.SetFileSpec("");
    EXPECT_EQ(lister.FileSpec(), "*.*");
    lister.SetFileSpec("docs/*.txt");
    EXPECT_EQ(lister.FileSpec(), "docs\\*.txt");
    lister.SetZipCmntBufSize(10);
    EXPECT_EQ(lister.ZipCmntBufSize(), 2000);
    lister.SetZipCmntBufSize(100000);
    EXPECT_EQ(lister.ZipCmntBufSize(), 32767);
}
