#include "news/replacing_file.h"

#include "platform/host_file.h"

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

void ReplacingFile::setError(const std::string& what, int error)
{
    m_error = what + ": " + std::strerror(error);
}

void ReplacingFile::start()
{
    m_block.resize(kBlockSize);
    m_used = 0;
    m_written = 0;
    m_error.clear();
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool ReplacingFile::create()
{
    discard();
    if (isSpecialHostFile(m_target)) {
        m_device = openHostForWriting(m_target);
        if (!m_device) {
            setError("Cannot open " + m_target, errno);
            return false;
        }
        start();
        return true;
    }
    if (!m_file.open(m_target)) {
        setError("Cannot create " + m_target, m_file.error());
        return false;
    }
    start();
    return true;
}

bool ReplacingFile::openDescriptor(int fd)
{
    discard();
    m_borrowed = fd;
    start();
    return true;
}

qint64 ReplacingFile::readData(char*, qint64)
{
    return -1;
}

qint64 ReplacingFile::writeData(const char* data, qint64 size)
{
    if (!isOpen() || size < 0)
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
    const size_t used = std::exchange(m_used, 0);
    if (m_file.isOpen()) {
        if (m_file.write(m_block.data(), used))
            return true;
        // The part file is gone already; what was written is lost anyway.
        setError("Cannot write " + m_target, m_file.error());
        discard();
        return false;
    }
    const int fd = m_device ? m_device.get() : m_borrowed;
    if (writeAllToHost(fd, m_block.data(), used))
        return true;
    setError("Cannot write " + m_target, errno);
    discard();
    return false;
}

bool ReplacingFile::commit()
{
    if (!isOpen())
        return false;
    if (!flushBlock())
        return false;
    bool ok = true;
    if (m_file.isOpen() && !m_file.commit()) {
        setError("Cannot replace " + m_target, m_file.error());
        ok = false;
    } else if (m_device && !m_device.close()) {
        setError("Cannot write " + m_target, errno);
        ok = false;
    }
    discard();
    return ok;
}

void ReplacingFile::discard()
{
    m_file.abandon();
    m_device.reset();
    m_borrowed = -1;
    m_used = 0;
    if (isOpen())
        QIODevice::close();
}

} // namespace ov
