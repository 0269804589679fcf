// FloppyFormatter; see floppy_format.h.
#include "platform/floppy_format.h"

#include "platform/atomic_file.h"
#include "platform/process_messages.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ov {

namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string>& englishTexts()
{
    static const std::map<std::string, std::string> texts = {
        { "Caption", "Format floppy" },
        { "Label_Target", "Drive or image:" },
        { "Label_Capacity", "Capacity:" },
        { "Label_Label", "Volume label:" },
        { "Radio_Quick", "&Quick format" },
        { "Radio_Full", "&Full format" },
        { "Button_Start", "&Start" },
        { "Button_Cancel", "&Cancel" },
        { "Button_Close", "C&lose" },
        { "Button_Image", "&Image file..." },
        { "Progress_Checking", "Writing and checking sector %1 of %2" },
        { "Progress_Unmounting", "Unmounting %1..." },
        { "Progress_Making", "Writing the file system..." },
        { "Summary_Done", "Format complete: %1 KB, %2 bad sectors, label \"%3\"." },
        { "Summary_Cancelled", "Format cancelled. Nothing was changed." },
        { "Summary_Failed", "Format failed: %1" },
        { "Note_SystemFiles", "System files cannot be copied here: the disk was formatted without them." },
        { "Confirm_Device", "All data on %1 will be lost. Format it?" },
        { "Confirm_Device_Again", "Format %1 (%2, %3 KB) now? This cannot be undone." },
        { "Refuse_Link", "%1 is a symbolic link. Choose the device or image itself." },
        { "Refuse_Kind", "%1 is neither a block device nor an image file." },
        { "Refuse_Size", "%1 is %2 bytes long, which is not the size of a floppy image." },
        { "Refuse_Capacity", "%1 KB is not a floppy size." },
        { "Refuse_Fixed", "%1 is not a removable disk." },
        { "Refuse_Unknown", "%1 is not a disk this system knows." },
        { "Refuse_Root", "%1 holds the system's root file system." },
        { "Refuse_Mounted", "%1 is in use at %2." },
        { "Refuse_Folder", "The folder of %1 does not exist." },
        { "Refuse_Label", "The label \"%1\" is longer than 11 characters." },
        { "Error_NoMkfs", "mkfs.fat is not installed (package dosfstools)." },
        { "Error_Unmount", "%1 could not be unmounted: %2" },
        { "Error_Write", "%1 cannot be written: %2" },
        { "Error_Mkfs", "mkfs.fat failed: %1" },
    };
    return texts;
}

std::string trimmed(std::string text)
{
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

// A small sysfs attribute, trimmed; "" when missing.
std::string readAttribute(const fs::path& path)
{
    std::ifstream in(path);
    if (!in)
        return {};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return trimmed(text);
}

bool parseMajorMinor(const std::string& text, unsigned& major, unsigned& minor)
{
    unsigned a = 0, b = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u:%u%c", &a, &b, &tail) != 2)
        return false;
    major = a;
    minor = b;
    return true;
}

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string unescapeMount(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.size() == 3
                && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool allowedMountPoint(const std::string& point)
{
    for (const char* folder : { "/media", "/run/media", "/mnt" }) {
        const std::string prefix = folder;
        if (point == prefix
            || (point.size() > prefix.size() && point.compare(0, prefix.size(), prefix) == 0
                && point[prefix.size()] == '/'))
            return true;
    }
    return false;
}

FormatMessage message(std::string key, std::vector<std::string> args = {})
{
    return { std::move(key), std::move(args) };
}

FormatSummary finish(FormatStatus status, FormatMessage reason)
{
    FormatSummary summary;
    summary.status = status;
    summary.message = std::move(reason);
    return summary;
}

std::string folderOf(const std::string& path)
{
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The zero pass of a full format over fd: writes zeros over every sector,
// reads them back and collects the sectors that fail. false when cancelled;
// a failure other than a medium error (ENOSPC on an image, a device gone)
// sets error and ends the pass.
bool zeroPass(int fd, std::uint64_t sectors, FloppyFormatter& formatter, std::vector<std::uint64_t>& bad,
    int& error, bool device)
{
    constexpr std::uint64_t Chunk = 32;
    const unsigned size = FloppyFormatter::SectorSize;
    std::vector<char> zeros(Chunk * size, 0);
    std::vector<char> back(Chunk * size);
    // One sector on its own: true when it took the zeros; an error other
    // than a medium error stops the pass.
    const auto sectorGood = [&](std::uint64_t sector) {
        if (formatter.SectorFails && formatter.SectorFails(sector))
            return false;
        const off_t offset = static_cast<off_t>(sector * size);
        if (::pwrite(fd, zeros.data(), size, offset) != static_cast<ssize_t>(size)) {
            if (errno != EIO)
                error = errno;
            return false;
        }
        if (device)
            ::fdatasync(fd);
        if (::pread(fd, back.data(), size, offset) != static_cast<ssize_t>(size)) {
            if (errno != EIO)
                error = errno;
            return false;
        }
        return std::all_of(back.begin(), back.begin() + size, [](char c) { return c == 0; });
    };
    for (std::uint64_t first = 0; first < sectors; first += Chunk) {
        if (formatter.Cancelled())
            return false;
        const std::uint64_t count = std::min(Chunk, sectors - first);
        const std::size_t bytes = static_cast<std::size_t>(count * size);
        const off_t offset = static_cast<off_t>(first * size);
        bool whole = !formatter.SectorFails;
        if (whole) {
            const ssize_t written = ::pwrite(fd, zeros.data(), bytes, offset);
            whole = written == static_cast<ssize_t>(bytes);
            if (whole && device) {
                ::fdatasync(fd);
                ::posix_fadvise(fd, offset, static_cast<off_t>(bytes), POSIX_FADV_DONTNEED);
            }
            whole = whole && ::pread(fd, back.data(), bytes, offset) == static_cast<ssize_t>(bytes)
                && std::all_of(back.begin(), back.begin() + static_cast<std::ptrdiff_t>(bytes),
                    [](char c) { return c == 0; });
        }
        // A chunk that failed as a whole is tried sector by sector.
        if (!whole)
            for (std::uint64_t sector = first; sector < first + count; ++sector) {
                if (!sectorGood(sector))
                    bad.push_back(sector);
                if (error)
                    return true;
            }
        if (formatter.OnProgress)
            formatter.OnProgress(first + count, sectors);
        letMessagesThrough();
    }
    return !formatter.Cancelled();
}

// Writes the bad sectors as mkfs.fat's list of bad 1024-byte blocks into a
// scratch file; its path, or "" when there is nothing to list or it
// cannot be written.
std::string writeBadBlockList(const std::vector<std::uint64_t>& bad)
{
    if (bad.empty())
        return {};
    std::set<std::uint64_t> blocks;
    for (std::uint64_t sector : bad)
        blocks.insert(sector * FloppyFormatter::SectorSize / 1024);
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/ov-badblocks-XXXXXX";
    UniqueFd fd(::mkstemp(pattern.data()));
    if (!fd)
        return {};
    std::string text;
    for (std::uint64_t block : blocks)
        text += std::to_string(block) + "\n";
    if (::write(fd.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()) || !fd.close()) {
        ::unlink(pattern.c_str());
        return {};
    }
    return pattern;
}

} // namespace

const FloppyGeometry* floppyGeometry(int kb)
{
    // The DOS formats of each size: 5.25" single and double sided (160 to
    // 360 KB, 1.2 MB) and 3.5" (720 KB, 1.44 MB, 2.88 MB).
    static const FloppyGeometry table[] = {
        { 160, 1, 8, 0xFE, 1, 64 },
        { 180, 1, 9, 0xFC, 1, 64 },
        { 320, 2, 8, 0xFF, 2, 112 },
        { 360, 2, 9, 0xFD, 2, 112 },
        { 720, 2, 9, 0xF9, 2, 112 },
        { 1200, 2, 15, 0xF9, 1, 224 },
        { 1440, 2, 18, 0xF0, 1, 224 },
        { 2880, 2, 36, 0xF0, 2, 240 },
    };
    for (const FloppyGeometry& geometry : table)
        if (geometry.kb == kb)
            return &geometry;
    return nullptr;
}

bool isFloppySizeKb(std::uint64_t kb)
{
    return kb <= 2880
        && std::find(std::begin(FloppySizesKb), std::end(FloppySizesKb), static_cast<int>(kb))
        != std::end(FloppySizesKb);
}

std::string englishFormatText(const std::string& key)
{
    const auto& texts = englishTexts();
    const auto found = texts.find(key);
    return found == texts.end() ? std::string() : found->second;
}

const std::vector<std::string>& formatTextKeys()
{
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (const auto& [key, text] : englishTexts())
            all.push_back(key);
        return all;
    }();
    return keys;
}

std::string formatText(
    const FormatMessage& message, const std::function<std::string(const std::string&)>& text)
{
    const std::string pattern = text ? text(message.key) : englishFormatText(message.key);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < message.args.size())
                out += message.args[index];
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

std::vector<MountEntry> parseMountInfo(const std::string& text)
{
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::istringstream fields(line);
        std::vector<std::string> parts;
        std::string part;
        while (fields >> part)
            parts.push_back(part);
        if (parts.size() < 5)
            continue;
        MountEntry entry;
        if (!parseMajorMinor(parts[2], entry.major, entry.minor))
            continue;
        entry.mountPoint = unescapeMount(parts[4]);
        const auto dash = std::find(parts.begin() + 5, parts.end(), "-");
        if (dash != parts.end() && std::distance(dash, parts.end()) >= 3)
            entry.source = unescapeMount(*(dash + 2));
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

std::string readMountInfo()
{
    std::ifstream in("/proc/self/mountinfo");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TargetFacts checkFormatTarget(
    const std::string& hostPath, const std::string& sysfsRoot, const std::string& mountInfo)
{
    TargetFacts facts;
    struct stat st { };
    if (::lstat(hostPath.c_str(), &st) != 0) {
        // A new image: only its folder has to be there.
        struct stat folder { };
        facts.kind = TargetKind::Image;
        if (errno != ENOENT || ::stat(folderOf(hostPath).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
            facts.refusal = message("Refuse_Folder", { hostPath });
        return facts;
    }
    if (S_ISLNK(st.st_mode)) {
        facts.refusal = message("Refuse_Link", { hostPath });
        return facts;
    }
    if (S_ISREG(st.st_mode)) {
        facts.kind = TargetKind::Image;
        facts.sizeBytes = static_cast<std::uint64_t>(st.st_size);
        if (facts.sizeBytes != 0 && (facts.sizeBytes % 1024 != 0 || !isFloppySizeKb(facts.sizeBytes / 1024)))
            facts.refusal = message("Refuse_Size", { hostPath, std::to_string(facts.sizeBytes) });
        return facts;
    }
    if (!S_ISBLK(st.st_mode)) {
        facts.refusal = message("Refuse_Kind", { hostPath });
        return facts;
    }

    // A block device: its sysfs folder, and the disk's when it is a partition.
    facts.kind = TargetKind::Device;
    const unsigned major = ::major(st.st_rdev), minor = ::minor(st.st_rdev);
    std::error_code failure;
    const fs::path link
        = fs::path(sysfsRoot) / "dev" / "block" / (std::to_string(major) + ":" + std::to_string(minor));
    const fs::path node = fs::canonical(link, failure);
    if (failure) {
        facts.refusal = message("Refuse_Unknown", { hostPath });
        return facts;
    }
    const bool partition = fs::exists(node / "partition", failure);
    const fs::path disk = partition ? node.parent_path() : node;
    const std::string sectors = readAttribute(node / "size");
    facts.sizeBytes = std::strtoull(sectors.c_str(), nullptr, 10) * 512;
    facts.model = readAttribute(disk / "device" / "model");
    if (readAttribute(disk / "removable") != "1") {
        facts.refusal = message("Refuse_Fixed", { hostPath });
        return facts;
    }

    // The device numbers whose mounts count: its own, and a whole disk's
    // partitions.
    std::set<std::pair<unsigned, unsigned>> numbers { { major, minor } };
    if (!partition)
        for (const auto& child : fs::directory_iterator(node, failure)) {
            unsigned a = 0, b = 0;
            if (fs::exists(child.path() / "partition", failure)
                && parseMajorMinor(readAttribute(child.path() / "dev"), a, b))
                numbers.insert({ a, b });
        }
    for (const MountEntry& mount : parseMountInfo(mountInfo)) {
        if (!numbers.count({ mount.major, mount.minor }))
            continue;
        if (mount.mountPoint == "/") {
            facts.refusal = message("Refuse_Root", { hostPath });
            return facts;
        }
        if (!allowedMountPoint(mount.mountPoint)) {
            facts.refusal = message("Refuse_Mounted", { hostPath, mount.mountPoint });
            return facts;
        }
        facts.mountPoints.push_back(mount.mountPoint);
    }
    return facts;
}

std::vector<std::string> unmountCommand(const std::string& device, bool haveUdisksctl, bool isRoot)
{
    if (haveUdisksctl)
        return { findProgram("udisksctl"), "unmount", "--no-user-interaction", "-b", device };
    if (isRoot) {
        const std::string umount = findProgram("umount");
        if (!umount.empty())
            return { umount, device };
    }
    return {};
}

std::string findProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    std::vector<std::string> folders;
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        folders.push_back(end > start ? list.substr(start, end - start) : std::string("."));
        start = end + 1;
    }
    folders.push_back("/usr/sbin");
    folders.push_back("/sbin");
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/" + name;
        struct stat st { };
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)
            && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

int runProgramWaiting(const std::vector<std::string>& argv, std::string& output)
{
    output.clear();
    if (argv.empty() || argv[0].empty())
        return -1;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = 0;
    const int started = ::posix_spawn(&child, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.reset();
    if (started != 0)
        return -1;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(readEnd.get(), buffer.data(), buffer.size());
        if (got > 0) {
            output.append(buffer.data(), static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FloppyFormatter::mkfsArguments(
    const std::string& target, int capacityKb, const std::string& label, const std::string& badBlockFile)
{
    std::vector<std::string> args;
    if (const FloppyGeometry* geometry = floppyGeometry(capacityKb)) {
        char media[8];
        std::snprintf(media, sizeof media, "0x%02X", geometry->media);
        args.insert(args.end(),
            { "-F", "12", "-f", "2", "-D", "0", "-g",
                std::to_string(geometry->heads) + "/" + std::to_string(geometry->sectorsPerTrack), "-M",
                media, "-s", std::to_string(geometry->sectorsPerCluster), "-r",
                std::to_string(geometry->rootEntries) });
    }
    if (!label.empty())
        args.insert(args.end(), { "-n", label });
    if (!badBlockFile.empty())
        args.insert(args.end(), { "-l", badBlockFile });
    args.push_back(target);
    if (capacityKb > 0)
        args.push_back(std::to_string(capacityKb));
    return args;
}

FormatSummary FloppyFormatter::Format(const FormatRequest& request)
{
    m_cancel = false;
    const std::string mountInfo = MountInfo.empty() ? readMountInfo() : MountInfo;
    const TargetFacts facts = checkFormatTarget(request.target, SysfsRoot, mountInfo);
    if (!facts.refusal.empty())
        return finish(FormatStatus::Refused, facts.refusal);

    // The capacity: asked for, else what the target holds now.
    int capacity = request.capacityKb;
    if (capacity == 0)
        capacity = facts.kind == TargetKind::Device ? static_cast<int>(facts.sizeBytes / 1024)
            : facts.sizeBytes                       ? static_cast<int>(facts.sizeBytes / 1024)
                                                    : 1440;
    if (facts.kind == TargetKind::Image && !isFloppySizeKb(static_cast<std::uint64_t>(capacity)))
        return finish(FormatStatus::Refused, message("Refuse_Capacity", { std::to_string(capacity) }));
    if (capacity <= 0
        || (facts.kind == TargetKind::Device
            && static_cast<std::uint64_t>(capacity) * 1024 > facts.sizeBytes))
        return finish(FormatStatus::Refused, message("Refuse_Capacity", { std::to_string(capacity) }));
    if (request.label.size() > 11)
        return finish(FormatStatus::Refused, message("Refuse_Label", { request.label }));
    const FormatKind kind = request.systemFiles ? FormatKind::Full : request.kind;
    const std::string mkfs = findProgram("mkfs.fat");
    if (mkfs.empty())
        return finish(FormatStatus::Failed, message("Error_NoMkfs"));

    const std::uint64_t sectors = static_cast<std::uint64_t>(capacity) * 1024 / SectorSize;
    std::vector<std::uint64_t> bad;
    int writeError = 0;
    std::string mkfsTarget;
    AtomicFile image;

    if (facts.kind == TargetKind::Device) {
        if (!OnConfirmDevice || !OnConfirmDevice(request.target, facts))
            return finish(FormatStatus::Cancelled, message("Summary_Cancelled"));
        if (!facts.mountPoints.empty()) {
            if (OnStep)
                OnStep(message("Progress_Unmounting", { request.target }));
            const auto command
                = unmountCommand(request.target, !findProgram("udisksctl").empty(), ::geteuid() == 0);
            std::string output;
            if (command.empty() || runProgramWaiting(command, output) != 0)
                return finish(FormatStatus::Failed,
                    message("Error_Unmount",
                        { request.target, trimmed(output.empty() ? "no unmount program" : output) }));
        }
        if (kind == FormatKind::Full) {
            UniqueFd device(::open(request.target.c_str(), O_RDWR | O_EXCL | O_CLOEXEC));
            if (!device)
                return finish(
                    FormatStatus::Failed, message("Error_Write", { request.target, std::strerror(errno) }));
            if (!zeroPass(device.get(), sectors, *this, bad, writeError, true))
                return finish(FormatStatus::Cancelled, message("Summary_Cancelled"));
            if (writeError)
                return finish(FormatStatus::Failed,
                    message("Error_Write", { request.target, std::strerror(writeError) }));
        }
        mkfsTarget = request.target;
    } else {
        // The new image is made beside the old one and replaces it at the end.
        if (!image.open(request.target))
            return finish(
                FormatStatus::Failed, message("Error_Write", { request.target, std::strerror(errno) }));
        if (::ftruncate(image.fd(), static_cast<off_t>(capacity) * 1024) != 0)
            return finish(
                FormatStatus::Failed, message("Error_Write", { request.target, std::strerror(errno) }));
        if (kind == FormatKind::Full) {
            // The temporary file opened again for reading back.
            UniqueFd readWrite(::open((folderOf(request.target) + "/" + image.temporaryName()).c_str(),
                O_RDWR | O_CLOEXEC | O_NOFOLLOW));
            if (!readWrite)
                return finish(
                    FormatStatus::Failed, message("Error_Write", { request.target, std::strerror(errno) }));
            if (!zeroPass(readWrite.get(), sectors, *this, bad, writeError, false))
                return finish(FormatStatus::Cancelled, message("Summary_Cancelled"));
            if (writeError)
                return finish(FormatStatus::Failed,
                    message("Error_Write", { request.target, std::strerror(writeError) }));
        }
        mkfsTarget = folderOf(request.target) + "/" + image.temporaryName();
    }
    if (m_cancel)
        return finish(FormatStatus::Cancelled, message("Summary_Cancelled"));

    if (OnStep)
        OnStep(message("Progress_Making"));
    const std::string badList = writeBadBlockList(bad);
    if (!bad.empty() && badList.empty())
        return finish(
            FormatStatus::Failed, message("Error_Write", { "bad block list", std::strerror(errno) }));
    std::vector<std::string> argv { mkfs };
    const auto args = mkfsArguments(mkfsTarget, capacity, request.label, badList);
    argv.insert(argv.end(), args.begin(), args.end());
    std::string output;
    const int status = runProgramWaiting(argv, output);
    if (!badList.empty())
        ::unlink(badList.c_str());
    FormatSummary summary;
    summary.toolOutput = output;
    summary.capacityKb = capacity;
    summary.badSectors = bad.size();
    if (status != 0) {
        summary.status = FormatStatus::Failed;
        const std::string reason = trimmed(output);
        summary.message
            = message("Error_Mkfs", { reason.empty() ? "exit status " + std::to_string(status) : reason });
        return summary;
    }
    if (facts.kind == TargetKind::Image) {
        // A Cancel that came while mkfs.fat ran still leaves the old image.
        if (m_cancel)
            return finish(FormatStatus::Cancelled, message("Summary_Cancelled"));
        if (!image.commit(std::nullopt, std::nullopt, Durability::Durable)) {
            summary.status = FormatStatus::Failed;
            summary.message = message("Error_Write", { request.target, std::strerror(image.error()) });
            return summary;
        }
    }
    summary.status = FormatStatus::Done;
    summary.message
        = message("Summary_Done", { std::to_string(capacity), std::to_string(bad.size()), request.label });
    if (request.systemFiles)
        summary.note = message("Note_SystemFiles");
    return summary;
}

} // namespace ov
