// ReplacingFile: a download target that is replaced only on success.
//
// The bytes go to a temporary file beside the target (platform AtomicFile);
// commit() renames it over the target, and a file never committed is
// removed, so a failed or cancelled download leaves the user's existing file
// as it was. The target's rules hold as for an ordinary write: a file the
// user may not write is refused when the download is created, and a
// replaced file keeps its mode. A target that is not a regular file
// (/dev/null, a pipe) is written directly.
// Writes are gathered into 64 KiB blocks before they reach the disk: eight
// reads a write, while the block is still in the processor cache (a 1 MiB
// block made the copy into the page cache twice as slow).
#pragma once

#include "platform/atomic_file.h"
#include "platform/unique_fd.h"

#include <QIODevice>

#include <string>
#include <vector>

namespace ov {

class ReplacingFile : public QIODevice {
public:
    explicit ReplacingFile(std::string hostPath);
    ~ReplacingFile() override;

    // Creates the temporary file (or opens the device); false with
    // errorText() set when it cannot be created.
    bool create();
    // Writes to an open descriptor the caller owns (ovtool's stdout).
    bool openDescriptor(int fd);
    // Writes out what is gathered and puts the file in place of the target.
    bool commit();
    // Drops the temporary file; the target stays untouched. Called by the
    // destructor and after every failed write or commit.
    void discard();
    void abandon() { discard(); }

    const std::string& errorText() const { return m_error; }
    // Bytes written so far.
    qint64 written() const { return m_written; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flushBlock();
    void setError(const std::string& what, int error);
    void start();

    std::string m_target;
    // Exactly one of the three is in use while open: the replacing file, a
    // device opened here, or a descriptor the caller owns.
    AtomicFile m_file;
    UniqueFd m_device;
    int m_borrowed = -1;
    std::vector<char> m_block;
    size_t m_used = 0;
    qint64 m_written = 0;
    std::string m_error;
};

} // namespace ov
