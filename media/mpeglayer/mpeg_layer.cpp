// The MPEG audio layer on libmpg123; see mpeg_layer.h.
//
// One stream at a time, as the player that loads it expects. The calls come
// from the player's thread; the decoder thread (Playback) is the only one
// that touches the libmpg123 handle while a stream plays, so the frame
// facts the player asks for are copied out as they are decoded.
#include "media/mpeglayer/mpeg_layer.h"

#include "media/playback.h"

#include <mpg123.h>

#include <atomic>
#include <memory>
#include <string>

#define OV_EXPORT __attribute__((visibility("default")))

namespace ov {
namespace {

class MpegSource final : public PcmSource {
public:
    mpg123_handle* handle = nullptr;
    AudioFormat audio;
    std::atomic<int> bitrate { 0 };
    std::atomic<int> layer { 0 };
    std::atomic<int> mode { 0 };

    AudioFormat format() const override { return audio; }

    std::size_t read(int16_t* out, std::size_t frames) override
    {
        const std::size_t frameBytes = static_cast<std::size_t>(audio.channels) * sizeof(int16_t);
        std::size_t filled = 0;
        int idle = 0;
        while (filled < frames && !m_done) {
            std::size_t bytes = 0;
            auto* target
                = reinterpret_cast<unsigned char*>(out + filled * static_cast<std::size_t>(audio.channels));
            const int result = mpg123_read(handle, target, (frames - filled) * frameBytes, &bytes);
            filled += bytes / frameBytes;
            // The last read may return MPG123_DONE together with data: the
            // data counts.
            if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEW_FORMAT)) {
                m_done = true;
                break;
            }
            // libmpg123 skips damage and resyncs on its own; a stream that
            // stops making progress altogether has ended.
            idle = bytes == 0 ? idle + 1 : 0;
            if (idle > 64)
                m_done = true;
        }
        noteFrame();
        return filled;
    }

    bool seek(uint64_t frame) override
    {
        if (mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET) < 0)
            return false;
        m_done = false;
        return true;
    }

    void noteFrame()
    {
        mpg123_frameinfo info {};
        if (mpg123_info(handle, &info) != MPG123_OK)
            return;
        bitrate = info.bitrate;
        layer = info.layer;
        mode = static_cast<int>(info.mode);
    }

    void rewind() { m_done = false; }

private:
    bool m_done = false;
};

struct StreamCalls {
    MpegOpenProc open = nullptr;
    MpegCloseProc close = nullptr;
    MpegRestartProc restart = nullptr;
    MpegReadProc read = nullptr;
    MpegSeekProc seek = nullptr;
    MpegGetSizeProc getSize = nullptr;
    void* component = nullptr;
    void* stream = nullptr;
    bool opened = false;
};

struct Layer {
    bool ready = false;
    MpegSource source;
    Playback playback;
    std::unique_ptr<AudioSink> sink;
    StreamCalls calls;
    bool fromStream = false;
    bool opened = false;
    bool playing = false;
    bool nonseekable = false;
    uint64_t lengthFrames = 0;
    uint64_t endFrame = 0;
    unsigned char* ended = nullptr;
    int device = MpegWaveMapper;
    std::string outFilename;
    int priority = 0;
    std::atomic<int> error { MpegNoError };
};

Layer layer;

int setError(int code)
{
    layer.error = code;
    return code;
}

// Milliseconds to frames rounded up, so that a position set reads back the same.
uint64_t framesOf(int ms)
{
    return ms <= 0
        ? 0
        : (static_cast<uint64_t>(ms) * static_cast<uint64_t>(layer.source.audio.rate) + 999) / 1000;
}
int msOf(uint64_t frames)
{
    const int rate = layer.source.audio.rate;
    return rate <= 0 ? 0 : static_cast<int>(frames * 1000 / static_cast<uint64_t>(rate));
}

// libmpg123's reader over the stream callbacks.
mpg123_ssize_t streamRead(void* handle, void* buffer, size_t count)
{
    auto* calls = static_cast<StreamCalls*>(handle);
    int read = 0;
    const int ask = count > 1u << 30 ? 1 << 30 : static_cast<int>(count);
    if (!calls->read || !calls->read(calls->component, calls->stream, buffer, ask, &read) || read < 0
        || read > ask)
        return -1;
    return read;
}

off_t streamSeek(void* handle, off_t offset, int whence)
{
    auto* calls = static_cast<StreamCalls*>(handle);
    if (!calls->seek || offset > 0x7FFFFFFF || offset < -0x7FFFFFFF)
        return -1;
    return calls->seek(calls->component, calls->stream, static_cast<int>(offset), whence);
}

void stopPlaying()
{
    layer.playback.stop();
    if (layer.sink && !layer.sink->close())
        setError(MpegOutputError);
    layer.sink.reset();
    layer.playing = false;
}

void closeStream()
{
    stopPlaying();
    if (layer.opened || layer.source.handle)
        mpg123_close(layer.source.handle);
    if (layer.calls.opened && layer.calls.close)
        layer.calls.close(layer.calls.component, layer.calls.stream);
    layer.calls = StreamCalls {};
    layer.opened = false;
    layer.lengthFrames = 0;
}

// Decodes 16-bit samples only, at any rate and channel count libmpg123
// offers: the stream's own rate and channels, as `mpg123 -s` writes them.
void forceSixteenBits(mpg123_handle* handle)
{
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

bool startPlayback(uint64_t startFrame, uint64_t endFrame, unsigned char* ended)
{
    stopPlaying();
    layer.sink = layer.device == MpegPcmFile ? makePcmFileSink(layer.outFilename)
                                             : makeAudioSink(AudioOutput::Default);
    if (!layer.sink->open(layer.source.audio)) {
        layer.sink.reset();
        setError(MpegOutputError);
        return false;
    }
    layer.source.rewind();
    if (startFrame == 0)
        layer.source.seek(0);
    AudioSink* sink = layer.sink.get();
    layer.playback.start(layer.source, *sink, startFrame, endFrame, [sink, ended] {
        // A PCM file is complete before anyone is told that the end came.
        if (!sink->close())
            setError(MpegOutputError);
        if (ended)
            std::atomic_ref<unsigned char>(*ended).store(1);
    });
    layer.playing = true;
    return true;
}

} // namespace
} // namespace ov

using namespace ov;

extern "C" {

OV_EXPORT int init()
{
    if (layer.ready)
        return 1;
    int error = MPG123_OK;
    mpg123_init();
    layer.source.handle = mpg123_new(nullptr, &error);
    if (!layer.source.handle) {
        setError(MpegInternalError);
        return 0;
    }
    // Flags are added, never set: setting them would drop gapless decoding.
    mpg123_param(layer.source.handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    forceSixteenBits(layer.source.handle);
    layer.ready = true;
    setError(MpegNoError);
    return 1;
}

OV_EXPORT void deinit()
{
    if (!layer.ready)
        return;
    closeStream();
    mpg123_delete(layer.source.handle);
    layer.source.handle = nullptr;
    layer.ready = false;
}

OV_EXPORT void Open(const char* name, int fromStream, MpegOpenProc open, MpegCloseProc close,
    MpegRestartProc restart, MpegReadProc read, MpegSeekProc seek, MpegGetSizeProc getSize, void* component)
{
    if (!layer.ready) {
        setError(MpegIncorrectMode);
        return;
    }
    closeStream();
    setError(MpegNoError);
    mpg123_handle* handle = layer.source.handle;
    layer.fromStream = fromStream != 0;
    layer.nonseekable = false;
    int result = MPG123_ERR;
    if (layer.fromStream) {
        layer.calls = StreamCalls { open, close, restart, read, seek, getSize, component, nullptr, false };
        int nonseekable = 0;
        if (!open || !open(component, &nonseekable, &layer.calls.stream)) {
            setError(MpegInputError);
            return;
        }
        layer.calls.opened = true;
        layer.nonseekable = nonseekable != 0;
        mpg123_replace_reader_handle(handle, streamRead, layer.nonseekable ? nullptr : streamSeek, nullptr);
        result = mpg123_open_handle(handle, &layer.calls);
    } else {
        mpg123_replace_reader_handle(handle, nullptr, nullptr, nullptr);
        result = name ? mpg123_open(handle, name) : MPG123_ERR;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (result != MPG123_OK || mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0
        || channels < 1 || channels > 2) {
        mpg123_close(handle);
        if (layer.calls.opened && layer.calls.close)
            layer.calls.close(component, layer.calls.stream);
        layer.calls = StreamCalls {};
        setError(MpegInputError);
        return;
    }
    // The exact length: every frame header read once (gapless-aware).
    if (!layer.nonseekable)
        mpg123_scan(handle);
    const off_t samples = mpg123_length(handle);
    layer.lengthFrames = samples > 0 ? static_cast<uint64_t>(samples) : 0;
    layer.source.audio = AudioFormat { static_cast<int>(rate), channels };
    layer.source.rewind();
    layer.source.noteFrame();
    layer.opened = true;
}

OV_EXPORT int Play(int startMs, int endMs, unsigned char* ended)
{
    if (!layer.opened)
        return setError(MpegIncorrectMode);
    setError(MpegNoError);
    layer.endFrame = endMs <= 0 || endMs >= msOf(layer.lengthFrames) ? 0 : framesOf(endMs);
    layer.ended = ended;
    if (!startPlayback(framesOf(startMs), layer.endFrame, ended))
        return MpegOutputError;
    return 0;
}

OV_EXPORT void Pause(int resume)
{
    if (!layer.playing) {
        setError(MpegIncorrectMode);
        return;
    }
    setError(MpegNoError);
    layer.playback.pause(resume == 0);
}

OV_EXPORT void Restart()
{
    if (!layer.opened) {
        setError(MpegIncorrectMode);
        return;
    }
    setError(MpegNoError);
    if (layer.fromStream && layer.calls.restart
        && !layer.calls.restart(layer.calls.component, layer.calls.stream)) {
        setError(MpegInputError);
        return;
    }
    // The whole stream again, its end reported through the last Play's byte.
    startPlayback(0, layer.endFrame, layer.ended);
}

OV_EXPORT void Stop()
{
    setError(MpegNoError);
    stopPlaying();
}

OV_EXPORT void Close()
{
    setError(MpegNoError);
    closeStream();
}

OV_EXPORT void SetPriority(int priority)
{
    setError(MpegNoError);
    layer.priority = priority;
}

OV_EXPORT void SetOutputDevice(int device, const char* outFilename)
{
    if (device != MpegWaveMapper && device != MpegPcmFile) {
        setError(MpegOutputError);
        return;
    }
    setError(MpegNoError);
    layer.device = device;
    layer.outFilename = outFilename ? outFilename : "";
    if (device == MpegPcmFile && layer.outFilename.empty())
        setError(MpegOutputError);
}

OV_EXPORT void Seek(int positionMs)
{
    if (!layer.opened) {
        setError(MpegIncorrectMode);
        return;
    }
    if (layer.nonseekable) {
        setError(MpegNonSeekable);
        return;
    }
    setError(MpegNoError);
    const uint64_t frame = framesOf(positionMs);
    if (layer.playing && !layer.playback.ended())
        layer.playback.seek(frame);
}

OV_EXPORT int GetFrequency()
{
    return layer.opened ? layer.source.audio.rate : 0;
}
OV_EXPORT int GetBitrate()
{
    return layer.opened ? layer.source.bitrate.load() : 0;
}
OV_EXPORT int GetLayer()
{
    return layer.opened ? layer.source.layer.load() : 0;
}
OV_EXPORT int GetPlayerMode()
{
    return layer.opened ? layer.source.mode.load() : 0;
}
OV_EXPORT int GetChannels()
{
    return layer.opened ? layer.source.audio.channels : 0;
}

OV_EXPORT int GetCurrentPos()
{
    if (!layer.opened) {
        setError(MpegIncorrectMode);
        return 0;
    }
    setError(MpegNoError);
    return msOf(layer.playing ? layer.playback.position() : 0);
}

OV_EXPORT int GetLength()
{
    if (!layer.opened) {
        setError(MpegIncorrectMode);
        return 0;
    }
    setError(MpegNoError);
    return msOf(layer.lengthFrames);
}

OV_EXPORT long long GetPlayedFrames()
{
    return static_cast<long long>(layer.playback.delivered());
}

OV_EXPORT void ResetPlayerMode()
{
    setError(MpegNoError);
}

OV_EXPORT int LastError()
{
    return layer.error;
}
}
