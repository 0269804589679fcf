// TArchiveLister: reads the directory of an archive of any supported kind
// and reports each member through OnRead, with the current entry filled.
#pragma once

#include "archive/archive_common.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ov {

class ListingRun;

class TArchiveLister : public TArchiveCommon {
public:
    // Also report folder members (not counted in Filenum).
    bool ShowBlankDirs = false;

    // Lists the archive set in ArchiveFile. False when nothing was listed
    // because of a fatal error.
    bool Activate();

    // Offset: the member's header position (ZIP: its local header).
    // Filenum: reported files so far (folders do not count). Required.
    std::function<void(TArchiveLister& Sender, int64_t Offset, int32_t Filenum)> OnRead;
    std::function<void(TArchiveLister& Sender)> OnReadBegin;
    std::function<void(TArchiveLister& Sender)> OnReadEnd;
    std::function<void(TArchiveLister& Sender, const std::string& Filename)> OnReadFile;
    std::function<void(TArchiveLister& Sender, int32_t NumFiles)> OnTotals;

    int64_t TotalPacked() const { return m_totalPacked; }
    int64_t TotalUnpacked() const { return m_totalUnpacked; }

private:
    friend class ListingRun;
};

} // namespace ov
