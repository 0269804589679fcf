#include "archive/extract/rar_extractor.h"

#include "archive/extract/member_steps.h"
#include "archive/extract/rar_library.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "archive/wildcard.h"

#include <cstring>

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

    RarOpenRequest request {};
    request.archiveName = m_archiveFile.c_str();
    handle = library.open(&request);
    if (!handle)
        fatal(messageOf(int(request.result)) ? messageOf(int(request.result)) : msgErrorOpening, m_archiveFile);
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
        if (folder || (header.flags & RarFlagLink) || !wildcardMatch(m_fileSpec, name, MatchScope::FullPath)) {
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

bool TRarExtractor::extractMember(const RarLibrary& library, void* handle, const std::string& target)
{
    m_remaining = UnpackedSize;
    m_percent = -1;
    // The layer writes below the output folder resolved once for the run.
    const OutputRoot& root = outputRoot();
    const std::string destination = root.resolvedPath(target);
    if (destination.empty()) {
        nonFatal(msgErrorWriting, target);
        library.processFile(handle, RarSkip, nullptr, nullptr);
        memberEnded(*this, target, false);
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
        const int result =
            library.processFile(handle, RarExtract, root.resolved().c_str(), destination.c_str());
        m_extracting = false;
        if (result == RarSuccess) {
            memberEnded(*this, target, true);
            return true;
        }
        if (Encrypted && (result == RarBadPassword || result == RarBadData)) {
            nonFatal(msgInvalidPassword, target);
            Password.clear();
            if (OnGetPassword)
                continue;
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

int TRarExtractor::dataCallback(void* user, const unsigned char*, std::size_t size)
{
    auto& x = *static_cast<TRarExtractor*>(user);
    if (x.m_cancel)
        return 0;
    x.m_remaining -= int64_t(size);
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
