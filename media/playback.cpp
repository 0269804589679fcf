// Playback; see playback.h.
#include "media/playback.h"

#include <algorithm>
#include <vector>

namespace ov {

namespace {
constexpr std::size_t BlockFrames = 4096;
}

void Playback::start(
    PcmSource& source, AudioSink& sink, uint64_t startFrame, uint64_t endFrame, std::function<void()> onEnd)
{
    stop();
    m_source = &source;
    m_sink = &sink;
    m_onEnd = std::move(onEnd);
    m_stop = false;
    m_paused = false;
    m_ended = false;
    m_failed = false;
    m_seekTo = static_cast<int64_t>(startFrame);
    // The position reads as the start at once, before the thread has sought.
    m_written = startFrame;
    m_delivered = 0;
    m_thread = std::thread([this, endFrame] { run(endFrame); });
}

void Playback::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stop = true;
        m_paused = false;
    }
    m_wake.notify_all();
    // A sink blocked on its full queue lets go once the queue is emptied.
    m_sink->pause(false);
    m_sink->clear();
    m_thread.join();
}

void Playback::pause(bool hold)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_paused = hold;
    }
    if (m_sink)
        m_sink->pause(hold);
    m_wake.notify_all();
}

void Playback::seek(uint64_t frame)
{
    m_seekTo = static_cast<int64_t>(frame);
}

uint64_t Playback::position() const
{
    const uint64_t written = m_written;
    if (m_ended || !m_sink)
        return written;
    const uint64_t queued = m_sink->queuedFrames();
    return written > queued ? written - queued : 0;
}

void Playback::run(uint64_t endFrame)
{
    const AudioFormat format = m_source->format();
    std::vector<int16_t> block(BlockFrames * static_cast<std::size_t>(format.channels));
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_wake.wait(hold, [this] { return !m_paused || m_stop; });
        }
        if (m_stop)
            return;
        if (const int64_t target = m_seekTo.exchange(-1); target >= 0) {
            if (m_source->seek(static_cast<uint64_t>(target))) {
                m_sink->clear();
                m_written = static_cast<uint64_t>(target);
            }
        }
        std::size_t want = BlockFrames;
        if (endFrame > 0)
            want = static_cast<std::size_t>(
                std::min<uint64_t>(want, endFrame > m_written ? endFrame - m_written : 0));
        const std::size_t got = want ? m_source->read(block.data(), want) : 0;
        if (got == 0)
            break;
        if (!m_sink->write(block.data(), got)) {
            m_failed = true;
            break;
        }
        m_written += got;
        m_delivered += got;
    }
    if (m_stop)
        return;
    m_sink->drain();
    m_ended = true;
    if (m_onEnd)
        m_onEnd();
}

} // namespace ov
