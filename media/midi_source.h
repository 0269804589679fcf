// MIDI for the wave player: standard MIDI files (.mid) and RIFF MIDI
// (.rmi, whose "data" chunk is unwrapped first: FluidSynth takes the RIFF
// wrapper for a song of zero ticks) rendered by FluidSynth with a General
// MIDI sound font: ORVANTA_SOUNDFONT, else
// /usr/share/sounds/sf2/default-GM.sf2. 16-bit stereo at 44,100 Hz.
//
// The length is found at open by playing the song once through a synth
// without a sound font (no voices, so it costs little), which follows every
// tempo change exactly as the real render does. A seek starts the song over
// and renders, unheard, up to the target.
#pragma once

#include "media/playback.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ov {

constexpr std::size_t MaxMidiBytes = 16u << 20;

// The standard MIDI file inside `bytes`: the "data" chunk of a RIFF RMID
// file, or the bytes themselves; empty unless what is found starts with a
// well-formed "MThd" header followed by an "MTrk" chunk.
std::string_view unwrapMidi(std::string_view bytes);

// The sound font the synthesizer uses.
std::string midiSoundFont();

class MidiSource final : public PcmSource {
public:
    MidiSource();
    ~MidiSource() override;
    MidiSource(const MidiSource&) = delete;
    MidiSource& operator=(const MidiSource&) = delete;

    // At most ten hours: a song that never ends is cut there.
    static constexpr uint64_t MaxSongFrames = uint64_t { 44100 } * 36000;

    // Takes the song (the bytes of a .mid or .rmi file); false with `error`
    // set when it is refused (too large, not MIDI, no sound font). A song
    // longer than `maxFrames` is cut there.
    bool open(std::string bytes, std::string& error, uint64_t maxFrames = MaxSongFrames);
    uint64_t frames() const { return m_frames; }

    AudioFormat format() const override { return AudioFormat { 44100, 2 }; }
    std::size_t read(int16_t* out, std::size_t frames) override;
    bool seek(uint64_t frame) override;

private:
    struct Synth;
    bool restart();
    std::string m_song;
    std::string m_font;
    std::unique_ptr<Synth> m_synth;
    uint64_t m_frames = 0;
    uint64_t m_position = 0;
};

} // namespace ov
