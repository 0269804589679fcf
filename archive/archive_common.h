// TArchiveCommon: what the lister and the extractors share — the archive
// file and its detected kind, the current entry, the error path, volume
// naming with the next-volume request, member names and target paths.
//
// Paths are host paths: the caller converts the system's drive paths at the
// platform boundary, so ArchiveFile is kept as given. The file layer comes
// from a FileStore (the host disk unless a test installs a memory store).
#pragma once

#include "archive/arc_type.h"
#include "archive/archive_component.h"
#include "archive/dates.h"
#include "archive/file_layer.h"
#include "archive/names.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace ov {

class TArchiveCommon : public TArchiveComponent {
public:
    TArchiveCommon();
    ~TArchiveCommon() override;

    // --- Properties ---------------------------------------------------------
    const std::string& ArchiveFile() const { return m_archiveFile; }
    // Stores the path, resets the data offset and the totals, then detects
    // the kind. An empty path gives atNA.
    virtual void SetArchiveFile(const std::string& path);
    TArcType ArcType() const { return m_arcType; }

    const std::string& FileSpec() const { return m_fileSpec; }
    // Empty becomes "*.*"; "/" becomes "\".
    void SetFileSpec(const std::string& mask);

    int32_t ZipCmntBufSize() const { return m_zipCmntBufSize; }
    // Clamped to 2000..32767.
    void SetZipCmntBufSize(int32_t size);

    // The code page that names stored by DOS and Windows archivers are
    // decoded from.
    OemCodePage NameCodePage = OemCodePage::Cp437;
    // Time-zone bias for Unix times, minutes, Windows sign (UTC = local +
    // bias); unset means the machine's own zone.
    std::optional<int32_t> TimeZoneBias;

    // 0-based position of the first archive byte as detection found it.
    int64_t DataOffset() const { return m_dataOffset; }
    // Added to ZIP directory offsets when the archive was found through a
    // program's string resources.
    int64_t ZipOffset() const { return m_zipOffset; }

    // --- Hooks --------------------------------------------------------------
    void SetFileStore(std::shared_ptr<FileStore> store) { m_store = std::move(store); }
    FileStore& fileStore() { return *m_store; }
    // Checks that the drive of a "x:..." path is ready; the platform layer
    // installs its Retry/Cancel loop here. Without it every drive passes.
    std::function<bool(const std::string& path)> DriveReady;

    // --- Current entry (valid during the member events) --------------------
    std::string FileName;
    int64_t PackedSize = 0;
    int64_t UnpackedSize = 0;
    int32_t Ratio = 0;
    TDateTime FileDate = 0;
    uint32_t Crc = 0;
    uint16_t MethodNumber = 0;
    std::string MethodName;
    uint8_t VersionMadeBy = 0;
    uint8_t VersionNeeded = 0;
    bool Encrypted = false;
    uint16_t ExternalAttr = 0;
    // The member's Unix mode, file type included, when the archive's host
    // keeps one in the attribute field (ARJ and RAR made on Unix); read
    // as DOS bits its permissions would pass for folder or hidden flags.
    // The file type agrees with the lister's own folder test.
    std::optional<uint32_t> UnixMode;
    std::string VolumeName;
    // The Unix mode of a member stored with `mode`, typed as a folder or not.
    static uint32_t typedUnixMode(uint32_t mode, bool folder)
    {
        constexpr uint32_t typeBits = 0170000;
        constexpr uint32_t folderType = 0040000;
        if (folder)
            return (mode & 07777) | folderType;
        return (mode & typeBits) == folderType ? (mode & 07777) | 0100000 : mode;
    }

    // Clears every field of the current entry.
    void clearEntry();

    // --- Events -------------------------------------------------------------
    std::function<void(TArchiveCommon& Sender)> OnActivate;
    std::function<void(TArchiveCommon& Sender)> OnDeactivate;
    std::function<void(TArchiveCommon& Sender, const std::string& FN, const std::string& MsgEx,
        const std::string& VolumeID, int32_t ECode)>
        OnError;
    std::function<void(TArchiveCommon& Sender, std::string& Dir, std::string& FN, const std::string& VolumeID,
        bool FExists, bool& Cancel)>
        OnNextVolume;

    // --- Operations ---------------------------------------------------------
    // Per cent saved, as the entry's Ratio field reports it.
    static int32_t computeRatio(int64_t packed, int64_t unpacked);

    // The output path of a stored member name (extractors): ExtractDir (or
    // the archive's folder, or ".") plus, with UseStoredDirs, the stored
    // folder with any drive, leading separator, "." and ".." removed, plus
    // the name. "/" separators; empty for an empty name.
    virtual std::string SetTargetName(const std::string& storedName) const;
    // The folder SetTargetName puts members under: ExtractDir, else the
    // archive's folder, else "."; "/" separators, no trailing one.
    std::string targetFolder() const;

    // A DOS date-time as this kind stores it, to a date-time value.
    virtual TDateTime DosDateToDateTime(uint32_t dosDateTime) const
    {
        return dosDateTimeToDateTime(dosDateTime);
    }
    TDateTime UnixToDateTime(int64_t unixTime) const;

    virtual void DetectKind();

    // Volume naming from the extension of `path` (ARJ, RAR, numeric).
    void prepareVolumeNaming(const std::string& path, bool arj);
    // The suffix of volume `number` with `letter` (0 for none).
    static std::string volumeSuffix(char letter, int number);
    // The next volume's path after `current` (the extension after the last
    // "." of the file name replaced); advances the volume number. More than
    // 999 volumes is fatal 25250.
    std::string nextVolumeName(const std::string& current);
    int volumeNumber() const { return m_volumeNumber; }
    char volumeLetter() const { return m_volumeLetter; }

    // Asks for volume `path` (through OnNextVolume); on success `path` is
    // the file found.
    bool requestNextVolume(std::string& path, const std::string& volumeId);

    // The component whose run is active, or null.
    static TArchiveCommon* running();

    // File-name part of a path (after the last "/" or "\").
    static std::string fileNamePart(const std::string& path);
    static std::string folderPart(const std::string& path);

    // Raises OnError, then throws ArchiveError. FN is the archive or
    // member path.
    [[noreturn]] void fatal(int32_t code, const std::string& fn, const std::string& msgEx = "0");
    // Raises OnError (when not cancelled) with the file-name part of `path`.
    void nonFatal(int32_t code, const std::string& path, const std::string& msgEx = "0",
        const std::string& volumeId = {});

protected:
    // Opens `path` after the drive check; null on failure.
    std::unique_ptr<FileLayer> openFile(const std::string& path);
    bool driveCheck(const std::string& path);
    void markRunning();
    void clearRunning();

    std::string m_archiveFile;
    TArcType m_arcType = atNA;
    std::string m_fileSpec = "*.*";
    int32_t m_zipCmntBufSize = 2000;
    int64_t m_dataOffset = 0;
    int64_t m_zipOffset = 0;
    int64_t m_totalPacked = 0;
    int64_t m_totalUnpacked = 0;
    int32_t m_memberCount = 0;

    char m_volumeLetter = 0;
    int m_volumeNumber = 0;

    // Extractor settings that SetTargetName reads; published by TExtractorBase.
    std::string m_extractDir;
    bool m_useStoredDirs = true;

    std::shared_ptr<FileStore> m_store;
};

} // namespace ov
