// The in-memory form of the file layer, for tests and fuzzing: a file is a
// byte buffer, and a MemoryFileStore maps paths to buffers so that volume
// sets and missing files can be staged without a disk.
#pragma once

#include "archive/file_layer.h"

#include <map>
#include <vector>

namespace ov {

class MemoryFile : public FileLayer {
public:
    explicit MemoryFile(std::shared_ptr<const std::vector<uint8_t>> bytes, int64_t modificationTime = 0,
        uint16_t attributes = 0x20);

    int64_t size() const override { return static_cast<int64_t>(m_bytes->size()); }
    std::size_t readAt(int64_t offset, void* buffer, std::size_t length) override;
    bool close() override;
    int64_t modificationTime() const override { return m_modificationTime; }
    uint16_t attributes() const override { return m_attributes; }

    // Makes close() report a failure, as a full disk or a lost share would.
    void failClose() { m_failClose = true; }

private:
    std::shared_ptr<const std::vector<uint8_t>> m_bytes;
    int64_t m_modificationTime;
    uint16_t m_attributes;
    bool m_failClose = false;
};

class MemoryFileStore : public FileStore {
public:
    // Adds or replaces the file at `path`.
    void add(const std::string& path, std::vector<uint8_t> bytes, int64_t modificationTime = 0);
    // Files opened from `path` fail to close.
    void failCloseOf(const std::string& path) { m_failClose[path] = true; }

    std::unique_ptr<FileLayer> open(const std::string& path) override;
    bool exists(const std::string& path) override { return m_files.count(path) != 0; }

    // Every path opened so far, in order.
    const std::vector<std::string>& opened() const { return m_opened; }

private:
    struct Stored {
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        int64_t modificationTime = 0;
    };
    std::map<std::string, Stored> m_files;
    std::map<std::string, bool> m_failClose;
    std::vector<std::string> m_opened;
};

} // namespace ov
