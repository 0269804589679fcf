// The folder history: every folder a panel enters, in order, without a limit
// and with duplicates kept. It lives for the program run and is never stored.
//
// A folder inside an archive is kept as the archive's path, "\" and the
// folder in it ("c:\dir\pack.zip\docs\"); ArchivePlaceOf tells such a path
// apart from a folder on a drive, so that choosing it enters the archive
// again.
#pragma once

#include <string>
#include <vector>

namespace ov {

class FolderHistory {
public:
    // The one history of the program run.
    static FolderHistory& shared();

    void Add(const std::string& folder) { m_items.push_back(folder); }
    const std::vector<std::string>& Items() const { return m_items; }
    void Clear() { m_items.clear(); }

private:
    std::vector<std::string> m_items;
};

// Where a folder path lies when one of its components is an archive file
// that a panel enters (by its extension, as Enter does): the folder holding
// the archive ("c:\dir\"), the archive ("c:\dir\pack.zip") and the folder
// inside it ("" or ending in "\").
struct ArchivePlace {
    std::string holder;
    std::string archive;
    std::string folder;
};

// The archive place of a Windows folder path ("c:\dir\pack.zip\docs\", with
// or without its last "\"), or nothing (archive empty) when no component
// before the end, nor the whole path, is an existing archive file on its
// drive: then the path is an ordinary folder, or one that is gone.
ArchivePlace ArchivePlaceOf(const std::string& path);

} // namespace ov
