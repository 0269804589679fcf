// TMPEGPlayer: plays MPEG audio files (.mp1, .mp2, .mp3) through the MPEG
// layer (libovmpeg.so), loaded at run time from PathToDLL. No Qt: the
// owner drives the polling timer, calling TimerTick() every TimerFreq
// milliseconds while timerActive() says so.
//
// Every failure is a TMPEGError with a message and a code: the layer's
// codes 1..5 with their table texts, 0 when the layer is not loaded or
// lacks an entry point, 254 for an empty StreamName, 255 when the library
// cannot be loaded at all.
#pragma once

#include "platform/shared_library.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace ov {

class TMPEGError : public std::runtime_error {
public:
    TMPEGError(const std::string& message, int code)
        : std::runtime_error(message)
        , m_code(code)
    {
    }
    int code() const { return m_code; }

private:
    int m_code;
};

enum class TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class TOutputDevice { wavemapper, pcmfile };

// The library's file name and the folder rule: a "/" is put between folder
// and name unless the folder is empty or already ends in "/".
constexpr const char* MpegLibraryName = "libovmpeg.so";
std::string joinLibraryPath(const std::string& folder, const std::string& name);
// The folder the players load their layers from: ORVANTA_PLAYER_LIBS when
// set, else `folder`.
std::string playerLibraryFolder(const std::string& folder);
// The folder that holds a layer for a program of ours: the program's own
// folder, else ../lib beside it, else the build tree's folder of the layer
// (`buildFolder`, relative to the top of the build tree); the program
// folder when none holds it (the load then fails with its message).
std::string programLayerFolder(const std::string& libraryName, const std::string& buildFolder);

class TMPEGPlayer {
public:
    TMPEGPlayer();
    ~TMPEGPlayer();
    TMPEGPlayer(const TMPEGPlayer&) = delete;
    TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

    // Published properties.
    bool Seekable = true;
    bool FromStream = false;
    bool AutoPlay = false;
    std::string PathToDLL;
    int StartPos = 0;
    int EndPos = 0;

    TPlayPriority PlayerPriority() const;
    void setPlayerPriority(TPlayPriority priority);
    bool UseTimer() const { return m_useTimer; }
    void setUseTimer(bool on) { m_useTimer = on; }
    int TimerFreq() const { return m_timerFreq; }
    void setTimerFreq(int milliseconds);
    const std::string& StreamName() const { return m_streamName; }
    void setStreamName(const std::string& name);
    TOutputDevice OutputDevice() const
    {
        return m_deviceCode == 2 ? TOutputDevice::pcmfile : TOutputDevice::wavemapper;
    }
    void setOutputDevice(TOutputDevice device);
    const std::string& OutFilename() const { return m_outFilename; }
    void setOutFilename(const std::string& name) { m_outFilename = name; }
    int PlayedXTimes() const { return m_playedXTimes; }
    int Length() const { return m_length; }
    // The thread priority handed to the layer (-15 … 15).
    int priorityValue() const { return m_priority; }
    int deviceCode() const { return m_deviceCode; }

    // Events (the stream events are used only with FromStream).
    std::function<void(TMPEGPlayer& sender, bool& nonseekable, void*& context)> OnOpenStream;
    std::function<void(TMPEGPlayer& sender, void* context)> OnCloseStream;
    std::function<void(TMPEGPlayer& sender, void* context, bool& res)> OnRestartStream;
    std::function<void(TMPEGPlayer& sender, void* context, int& res)> OnGetStreamSize;
    std::function<void(TMPEGPlayer& sender, void* context, int numbytes, int moveMethod, int& res)>
        OnSeekStream;
    std::function<void(TMPEGPlayer& sender, void* context, void* buffer, int toRead, int& read, bool& res)>
        OnReadStream;
    std::function<void(TMPEGPlayer& sender, int pos, int len)> OnPosUpdate;
    std::function<void(TMPEGPlayer& sender)> OnPlayEnd;

    void LoadDLL();
    void UnloadDLL();
    bool loaded() const { return m_calls != nullptr; }
    void Open();
    void Play();
    void Pause(bool value);
    void Restart();
    void Close();
    int GetCurrentPos();
    int GetLength();
    void Seek(int position);
    int LastError() const;

    bool opened() const { return m_opened; }
    bool playing() const { return m_playing; }
    bool paused() const { return m_paused; }
    bool ended() const;
    // The stream's rate and channels, and the frames handed to the output
    // since Play (ovtool's summary).
    int frequency() const;
    int channels() const;
    long long playedFrames() const;

    // The polling timer: enabled while timerActive(), every timerInterval().
    bool timerActive() const { return m_timerEnabled; }
    int timerInterval() const { return m_timerInterval; }
    void TimerTick();

    // The layer's error table text for code n (0..5), without padding.
    static std::string errorText(int code);

private:
    struct Calls;
    [[noreturn]] void raise(int code) const;
    void check() const;
    void requireLoaded() const;
    void startTimer();

    SharedLibrary m_library;
    Calls* m_calls = nullptr;
    bool m_opened = false;
    bool m_playing = false;
    bool m_paused = false;
    unsigned char m_ended = 0;
    int m_priority = 0;
    int m_deviceCode = 0;
    int m_length = 0;
    int m_playedXTimes = 0;
    bool m_useTimer = true;
    int m_timerFreq = 100;
    bool m_timerEnabled = false;
    int m_timerInterval = 0;
    std::string m_streamName;
    std::string m_outFilename;
};

} // namespace ov
