// The file layer under every archive run: random-access reads at 64-bit
// offsets, served from a block cache for files on disk or straight from
// memory for tests and fuzzing. A FileStore opens files by path, so a run
// that walks a volume set can be fed from disk or from a table in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ov {

class FileLayer {
public:
    virtual ~FileLayer() = default;

    // Size in bytes.
    virtual int64_t size() const = 0;
    // Copies up to `length` bytes at `offset` into `buffer`; returns the
    // count copied, short at the end of the file and 0 past it or on a read
    // failure. A negative offset reads nothing.
    virtual std::size_t readAt(int64_t offset, void* buffer, std::size_t length) = 0;
    // Releases the file; false when the system reports a failure.
    virtual bool close() = 0;
    // Modification time (Unix seconds) and DOS attribute bits of the file.
    virtual int64_t modificationTime() const = 0;
    virtual uint16_t attributes() const = 0;

    // True when all `length` bytes at `offset` were read.
    bool readExact(int64_t offset, void* buffer, std::size_t length)
    {
        return readAt(offset, buffer, length) == length;
    }
};

class FileStore {
public:
    virtual ~FileStore() = default;
    // Opens `path` for reading; null when it cannot be opened.
    virtual std::unique_ptr<FileLayer> open(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

// The store of the host file system (paths as the host spells them).
std::shared_ptr<FileStore> hostFileStore();

} // namespace ov
