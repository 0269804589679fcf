// The three audio sinks; see audio_sink.h.
#include "platform/audio_sink.h"

#include "platform/atomic_file.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace ov {

namespace {

constexpr int BytesPerSample = 2;

class NullSink final : public AudioSink {
public:
    bool open(const AudioFormat&) override { return true; }
    bool write(const int16_t*, std::size_t) override { return true; }
    bool close() override { return true; }
};

class PcmFileSink final : public AudioSink {
public:
    explicit PcmFileSink(std::string hostPath)
        : m_path(std::move(hostPath))
    {
    }

    bool open(const AudioFormat& format) override
    {
        m_channels = format.channels;
        if (m_file.open(m_path))
            return true;
        m_error = "cannot create " + m_path + ": " + std::strerror(m_file.error());
        return false;
    }

    bool write(const int16_t* samples, std::size_t frames) override
    {
        // The samples are written little-endian whatever the host's order.
        const std::size_t count = frames * static_cast<std::size_t>(m_channels);
        m_bytes.resize(count * BytesPerSample);
        for (std::size_t i = 0; i < count; ++i) {
            const auto value = static_cast<uint16_t>(samples[i]);
            m_bytes[2 * i] = static_cast<char>(value & 0xFF);
            m_bytes[2 * i + 1] = static_cast<char>(value >> 8);
        }
        if (m_file.write(m_bytes.data(), m_bytes.size()))
            return true;
        m_error = "cannot write " + m_path + ": " + std::strerror(m_file.error());
        return false;
    }

    bool close() override
    {
        if (!m_file.isOpen())
            return true;
        if (m_file.commit())
            return true;
        m_error = "cannot write " + m_path + ": " + std::strerror(m_file.error());
        return false;
    }

private:
    std::string m_path;
    int m_channels = 2;
    AtomicFile m_file;
    std::string m_bytes;
};

// SDL's audio subsystem is started once per user and stopped with the last.
std::mutex sdlLock;
int sdlUsers = 0;

bool startSdlAudio(std::string& error)
{
    std::lock_guard<std::mutex> hold(sdlLock);
    if (sdlUsers == 0) {
        // Without this SDL turns SIGINT and SIGTERM into events that nobody
        // reads, and the program no longer ends on them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = std::string("audio output: ") + SDL_GetError();
            return false;
        }
    }
    ++sdlUsers;
    return true;
}

void stopSdlAudio()
{
    std::lock_guard<std::mutex> hold(sdlLock);
    if (--sdlUsers == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

class SdlSink final : public AudioSink {
public:
    ~SdlSink() override { close(); }

    bool open(const AudioFormat& format) override
    {
        if (!startSdlAudio(m_error))
            return false;
        SDL_AudioSpec wanted {};
        wanted.freq = format.rate;
        wanted.format = AUDIO_S16LSB;
        wanted.channels = static_cast<Uint8>(format.channels);
        wanted.samples = 2048;
        wanted.callback = nullptr; // queued: write() pushes the samples
        SDL_AudioSpec obtained {};
        m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (m_device == 0) {
            m_error = std::string("audio output: ") + SDL_GetError();
            stopSdlAudio();
            return false;
        }
        m_frameBytes = static_cast<std::size_t>(format.channels) * BytesPerSample;
        // About a quarter of a second ahead: enough against scheduling
        // delays, little enough that a seek or a stop is heard at once.
        m_limitFrames = static_cast<std::size_t>(format.rate) / 4;
        SDL_PauseAudioDevice(m_device, 0);
        return true;
    }

    bool write(const int16_t* samples, std::size_t frames) override
    {
        if (m_device == 0)
            return false;
        // A paused device holds its queue; clear() (a stop) empties it.
        while (queuedFrames() > m_limitFrames)
            SDL_Delay(10);
        if (SDL_QueueAudio(m_device, samples, static_cast<Uint32>(frames * m_frameBytes)) != 0) {
            m_error = std::string("audio output: ") + SDL_GetError();
            return false;
        }
        return true;
    }

    std::size_t queuedFrames() const override
    {
        return m_device == 0 ? 0 : SDL_GetQueuedAudioSize(m_device) / m_frameBytes;
    }

    void clear() override
    {
        if (m_device != 0)
            SDL_ClearQueuedAudio(m_device);
    }

    void pause(bool hold) override
    {
        m_paused = hold;
        if (m_device != 0)
            SDL_PauseAudioDevice(m_device, hold ? 1 : 0);
    }

    void drain() override
    {
        while (m_device != 0 && !m_paused && queuedFrames() > 0)
            SDL_Delay(5);
    }

    bool close() override
    {
        if (m_device == 0)
            return true;
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
        stopSdlAudio();
        return true;
    }

private:
    SDL_AudioDeviceID m_device = 0;
    std::size_t m_frameBytes = 4;
    std::size_t m_limitFrames = 11025;
    std::atomic<bool> m_paused { false };
};

} // namespace

bool audioIsNull()
{
    const char* value = std::getenv("ORVANTA_AUDIO");
    return value && std::strcmp(value, "null") == 0;
}

std::unique_ptr<AudioSink> makeAudioSink(AudioOutput output)
{
    if (output == AudioOutput::Null || (output == AudioOutput::Default && audioIsNull()))
        return std::make_unique<NullSink>();
    if (output == AudioOutput::Default) {
        const char* value = std::getenv("ORVANTA_AUDIO");
        if (value && std::strncmp(value, "pcm:", 4) == 0 && value[4] != '\0')
            return std::make_unique<PcmFileSink>(value + 4);
    }
    return std::make_unique<SdlSink>();
}

std::unique_ptr<AudioSink> makePcmFileSink(const std::string& hostPath)
{
    return std::make_unique<PcmFileSink>(hostPath);
}

} // namespace ov
