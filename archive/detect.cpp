// Kind detection in the components' fixed order: ZIP at the start or at a
// known stub length, then a program's string resources, the end of its DOS
// image and a ZIP directory in its tail, then the signature table, then the
// extension rules with the TAR checksum test.
#include "archive/detect.h"

#include "archive/bytes.h"
#include "archive/file_layer.h"
#include "archive/pe_strings.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace ov {

namespace {

const uint8_t zipLocal[4] = { 0x50, 0x4B, 0x03, 0x04 };

// Stub lengths of the common ZIP self-extractors.
constexpr int64_t zipStubOffsets[] = { 7612, 15770, 25669 };

std::string upperExtension(std::string_view fileName)
{
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(fileName.substr(dot));
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

bool hasZipLocalAt(FileLayer& file, int64_t offset)
{
    uint8_t bytes[4];
    return file.readExact(offset, bytes, 4) && std::memcmp(bytes, zipLocal, 4) == 0;
}

// A number of at most five decimal digits, or -1.
int64_t parseOffset(const std::string& text)
{
    if (text.empty() || text.size() > 5)
        return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The ZIP end-of-directory record in the tail of a program, whose first
// central record gives the data offset.
bool findZipInTail(FileLayer& file, int32_t zipCommentBufferSize, Detection& result)
{
    const int64_t size = file.size();
    int64_t tail = int64_t(zipCommentBufferSize) + 23;
    if (size < tail)
        tail = zipCommentBufferSize == 0 ? 23 : size - 76;
    if (tail < 22 || tail > size)
        return false;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(tail));
    const int64_t start = size - tail;
    if (!file.readExact(start, bytes.data(), bytes.size()))
        return false;
    for (int64_t i = tail - 22; i >= 0; --i) {
        const uint8_t* p = bytes.data() + i;
        if (p[0] != 0x50 || p[1] != 0x4B || p[2] != 0x05 || p[3] != 0x06)
            continue;
        const uint32_t directory = le32(p + 16);
        if (directory >= size)
            return false;
        uint8_t central[46];
        if (!file.readExact(directory, central, sizeof central) || le32(central) != 0x02014B50)
            return false;
        result.kind = atZipExe;
        result.dataOffset = le32(central + 42);
        return true;
    }
    return false;
}

} // namespace

TArcType classifySignature(const uint8_t b[4], SignatureMode mode, int64_t* dataOffset)
{
    const bool program = mode == SignatureMode::Program;
    auto pick = [program](TArcType plain, TArcType inProgram) { return program ? inProgram : plain; };
    if (b[0] == 'P' && b[1] == 'K' && !(b[2] == 'G' && b[3] == '4'))
        return pick(atZIP, atZipExe);
    if (b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0x50)
        return pick(atZip250, atZip250Exe);
    if (b[0] == 'M' && b[1] == 'S' && b[2] == 'C' && b[3] == 'F')
        return pick(atCAB, atUnsupported);
    if (b[0] == 0x42 && b[1] == 0x48 && b[2] == 0x05 && b[3] == 0x07)
        return pick(atBH, atBHExe);
    if (b[0] == 'H' && b[1] == 'A')
        return pick(atHA, atUnsupported);
    if (b[0] == 0x1F && (b[1] == 0x8B || b[1] == 0x9D || b[1] == 0x9E || b[1] == 0x1E || b[1] == 0xA0))
        return pick(atGZip, atUnsupported);
    if (b[0] == 0x60 && b[1] == 0xEA)
        return pick(atARJ, atArjExe);
    if (b[0] == 'Z' && b[1] == 'O')
        return pick(atZOO, atUnsupported);
    if (b[2] == '-' && b[3] == 'l')
        return pick(atLHA, atLhaExe);
    if (b[0] == 'R' && b[1] == 'a')
        return pick(atRAR, atRarExe);
    if (b[0] == 0x1A && (b[1] == 0x0A || b[1] == 0x0B))
        return pick(atPAK, atPakExe);
    if (b[0] == 0x1A && b[1] == 0x1E)
        return pick(atARC, atUnsupported);
    // ARC methods 1 to 9 (1 being the oldest, header without the unpacked size).
    if (b[0] == 0x1A && b[1] >= 0x01 && b[1] <= 0x09)
        return pick(atARC, atArcExe);
    if (b[0] == 0xB7 && (b[1] == 0x92 || b[1] == 0xDF)) {
        if (dataOffset)
            *dataOffset = 7717;
        return atArcExe;
    }
    return atUnknown;
}

bool tarChecksumPasses(FileLayer& file)
{
    if (file.size() <= 512)
        return false;
    uint8_t block[512];
    if (!file.readExact(0, block, sizeof block))
        return false;
    if (block[156] == 'V' && file.size() >= 1024 && !file.readExact(512, block, sizeof block))
        return false;
    int64_t stored = 0;
    bool digits = false;
    for (int i = 148; i < 156; ++i) {
        if (block[i] >= '0' && block[i] <= '7') {
            stored = stored * 8 + (block[i] - '0');
            digits = true;
        }
    }
    int64_t sum = 0;
    for (int i = 0; i < 512; ++i)
        sum += (i >= 148 && i < 156) ? 32 : block[i];
    return digits && stored == sum;
}

Detection detectKind(FileLayer& file, std::string_view fileName, int32_t zipCommentBufferSize)
{
    Detection result;
    const int64_t size = file.size();

    // ZIP at the start, then after the known self-extractor stubs.
    if (size >= 5 && hasZipLocalAt(file, 0)) {
        result.kind = atZIP;
        return result;
    }
    for (int64_t offset : zipStubOffsets) {
        if (size >= offset + 5 && hasZipLocalAt(file, offset)) {
            result.kind = atZipExe;
            result.dataOffset = offset;
            return result;
        }
    }
    if (size <= 5)
        return result;

    uint8_t head[64] = {};
    if (!file.readExact(0, head, 6))
        return result;
    if (head[0] == 'M' && head[1] == 'Z') {
        // Offsets kept as numbers in the program's string resources 1..4.
        for (uint32_t id = 1; id <= 4; ++id) {
            auto text = readStringResource(file, id);
            if (!text)
                break;
            const int64_t candidate = parseOffset(*text);
            if (candidate < 0 || candidate >= size)
                break;
            uint8_t bytes[4];
            if (!file.readExact(candidate, bytes, 4))
                break;
            int64_t fixed = -1;
            const TArcType kind = classifySignature(bytes, SignatureMode::Program, &fixed);
            if (kind != atUnknown) {
                result.kind = kind;
                result.dataOffset = fixed >= 0 ? fixed : candidate;
                if (isZipKind(kind))
                    result.zipOffset = candidate;
                return result;
            }
        }
        // The archive appended right after the DOS image. A last page of 0
        // bytes means a full page of 512.
        if (file.readExact(0, head, 6)) {
            const int64_t lastPage = le16(head + 2) ? le16(head + 2) : 512;
            const int64_t imageEnd = int64_t(le16(head + 4)) * 512 + lastPage - 512;
            uint8_t bytes[4];
            if (imageEnd > 0 && imageEnd < size && file.readExact(imageEnd, bytes, 4)) {
                int64_t position = imageEnd;
                if (bytes[2] == 0x60 && bytes[3] == 0xEA)
                    position += 2;
                int64_t fixed = -1;
                if (file.readExact(position, bytes, 4)) {
                    const TArcType kind = classifySignature(bytes, SignatureMode::Program, &fixed);
                    if (kind != atUnknown) {
                        result.kind = kind;
                        result.dataOffset = fixed >= 0 ? fixed : position;
                        return result;
                    }
                }
            }
        }
        findZipInTail(file, zipCommentBufferSize, result);
        return result;
    }

    int64_t fixed = -1;
    result.kind = classifySignature(head, SignatureMode::Plain, &fixed);
    if (fixed >= 0)
        result.dataOffset = fixed;
    if (result.kind != atUnknown)
        return result;
    const std::string extension = upperExtension(fileName);
    if (extension == ".UUE" || extension == ".XXE" || extension == ".ENC")
        result.kind = atUUE;
    else if ((extension == ".TAR" || extension.empty()) && tarChecksumPasses(file))
        result.kind = atTAR;
    return result;
}

} // namespace ov
