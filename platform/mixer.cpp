// The system mixer and the fake; see mixer.h. The wave volume goes through
// the ALSA simple-mixer interface on the "default" card's first element
// with a playback volume ("Master" when there is one).
#include "platform/mixer.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cmath>
#include <string>

namespace ov {

namespace {

// MIDI and CD: gains of this program, full at start.
std::atomic<uint32_t> programVolumes[3] = { 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu };

// ALSA's library prints its failures (no card, no default device) to
// standard error; here a missing mixer is an expected outcome.
void quietAlsa(const char*, int, const char*, int, const char*, ...) { }

class AlsaWave {
public:
    AlsaWave()
    {
        snd_lib_error_set_handler(quietAlsa);
        if (snd_mixer_open(&m_mixer, 0) < 0)
            return;
        if (snd_mixer_attach(m_mixer, "default") < 0
            || snd_mixer_selem_register(m_mixer, nullptr, nullptr) < 0 || snd_mixer_load(m_mixer) < 0) {
            snd_mixer_close(m_mixer);
            m_mixer = nullptr;
            return;
        }
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(m_mixer); e; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_has_playback_volume(e))
                continue;
            if (!m_element || std::string(snd_mixer_selem_get_name(e)) == "Master")
                m_element = e;
        }
        if (m_element)
            snd_mixer_selem_get_playback_volume_range(m_element, &m_min, &m_max);
        if (m_max <= m_min)
            m_element = nullptr;
    }
    ~AlsaWave()
    {
        if (m_mixer)
            snd_mixer_close(m_mixer);
    }
    bool present() const { return m_element != nullptr; }

    bool read(uint32_t& packed) const
    {
        if (!m_element)
            return false;
        snd_mixer_handle_events(m_mixer);
        long left = m_min, right = m_min;
        snd_mixer_selem_get_playback_volume(m_element, SND_MIXER_SCHN_FRONT_LEFT, &left);
        if (snd_mixer_selem_get_playback_volume(m_element, SND_MIXER_SCHN_FRONT_RIGHT, &right) < 0)
            right = left;
        packed = toSixteen(left) | (toSixteen(right) << 16);
        return true;
    }

    bool write(uint32_t packed)
    {
        if (!m_element)
            return false;
        const bool ok = snd_mixer_selem_set_playback_volume(
                            m_element, SND_MIXER_SCHN_FRONT_LEFT, fromSixteen(packed & 0xFFFF))
            >= 0;
        snd_mixer_selem_set_playback_volume(m_element, SND_MIXER_SCHN_FRONT_RIGHT, fromSixteen(packed >> 16));
        return ok;
    }

private:
    // Device steps to 0..0xFFFF and back, rounded so that a value written
    // and read back is the same wherever the device's steps allow.
    uint32_t toSixteen(long value) const
    {
        return static_cast<uint32_t>(
            std::lround(static_cast<double>(value - m_min) * 0xFFFF / static_cast<double>(m_max - m_min)));
    }
    long fromSixteen(uint32_t value) const
    {
        return m_min + std::lround(static_cast<double>(value) * static_cast<double>(m_max - m_min) / 0xFFFF);
    }

    snd_mixer_t* m_mixer = nullptr;
    snd_mixer_elem_t* m_element = nullptr;
    long m_min = 0;
    long m_max = 0;
};

class SystemMixer final : public Mixer {
public:
    bool has(MixerClass mixerClass) const override
    {
        return mixerClass != MixerClass::Wave || m_wave.present();
    }
    bool volume(MixerClass mixerClass, uint32_t& packed) const override
    {
        if (mixerClass == MixerClass::Wave)
            return m_wave.read(packed);
        packed = programVolumes[static_cast<int>(mixerClass)];
        return true;
    }
    bool setVolume(MixerClass mixerClass, uint32_t packed) override
    {
        if (mixerClass == MixerClass::Wave)
            return m_wave.write(packed);
        programVolumes[static_cast<int>(mixerClass)] = packed;
        return true;
    }

private:
    AlsaWave m_wave;
};

} // namespace

std::unique_ptr<Mixer> makeSystemMixer()
{
    return std::make_unique<SystemMixer>();
}

double programGain(MixerClass mixerClass)
{
    const uint32_t packed = programVolumes[static_cast<int>(mixerClass)];
    return ((packed & 0xFFFF) + (packed >> 16)) / (2.0 * 0xFFFF);
}

FakeMixer::FakeMixer(bool cd, bool wave, bool midi)
    : m_present { cd, wave, midi }
{
}

bool FakeMixer::volume(MixerClass mixerClass, uint32_t& packed) const
{
    if (!has(mixerClass))
        return false;
    packed = m_values[index(mixerClass)];
    return true;
}

bool FakeMixer::setVolume(MixerClass mixerClass, uint32_t packed)
{
    if (!has(mixerClass))
        return false;
    m_values[index(mixerClass)] = packed;
    ++m_writes;
    return true;
}

} // namespace ov
