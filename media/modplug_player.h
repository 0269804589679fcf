// TModPlugPlayer: plays tracker modules through the module layer
// (libovmod.so), loaded at run time from PathToDLL by the same folder rule
// as the MPEG player. The panel the layer once drew into is only a size
// here (Width × Height, 169 × 49 by default): the parameter string carries
// it, nothing is drawn. No Qt.
//
// A missing layer or a missing libmodplug makes Init fail with a message
// (errorText()); every other call is then a no-op, so the rest of the
// program keeps working.
#pragma once

#include "platform/shared_library.h"

#include <functional>
#include <string>

namespace ov {

constexpr const char* ModLibraryName = "libovmod.so";

class TModPlugPlayer {
public:
    TModPlugPlayer();
    ~TModPlugPlayer();
    TModPlugPlayer(const TModPlugPlayer&) = delete;
    TModPlugPlayer& operator=(const TModPlugPlayer&) = delete;

    // Published properties.
    bool HideVUmeter = false;
    bool LoopSong = false;
    bool StereoVUmeter = false;
    std::string SongName;
    bool Seek = false; // stored, no effect
    int Width = 169;
    int Height = 49;
    std::string PathToDLL;
    // Where the sound goes: the audio output, or a raw PCM file when set.
    std::string OutFilename;

    std::function<void(TModPlugPlayer& sender)> OnLoad;
    std::function<void(TModPlugPlayer& sender)> OnInit;
    std::function<void(TModPlugPlayer& sender)> OnStop;

    // The string handed to the layer when the player is created.
    std::string parameterString() const;

    // Creates the layer's player (Done first when one exists); false with
    // errorText() set when the layer or libmodplug cannot be loaded.
    bool Init();
    void Done();
    bool Load();
    void Play();
    void Stop();
    int GetMaxPosition() const;
    int GetCurrentPosition() const;

    bool hasPlayer() const { return m_handle != nullptr; }
    bool playing() const { return m_playing; }
    // Whether the song has been played to its last sample.
    bool ended() const;
    long long playedFrames() const;
    // Why Init or Load failed, in words.
    const std::string& errorText() const { return m_error; }

private:
    struct Calls;
    bool loadLayer();

    SharedLibrary m_library;
    Calls* m_calls = nullptr;
    void* m_handle = nullptr;
    bool m_playing = false;
    std::string m_error;
};

} // namespace ov
