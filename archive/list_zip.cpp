// ZIP directory (PKWARE APPNOTE 4.3): the end-of-directory record in the
// last 32 KB, optionally its Zip64 record, then the 46-byte central records
// with their names, extra fields and comments.
#include "archive/listing_run.h"

#include "archive/bytes.h"
#include "archive/messages.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ov {

namespace {

constexpr uint32_t endSignature = 0x06054B50;
constexpr uint32_t centralSignature = 0x02014B50;
constexpr uint32_t zip64EndSignature = 0x06064B50;
constexpr uint32_t zip64LocatorSignature = 0x07064B50;
constexpr std::size_t centralSize = 46;

std::string zipMethodName(uint16_t method, uint16_t flags, bool folder)
{
    switch (method) {
    case 0:
        return "Stored";
    case 1:
        return "Shrunk";
    case 2:
    case 3:
    case 4:
    case 5:
        return "Reduce-" + std::to_string(method - 1);
    case 6:
        return "Imploded";
    case 7:
        return "Tokened";
    case 8: {
        static const char* const variants[] = { "DeflateN", "DeflateX", "DeflateF", "DeflateS" };
        return variants[(flags >> 1) & 3];
    }
    default:
        return folder ? "Dir" : "Unknown";
    }
}

} // namespace

void ListingRun::listZip()
{
    TArchiveLister& l = lister;
    // The end-of-directory record: scanned backwards in the last 32 KB.
    const int64_t tail = std::min<int64_t>(size, 32768);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(tail));
    if (tail < 22 || !read(size - tail, bytes.data(), bytes.size())) {
        l.nonFatal(msgHeaderIdError, volumePath);
        return;
    }
    int64_t endAt = -1;
    for (int64_t i = tail - 22; i >= 0; --i) {
        if (le32(bytes.data() + i) == endSignature) {
            endAt = size - tail + i;
            break;
        }
    }
    if (endAt < 0) {
        l.nonFatal(msgHeaderIdError, volumePath);
        return;
    }
    const uint8_t* end = bytes.data() + (endAt - (size - tail));
    int64_t directory = le32(end + 16);
    int64_t directorySize = le32(end + 12);
    // Zip64: the locator just before the record names the Zip64 record.
    if (directory == 0xFFFFFFFF || directorySize == 0xFFFFFFFF || le16(end + 10) == 0xFFFF) {
        uint8_t locator[20];
        uint8_t record[56];
        if (read(endAt - 20, locator, sizeof locator) && le32(locator) == zip64LocatorSignature) {
            const uint64_t recordAt = le64(locator + 8);
            if (recordAt < static_cast<uint64_t>(size) && read(static_cast<int64_t>(recordAt), record, sizeof record)
                && le32(record) == zip64EndSignature) {
                directory = static_cast<int64_t>(std::min<uint64_t>(le64(record + 48), INT64_MAX / 2));
                directorySize = static_cast<int64_t>(std::min<uint64_t>(le64(record + 40), INT64_MAX / 2));
            }
        }
    }
    directory += l.ZipOffset();

    // An archive without members: nothing to walk.
    if (le16(end + 10) == 0 && directorySize == 0) {
        l.nonFatal(msgBadFileHeader, volumePath);
        return;
    }

    // Bytes prepended to an archive whose offsets were not adjusted (a stub
    // glued in front): the directory really ends where the end record
    // starts, so the difference shifts every stored offset.
    int64_t shift = 0;
    uint8_t central[centralSize];
    if (!read(directory, central, centralSize) || le32(central) != centralSignature) {
        const int64_t actual = endAt - directorySize;
        if (actual >= 0 && actual > directory && read(actual, central, centralSize)
            && le32(central) == centralSignature) {
            shift = actual - directory;
            directory = actual;
        } else {
            l.nonFatal(msgHeaderIdError, volumePath);
            return;
        }
    }

    int64_t position = directory;
    std::string stored;
    while (keepGoing()) {
        if (!fits(position, centralSize) || !read(position, central, centralSize)
            || le32(central) != centralSignature)
            break;
        const uint16_t flags = le16(central + 8);
        const uint16_t nameLength = le16(central + 28);
        const uint16_t extraLength = le16(central + 30);
        const uint16_t commentLength = le16(central + 32);
        const int64_t nameAt = position + static_cast<int64_t>(centralSize);
        stored.resize(nameLength);
        if (!read(nameAt, stored.data(), nameLength))
            break;

        l.clearEntry();
        l.VersionMadeBy = central[4];
        l.VersionNeeded = central[6];
        l.Encrypted = flags & 1;
        l.MethodNumber = le16(central + 10);
        l.FileDate = l.DosDateToDateTime(le32(central + 12));
        l.Crc = le32(central + 16);
        l.PackedSize = le32(central + 20);
        l.UnpackedSize = le32(central + 24);
        const uint32_t external = le32(central + 38);
        l.ExternalAttr = static_cast<uint16_t>(external);
        int64_t localOffset = le32(central + 42);

        // Zip64 extended information: the fields stored as all ones, in order.
        if (l.PackedSize == 0xFFFFFFFF || l.UnpackedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF) {
            std::vector<uint8_t> extra(extraLength);
            if (read(nameAt + nameLength, extra.data(), extra.size())) {
                std::size_t at = 0;
                while (at + 4 <= extra.size()) {
                    const uint16_t id = le16(extra.data() + at);
                    const std::size_t length = le16(extra.data() + at + 2);
                    if (at + 4 + length > extra.size())
                        break;
                    if (id == 0x0001) {
                        const uint8_t* field = extra.data() + at + 4;
                        std::size_t left = length;
                        auto take = [&](int64_t& value) {
                            if (value != 0xFFFFFFFF || left < 8)
                                return;
                            value = static_cast<int64_t>(std::min<uint64_t>(le64(field), INT64_MAX / 2));
                            field += 8;
                            left -= 8;
                        };
                        take(l.UnpackedSize);
                        take(l.PackedSize);
                        take(localOffset);
                        break;
                    }
                    at += 4 + length;
                }
            }
        }

        // Names flagged UTF-8 (bit 11), and names from a Unix host that are
        // valid UTF-8, are UTF-8; the rest are OEM.
        const uint8_t host = central[5];
        const NameEncoding encoding = (flags & 0x0800) ? NameEncoding::Utf8
            : host == 3                                ? NameEncoding::Utf8IfValid
                                                       : NameEncoding::Oem;
        l.FileName = name(stored, encoding);
        while (!l.FileName.empty() && l.FileName.back() == '\\')
            l.FileName.pop_back();
        const bool unixFolder = host == 3 && ((external >> 16) & 0xF000) == 0x4000;
        const bool folder = (external & 0x10) || unixFolder || (!stored.empty() && stored.back() == '/');
        if (folder)
            l.ExternalAttr |= 0x10;
        l.MethodName = zipMethodName(l.MethodNumber, flags, folder);
        report(localOffset + shift + l.ZipOffset(), folder);

        const int64_t next = nameAt + nameLength + extraLength + commentLength;
        if (!isForward(position, next))
            break;
        position = next;
    }
    if (reported == 0)
        l.nonFatal(msgBadFileHeader, volumePath);
}

} // namespace ov
