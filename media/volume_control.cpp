// TVolumeControl; see volume_control.h.
#include "media/volume_control.h"

#include <algorithm>

namespace ov {

namespace {
MixerClass classOf(int index)
{
    return static_cast<MixerClass>(index);
}
bool valid(int index)
{
    return index >= 0 && index <= 2;
}
} // namespace

TVolumeControl::TVolumeControl(Mixer& mixer)
    : m_mixer(mixer)
{
    // Order of the classes: CD (auxiliary), wave, MIDI.
    for (int i = 0; i < 3; ++i) {
        if (m_mixer.has(classOf(i)))
            m_devices[i] = 0;
    }
    m_timer = m_devices[0] >= 0 || m_devices[1] >= 0 || m_devices[2] >= 0;
}

int TVolumeControl::device(int index) const
{
    return valid(index) ? m_devices[index] : -1;
}

int TVolumeControl::volume(int index) const
{
    if (device(index) < 0)
        return 0;
    uint32_t packed = 0;
    if (!m_mixer.volume(classOf(index), packed))
        return 0;
    return static_cast<int>(((packed & 0xFFFF) + (packed >> 16)) >> 9);
}

void TVolumeControl::setVolume(int index, int level)
{
    if (device(index) < 0)
        return;
    const uint32_t channel = static_cast<uint32_t>(std::clamp(level, 0, 255)) * 256;
    m_mixer.setVolume(classOf(index), channel | (channel << 16));
}

void TVolumeControl::attach(int index, VolumeTrackBar* bar)
{
    if (!valid(index))
        return;
    m_bars[index] = bar;
    Refresh();
}

void TVolumeControl::detach(VolumeTrackBar* bar)
{
    for (VolumeTrackBar*& attached : m_bars) {
        if (attached == bar)
            attached = nullptr;
    }
}

void TVolumeControl::Refresh()
{
    m_refreshing = true;
    for (int i = 0; i < 3; ++i) {
        VolumeTrackBar* bar = m_bars[i];
        if (!bar)
            continue;
        bar->setRange(0, 255);
        const int level = volume(i);
        bar->setPosition(bar->vertical() ? 255 - level : level);
        bar->OnChange = [this, i, bar] {
            // A position set by the refresh itself is no user's change.
            if (m_refreshing)
                return;
            setVolume(i, bar->vertical() ? 255 - bar->position() : bar->position());
        };
    }
    m_refreshing = false;
}

} // namespace ov
