#include "archive/extract/output_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

// A name for a temporary file that no other writer is likely to pick; the
// exclusive create settles the rest.
std::string temporaryName()
{
    static std::atomic<uint64_t> counter { 0 };
    const auto now = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    uint64_t value = (uint64_t(getpid()) << 32) ^ now ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = ".ov-extract-";
    for (int i = 0; i < 8; ++i, value /= 36)
        name += digits[value % 36];
    return name;
}

} // namespace

OutputRoot::OutputRoot(const std::string& folder)
    : m_made(true)
    , m_named(trimmed(folder))
{
    // The user's folder: links in its path are followed.
    std::error_code error;
    std::filesystem::create_directories(m_named, error);
    if (char* real = ::realpath(m_named.c_str(), nullptr)) {
        m_resolved = real;
        std::free(real);
    }
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
    abandon();
    const std::string below = root.relative(target);
    if (below.empty() || root.resolved().empty())
        return false;
    m_folder = ::open(root.resolved().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return false;
    // Each folder of the member is made and entered relative to its parent;
    // O_NOFOLLOW refuses a link standing where a folder must be.
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = below.find('/', start);
        const std::string part
            = below.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == "..") {
            closeFolder();
            return false;
        }
        if (slash == std::string::npos) {
            m_name = part;
            break;
        }
        if (mkdirat(m_folder, part.c_str(), 0777) != 0 && errno != EEXIST) {
            closeFolder();
            return false;
        }
        const int next = openat(m_folder, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(m_folder);
        m_folder = next;
        if (m_folder < 0)
            return false;
        start = slash + 1;
    }
    // Created exclusively: never through a link.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName();
        const int descriptor
            = openat(m_folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor >= 0) {
            m_descriptor = descriptor;
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    closeFolder();
    return false;
}

bool OutputFile::write(const void* data, std::size_t length)
{
    const char* from = static_cast<const char*>(data);
    while (length) {
        const ssize_t written = ::write(m_descriptor, from, length);
        if (written <= 0) {
            if (written < 0 && errno == EINTR)
                continue;
            return false;
        }
        from += written;
        length -= std::size_t(written);
    }
    return true;
}

bool OutputFile::commit(int64_t modificationTime, bool readOnly)
{
    if (m_descriptor < 0)
        return false;
    bool ok = true;
    if (modificationTime >= 0) {
        const struct timespec times[2] = { { modificationTime, 0 }, { modificationTime, 0 } };
        ok = futimens(m_descriptor, times) == 0;
    }
    fchmod(m_descriptor, readOnly ? 0444 : 0644);
    ok = (::close(m_descriptor) == 0) && ok;
    m_descriptor = -1;
    // rename replaces a link at the target by the file itself.
    if (!ok || renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) != 0) {
        unlinkat(m_folder, m_temporary.c_str(), 0);
        m_temporary.clear();
        closeFolder();
        return false;
    }
    m_temporary.clear();
    closeFolder();
    return true;
}

void OutputFile::abandon()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    if (!m_temporary.empty() && m_folder >= 0)
        unlinkat(m_folder, m_temporary.c_str(), 0);
    m_temporary.clear();
    closeFolder();
}

void OutputFile::closeFolder()
{
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
    m_name.clear();
}

} // namespace ov
