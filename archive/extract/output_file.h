// How every extractor writes a member (the same rules for all of them):
//   - a stored name with a ".." component is refused (the caller reports
//     25243 "Invalid file name" and passes the member over); drives, leading
//     separators and "." components are dropped before the name reaches
//     SetTargetName;
//   - folders on the way are created, and a link standing where a folder
//     must be is refused: nothing is ever written through a link;
//   - the bytes go to a fresh temporary file beside the target (created
//     exclusively, never following a link) and commit() renames it into
//     place, replacing a file or a link at that name, never what a link
//     points to; abandon() removes it, leaving any earlier file intact.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

// True when a stored member name (either separator) has a ".." component.
bool hasParentComponent(const std::string& storedName);

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { abandon(); }

    // Makes the target's folders and opens a temporary file beside it.
    // False (nothing created but folders) when that fails.
    bool open(const std::string& target);
    // Writes all bytes; false on a short or failed write.
    bool write(const void* data, std::size_t length);
    // Closes, sets the modification time (Unix seconds; < 0 keeps the time
    // of writing) and the read-only attribute, and renames into place.
    bool commit(int64_t modificationTime, bool readOnly);
    // Closes and removes the temporary file.
    void abandon();

private:
    std::string m_target;
    std::string m_temporary;
    int m_descriptor = -1;
};

} // namespace ov
