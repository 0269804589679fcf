#include "archive/extract/rar_extractor.h"

#include "archive/archive_lister.h"
#include "archive/crc.h"
#include "archive/extract/member_steps.h"
#include "archive/extract/rar_library.h"
#include "archive/file_layer.h"
#include "archive/formats/rar5_header.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <cstring>
#include <vector>

namespace ov {

namespace {

// The message of a layer result; 0 for results without one.
int32_t messageOf(int result)
{
    switch (result) {
    case RarEndArchive:
        return msgEofNotFound;
    case RarNoMemory:
        return msgOutOfMemory;
    case RarBadData:
        return msgBadFileHeader;
    case RarBadArchive:
    case RarUnknownFormat:
        return msgUnsupportedArchiveType;
    case RarOpenError:
        return msgErrorOpening;
    case RarCreateError:
    case RarWriteError:
        return msgErrorWriting;
    case RarCloseError:
        return msgErrorClosing;
    case RarReadError:
        return msgErrorReading;
    case RarMissingVolume:
        return msgBrokenVolumeChain;
    case RarBadPassword:
        return msgInvalidPassword;
    default:
        return 0;
    }
}

} // namespace

void TRarExtractor::ExtractRun()
{
    const RarLibrary* library = rarLibrary();
    void* handle = nullptr;
    runFrame(
        [&] {
            if (!library)
                fatal(msgUnrarNotFound, m_archiveFile);
            run(*library, handle);
        },
        [&] { return handle != nullptr; }, [&] { library->close(handle); });
}

void TRarExtractor::run(const RarLibrary& library, void*& handle)
{
    startVolume({ atRAR, atRarExe }, false);
    const bool single = singleMember();
    readStoredCrcs();

    RarOpenRequest request {};
    request.archiveName = m_archiveFile.c_str();
    handle = library.open(&request);
    if (!handle)
        fatal(
            messageOf(int(request.result)) ? messageOf(int(request.result)) : msgErrorOpening, m_archiveFile);
    library.setChangeVolProc(handle, &TRarExtractor::volumeCallback, this);
    library.setProcessDataProc(handle, &TRarExtractor::dataCallback, this);
    m_nextVolume = 1;
    if (OnActivate)
        OnActivate(*this);
    m_cancel = false;
    m_stopwatch.start();

    RarMemberHeader header;
    while (!m_cancel) {
        processMessages();
        const int read = library.readHeader(handle, &header);
        if (read == RarEndArchive)
            break;
        if (read != RarSuccess)
            fatal(messageOf(read) ? messageOf(read) : msgBadFileHeader, m_archiveFile);
        header.fileName[RarNameSize - 1] = '\0';
        const std::string name = memberName(header.fileName, NameEncoding::Utf8IfValid, NameCodePage);
        // Folders, links and members the filter leaves out are skipped.
        const bool folder = header.attributes & 0x10;
        // Each file header takes the next stored CRC listed under its name.
        m_hasStoredCrc = false;
        if (auto found = m_storedCrcs.find(name);
            !folder && found != m_storedCrcs.end() && !found->second.empty()) {
            m_hasStoredCrc = true;
            m_storedCrc = found->second.front();
            found->second.pop_front();
        }
        if (folder || (header.flags & RarFlagLink)
            || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath)) {
            if (library.processFile(handle, RarSkip, nullptr, nullptr) == RarOpenError)
                break;
            continue;
        }
        clearEntry();
        FileName = name;
        UnpackedSize = header.unpackedSize < 0 ? 0 : header.unpackedSize;
        FileDate = DosDateToDateTime(header.dosTime);
        ExternalAttr = uint16_t(header.attributes);
        Encrypted = header.flags & RarFlagEncrypted;
        const std::string target = memberTarget(*this, name);
        ++m_memberCount;
        if (target.empty() || !memberAccepted(*this, target, FileDate, m_memberCount)) {
            --m_memberCount;
            library.processFile(handle, RarSkip, nullptr, nullptr);
            if (single && !target.empty())
                break;
            continue;
        }
        FileName = target;
        if (!extractMember(library, handle, target) || single)
            break;
    }
    m_stopwatch.stop();
    if (OnElapsedTime)
        OnElapsedTime(*this, m_stopwatch.seconds());
}

void TRarExtractor::readStoredCrcs()
{
    m_storedCrcs.clear();
    if (auto file = openFile(m_archiveFile)) {
        const bool rar5 = isRar5(*file, m_dataOffset);
        if (rar5)
            readRar5FileHeaders(*file, m_dataOffset, [this](const Rar5FileHeader& member) {
                // Folders, members without a CRC and split members are not checked.
                if (!member.folder() && member.hasCrc() && !member.split)
                    m_storedCrcs[memberName(member.storedName, NameEncoding::Utf8IfValid, NameCodePage)]
                        .push_back(member.dataCrc);
            });
        file->close();
        if (rar5)
            return;
    }
    TArchiveLister lister;
    lister.NameCodePage = NameCodePage;
    lister.ShowBlankDirs = true;
    lister.SetArchiveFile(m_archiveFile);
    lister.OnRead = [this](TArchiveLister& l, int64_t, int32_t) {
        if (!(l.ExternalAttr & 0x10))
            m_storedCrcs[l.FileName].push_back(l.Crc);
    };
    // A directory our reader cannot walk (damage) leaves members without a
    // stored CRC; the layer's own checks still apply to them.
    lister.Activate();
    markRunning();
}

bool TRarExtractor::extractMember(const RarLibrary& library, void* handle, const std::string& target)
{
    m_remaining = UnpackedSize;
    m_percent = -1;
    // The layer writes below the output folder resolved once for the run.
    const OutputRoot& root = outputRoot();
    const std::string destination = root.resolvedPath(target);
    // A member that cannot be written reports the write error alone, never
    // a failed CRC as well.
    auto writeFailed = [&] {
        nonFatal(msgErrorWriting, target);
        if (OnEnd)
            OnEnd(*this, target, false);
    };
    if (destination.empty()) {
        writeFailed();
        library.processFile(handle, RarSkip, nullptr, nullptr);
        return true;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (Encrypted) {
            bool tryAgain = true;
            if (Password.empty() && OnGetPassword)
                OnGetPassword(*this, target, Password, tryAgain);
            // No password to try: the member cannot be written, and the
            // run ends (the rest of a solid or encrypted set would fail too).
            if (Password.empty() || !tryAgain) {
                nonFatal(msgInvalidPassword, target);
                memberEnded(*this, target, false);
                return false;
            }
            library.setPassword(handle, Password.c_str());
        }
        m_extracting = true;
        m_crc = 0xFFFFFFFFu;
        const int result
            = library.processFile(handle, RarExtract, root.resolved().c_str(), destination.c_str());
        m_extracting = false;
        if (result == RarSuccess) {
            // The file stays written; a CRC that fails is reported.
            memberEnded(*this, target, !m_hasStoredCrc || ~m_crc == m_storedCrc);
            return true;
        }
        if (Encrypted && (result == RarBadPassword || result == RarBadData)) {
            nonFatal(msgInvalidPassword, target);
            Password.clear();
            if (OnGetPassword)
                continue;
        } else if (messageOf(result) == msgErrorWriting) {
            writeFailed();
            return false;
        } else if (messageOf(result)) {
            nonFatal(messageOf(result), target);
        }
        memberEnded(*this, target, false);
        return false;
    }
    memberEnded(*this, target, false);
    return false;
}

int TRarExtractor::volumeCallback(void* user, char* name, int mode)
{
    auto& x = *static_cast<TRarExtractor*>(user);
    std::string path(name);
    const std::string volumeId = std::to_string(x.m_nextVolume);
    if (mode == RarVolumeNotify) {
        // The volume is there: the handler may still point elsewhere.
        if (x.OnNextVolume) {
            std::string dir = folderPart(path);
            std::string fn = fileNamePart(path);
            bool cancel = false;
            x.OnNextVolume(x, dir, fn, volumeId, true, cancel);
            if (cancel)
                return 0;
            if (!dir.empty() && dir.back() != '/')
                dir += '/';
            path = fn.find('/') != std::string::npos ? fn : dir + fn;
        }
    } else if (!x.requestNextVolume(path, volumeId)) {
        return 0;
    }
    ++x.m_nextVolume;
    if (path.size() >= RarNameSize)
        return 0;
    std::memcpy(name, path.c_str(), path.size() + 1);
    return 1;
}

int TRarExtractor::dataCallback(void* user, const unsigned char* block, std::size_t size)
{
    auto& x = *static_cast<TRarExtractor*>(user);
    if (x.m_cancel)
        return 0;
    x.m_remaining -= int64_t(size);
    if (x.m_extracting)
        x.m_crc = crc32Update(x.m_crc, block, size);
    if (x.m_extracting && x.OnProgress) {
        const int value = TExtractorBase::percent(x.UnpackedSize - x.m_remaining, x.UnpackedSize);
        if (value != x.m_percent) {
            x.m_percent = value;
            x.OnProgress(x, x.FileName, uint8_t(value));
            x.processMessages();
        }
    }
    return 1;
}

} // namespace ov
