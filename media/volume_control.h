// TVolumeControl: reads and sets the playback volumes of the three device
// classes (index 0 CD audio, 1 wave, 2 MIDI) as levels 0..255 over a Mixer,
// and keeps attached track bars in step. No Qt: a track bar is the small
// VolumeTrackBar interface (the window's slider implements it) and the
// owner calls Refresh() every Interval milliseconds while timerActive().
//
// Reading: (left + right) >> 9 of the class's packed volume; writing v sets
// v × 256 on both channels. A class without a device reads 0 and ignores
// writes. Refreshing only reads: a bar moved by a refresh writes nothing,
// so an outside change keeps its balance.
#pragma once

#include "platform/mixer.h"

#include <functional>

namespace ov {

class VolumeTrackBar {
public:
    virtual ~VolumeTrackBar() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    virtual bool vertical() const = 0;
    // Called by the bar when the user moves it.
    std::function<void()> OnChange;
};

class TVolumeControl {
public:
    explicit TVolumeControl(Mixer& mixer);

    int Interval = 500;

    int CDVolume() const { return volume(0); }
    int WaveVolume() const { return volume(1); }
    int MidiVolume() const { return volume(2); }
    void setCDVolume(int level) { setVolume(0, level); }
    void setWaveVolume(int level) { setVolume(1, level); }
    void setMidiVolume(int level) { setVolume(2, level); }

    int volume(int index) const;
    void setVolume(int index, int level);
    // The device chosen for the class (0) or -1 when it has none.
    int device(int index) const;

    // Attaches a bar to a class (null detaches) and refreshes at once.
    void attach(int index, VolumeTrackBar* bar);
    void detach(VolumeTrackBar* bar);
    void Refresh();
    bool timerActive() const { return m_timer; }

private:
    Mixer& m_mixer;
    int m_devices[3] = { -1, -1, -1 };
    VolumeTrackBar* m_bars[3] = { nullptr, nullptr, nullptr };
    bool m_timer = false;
    bool m_refreshing = false;
};

} // namespace ov
