// MappedFile; see mapped_file.h.
#include "platform/mapped_file.h"

#include <cerrno>
#include <limits>
#include <sys/mman.h>
#include <utility>

namespace ov {

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_failure(other.m_failure)
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_failure = other.m_failure;
    }
    return *this;
}

bool MappedFile::open(const std::string& hostPath)
{
    close();
    HostFile file;
    if (!file.open(hostPath)) {
        m_failure = file.notRegular() ? Failure::NotRegular : Failure::Open;
        return false;
    }
    return map(file);
}

bool MappedFile::map(const HostFile& file)
{
    close();
    if (!file.isOpen()) {
        m_failure = Failure::Open;
        errno = EBADF;
        return false;
    }
    if (file.size() <= 0) {
        m_failure = Failure::Empty;
        return false;
    }
    if (static_cast<uint64_t>(file.size()) > std::numeric_limits<std::size_t>::max()) {
        m_failure = Failure::Map;
        errno = EFBIG;
        return false;
    }
    const auto size = static_cast<std::size_t>(file.size());
    void* base = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.fd(), 0);
    if (base == MAP_FAILED) {
        m_failure = Failure::Map;
        return false;
    }
    m_data = static_cast<const uint8_t*>(base);
    m_size = size;
    m_failure = Failure::None;
    return true;
}

void MappedFile::close()
{
    if (m_data)
        ::munmap(const_cast<uint8_t*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
}

} // namespace ov
