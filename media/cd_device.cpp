// The CD devices; see cd_device.h. CdioDevice reads through libcdio (its
// BIN/CUE, cdrdao TOC and Nero NRG drivers for images, the operating
// system's driver for drives) and plays on the shared Playback thread.
#include "media/cd_device.h"

#include "media/cd_toc.h"
#include "media/playback.h"
#include "platform/atomic_file.h"
#include "platform/mixer.h"
#include "platform/private_cache.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace ov {

const char* cdModeText(CdMode mode)
{
    switch (mode) {
    case CdMode::NotReady:
        return "Not ready";
    case CdMode::Stopped:
        return "Stopped";
    case CdMode::Playing:
        return "Playing";
    case CdMode::Recording:
        return "Recording";
    case CdMode::Seeking:
        return "Seeking";
    case CdMode::Paused:
        return "Paused";
    case CdMode::Open:
        return "Open";
    }
    return "Not ready";
}

uint32_t cdSectorOf(const std::vector<CdTrack>& tracks, const CdPosition& position)
{
    if (position.track < 1 || position.track > static_cast<int>(tracks.size()))
        return tracks.empty() ? 0 : tracks.front().start;
    const CdTrack& track = tracks[static_cast<std::size_t>(position.track - 1)];
    const int64_t offset
        = (static_cast<int64_t>(position.minute) * 60 + position.second) * CdFramesPerSecond + position.frame;
    const int64_t last = track.sectors > 0 ? track.sectors - 1 : 0;
    return track.start + static_cast<uint32_t>(std::clamp<int64_t>(offset, 0, last));
}

CdPosition cdPositionOf(const std::vector<CdTrack>& tracks, uint32_t sector)
{
    CdPosition position;
    if (tracks.empty())
        return position;
    std::size_t index = 0;
    while (index + 1 < tracks.size() && tracks[index + 1].start <= sector)
        ++index;
    const CdTrack& track = tracks[index];
    uint32_t offset = sector > track.start ? sector - track.start : 0;
    offset = std::min(offset, track.sectors);
    position.track = track.number;
    position.minute = static_cast<int>(offset / CdFramesPerSecond / 60);
    position.second = static_cast<int>(offset / CdFramesPerSecond % 60);
    position.frame = static_cast<int>(offset % CdFramesPerSecond);
    return position;
}

// ---------------------------------------------------------------- fake

void FakeCdDevice::setDisc(std::vector<CdTrack> tracks)
{
    m_disc = std::move(tracks);
    m_tracks.clear();
}

void FakeCdDevice::setDiscSeconds(const std::vector<int>& seconds)
{
    std::vector<CdTrack> disc;
    uint32_t start = 0;
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        CdTrack track;
        track.number = static_cast<int>(i) + 1;
        track.start = start;
        track.sectors = static_cast<uint32_t>(seconds[i]) * CdFramesPerSecond;
        start += track.sectors;
        disc.push_back(track);
    }
    setDisc(std::move(disc));
}

void FakeCdDevice::setMode(CdMode mode)
{
    if (mode == CdMode::Open || mode == CdMode::NotReady)
        m_tracks.clear();
    if (mode == m_mode)
        return;
    m_mode = mode;
    notify(mode);
}

bool FakeCdDevice::loadTracks()
{
    ++Loads;
    if (DuringLoad)
        DuringLoad();
    if (m_mode == CdMode::Open || m_mode == CdMode::NotReady)
        return false;
    m_tracks = m_disc;
    return !m_tracks.empty();
}

namespace {
std::string describe(const char* verb, const CdPosition& position)
{
    char text[64];
    std::snprintf(
        text, sizeof text, "%s %d:%02d:%02d", verb, position.track, position.minute, position.second);
    return text;
}
} // namespace

bool FakeCdDevice::play(const CdPosition* from, const CdPosition* to)
{
    if (from)
        m_position = *from;
    std::string call = describe("play", m_position);
    if (to)
        call += " to " + describe("", *to).substr(1);
    Calls.push_back(call);
    if (m_mode == CdMode::Open || m_mode == CdMode::NotReady || m_tracks.empty())
        return false;
    setMode(CdMode::Playing);
    return true;
}

void FakeCdDevice::pause()
{
    Calls.push_back("pause");
    if (m_mode == CdMode::Playing)
        setMode(CdMode::Paused);
}

void FakeCdDevice::resume()
{
    Calls.push_back("resume");
    if (m_mode == CdMode::Paused)
        setMode(CdMode::Playing);
}

void FakeCdDevice::stop()
{
    Calls.push_back("stop");
    if (m_mode == CdMode::Playing || m_mode == CdMode::Paused || m_mode == CdMode::Seeking)
        setMode(CdMode::Stopped);
}

void FakeCdDevice::seek(const CdPosition& position)
{
    Calls.push_back(describe("seek", position));
    m_position = position;
}

void FakeCdDevice::next()
{
    Calls.push_back("next");
    if (m_position.track < trackCount())
        m_position = CdPosition { m_position.track + 1, 0, 0, 0 };
}

void FakeCdDevice::previous()
{
    Calls.push_back("previous");
    const bool atStart = m_position.minute == 0 && m_position.second == 0;
    if (atStart && m_position.track > 1)
        m_position = CdPosition { m_position.track - 1, 0, 0, 0 };
    else
        m_position = CdPosition { m_position.track, 0, 0, 0 };
}

void FakeCdDevice::eject()
{
    Calls.push_back("eject");
    setMode(m_mode == CdMode::Open ? CdMode::Stopped : CdMode::Open);
}

// ---------------------------------------------------------------- libcdio

namespace {

// libcdio reports its failures (a missing image, a drive without a disc)
// on standard error; here they are expected outcomes, read from results.
void quietCdio(cdio_log_level_t, const char*) { }

void quietLogging()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(quietCdio); });
}

std::string lowerExtension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension;
}

driver_id_t imageDriver(const std::string& source)
{
    const std::string extension = lowerExtension(source);
    if (extension == "cue")
        return DRIVER_BINCUE;
    if (extension == "toc")
        return DRIVER_CDRDAO;
    if (extension == "nrg")
        return DRIVER_NRG;
    return DRIVER_UNKNOWN;
}

// A stretch of audio sectors to play, in disc order.
struct Segment {
    uint32_t start;
    uint32_t count;
};

// The sound of a list of segments as one stream of 44.1 kHz stereo frames:
// frame f of the stream is sample f % 588 of the f / 588-th sector of the
// segments laid end to end. Reads whole sectors, a block at a time.
class CdSource final : public PcmSource {
public:
    CdSource(CdIo_t* cdio, std::vector<Segment> segments, bool paranoia)
        : m_cdio(cdio)
        , m_segments(std::move(segments))
    {
        for (const Segment& segment : m_segments)
            m_total += segment.count;
        if (paranoia) {
            m_drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
            if (m_drive && cdio_cddap_open(m_drive) == 0) {
                m_paranoia = cdio_paranoia_init(m_drive);
                if (m_paranoia)
                    cdio_paranoia_modeset(m_paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
            }
        }
    }
    ~CdSource() override
    {
        if (m_paranoia)
            cdio_paranoia_free(m_paranoia);
        if (m_drive)
            cdio_cddap_close_no_free_cdio(m_drive);
    }
    CdSource(const CdSource&) = delete;
    CdSource& operator=(const CdSource&) = delete;

    // Whether the paranoia path was asked for and could not be set up.
    bool paranoiaFailed(bool wanted) const { return wanted && !m_paranoia; }
    uint64_t totalSectors() const { return m_total; }

    // The disc sector of stream sector n (n within the stream).
    uint32_t discSector(uint64_t streamSector) const
    {
        for (const Segment& segment : m_segments) {
            if (streamSector < segment.count)
                return segment.start + static_cast<uint32_t>(streamSector);
            streamSector -= segment.count;
        }
        if (m_segments.empty())
            return 0;
        const Segment& last = m_segments.back();
        return last.start + last.count - 1;
    }

    AudioFormat format() const override { return AudioFormat { 44100, 2 }; }

    std::size_t read(int16_t* out, std::size_t frames) override
    {
        std::size_t done = 0;
        while (done < frames) {
            if (m_bufferOffset >= m_bufferFrames && !fill())
                break;
            const std::size_t take = std::min(frames - done, m_bufferFrames - m_bufferOffset);
            std::memcpy(out + done * 2, m_buffer.data() + m_bufferOffset * 2, take * 2 * sizeof(int16_t));
            m_bufferOffset += take;
            done += take;
        }
        return done;
    }

    bool seek(uint64_t frame) override
    {
        m_next = frame / CdSamplesPerSector;
        m_bufferFrames = 0;
        m_bufferOffset = 0;
        m_skipFrames = static_cast<std::size_t>(frame % CdSamplesPerSector);
        m_paranoiaAt = UINT32_MAX;
        return true;
    }

private:
    static constexpr uint32_t BlockSectors = 16;

    // Reads the next block of sectors, within one segment, and applies the
    // CD level; false at the end or on a read failure.
    bool fill()
    {
        if (m_next >= m_total)
            return false;
        // The block stays inside the segment holding the next sector.
        uint64_t inSegment = m_next;
        const Segment* segment = nullptr;
        for (const Segment& candidate : m_segments) {
            if (inSegment < candidate.count) {
                segment = &candidate;
                break;
            }
            inSegment -= candidate.count;
        }
        if (!segment)
            return false;
        const uint32_t sector = segment->start + static_cast<uint32_t>(inSegment);
        const uint32_t count
            = std::min<uint32_t>(BlockSectors, segment->count - static_cast<uint32_t>(inSegment));
        m_buffer.resize(static_cast<std::size_t>(count) * CdSamplesPerSector * 2);
        if (!readSectors(sector, count))
            return false;
        m_next += count;
        m_bufferFrames = static_cast<std::size_t>(count) * CdSamplesPerSector;
        m_bufferOffset = std::min(m_skipFrames, m_bufferFrames);
        m_skipFrames = 0;
        applyGain();
        return true;
    }

    bool readSectors(uint32_t sector, uint32_t count)
    {
        if (!m_paranoia)
            return cdio_read_audio_sectors(m_cdio, m_buffer.data(), static_cast<lsn_t>(sector), count)
                == DRIVER_OP_SUCCESS;
        if (m_paranoiaAt != sector)
            cdio_paranoia_seek(m_paranoia, static_cast<int32_t>(sector), SEEK_SET);
        for (uint32_t i = 0; i < count; ++i) {
            const int16_t* samples = cdio_paranoia_read(m_paranoia, nullptr);
            if (!samples)
                return false;
            std::memcpy(m_buffer.data() + static_cast<std::size_t>(i) * CdSamplesPerSector * 2, samples,
                CdSectorBytes);
        }
        m_paranoiaAt = sector + count;
        return true;
    }

    void applyGain()
    {
        const double gain = programGain(MixerClass::Cd);
        if (gain >= 1.0)
            return;
        for (int16_t& sample : m_buffer)
            sample = static_cast<int16_t>(std::lround(sample * std::max(gain, 0.0)));
    }

    CdIo_t* m_cdio;
    std::vector<Segment> m_segments;
    uint64_t m_total = 0;
    uint64_t m_next = 0;
    std::vector<int16_t> m_buffer;
    std::size_t m_bufferFrames = 0;
    std::size_t m_bufferOffset = 0;
    std::size_t m_skipFrames = 0;
    cdrom_drive_t* m_drive = nullptr;
    cdrom_paranoia_t* m_paranoia = nullptr;
    uint32_t m_paranoiaAt = UINT32_MAX;
};

} // namespace

std::string defaultCdSource()
{
    if (const char* chosen = std::getenv("ORVANTA_CD_DEVICE"); chosen && *chosen)
        return chosen;
    quietLogging();
    std::string first;
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        if (devices[0])
            first = devices[0];
        cdio_free_device_list(devices);
    }
    return first;
}

// The libcdio handle and the playback state. Every call comes from the
// owner's thread; only Playback's thread reads sectors (through the
// source), and the handle is never used from the owner's thread while a
// source exists.
class CdioDevice::Impl {
public:
    CdIo_t* cdio = nullptr;
    bool trayOpen = false;
    enum class State { Idle, Playing, Paused } state = State::Idle;
    std::unique_ptr<AudioSink> sink;
    bool sinkOpen = false;
    std::unique_ptr<CdSource> source;
    Playback playback;
    uint32_t stoppedAt = 0; // the position while no source exists
    uint32_t playTo = 0; // the end of the current play (exclusive)

    std::string resolvedToc; // the copy of a TOC with absolute names
    bool tocChecked = false;

    // A TOC whose file names are relative is opened through a copy in the
    // run's cache with those names made absolute (libcdio would look for
    // them in the working folder); any other source is opened as it is.
    std::string openName(const std::string& name)
    {
        if (imageDriver(name) != DRIVER_CDRDAO)
            return name;
        if (!tocChecked) {
            tocChecked = true;
            resolvedToc = resolveToc(name);
        }
        return resolvedToc.empty() ? name : resolvedToc;
    }

    static std::string resolveToc(const std::string& name)
    {
        constexpr std::size_t Largest = 1 << 20;
        std::ifstream in(name, std::ios::binary);
        if (!in)
            return {};
        std::string text;
        text.resize(Largest + 1);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (text.size() > Largest)
            return {};
        std::error_code error;
        const std::string folder = std::filesystem::absolute(name, error).parent_path().string();
        bool changed = false;
        const std::string rewritten = absoluteTocNames(text, folder, &changed);
        if (!changed || error)
            return {};
        const std::string cache = privateCacheFolder();
        if (cache.empty())
            return {};
        // The run's cache goes when the run ends (registered after the
        // cache's own state exists, so it runs before that state is gone).
        static const bool cleanup = [] {
            std::atexit([] { removePrivateCacheFolder(); });
            return true;
        }();
        (void)cleanup;
        static std::atomic<int> serial { 0 };
        const std::string copy = cache + "/cd-" + std::to_string(++serial) + ".toc";
        AtomicFile file;
        if (!file.open(copy) || !file.write(rewritten) || !file.commit())
            return {};
        return copy;
    }

    // Opens the handle when there is none; false when the source cannot be
    // opened or holds no disc.
    bool ensureOpen(const std::string& name, bool image)
    {
        if (cdio)
            return true;
        if (name.empty())
            return false;
        cdio = cdio_open(openName(name).c_str(), image ? imageDriver(name) : DRIVER_DEVICE);
        if (!cdio)
            return false;
        const track_t count = cdio_get_num_tracks(cdio);
        if (count == CDIO_INVALID_TRACK || count == 0) {
            cdio_destroy(cdio);
            cdio = nullptr;
            return false;
        }
        return true;
    }

    ~Impl()
    {
        endPlay();
        if (sink && sinkOpen)
            sink->close();
        if (cdio)
            cdio_destroy(cdio);
        if (!resolvedToc.empty()) {
            std::error_code ignored;
            std::filesystem::remove(resolvedToc, ignored);
        }
    }

    // The disc sector heard last, while a source exists.
    uint32_t heardSector() const
    {
        const uint64_t frames = playback.position();
        uint64_t sector = frames / CdSamplesPerSector;
        if (source->totalSectors() > 0 && sector >= source->totalSectors()) {
            // Played to its end: the position is the end of the range.
            return source->discSector(source->totalSectors() - 1) + 1;
        }
        return source->discSector(sector);
    }

    // Ends the reader and forgets the source, keeping the position heard.
    void endPlay()
    {
        if (!source)
            return;
        stoppedAt = heardSector();
        playback.stop();
        source.reset();
        state = State::Idle;
    }
};

CdioDevice::CdioDevice(std::string source, AudioOutput output)
    : m_impl(std::make_unique<Impl>())
    , m_source(source.empty() ? defaultCdSource() : std::move(source))
    , m_output(output)
{
    quietLogging();
    m_image = imageDriver(m_source) != DRIVER_UNKNOWN;
}

CdioDevice::~CdioDevice() = default;

void CdioDevice::setSink(std::unique_ptr<AudioSink> sink)
{
    m_impl->endPlay();
    if (m_impl->sink && m_impl->sinkOpen)
        m_impl->sink->close();
    m_impl->sink = std::move(sink);
    m_impl->sinkOpen = false;
}

uint64_t CdioDevice::deliveredFrames() const
{
    return m_impl->playback.delivered();
}

void CdioDevice::waitForEnd() const
{
    while (m_impl->source && m_impl->state == Impl::State::Playing && !m_impl->playback.ended())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

CdMode CdioDevice::mode() const
{
    if (m_impl->trayOpen)
        return CdMode::Open;
    if (!m_impl->ensureOpen(m_source, m_image))
        return CdMode::NotReady;
    if (m_impl->source) {
        if (m_impl->state == Impl::State::Paused)
            return CdMode::Paused;
        if (!m_impl->playback.ended() && !m_impl->playback.failed())
            return CdMode::Playing;
    }
    return CdMode::Stopped;
}

bool CdioDevice::loadTracks()
{
    m_tracks.clear();
    if (m_impl->trayOpen)
        return false;
    m_impl->endPlay();
    // A drive is asked again: the disc may have changed.
    if (m_impl->cdio && !m_image) {
        cdio_destroy(m_impl->cdio);
        m_impl->cdio = nullptr;
    }
    if (m_source.empty()) {
        m_error = "No CD drive";
        return false;
    }
    if (!m_impl->ensureOpen(m_source, m_image)) {
        m_error = "No disc in " + m_source;
        return false;
    }
    const track_t first = cdio_get_first_track_num(m_impl->cdio);
    const track_t count = cdio_get_num_tracks(m_impl->cdio);
    if (first == CDIO_INVALID_TRACK) {
        m_error = "No disc in " + m_source;
        return false;
    }
    // Lengths from the distance to the next track's start (the lead-out for
    // the last), never from start times.
    for (int i = 0; i < count; ++i) {
        const track_t number = static_cast<track_t>(first + i);
        const lsn_t start = cdio_get_track_lsn(m_impl->cdio, number);
        const lsn_t end = i + 1 < count ? cdio_get_track_lsn(m_impl->cdio, static_cast<track_t>(number + 1))
                                        : cdio_get_track_lsn(m_impl->cdio, CDIO_CDROM_LEADOUT_TRACK);
        if (start == CDIO_INVALID_LSN || end == CDIO_INVALID_LSN || end < start || start < 0)
            break;
        CdTrack track;
        track.number = i + 1;
        track.audio = cdio_get_track_format(m_impl->cdio, number) == TRACK_FORMAT_AUDIO;
        track.start = static_cast<uint32_t>(start);
        track.sectors = static_cast<uint32_t>(end - start);
        m_tracks.push_back(track);
    }
    m_impl->stoppedAt = m_tracks.empty() ? 0 : m_tracks.front().start;
    m_error.clear();
    return !m_tracks.empty();
}

CdPosition CdioDevice::position() const
{
    const uint32_t sector = m_impl->source ? m_impl->heardSector() : m_impl->stoppedAt;
    CdPosition position = cdPositionOf(m_tracks, sector);
    return position;
}

bool CdioDevice::play(const CdPosition* from, const CdPosition* to)
{
    const bool wasPaused = m_impl->source && m_impl->state == Impl::State::Paused;
    if (!from && wasPaused) {
        resume();
        return true;
    }
    if (m_impl->trayOpen)
        return false;
    if (!m_impl->cdio && !loadTracks())
        return false;
    uint32_t start
        = from ? cdSectorOf(m_tracks, *from) : (m_impl->source ? m_impl->heardSector() : m_impl->stoppedAt);
    m_impl->endPlay();
    const uint32_t discEnd = m_tracks.back().start + m_tracks.back().sectors;
    if (start >= discEnd)
        start = m_tracks.front().start;
    // A `to` past the last track means the end of the disc.
    const bool toEnd = !to || to->track > static_cast<int>(m_tracks.size()) || to->track < 1;
    const uint32_t end = toEnd ? discEnd : cdSectorOf(m_tracks, *to);
    std::vector<Segment> segments;
    for (const CdTrack& track : m_tracks) {
        if (!track.audio)
            continue;
        const uint32_t first = std::max(start, track.start);
        const uint32_t last = std::min(end, track.start + track.sectors);
        if (first < last)
            segments.push_back(Segment { first, last - first });
    }
    if (segments.empty()) {
        m_error = "Nothing to play there";
        return false;
    }
    if (!m_impl->sinkOpen) {
        if (!m_impl->sink)
            m_impl->sink = m_pcmFile.empty() ? makeAudioSink(m_output) : makePcmFileSink(m_pcmFile);
        if (!m_impl->sink->open(AudioFormat { 44100, 2 })) {
            m_error = m_impl->sink->errorText();
            m_impl->sink.reset();
            return false;
        }
        m_impl->sinkOpen = true;
    }
    const bool paranoia
        = m_extraction == CdExtraction::Paranoia || (m_extraction == CdExtraction::Automatic && !m_image);
    m_impl->source = std::make_unique<CdSource>(m_impl->cdio, std::move(segments), paranoia);
    if (m_impl->source->paranoiaFailed(paranoia)) {
        m_impl->source.reset();
        m_error = "Cannot read audio from " + m_source;
        return false;
    }
    m_impl->playTo = end;
    m_impl->state = Impl::State::Playing;
    m_impl->playback.start(*m_impl->source, *m_impl->sink, 0, 0, [this] { notify(CdMode::Stopped); });
    notify(CdMode::Playing);
    return true;
}

void CdioDevice::pause()
{
    if (!m_impl->source || m_impl->state != Impl::State::Playing || m_impl->playback.ended())
        return;
    m_impl->playback.pause(true);
    m_impl->state = Impl::State::Paused;
    notify(CdMode::Paused);
}

void CdioDevice::resume()
{
    if (!m_impl->source || m_impl->state != Impl::State::Paused)
        return;
    m_impl->playback.pause(false);
    m_impl->state = Impl::State::Playing;
    notify(CdMode::Playing);
}

void CdioDevice::stop()
{
    if (!m_impl->source)
        return;
    m_impl->endPlay();
    notify(CdMode::Stopped);
}

void CdioDevice::seek(const CdPosition& position)
{
    if (m_tracks.empty())
        return;
    if (!m_impl->source || m_impl->playback.ended()) {
        m_impl->endPlay();
        m_impl->stoppedAt = cdSectorOf(m_tracks, position);
        return;
    }
    // Playing (or paused) goes on from the new place to the same end.
    const bool paused = m_impl->state == Impl::State::Paused;
    const uint32_t end = m_impl->playTo;
    const CdPosition to = cdPositionOf(m_tracks, end);
    const bool toEnd = end >= m_tracks.back().start + m_tracks.back().sectors;
    if (!play(&position, toEnd ? nullptr : &to)) {
        m_impl->stoppedAt = cdSectorOf(m_tracks, position);
        return;
    }
    if (paused)
        pause();
}

void CdioDevice::next()
{
    const CdPosition now = position();
    if (now.track < trackCount())
        seek(CdPosition { now.track + 1, 0, 0, 0 });
}

void CdioDevice::previous()
{
    const CdPosition now = position();
    const bool nearStart = now.minute == 0 && now.second == 0;
    if (nearStart && now.track > 1)
        seek(CdPosition { now.track - 1, 0, 0, 0 });
    else
        seek(CdPosition { now.track, 0, 0, 0 });
}

void CdioDevice::eject()
{
    m_impl->endPlay();
    m_tracks.clear();
    if (m_impl->trayOpen) {
        // Closing: a drive pulls its tray in; an image is simply back.
        if (!m_image)
            cdio_close_tray(m_source.c_str(), nullptr);
        m_impl->trayOpen = false;
        notify(mode());
        return;
    }
    if (m_impl->cdio && !m_image) {
        // libcdio frees the handle when it ejects.
        if (cdio_eject_media(&m_impl->cdio) != DRIVER_OP_SUCCESS && m_impl->cdio) {
            cdio_destroy(m_impl->cdio);
        }
        m_impl->cdio = nullptr;
    } else if (m_impl->cdio) {
        cdio_destroy(m_impl->cdio);
        m_impl->cdio = nullptr;
    }
    m_impl->trayOpen = true;
    notify(CdMode::Open);
}

} // namespace ov
