// StartupSound; see startup_sound.h.
#include "setup/startup_sound.h"

#include "platform/audio_sink.h"
#include "platform/host_file.h"
#include "platform/wav_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace ov {

StartupSound::~StartupSound()
{
    m_stop = true;
    wait();
}

void StartupSound::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool StartupSound::play(const std::string& hostPath)
{
    wait();
    HostFile file;
    if (!file.open(hostPath) || file.size() <= 0 || static_cast<uint64_t>(file.size()) > MaxBytes)
        return false;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(file.size()));
    if (file.readAt(0, bytes.data(), bytes.size()) != static_cast<std::ptrdiff_t>(bytes.size()))
        return false;
    WavInfo info;
    std::string error;
    if (readWavHeader(bytes.data(), bytes.size(), info, error) != WavStatus::Ok || info.frames() == 0)
        return false;
    m_stop = false;
    m_thread = std::thread([this, info, data = std::move(bytes)] {
        std::unique_ptr<AudioSink> sink = makeAudioSink(AudioOutput::Default);
        if (!sink->open(AudioFormat { info.rate, info.channels }))
            return;
        constexpr uint64_t Block = 4096;
        std::vector<int16_t> samples(Block * static_cast<uint64_t>(info.channels));
        const uint8_t* at = data.data() + info.dataOffset;
        for (uint64_t done = 0; done < info.frames() && !m_stop;) {
            const uint64_t count = std::min(Block, info.frames() - done);
            convertWavFrames(info, at + done * static_cast<uint64_t>(info.blockAlign), count, samples.data());
            if (!sink->write(samples.data(), count))
                break;
            done += count;
        }
        if (!m_stop)
            sink->drain();
        sink->close();
    });
    return true;
}

std::string startupSoundFile(const std::string& programFolder, const std::string& payloadPath)
{
    std::vector<std::string> candidates { programFolder + "/Music.wav" };
    const std::size_t slash = payloadPath.rfind('/');
    if (slash != std::string::npos)
        candidates.push_back(payloadPath.substr(0, slash) + "/Music.wav");
    for (const std::string& candidate : candidates) {
        if (isRegularHostFile(candidate))
            return candidate;
    }
    return {};
}

} // namespace ov
