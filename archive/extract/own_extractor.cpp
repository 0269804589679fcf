#include "archive/extract/own_extractor.h"

#include "archive/archive_error.h"
#include "archive/messages.h"

#include <algorithm>

namespace ov {

void OwnExtractor::runFrame(const std::function<void()>& body, const std::function<bool()>& opened,
    const std::function<void()>& close)
{
    markRunning();
    m_cancel = false;
    m_memberCount = 0;
    m_outputRoot = OutputRoot();
    const std::string archive = m_archiveFile;
    const TArcType kind = m_arcType;
    try {
        body();
    } catch (const ArchiveError&) {
    } catch (const ArchiveIoError&) {
    }
    if (opened()) {
        close();
        if (OnDeactivate)
            OnDeactivate(*this);
    }
    if (m_archiveFile != archive) {
        m_archiveFile = archive;
        m_arcType = kind;
    }
    clearRunning();
}

void OwnExtractor::runOnFile(
    std::initializer_list<TArcType> kinds, const std::function<void(FileLayer&)>& body)
{
    std::unique_ptr<FileLayer> file;
    runFrame(
        [&] {
            if (m_archiveFile.empty())
                fatal(msgInvalidFileName, m_archiveFile);
            if (std::find(kinds.begin(), kinds.end(), m_arcType) == kinds.end())
                fatal(msgUnsupportedArchiveType, m_archiveFile);
            file = openFile(m_archiveFile);
            if (!file)
                fatal(msgErrorOpening, m_archiveFile);
            body(*file);
        },
        [&] { return file != nullptr; }, [&] { file->close(); });
}

void OwnExtractor::startVolume(std::initializer_list<TArcType> kinds, bool arj)
{
    if (m_archiveFile.empty())
        fatal(msgInvalidFileName, m_archiveFile);
    if (singleMember() && !VolumeName.empty()) {
        const std::string start = folderPart(m_archiveFile) + VolumeName;
        if (fileStore().exists(start))
            SetArchiveFile(start);
    }
    prepareVolumeNaming(m_archiveFile, arj);
    auto wanted = [&] { return std::find(kinds.begin(), kinds.end(), m_arcType) != kinds.end(); };
    while (!wanted()) {
        std::string path = m_archiveFile;
        if (!requestNextVolume(path, std::to_string(volumeNumber())))
            fatal(msgUnsupportedArchiveType, m_archiveFile);
        SetArchiveFile(path);
        if (!wanted())
            nonFatal(msgUnsupportedArchiveType, path);
    }
}

} // namespace ov
