// Playback: one decoder thread that pulls 16-bit PCM from a source and
// hands it to an audio sink, for every player (the MPEG and module layers
// and the wave and MIDI player). The owner's thread starts, pauses, seeks
// and stops it and reads the position; the decoding never runs there.
//
// The position is what has been heard: frames handed to the sink less the
// frames still queued in it. When the source ends (or the end frame is
// reached) the thread waits until the sink has played everything, then
// sets ended(); so a player reaches its length exactly when its last sample
// has been played, not before.
#pragma once

#include "platform/audio_sink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace ov {

class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual AudioFormat format() const = 0;
    // Up to `frames` frames into `out`; 0 at the end (or on an error that
    // ends the sound: a damaged file plays what decodes).
    virtual std::size_t read(int16_t* out, std::size_t frames) = 0;
    // Moves to a frame; false when the source cannot.
    virtual bool seek(uint64_t frame) = 0;
};

class Playback {
public:
    Playback() = default;
    ~Playback() { stop(); }
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Plays the source into the open sink from `startFrame` up to `endFrame`
    // (0: to the source's end). `onEnd` runs on the decoder thread once the
    // last frame has been heard (not after stop()). Stops any earlier run.
    void start(PcmSource& source, AudioSink& sink, uint64_t startFrame, uint64_t endFrame,
        std::function<void()> onEnd = {});
    // Ends the thread at once, dropping what is queued; idempotent.
    void stop();
    void pause(bool hold);
    // Moves to a frame; takes effect before the next block is decoded.
    void seek(uint64_t frame);

    bool running() const { return m_thread.joinable() && !m_ended; }
    bool ended() const { return m_ended; }
    bool paused() const { return m_paused; }
    // Frames heard since the start of the source.
    uint64_t position() const;
    // Frames handed to the sink since start() (what a PCM file holds).
    uint64_t delivered() const { return m_delivered; }
    // The sink's failure, when a write failed (the run has ended then).
    bool failed() const { return m_failed; }

private:
    void run(uint64_t endFrame);

    PcmSource* m_source = nullptr;
    AudioSink* m_sink = nullptr;
    std::function<void()> m_onEnd;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_paused { false };
    std::atomic<bool> m_ended { false };
    std::atomic<bool> m_failed { false };
    std::atomic<int64_t> m_seekTo { -1 };
    std::atomic<uint64_t> m_written { 0 }; // source frame after the last one handed over
    std::atomic<uint64_t> m_delivered { 0 };
};

} // namespace ov
