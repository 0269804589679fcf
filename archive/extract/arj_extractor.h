// TArjExtractor: writes the members of an ARJ archive (also inside a
// self-extracting program, and across the volumes of a multi-volume set) to
// files. It walks the lister's header reader (formats/arj_header.h),
// checking each header's CRC-32, decodes methods 0 (stored), 1-3 (LZH) and
// 4, checks the data CRC-32 of every part and restores the date and the
// read-only attribute.
//
// Not done here: garbled (password protected) members, which end the run
// with 25290 as ARJ's own format leaves them.
#pragma once

#include "archive/extract/own_extractor.h"
#include "archive/formats/arj_header.h"

#include <memory>
#include <string>

namespace ov {

class FileLayer;

class TArjExtractor : public OwnExtractor {
protected:
    void ExtractRun() override;

private:
    void run();
    // Opens `path` as the current volume and finds its main header (fatal
    // 25235 when it cannot be opened, 25242 without a main header).
    void openVolume(const std::string& path);
    // The next header of the current volume; false at its end header. A
    // damaged header is fatal 25108, a wrong header CRC 25237, a volume
    // that ends before its end header 25236.
    bool readHeader(ArjHeader& header);
    // Opens the next volume and reads its first header, the member's next
    // part; false when the volume cannot be found.
    bool nextPart(ArjHeader& part);
    // Follows a member that is not written through its later parts.
    void skipParts(const ArjHeader& header);
    // Writes one member (all its parts). `stop` is set when the run cannot
    // go on.
    void extractMember(const ArjHeader& header, const std::string& target, bool& stop);
    // Decodes one part into `out`; 0 or a message code.
    int decodePart(const ArjHeader& header, class OutputFile& out, uint32_t& crc);

    std::unique_ptr<FileLayer> m_file;
    std::unique_ptr<ArjReader> m_reader; // walks m_file
    std::string m_volume; // path of the open volume
    bool m_mainContinues = false; // its main header says a volume follows
};

} // namespace ov
