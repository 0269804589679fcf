// TZipExtractor: writes the members of a ZIP archive (also inside a
// self-extracting program) to files. It walks the central directory with the
// lister's reader (formats/zip_directory.h), checks each local header,
// refuses members whose data overlaps a member taken before, asks for
// passwords of encrypted members, decodes with the method's decoder (stored,
// shrink, reduce 1-4, implode, deflate) on the member pump, checks the
// CRC-32 and restores the date, the read-only attribute and the permission
// bits a Unix host stored.
//
// Not done here: strong encryption, methods other than those above (25301,
// the member ends).
#pragma once

#include "archive/extractor_base.h"

#include <string>
#include <vector>

namespace ov {

class FileLayer;
class OutputFile;
class ZipCrypto;
struct ZipEntry;

class TZipExtractor : public TExtractorBase {
public:
    // Passwords tried in order on encrypted members; a working password
    // from OnGetPassword is inserted at the top.
    std::vector<std::string> Passwords;

protected:
    void ExtractRun() override;

private:
    void run(FileLayer& file);
    // Decodes one member's packed bytes into `out`; 0 or a message code.
    int decodeMember(FileLayer& file, const ZipEntry& member, int64_t dataAt, int64_t packedSize,
        ZipCrypto* crypto, OutputFile& out, uint32_t& crc);
    // The password step; true with `crypto` ready for the data. Sets
    // m_endRun when the handler's answers all failed, or stored-block
    // lengths disagreed.
    bool acceptPassword(FileLayer& file, const ZipEntry& member, const std::string& target, int64_t headerAt,
        ZipCrypto& crypto);

    std::string m_lastPassword;
    bool m_endRun = false;
};

} // namespace ov
