// TLhaExtractor: writes the members of an LHA/LZH archive (header levels 0,
// 1 and 2; also inside a self-extracting program) to files, walking the
// lister's header reader (formats/lha_header.h). Methods -lh0-
// (stored), -lh1- (LZHUF) and -lh4- to -lh6- (LZH) are decoded and checked
// against the stored CRC-16; folder records (-lhd-, which also carry
// symbolic links) write nothing. The date and the read-only attribute are
// restored.
//
// Not done here: level 3 headers (the run ends there) and the methods of
// other archivers (-lh2-, -lh3-, -lh7-, -lzs-, -lz4-, -lz5-: 25301, the
// member ends).
#pragma once

#include "archive/extract/own_extractor.h"

namespace ov {

class FileLayer;
class OutputFile;
struct LhaHeader;

class TLhaExtractor : public OwnExtractor {
protected:
    void ExtractRun() override;

private:
    void run(FileLayer& file);
    void extractMember(FileLayer& file, const LhaHeader& header, const std::string& target);
    // Decodes the member's data into `out`; 0 or a message code.
    int decode(FileLayer& file, const LhaHeader& header, OutputFile& out, uint32_t& crc);
};

} // namespace ov
