// How every extractor writes a member (the same rules for all of them):
//   - a stored name with a ".." component is refused (the caller reports
//     25243 "Invalid file name" and passes the member over); drives, leading
//     separators and "." components are dropped before the name reaches
//     SetTargetName;
//   - the output folder the user chose is theirs, links in its path
//     included: it is made when missing and resolved once (OutputRoot), and
//     every member goes below that resolved folder;
//   - below it, the folders of the member are made and entered one at a
//     time relative to their parent, never following a link: a link there
//     (made by an archive, or found in the tree) refuses the member, so
//     nothing is ever written through one;
//   - the bytes go to a fresh temporary file beside the target (created
//     exclusively, never following a link) and commit() renames it into
//     place, replacing a file or a link at that name, never what a link
//     points to; abandon() removes it, leaving any earlier file intact;
//   - an existing file the user may not write is replaced only after its
//     read-only attribute is cleared (once); a folder or a special file at
//     the target's name is never replaced;
//   - a member stored by a Unix host gets its stored permission bits (an
//     installed program keeps its execute bits) less the process's umask,
//     never setuid, setgid or sticky; any other member is 0644, or 0444
//     when read-only.
#pragma once

#include "platform/atomic_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ov {

// The mode an extracted file gets (see the rules above).
uint32_t memberMode(bool readOnly, std::optional<uint32_t> unixMode);

// True when a stored member name (either separator) has a ".." component.
bool hasParentComponent(const std::string& storedName);

// The folder a run extracts into. Targets are named from the folder as the
// user gave it (SetTargetName); the files go below the same folder
// resolved: made when missing, then every link in its path followed once.
class OutputRoot {
public:
    OutputRoot() = default;
    // Makes `folder` (and its parents) when missing and resolves it. When
    // that fails the root is unusable: every open below it fails.
    explicit OutputRoot(const std::string& folder);

    // Resolves `folder` unless it is the one already resolved: a run keeps
    // one resolution per output folder.
    void follow(const std::string& folder);

    // The folder as given, without trailing separators ("/" stays "/").
    const std::string& named() const { return m_named; }
    // The real path of the folder; empty when it could not be made.
    const std::string& resolved() const { return m_resolved; }
    // The part of `target` below the named folder; empty when `target` is
    // not below it.
    std::string relative(const std::string& target) const;
    // `target` below the resolved folder; empty when it is not below the
    // named one or the root is unusable.
    std::string resolvedPath(const std::string& target) const;

private:
    bool m_made = false;
    std::string m_named;
    std::string m_resolved;
};

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the folders of `target` below `root` and opens a temporary
    // file beside it. False (nothing created but folders) when `target` is
    // not below the root, a folder on the way is a link or not a folder, a
    // folder or the file cannot be made, or the target's name holds
    // something that is not a file.
    bool open(const OutputRoot& root, const std::string& target);
    // Writes all bytes; false on a short or failed write.
    bool write(const void* data, std::size_t length);
    // Bytes written so far.
    int64_t written() const { return m_written; }
    // Closes, sets the modification time (Unix seconds; < 0 keeps the time
    // of writing) and the mode, and renames into place. The mode is
    // unixMode's permission bits less the umask when the archive stored
    // one, else 0644; readOnly takes every write bit away.
    bool commit(int64_t modificationTime, bool readOnly, std::optional<uint32_t> unixMode = std::nullopt);
    // Closes and removes the temporary file (also done when an open file
    // goes out of scope uncommitted).
    void abandon() { m_file.abandon(); }

private:
    AtomicFile m_file; // written in the target's folder, held by descriptor
    int64_t m_written = 0;
};

} // namespace ov
