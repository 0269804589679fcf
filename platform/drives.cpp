// Drive table and path conversion; see drives.h.
#include "platform/drives.h"

#include "platform/ini_file.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

constexpr std::string_view privateBackslash = "\xEF\x81\x9C"; // U+F05C
// Marks a U+F05C or U+F05D that the host name holds itself.
constexpr std::string_view privateEscape = "\xEF\x81\x9D"; // U+F05D

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string cleanRoot(std::string root)
{
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// /proc/mounts escapes blanks and a few other bytes as \ooo.
std::string unescapeMount(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const char a = text[i + 1], b = text[i + 2], c = text[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                result += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

DriveType mountType(std::string_view fsType, std::string_view source)
{
    static const std::string_view remote[]
        = { "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "davfs", "fuse.davfs2" };
    for (auto r : remote)
        if (fsType == r)
            return DriveType::Remote;
    if (fsType == "iso9660" || fsType == "udf")
        return DriveType::CdRom;
    if (fsType == "tmpfs" || fsType == "ramfs")
        return DriveType::RamDisk;
    if (source.rfind("/dev/sr", 0) == 0)
        return DriveType::CdRom;
    return DriveType::Removable;
}

// A drive map value "folder" or "folder|type" (removable, fixed, remote,
// cdrom, ramdisk, in any case): the folder and the named type, or the
// fallback. Text after a "|" that names no type belongs to the folder.
Drive mappedDrive(char letter, const std::string& value, DriveType fallback)
{
    const auto bar = value.rfind('|');
    if (bar != std::string::npos) {
        std::string name = value.substr(bar + 1);
        for (char& c : name)
            c = lowerAscii(c);
        const std::pair<const char*, DriveType> types[] = { { "removable", DriveType::Removable },
            { "fixed", DriveType::Fixed }, { "remote", DriveType::Remote }, { "cdrom", DriveType::CdRom },
            { "ramdisk", DriveType::RamDisk } };
        for (const auto& [typeName, type] : types)
            if (name == typeName)
                return { lowerAscii(letter), cleanRoot(value.substr(0, bar)), type };
    }
    return { lowerAscii(letter), cleanRoot(value), fallback };
}

} // namespace

DriveTable& DriveTable::instance()
{
    static DriveTable table;
    return table;
}

DriveTable::DriveTable()
{
    reset();
}

void DriveTable::reset()
{
    m_drives.clear();
    m_fromEnvironment = false;
    const std::string fromEnvironment = environment("ORVANTA_DRIVES");
    if (!fromEnvironment.empty()) {
        m_fromEnvironment = true;
        std::stringstream items(fromEnvironment);
        std::string item;
        while (std::getline(items, item, ';')) {
            const auto equals = item.find('=');
            if (equals != 1 || !isLetter(item[0]) || item.size() < 3)
                continue;
            const Drive drive = mappedDrive(item[0], item.substr(2), DriveType::Fixed);
            m_drives.erase(std::remove_if(m_drives.begin(), m_drives.end(),
                               [&](const Drive& d) { return d.letter == drive.letter; }),
                m_drives.end());
            m_drives.push_back(drive);
        }
    } else {
        m_drives.push_back({ 'c', "/", DriveType::Fixed });
        const std::string home = environment("HOME");
        if (!home.empty() && home != "/")
            m_drives.push_back({ 'h', cleanRoot(home), DriveType::Fixed });
        // Removable and network media on free letters from d: on.
        std::ifstream mounts("/proc/mounts");
        std::string line;
        char next = 'd';
        while (std::getline(mounts, line) && next <= 'z') {
            std::istringstream fields(line);
            std::string source, target, fsType;
            fields >> source >> target >> fsType;
            target = unescapeMount(target);
            const bool media = target.rfind("/media/", 0) == 0 || target.rfind("/run/media/", 0) == 0
                || target.rfind("/mnt/", 0) == 0;
            if (!media)
                continue;
            while (next <= 'z' && find(next))
                ++next;
            if (next > 'z')
                break;
            m_drives.push_back({ next, cleanRoot(target), mountType(fsType, source) });
        }
    }
    std::sort(
        m_drives.begin(), m_drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

void DriveTable::applyIni(const IniFile& ini)
{
    if (m_fromEnvironment)
        return;
    for (const std::string& key : ini.keys("Drives")) {
        if (key.size() != 1 || !isLetter(key[0]))
            continue;
        const std::string root = ini.readString("Drives", key, "");
        const char letter = lowerAscii(key[0]);
        m_drives.erase(std::remove_if(m_drives.begin(), m_drives.end(),
                           [&](const Drive& d) { return d.letter == letter; }),
            m_drives.end());
        if (!root.empty())
            m_drives.push_back(mappedDrive(letter, root, DriveType::Fixed));
    }
    std::sort(
        m_drives.begin(), m_drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

void DriveTable::setDrives(std::vector<Drive> drives)
{
    m_drives = std::move(drives);
    for (Drive& drive : m_drives) {
        drive.letter = lowerAscii(drive.letter);
        drive.hostRoot = cleanRoot(drive.hostRoot);
    }
    std::sort(
        m_drives.begin(), m_drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

const Drive* DriveTable::find(char letter) const
{
    letter = lowerAscii(letter);
    for (const Drive& drive : m_drives)
        if (drive.letter == letter)
            return &drive;
    return nullptr;
}

bool DriveTable::isReady(char letter) const
{
    const Drive* drive = find(letter);
    if (!drive)
        return false;
    struct stat info { };
    return ::stat(drive->hostRoot.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

DriveType DriveTable::typeOf(char letter) const
{
    const Drive* drive = find(letter);
    return drive ? drive->type : DriveType::NoRootDir;
}

std::optional<std::string> DriveTable::toHost(std::string_view windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !isLetter(windowsPath[0]))
        return std::nullopt;
    const Drive* drive = find(windowsPath[0]);
    if (!drive)
        return std::nullopt;
    std::vector<std::string> parts;
    std::string_view rest = windowsPath.substr(2);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view part = rest.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(innerNameToHost(part));
        }
        start = end + 1;
    }
    std::string host = drive->hostRoot == "/" ? std::string() : drive->hostRoot;
    for (const std::string& part : parts)
        host += "/" + part;
    if (host.empty())
        host = "/";
    return host;
}

std::optional<std::string> DriveTable::fromHost(std::string_view hostPath) const
{
    if (hostPath.empty() || hostPath.front() != '/')
        return std::nullopt;
    const Drive* best = nullptr;
    for (const Drive& drive : m_drives) {
        const std::string& root = drive.hostRoot;
        const bool holds = root == "/" || hostPath == root
            || (hostPath.size() > root.size() && hostPath.compare(0, root.size(), root) == 0
                && hostPath[root.size()] == '/');
        // The deepest root wins; on equal roots, the first letter.
        if (holds && (!best || root.size() > best->hostRoot.size()))
            best = &drive;
    }
    if (!best)
        return std::nullopt;
    std::string_view rest = hostPath.substr(best->hostRoot == "/" ? 0 : best->hostRoot.size());
    std::string result;
    result += best->letter;
    result += ":\\";
    std::size_t start = 0;
    bool first = true;
    while (start < rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view part = rest.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!first)
                result += '\\';
            result += hostNameToInner(part);
            first = false;
        }
        start = end + 1;
    }
    return result;
}

std::string hostNameToInner(std::string_view hostName)
{
    // Only "\" and the first byte of the two private characters need a look.
    if (hostName.find_first_of("\\\xEF") == std::string_view::npos)
        return std::string(hostName);
    std::string result;
    for (std::size_t i = 0; i < hostName.size();) {
        const std::string_view rest = hostName.substr(i);
        if (rest.front() == '\\') {
            result += privateBackslash;
            ++i;
        } else if (rest.substr(0, privateBackslash.size()) == privateBackslash
            || rest.substr(0, privateEscape.size()) == privateEscape) {
            // A private character the host name holds itself: escaped, so
            // it never reads back as "\".
            result += privateEscape;
            result += rest.substr(0, privateBackslash.size());
            i += privateBackslash.size();
        } else {
            result += hostName[i++];
        }
    }
    return result;
}

std::string innerNameToHost(std::string_view innerName)
{
    if (innerName.find('\xEF') == std::string_view::npos)
        return std::string(innerName);
    std::string result;
    for (std::size_t i = 0; i < innerName.size();) {
        const std::string_view rest = innerName.substr(i);
        if (rest.substr(0, privateBackslash.size()) == privateBackslash) {
            result += '\\';
            i += privateBackslash.size();
        } else if (rest.substr(0, privateEscape.size()) == privateEscape
            && (rest.substr(privateEscape.size(), privateBackslash.size()) == privateBackslash
                || rest.substr(privateEscape.size(), privateEscape.size()) == privateEscape)) {
            result += rest.substr(privateEscape.size(), privateBackslash.size());
            i += privateEscape.size() + privateBackslash.size();
        } else {
            // Typed text may hold a lone escape character: it stays itself.
            result += innerName[i++];
        }
    }
    return result;
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string upperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return result;
}

std::string normalizeWindowsPath(std::string_view path)
{
    std::string result;
    result.reserve(path.size());
    for (char c : path) {
        if (c == '/')
            c = '\\';
        if (c == '\\' && !result.empty() && result.back() == '\\')
            continue;
        result += c;
    }
    if (result.size() >= 2 && result[1] == ':')
        result[0] = lowerAscii(result[0]);
    return result;
}

} // namespace ov
