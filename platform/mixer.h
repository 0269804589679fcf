// Mixer: the playback volumes of the three device classes the volume
// control knows: the CD audio stream, the wave output and the MIDI
// synthesizer. A volume is one 32-bit value, left channel in the low 16
// bits and right channel in the high 16 bits, 0..0xFFFF each.
//
// The system mixer: wave is the default output's volume: the default sink
// of a PulseAudio or PipeWire server (through libpulse) when one answers at
// creation, else the ALSA simple mixer's master element of the default
// card. MIDI and CD are gains inside this program (the synthesizer's and
// the CD stream's), always present. A class without a device reads false. FakeMixer stands
// in for tests: chosen classes, stored values, every write counted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ov {

enum class MixerClass { Cd = 0, Wave = 1, Midi = 2 };

class Mixer {
public:
    virtual ~Mixer() = default;
    // Whether the class has a device with volume control.
    virtual bool has(MixerClass mixerClass) const = 0;
    // The packed volume; false without a device.
    virtual bool volume(MixerClass mixerClass, uint32_t& packed) const = 0;
    // Sets the packed volume; false without a device or when refused.
    virtual bool setVolume(MixerClass mixerClass, uint32_t packed) = 0;
    // What the wave volume goes through: "pulse", "alsa", or "" for none.
    virtual std::string waveDevice() const { return {}; }
};

std::unique_ptr<Mixer> makeSystemMixer();

// The program's own gains (MIDI, CD) as a factor 0.0 .. 1.0: the mean of
// the two channels of the class's volume. Read by the renderers.
double programGain(MixerClass mixerClass);

class FakeMixer final : public Mixer {
public:
    explicit FakeMixer(bool cd = true, bool wave = true, bool midi = true);
    bool has(MixerClass mixerClass) const override { return m_present[index(mixerClass)]; }
    bool volume(MixerClass mixerClass, uint32_t& packed) const override;
    bool setVolume(MixerClass mixerClass, uint32_t packed) override;
    uint32_t stored(MixerClass mixerClass) const { return m_values[index(mixerClass)]; }
    void store(MixerClass mixerClass, uint32_t packed) { m_values[index(mixerClass)] = packed; }
    int writes() const { return m_writes; }

private:
    static int index(MixerClass mixerClass) { return static_cast<int>(mixerClass); }
    bool m_present[3];
    uint32_t m_values[3] = { 0, 0, 0 };
    int m_writes = 0;
};

} // namespace ov
