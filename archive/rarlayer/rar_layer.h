// The RAR layer: a small shared library (libovrar.so) that extracts RAR
// archives for TRarExtractor, which loads it at run time. It decodes what
// libarchive decodes: RAR 2.9 to 4.x and RAR 5 compression, no decryption,
// no RAR 1.5/2.0 compression (those members fail as bad headers). Its calls,
// in the order a run makes them: RAROpenArchive, RARSetChangeVolProc and
// RARSetProcessDataProc, then RARReadHeader and RARProcessFile (skip or
// extract) per member, RARSetPassword before an encrypted member, and
// RARCloseArchive. Every call returns one of the RarResult codes.
//
// The layer follows volume sets itself, old style (.rar, .r00, .r01 …) and
// new style (.part1.rar, .part2.rar …), asking the volume callback when the
// next volume is missing ("ask") and telling it each volume it opens
// ("notify"). It writes a member to the path it is given with the same
// rules as every extractor (temporary file renamed into place, never
// through a link below the output folder), stops at the member's stored
// size and sets the date and the read-only attribute.
//
// Decoding is libarchive's, which cannot decrypt RAR: an encrypted member
// gives RarBadPassword whatever the password.
#pragma once

#include <cstddef>

extern "C" {

enum RarResult {
    RarSuccess = 0,
    RarEndArchive = 10,
    RarNoMemory = 11,
    RarBadData = 12,
    RarBadArchive = 13,
    RarUnknownFormat = 14,
    RarOpenError = 15,
    RarCreateError = 16,
    RarCloseError = 17,
    RarReadError = 18,
    RarWriteError = 19,
    RarMissingVolume = 21,
    RarBadPassword = 22,
    RarAborted = 255 // a callback said stop
};

enum RarOperation { RarSkip = 0, RarTest = 1, RarExtract = 2 };
enum RarVolumeMode { RarVolumeAsk = 0, RarVolumeNotify = 1 };

// Member flags.
enum : unsigned {
    RarFlagEncrypted = 0x04,
    RarFlagLink = 0x8000 // a symbolic or hard link: never extracted
};

constexpr std::size_t RarNameSize = 1024;

struct RarOpenRequest {
    const char* archiveName;
    unsigned result; // RarResult of the open
};

struct RarMemberHeader {
    char fileName[RarNameSize]; // UTF-8, "/" separated, zero terminated
    unsigned flags;
    long long unpackedSize; // -1 when the archive does not say
    unsigned dosTime; // local DOS date-time
    long long unixTime; // modification time, Unix seconds
    unsigned attributes; // DOS bits: 0x01 read-only, 0x10 folder, 0x20 archive
};

// `name` (RarNameSize bytes) holds the volume's path. "notify": the volume
// is about to be opened; return 0 to stop. "ask": the volume is missing;
// write the path to use and return 1, or return 0 to stop.
typedef int (*RarVolumeProc)(void* user, char* name, int mode);
// A block of extracted bytes; return 0 to stop.
typedef int (*RarDataProc)(void* user, const unsigned char* block, std::size_t size);

void* RAROpenArchive(RarOpenRequest* request);
int RARCloseArchive(void* archive);
int RARReadHeader(void* archive, RarMemberHeader* header);
// `destPath` names the file; it must lie below `destFolder`, the output
// folder, whose own path may hold links: below it none is followed.
int RARProcessFile(void* archive, int operation, const char* destFolder, const char* destPath);
void RARSetChangeVolProc(void* archive, RarVolumeProc proc, void* user);
void RARSetProcessDataProc(void* archive, RarDataProc proc, void* user);
void RARSetPassword(void* archive, const char* password);

} // extern "C"
