#include "archive/extract/lha_extractor.h"

#include "archive/decoders/lh1.h"
#include "archive/decoders/lzh.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/formats/lha_header.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <memory>

namespace ov {

void TLhaExtractor::ExtractRun()
{
    runOnFile({ atLHA, atLhaExe, atLZH, atLzhExe }, [this](FileLayer& file) { run(file); });
}

void TLhaExtractor::run(FileLayer& file)
{
    if (OnActivate)
        OnActivate(*this);
    m_stopwatch.start();
    LhaReader reader(file, DataOffset());
    LhaHeader header;
    bool decodedLast = false; // the last member read was decoded
    while (!m_cancel && reader.next(header)) {
        decodedLast = false;
        processMessages();
        const std::string name = memberName(header.storedName, header.nameEncoding(), NameCodePage);
        if (header.folder() || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath))
            continue;
        clearEntry();
        FileName = name;
        PackedSize = header.packedSize;
        UnpackedSize = header.unpackedSize;
        Ratio = computeRatio(PackedSize, UnpackedSize);
        Crc = header.crc;
        MethodNumber = uint8_t(header.method[3]);
        ExternalAttr = header.dosAttributes();
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
        decodedLast = true;
        if (singleMember())
            break;
    }
    // The archive ends before its end byte, or a header is damaged:
    // members may be missing. A member whose data is cut and was decoded
    // has said so already.
    const bool reported = reader.ended() == WalkEnd::DataCut && decodedLast;
    if (!m_cancel && reader.incomplete() && !reported)
        nonFatal(msgBadFileHeader, m_archiveFile);
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

void TLhaExtractor::extractMember(FileLayer& file, const LhaHeader& header, const std::string& target)
{
    OutputFile out;
    if (!out.open(outputRoot(), target)) {
        nonFatal(msgErrorOpening, target);
        return;
    }
    uint32_t crc = 0;
    const int code = decode(file, header, out, crc);
    bool crcPass = false;
    MemberWrite write = MemberWrite::Done;
    if (code) {
        out.abandon();
        nonFatal(code, target);
        if (code == msgErrorWriting)
            write = MemberWrite::Failed;
    } else {
        crcPass = uint16_t(crc) == header.crc;
        int64_t when = -1;
        if (SetDateTo != sdSysDate)
            when = header.unixTime  ? int64_t(*header.unixTime)
                : header.level == 2 ? int64_t(header.stamp)
                                    : dosDateTimeToUnix(header.stamp);
        if (!out.commit(when, header.readOnly())) {
            nonFatal(msgErrorWriting, target);
            crcPass = false;
            write = MemberWrite::Failed;
        }
    }
    memberEnded(*this, target, crcPass, write);
}

int TLhaExtractor::decode(FileLayer& file, const LhaHeader& header, OutputFile& out, uint32_t& crc)
{
    const uint64_t size = uint64_t(header.unpackedSize);
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
    return pump.run(file, header.dataAt, header.packedSize, decode, out, CrcKind::Crc16, crc);
}

} // namespace ov
