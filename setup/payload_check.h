// The payload check: data.res is read as a whole before anything of it is
// written. Every member must be a regular file or a folder whose name stays
// below the target folder (no absolute path, drive letter, ".." with either
// separator, empty or "." component, control character or duplicate, no
// file standing where another member needs a folder), unencrypted, with its
// local header and data inside the archive and no two members sharing data.
// What it leaves to the extraction: the data itself (every CRC is checked
// while the members are staged).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ov {

struct PayloadMember {
    std::string path; // relative, "/" separators, no trailing one
    bool folder = false;
    int64_t size = 0; // unpacked
};

struct PayloadCheck {
    bool ok = false;
    std::string error; // why the payload is refused, naming the file or member
    std::vector<PayloadMember> members; // in archive order, folders included
    int fileCount() const;
};

// The name of the staging folder an install unpacks into inside the target;
// no member may use it.
inline constexpr const char* StagingFolderName = ".ov-setup-staging";

// Reads the ZIP archive at hostPath and checks every member.
PayloadCheck checkPayload(const std::string& hostPath);

// Why a member name, as stored, is refused; "" when it is acceptable.
std::string memberNameProblem(const std::string& raw);

} // namespace ov
