// MidiSource over FluidSynth; see midi_source.h. RMID is the RIFF form of
// a standard MIDI file: "RIFF" size "RMID", then chunks, the song in "data".
#include "media/midi_source.h"

#include "platform/mixer.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace ov {

namespace {

constexpr int Rate = 44100;
constexpr std::size_t Block = 4096;

uint32_t le32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void quietLogs()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG })
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

// A standard MIDI file's header: "MThd", length 6, format 0 to 2, at least
// one track, and the first "MTrk" right after it.
bool isStandardMidi(std::string_view song)
{
    if (song.size() < 22 || song.substr(0, 8) != std::string_view("MThd\0\0\0\x06", 8))
        return false;
    const int format = (static_cast<unsigned char>(song[8]) << 8) | static_cast<unsigned char>(song[9]);
    const int tracks = (static_cast<unsigned char>(song[10]) << 8) | static_cast<unsigned char>(song[11]);
    return format <= 2 && tracks >= 1 && song.substr(14, 4) == "MTrk";
}

} // namespace

std::string_view unwrapMidi(std::string_view bytes)
{
    if (bytes.size() >= 4 && bytes.substr(0, 4) == "MThd")
        return isStandardMidi(bytes) ? bytes : std::string_view {};
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "RMID")
        return {};
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint64_t length = le32(bytes.data() + at + 4);
        const std::size_t body = at + 8;
        if (bytes.substr(at, 4) == "data") {
            const std::string_view song = bytes.substr(
                body, static_cast<std::size_t>(std::min<uint64_t>(length, bytes.size() - body)));
            return isStandardMidi(song) ? song : std::string_view {};
        }
        if (length > bytes.size() - body)
            break;
        at = body + static_cast<std::size_t>(length) + (length & 1);
    }
    return {};
}

std::string midiSoundFont()
{
    const char* font = std::getenv("ORVANTA_SOUNDFONT");
    return font && *font ? font : "/usr/share/sounds/sf2/default-GM.sf2";
}

// One synthesizer and player over the song; without a font it renders
// silence at the song's own pace (the length pass).
struct MidiSource::Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    double gain = 0.2;

    ~Synth()
    {
        if (player) {
            fluid_player_stop(player);
            delete_fluid_player(player);
        }
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }

    bool start(std::string_view song, const std::string& font)
    {
        settings = new_fluid_settings();
        if (!settings)
            return false;
        fluid_settings_setnum(settings, "synth.sample-rate", Rate);
        fluid_settings_setint(settings, "synth.threadsafe-api", 0);
        // No dynamic sample loading and no extra threads: render only.
        fluid_settings_setint(settings, "synth.cpu-cores", 1);
        synth = new_fluid_synth(settings);
        if (!synth)
            return false;
        if (!font.empty() && fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED)
            return false;
        player = new_fluid_player(synth);
        if (!player || fluid_player_add_mem(player, song.data(), song.size()) != FLUID_OK)
            return false;
        return fluid_player_play(player) == FLUID_OK;
    }

    bool finished() const { return fluid_player_get_status(player) != FLUID_PLAYER_PLAYING; }

    // Renders up to `frames` frames in steps of 64, the synthesizer's own
    // block, so that the song ends within 64 frames of where the player
    // says it does; 0 once the song has ended.
    std::size_t render(int16_t* out, std::size_t frames)
    {
        constexpr std::size_t Step = 64;
        // The MIDI volume is this synthesizer's gain (FluidSynth's default
        // 0.2 at full volume).
        const double wanted = 0.2 * programGain(MixerClass::Midi);
        if (wanted != gain) {
            gain = wanted;
            fluid_synth_set_gain(synth, static_cast<float>(gain));
        }
        std::size_t done = 0;
        while (done < frames && !finished()) {
            const int count = static_cast<int>(std::min(Step, frames - done));
            int16_t* at = out + 2 * done;
            if (fluid_synth_write_s16(synth, count, at, 0, 2, at, 1, 2) != FLUID_OK)
                break;
            done += static_cast<std::size_t>(count);
        }
        return done;
    }
};

MidiSource::MidiSource()
{
    quietLogs();
}
MidiSource::~MidiSource() = default;

bool MidiSource::open(std::string bytes, std::string& error, uint64_t maxFrames)
{
    if (bytes.size() > MaxMidiBytes) {
        error = "MIDI file too large";
        return false;
    }
    const std::string_view song = unwrapMidi(bytes);
    if (song.empty()) {
        error = "not a MIDI file";
        return false;
    }
    m_song.assign(song);
    m_font = midiSoundFont();
    // The length: the song played once without voices.
    Synth pace;
    if (!pace.start(m_song, {})) {
        error = "MIDI file refused by the synthesizer";
        return false;
    }
    std::vector<int16_t> block(Block * 2);
    m_frames = 0;
    while (m_frames < maxFrames) {
        const std::size_t got = pace.render(block.data(), Block);
        if (got == 0)
            break;
        m_frames += got;
    }
    if (m_frames == 0) {
        error = "MIDI file refused by the synthesizer";
        return false;
    }
    if (!restart()) {
        error = "cannot load the sound font " + m_font;
        return false;
    }
    return true;
}

bool MidiSource::restart()
{
    m_position = 0;
    m_synth = std::make_unique<Synth>();
    if (m_synth->start(m_song, m_font))
        return true;
    m_synth.reset();
    return false;
}

std::size_t MidiSource::read(int16_t* out, std::size_t frames)
{
    const std::size_t got = m_synth ? m_synth->render(out, frames) : 0;
    m_position += got;
    return got;
}

bool MidiSource::seek(uint64_t frame)
{
    if (frame == m_position)
        return true;
    if (!restart())
        return false;
    std::vector<int16_t> block(Block * 2);
    uint64_t at = 0;
    while (at < frame) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(Block, frame - at));
        const std::size_t got = m_synth->render(block.data(), want);
        if (got == 0)
            break;
        at += got;
    }
    m_position = at;
    return true;
}

} // namespace ov
