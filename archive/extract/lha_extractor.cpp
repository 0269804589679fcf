#include "archive/extract/lha_extractor.h"

#include "archive/bytes.h"
#include "archive/decoders/lh1.h"
#include "archive/decoders/lzh.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <memory>
#include <optional>
#include <vector>

namespace ov {

namespace {

// Header layout after the LHa for UNIX header notes: a 22-byte common start
// (size, method text at 2, packed size at 7, unpacked size at 11, time at
// 15, attribute at 19, level at 20); levels 0 and 1 follow with the name and
// the CRC-16, level 2 with the CRC-16 at 21. Levels 1 and 2 end with a chain
// of extended headers: type byte, data, 16-bit size of the next one.
constexpr std::size_t CommonSize = 22;
constexpr uint8_t ExtFileName = 0x01;
constexpr uint8_t ExtFolder = 0x02;
constexpr uint8_t ExtDosAttribute = 0x40;
constexpr uint8_t ExtUnixMode = 0x50;
constexpr uint8_t ExtUnixTime = 0x54;

// A stored folder: "/" and 0xFF separate folders, except in the second byte
// of a double-byte character; blanks and controls trimmed at both ends.
std::string storedFolder(const std::string& stored)
{
    std::string out;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto c = static_cast<unsigned char>(stored[i]);
        const bool leadByte = (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD);
        if (leadByte && i + 1 < stored.size()) {
            out += stored.substr(i, 2);
            ++i;
            continue;
        }
        out += c == 0xFF ? '/' : stored[i];
    }
    const auto first = out.find_first_not_of(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\t\n\v\f\r ", 14));
    if (first == std::string::npos)
        return {};
    const auto last = out.find_last_not_of(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\t\n\v\f\r ", 14));
    return out.substr(first, last - first + 1);
}

} // namespace

struct TLhaExtractor::Header {
    std::string method;
    int64_t packed = 0; // the member's data, extended headers not counted
    uint32_t unpacked = 0;
    uint32_t stamp = 0;
    uint8_t level = 0;
    uint16_t crc = 0;
    uint8_t system = 0;
    std::string name;
    std::optional<uint16_t> dosAttribute;
    std::optional<uint16_t> unixMode;
    std::optional<uint32_t> unixTime;
    int64_t dataStart = 0;

    bool folder() const { return method == "-lhd-"; }
};

void TLhaExtractor::ExtractRun()
{
    runOnFile({ atLHA, atLhaExe, atLZH, atLzhExe }, [this](FileLayer& file) { run(file); });
}

void TLhaExtractor::run(FileLayer& file)
{
    if (OnActivate)
        OnActivate(*this);
    m_stopwatch.start();
    int64_t position = DataOffset();
    Header header;
    while (!m_cancel && readHeader(file, position, header)) {
        processMessages();
        const int64_t next = header.dataStart + header.packed;
        if (next <= position)
            break;
        position = next;
        const std::string name = memberName(
            header.name, header.system == 'U' ? NameEncoding::Utf8IfValid : NameEncoding::Oem, NameCodePage);
        if (header.folder() || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath))
            continue;
        clearEntry();
        FileName = name;
        PackedSize = header.packed;
        UnpackedSize = header.unpacked;
        Ratio = computeRatio(PackedSize, UnpackedSize);
        Crc = header.crc;
        MethodNumber = uint8_t(header.method[3]);
        ExternalAttr = header.dosAttribute.value_or(0x20);
        FileDate = header.level == 2 ? UnixToDateTime(header.stamp) : DosDateToDateTime(header.stamp);
        const std::string target = memberTarget(*this, name);
        if (target.empty())
            continue;
        FileName = target;
        ++m_memberCount;
        if (!memberAccepted(*this, target, FileDate, m_memberCount)) {
            --m_memberCount;
            if (singleMember())
                break;
            continue;
        }
        extractMember(file, header, target);
        if (singleMember())
            break;
    }
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

bool TLhaExtractor::readHeader(FileLayer& file, int64_t position, Header& header)
{
    uint8_t h[CommonSize + 4];
    if (!file.readExact(position, h, CommonSize) || h[0] == 0)
        return false;
    header = Header();
    header.level = h[20];
    if (header.level > 2)
        return false;
    header.method.assign(reinterpret_cast<const char*>(h + 2), 5);
    header.packed = le32(h + 7);
    header.unpacked = le32(h + 11);
    header.stamp = le32(h + 15);
    if (header.level < 2)
        header.dosAttribute = h[19];

    int64_t headerEnd = 0;  // after the fixed part (level 1: extended headers follow)
    int64_t extendedAt = 0; // the first extended header
    int64_t limit = 0;      // extended headers end before this
    uint16_t extendedSize = 0;
    if (header.level < 2) {
        const int64_t size = int64_t(h[0]) + 2;
        const uint8_t nameLength = h[21];
        if (h[0] < CommonSize || int64_t(CommonSize) + nameLength + 2 > size) {
            nonFatal(msgBadFileHeader, m_archiveFile);
            return false;
        }
        std::vector<uint8_t> rest(std::size_t(size) - CommonSize);
        if (!file.readExact(position + int64_t(CommonSize), rest.data(), rest.size()))
            return false;
        header.name.assign(reinterpret_cast<const char*>(rest.data()), nameLength);
        header.crc = le16(rest.data() + nameLength);
        if (rest.size() > nameLength + 2u)
            header.system = rest[nameLength + 2];
        if (header.level == 1) {
            if (rest.size() < nameLength + 5u) {
                nonFatal(msgBadFileHeader, m_archiveFile);
                return false;
            }
            extendedSize = le16(rest.data() + rest.size() - 2);
        }
        headerEnd = position + size;
        extendedAt = headerEnd;
        limit = headerEnd + header.packed;
    } else {
        const int64_t total = le16(h);
        if (total < 26 || !file.readExact(position + int64_t(CommonSize), h + CommonSize, 4)) {
            nonFatal(msgBadFileHeader, m_archiveFile);
            return false;
        }
        header.crc = le16(h + 21);
        header.system = h[23];
        extendedSize = le16(h + 24);
        headerEnd = position + total;
        extendedAt = position + 26;
        limit = headerEnd;
    }

    std::string folder;
    std::vector<uint8_t> extended;
    int64_t at = extendedAt;
    for (int count = 0; extendedSize != 0; ++count) {
        if (extendedSize < 3 || count == 256 || at + extendedSize > limit)
            return false;
        extended.resize(extendedSize);
        if (!file.readExact(at, extended.data(), extendedSize))
            return false;
        const std::string data(reinterpret_cast<const char*>(extended.data() + 1), extendedSize - 3u);
        switch (extended[0]) {
        case ExtFileName:
            header.name = data;
            break;
        case ExtFolder:
            folder = storedFolder(data);
            break;
        case ExtDosAttribute:
            if (data.size() >= 2)
                header.dosAttribute = le16(extended.data() + 1);
            break;
        case ExtUnixMode:
            if (data.size() >= 2)
                header.unixMode = le16(extended.data() + 1);
            break;
        case ExtUnixTime:
            if (data.size() >= 4)
                header.unixTime = le32(extended.data() + 1);
            break;
        default:
            break;
        }
        at += extendedSize;
        extendedSize = le16(extended.data() + extended.size() - 2);
    }
    if (header.level == 1) {
        // A level-1 packed size counts the extended headers in.
        header.packed -= at - extendedAt;
        headerEnd = at;
    }
    for (char& c : header.name)
        if (c == '\xFF')
            c = '/';
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    header.name = folder + header.name;
    while (!header.name.empty() && header.name.back() == '/')
        header.name.pop_back();
    header.dataStart = headerEnd;
    return header.packed >= 0;
}

void TLhaExtractor::extractMember(FileLayer& file, const Header& header, const std::string& target)
{
    OutputFile out;
    if (!out.open(outputRoot(), target)) {
        nonFatal(msgErrorOpening, target);
        return;
    }
    uint32_t crc = 0;
    const int code = decode(file, header, out, crc);
    bool crcPass = false;
    if (code) {
        out.abandon();
        nonFatal(code, target);
    } else {
        crcPass = uint16_t(crc) == header.crc;
        int64_t when = -1;
        if (SetDateTo != sdSysDate)
            when = header.unixTime       ? int64_t(*header.unixTime)
                   : header.level == 2 ? int64_t(header.stamp)
                                        : dosDateTimeToUnix(header.stamp);
        const bool readOnly = header.unixMode ? !(*header.unixMode & 0200) : (header.dosAttribute.value_or(0) & 1);
        if (!out.commit(when, readOnly)) {
            nonFatal(msgErrorWriting, target);
            crcPass = false;
        }
    }
    memberEnded(*this, target, crcPass);
}

int TLhaExtractor::decode(FileLayer& file, const Header& header, OutputFile& out, uint32_t& crc)
{
    const uint64_t size = header.unpacked;
    const std::string& m = header.method;
    MemberPump::Decode decode;
    if (m == "-lh0-") {
        decode = MemberPump::bind(&storedDecode, [size](StoredState& s) { s.reset(size); });
    } else if (m == "-lh1-") {
        decode = MemberPump::bind(&lh1Decode, [size](Lh1State& s) { s.reset(size); });
    } else if (m == "-lh4-" || m == "-lh5-" || m == "-lh6-") {
        const LzhMethod method = m[3] == '4' ? LzhMethod::Lh4 : m[3] == '5' ? LzhMethod::Lh5 : LzhMethod::Lh6;
        decode = MemberPump::bind(&lzhDecode, [size, method](LzhState& s) { s.reset(method, size); });
    } else {
        return msgUnsupportedMethod;
    }
    MemberPump pump(*this, 32768);
    return pump.run(file, header.dataStart, header.packed, decode, out, CrcKind::Crc16, crc);
}

} // namespace ov
