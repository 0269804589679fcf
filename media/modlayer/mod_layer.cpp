// The module layer on libmodplug; see mod_layer.h.
#include "media/modlayer/mod_layer.h"

#include "media/playback.h"
#include "platform/host_file.h"
#include "platform/shared_library.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#define OV_EXPORT __attribute__((visibility("default")))

namespace ov {
namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
constexpr int64_t MaxModuleBytes = 64 << 20;
constexpr int PcmFileDevice = 2;

// libmodplug's public settings record (modplug.h, "ModPlug_Settings").
struct ModPlugSettings {
    int mFlags;
    int mChannels;
    int mBits;
    int mFrequency;
    int mResamplingMode;
    int mStereoSeparation;
    int mMaxMixChannels;
    int mReverbDepth;
    int mReverbDelay;
    int mBassAmount;
    int mBassRange;
    int mSurroundDepth;
    int mSurroundDelay;
    int mLoopCount;
};

// The libmodplug calls the layer uses, bound from its own handle.
struct ModPlugLibrary {
    SharedLibrary library;
    void* (*load)(const void* data, int size) = nullptr;
    void (*unload)(void* file) = nullptr;
    int (*read)(void* file, void* buffer, int size) = nullptr;
    int (*getLength)(void* file) = nullptr;
    void (*seek)(void* file, int ms) = nullptr;
    void (*getSettings)(ModPlugSettings* settings) = nullptr;
    void (*setSettings)(const ModPlugSettings* settings) = nullptr;
    std::string error;

    bool open()
    {
        if (load)
            return true;
        // Kept until exit: its loaders leak a little on some damaged files, and
        // a leak report can only name the library while it is mapped.
        if (!library.loadUntilExit("libmodplug.so.1")) {
            error = "Can't load libmodplug: " + library.errorText();
            return false;
        }
        if (!library.function("ModPlug_Load", load) || !library.function("ModPlug_Unload", unload)
            || !library.function("ModPlug_Read", read) || !library.function("ModPlug_GetLength", getLength)
            || !library.function("ModPlug_Seek", seek)
            || !library.function("ModPlug_GetSettings", getSettings)
            || !library.function("ModPlug_SetSettings", setSettings)) {
            load = nullptr;
            error = "libmodplug lacks a call";
            library.unload();
            return false;
        }
        return true;
    }
};

// libmodplug's settings are process-wide; every player sets them before it
// loads a song, under one lock.
std::mutex libraryLock;
ModPlugLibrary modplug;

class ModuleSource final : public PcmSource {
public:
    void* file = nullptr;
    AudioFormat format() const override { return AudioFormat { Rate, Channels }; }
    std::size_t read(int16_t* out, std::size_t frames) override
    {
        const int bytes = modplug.read(file, out, static_cast<int>(frames * Channels * sizeof(int16_t)));
        return bytes <= 0 ? 0 : static_cast<std::size_t>(bytes) / (Channels * sizeof(int16_t));
    }
    bool seek(uint64_t frame) override
    {
        modplug.seek(file, static_cast<int>(frame * 1000 / Rate));
        return true;
    }
};

struct Player {
    bool loop = false;
    ModuleSource source;
    Playback playback;
    std::unique_ptr<AudioSink> sink;
    int device = 0;
    std::string outFilename;
    int lengthMs = 0;
    bool playing = false;
    std::string message;

    ~Player()
    {
        stop();
        unloadSong();
    }

    void stop()
    {
        playback.stop();
        if (sink && !sink->close())
            message = sink->errorText();
        sink.reset();
        playing = false;
    }

    void unloadSong()
    {
        if (source.file)
            modplug.unload(source.file);
        source.file = nullptr;
        lengthMs = 0;
    }

    void load(const void* data, int size)
    {
        stop();
        unloadSong();
        std::lock_guard<std::mutex> hold(libraryLock);
        ModPlugSettings settings {};
        modplug.getSettings(&settings);
        settings.mChannels = Channels;
        settings.mBits = 16;
        settings.mFrequency = Rate;
        settings.mLoopCount = loop ? -1 : 0;
        modplug.setSettings(&settings);
        source.file = modplug.load(data, size);
        if (!source.file) {
            message = "not a module libmodplug plays";
            return;
        }
        lengthMs = modplug.getLength(source.file);
    }

    int maxTenths() const { return lengthMs <= 0 ? 0 : (lengthMs / 100) & 0xFFFF; }
};

Player* playerOf(void* handle)
{
    return static_cast<Player*>(handle);
}

} // namespace
} // namespace ov

using namespace ov;

extern "C" {

OV_EXPORT void* ModPlug_CreateEx(const char* parameters)
{
    {
        std::lock_guard<std::mutex> hold(libraryLock);
        if (!modplug.open())
            return nullptr;
    }
    auto* player = new Player;
    // Only "loop" matters: the rest describes a window that is never drawn.
    const std::string text = parameters ? parameters : "";
    const std::size_t at = text.find("|loop|");
    player->loop = at != std::string::npos && text.compare(at + 6, 4, "true") == 0;
    return player;
}

OV_EXPORT void ModPlug_SetWindow(void*, void*) { }

OV_EXPORT void ModPlug_LoadMemory(void* handle, const void* data, int size)
{
    Player* player = playerOf(handle);
    if (!player)
        return;
    player->message.clear();
    if (!data || size <= 0 || size > MaxModuleBytes) {
        player->stop();
        player->unloadSong();
        player->message = "module too large or empty";
        return;
    }
    player->load(data, size);
}

OV_EXPORT void ModPlug_Load(void* handle, const char* fileName)
{
    Player* player = playerOf(handle);
    if (!player)
        return;
    player->stop();
    player->unloadSong();
    player->message.clear();
    HostFile file;
    if (!fileName || !file.open(fileName)) {
        player->message = std::string(fileName ? fileName : "") + ": " + std::strerror(errno);
        return;
    }
    if (file.size() <= 0 || file.size() > MaxModuleBytes) {
        player->message = "module too large or empty";
        return;
    }
    std::vector<uint8_t> bytes(static_cast<std::size_t>(file.size()));
    if (file.readAt(0, bytes.data(), bytes.size()) != static_cast<std::ptrdiff_t>(bytes.size())) {
        player->message = std::string(fileName) + ": cannot read";
        return;
    }
    player->load(bytes.data(), static_cast<int>(bytes.size()));
}

OV_EXPORT int ModPlug_IsReady(void* handle)
{
    Player* player = playerOf(handle);
    return player && player->source.file ? 1 : 0;
}

OV_EXPORT void ModPlug_SetOutput(void* handle, int device, const char* outFilename)
{
    Player* player = playerOf(handle);
    if (!player)
        return;
    player->device = device == PcmFileDevice && outFilename && *outFilename ? PcmFileDevice : 0;
    player->outFilename = outFilename ? outFilename : "";
}

OV_EXPORT void ModPlug_Play(void* handle)
{
    Player* player = playerOf(handle);
    if (!player || !player->source.file)
        return;
    player->stop();
    player->sink = player->device == PcmFileDevice ? makePcmFileSink(player->outFilename)
                                                   : makeAudioSink(AudioOutput::Default);
    if (!player->sink->open(player->source.format())) {
        player->message = player->sink->errorText();
        player->sink.reset();
        return;
    }
    AudioSink* sink = player->sink.get();
    player->playback.start(player->source, *sink, 0, 0, [sink] { sink->close(); });
    player->playing = true;
}

OV_EXPORT void ModPlug_Stop(void* handle)
{
    if (Player* player = playerOf(handle))
        player->stop();
}

OV_EXPORT void ModPlug_Destroy(void* handle)
{
    delete playerOf(handle);
}

OV_EXPORT int ModPlug_GetMaxPosition(void* handle)
{
    Player* player = playerOf(handle);
    return player ? player->maxTenths() : 0;
}

OV_EXPORT int ModPlug_GetCurrentPosition(void* handle)
{
    Player* player = playerOf(handle);
    if (!player || !player->playing)
        return 0;
    const int max = player->maxTenths();
    if (player->playback.ended())
        return max;
    // Below the maximum until the last sample has been played: libmodplug's
    // length is whole seconds, the song may render a little longer.
    const auto tenths = static_cast<int>(player->playback.position() * 10 / Rate);
    return max > 0 && tenths >= max ? max - 1 : tenths & 0xFFFF;
}

OV_EXPORT long long ModPlug_GetPlayedFrames(void* handle)
{
    Player* player = playerOf(handle);
    return player ? static_cast<long long>(player->playback.delivered()) : 0;
}

OV_EXPORT int ModPlug_HasEnded(void* handle)
{
    Player* player = playerOf(handle);
    return player && player->playing && player->playback.ended() ? 1 : 0;
}

OV_EXPORT const char* ModPlug_LastMessage(void* handle)
{
    Player* player = playerOf(handle);
    if (!player)
        return modplug.error.c_str();
    return player->message.c_str();
}
}
