#include "archive/extract/arc_extractor.h"

#include "archive/bytes.h"
#include "archive/decoders/arc_crunch.h"
#include "archive/decoders/arc_lzw.h"
#include "archive/decoders/arc_squeeze.h"
#include "archive/decoders/arc_unpack.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <cstring>
#include <memory>

namespace ov {

namespace {

// SEA's ARC layout: 1A, method, 13-byte name, packed size (15), date (19),
// time (21), CRC-16 (23), unpacked size (25); method 1 headers stop before
// the unpacked size. Method 30 opens a folder, 31 closes it.
constexpr std::size_t HeaderSize = 29;
constexpr std::size_t OldHeaderSize = 25;
constexpr uint8_t MethodFolder = 30;
constexpr uint8_t MethodFolderEnd = 31;
constexpr std::size_t ArcBlock = 512;

uint32_t swapHalves(uint32_t value) { return value << 16 | value >> 16; }

} // namespace

TDateTime TArcExtractor::DosDateToDateTime(uint32_t stored) const
{
    return TExtractorBase::DosDateToDateTime(swapHalves(stored));
}

void TArcExtractor::ExtractRun()
{
    runOnFile({ atARC, atArcExe }, [this](FileLayer& file) { run(file); });
}

void TArcExtractor::run(FileLayer& file)
{
    if (OnActivate)
        OnActivate(*this);
    m_stopwatch.start();
    const int64_t size = file.size();
    std::string folder; // stored folder of the members, "/" separated
    int64_t position = DataOffset();
    uint8_t h[HeaderSize];
    while (!m_cancel && position + int64_t(HeaderSize) < size) {
        processMessages();
        if (!file.readExact(position, h, 2) || h[0] != 0x1A || h[1] == 0)
            break;
        const uint8_t method = h[1];
        if (method == MethodFolderEnd) {
            const auto slash = folder.find_last_of('/', folder.size() >= 2 ? folder.size() - 2 : 0);
            folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
            position += 2;
            continue;
        }
        const std::size_t headerSize = method == 1 ? OldHeaderSize : HeaderSize;
        if (!file.readExact(position, h, headerSize))
            break;
        const auto* stored = reinterpret_cast<const char*>(h + 2);
        const std::string full = folder + std::string(stored, strnlen(stored, 13));
        const int64_t packed = le32(h + 15);
        const int64_t dataAt = position + int64_t(headerSize);
        if (method == MethodFolder) {
            folder = full + "/";
            position = dataAt;
            continue;
        }
        position = dataAt + packed;
        const std::string name = memberName(full, NameEncoding::Oem, NameCodePage);
        if (!wildcardMatch(m_fileSpec, name, MatchScope::NamesOnly))
            continue;

        clearEntry();
        FileName = name;
        PackedSize = packed;
        UnpackedSize = method == 1 ? packed : le32(h + 25);
        Ratio = computeRatio(PackedSize, UnpackedSize);
        const uint32_t stamp = le32(h + 19);
        FileDate = DosDateToDateTime(stamp);
        Crc = le16(h + 23);
        MethodNumber = method;
        ExternalAttr = 0x20;
        const std::string target = memberTarget(*this, name);
        if (target.empty())
            continue;
        FileName = target;
        // ARC's RecNum counts the members before this one.
        if (!memberAccepted(*this, target, FileDate, m_memberCount)) {
            if (singleMember())
                break;
            continue;
        }
        ++m_memberCount;

        OutputFile out;
        bool crcPass = false;
        if (!out.open(outputRoot(), target)) {
            nonFatal(msgErrorWriting, target);
        } else {
            uint32_t crc = 0;
            const int code = decode(file, dataAt, method, packed, uint32_t(UnpackedSize), out, crc);
            if (code) {
                out.abandon();
                nonFatal(code, target);
                if (code == msgErrorWriting) {
                    memberEnded(*this, target, false);
                    break;
                }
            } else {
                crcPass = uint16_t(crc) == Crc;
                const int64_t when = SetDateTo == sdSysDate ? -1 : dosDateTimeToUnix(swapHalves(stamp));
                if (!out.commit(when, false)) {
                    nonFatal(msgErrorWriting, target);
                    crcPass = false;
                }
            }
        }
        memberEnded(*this, target, crcPass);
        if (singleMember())
            break;
    }
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

int TArcExtractor::decode(FileLayer& file, int64_t dataAt, uint8_t method, int64_t packed, uint32_t unpacked,
                          OutputFile& out, uint32_t& crc)
{
    const uint64_t size = unpacked;
    MemberPump::Decode decode;
    switch (method) {
    case 1:
    case 2:
        decode = MemberPump::bind(&storedDecode, [size](StoredState& s) { s.reset(size); });
        break;
    case 3:
        decode = MemberPump::bind(&arcUnpackDecode, [size](ArcUnpackState& s) { s.reset(size); });
        break;
    case 4:
        decode = MemberPump::bind(&arcSqueezeDecode, [size](ArcSqueezeState& s) { s.reset(size); });
        break;
    case 5:
    case 6:
    case 7: {
        const ArcLzwMethod lzw = method == 5 ? ArcLzwMethod::Crunch5 : method == 6 ? ArcLzwMethod::Crunch6 : ArcLzwMethod::Crunch7;
        decode = MemberPump::bind(&arcLzwDecode, [size, lzw](ArcLzwState& s) { s.reset(lzw, size); });
        break;
    }
    case 8:
    case 9: {
        const ArcCrunchMethod crunch = method == 8 ? ArcCrunchMethod::Crunch8 : ArcCrunchMethod::Squash9;
        decode = MemberPump::bind(&arcCrunchDecode, [size, crunch](ArcCrunchState& s) { s.reset(crunch, size); });
        break;
    }
    default:
        return msgUnsupportedMethod;
    }
    MemberPump pump(*this, ArcBlock);
    return pump.run(file, dataAt, packed, decode, out, CrcKind::Crc16, crc);
}

} // namespace ov
