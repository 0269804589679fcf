#include "archive/buffered_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

class HostFileStore : public FileStore {
public:
    std::unique_ptr<FileLayer> open(const std::string& path) override { return BufferedFile::open(path); }
    bool exists(const std::string& path) override
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }
};

} // namespace

std::shared_ptr<FileStore> hostFileStore()
{
    static const auto store = std::make_shared<HostFileStore>();
    return store;
}

std::unique_ptr<BufferedFile> BufferedFile::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<BufferedFile> file(new BufferedFile);
    file->m_fd = fd;
    file->m_size = info.st_size;
    file->m_modificationTime = info.st_mtime;
    // A file its owner cannot write reads as read-only, as on the platform
    // layer; every plain file carries the archive bit.
    file->m_attributes = static_cast<uint16_t>(0x20 | ((info.st_mode & S_IWUSR) ? 0 : 0x01));
    return file;
}

BufferedFile::~BufferedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool BufferedFile::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

bool BufferedFile::fillBlock(int64_t blockStart)
{
    m_block.resize(blockSize);
    std::size_t filled = 0;
    while (filled < blockSize) {
        const ssize_t got = ::pread(m_fd, m_block.data() + filled, blockSize - filled,
                                    static_cast<off_t>(blockStart + static_cast<int64_t>(filled)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    m_blockStart = filled ? blockStart : -1;
    m_blockLength = filled;
    return filled > 0;
}

std::size_t BufferedFile::readAt(int64_t offset, void* buffer, std::size_t length)
{
    if (m_fd < 0 || offset < 0 || offset >= m_size || length == 0)
        return 0;
    length = static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(length), m_size - offset));
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const int64_t position = offset + static_cast<int64_t>(done);
        const int64_t blockStart = position - position % static_cast<int64_t>(blockSize);
        if (blockStart != m_blockStart && !fillBlock(blockStart))
            break;
        const std::size_t inBlock = static_cast<std::size_t>(position - m_blockStart);
        if (inBlock >= m_blockLength)
            break;
        const std::size_t count = std::min(length - done, m_blockLength - inBlock);
        std::memcpy(out + done, m_block.data() + inBlock, count);
        done += count;
    }
    return done;
}

} // namespace ov
