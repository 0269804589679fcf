// Exceptions of the executable resource reader: EExeError for files that
// cannot be opened or resources that cannot be saved, EConvertError for a
// conversion that the item does not offer.
#pragma once

#include <stdexcept>
#include <string>

namespace ov {

class EExeError : public std::runtime_error {
public:
    explicit EExeError(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

} // namespace ov
