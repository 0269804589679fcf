// TArjExtractor: writes the members of an ARJ archive (also inside a
// self-extracting program, and across the volumes of a multi-volume set) to
// files. It finds the main header, walks the file headers (checking each
// header's CRC-32), decodes methods 0 (stored), 1-3 (LZH) and 4, checks the
// data CRC-32 of every part and restores the date and the read-only
// attribute.
//
// Not done here: garbled (password protected) members, which end the run
// with 25290 as ARJ's own format leaves them.
#pragma once

#include "archive/extract/own_extractor.h"

#include <memory>
#include <string>

namespace ov {

class FileLayer;

class TArjExtractor : public OwnExtractor {
protected:
    void ExtractRun() override;

private:
    struct Header;
    void run();
    // Opens `path` as the current volume (fatal 25235 when it cannot be
    // opened) and returns the position of its first file header.
    int64_t openVolume(const std::string& path);
    // Reads the header at `position`; false at the end of the archive.
    bool readHeader(int64_t position, Header& header);
    // Opens the next volume and reads its first header, the member's next
    // part; false when the volume cannot be found.
    bool nextPart(Header& part);
    // Follows a member that is not written through its later parts; the
    // position after its last part.
    int64_t skipParts(const Header& header);
    // Writes one member (all its parts); the position after its last part.
    // `stop` is set when the run cannot go on.
    int64_t extractMember(const Header& header, const std::string& target, bool& stop);
    // Decodes one part into `out`; 0 or a message code.
    int decodePart(const Header& header, class OutputFile& out, uint32_t& crc);

    std::unique_ptr<FileLayer> m_file;
    std::string m_volume;        // path of the open volume
    bool m_mainContinues = false; // its main header says a volume follows
};

} // namespace ov
