#include "archive/memory_file.h"

#include <algorithm>
#include <cstring>

namespace ov {

MemoryFile::MemoryFile(
    std::shared_ptr<const std::vector<uint8_t>> bytes, int64_t modificationTime, uint16_t attributes)
    : m_bytes(std::move(bytes))
    , m_modificationTime(modificationTime)
    , m_attributes(attributes)
{
}

std::size_t MemoryFile::readAt(int64_t offset, void* buffer, std::size_t length)
{
    const int64_t total = size();
    if (offset < 0 || offset >= total || length == 0)
        return 0;
    const std::size_t count
        = static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(length), total - offset));
    std::memcpy(buffer, m_bytes->data() + offset, count);
    return count;
}

bool MemoryFile::close()
{
    return !m_failClose;
}

void MemoryFileStore::add(const std::string& path, std::vector<uint8_t> bytes, int64_t modificationTime)
{
    m_files[path]
        = Stored { std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), modificationTime };
}

std::unique_ptr<FileLayer> MemoryFileStore::open(const std::string& path)
{
    auto it = m_files.find(path);
    if (it == m_files.end())
        return nullptr;
    m_opened.push_back(path);
    auto file = std::make_unique<MemoryFile>(it->second.bytes, it->second.modificationTime);
    if (m_failClose.count(path))
        file->failClose();
    return file;
}

} // namespace ov
