// HostFile: a regular file of the host opened for reading at any offset,
// and the small writing calls the engines above the platform need (write
// all of a buffer, remove a file, make and remove one folder).
//
// Opening never blocks: the file is opened non-blocking and anything but a
// regular file (a FIFO, a device, a socket) is refused before a byte is
// read, so a name swapped for a pipe cannot hang a reader. What it leaves
// out: buffering (callers keep their own block cache) and writing in place
// of a file (AtomicFile does that).
#pragma once

#include "platform/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace ov {

class HostFile {
public:
    // Opens hostPath (links followed) for reading. false with errno set when
    // it cannot be opened; false with notRegular() true when it is not a
    // regular file.
    bool open(const std::string& hostPath);
    bool isOpen() const { return m_fd.valid(); }
    // Closes; false with errno set when the close reports an error.
    bool close() { return m_fd.close(); }

    // Reads up to length bytes at offset; fewer only at the end of the file.
    // -1 with errno set on a read error.
    std::ptrdiff_t readAt(int64_t offset, void* buffer, std::size_t length) const;

    // The facts read when the file was opened.
    int64_t size() const { return m_size; }
    timespec modificationTime() const { return m_modificationTime; }
    // Whether the owner's write bit is set (the platform's read-only rule).
    bool ownerMayWrite() const { return m_ownerMayWrite; }
    // Whether the last open() failed because the name is not a regular file.
    bool notRegular() const { return m_notRegular; }
    int fd() const { return m_fd.get(); }

private:
    UniqueFd m_fd;
    int64_t m_size = 0;
    timespec m_modificationTime {};
    bool m_ownerMayWrite = false;
    bool m_notRegular = false;
};

// Whether hostPath (links followed) is a regular file.
bool isRegularHostFile(const std::string& hostPath);
// Whether hostPath (links followed) exists and is something other than a
// regular file: a device, a FIFO, a folder.
bool isSpecialHostFile(const std::string& hostPath);
// Opens hostPath for writing as it is, without creating or truncating it
// (a device such as /dev/null); an invalid UniqueFd with errno set on failure.
UniqueFd openHostForWriting(const std::string& hostPath);
// Writes all of data to fd: short writes are continued, interrupted ones
// retried. false with errno set on failure.
bool writeAllToHost(int fd, const void* data, std::size_t size);
// Removes one file or link (never a folder); false with errno set.
bool removeHostFile(const std::string& hostPath);
// Makes one folder (its parent must exist) with the create mode 0777 less
// the umask; false with errno set, EEXIST when something has that name.
bool makeHostFolder(const std::string& hostPath);
// Removes one empty folder; false with errno set.
bool removeHostFolder(const std::string& hostPath);

} // namespace ov
