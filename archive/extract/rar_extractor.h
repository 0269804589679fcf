// TRarExtractor: writes the members of a RAR archive (also a
// self-extractor, and across the volumes of a set) to files through the RAR
// layer, which is loaded at run time (rar_library.h). The layer decodes,
// follows the volumes and writes each file with its date and attributes;
// this component walks the members, asks the member questions, supplies
// passwords and volumes through its events and reports the results. It
// checks the CRC-32 of every member it wrote against the CRC that this
// library's own header readers find (the RAR lister for RAR 1.5 to 4.x, a
// walk of the file headers here for RAR 5, whose members split over volumes
// keep only the layer's own checks).
//
// Not done here: decryption (the layer cannot decrypt RAR; an encrypted
// member reports 26517 "Invalid password").
#pragma once

#include "archive/extract/own_extractor.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace ov {

struct RarLibrary;

class TRarExtractor : public OwnExtractor {
public:
    // The first password tried on an encrypted member; kept between runs.
    std::string Password;

protected:
    void ExtractRun() override;

private:
    void run(const RarLibrary& library, void*& handle);
    // Extracts the current member to `target`; false when the run ends.
    bool extractMember(const RarLibrary& library, void* handle, const std::string& target);

    // The stored CRC-32 of each member our RAR reader lists, by name in
    // archive order.
    void readStoredCrcs();

    static int volumeCallback(void* user, char* name, int mode);
    static int dataCallback(void* user, const unsigned char* block, std::size_t size);

    int64_t m_remaining = 0; // bytes of the current member still to come
    int m_percent = -1; // the last percentage reported
    bool m_extracting = false;
    int m_nextVolume = 1; // number of the next volume of the set
    uint32_t m_crc = 0; // CRC-32 register over the bytes written
    bool m_hasStoredCrc = false; // the current member's stored CRC is known
    uint32_t m_storedCrc = 0;
    std::map<std::string, std::deque<uint32_t>> m_storedCrcs;
};

} // namespace ov
