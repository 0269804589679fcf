#include "archive/extract/zip_extractor.h"

#include "archive/extract/file_time.h"

#include "archive/archive_error.h"
#include "archive/decoders/implode.h"
#include "archive/decoders/inflate.h"
#include "archive/decoders/reduce.h"
#include "archive/decoders/shrink.h"
#include "archive/decoders/stored.h"
#include "archive/decoders/zip_crypto.h"
#include "archive/extract/member_pump.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/output_file.h"
#include "archive/formats/zip_directory.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <memory>
#include <optional>

namespace ov {

namespace {
constexpr std::size_t BlockSize = 32768;

// The permission bits a Unix host stored in the high half of the external
// attributes (APPNOTE 4.4.15, host 3); none from other hosts.
std::optional<uint32_t> storedUnixMode(const ZipEntry& entry)
{
    constexpr uint8_t HostUnix = 3;
    const uint32_t mode = entry.externalAttributes >> 16;
    if (entry.hostSystem != HostUnix || mode == 0)
        return std::nullopt;
    return mode;
}
} // namespace

void TZipExtractor::ExtractRun()
{
    markRunning();
    m_cancel = false;
    m_memberCount = 0;
    m_lastPassword.clear();
    m_endRun = false;
    std::unique_ptr<FileLayer> file;
    try {
        if (m_archiveFile.empty())
            fatal(msgInvalidFileName, m_archiveFile);
        if (m_arcType != atZIP && m_arcType != atZipExe && m_arcType != atZip250 && m_arcType != atZip250Exe)
            fatal(msgUnsupportedArchiveType, m_archiveFile);
        file = openFile(m_archiveFile);
        if (!file)
            fatal(msgErrorOpening, m_archiveFile);
        run(*file);
    } catch (const ArchiveError&) {
    } catch (const ArchiveIoError&) {
    }
    if (file) {
        file->close();
        if (OnDeactivate)
            OnDeactivate(*this);
    }
    clearRunning();
}

void TZipExtractor::run(FileLayer& file)
{
    ZipDirectory directory(file, ZipOffset());
    switch (directory.open()) {
    case ZipDirectory::Opened::Ok:
        break;
    case ZipDirectory::Opened::NoEndRecord:
        fatal(msgBadFileHeader, m_archiveFile);
    case ZipDirectory::Opened::Empty:
    case ZipDirectory::Opened::BadFirstRecord:
        fatal(msgHeaderIdError, m_archiveFile);
    }

    if (OnActivate)
        OnActivate(*this);
    m_cancel = false;
    m_stopwatch.start();
    const bool singleMember = m_fileSpec.find_first_of("*?") == std::string::npos;
    OutputRoot root; // the output folder, resolved once
    ZipDataRanges taken;
    ZipEntry entry;
    while (!m_cancel && !m_endRun && directory.next(entry)) {
        processMessages();
        const std::string name = memberName(entry.storedName, entry.nameEncoding(), NameCodePage);
        // Folders and volume labels write nothing; links are never made,
        // and never written as files holding their target.
        if (entry.folder() || entry.volumeLabel() || entry.link()
            || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath))
            continue;

        clearEntry();
        FileName = name;
        PackedSize = entry.packedSize;
        UnpackedSize = entry.unpackedSize;
        Crc = entry.crc;
        MethodNumber = entry.method;
        VersionMadeBy = entry.versionMadeBy;
        VersionNeeded = entry.versionNeeded;
        Encrypted = entry.encrypted();
        ExternalAttr = entry.dosAttributes();
        FileDate = DosDateToDateTime(entry.dosTime);
        Ratio = computeRatio(entry.packedSize, entry.unpackedSize);

        // Names that would leave the output folder are refused outright.
        const std::string target = memberTarget(*this, name);
        if (target.empty())
            continue;
        FileName = target;

        ZipLocalHeader local;
        if (!directory.readLocal(entry, local)) {
            nonFatal(msgInconsistentLocalHeader, target);
            continue;
        }
        // Data that another member already took is refused: directory
        // entries pointing into one member would write it again and again.
        if (!taken.claim(entry.localHeaderAt, local.dataAt + entry.packedSize)) {
            nonFatal(msgBadFileHeader, target);
            continue;
        }
        ++m_memberCount;
        if (!memberAccepted(*this, target, DosDateToDateTime(local.dosTime), m_memberCount)) {
            --m_memberCount;
            if (singleMember)
                break;
            continue;
        }

        int64_t dataAt = local.dataAt;
        int64_t packedSize = entry.packedSize;
        ZipCrypto crypto;
        if (entry.encrypted()) {
            if (packedSize < int64_t(ZipCrypto::HeaderSize)) {
                nonFatal(msgInconsistentLocalHeader, target);
                continue;
            }
            if (!acceptPassword(file, entry, target, dataAt, crypto)) {
                if (m_endRun)
                    break;
                continue;
            }
            dataAt += int64_t(ZipCrypto::HeaderSize);
            packedSize -= int64_t(ZipCrypto::HeaderSize);
        }

        OutputFile out;
        bool crcPass = false;
        bool writeFailed = false; // reported as the write error, never as a CRC failure
        root.follow(targetFolder());
        if (out.open(root, target)) {
            uint32_t crc = 0xFFFFFFFFu;
            const int code = decodeMember(
                file, entry, dataAt, packedSize, entry.encrypted() ? &crypto : nullptr, out, crc);
            if (code) {
                out.abandon();
                nonFatal(code, target);
                writeFailed = code == msgErrorWriting;
            } else {
                // A stream that ends early can carry the CRC of what it
                // holds: the member is whole only at its stated size.
                crcPass = ~crc == entry.crc && out.written() == int64_t(entry.unpackedSize);
                const int64_t when = SetDateTo == sdSysDate ? -1 : dosDateTimeToUnix(entry.dosTime);
                if (!out.commit(when, entry.externalAttributes & 1, storedUnixMode(entry))) {
                    nonFatal(msgErrorWriting, target);
                    crcPass = false;
                    writeFailed = true;
                }
            }
        } else {
            nonFatal(msgErrorWriting, target);
            writeFailed = true;
        }
        // A member whose CRC fails stays written and is always reported.
        memberEnded(*this, target, crcPass, writeFailed ? MemberWrite::Failed : MemberWrite::Done);
        if (singleMember || m_endRun)
            break;
    }
    // A directory that ends before its declared count lost members.
    if (!m_cancel && !m_endRun && directory.incomplete())
        nonFatal(msgBadFileHeader, m_archiveFile);

    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

bool TZipExtractor::acceptPassword(
    FileLayer& file, const ZipEntry& member, const std::string& target, int64_t headerAt, ZipCrypto& crypto)
{
    uint8_t header[ZipCrypto::HeaderSize];
    if (!file.readExact(headerAt, header, sizeof header))
        return false;
    const uint8_t check = (member.flags & 8) ? uint8_t(member.dosTime >> 8) : uint8_t(member.crc >> 24);
    auto tryPassword = [&](const std::string& password) {
        crypto.setPassword(password);
        return crypto.acceptHeader(std::span<const uint8_t, ZipCrypto::HeaderSize>(header), check);
    };
    if (!m_lastPassword.empty() && tryPassword(m_lastPassword))
        return true;
    for (const std::string& password : Passwords)
        if (tryPassword(password)) {
            m_lastPassword = password;
            return true;
        }
    if (!OnGetPassword)
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string proposal;
        bool tryAgain = true;
        OnGetPassword(*this, target, proposal, tryAgain);
        if (!tryAgain)
            break;
        if (tryPassword(proposal)) {
            Passwords.insert(Passwords.begin(), proposal);
            m_lastPassword = proposal;
            return true;
        }
        nonFatal(msgInvalidPassword, target);
    }
    nonFatal(msgPasswordFailed, target);
    m_endRun = true;
    return false;
}

int TZipExtractor::decodeMember(FileLayer& file, const ZipEntry& member, int64_t dataAt, int64_t packedSize,
    ZipCrypto* crypto, OutputFile& out, uint32_t& crc)
{
    const uint64_t size = uint64_t(member.unpackedSize);
    MemberPump::Decode decode;
    std::shared_ptr<InflateState> inflate;
    switch (member.method) {
    case 0:
        decode = MemberPump::bind(&storedDecode, [size](StoredState& s) { s.reset(size); });
        break;
    case 1:
        decode = MemberPump::bind(&shrinkDecode, [size](ShrinkState& s) { s.reset(size); });
        break;
    case 2:
    case 3:
    case 4:
    case 5: {
        const unsigned factor = member.method - 1u;
        decode = MemberPump::bind(&reduceDecode, [size, factor](ReduceState& s) { s.reset(size, factor); });
        break;
    }
    case 6: {
        const uint16_t flags = member.flags;
        decode = MemberPump::bind(&implodeDecode, [size, flags](ImplodeState& s) { s.reset(size, flags); });
        break;
    }
    case 8:
        // Kept here as well: stored-block lengths that disagree end the run.
        inflate = std::make_shared<InflateState>();
        inflate->reset(size);
        decode = [inflate](DecodeStream& stream) { return inflateDecode(stream, *inflate); };
        break;
    default:
        return msgUnsupportedMethod;
    }
    MemberPump pump(*this, BlockSize);
    if (crypto)
        pump.setInputTransform([crypto](uint8_t* bytes, std::size_t length) {
            crypto->decrypt(std::span<uint8_t>(bytes, length));
        });
    const int code = pump.run(file, dataAt, packedSize, decode, out, CrcKind::Crc32, crc);
    if (code && inflate && inflate->badStoredLength)
        m_endRun = true;
    return code;
}

} // namespace ov
