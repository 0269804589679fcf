// TArcExtractor: writes the members of an ARC archive (also inside a
// self-extracting program) to files: methods 1-2 (stored), 3 (packed), 4
// (squeezed), 5-7 (12-bit LZW), 8 (crunched) and 9 (squashed), checked
// against the stored CRC-16, with the stored date. Folder records (30, 31)
// make the members between them land in that folder.
#pragma once

#include "archive/extract/own_extractor.h"

namespace ov {

class FileLayer;
class OutputFile;

class TArcExtractor : public OwnExtractor {
public:
    // ARC stores the date before the time: the halves of a value in stored
    // order are swapped first (the header reader hands out DOS order).
    TDateTime DosDateToDateTime(uint32_t stored) const override;

protected:
    void ExtractRun() override;

private:
    void run(FileLayer& file);
    // Decodes one member into `out`; 0 or a message code.
    int decode(FileLayer& file, int64_t dataAt, uint8_t method, int64_t packed, uint32_t unpacked,
        OutputFile& out, uint32_t& crc);
};

} // namespace ov
