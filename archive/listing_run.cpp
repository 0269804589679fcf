#include "archive/listing_run.h"

#include "archive/archive_error.h"
#include "archive/messages.h"
#include "archive/wildcard.h"

#include <algorithm>
#include <cstring>

namespace ov {

ListingRun::ListingRun(TArchiveLister& owner)
    : lister(owner)
{
}

void ListingRun::open()
{
    m_file = lister.openFile(lister.m_archiveFile);
    if (!m_file)
        lister.fatal(msgErrorOpening, lister.m_archiveFile);
    volumePath = lister.m_archiveFile;
    m_visited.insert(volumePath);
    size = m_file->size();
}

bool ListingRun::close()
{
    if (!m_file)
        return true;
    const bool closed = m_file->close();
    m_file.reset();
    return closed;
}

void ListingRun::list()
{
    switch (lister.m_arcType) {
    case atZIP:
    case atZipExe:
    case atZip250:
    case atZip250Exe:
        return listZip();
    case atARJ:
    case atArjExe:
        return listArj();
    case atLHA:
    case atLhaExe:
    case atLZH:
    case atLzhExe:
        return listLha();
    case atARC:
    case atArcExe:
        return listArc(false);
    case atPAK:
    case atPakExe:
        return listArc(true);
    case atZOO:
        return listZoo();
    case atTAR:
        return listTar();
    case atGZip:
        return listGzip();
    case atCAB:
        return listCab();
    case atRAR:
    case atRarExe:
        return listRar();
    case atHA:
        return listHa();
    case atBH:
    case atBHExe:
        return listBh();
    case atUUE:
        return listUue();
    default:
        lister.fatal(msgUnknownFileType, lister.m_archiveFile);
    }
}

bool ListingRun::read(int64_t offset, void* buffer, std::size_t length)
{
    return m_file && offset >= 0 && m_file->readExact(offset, buffer, length);
}

bool ListingRun::readZeroTerminated(int64_t offset, std::size_t maxLength, std::string& text, int64_t& end)
{
    text.clear();
    char chunk[256];
    int64_t position = offset;
    while (text.size() <= maxLength) {
        const std::size_t wanted = std::min(sizeof chunk, maxLength + 1 - text.size());
        const std::size_t got = m_file ? m_file->readAt(position, chunk, wanted) : 0;
        if (got == 0)
            return false;
        const auto* zero = static_cast<const char*>(std::memchr(chunk, 0, got));
        if (zero) {
            text.append(chunk, static_cast<std::size_t>(zero - chunk));
            end = position + (zero - chunk) + 1;
            return true;
        }
        text.append(chunk, got);
        position += static_cast<int64_t>(got);
    }
    return false;
}

bool ListingRun::keepGoing()
{
    lister.processMessages();
    return !lister.m_cancel;
}

bool ListingRun::fits(int64_t position, int64_t length) const
{
    return position >= 0 && length >= 0 && position <= size && length <= size - position;
}

bool ListingRun::isForward(int64_t current, int64_t next) const
{
    return next > current && next < size;
}

std::string ListingRun::name(std::string_view stored, NameEncoding encoding) const
{
    return memberName(stored, encoding, lister.NameCodePage);
}

void ListingRun::report(int64_t offset, bool folder)
{
    TArchiveLister& l = lister;
    if (l.OnReadFile)
        l.OnReadFile(l, l.FileName);
    if (folder && !l.ShowBlankDirs)
        return;
    if (!wildcardMatch(l.m_fileSpec, l.FileName, MatchScope::NamesOnly))
        return;
    if (!folder) {
        ++l.m_memberCount;
        ++reported;
    }
    l.m_totalPacked += l.PackedSize;
    l.m_totalUnpacked += l.UnpackedSize;
    l.Ratio = TArchiveCommon::computeRatio(l.PackedSize, l.UnpackedSize);
    if (l.OnReadBegin)
        l.OnReadBegin(l);
    l.OnRead(l, offset, l.m_memberCount);
    if (l.OnReadEnd)
        l.OnReadEnd(l);
}

bool ListingRun::switchVolume(const std::string& path)
{
    if (m_visited.count(path))
        return false;
    if (!close())
        lister.fatal(msgErrorClosing, volumePath);
    m_file = lister.openFile(path);
    if (!m_file) {
        // Leave the run on the first volume, as it started.
        m_file = lister.openFile(lister.m_archiveFile);
        volumePath = lister.m_archiveFile;
        size = m_file ? m_file->size() : 0;
        lister.fatal(msgErrorReading, path);
    }
    m_visited.insert(path);
    volumePath = path;
    size = m_file->size();
    return true;
}

} // namespace ov
