// MciPlayer; see mci_player.h.
#include "media/mci_player.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ov {

// The samples of a wave file, read block by block from the file.
class MciPlayer::Source final : public PcmSource {
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
    auto source = std::make_unique<Source>();
    if (!source->file.open(FileName)) {
        m_error = FileName + ": " + (source->file.notRegular() ? "not a regular file" : std::strerror(errno));
        return false;
    }
    const HostFile& file = source->file;
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
    const uint64_t start = m_startFrame >= m_source->info.frames() ? 0 : m_startFrame;
    m_source->seek(0);
    m_playback.start(*m_source, *sink, start, 0, [sink] { sink->close(); });
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
    return m_source ? m_source->info.rate : 0;
}
int MciPlayer::channels() const
{
    return m_source ? m_source->info.channels : 0;
}

int MciPlayer::Length() const
{
    if (!m_source)
        return 0;
    return static_cast<int>(m_source->info.frames() * 1000 / static_cast<uint64_t>(m_source->info.rate));
}

int MciPlayer::Position() const
{
    if (!m_source)
        return 0;
    const uint64_t frame = m_playback.running() || m_playback.ended() ? m_playback.position() : m_startFrame;
    return static_cast<int>(frame * 1000 / static_cast<uint64_t>(m_source->info.rate));
}

void MciPlayer::setPosition(int milliseconds)
{
    if (!m_source)
        return;
    // Rounded up, so that the position read back is the one set.
    const uint64_t frame
        = (static_cast<uint64_t>(std::max(milliseconds, 0)) * static_cast<uint64_t>(m_source->info.rate)
              + 999)
        / 1000;
    m_startFrame = std::min(frame, m_source->info.frames());
    if (m_playback.running())
        m_playback.seek(m_startFrame);
}

} // namespace ov
