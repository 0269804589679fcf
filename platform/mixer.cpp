// The system mixer and the fake; see mixer.h. The wave volume goes to the
// default sink of a PulseAudio (or PipeWire) server through libpulse when
// one answers, else through the ALSA simple-mixer interface on the
// "default" card's first element with a playback volume ("Master" when
// there is one).
#include "platform/mixer.h"

#include <alsa/asoundlib.h>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/volume.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>

namespace ov {

namespace {

// MIDI and CD: gains of this program, full at start.
std::atomic<uint32_t> programVolumes[3] = { 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu };

// ALSA's library prints its failures (no card, no default device) to
// standard error; here a missing mixer is an expected outcome.
void quietAlsa(const char*, int, const char*, int, const char*, ...) { }

// The wave output's volume, one way or another.
class WaveDevice {
public:
    virtual ~WaveDevice() = default;
    virtual bool present() const = 0;
    virtual bool read(uint32_t& packed) const = 0;
    virtual bool write(uint32_t packed) = 0;
    virtual std::string name() const = 0;
};

// The default sink's volume on a PulseAudio or PipeWire server, through a
// connection of its own driven by a private main loop. Every request waits
// at most a second for its answer, so a server that hangs never holds the
// window for long; a lost connection makes the device absent.
class PulseWave final : public WaveDevice {
public:
    PulseWave()
    {
        m_loop = pa_mainloop_new();
        if (!m_loop)
            return;
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Orvanta");
        if (!m_context)
            return;
        // Never start a server: an absent one means the ALSA mixer.
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        runUntil([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        uint32_t packed = 0;
        m_ready = ready() && read(packed);
    }
    ~PulseWave() override
    {
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_mainloop_free(m_loop);
    }
    bool present() const override { return m_ready && ready(); }

    bool read(uint32_t& packed) const override
    {
        SinkVolume sink;
        if (!defaultSink(sink))
            return false;
        packed = toSixteen(sink.left) | (toSixteen(sink.right) << 16);
        return true;
    }

    bool write(uint32_t packed) override
    {
        SinkVolume sink;
        if (!defaultSink(sink))
            return false;
        const pa_volume_t left = fromSixteen(packed & 0xFFFF);
        const pa_volume_t right = fromSixteen(packed >> 16);
        pa_cvolume volume = sink.volume;
        for (unsigned i = 0; i < volume.channels; ++i) {
            const Side side = sideOf(sink.map.map[i]);
            volume.values[i] = side == Side::Left ? left
                : side == Side::Right             ? right
                                                  : std::max(left, right);
        }
        bool done = false;
        bool ok = false;
        struct Answer {
            bool* done;
            bool* ok;
        } answer { &done, &ok };
        pa_operation* operation = pa_context_set_sink_volume_by_name(
            m_context, sink.name.c_str(), &volume,
            [](pa_context*, int success, void* data) {
                auto* a = static_cast<Answer*>(data);
                *a->ok = success != 0;
                *a->done = true;
            },
            &answer);
        return finish(operation, done) && ok;
    }

    std::string name() const override { return "pulse"; }

private:
    enum class Side { Left, Right, Both };
    struct SinkVolume {
        std::string name;
        pa_cvolume volume {};
        pa_channel_map map {};
        pa_volume_t left = 0;
        pa_volume_t right = 0;
    };

    static Side sideOf(pa_channel_position_t position)
    {
        switch (position) {
        case PA_CHANNEL_POSITION_FRONT_LEFT:
        case PA_CHANNEL_POSITION_REAR_LEFT:
        case PA_CHANNEL_POSITION_SIDE_LEFT:
        case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
        case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
            return Side::Left;
        case PA_CHANNEL_POSITION_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_REAR_RIGHT:
        case PA_CHANNEL_POSITION_SIDE_RIGHT:
        case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
            return Side::Right;
        default:
            return Side::Both;
        }
    }

    // 0..PA_VOLUME_NORM (100 %) to 0..0xFFFF and back, rounded so that a
    // value written and read back is the same; a boost above 100 % reads
    // as full.
    static uint32_t toSixteen(pa_volume_t value)
    {
        const double scaled = static_cast<double>(std::min<pa_volume_t>(value, PA_VOLUME_NORM)) * 0xFFFF;
        return static_cast<uint32_t>(std::lround(scaled / PA_VOLUME_NORM));
    }
    static pa_volume_t fromSixteen(uint32_t value)
    {
        return static_cast<pa_volume_t>(std::lround(static_cast<double>(value) * PA_VOLUME_NORM / 0xFFFF));
    }

    bool ready() const { return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY; }

    // Runs the loop until `done` says so, the connection fails or a second
    // has passed.
    template <typename Done> bool runUntil(Done done) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            if (pa_mainloop_prepare(m_loop, static_cast<int>(left.count())) < 0
                || pa_mainloop_poll(m_loop) < 0 || pa_mainloop_dispatch(m_loop) < 0)
                return false;
        }
        return true;
    }

    // Waits for an operation's answer; false when it did not come.
    bool finish(pa_operation* operation, const bool& done) const
    {
        if (!operation)
            return false;
        const bool answered = runUntil([&] { return done || !ready(); }) && done;
        if (!answered)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return answered;
    }

    // The default sink's name, volume and channel map.
    bool defaultSink(SinkVolume& sink) const
    {
        if (!ready())
            return false;
        struct Query {
            SinkVolume* sink;
            bool done = false;
            bool found = false;
        } query { &sink };
        pa_operation* info = pa_context_get_server_info(
            m_context,
            [](pa_context*, const pa_server_info* server, void* data) {
                auto* q = static_cast<Query*>(data);
                if (server && server->default_sink_name)
                    q->sink->name = server->default_sink_name;
                q->done = true;
            },
            &query);
        if (!finish(info, query.done) || sink.name.empty())
            return false;
        query.done = false;
        pa_operation* volume = pa_context_get_sink_info_by_name(
            m_context, sink.name.c_str(),
            [](pa_context*, const pa_sink_info* found, int end, void* data) {
                auto* q = static_cast<Query*>(data);
                if (end != 0) {
                    q->done = true;
                    return;
                }
                if (!found || q->found)
                    return;
                q->found = true;
                q->sink->volume = found->volume;
                q->sink->map = found->channel_map;
            },
            &query);
        if (!finish(volume, query.done) || !query.found || sink.volume.channels == 0)
            return false;
        // Each side is the loudest of its channels; a sink without sides
        // (mono) gives both the same.
        pa_volume_t left = 0, right = 0, both = 0;
        bool anyLeft = false, anyRight = false;
        for (unsigned i = 0; i < sink.volume.channels; ++i) {
            const pa_volume_t v = sink.volume.values[i];
            switch (sideOf(sink.map.map[i])) {
            case Side::Left:
                left = std::max(left, v);
                anyLeft = true;
                break;
            case Side::Right:
                right = std::max(right, v);
                anyRight = true;
                break;
            case Side::Both:
                both = std::max(both, v);
                break;
            }
        }
        sink.left = anyLeft ? left : std::max(both, right);
        sink.right = anyRight ? right : std::max(both, left);
        return true;
    }

    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_ready = false;
};

class AlsaWave final : public WaveDevice {
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
    ~AlsaWave() override
    {
        if (m_mixer)
            snd_mixer_close(m_mixer);
    }
    bool present() const override { return m_element != nullptr; }
    std::string name() const override { return m_element ? "alsa" : ""; }

    bool read(uint32_t& packed) const override
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

    bool write(uint32_t packed) override
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
    SystemMixer()
    {
        // A sound server that answers owns the output; else the card.
        auto pulse = std::make_unique<PulseWave>();
        if (pulse->present())
            m_wave = std::move(pulse);
        else
            m_wave = std::make_unique<AlsaWave>();
    }
    bool has(MixerClass mixerClass) const override
    {
        return mixerClass != MixerClass::Wave || m_wave->present();
    }
    bool volume(MixerClass mixerClass, uint32_t& packed) const override
    {
        if (mixerClass == MixerClass::Wave)
            return m_wave->read(packed);
        packed = programVolumes[static_cast<int>(mixerClass)];
        return true;
    }
    bool setVolume(MixerClass mixerClass, uint32_t packed) override
    {
        if (mixerClass == MixerClass::Wave)
            return m_wave->write(packed);
        programVolumes[static_cast<int>(mixerClass)] = packed;
        return true;
    }
    std::string waveDevice() const override { return m_wave->present() ? m_wave->name() : ""; }

private:
    std::unique_ptr<WaveDevice> m_wave;
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
