// StartupSound: the installer's greeting, a wave file played once through
// the program's audio output (the default sink: SDL, or what ORVANTA_AUDIO
// names) on a thread of its own, so the window opens at once. Anything that
// goes wrong (no file, not a wave the WAV reader converts, over 64 MiB, no
// audio device) is ignored: the sound is a courtesy, never an error.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace ov {

class StartupSound {
public:
    StartupSound() = default;
    // Cuts the sound short and waits for its thread.
    ~StartupSound();
    StartupSound(const StartupSound&) = delete;
    StartupSound& operator=(const StartupSound&) = delete;

    // Starts playing the wave file at hostPath; false (and silence) when it
    // cannot be read as a wave. A failing device shows only as silence.
    bool play(const std::string& hostPath);
    // Waits until the sound has been played to its end.
    void wait();

    static constexpr uint64_t MaxBytes = 64u << 20;

private:
    std::thread m_thread;
    std::atomic<bool> m_stop { false };
};

// The installer's Music.wav: beside the program, else beside the payload;
// "" when neither folder has one.
std::string startupSoundFile(const std::string& programFolder, const std::string& payloadPath);

} // namespace ov
