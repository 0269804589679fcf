// A file on disk read through a 32768-byte block cache, so that header
// parsing costs one system call per block and never one per field.
#pragma once

#include "archive/file_layer.h"
#include "platform/host_file.h"

#include <vector>

namespace ov {

class BufferedFile : public FileLayer {
public:
    // Opens `path` read-only through the platform's HostFile (never waiting
    // on a FIFO); null when it cannot be opened or is not a regular file.
    static std::unique_ptr<BufferedFile> open(const std::string& path);
    ~BufferedFile() override;

    int64_t size() const override { return m_size; }
    std::size_t readAt(int64_t offset, void* buffer, std::size_t length) override;
    bool close() override;
    int64_t modificationTime() const override { return m_modificationTime; }
    uint16_t attributes() const override { return m_attributes; }

    static constexpr std::size_t blockSize = 32768;

private:
    BufferedFile() = default;
    bool fillBlock(int64_t blockStart);

    HostFile m_file;
    int64_t m_size = 0;
    int64_t m_modificationTime = 0;
    uint16_t m_attributes = 0x20;
    std::vector<unsigned char> m_block;
    int64_t m_blockStart = -1;
    std::size_t m_blockLength = 0;
};

} // namespace ov
