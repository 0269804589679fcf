// CdioDevice on real BIN/CUE and TOC images written at run time by
// tests/data/cd/make_cd_image.py (three audio tracks of 300, 263 and 150
// sectors, and a mixed-mode disc with a data track first): the track
// table from sector counts, playback into a PCM file equal to the BIN's
// own byte slices (data track skipped), the CD level, the position heard
// rather than read ahead, the image's tray, and the sector arithmetic the
// devices share.
#include "media/cd_device.h"
#include "platform/mixer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace ov {
namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes disc.cue/.bin and mixed.cue/.bin into a fresh folder once.
class CdImages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new test::TempFolder();
        // A TOC is opened through a copy in the run's cache: keep it here.
        ::setenv("XDG_CACHE_HOME", ((*folder) / "cache").c_str(), 1);
        const std::string script = std::string(OV_SOURCE_DIR) + "/tests/data/cd/make_cd_image.py";
        const std::string quiet = " >/dev/null 2>&1";
        made = std::system(("python3 " + script + " " + folder->path() + quiet).c_str()) == 0
            && std::system(
                   ("python3 " + script + " " + folder->path() + " --name mixed --mixed" + quiet).c_str())
                == 0;
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    void SetUp() override
    {
        if (!made)
            GTEST_SKIP() << "python3 could not write the CD images";
    }
    // The CUE sheet of a disc, or a file of the folder by its full name.
    static std::string image(const char* name)
    {
        const std::string file(name);
        return (*folder) / (file.find('.') == std::string::npos ? file + ".cue" : file);
    }
    // The BIN under a name ("disc", "disc.toc" -> disc.bin).
    static std::string bin(const char* name)
    {
        const std::string file(name);
        return readAll((*folder) / (file.substr(0, file.find('.')) + ".bin"));
    }
    static std::string slice(const std::string& bytes, uint32_t first, uint32_t end)
    {
        return bytes.substr(static_cast<std::size_t>(first) * CdSectorBytes,
            static_cast<std::size_t>(end - first) * CdSectorBytes);
    }

    static inline test::TempFolder* folder = nullptr;
    static inline bool made = false;
};

TEST_F(CdImages, TrackTableComesFromSectorCounts)
{
    struct Row {
        const char* image;
        std::vector<uint32_t> starts;
        std::vector<uint32_t> sectors;
        std::vector<bool> audio;
        std::vector<std::string> lengths;
    };
    const Row rows[] = {
        { "disc", { 0, 300, 563 }, { 300, 263, 150 }, { true, true, true }, { "0:04", "0:03", "0:02" } },
        { "disc.toc", { 0, 300, 563 }, { 300, 263, 150 }, { true, true, true }, { "0:04", "0:03", "0:02" } },
        { "mixed", { 0, 300, 600, 863 }, { 300, 300, 263, 150 }, { false, true, true, true },
            { "0:04", "0:04", "0:03", "0:02" } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        CdioDevice device(image(row.image), AudioOutput::Null);
        EXPECT_EQ(device.mode(), CdMode::Stopped);
        ASSERT_TRUE(device.loadTracks()) << device.errorText();
        ASSERT_EQ(device.trackCount(), static_cast<int>(row.starts.size()));
        for (std::size_t i = 0; i < row.starts.size(); ++i) {
            const CdTrack& track = device.tracks()[i];
            EXPECT_EQ(track.number, static_cast<int>(i) + 1);
            EXPECT_EQ(track.start, row.starts[i]);
            EXPECT_EQ(track.sectors, row.sectors[i]);
            EXPECT_EQ(track.audio, row.audio[i]);
            EXPECT_EQ(std::to_string(track.minutes()) + ":" + (track.seconds() < 10 ? "0" : "")
                    + std::to_string(track.seconds()),
                row.lengths[i]);
        }
    }
}

TEST_F(CdImages, PlayedSoundEqualsTheImagesBytes)
{
    struct Row {
        const char* name;
        const char* image;
        CdPosition from;
        int to; // 0: to the end of the disc
        uint32_t first;
        uint32_t end;
        CdPosition toWithin = {}; // used when `to` is -1
    };
    const Row rows[] = {
        { "track 2 alone", "disc", { 2, 0, 0, 0 }, 3, 300, 563 },
        { "tracks 2 and 3", "disc", { 2, 0, 0, 0 }, 0, 300, 713 },
        { "the whole disc", "disc", { 1, 0, 0, 0 }, 0, 0, 713 },
        { "last track", "disc", { 3, 0, 0, 0 }, 0, 563, 713 },
        { "to a track past the last", "disc", { 3, 0, 0, 0 }, 4, 563, 713 },
        { "inside tracks", "disc", { 1, 0, 3, 10 }, -1, 235, 450, { 2, 0, 2, 0 } },
        { "cdrdao TOC: tracks 2 and 3", "disc.toc", { 2, 0, 0, 0 }, 0, 300, 713 },
        { "mixed: data track skipped", "mixed", { 1, 0, 0, 0 }, 0, 300, 1013 },
        { "mixed: track 3 alone", "mixed", { 3, 0, 0, 0 }, 4, 600, 863 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string out = (*folder) / "out.pcm";
        {
            CdioDevice device(image(row.image), AudioOutput::Null);
            device.setPcmFile(out);
            ASSERT_TRUE(device.loadTracks());
            const CdPosition to = row.to < 0 ? row.toWithin : CdPosition { row.to, 0, 0, 0 };
            ASSERT_TRUE(device.play(&row.from, row.to ? &to : nullptr)) << device.errorText();
            device.waitForEnd();
            EXPECT_EQ(device.mode(), CdMode::Stopped);
            EXPECT_EQ(device.deliveredFrames(), uint64_t(row.end - row.first) * CdSamplesPerSector);
        }
        const std::string played = readAll(out);
        const std::string expected = slice(bin(row.image), row.first, row.end);
        ASSERT_EQ(played.size(), expected.size());
        EXPECT_TRUE(played == expected);
    }
}

// The paranoia path forced on an image: whole sectors in order, the data
// track skipped. Paranoia settles the byte order from the sound itself, and
// on these noise patterns it may take them for big-endian: either order of
// the BIN's bytes is the right content.
TEST_F(CdImages, ParanoiaPathReadsEverySectorInOrder)
{
    struct Row {
        const char* image;
        int from;
        uint32_t first;
        uint32_t end;
    };
    const Row rows[] = { { "disc", 2, 300, 713 }, { "mixed", 1, 300, 1013 } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        const std::string out = (*folder) / "paranoia.pcm";
        {
            CdioDevice device(image(row.image), AudioOutput::Null);
            device.setPcmFile(out);
            device.setExtraction(CdExtraction::Paranoia);
            ASSERT_TRUE(device.loadTracks());
            const CdPosition from { row.from, 0, 0, 0 };
            ASSERT_TRUE(device.play(&from)) << device.errorText();
            device.waitForEnd();
        }
        const std::string played = readAll(out);
        const std::string expected = slice(bin(row.image), row.first, row.end);
        std::string swapped = expected;
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        ASSERT_EQ(played.size(), expected.size());
        EXPECT_TRUE(played == expected || played == swapped);
    }
}

TEST_F(CdImages, NothingToPlayOnADataTrackAlone)
{
    CdioDevice device(image("mixed"), AudioOutput::Null);
    ASSERT_TRUE(device.loadTracks());
    const CdPosition from { 1, 0, 0, 0 };
    const CdPosition to { 2, 0, 0, 0 };
    EXPECT_FALSE(device.play(&from, &to));
    EXPECT_EQ(device.mode(), CdMode::Stopped);
}

TEST_F(CdImages, TheCdLevelScalesTheSound)
{
    auto mixer = makeSystemMixer();
    // Left at a half, right at a quarter: the stream's gain is their mean.
    ASSERT_TRUE(mixer->setVolume(MixerClass::Cd, 0x8000u | (0x4000u << 16)));
    const double gain = programGain(MixerClass::Cd);
    const std::string out = (*folder) / "quiet.pcm";
    {
        CdioDevice device(image("disc"), AudioOutput::Null);
        device.setPcmFile(out);
        ASSERT_TRUE(device.loadTracks());
        const CdPosition from { 3, 0, 0, 0 };
        ASSERT_TRUE(device.play(&from));
        device.waitForEnd();
    }
    mixer->setVolume(MixerClass::Cd, 0xFFFFFFFFu);
    const std::string played = readAll(out);
    const std::string loud = slice(bin("disc"), 563, 713);
    ASSERT_EQ(played.size(), loud.size());
    int wrong = 0;
    for (std::size_t i = 0; i + 1 < loud.size(); i += 2) {
        int16_t in, got;
        std::memcpy(&in, loud.data() + i, 2);
        std::memcpy(&got, played.data() + i, 2);
        wrong += got != static_cast<int16_t>(std::lround(in * gain));
    }
    EXPECT_EQ(wrong, 0);
}

// A sink that takes up to `room` frames ahead of what the test lets be
// heard, and reports the rest as queued; clear() drops what is queued.
class GateSink final : public AudioSink {
public:
    explicit GateSink(std::size_t room)
        : m_room(room)
    {
    }
    bool open(const AudioFormat&) override { return true; }
    bool write(const int16_t*, std::size_t frames) override
    {
        std::unique_lock<std::mutex> hold(m_lock);
        m_wake.wait(hold, [&] { return m_written + frames <= m_heard + m_room; });
        m_written += frames;
        return true;
    }
    std::size_t queuedFrames() const override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_written - m_heard;
    }
    void clear() override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_heard = m_written;
        m_wake.notify_all();
    }
    bool close() override { return true; }
    // Lets `frames` more be heard, as fast as the reader writes them.
    void hear(std::size_t frames)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::unique_lock<std::mutex> hold(m_lock);
        const std::size_t target = m_heard + frames;
        while (m_heard < target && std::chrono::steady_clock::now() < limit) {
            m_heard = std::min(m_written, target);
            m_wake.notify_all();
            hold.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            hold.lock();
        }
    }
    std::size_t written() const
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_written;
    }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::size_t m_room;
    std::size_t m_written = 0;
    std::size_t m_heard = 0;
};

TEST_F(CdImages, PositionIsWhatTheOutputHasPlayed)
{
    CdioDevice device(image("disc"), AudioOutput::Null);
    auto owned = std::make_unique<GateSink>(std::size_t(3) * CdFramesPerSecond * CdSamplesPerSector);
    GateSink& sink = *owned;
    device.setSink(std::move(owned));
    ASSERT_TRUE(device.loadTracks());
    const CdPosition from { 2, 0, 0, 0 };
    ASSERT_TRUE(device.play(&from));
    // The reader runs three seconds ahead; nothing has been heard yet.
    for (int i = 0; i < 500 && sink.written() < std::size_t(2) * CdFramesPerSecond * CdSamplesPerSector; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 0, 0 }));
    // One second and ten frames heard.
    sink.hear((CdFramesPerSecond + 10) * CdSamplesPerSector);
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 1, 10 }));
    EXPECT_EQ(device.mode(), CdMode::Playing);
    device.stop();
    EXPECT_EQ(device.mode(), CdMode::Stopped);
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 1, 10 }));
}

TEST_F(CdImages, CommandsMoveTheDeviceAndReportModes)
{
    CdioDevice device(image("disc"), AudioOutput::Null);
    auto owned = std::make_unique<GateSink>(std::size_t(CdSamplesPerSector) * 20);
    GateSink& sink = *owned;
    device.setSink(std::move(owned));
    std::vector<CdMode> modes;
    device.OnModeChange = [&](CdMode mode) { modes.push_back(mode); };
    ASSERT_TRUE(device.loadTracks());

    // Stopped: next and previous move the position only.
    device.next();
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 0, 0 }));
    device.next();
    device.next();
    EXPECT_EQ(device.position(), (CdPosition { 3, 0, 0, 0 }));
    device.previous();
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 0, 0 }));
    EXPECT_EQ(device.mode(), CdMode::Stopped);

    ASSERT_TRUE(device.play());
    sink.hear(CdSamplesPerSector * 80); // one second and five frames into track 2
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 1, 5 }));
    device.pause();
    EXPECT_EQ(device.mode(), CdMode::Paused);
    device.resume();
    EXPECT_EQ(device.mode(), CdMode::Playing);
    // Past the first second, previous goes back to the track's start and
    // keeps playing.
    device.previous();
    EXPECT_EQ(device.position(), (CdPosition { 2, 0, 0, 0 }));
    EXPECT_EQ(device.mode(), CdMode::Playing);
    device.previous();
    EXPECT_EQ(device.position(), (CdPosition { 1, 0, 0, 0 }));
    device.stop();
    const std::vector<CdMode> expected { CdMode::Playing, CdMode::Paused, CdMode::Playing, CdMode::Playing,
        CdMode::Playing, CdMode::Stopped };
    EXPECT_EQ(modes, expected);
}

TEST_F(CdImages, EjectOpensTheImagesTrayUntilPressedAgain)
{
    CdioDevice device(image("disc"), AudioOutput::Null);
    ASSERT_TRUE(device.loadTracks());
    ASSERT_TRUE(device.play());
    device.eject();
    EXPECT_EQ(device.mode(), CdMode::Open);
    EXPECT_EQ(device.trackCount(), 0);
    EXPECT_FALSE(device.loadTracks());
    EXPECT_FALSE(device.play());
    device.eject();
    EXPECT_EQ(device.mode(), CdMode::Stopped);
    EXPECT_TRUE(device.loadTracks());
    EXPECT_EQ(device.trackCount(), 3);
}

TEST(CdDevice, MissingSourcesAreNotReady)
{
    for (const char* source : { "/nonexistent/disc.cue", "/nonexistent/disc.toc", "/nonexistent/disc.nrg" }) {
        SCOPED_TRACE(source);
        CdioDevice device(source, AudioOutput::Null);
        EXPECT_EQ(device.mode(), CdMode::NotReady);
        EXPECT_FALSE(device.loadTracks());
        EXPECT_FALSE(device.play());
        EXPECT_FALSE(device.errorText().empty());
    }
}

TEST(CdDevice, SectorsAndPositions)
{
    FakeCdDevice fake;
    fake.setDiscSeconds({ 240, 210, 120 });
    fake.loadTracks();
    const std::vector<CdTrack>& tracks = fake.tracks();
    struct Row {
        CdPosition position;
        uint32_t sector;
    };
    const Row rows[] = {
        { { 1, 0, 0, 0 }, 0 },
        { { 1, 3, 59, 74 }, 240 * 75 - 1 },
        { { 2, 0, 0, 0 }, 240 * 75 },
        { { 3, 1, 5, 3 }, 450 * 75 + 65 * 75 + 3 },
        { { 3, 1, 59, 74 }, 570 * 75 - 1 },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(cdSectorOf(tracks, row.position), row.sector);
        EXPECT_EQ(cdPositionOf(tracks, row.sector), row.position);
    }
    // Beyond its track, a position stays at the track's last sector.
    EXPECT_EQ(cdSectorOf(tracks, { 1, 9, 0, 0 }), 240u * 75 - 1);
    EXPECT_EQ(cdSectorOf(tracks, { 7, 0, 0, 0 }), 0u);
}

} // namespace
} // namespace ov
