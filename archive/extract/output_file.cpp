#include "archive/extract/output_file.h"

#include "platform/folder_fd.h"
#include "platform/process_facts.h"

#include <cerrno>

namespace ov {

bool hasParentComponent(const std::string& storedName)
{
    std::size_t start = 0;
    while (start <= storedName.size()) {
        std::size_t end = storedName.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = storedName.size();
        if (storedName.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

namespace {

// The folder without trailing separators; "/" stays "/".
std::string trimmed(const std::string& folder)
{
    std::string out = folder;
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

} // namespace

OutputRoot::OutputRoot(const std::string& folder)
    : m_made(true)
    , m_named(trimmed(folder))
{
    // The user's folder: links in its path are followed.
    m_resolved = makeAndResolveHostFolder(m_named);
}

void OutputRoot::follow(const std::string& folder)
{
    if (!m_made || trimmed(folder) != m_named)
        *this = OutputRoot(folder);
}

std::string OutputRoot::relative(const std::string& target) const
{
    const std::string prefix = m_named == "/" ? m_named : m_named + "/";
    if (m_named.empty() || target.size() <= prefix.size() || target.compare(0, prefix.size(), prefix) != 0)
        return {};
    return target.substr(prefix.size());
}

std::string OutputRoot::resolvedPath(const std::string& target) const
{
    const std::string below = relative(target);
    if (below.empty() || m_resolved.empty())
        return {};
    return (m_resolved == "/" ? std::string() : m_resolved) + "/" + below;
}

bool OutputFile::open(const OutputRoot& root, const std::string& target)
{
    m_file.abandon();
    const std::string below = root.relative(target);
    if (below.empty() || root.resolved().empty())
        return false;
    UniqueFd folder = openHostFolder(root.resolved());
    if (!folder)
        return false;
    // Each folder of the member is made and entered relative to its parent,
    // never through a link standing where a folder must be.
    std::string name;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = below.find('/', start);
        std::string part
            = below.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string::npos) {
            name = std::move(part);
            break;
        }
        folder = enterFolderAt(folder.get(), part);
        if (!folder)
            return false;
        start = slash + 1;
    }
    // The extracted file belongs to whoever extracts it, as a new file would.
    AtomicFile::Options options;
    options.owner = TargetOwner::Writer;
    if (m_file.openAt(folder.get(), name, options))
        return true;
    // An existing file the user may not write: its read-only attribute is
    // cleared and the file opened once more.
    if (m_file.error() != EACCES || !allowOwnerWriteAt(folder.get(), name))
        return false;
    return m_file.openAt(folder.get(), name, options);
}

bool OutputFile::write(const void* data, std::size_t length)
{
    m_written += static_cast<int64_t>(length);
    return m_file.write(data, length);
}

uint32_t memberMode(bool readOnly, std::optional<uint32_t> unixMode)
{
    uint32_t mode = 0644;
    // Only the permission bits: setuid, setgid and sticky never come from
    // an archive.
    if (unixMode)
        mode = (*unixMode & 0777) & ~fileCreationMask();
    if (readOnly)
        mode &= ~uint32_t(0222);
    return mode;
}

bool OutputFile::commit(int64_t modificationTime, bool readOnly, std::optional<uint32_t> unixMode)
{
    if (!m_file.isOpen())
        return false;
    std::optional<FileTimes> times;
    if (modificationTime >= 0) {
        const timespec when { static_cast<time_t>(modificationTime), 0 };
        times = FileTimes { when, when };
    }
    // Cached: the rename is atomic; syncing every member would slow a run
    // down for little gain.
    return m_file.commit(times, static_cast<mode_t>(memberMode(readOnly, unixMode)), Durability::Cached);
}

} // namespace ov
