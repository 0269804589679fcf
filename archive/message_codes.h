// The archive message codes: every numbered message of the archive
// components, by name. The one set of names for them, used by the decoders
// (their Corrupt status carries one), the extractors and listers (OnError's
// ECode) and the message table (archive/messages.h, the texts). It needs
// nothing else, so the decoders include it without the rest of the archive
// library.
#pragma once

#include <cstdint>

namespace ov {

enum ArchiveMessage : int32_t {
    msgBadFileHeader = 25108,
    msgBadBlock = 25109,
    msgBadHuffmanCode = 25120,
    msgInvalidCode = 25121,
    msgIncorrectBits = 25134,
    msgBrokenVolumeChain = 25135,
    msgErrorWriting = 25136,
    msgErrorClosing = 25137,
    msgIncompleteCodeSet = 25138,
    msgCrcFailed = 25151,
    msgInvalidDecodeTree = 25152,
    msgNotAccessible = 25156,
    msgEofNotFound = 25157,
    msgFileNotFound = 25172,
    msgErrorOpening = 25235,
    msgErrorReading = 25236,
    msgHeaderCrcError = 25237,
    msgHeaderIdError = 25238,
    msgUnsupportedArchiveType = 25242,
    msgInvalidFileName = 25243,
    msgBadLengths = 25247,
    msgInconsistentLocalHeader = 25248,
    msgMaximumVolumes = 25250,
    msgOutOfMemory = 25253,
    msgUnrarNotFound = 25258,
    msgRequiredEvent = 25270,
    msgPasswordProtected = 25290,
    msgSeekError = 25291,
    msgAmbiguousTree = 25292,
    msgStackOverflow = 25297,
    msgUnsupportedMethod = 25301,
    msgUnknownFileType = 25302,
    msgVersionError = 25402,
    msgInvalidPassword = 26517,
    msgPasswordFailed = 26522,
};

} // namespace ov
