// CdDevice: the CD audio device the CD player drives, in the terms of a
// media-player control: a mode, a track table, a position as track /
// minute / second / frame, and play, pause, resume, stop, next, previous
// and eject. Positions count 75 frames (sectors) a second; a track's
// length comes from its sector count, so it never carries the 2-second
// lead-in that start times on a disc include.
//
// Two devices stand behind the interface:
// - CdioDevice (libcdio): a drive, or a BIN/CUE, TOC or NRG image. Sound
//   comes by digital extraction on a reader thread that feeds the audio
//   output (44.1 kHz, 16-bit stereo) with the CD level of the mixer:
//   libcdio-paranoia on a drive, plain audio-sector reads on an image. The
//   position is what the output has played, not what was read ahead. A data
//   track is listed but never played (a range over it skips it). Eject on an
//   image opens its "tray": mode Open, no track table, until eject again.
// - FakeCdDevice: a scripted device for tests (any mode, a track table,
//   a position moved by hand), counting every command.
//
// OnModeChange runs whenever the mode changes; for CdioDevice it can run on
// the reader thread (playback reaching its end), so a window hands it on
// to its own thread.
#pragma once

#include "platform/audio_sink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

enum class CdMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };

// The mode's name as the status line shows it ("Not ready", "Stopped", ...).
const char* cdModeText(CdMode mode);

constexpr int CdFramesPerSecond = 75;
constexpr int CdSectorBytes = 2352;
// Stereo 16-bit samples in one audio sector.
constexpr int CdSamplesPerSector = CdSectorBytes / 4;

struct CdTrack {
    int number = 0;
    bool audio = true;
    uint32_t start = 0; // first sector (logical sector number)
    uint32_t sectors = 0;
    int minutes() const { return static_cast<int>(sectors / CdFramesPerSecond / 60); }
    int seconds() const { return static_cast<int>(sectors / CdFramesPerSecond % 60); }
};

// A position inside a track: track 1..N, then minutes, seconds and frames
// from the track's start.
struct CdPosition {
    int track = 1;
    int minute = 0;
    int second = 0;
    int frame = 0;
    bool operator==(const CdPosition&) const = default;
};

class CdDevice {
public:
    virtual ~CdDevice() = default;

    virtual CdMode mode() const = 0;
    // Reads the track table when a disc is there; false (empty table)
    // without one.
    virtual bool loadTracks() = 0;
    virtual const std::vector<CdTrack>& tracks() const = 0;
    int trackCount() const { return static_cast<int>(tracks().size()); }
    virtual CdPosition position() const = 0;

    // Plays from `from` (the current position when null) up to `to`,
    // exclusive (the end of the disc when null or past the last track);
    // false when there is nothing to play there.
    virtual bool play(const CdPosition* from = nullptr, const CdPosition* to = nullptr) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Ends playing; the position stays where it was.
    virtual void stop() = 0;
    // Moves the position; playing goes on from there when it was playing.
    virtual void seek(const CdPosition& position) = 0;
    // The start of the next track (stays on the last).
    virtual void next() = 0;
    // The start of the current track, or of the one before when the
    // position is within the first second of the current track.
    virtual void previous() = 0;
    // Opens the tray, or closes it when it is open.
    virtual void eject() = 0;

    std::function<void(CdMode mode)> OnModeChange;

protected:
    void notify(CdMode mode)
    {
        if (OnModeChange)
            OnModeChange(mode);
    }
};

// Sector arithmetic over a track table, shared by the devices: the sector
// of a position (clamped to its track, 0 for an unknown track) and the
// position of a sector.
uint32_t cdSectorOf(const std::vector<CdTrack>& tracks, const CdPosition& position);
CdPosition cdPositionOf(const std::vector<CdTrack>& tracks, uint32_t sector);

class FakeCdDevice final : public CdDevice {
public:
    FakeCdDevice() = default;

    // Scripting: the disc (empty: none), the mode and the position.
    void setDisc(std::vector<CdTrack> tracks);
    // A disc of audio tracks with these lengths in seconds, back to back.
    void setDiscSeconds(const std::vector<int>& seconds);
    void setMode(CdMode mode);
    void setPosition(const CdPosition& position) { m_position = position; }

    CdMode mode() const override { return m_mode; }
    bool loadTracks() override;
    const std::vector<CdTrack>& tracks() const override { return m_tracks; }
    CdPosition position() const override { return m_position; }
    bool play(const CdPosition* from = nullptr, const CdPosition* to = nullptr) override;
    void pause() override;
    void resume() override;
    void stop() override;
    void seek(const CdPosition& position) override;
    void next() override;
    void previous() override;
    void eject() override;

    // What was asked of the device, in order ("play 1:00:00", "stop", ...).
    std::vector<std::string> Calls;
    int Loads = 0;
    // Runs inside loadTracks, while the caller waits for the table.
    std::function<void()> DuringLoad;

private:
    std::vector<CdTrack> m_disc;
    std::vector<CdTrack> m_tracks;
    CdMode m_mode = CdMode::Stopped;
    CdPosition m_position;
};

// Where a CdioDevice reads from.
enum class CdExtraction {
    Automatic, // paranoia on a drive, plain sector reads on an image
    Plain,
    Paranoia,
};

class CdioDevice final : public CdDevice {
public:
    // source: a device (/dev/sr0) or an image's .cue, .toc or .nrg file;
    // empty: ORVANTA_CD_DEVICE, else the first drive libcdio finds.
    explicit CdioDevice(std::string source = {}, AudioOutput output = AudioOutput::Default);
    ~CdioDevice() override;
    CdioDevice(const CdioDevice&) = delete;
    CdioDevice& operator=(const CdioDevice&) = delete;

    // The sound goes to this raw PCM file instead of the output.
    void setPcmFile(const std::string& hostPath) { m_pcmFile = hostPath; }
    void setExtraction(CdExtraction extraction) { m_extraction = extraction; }
    // The sound goes to this sink (not yet open; tests).
    void setSink(std::unique_ptr<AudioSink> sink);

    const std::string& source() const { return m_source; }
    bool isImage() const { return m_image; }
    // Why the device is not ready, or why play failed.
    const std::string& errorText() const { return m_error; }
    // Frames (stereo samples) handed to the output by the last play.
    uint64_t deliveredFrames() const;
    // Blocks until the current play has ended (not after stop or pause).
    void waitForEnd() const;

    CdMode mode() const override;
    bool loadTracks() override;
    const std::vector<CdTrack>& tracks() const override { return m_tracks; }
    CdPosition position() const override;
    bool play(const CdPosition* from = nullptr, const CdPosition* to = nullptr) override;
    void pause() override;
    void resume() override;
    void stop() override;
    void seek(const CdPosition& position) override;
    void next() override;
    void previous() override;
    void eject() override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_source;
    bool m_image = false;
    AudioOutput m_output;
    std::string m_pcmFile;
    CdExtraction m_extraction = CdExtraction::Automatic;
    std::vector<CdTrack> m_tracks;
    std::string m_error;
};

// The source a CdioDevice opens by default: ORVANTA_CD_DEVICE, else the
// first drive libcdio finds, else empty.
std::string defaultCdSource();

} // namespace ov
