// AudioSink: where every player's decoded sound goes. The sound is 16-bit
// signed little-endian PCM, channels interleaved, at the rate and channel
// count given to open(). Three sinks stand behind the one interface:
// - SDL2 audio (the real output: PulseAudio, PipeWire or ALSA, whatever SDL
//   finds), paced by the device: write() blocks while about a quarter of a
//   second is queued;
// - a PCM file: the raw samples written to a file, nothing else;
// - null: the samples are dropped at once (no sound card, CI, tests).
// ORVANTA_AUDIO=null turns the default output into the null sink for the
// whole program, ORVANTA_AUDIO=pcm:PATH into a PCM file sink writing PATH
// (tests of programs that play through the default output). The code is position-independent: the player
// layers, shared libraries, link it too. No locks inside: one thread (a player's decoder thread) writes;
// queuedFrames() may be read from another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ov {

struct AudioFormat {
    int rate = 44100;
    int channels = 2;
};

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Starts output in that format; false with errorText() set.
    virtual bool open(const AudioFormat& format) = 0;
    // Hands `frames` frames to the output, blocking while the output is full.
    // false when the output failed (the file could not be written).
    virtual bool write(const int16_t* samples, std::size_t frames) = 0;
    // Frames handed over and not yet heard (0 for the file and null sinks).
    virtual std::size_t queuedFrames() const { return 0; }
    // Drops what is queued and not yet heard (a seek).
    virtual void clear() { }
    // Holds or resumes the output.
    virtual void pause(bool) { }
    // Blocks until everything queued has been heard.
    virtual void drain() { }
    // Ends the output; a file sink's file is complete once this returns true.
    virtual bool close() = 0;
    const std::string& errorText() const { return m_error; }

protected:
    std::string m_error;
};

enum class AudioOutput {
    Default, // SDL2, or what ORVANTA_AUDIO names (null, pcm:PATH)
    Sdl,
    Null,
};

// The output sink of that kind.
std::unique_ptr<AudioSink> makeAudioSink(AudioOutput output);
// A sink writing raw PCM to hostPath (replaced when it is complete).
std::unique_ptr<AudioSink> makePcmFileSink(const std::string& hostPath);
// Whether ORVANTA_AUDIO asks for the null output.
bool audioIsNull();

} // namespace ov
