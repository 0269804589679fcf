// UniqueFd: the one owner of a file descriptor. Move-only; the descriptor is
// closed when the owner goes, unless it was released first. A writer that
// must know whether its last bytes reached the file calls close() and reads
// its result instead of leaving the close to the destructor.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace ov {

class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept
        : m_fd(fd)
    {
    }
    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(other.release())
    {
    }
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    // The descriptor, or -1 when none is held.
    int get() const noexcept { return m_fd; }
    bool valid() const noexcept { return m_fd >= 0; }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership: the caller closes what is returned.
    int release() noexcept { return std::exchange(m_fd, -1); }

    // Closes what is held (errno left as it was) and holds fd instead.
    void reset(int fd = -1) noexcept
    {
        const int old = std::exchange(m_fd, fd);
        if (old >= 0 && old != fd) {
            const int saved = errno;
            ::close(old);
            errno = saved;
        }
    }

    // Closes now; false with errno set when close reports an error (on some
    // file systems the last write's failure shows only here). Holding
    // nothing is success.
    bool close() noexcept
    {
        const int old = release();
        return old < 0 || ::close(old) == 0;
    }

private:
    int m_fd = -1;
};

} // namespace ov
