#include "archive/extract/output_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

// Creates every missing folder of `folder`; a link or a file on the way
// fails it.
bool makeFolders(const std::string& folder)
{
    std::size_t position = 0;
    while (position != std::string::npos) {
        position = folder.find('/', position + 1);
        const std::string part = folder.substr(0, position);
        if (part.empty())
            continue;
        struct stat info;
        if (lstat(part.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return false;
            continue;
        }
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

bool OutputFile::open(const std::string& target)
{
    abandon();
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    if (slash != std::string::npos && slash != 0 && !makeFolders(folder))
        return false;
    std::string pattern = folder + "/.ov-extract-XXXXXX";
    // mkstemp creates exclusively (O_CREAT | O_EXCL): never through a link.
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        return false;
    m_descriptor = descriptor;
    m_temporary = pattern;
    m_target = target;
    return true;
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
    if (!ok || std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        unlink(m_temporary.c_str());
        m_temporary.clear();
        return false;
    }
    m_temporary.clear();
    return true;
}

void OutputFile::abandon()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    if (!m_temporary.empty())
        unlink(m_temporary.c_str());
    m_temporary.clear();
}

} // namespace ov
