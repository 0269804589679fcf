// TMPEGPlayer; see mpeg_player.h.
#include "media/mpeg_player.h"

#include "media/mpeglayer/mpeg_layer.h"

#include "platform/folders.h"
#include "platform/host_file.h"

#include <atomic>
#include <cstdlib>

namespace ov {

struct TMPEGPlayer::Calls {
    decltype(&::init) init = nullptr;
    decltype(&::deinit) deinit = nullptr;
    decltype(&::Open) open = nullptr;
    decltype(&::Pause) pause = nullptr;
    decltype(&::Restart) restart = nullptr;
    decltype(&::Stop) stop = nullptr;
    decltype(&::SetPriority) setPriority = nullptr;
    decltype(&::SetOutputDevice) setOutputDevice = nullptr;
    decltype(&::Play) play = nullptr;
    decltype(&::Close) close = nullptr;
    decltype(&::GetFrequency) getFrequency = nullptr;
    decltype(&::GetBitrate) getBitrate = nullptr;
    decltype(&::GetLayer) getLayer = nullptr;
    decltype(&::GetPlayerMode) getPlayerMode = nullptr;
    decltype(&::GetCurrentPos) getCurrentPos = nullptr;
    decltype(&::GetLength) getLength = nullptr;
    decltype(&::ResetPlayerMode) resetPlayerMode = nullptr;
    decltype(&::Seek) seek = nullptr;
    decltype(&::LastError) lastError = nullptr;
    // Ours beyond the nineteen; optional.
    decltype(&::GetChannels) getChannels = nullptr;
    decltype(&::GetPlayedFrames) getPlayedFrames = nullptr;

    bool bind(const SharedLibrary& library)
    {
        return library.function("init", init) && library.function("deinit", deinit)
            && library.function("Open", open) && library.function("Pause", pause)
            && library.function("Restart", restart) && library.function("Stop", stop)
            && library.function("SetPriority", setPriority)
            && library.function("SetOutputDevice", setOutputDevice) && library.function("Play", play)
            && library.function("Close", close) && library.function("GetFrequency", getFrequency)
            && library.function("GetBitrate", getBitrate) && library.function("GetLayer", getLayer)
            && library.function("GetPlayerMode", getPlayerMode)
            && library.function("GetCurrentPos", getCurrentPos) && library.function("GetLength", getLength)
            && library.function("ResetPlayerMode", resetPlayerMode) && library.function("Seek", seek)
            && library.function("LastError", lastError);
    }
};

namespace {

constexpr int CodeCannotLoad = 255;
constexpr int CodeNoStream = 254;

struct PriorityValue {
    TPlayPriority priority;
    int value;
};
constexpr PriorityValue Priorities[] = {
    { TPlayPriority::Idle, -15 },
    { TPlayPriority::Lowest, -2 },
    { TPlayPriority::BelowNormal, -1 },
    { TPlayPriority::Normal, 0 },
    { TPlayPriority::AboveNormal, 1 },
    { TPlayPriority::Highest, 2 },
    { TPlayPriority::TimeCritical, 15 },
};

TMPEGPlayer& playerOf(void* component)
{
    return *static_cast<TMPEGPlayer*>(component);
}

// The stream callbacks handed to the layer: each forwards to its event.
int openStream(void* component, int* nonseekable, void** stream)
{
    TMPEGPlayer& player = playerOf(component);
    if (!player.OnOpenStream)
        return 0;
    bool flag = false;
    void* context = nullptr;
    player.OnOpenStream(player, flag, context);
    *nonseekable = flag ? 1 : 0;
    *stream = context;
    return context != nullptr;
}

void closeStream(void* component, void* stream)
{
    TMPEGPlayer& player = playerOf(component);
    if (player.OnCloseStream)
        player.OnCloseStream(player, stream);
}

int restartStream(void* component, void* stream)
{
    TMPEGPlayer& player = playerOf(component);
    bool result = false;
    if (player.OnRestartStream)
        player.OnRestartStream(player, stream, result);
    return result;
}

int readStream(void* component, void* stream, void* buffer, int count, int* read)
{
    TMPEGPlayer& player = playerOf(component);
    *read = 0;
    if (!player.OnReadStream)
        return 0;
    bool result = false;
    player.OnReadStream(player, stream, buffer, count, *read, result);
    return result;
}

int seekStream(void* component, void* stream, int offset, int whence)
{
    TMPEGPlayer& player = playerOf(component);
    int result = -1;
    if (player.OnSeekStream)
        player.OnSeekStream(player, stream, offset, whence, result);
    return result;
}

int streamSize(void* component, void* stream)
{
    TMPEGPlayer& player = playerOf(component);
    int result = -1;
    if (player.OnGetStreamSize)
        player.OnGetStreamSize(player, stream, result);
    return result;
}

} // namespace

std::string joinLibraryPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string playerLibraryFolder(const std::string& folder)
{
    const char* override = std::getenv("ORVANTA_PLAYER_LIBS");
    return override && *override ? std::string(override) : folder;
}

std::string programLayerFolder(const std::string& libraryName, const std::string& buildFolder)
{
    const std::string folder = executableFolder();
    for (const std::string& candidate :
        { folder, folder + "/../lib", folder + "/" + buildFolder, folder + "/../" + buildFolder }) {
        if (isRegularHostFile(joinLibraryPath(candidate, libraryName)))
            return candidate;
    }
    return folder;
}

std::string TMPEGPlayer::errorText(int code)
{
    static const char* const texts[] = { "MPEG library not loaded", "Internal decoder error",
        "Incorrect mode", "Input stream error", "Input stream is non-seekable", "Output device failure" };
    if (code >= 0 && code <= 5)
        return texts[code];
    return "Unknown MPEG error";
}

TMPEGPlayer::TMPEGPlayer() = default;

TMPEGPlayer::~TMPEGPlayer()
{
    if (loaded())
        UnloadDLL();
}

void TMPEGPlayer::raise(int code) const
{
    throw TMPEGError(errorText(code), code);
}

void TMPEGPlayer::requireLoaded() const
{
    if (!loaded())
        raise(0);
}

void TMPEGPlayer::check() const
{
    const int code = m_calls->lastError();
    if (code > 0)
        raise(code);
}

void TMPEGPlayer::LoadDLL()
{
    if (loaded())
        UnloadDLL();
    const std::string path = joinLibraryPath(playerLibraryFolder(PathToDLL), MpegLibraryName);
    if (!m_library.load(path))
        throw TMPEGError("Can't load MPEG library", CodeCannotLoad);
    auto* calls = new Calls;
    if (!calls->bind(m_library)) {
        delete calls;
        m_library.unload();
        raise(0);
    }
    m_library.function("GetChannels", calls->getChannels);
    m_library.function("GetPlayedFrames", calls->getPlayedFrames);
    if (!calls->init()) {
        const int code = calls->lastError();
        delete calls;
        m_library.unload();
        raise(code);
    }
    m_calls = calls;
    m_timerEnabled = false;
    m_timerInterval = m_useTimer ? m_timerFreq : 0;
    m_length = 0;
}

void TMPEGPlayer::UnloadDLL()
{
    if (!loaded())
        return;
    if (m_opened) {
        try {
            Close();
        } catch (const TMPEGError&) {
            // The library goes anyway.
        }
    }
    m_calls->deinit();
    delete m_calls;
    m_calls = nullptr;
    m_library.unload();
    m_timerEnabled = false;
}

void TMPEGPlayer::Open()
{
    requireLoaded();
    if (m_opened)
        Close();
    m_opened = false;
    if (FromStream) {
        m_calls->open(
            nullptr, 1, openStream, closeStream, restartStream, readStream, seekStream, streamSize, this);
    } else {
        if (m_streamName.empty())
            throw TMPEGError("Can't play non-specified stream", CodeNoStream);
        m_calls->open(m_streamName.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    check();
    m_opened = true;
    m_playedXTimes = 1;
    m_length = GetLength();
    if (AutoPlay)
        Play();
}

void TMPEGPlayer::startTimer()
{
    if (!m_useTimer || m_timerInterval == 0)
        return;
    m_timerEnabled = true;
    TimerTick();
}

void TMPEGPlayer::Play()
{
    requireLoaded();
    if (m_paused) {
        Pause(false);
        return;
    }
    if (m_playing)
        return;
    if (!m_opened)
        Open();
    if (m_playedXTimes >= 2) {
        Restart();
        return;
    }
    m_calls->setPriority(m_priority);
    check();
    m_calls->setOutputDevice(m_deviceCode, m_outFilename.c_str());
    check();
    m_ended = 0;
    if (m_calls->play(StartPos, EndPos, &m_ended) != 0)
        raise(m_calls->lastError());
    check();
    m_playing = true;
    ++m_playedXTimes;
    startTimer();
}

void TMPEGPlayer::Pause(bool value)
{
    requireLoaded();
    if (!m_playing || ended()) {
        m_paused = false;
        if (value)
            raise(2);
        return;
    }
    m_calls->pause(value ? 0 : 1);
    check();
    m_paused = value;
}

void TMPEGPlayer::Restart()
{
    requireLoaded();
    if (!m_opened)
        raise(2);
    std::atomic_ref<unsigned char>(m_ended).store(0);
    m_calls->restart();
    check();
    m_playing = true;
    ++m_playedXTimes;
    startTimer();
}

void TMPEGPlayer::Close()
{
    requireLoaded();
    m_opened = false;
    m_paused = false;
    m_playing = false;
    m_playedXTimes = 0;
    m_calls->close();
    check();
}

int TMPEGPlayer::GetCurrentPos()
{
    requireLoaded();
    const int position = m_calls->getCurrentPos();
    check();
    return position;
}

int TMPEGPlayer::GetLength()
{
    requireLoaded();
    const int length = m_calls->getLength();
    check();
    return length;
}

void TMPEGPlayer::Seek(int position)
{
    requireLoaded();
    m_calls->seek(position);
    check();
}

int TMPEGPlayer::LastError() const
{
    return m_calls ? m_calls->lastError() : 0;
}

bool TMPEGPlayer::ended() const
{
    return std::atomic_ref<unsigned char>(const_cast<unsigned char&>(m_ended)).load() != 0;
}

int TMPEGPlayer::frequency() const
{
    return m_calls ? m_calls->getFrequency() : 0;
}
int TMPEGPlayer::channels() const
{
    return m_calls && m_calls->getChannels ? m_calls->getChannels() : 0;
}
long long TMPEGPlayer::playedFrames() const
{
    return m_calls && m_calls->getPlayedFrames ? m_calls->getPlayedFrames() : 0;
}

TPlayPriority TMPEGPlayer::PlayerPriority() const
{
    for (const PriorityValue& entry : Priorities) {
        if (entry.value == m_priority)
            return entry.priority;
    }
    return TPlayPriority::Normal;
}

void TMPEGPlayer::setPlayerPriority(TPlayPriority priority)
{
    for (const PriorityValue& entry : Priorities) {
        if (entry.priority == priority)
            m_priority = entry.value;
    }
    if (loaded())
        m_calls->setPriority(m_priority);
}

void TMPEGPlayer::setTimerFreq(int milliseconds)
{
    m_timerFreq = milliseconds;
    if (milliseconds == 0)
        m_useTimer = false;
    m_timerInterval = m_useTimer ? m_timerFreq : 0;
}

void TMPEGPlayer::setStreamName(const std::string& name)
{
    if (m_opened)
        Close();
    m_streamName = name;
}

void TMPEGPlayer::setOutputDevice(TOutputDevice device)
{
    m_deviceCode = device == TOutputDevice::pcmfile && !m_outFilename.empty() ? 2 : 0;
}

void TMPEGPlayer::TimerTick()
{
    if (!m_opened || !m_playing) {
        m_timerEnabled = false;
        return;
    }
    // The end is read before the position: once the end has come, the
    // position read after it is the final one.
    const bool finished = ended();
    int position = GetCurrentPos();
    if (m_length < position)
        position = 0;
    if (OnPosUpdate)
        OnPosUpdate(*this, position, m_length);
    if (finished) {
        m_timerEnabled = false;
        m_playing = false;
        if (OnPlayEnd) {
            std::atomic_ref<unsigned char>(m_ended).store(0);
            OnPlayEnd(*this);
        }
    }
}

} // namespace ov
