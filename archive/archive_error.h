// What a run throws to abandon its work. ArchiveError carries a code of the
// message table and is raised after OnError has been told; ArchiveIoError
// stands for a failure of the file layer itself (a short read inside header
// parsing), which ends the run like a fatal error but without OnError.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ov {

class ArchiveError : public std::runtime_error {
public:
    ArchiveError(int32_t code, const std::string& text)
        : std::runtime_error(text)
        , m_code(code)
    {
    }
    int32_t code() const { return m_code; }

private:
    int32_t m_code;
};

class ArchiveIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace ov
