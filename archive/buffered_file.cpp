#include "archive/buffered_file.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

class HostFileStore : public FileStore {
public:
    std::unique_ptr<FileLayer> open(const std::string& path) override { return BufferedFile::open(path); }
    bool exists(const std::string& path) override { return isRegularHostFile(path); }
};

} // namespace

std::shared_ptr<FileStore> hostFileStore()
{
    static const auto store = std::make_shared<HostFileStore>();
    return store;
}

std::unique_ptr<BufferedFile> BufferedFile::open(const std::string& path)
{
    std::unique_ptr<BufferedFile> file(new BufferedFile);
    if (!file->m_file.open(path))
        return nullptr;
    file->m_size = file->m_file.size();
    file->m_modificationTime = file->m_file.modificationTime().tv_sec;
    // A file its owner cannot write reads as read-only, as on the platform
    // layer; every plain file carries the archive bit.
    file->m_attributes = static_cast<uint16_t>(0x20 | (file->m_file.ownerMayWrite() ? 0 : 0x01));
    return file;
}

BufferedFile::~BufferedFile() = default;

bool BufferedFile::close()
{
    return m_file.close();
}

bool BufferedFile::fillBlock(int64_t blockStart)
{
    m_block.resize(blockSize);
    const std::ptrdiff_t got = m_file.readAt(blockStart, m_block.data(), blockSize);
    const std::size_t filled = got > 0 ? static_cast<std::size_t>(got) : 0;
    m_blockStart = filled ? blockStart : -1;
    m_blockLength = filled;
    return filled > 0;
}

std::size_t BufferedFile::readAt(int64_t offset, void* buffer, std::size_t length)
{
    if (!m_file.isOpen() || offset < 0 || offset >= m_size || length == 0)
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
