#include "archive/extract/zip_extractor.h"

#include "archive/extract/file_time.h"

#include "archive/archive_error.h"
#include "archive/bytes.h"
#include "archive/crc.h"
#include "archive/decoders/implode.h"
#include "archive/decoders/inflate.h"
#include "archive/decoders/reduce.h"
#include "archive/decoders/shrink.h"
#include "archive/decoders/stored.h"
#include "archive/decoders/zip_crypto.h"
#include "archive/extract/output_file.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <variant>

namespace ov {

namespace {

constexpr uint32_t LocalSignature = 0x04034b50;
constexpr uint32_t CentralSignature = 0x02014b50;
constexpr uint32_t EndSignature = 0x06054b50;
constexpr std::size_t CentralSize = 46;
constexpr std::size_t LocalSize = 30;
constexpr std::size_t BlockSize = 32768;

} // namespace

struct TZipExtractor::Member {
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosTime = 0;
    uint32_t crc = 0;
    int64_t packed = 0;
    int64_t unpacked = 0;
    uint32_t external = 0;
    int64_t localOffset = 0;
    std::string target;
};

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
    const int64_t size = file.size();
    // The end-of-directory record, scanned backwards in the last 32 KB.
    const int64_t tail = std::min<int64_t>(size - 1, 32768);
    std::vector<uint8_t> bytes(std::size_t(std::max<int64_t>(tail, 0)));
    int64_t endAt = -1;
    if (tail >= 22 && file.readExact(size - tail, bytes.data(), bytes.size()))
        for (int64_t i = tail - 22; i >= 0 && endAt < 0; --i)
            if (le32(bytes.data() + i) == EndSignature)
                endAt = i;
    if (endAt < 0)
        fatal(msgBadFileHeader, m_archiveFile);
    int64_t position = int64_t(le32(bytes.data() + endAt + 16)) + ZipOffset();
    uint8_t central[CentralSize];
    if (!file.readExact(position, central, CentralSize) || le32(central) != CentralSignature) {
        // The first central record from the bytes before the end.
        position = -1;
        for (int64_t i = 0; i + 4 <= tail; ++i)
            if (le32(bytes.data() + i) == CentralSignature) {
                position = size - tail + i;
                break;
            }
        if (position < 0 || !file.readExact(position, central, CentralSize))
            fatal(msgHeaderIdError, m_archiveFile);
    }

    if (OnActivate)
        OnActivate(*this);
    m_cancel = false;
    m_stopwatch.start();
    const bool singleMember = m_fileSpec.find_first_of("*?") == std::string::npos;
    OutputRoot root; // the output folder, resolved once

    while (!m_cancel && !m_endRun && file.readExact(position, central, CentralSize) &&
           le32(central) == CentralSignature) {
        processMessages();
        Member member;
        member.flags = le16(central + 8);
        member.method = le16(central + 10);
        member.dosTime = le32(central + 12);
        member.crc = le32(central + 16);
        member.packed = le32(central + 20);
        member.unpacked = le32(central + 24);
        const uint16_t nameLength = le16(central + 28);
        const uint16_t extraLength = le16(central + 30);
        const uint16_t commentLength = le16(central + 32);
        member.external = le32(central + 38);
        member.localOffset = int64_t(le32(central + 42)) + ZipOffset();
        std::string stored(nameLength, '\0');
        if (!file.readExact(position + int64_t(CentralSize), stored.data(), nameLength))
            throw ArchiveIoError("short central record");
        position += int64_t(CentralSize) + nameLength + extraLength + commentLength;

        // The same rule as the listing: flagged UTF-8, or a Unix host's name
        // that is valid UTF-8, is taken as UTF-8; the rest is OEM text.
        const uint8_t host = central[5];
        const NameEncoding encoding = (member.flags & 0x800) ? NameEncoding::Utf8
            : host == 3                                       ? NameEncoding::Utf8IfValid
                                                              : NameEncoding::Oem;
        const std::string name = memberName(stored, encoding, NameCodePage);
        const bool folder = (member.external & 0x18) || (!name.empty() && name.back() == '\\');
        // A Unix host keeps the file type in the high half: links are never
        // made, and never written as files holding their target.
        const bool link = host == 3 && ((member.external >> 16) & 0170000) == 0120000;
        if (folder || link || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath))
            continue;

        clearEntry();
        FileName = name;
        PackedSize = member.packed;
        UnpackedSize = member.unpacked;
        Crc = member.crc;
        MethodNumber = member.method;
        Encrypted = member.flags & 1;
        ExternalAttr = uint16_t(member.external);
        FileDate = DosDateToDateTime(member.dosTime);
        Ratio = computeRatio(member.packed, member.unpacked);

        // Names that would leave the output folder are refused outright.
        member.target = hasParentComponent(stored) ? std::string() : SetTargetName(name);
        if (member.target.empty()) {
            nonFatal(msgInvalidFileName, name);
            continue;
        }
        FileName = member.target;

        uint8_t local[LocalSize];
        if (!file.readExact(member.localOffset, local, LocalSize) ||
            (le32(local) != LocalSignature && le32(local) != 0x50000000)) {
            nonFatal(msgInconsistentLocalHeader, member.target);
            continue;
        }
        ++m_memberCount;
        bool extract = true;
        if (OnFileExists && fileStore().exists(member.target)) {
            bool accept = true;
            OnFileExists(*this, member.target, DosDateToDateTime(le32(local + 10)), accept);
            extract = accept;
        }
        if (extract && OnBegin)
            OnBegin(*this, member.target, m_memberCount, extract);
        if (!extract) {
            --m_memberCount;
            if (singleMember)
                break;
            continue;
        }

        int64_t dataAt = member.localOffset + int64_t(LocalSize) + le16(local + 26) + le16(local + 28);
        int64_t packedSize = member.packed;
        ZipCrypto crypto;
        const bool encrypted = member.flags & 1;
        if (encrypted) {
            if (packedSize < int64_t(ZipCrypto::HeaderSize)) {
                nonFatal(msgInconsistentLocalHeader, member.target);
                continue;
            }
            if (!acceptPassword(file, member, dataAt, crypto)) {
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
        if (out.open(root, member.target)) {
            uint32_t crc = 0xFFFFFFFFu;
            const int code = decodeMember(file, member, dataAt, packedSize, encrypted ? &crypto : nullptr, out, crc);
            if (code) {
                out.abandon();
                nonFatal(code, member.target);
                writeFailed = code == msgErrorWriting;
            } else {
                crcPass = ~crc == member.crc;
                const int64_t when = SetDateTo == sdSysDate ? -1 : dosDateTimeToUnix(member.dosTime);
                if (!out.commit(when, member.external & 1)) {
                    nonFatal(msgErrorWriting, member.target);
                    crcPass = false;
                    writeFailed = true;
                }
            }
        } else {
            nonFatal(msgErrorWriting, member.target);
            writeFailed = true;
        }
        // A member whose CRC fails stays written and is always reported.
        if (OnEnd)
            OnEnd(*this, member.target, crcPass);
        else if (!crcPass && !writeFailed)
            nonFatal(msgCrcFailed, member.target);
        if (singleMember || m_endRun)
            break;
    }

    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

bool TZipExtractor::acceptPassword(FileLayer& file, const Member& member, int64_t headerAt, ZipCrypto& crypto)
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
        OnGetPassword(*this, member.target, proposal, tryAgain);
        if (!tryAgain)
            break;
        if (tryPassword(proposal)) {
            Passwords.insert(Passwords.begin(), proposal);
            m_lastPassword = proposal;
            return true;
        }
        nonFatal(msgInvalidPassword, member.target);
    }
    nonFatal(msgPasswordFailed, member.target);
    m_endRun = true;
    return false;
}

int TZipExtractor::decodeMember(FileLayer& file, const Member& member, int64_t dataAt, int64_t packedSize,
                                ZipCrypto* crypto, OutputFile& out, uint32_t& crc)
{
    using Decoder = std::variant<StoredState, std::unique_ptr<ShrinkState>, std::unique_ptr<ReduceState>,
                                 std::unique_ptr<ImplodeState>, std::unique_ptr<InflateState>>;
    Decoder decoder;
    const uint64_t size = uint64_t(member.unpacked);
    switch (member.method) {
    case 0:
        decoder = StoredState { size };
        break;
    case 1:
        decoder = std::make_unique<ShrinkState>();
        std::get<1>(decoder)->reset(size);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        decoder = std::make_unique<ReduceState>();
        std::get<2>(decoder)->reset(size, member.method - 1u);
        break;
    case 6:
        decoder = std::make_unique<ImplodeState>();
        std::get<3>(decoder)->reset(size, member.flags);
        break;
    case 8:
        decoder = std::make_unique<InflateState>();
        std::get<4>(decoder)->reset(size);
        break;
    default:
        return msgUnsupportedMethod;
    }
    auto decode = [&decoder](DecodeStream& stream) {
        switch (decoder.index()) {
        case 0:
            return storedDecode(stream, std::get<0>(decoder));
        case 1:
            return shrinkDecode(stream, *std::get<1>(decoder));
        case 2:
            return reduceDecode(stream, *std::get<2>(decoder));
        case 3:
            return implodeDecode(stream, *std::get<3>(decoder));
        default:
            return inflateDecode(stream, *std::get<4>(decoder));
        }
    };

    std::vector<uint8_t> input(BlockSize);
    std::vector<uint8_t> output(BlockSize);
    std::size_t held = 0; // unconsumed input bytes at the front of `input`
    int64_t remaining = packedSize;
    const int64_t stepBytes = std::max<int64_t>(1, progressStep() * packedSize / 100);
    int64_t nextProgress = stepBytes;
    for (;;) {
        if (held < input.size() && remaining > 0) {
            const std::size_t want = std::size_t(std::min<int64_t>(remaining, int64_t(input.size() - held)));
            const std::size_t got = file.readAt(dataAt, input.data() + held, want);
            if (crypto)
                crypto->decrypt(std::span<uint8_t>(input.data() + held, got));
            dataAt += int64_t(got);
            remaining -= int64_t(got);
            held += got;
            if (got < want)
                remaining = 0; // the archive ends early: the decoder says where
            if (OnProgress && packedSize - remaining >= nextProgress) {
                OnProgress(*this, FileName, percent(packedSize - remaining, packedSize));
                nextProgress = (packedSize - remaining) / stepBytes * stepBytes + stepBytes;
                processMessages();
            }
        }
        DecodeStream stream;
        stream.input = std::span<const uint8_t>(input.data(), held);
        stream.inputEnd = remaining == 0;
        stream.output = std::span<uint8_t>(output.data(), output.size());
        const Status status = decode(stream);
        const std::size_t produced = output.size() - stream.output.size();
        if (produced) {
            crc = crc32Update(crc, output.data(), produced);
            if (!out.write(output.data(), produced))
                return msgErrorWriting;
        }
        const std::size_t left = stream.input.size();
        std::memmove(input.data(), stream.input.data(), left);
        held = left;
        if (status.isDone())
            return 0;
        if (status.isCorrupt()) {
            if (decoder.index() == 4 && std::get<4>(decoder)->badStoredLength)
                m_endRun = true; // stored-block lengths that disagree end the run
            return status.code();
        }
        if (m_cancel)
            return msgErrorReading;
    }
}

} // namespace ov
