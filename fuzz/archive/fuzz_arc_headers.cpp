// The shared header readers (archive/formats/), each walked straight over
// the input: the first byte picks ZIP, LHA, ARC, PAK or ARJ, the rest is the
// archive. Every walk ends; every header, data start and local header it
// hands out lies at or after the previous one and inside the file; a walk
// that hands out members without reaching its end says why.
#include "archive/formats/arc_header.h"
#include "archive/formats/arj_header.h"
#include "archive/formats/lha_header.h"
#include "archive/formats/zip_directory.h"
#include "archive/memory_file.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The walk's positions only move forward and stay inside the file.
struct Walk {
    int64_t size;
    int64_t last = -1;
    int64_t count = 0;
    void member(int64_t headerAt, int64_t dataAt)
    {
        check(headerAt > last && headerAt < size && dataAt > headerAt && dataAt <= size);
        last = headerAt;
        check(++count <= size);
    }
};

void walkZip(ov::FileLayer& file)
{
    ov::ZipDirectory directory(file, 0);
    if (directory.open() != ov::ZipDirectory::Opened::Ok)
        return;
    ov::ZipDataRanges taken;
    ov::ZipEntry entry;
    int64_t count = 0;
    int64_t lastRecord = -1;
    while (directory.next(entry)) {
        check(entry.recordAt > lastRecord && entry.recordAt < file.size());
        lastRecord = entry.recordAt;
        check(++count <= file.size());
        ov::ZipLocalHeader local;
        if (directory.readLocal(entry, local)) {
            check(local.dataAt > entry.localHeaderAt);
            (void)taken.claim(entry.localHeaderAt, local.dataAt + entry.packedSize);
        }
    }
    check(directory.ended() != ov::WalkEnd::Running);
}

void walkLha(ov::FileLayer& file)
{
    ov::LhaReader reader(file, 0);
    ov::LhaHeader header;
    Walk walk { file.size() };
    while (reader.next(header))
        walk.member(header.headerAt, header.dataAt);
    check(reader.ended() != ov::WalkEnd::Running);
}

void walkArc(ov::FileLayer& file, bool pak)
{
    ov::ArcReader reader(file, 0, pak);
    ov::ArcHeader header;
    Walk walk { file.size() };
    while (reader.next(header))
        walk.member(header.headerAt, header.dataAt);
    check(reader.ended() != ov::WalkEnd::Running);
}

void walkArj(ov::FileLayer& file)
{
    ov::ArjReader reader(file);
    ov::ArjHeader header;
    if (!reader.openMain(0, header))
        return;
    Walk walk { file.size() };
    while (reader.next(header))
        walk.member(header.headerAt, header.dataAt);
    check(reader.ended() != ov::WalkEnd::Running);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data + 1, data + size);
    ov::MemoryFile file(bytes);
    switch (data[0] % 5) {
    case 0:
        walkZip(file);
        break;
    case 1:
        walkLha(file);
        break;
    case 2:
        walkArc(file, false);
        break;
    case 3:
        walkArc(file, true);
        break;
    default:
        walkArj(file);
        break;
    }
    return 0;
}
