#include "archive/extract/arc_extractor.h"

#include "archive/decoders/arc_crunch.h"
#include "archive/decoders/arc_lzw.h"
#include "archive/decoders/arc_squeeze.h"
#include "archive/decoders/arc_unpack.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/formats/arc_header.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <memory>

namespace ov {

namespace {

constexpr std::size_t ArcBlock = 512;

uint32_t swapHalves(uint32_t value)
{
    return value << 16 | value >> 16;
}

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
    ArcReader reader(file, DataOffset(), false);
    ArcHeader header;
    bool decodedLast = false; // the last member read was decoded
    bool stop = false;
    while (!m_cancel && !stop && reader.next(header)) {
        processMessages();
        decodedLast = false;
        if (header.folder)
            continue;
        const std::string name = memberName(header.storedName, NameEncoding::Oem, NameCodePage);
        if (!wildcardMatch(m_fileSpec, name, MatchScope::NamesOnly))
            continue;

        clearEntry();
        FileName = name;
        PackedSize = header.packedSize;
        UnpackedSize = header.unpackedSize;
        Ratio = computeRatio(PackedSize, UnpackedSize);
        // The reader has put the halves in DOS order already.
        FileDate = TExtractorBase::DosDateToDateTime(header.dosTime);
        Crc = header.crc;
        MethodNumber = header.method;
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
        MemberWrite write = MemberWrite::Done;
        if (!out.open(outputRoot(), target)) {
            nonFatal(msgErrorWriting, target);
            write = MemberWrite::Failed;
        } else {
            uint32_t crc = 0;
            decodedLast = true;
            const int code = decode(file, header.dataAt, header.method, header.packedSize,
                uint32_t(header.unpackedSize), out, crc);
            if (code) {
                out.abandon();
                nonFatal(code, target);
                // A write failure ends the run.
                stop = code == msgErrorWriting;
                if (stop)
                    write = MemberWrite::Failed;
            } else {
                crcPass = uint16_t(crc) == header.crc;
                const int64_t when = SetDateTo == sdSysDate ? -1 : dosDateTimeToUnix(header.dosTime);
                if (!out.commit(when, false)) {
                    nonFatal(msgErrorWriting, target);
                    crcPass = false;
                    write = MemberWrite::Failed;
                }
            }
        }
        memberEnded(*this, target, crcPass, write);
        if (singleMember())
            break;
    }
    // The archive ends before its end marker: members may be missing. A
    // member whose data is cut and was decoded has said so already.
    const bool reported = reader.ended() == WalkEnd::DataCut && decodedLast;
    if (!m_cancel && !stop && reader.incomplete() && !reported)
        nonFatal(msgBadFileHeader, m_archiveFile);
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
        const ArcLzwMethod lzw = method == 5 ? ArcLzwMethod::Crunch5
            : method == 6                    ? ArcLzwMethod::Crunch6
                                             : ArcLzwMethod::Crunch7;
        decode = MemberPump::bind(&arcLzwDecode, [size, lzw](ArcLzwState& s) { s.reset(lzw, size); });
        break;
    }
    case 8:
    case 9: {
        const ArcCrunchMethod crunch = method == 8 ? ArcCrunchMethod::Crunch8 : ArcCrunchMethod::Squash9;
        decode = MemberPump::bind(
            &arcCrunchDecode, [size, crunch](ArcCrunchState& s) { s.reset(crunch, size); });
        break;
    }
    default:
        return msgUnsupportedMethod;
    }
    MemberPump pump(*this, ArcBlock);
    return pump.run(file, dataAt, packed, decode, out, CrcKind::Crc16, crc);
}

} // namespace ov
