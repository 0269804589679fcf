#include "news/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ov {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

} // namespace

ReplacingFile::ReplacingFile(std::string hostPath)
    : m_target(std::move(hostPath))
{
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

void ReplacingFile::setError(const std::string& what)
{
    m_error = what + ": " + std::strerror(errno);
}

bool ReplacingFile::create()
{
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        const int fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            setError("Cannot open " + m_target);
            return false;
        }
        const bool ok = openDescriptor(fd);
        m_ownsDescriptor = true;
        return ok;
    }
    std::string pattern = m_target + ".part-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        setError("Cannot create " + m_target);
        return false;
    }
    // mkstemp makes the file private; a downloaded file gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    m_temporary = pattern;
    m_fd = fd;
    m_ownsDescriptor = true;
    m_block.resize(kBlockSize);
    m_used = 0;
    m_written = 0;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool ReplacingFile::openDescriptor(int fd)
{
    m_fd = fd;
    m_ownsDescriptor = false;
    m_block.resize(kBlockSize);
    m_used = 0;
    m_written = 0;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ReplacingFile::readData(char*, qint64)
{
    return -1;
}

qint64 ReplacingFile::writeData(const char* data, qint64 size)
{
    if (m_fd < 0 || size < 0)
        return -1;
    size_t left = static_cast<size_t>(size);
    while (left > 0) {
        const size_t take = std::min(left, m_block.size() - m_used);
        std::memcpy(m_block.data() + m_used, data, take);
        m_used += take;
        data += take;
        left -= take;
        if (m_used == m_block.size() && !flushBlock())
            return -1;
    }
    m_written += size;
    return size;
}

bool ReplacingFile::flushBlock()
{
    size_t done = 0;
    while (done < m_used) {
        const ssize_t count = ::write(m_fd, m_block.data() + done, m_used - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            setError("Cannot write " + m_target);
            return false;
        }
        done += static_cast<size_t>(count);
    }
    m_used = 0;
    return true;
}

bool ReplacingFile::commit()
{
    if (m_fd < 0)
        return false;
    bool ok = flushBlock();
    if (m_ownsDescriptor && ::close(m_fd) != 0 && ok) {
        setError("Cannot write " + m_target);
        ok = false;
    }
    m_fd = -1;
    QIODevice::close();
    if (ok && !m_temporary.empty() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        setError("Cannot replace " + m_target);
        ok = false;
    }
    if (!ok && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    return ok;
}

void ReplacingFile::discard()
{
    if (m_fd >= 0 && m_ownsDescriptor)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    if (isOpen())
        QIODevice::close();
}

} // namespace ov
