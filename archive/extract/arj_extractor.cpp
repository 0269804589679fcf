#include "archive/extract/arj_extractor.h"

#include "archive/archive_error.h"
#include "archive/bytes.h"
#include "archive/crc.h"
#include "archive/decoders/arj4.h"
#include "archive/decoders/lzh.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <cstring>
#include <vector>

namespace ov {

namespace {

// Layout after ARJ's technical notes: 60 EA, a 16-bit basic header size, the
// basic header (its first byte the size of the fixed part, then the name and
// the comment, each up to a zero byte), its CRC-32, and extended headers
// (size, data, CRC-32) until a zero size.
constexpr std::size_t MaxBasicHeader = 2600;
constexpr std::size_t MinFixedPart = 30;
constexpr int64_t MainHeaderScan = 25000;
constexpr uint8_t FlagGarbled = 0x01;
constexpr uint8_t FlagVolume = 0x04;  // continued in the next volume
constexpr uint8_t FlagExtFile = 0x08; // starts in an earlier volume
constexpr uint8_t HostUnix = 2;
constexpr uint8_t TypeBinary = 0;
constexpr uint8_t TypeText = 1;
constexpr uint8_t TypeFolder = 3;

} // namespace

struct TArjExtractor::Header {
    int64_t start = 0;
    std::vector<uint8_t> basic;
    std::string storedName;
    int64_t dataStart = 0;

    uint8_t version() const { return basic[1]; }
    uint8_t needed() const { return basic[2]; }
    uint8_t host() const { return basic[3]; }
    uint8_t flags() const { return basic[4]; }
    uint8_t method() const { return basic[5]; }
    uint8_t type() const { return basic[6]; }
    uint32_t stamp() const { return le32(basic.data() + 8); }
    uint32_t packed() const { return le32(basic.data() + 12); }
    uint32_t unpacked() const { return le32(basic.data() + 16); }
    uint32_t crc() const { return le32(basic.data() + 20); }
    uint16_t mode() const { return le16(basic.data() + 26); }
    int64_t next() const { return dataStart + int64_t(packed()); }
};

void TArjExtractor::ExtractRun()
{
    runFrame([this] { run(); }, [this] { return m_file != nullptr; },
             [this] {
                 m_file->close();
                 m_file.reset();
             });
}

void TArjExtractor::run()
{
    startVolume({ atARJ, atArjExe }, true);
    const bool single = singleMember();

    int64_t position = openVolume(m_archiveFile);
    if (OnActivate)
        OnActivate(*this);
    m_stopwatch.start();
    Header header;
    bool stop = false;
    while (!m_cancel && !stop) {
        processMessages();
        if (!readHeader(position, header)) {
            // The end of this volume; the set goes on when its main header
            // says so.
            if (!m_mainContinues)
                break;
            std::string next = nextVolumeName(m_volume);
            if (!fileStore().exists(next) && !requestNextVolume(next, std::to_string(volumeNumber() - 1)))
                break;
            position = openVolume(next);
            continue;
        }
        const bool folder = header.type() == TypeFolder;
        const std::string name =
            memberName(header.storedName, header.host() == HostUnix ? NameEncoding::Utf8IfValid : NameEncoding::Oem,
                       NameCodePage);
        // Folders, the rest of a member begun in an earlier volume and
        // members the filter leaves out are passed over.
        if (folder || (header.flags() & FlagExtFile) || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath)) {
            position = skipParts(header);
            continue;
        }
        clearEntry();
        FileName = name;
        PackedSize = header.packed();
        UnpackedSize = header.unpacked();
        Ratio = computeRatio(PackedSize, UnpackedSize);
        Crc = header.crc();
        MethodNumber = header.method();
        VersionMadeBy = header.version();
        VersionNeeded = header.needed();
        Encrypted = header.flags() & FlagGarbled;
        ExternalAttr = header.mode();
        FileDate = header.host() == HostUnix ? UnixToDateTime(header.stamp()) : DosDateToDateTime(header.stamp());

        if (header.needed() >= 4) {
            nonFatal(msgVersionError, name);
            position = skipParts(header);
            continue;
        }
        if (Encrypted)
            fatal(msgPasswordProtected, name);
        if (header.method() > 4 || (header.method() == 4 && header.version() == 1))
            fatal(msgUnsupportedMethod, name);
        if (header.type() != TypeBinary && header.type() != TypeText)
            fatal(msgUnknownFileType, name);
        const std::string target = memberTarget(*this, name);
        if (target.empty()) {
            position = skipParts(header);
            continue;
        }
        FileName = target;
        ++m_memberCount;
        if (!memberAccepted(*this, target, FileDate, m_memberCount)) {
            --m_memberCount;
            position = skipParts(header);
            if (single)
                break;
            continue;
        }
        position = extractMember(header, target, stop);
        if (single)
            break;
    }
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

int64_t TArjExtractor::openVolume(const std::string& path)
{
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    m_file = openFile(path);
    if (!m_file)
        fatal(msgErrorOpening, path);
    m_volume = path;
    // The main header: 60 EA and a basic header whose CRC-32 matches,
    // somewhere in the first 25000 bytes after the data offset (a
    // self-extractor's stub comes first).
    const int64_t from = path == m_archiveFile ? DataOffset() : 0;
    const int64_t limit = std::min<int64_t>(m_file->size(), from + MainHeaderScan + 4 + int64_t(MaxBasicHeader) + 4);
    if (limit <= from)
        fatal(msgUnsupportedArchiveType, path);
    std::vector<uint8_t> bytes(std::size_t(limit - from));
    bytes.resize(m_file->readAt(from, bytes.data(), bytes.size()));
    for (std::size_t at = 0; at + 4 <= bytes.size() && int64_t(at) <= MainHeaderScan; ++at) {
        if (bytes[at] != 0x60 || bytes[at + 1] != 0xEA)
            continue;
        const std::size_t size = le16(bytes.data() + at + 2);
        if (size < MinFixedPart || size > MaxBasicHeader || at + 4 + size + 4 > bytes.size())
            continue;
        if (crc32(bytes.data() + at + 4, size) != le32(bytes.data() + at + 4 + size))
            continue;
        Header main;
        readHeader(from + int64_t(at), main);
        m_mainContinues = main.flags() & FlagVolume;
        return main.dataStart;
    }
    fatal(msgUnsupportedArchiveType, path);
}

bool TArjExtractor::readHeader(int64_t position, Header& header)
{
    uint8_t id[4];
    if (!m_file->readExact(position, id, 4))
        fatal(msgErrorReading, m_volume);
    if (id[0] != 0x60 || id[1] != 0xEA)
        fatal(msgBadFileHeader, m_volume);
    const std::size_t size = le16(id + 2);
    if (size == 0)
        return false;
    if (size > MaxBasicHeader || size < MinFixedPart)
        fatal(msgBadFileHeader, m_volume);
    header.start = position;
    header.basic.resize(size + 4);
    if (!m_file->readExact(position + 4, header.basic.data(), size + 4))
        fatal(msgErrorReading, m_volume);
    if (crc32(header.basic.data(), size) != le32(header.basic.data() + size))
        fatal(msgHeaderCrcError, m_volume);
    header.basic.resize(size);
    const std::size_t fixed = header.basic[0];
    if (fixed < MinFixedPart || fixed > size)
        fatal(msgBadFileHeader, m_volume);
    const auto* names = reinterpret_cast<const char*>(header.basic.data() + fixed);
    header.storedName.assign(names, strnlen(names, size - fixed));
    // Extended headers are passed over.
    int64_t at = position + 4 + int64_t(size) + 4;
    for (int count = 0;; ++count) {
        uint8_t sizeBytes[2];
        if (!m_file->readExact(at, sizeBytes, 2))
            fatal(msgErrorReading, m_volume);
        at += 2;
        const uint16_t extended = le16(sizeBytes);
        if (extended == 0)
            break;
        if (count == 64)
            fatal(msgBadFileHeader, m_volume);
        at += int64_t(extended) + 4;
    }
    header.dataStart = at;
    return true;
}

bool TArjExtractor::nextPart(Header& part)
{
    std::string next = nextVolumeName(m_volume);
    if (!fileStore().exists(next) && !requestNextVolume(next, std::to_string(volumeNumber() - 1)))
        return false;
    const int64_t position = openVolume(next);
    if (!readHeader(position, part))
        fatal(msgBadFileHeader, next);
    return true;
}

int64_t TArjExtractor::skipParts(const Header& header)
{
    Header part = header;
    while (part.flags() & FlagVolume)
        if (!nextPart(part))
            throw ArchiveIoError("volume set ends");
    return part.next();
}

int64_t TArjExtractor::extractMember(const Header& header, const std::string& target, bool& stop)
{
    OutputFile out;
    if (!out.open(outputRoot(), target)) {
        nonFatal(msgErrorOpening, target);
        return skipParts(header);
    }
    Header part = header;
    bool crcPass = true;
    int code = 0;
    for (;;) {
        uint32_t crc = 0xFFFFFFFFu;
        code = decodePart(part, out, crc);
        if (code)
            break;
        // Every part carries the CRC-32 of its own bytes.
        crcPass = crcPass && ~crc == part.crc();
        if (!(part.flags() & FlagVolume))
            break;
        if (!nextPart(part)) {
            code = msgBrokenVolumeChain;
            break;
        }
    }
    if (code) {
        out.abandon();
        nonFatal(code, target);
        memberEnded(*this, target, false);
        // A write failure, or a member whose later parts cannot be found
        // or followed, ends the run.
        stop = code == msgErrorWriting || code == msgBrokenVolumeChain || (part.flags() & FlagVolume);
        return part.next();
    }
    int64_t when = -1;
    if (SetDateTo != sdSysDate)
        when = header.host() == HostUnix ? int64_t(header.stamp()) : dosDateTimeToUnix(header.stamp());
    const bool readOnly = header.host() == HostUnix ? !(header.mode() & 0200) : (header.mode() & 1);
    if (!out.commit(when, readOnly)) {
        nonFatal(msgErrorWriting, target);
        crcPass = false;
    }
    memberEnded(*this, target, crcPass);
    return part.next();
}

int TArjExtractor::decodePart(const Header& part, OutputFile& out, uint32_t& crc)
{
    const uint64_t size = part.unpacked();
    MemberPump::Decode decode;
    switch (part.method()) {
    case 0:
        decode = MemberPump::bind(&storedDecode, [size](StoredState& s) { s.reset(size); });
        break;
    case 1:
    case 2:
    case 3: {
        const LzhMethod method = part.method() == 1 ? LzhMethod::Arj1 : part.method() == 2 ? LzhMethod::Arj2 : LzhMethod::Arj3;
        decode = MemberPump::bind(&lzhDecode, [size, method](LzhState& s) { s.reset(method, size); });
        break;
    }
    case 4:
        decode = MemberPump::bind(&arj4Decode, [size](Arj4State& s) { s.reset(size); });
        break;
    default:
        return msgUnsupportedMethod;
    }
    MemberPump pump(*this, 32768);
    return pump.run(*m_file, part.dataStart, part.packed(), decode, out, CrcKind::Crc32, crc);
}

} // namespace ov
