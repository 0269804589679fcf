// The stopwatch of a run: milliseconds between start and stop on a
// monotonic clock.
#pragma once

#include <chrono>

namespace ov {

class TArcStopwatch {
public:
    void start()
    {
        m_start = std::chrono::steady_clock::now();
        m_running = true;
    }
    void stop()
    {
        if (m_running)
            m_elapsed = std::chrono::steady_clock::now() - m_start;
        m_running = false;
    }
    // Seconds between the last start and stop.
    float seconds() const
    {
        return static_cast<float>(std::chrono::duration_cast<std::chrono::milliseconds>(m_elapsed).count())
            / 1000.0f;
    }

private:
    std::chrono::steady_clock::time_point m_start {};
    std::chrono::steady_clock::duration m_elapsed {};
    bool m_running = false;
};

} // namespace ov
