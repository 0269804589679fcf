// The file headers of a RAR 5 archive (RARLAB's technote for RAR 5.0),
// which the RAR 1.5-4 lister does not walk: the 8-byte marker, then blocks of
// CRC-32, header size, type and flags (variable-length integers: 7 bits a
// byte, low first), the extra-area and data sizes the flags announce, then
// the type's fields. The walk ends at an encryption header, the end of the
// archive, a header whose CRC fails or one that leaves the file.
#pragma once

#include "archive/file_layer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ov {

struct Rar5FileHeader {
    uint64_t fileFlags = 0; // 0x01 folder, 0x02 time, 0x04 CRC
    bool split = false; // continued from or into another volume
    uint32_t dataCrc = 0;
    std::string storedName; // UTF-8 as stored
    bool folder() const { return fileFlags & 0x01; }
    bool hasCrc() const { return fileFlags & 0x04; }
};

// True when the RAR 5 marker stands at start.
bool isRar5(FileLayer& file, int64_t start);

// Calls each file header (type 2) in order, from the marker at start.
void readRar5FileHeaders(
    FileLayer& file, int64_t start, const std::function<void(const Rar5FileHeader&)>& visit);

} // namespace ov
