// Shared body of the archive listing fuzz targets: lists bytes held in
// memory and checks the invariants every listing keeps — it terminates,
// reports no more members than there are bytes, and every member's header
// lies inside the file.
#pragma once

#include "archive/archive_lister.h"
#include "archive/memory_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline void ovFuzzList(ov::TArchiveLister& lister, const std::string& name, std::vector<uint8_t> bytes)
{
    const int64_t size = static_cast<int64_t>(bytes.size());
    auto store = std::make_shared<ov::MemoryFileStore>();
    store->add(name, std::move(bytes));
    // A second volume, so that volume walks have somewhere to go.
    store->add(name.substr(0, name.find('.')) + ".a01", std::vector<uint8_t>(64, 0x60));
    lister.SetFileStore(store);
    lister.TimeZoneBias = 0;
    lister.ShowBlankDirs = true;
    int64_t reported = 0;
    lister.OnRead = [&](ov::TArchiveLister& l, int64_t offset, int32_t) {
        ++reported;
        if (offset < 0 || (l.VolumeName.empty() && offset >= size && !ov::isZipKind(l.ArcType())))
            std::abort();
        if (reported > size * 2 + 2)
            std::abort();
        (void)ov::formatDateTime(l.FileDate);
    };
    lister.OnNextVolume = [](ov::TArchiveCommon&, std::string&, std::string&, const std::string&, bool,
                              bool& cancel) { cancel = true; };
    lister.SetArchiveFile(name);
    lister.Activate();
}
