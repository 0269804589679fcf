// MciPlayer; see mci_player.h.
#include "media/mci_player.h"

#include "media/midi_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ov {

// The samples of a wave file, read block by block from the file.
class MciPlayer::WaveSource final : public PcmSource {
public:
    HostFile file;
    WavInfo info;

    AudioFormat format() const override { return AudioFormat { info.rate, info.channels }; }

    std::size_t read(int16_t* out, std::size_t frames) override
    {
        const uint64_t left = info.frames() - std::min(m_frame, info.frames());
        const std::size_t count = static_cast<std::size_t>(std::min<uint64_t>(frames, left));
        if (count == 0)
            return 0;
        m_bytes.resize(count * static_cast<std::size_t>(info.blockAlign));
        const std::ptrdiff_t got = file.readAt(
            static_cast<int64_t>(info.dataOffset + m_frame * static_cast<uint64_t>(info.blockAlign)),
            m_bytes.data(), m_bytes.size());
        // A file cut while it plays ends the sound where it was cut.
        if (got <= 0)
            return 0;
        const std::size_t whole = static_cast<std::size_t>(got) / static_cast<std::size_t>(info.blockAlign);
        convertWavFrames(info, m_bytes.data(), whole, out);
        m_frame += whole;
        return whole;
    }

    bool seek(uint64_t frame) override
    {
        m_frame = std::min(frame, info.frames());
        return true;
    }

private:
    uint64_t m_frame = 0;
    std::vector<uint8_t> m_bytes;
};

MciPlayer::MciPlayer() = default;

MciPlayer::~MciPlayer()
{
    Close();
}

bool MciPlayer::Open()
{
    Close();
    auto source = std::make_unique<WaveSource>();
    if (!source->file.open(FileName)) {
        m_error = FileName + ": " + (source->file.notRegular() ? "not a regular file" : std::strerror(errno));
        return false;
    }
    const HostFile& file = source->file;
    char head[12] = {};
    file.readAt(0, head, sizeof head);
    const bool midi = std::memcmp(head, "MThd", 4) == 0
        || (std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0);
    if (midi) {
        if (static_cast<uint64_t>(file.size()) > MaxMidiBytes) {
            m_error = FileName + ": MIDI file too large";
            return false;
        }
        std::string bytes(static_cast<std::size_t>(file.size()), '\0');
        if (file.readAt(0, bytes.data(), bytes.size()) != static_cast<std::ptrdiff_t>(bytes.size())) {
            m_error = FileName + ": cannot read";
            return false;
        }
        auto song = std::make_unique<MidiSource>();
        std::string why;
        if (!song->open(std::move(bytes), why)) {
            m_error = FileName + ": " + why;
            return false;
        }
        m_frames = song->frames();
        m_format = song->format();
        m_source = std::move(song);
        m_startFrame = 0;
        m_error.clear();
        return true;
    }
    const WavRead read = [&file](uint64_t offset, void* buffer, std::size_t length) -> std::size_t {
        const std::ptrdiff_t got = file.readAt(static_cast<int64_t>(offset), buffer, length);
        return got < 0 ? 0 : static_cast<std::size_t>(got);
    };
    std::string why;
    const WavStatus status = readWavHeader(read, static_cast<uint64_t>(file.size()), source->info, why);
    if (status != WavStatus::Ok) {
        m_error = FileName + ": " + why;
        return false;
    }
    m_frames = source->info.frames();
    m_format = source->format();
    m_source = std::move(source);
    m_startFrame = 0;
    m_error.clear();
    return true;
}

bool MciPlayer::Play()
{
    if (!m_source && !Open())
        return false;
    if (m_playback.running())
        return true;
    m_playback.stop();
    if (m_sink)
        m_sink->close();
    m_sink = m_pcmFile.empty() ? makeAudioSink(m_output) : makePcmFileSink(m_pcmFile);
    if (!m_sink->open(m_source->format())) {
        m_error = m_sink->errorText();
        m_sink.reset();
        return false;
    }
    AudioSink* sink = m_sink.get();
    const uint64_t start = m_startFrame >= m_frames ? 0 : m_startFrame;
    m_playback.start(*m_source, *sink, start, 0, [this, sink] {
        sink->close();
        if (OnNotify)
            OnNotify();
    });
    return true;
}

void MciPlayer::Stop()
{
    if (m_playback.running())
        m_startFrame = m_playback.position();
    m_playback.stop();
    if (m_sink)
        m_sink->close();
    m_sink.reset();
}

void MciPlayer::Close()
{
    Stop();
    m_source.reset();
    m_startFrame = 0;
}

int MciPlayer::rate() const
{
    return m_source ? m_format.rate : 0;
}
int MciPlayer::channels() const
{
    return m_source ? m_format.channels : 0;
}

// A MIDI song's true end is known only once it has been rendered (the
// synthesizer lets the last notes ring out): until then the position stays
// below the length, and at the end the length is where the sound ended.
int MciPlayer::Length() const
{
    if (!m_source)
        return 0;
    const uint64_t frames = m_playback.ended() ? m_playback.position() : m_frames;
    return static_cast<int>(frames * 1000 / static_cast<uint64_t>(m_format.rate));
}

int MciPlayer::Position() const
{
    if (!m_source)
        return 0;
    uint64_t frame = m_startFrame;
    if (m_playback.ended())
        frame = m_playback.position();
    else if (m_playback.running())
        frame = std::min(m_playback.position(), m_frames > 0 ? m_frames - 1 : 0);
    return static_cast<int>(frame * 1000 / static_cast<uint64_t>(m_format.rate));
}

void MciPlayer::setPosition(int milliseconds)
{
    if (!m_source)
        return;
    // Rounded up, so that the position read back is the one set.
    const uint64_t frame
        = (static_cast<uint64_t>(std::max(milliseconds, 0)) * static_cast<uint64_t>(m_format.rate) + 999)
        / 1000;
    const bool wasPlaying = m_playback.running();
    m_startFrame = std::min(frame, m_frames);
    // Playing, the sound starts over from there at once.
    if (wasPlaying) {
        const uint64_t target = m_startFrame;
        Stop();
        m_startFrame = target;
        Play();
    }
}

} // namespace ov
