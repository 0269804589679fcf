#include "archive/archive_common.h"

#include "archive/archive_error.h"
#include "archive/detect.h"
#include "archive/messages.h"
#include "archive/names.h"

#include <algorithm>
#include <vector>

namespace ov {

namespace {

TArchiveCommon* runningComponent = nullptr;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

TArchiveCommon::TArchiveCommon()
    : m_store(hostFileStore())
{
}

TArchiveCommon::~TArchiveCommon()
{
    if (runningComponent == this)
        runningComponent = nullptr;
}

TArchiveCommon* TArchiveCommon::running()
{
    return runningComponent;
}
void TArchiveCommon::markRunning()
{
    runningComponent = this;
}
void TArchiveCommon::clearRunning()
{
    if (runningComponent == this)
        runningComponent = nullptr;
}

void TArchiveCommon::clearEntry()
{
    FileName.clear();
    PackedSize = UnpackedSize = 0;
    Ratio = 0;
    FileDate = 0;
    Crc = 0;
    MethodNumber = 0;
    MethodName.clear();
    VersionMadeBy = VersionNeeded = 0;
    Encrypted = false;
    ExternalAttr = 0;
    UnixMode.reset();
    VolumeName.clear();
}

void TArchiveCommon::SetArchiveFile(const std::string& path)
{
    m_archiveFile = path;
    m_dataOffset = 0;
    m_zipOffset = 0;
    m_totalPacked = m_totalUnpacked = 0;
    m_memberCount = 0;
    if (path.empty()) {
        m_arcType = atNA;
        return;
    }
    DetectKind();
}

void TArchiveCommon::SetFileSpec(const std::string& mask)
{
    m_fileSpec = mask.empty() ? "*.*" : mask;
    std::replace(m_fileSpec.begin(), m_fileSpec.end(), '/', '\\');
}

void TArchiveCommon::SetZipCmntBufSize(int32_t size)
{
    m_zipCmntBufSize = std::clamp(size, 2000, 32767);
}

TDateTime TArchiveCommon::UnixToDateTime(int64_t unixTime) const
{
    const int32_t bias = TimeZoneBias ? *TimeZoneBias : systemTimeZoneBias(unixTime);
    return unixTimeToDateTime(unixTime, bias);
}

void TArchiveCommon::DetectKind()
{
    m_dataOffset = 0;
    m_zipOffset = 0;
    auto file = openFile(m_archiveFile);
    if (!file) {
        m_arcType = atFileOpenErr;
        return;
    }
    const Detection found = detectKind(*file, fileNamePart(m_archiveFile), m_zipCmntBufSize);
    m_arcType = found.kind;
    m_dataOffset = found.dataOffset;
    m_zipOffset = found.zipOffset;
    // A close failure is reported; the kind found stands.
    if (!file->close()) {
        try {
            fatal(msgErrorClosing, m_archiveFile);
        } catch (const ArchiveError&) {
        }
    }
}

bool TArchiveCommon::driveCheck(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':' && DriveReady)
        return DriveReady(path);
    return true;
}

std::unique_ptr<FileLayer> TArchiveCommon::openFile(const std::string& path)
{
    if (path.empty() || !driveCheck(path))
        return nullptr;
    return m_store->open(path);
}

int32_t TArchiveCommon::computeRatio(int64_t packed, int64_t unpacked)
{
    if (packed <= 0 || unpacked <= 0 || packed >= unpacked)
        return 0;
    if (unpacked - packed > 100000) {
        packed /= 100;
        unpacked /= 100;
        if (unpacked == 0)
            return 0;
    }
    const int64_t ratio = (unpacked - packed) * 100 / unpacked;
    return ratio == 0 ? 1 : static_cast<int32_t>(ratio);
}

std::string TArchiveCommon::fileNamePart(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TArchiveCommon::folderPart(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TArchiveCommon::targetFolder() const
{
    std::string dir = m_extractDir;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    if (dir.empty())
        dir = folderPart(m_archiveFile);
    if (dir.empty())
        dir = ".";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string TArchiveCommon::SetTargetName(const std::string& storedName) const
{
    if (storedName.empty())
        return {};
    std::string name = storedName;
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::string dir = targetFolder();

    std::string folder;
    if (m_useStoredDirs) {
        // Drop a drive ("c:" or "c:/"; any other ":" is part of the name)
        // and one leading separator.
        name = std::string(withoutDrive(name));
        if (!name.empty() && name[0] == '/')
            name.erase(0, 1);
        // Keep the result under the output folder: no absolute part, no
        // "." or ".." components.
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (start <= name.size()) {
            auto end = name.find('/', start);
            if (end == std::string::npos)
                end = name.size();
            std::string part = name.substr(start, end - start);
            if (!part.empty() && part != "." && part != "..")
                parts.push_back(part);
            start = end + 1;
        }
        if (parts.empty())
            return {};
        name = parts.back();
        parts.pop_back();
        for (const auto& part : parts)
            folder += "/" + part;
    } else {
        name = fileNamePart(std::string(withoutDrive(name)));
        if (name.empty() || name == "." || name == "..")
            return {};
    }
    return (dir == "/" ? std::string() : dir) + folder + "/" + name;
}

void TArchiveCommon::prepareVolumeNaming(const std::string& path, bool arj)
{
    const std::string name = fileNamePart(path);
    const auto dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    m_volumeLetter = 0;
    std::string rest = extension;
    if (!extension.empty() && !isDigit(extension[0])) {
        m_volumeLetter = extension[0];
        rest = extension.substr(1);
    }
    const bool digits = !rest.empty() && rest.size() <= 6 && std::all_of(rest.begin(), rest.end(), isDigit);
    if (digits)
        m_volumeNumber = std::stoi(rest) + 1;
    else if (arj && (m_volumeLetter == 'a' || m_volumeLetter == 'A'))
        m_volumeNumber = 1;
    else
        m_volumeNumber = 0;
}

std::string TArchiveCommon::volumeSuffix(char letter, int number)
{
    if (number < 0)
        return {};
    const std::string digits = std::to_string(number);
    if (number >= 100)
        return digits;
    const std::string lead = letter ? std::string(1, letter) : std::string();
    if (number >= 10)
        return (letter ? lead : std::string("0")) + digits;
    return letter ? lead + "0" + digits : "00" + digits;
}

std::string TArchiveCommon::nextVolumeName(const std::string& current)
{
    if (m_volumeNumber > 999)
        fatal(msgMaximumVolumes, m_archiveFile, std::to_string(m_volumeNumber));
    const std::string folder = folderPart(current);
    const std::string name = fileNamePart(current);
    const auto dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string next = folder + stem + "." + volumeSuffix(m_volumeLetter, m_volumeNumber);
    ++m_volumeNumber;
    return next;
}

bool TArchiveCommon::requestNextVolume(std::string& path, const std::string& volumeId)
{
    if (!OnNextVolume) {
        nonFatal(msgFileNotFound, path);
        return false;
    }
    std::string dir = folderPart(path);
    std::string fn = fileNamePart(path);
    if (dir.empty())
        dir = "./";
    bool exists = false;
    if (driveCheck(dir))
        exists = m_store->exists(dir + fn);
    // The handler may point elsewhere; keep asking until it names a file
    // that exists or cancels.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        bool cancel = false;
        OnNextVolume(*this, dir, fn, volumeId, exists, cancel);
        if (cancel)
            return false;
        if (fn.find_first_of("/\\") != std::string::npos) {
            const std::string named = fn;
            dir = folderPart(named);
            fn = fileNamePart(named);
        }
        if (dir.empty())
            dir = "./";
        if (dir.back() != '/' && dir.back() != '\\')
            dir += '/';
        if (!driveCheck(dir))
            return false;
        exists = m_store->exists(dir + fn);
        if (exists) {
            path = dir == "./" && folderPart(path).empty() ? fn : dir + fn;
            return true;
        }
    }
    return false;
}

void TArchiveCommon::fatal(int32_t code, const std::string& fn, const std::string& msgEx)
{
    const std::string text(archiveMessageText(code));
    if (OnError)
        OnError(*this, fn, msgEx, std::string(), code);
    throw ArchiveError(code, text);
}

void TArchiveCommon::nonFatal(
    int32_t code, const std::string& path, const std::string& msgEx, const std::string& volumeId)
{
    if (m_cancel || !OnError)
        return;
    OnError(*this, fileNamePart(path), msgEx, volumeId, code);
}

} // namespace ov
