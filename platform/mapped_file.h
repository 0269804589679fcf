// MappedFile: all of a regular file mapped read-only into memory.
//
// Only regular files are mapped: the file is opened through HostFile, which
// never blocks in open and refuses a FIFO, a device or a folder at once. The
// mapping is private and read-only; it stays valid until close() or the
// destructor, whatever happens to the file's name meanwhile. A file that
// shrinks while mapped makes reads past its new end fault (SIGBUS), as with
// any mapping: callers map files they only read.
#pragma once

#include "platform/host_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ov {

class MappedFile {
public:
    enum class Failure {
        None,
        Open, // the file cannot be opened (errno says why)
        NotRegular, // a FIFO, device, socket or folder
        Empty, // nothing to map
        Map, // the system refused the mapping (errno says why)
    };

    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens hostPath and maps all of it; false with failure() set.
    bool open(const std::string& hostPath);
    // Maps all of a file already open; false with failure() set.
    bool map(const HostFile& file);
    // Unmaps; data() is null afterwards.
    void close();

    const uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    Failure failure() const { return m_failure; }

private:
    const uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    Failure m_failure = Failure::None;
};

} // namespace ov
