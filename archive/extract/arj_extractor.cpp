#include "archive/extract/arj_extractor.h"

#include "archive/archive_error.h"
#include "archive/decoders/arj4.h"
#include "archive/decoders/lzh.h"
#include "archive/decoders/stored.h"
#include "archive/extract/file_time.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/formats/arj_header.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

namespace ov {

void TArjExtractor::ExtractRun()
{
    runFrame([this] { run(); }, [this] { return m_file != nullptr; },
        [this] {
            m_reader.reset();
            m_file->close();
            m_file.reset();
        });
}

void TArjExtractor::run()
{
    startVolume({ atARJ, atArjExe }, true);
    const bool single = singleMember();

    openVolume(m_archiveFile);
    if (OnActivate)
        OnActivate(*this);
    m_stopwatch.start();
    ArjHeader header;
    bool stop = false;
    while (!m_cancel && !stop) {
        processMessages();
        if (!readHeader(header)) {
            // The end of this volume; the set goes on when its main header
            // says so.
            if (!m_mainContinues)
                break;
            std::string next = nextVolumeName(m_volume);
            if (!fileStore().exists(next) && !requestNextVolume(next, std::to_string(volumeNumber() - 1)))
                break;
            openVolume(next);
            continue;
        }
        const std::string name = memberName(header.storedName, header.nameEncoding(), NameCodePage);
        // Folders, the rest of a member begun in an earlier volume and
        // members the filter leaves out are passed over.
        if (header.folder() || (header.flags() & ArjHeader::FlagExtFile)
            || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath)) {
            skipParts(header);
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
        Encrypted = header.flags() & ArjHeader::FlagGarbled;
        ExternalAttr = header.dosAttributes();
        FileDate = header.unixHost() ? UnixToDateTime(header.stamp()) : DosDateToDateTime(header.stamp());

        if (header.needed() >= 4) {
            nonFatal(msgVersionError, name);
            skipParts(header);
            continue;
        }
        if (Encrypted)
            fatal(msgPasswordProtected, name);
        if (header.method() > 4 || (header.method() == 4 && header.version() == 1))
            fatal(msgUnsupportedMethod, name);
        if (header.type() != ArjHeader::TypeBinary && header.type() != ArjHeader::TypeText)
            fatal(msgUnknownFileType, name);
        const std::string target = memberTarget(*this, name);
        if (target.empty()) {
            skipParts(header);
            continue;
        }
        FileName = target;
        ++m_memberCount;
        if (!memberAccepted(*this, target, FileDate, m_memberCount)) {
            --m_memberCount;
            skipParts(header);
            if (single)
                break;
            continue;
        }
        extractMember(header, target, stop);
        if (single)
            break;
    }
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

void TArjExtractor::openVolume(const std::string& path)
{
    m_reader.reset();
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    m_file = openFile(path);
    if (!m_file)
        fatal(msgErrorOpening, path);
    m_volume = path;
    m_reader = std::make_unique<ArjReader>(*m_file);
    ArjHeader main;
    if (!m_reader->openMain(path == m_archiveFile ? DataOffset() : 0, main))
        fatal(msgUnsupportedArchiveType, path);
    m_mainContinues = main.flags() & ArjHeader::FlagVolume;
}

bool TArjExtractor::readHeader(ArjHeader& header)
{
    if (m_reader->next(header)) {
        if (!header.crcMatches)
            fatal(msgHeaderCrcError, m_volume);
        return true;
    }
    switch (m_reader->ended()) {
    case WalkEnd::Damaged:
        fatal(msgBadFileHeader, m_volume);
    case WalkEnd::Cut:
    case WalkEnd::DataCut:
        fatal(msgErrorReading, m_volume);
    default:
        return false;
    }
}

bool TArjExtractor::nextPart(ArjHeader& part)
{
    std::string next = nextVolumeName(m_volume);
    if (!fileStore().exists(next) && !requestNextVolume(next, std::to_string(volumeNumber() - 1)))
        return false;
    openVolume(next);
    if (!readHeader(part))
        fatal(msgBadFileHeader, next);
    return true;
}

void TArjExtractor::skipParts(const ArjHeader& header)
{
    ArjHeader part = header;
    while (part.flags() & ArjHeader::FlagVolume)
        if (!nextPart(part))
            throw ArchiveIoError("volume set ends");
}

void TArjExtractor::extractMember(const ArjHeader& header, const std::string& target, bool& stop)
{
    OutputFile out;
    if (!out.open(outputRoot(), target)) {
        nonFatal(msgErrorOpening, target);
        skipParts(header);
        return;
    }
    ArjHeader part = header;
    bool crcPass = true;
    int code = 0;
    for (;;) {
        uint32_t crc = 0xFFFFFFFFu;
        code = decodePart(part, out, crc);
        if (code)
            break;
        // Every part carries the CRC-32 of its own bytes.
        crcPass = crcPass && ~crc == part.crc();
        if (!(part.flags() & ArjHeader::FlagVolume))
            break;
        if (!nextPart(part)) {
            code = msgBrokenVolumeChain;
            break;
        }
    }
    if (code) {
        out.abandon();
        nonFatal(code, target);
        memberEnded(*this, target, false, code == msgErrorWriting ? MemberWrite::Failed : MemberWrite::Done);
        // A write failure, or a member whose later parts cannot be found
        // or followed, ends the run.
        stop = code == msgErrorWriting || code == msgBrokenVolumeChain
            || (part.flags() & ArjHeader::FlagVolume);
        return;
    }
    int64_t when = -1;
    if (SetDateTo != sdSysDate)
        when = header.unixHost() ? int64_t(header.stamp()) : dosDateTimeToUnix(header.stamp());
    const bool readOnly = header.unixHost() ? !(header.mode() & 0200) : (header.mode() & 1);
    if (!out.commit(when, readOnly)) {
        nonFatal(msgErrorWriting, target);
        memberEnded(*this, target, false, MemberWrite::Failed);
        return;
    }
    memberEnded(*this, target, crcPass);
}

int TArjExtractor::decodePart(const ArjHeader& part, OutputFile& out, uint32_t& crc)
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
        const LzhMethod method = part.method() == 1 ? LzhMethod::Arj1
            : part.method() == 2                    ? LzhMethod::Arj2
                                                    : LzhMethod::Arj3;
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
    return pump.run(*m_file, part.dataAt, part.packed(), decode, out, CrcKind::Crc32, crc);
}

} // namespace ov
