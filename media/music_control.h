// MusicControl: the main window's music, without a window. Three players
// (the wave/MIDI player `MPlay`, the MPEG player `MPlayer` and the module
// player `ModPlugPlayer1`), at most one of them playing; the progress shown
// in the caption or the status bar by the 100 ms `Timer3`; seeking with
// `PosBar`; continuous play of the next panel entry; "Play last file" and
// "What playing". The window side is the MusicHost interface.
//
// The shown percentage rounds down, so 100 % means the last sample has
// been played: continuous play never cuts the end of a song. A module
// that does not load is reported in Label2 and continuous play moves on.
// The wave/MIDI player tells its end from its decoder thread; the host
// hands that to the window's thread.
#pragma once

#include "media/mci_player.h"
#include "media/modplug_player.h"
#include "media/mpeg_player.h"

#include <functional>
#include <string>

namespace ov {

class MusicHost {
public:
    virtual ~MusicHost() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() const = 0;
    virtual bool statusBarVisible() const = 0;
    virtual void setLabel2(const std::string& text) = 0;
    virtual void setPosBar(int percent) = 0;
    virtual bool continuousPlay() const = 0;
    // Moves the active panel's cursor one entry down; false when it could not.
    virtual bool cursorDown() = 0;
    // View (F3) on the active panel's current entry.
    virtual void viewCurrent() = 0;
    virtual void setTimer3(bool running) = 0;
    virtual void showInformation(const std::string& text) = 0;
    virtual void showError(const std::string& text) = 0;
    // The folder a layer (by its library name) is loaded from.
    virtual std::string programFolder(const std::string& libraryName) const = 0;
    // "Last playing file is" in the user's language.
    virtual std::string lastPlayText() const = 0;
    // Runs `call` on the window's thread (later, from any thread).
    virtual void postToWindow(std::function<void()> call) = 0;
    // Whether the right panel's cursor is on its last entry.
    virtual bool rightPanelAtLastEntry() const = 0;
    // Unchecks the Commands menu's "Play music file" entry and captions it
    // "Play music list".
    virtual void endMusicList() = 0;
};

class MusicControl {
public:
    static constexpr const char* ProductCaption = "Orvanta v1.11";

    explicit MusicControl(MusicHost& host);
    ~MusicControl();

    // The starts, by the file's host path.
    void Play_Sound(const std::string& path);
    void PlayModule(const std::string& path);
    void PlayMpeg(const std::string& path);
    void Stop();
    void PlayLast();
    void WhatPlaying();
    void Timer3Timer();
    // A press (or a drag) on PosBar at x of width.
    void PosBarMouseDown(int x, int width);
    void PosBarMouseUp() { m_posDragging = false; }
    // The wave/MIDI player's completion notification (on the window's
    // thread): the music list ends when the right panel's cursor is on its
    // last entry.
    void MPlayNotify();

    const std::string& kind() const { return m_kind; }
    const std::string& nowPlaying() const { return m_nowPlaying; }
    MciPlayer& MPlay() { return m_mplay; }
    TMPEGPlayer& MPlayer() { return m_mpeg; }
    TModPlugPlayer& ModPlugPlayer1() { return m_module; }

private:
    void stopOthers(const std::string& keep);
    int percent();
    void finish();

    MusicHost& m_host;
    MciPlayer m_mplay;
    TMPEGPlayer m_mpeg;
    TModPlugPlayer m_module;
    std::string m_kind;
    std::string m_nowPlaying;
    bool m_moduleReady = false;
    bool m_moduleFailed = false;
    bool m_mpegReady = false;
    bool m_posDragging = false;
};

} // namespace ov
