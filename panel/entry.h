// One entry of a file list: a file or folder of the listed folder, or the
// synthetic parent entry "..".
#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <string>

namespace ov {

struct Entry {
    std::string Name; // file name without its extension
    std::string Ext; // extension without the dot; empty without a dot
    std::string FullName; // the name exactly as the disk holds it (see below)
    int64_t Size = 0; // bytes; 0 for folders until measured
    TSystemTime Created;
    TSystemTime Accessed;
    TSystemTime Written;
    uint16_t Attr = 0;
    bool Selected = false;
    bool IsParent = false; // the parent mark: only the synthetic ".." has it
    bool Measured = false; // a folder's Size has been measured (0 then means empty)
    std::string SortKey;

    bool isFolder() const { return (Attr & faDirectory) != 0; }
};

// Splits a file name at its last dot: archive.tar.gz gives archive.tar and
// gz; .profile gives "" and profile; a name without a dot gives an empty Ext.
// The full name is kept as given: Name + "." + Ext would turn "file." into
// "file", another file's name.
void splitName(const std::string& fullName, Entry& entry);

// Name + "." + Ext, or Name alone when Ext is empty.
std::string joinName(const std::string& name, const std::string& ext);

} // namespace ov
