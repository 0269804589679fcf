#include "setup/payload_check.h"

#include "archive/extract/zip_extractor.h"
#include "archive/formats/zip_directory.h"
#include "archive/names.h"

#include <algorithm>
#include <set>

namespace ov {

namespace {

constexpr uint8_t HostUnix = 3;

// The file type in the high half of a Unix host's attributes.
enum : uint32_t {
    TypeMask = 0170000,
    TypeRegular = 0100000,
    TypeFolder = 0040000,
};

// The name as shown in a message: control characters made visible.
std::string shown(const std::string& raw)
{
    std::string out;
    for (const unsigned char c : raw) {
        if (c < 0x20 || c == 0x7F) {
            static const char digits[] = "0123456789ABCDEF";
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

// The components of a name, split at either separator.
std::vector<std::string> components(const std::string& name)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find_first_of("/\\", start);
        parts.push_back(name.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

} // namespace

int PayloadCheck::fileCount() const
{
    return int(
        std::count_if(members.begin(), members.end(), [](const PayloadMember& m) { return !m.folder; }));
}

std::string memberNameProblem(const std::string& raw)
{
    if (raw.empty())
        return "an empty name";
    for (const unsigned char c : raw)
        if (c < 0x20 || c == 0x7F)
            return "a control character in its name";
    if (raw[0] == '/' || raw[0] == '\\')
        return "an absolute path";
    if (raw.size() >= 2 && raw[1] == ':'
        && ((raw[0] >= 'A' && raw[0] <= 'Z') || (raw[0] >= 'a' && raw[0] <= 'z')))
        return "a drive letter";
    std::vector<std::string> parts = components(raw);
    // A folder's name ends with its separator.
    if (parts.size() > 1 && parts.back().empty())
        parts.pop_back();
    for (const std::string& part : parts) {
        if (part == "..")
            return "a \"..\" component";
        if (part.empty() || part == ".")
            return "an empty or \".\" component";
    }
    if (parts.front() == StagingFolderName)
        return "the name of the staging folder";
    return {};
}

PayloadCheck checkPayload(const std::string& hostPath)
{
    PayloadCheck check;
    auto refuse = [&check](const std::string& why) {
        check.ok = false;
        check.error = why;
        check.members.clear();
        return check;
    };

    TZipExtractor kind;
    kind.SetArchiveFile(hostPath);
    std::unique_ptr<FileLayer> file = hostFileStore()->open(hostPath);
    if (!file)
        return refuse("Cannot open the payload " + hostPath);
    if (kind.ArcType() != atZIP || kind.ZipOffset() != 0)
        return refuse("The payload " + hostPath + " is not a ZIP archive");

    ZipDirectory directory(*file, 0);
    switch (directory.open()) {
    case ZipDirectory::Opened::Ok:
        break;
    case ZipDirectory::Opened::Empty:
        return refuse("The payload " + hostPath + " holds no files");
    case ZipDirectory::Opened::NoEndRecord:
    case ZipDirectory::Opened::BadFirstRecord:
        return refuse("The payload " + hostPath + " is damaged: its directory cannot be read");
    }

    std::set<std::string> names; // every member, files and folders
    std::set<std::string> files;
    std::set<std::string> folders; // every folder a member needs, stored or implied
    ZipDataRanges taken;
    ZipEntry entry;
    while (directory.next(entry)) {
        const std::string member = "The payload member " + shown(entry.storedName);
        if (const std::string problem = memberNameProblem(entry.storedName); !problem.empty())
            return refuse(member + " is refused: " + problem);
        if (entry.volumeLabel())
            return refuse(member + " is refused: a volume label");
        if (entry.hostSystem == HostUnix) {
            const uint32_t type = (entry.externalAttributes >> 16) & TypeMask;
            if (type != 0 && type != TypeRegular && type != TypeFolder)
                return refuse(member + " is refused: it is not a regular file or a folder");
        }
        if (entry.encrypted())
            return refuse(member + " is refused: it is encrypted");

        // The name the extractor writes it under, with "/" separators.
        std::string path = memberName(entry.storedName, entry.nameEncoding(), OemCodePage::Cp437);
        std::replace(path.begin(), path.end(), '\\', '/');
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        const bool folder = entry.folder();
        if (!names.insert(path).second)
            return refuse(member + " is refused: its name appears twice");

        // Every folder above it must stay one.
        for (std::size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash));
        if (folder)
            folders.insert(path);
        else
            files.insert(path);

        if (!folder) {
            ZipLocalHeader local;
            if (!directory.readLocal(entry, local) || entry.packedSize < 0 || entry.unpackedSize < 0
                || local.dataAt > file->size() - entry.packedSize)
                return refuse(member + " is damaged: its data lies outside the payload");
            if (!taken.claim(entry.localHeaderAt, local.dataAt + entry.packedSize))
                return refuse(member + " is damaged: its data overlaps another member's");
        }
        check.members.push_back({ path, folder, folder ? 0 : entry.unpackedSize });
    }
    if (directory.incomplete())
        return refuse("The payload " + hostPath + " is damaged: its directory ends early");
    for (const std::string& path : files)
        if (folders.count(path))
            return refuse("The payload member " + shown(path) + " is refused: a file where a folder must be");
    if (check.members.empty())
        return refuse("The payload " + hostPath + " holds no files");
    check.ok = true;
    return check;
}

} // namespace ov
