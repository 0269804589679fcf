// MciPlayer: the stand-in for the system's media player (the main window's
// `MPlay`) for wave files, read by our WAV reader, and MIDI files (.mid,
// .rmi) rendered by FluidSynth; the file's content decides which. It plays on its own
// decoder thread to the audio output or, for tests and ovtool, to a raw
// PCM file. Positions and lengths are milliseconds.
#pragma once

#include "media/playback.h"
#include "platform/host_file.h"
#include "platform/wav_reader.h"

#include <functional>
#include <memory>
#include <string>

namespace ov {

class MciPlayer {
public:
    MciPlayer();
    ~MciPlayer();
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    // The file to play (a host path); empty when none was ever given.
    std::string FileName;
    // Runs on the decoder thread when a play reaches the end of the file
    // (not after Stop or Close): the completion notification.
    std::function<void()> OnNotify;
    // Where the sound goes: the audio output (default) or a PCM file.
    void setOutput(AudioOutput output) { m_output = output; }
    void setPcmFile(const std::string& hostPath) { m_pcmFile = hostPath; }

    // Opens FileName; false with errorText() set (the file cannot be read,
    // is neither a wave nor a MIDI file, has an encoding this player does
    // not decode, is a MIDI file over 16 MiB, or the sound font is missing).
    bool Open();
    // Plays the open file from the current position; opens it first when
    // needed. false with errorText() set.
    bool Play();
    void Stop();
    void Close();
    bool isOpen() const { return m_source != nullptr; }
    bool playing() const { return m_playback.running(); }
    // Whether the last play reached the end of the file.
    bool finished() const { return m_playback.ended(); }
    int Length() const;
    int Position() const;
    // Moves the position (while playing: from there on).
    void setPosition(int milliseconds);

    int rate() const;
    int channels() const;
    long long deliveredFrames() const { return static_cast<long long>(m_playback.delivered()); }
    const std::string& errorText() const { return m_error; }

private:
    class WaveSource;
    std::unique_ptr<PcmSource> m_source;
    uint64_t m_frames = 0;
    AudioFormat m_format;
    std::unique_ptr<AudioSink> m_sink;
    Playback m_playback;
    AudioOutput m_output = AudioOutput::Default;
    std::string m_pcmFile;
    uint64_t m_startFrame = 0;
    std::string m_error;
};

} // namespace ov
