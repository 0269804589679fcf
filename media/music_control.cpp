// MusicControl; see music_control.h.
#include "media/music_control.h"

#include <algorithm>
#include <cmath>

namespace ov {

namespace {
// Percent of a position, rounded down: 100 only at the very end.
int percentOf(long long position, long long length)
{
    if (length <= 0)
        return 0;
    return static_cast<int>(std::clamp(position * 100 / length, 0LL, 100LL));
}
} // namespace

MusicControl::MusicControl(MusicHost& host)
    : m_host(host)
{
    m_mplay.OnNotify = [this] { m_host.postToWindow([this] { MPlayNotify(); }); };
}

void MusicControl::MPlayNotify()
{
    if (m_host.rightPanelAtLastEntry())
        m_host.endMusicList();
}

MusicControl::~MusicControl()
{
    m_mplay.Close();
    m_module.Done();
    if (m_mpeg.loaded())
        m_mpeg.UnloadDLL();
}

void MusicControl::stopOthers(const std::string& keep)
{
    if (keep != "mp3" && m_mpeg.EndPos != 0) {
        m_mpeg.Close();
        m_mpeg.EndPos = 0;
    }
    if (keep != "s3m" && !m_module.SongName.empty())
        m_module.Stop();
    if (keep != "wav" && !m_mplay.FileName.empty())
        m_mplay.Stop();
}

void MusicControl::Play_Sound(const std::string& path)
{
    stopOthers("wav");
    m_mplay.Close();
    m_mplay.FileName = path;
    m_nowPlaying = path;
    if (!m_mplay.Play()) {
        m_host.showError(m_mplay.errorText());
        return;
    }
    m_kind = "wav";
    m_host.setTimer3(true);
    m_host.setLabel2(" MediaPlayer - " + path);
}

void MusicControl::PlayModule(const std::string& path)
{
    if (!m_moduleReady) {
        m_module.HideVUmeter = false;
        m_module.StereoVUmeter = true;
        m_module.LoopSong = false;
        m_module.PathToDLL = m_host.programFolder(ModLibraryName);
        if (!m_module.Init()) {
            // Said once; later modules are not playable without a word.
            if (!m_moduleFailed)
                m_host.showError(m_module.errorText());
            m_moduleFailed = true;
            return;
        }
        m_moduleReady = true;
    }
    stopOthers("s3m");
    m_module.Stop();
    m_module.SongName = path;
    m_nowPlaying = path;
    if (!m_module.Load()) {
        // Nothing would play: say so and let continuous play move on.
        m_kind.clear();
        m_host.setLabel2(" MediaPlayer - " + path + " - not playable");
        if (m_host.continuousPlay() && m_host.cursorDown())
            m_host.viewCurrent();
        return;
    }
    m_kind = "s3m";
    m_host.setLabel2(" MediaPlayer - " + path);
    m_module.Play();
    m_host.setTimer3(true);
}

void MusicControl::PlayMpeg(const std::string& path)
{
    try {
        if (!m_mpegReady) {
            m_mpeg.PathToDLL = m_host.programFolder(MpegLibraryName);
            m_mpeg.LoadDLL();
            m_mpeg.OnPlayEnd = [](TMPEGPlayer& player) { player.EndPos = 0; };
            m_mpegReady = true;
        }
        stopOthers("mp3");
        m_mpeg.setStreamName(path);
        m_mpeg.Open();
        m_mpeg.EndPos = m_mpeg.Length();
        m_kind = "mp3";
        m_host.setLabel2(" MediaPlayer - " + path);
        m_nowPlaying = path;
        m_mpeg.Play();
        m_host.setTimer3(true);
    } catch (const TMPEGError& error) {
        m_host.showError(error.what());
    }
}

void MusicControl::Stop()
{
    if (m_mpeg.EndPos != 0) {
        m_mpeg.Close();
        m_mpeg.EndPos = 0;
    }
    m_module.Stop();
    if (!m_mplay.FileName.empty())
        m_mplay.Stop();
    m_host.setTimer3(false);
    m_host.setCaption(ProductCaption);
    m_host.setLabel2("");
    m_host.setPosBar(0);
    m_kind.clear();
}

int MusicControl::percent()
{
    if (m_kind == "wav")
        return percentOf(m_mplay.Position(), m_mplay.Length());
    if (m_kind == "s3m")
        return percentOf(m_module.GetCurrentPosition(), m_module.GetMaxPosition());
    if (m_kind == "mp3" && m_mpeg.loaded() && m_mpeg.opened()) {
        // The player's own timer: its end event comes through here.
        if (m_mpeg.playing())
            m_mpeg.TimerTick();
        return percentOf(m_mpeg.GetCurrentPos(), m_mpeg.Length());
    }
    return 0;
}

void MusicControl::Timer3Timer()
{
    int value = 0;
    try {
        value = percent();
    } catch (const TMPEGError&) {
        value = 0;
    }
    const bool shown = m_host.statusBarVisible();
    if (value != 100) {
        if (!shown) {
            m_host.setCaption(std::string(ProductCaption) + " -  MediaPlayer " + std::to_string(value) + "%");
        } else {
            m_host.setPosBar(value);
            m_host.setLabel2(m_nowPlaying + " - " + std::to_string(value) + "%");
        }
    }
    if (shown && m_host.caption() != ProductCaption)
        m_host.setCaption(ProductCaption);
    if (value == 100)
        finish();
}

void MusicControl::finish()
{
    m_host.setCaption(ProductCaption);
    m_host.setLabel2("");
    m_host.setPosBar(0);
    m_host.setTimer3(false);
    if (m_host.continuousPlay() && m_host.cursorDown())
        m_host.viewCurrent();
}

void MusicControl::PosBarMouseDown(int x, int width)
{
    m_posDragging = true;
    if (width <= 0)
        return;
    if (m_kind == "wav") {
        const int length = m_mplay.Length();
        const long long target = std::clamp<long long>(
            std::llround(static_cast<double>(length) * x / width), 0, std::max(length - 1, 0));
        m_mplay.setPosition(static_cast<int>(target));
        // Dragged past either end, the bar shows its end, as the seek does.
        m_host.setPosBar(std::clamp(static_cast<int>(std::lround(x * 100.0 / width)), 0, 100));
        m_mplay.Play();
    } else if (m_kind == "mp3") {
        const int length = m_mpeg.Length();
        const long long target = std::clamp<long long>(
            std::llround(static_cast<double>(x) / width * length), 0, std::max(length - 1, 0));
        try {
            m_mpeg.Seek(static_cast<int>(target));
        } catch (const TMPEGError& error) {
            m_host.showError(error.what());
        }
    }
}

void MusicControl::PlayLast()
{
    if (m_mplay.FileName.empty())
        return;
    m_mplay.Stop();
    m_mplay.setPosition(0);
    if (!m_mplay.Play())
        m_host.showError(m_mplay.errorText());
}

void MusicControl::WhatPlaying()
{
    m_host.showInformation(m_host.lastPlayText() + " <" + m_mplay.FileName + ">");
}

} // namespace ov
