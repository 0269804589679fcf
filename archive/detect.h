// Archive kind detection: the signature table, the self-extractor probes
// (fixed stub lengths, string resources, the end of the DOS image, a ZIP
// directory in the tail), the TAR checksum test and the extension rules.
// Detection peeks at bytes and never consumes them.
#pragma once

#include "archive/arc_type.h"

#include <cstdint>
#include <string_view>

namespace ov {

class FileLayer;

enum class SignatureMode { Plain, Program };

struct Detection {
    TArcType kind = atUnknown;
    int64_t dataOffset = 0; // 0-based position of the archive's first byte
    int64_t zipOffset = 0; // added to stored ZIP directory offsets (resource-found stubs)
};

// Classifies the first four bytes of an archive. `dataOffset` is set only by
// the rows that carry their own offset (the B7 92 / B7 DF stub).
TArcType classifySignature(const uint8_t bytes[4], SignatureMode mode, int64_t* dataOffset = nullptr);

// The TAR header checksum test on the first block (the second when the
// first is a volume header).
bool tarChecksumPasses(FileLayer& file);

// Detects the kind of `file`; `fileName` supplies the extension rules.
// `zipCommentBufferSize` is the tail length searched for a ZIP directory
// inside a program (ZipCmntBufSize).
Detection detectKind(FileLayer& file, std::string_view fileName, int32_t zipCommentBufferSize);

} // namespace ov
