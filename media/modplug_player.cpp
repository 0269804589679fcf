// TModPlugPlayer; see modplug_player.h.
#include "media/modplug_player.h"

#include "media/modlayer/mod_layer.h"
#include "media/mpeg_player.h"

namespace ov {

struct TModPlugPlayer::Calls {
    decltype(&::ModPlug_CreateEx) createEx = nullptr;
    decltype(&::ModPlug_SetWindow) setWindow = nullptr;
    decltype(&::ModPlug_Load) load = nullptr;
    decltype(&::ModPlug_IsReady) isReady = nullptr;
    decltype(&::ModPlug_Play) play = nullptr;
    decltype(&::ModPlug_Stop) stop = nullptr;
    decltype(&::ModPlug_Destroy) destroy = nullptr;
    decltype(&::ModPlug_GetMaxPosition) getMaxPosition = nullptr;
    decltype(&::ModPlug_GetCurrentPosition) getCurrentPosition = nullptr;
    // Ours beyond the nine.
    decltype(&::ModPlug_SetOutput) setOutput = nullptr;
    decltype(&::ModPlug_GetPlayedFrames) getPlayedFrames = nullptr;
    decltype(&::ModPlug_HasEnded) hasEnded = nullptr;
    decltype(&::ModPlug_LastMessage) lastMessage = nullptr;

    bool bind(const SharedLibrary& library)
    {
        return library.function("ModPlug_CreateEx", createEx)
            && library.function("ModPlug_SetWindow", setWindow) && library.function("ModPlug_Load", load)
            && library.function("ModPlug_IsReady", isReady) && library.function("ModPlug_Play", play)
            && library.function("ModPlug_Stop", stop) && library.function("ModPlug_Destroy", destroy)
            && library.function("ModPlug_GetMaxPosition", getMaxPosition)
            && library.function("ModPlug_GetCurrentPosition", getCurrentPosition)
            && library.function("ModPlug_SetOutput", setOutput)
            && library.function("ModPlug_GetPlayedFrames", getPlayedFrames)
            && library.function("ModPlug_HasEnded", hasEnded)
            && library.function("ModPlug_LastMessage", lastMessage);
    }
};

TModPlugPlayer::TModPlugPlayer() = default;

TModPlugPlayer::~TModPlugPlayer()
{
    Done();
    delete m_calls;
}

std::string TModPlugPlayer::parameterString() const
{
    return std::string("hidden|") + (HideVUmeter ? "true" : "false") + "|width|" + std::to_string(Width)
        + "|height|" + std::to_string(Height) + "|loop|" + (LoopSong ? "true" : "false")
        + (StereoVUmeter ? "|controls|stereo" : "");
}

bool TModPlugPlayer::loadLayer()
{
    if (m_calls)
        return true;
    const std::string path = joinLibraryPath(playerLibraryFolder(PathToDLL), ModLibraryName);
    if (!m_library.load(path)) {
        m_error = "Can't load module library: " + m_library.errorText();
        return false;
    }
    auto* calls = new Calls;
    if (!calls->bind(m_library)) {
        delete calls;
        m_library.unload();
        m_error = "Can't load module library: " + path + " lacks a call";
        return false;
    }
    m_calls = calls;
    return true;
}

bool TModPlugPlayer::Init()
{
    if (m_handle)
        Done();
    if (!loadLayer())
        return false;
    m_handle = m_calls->createEx(parameterString().c_str());
    if (!m_handle) {
        m_error = m_calls->lastMessage(nullptr);
        return false;
    }
    m_calls->setWindow(m_handle, nullptr);
    m_error.clear();
    if (OnInit)
        OnInit(*this);
    return true;
}

void TModPlugPlayer::Done()
{
    if (m_handle)
        m_calls->destroy(m_handle);
    m_handle = nullptr;
    m_playing = false;
}

bool TModPlugPlayer::Load()
{
    if (!m_handle || SongName.empty())
        return false;
    m_calls->load(m_handle, SongName.c_str());
    const bool ready = m_calls->isReady(m_handle) != 0;
    m_error = ready ? std::string() : std::string(m_calls->lastMessage(m_handle));
    return ready;
}

void TModPlugPlayer::Play()
{
    if (!m_handle)
        return;
    m_calls->setOutput(m_handle, OutFilename.empty() ? 0 : 2, OutFilename.c_str());
    m_calls->play(m_handle);
    m_playing = true;
    if (OnLoad)
        OnLoad(*this);
}

void TModPlugPlayer::Stop()
{
    if (!m_handle)
        return;
    m_calls->stop(m_handle);
    m_playing = false;
    if (OnStop)
        OnStop(*this);
}

int TModPlugPlayer::GetMaxPosition() const
{
    return m_handle ? m_calls->getMaxPosition(m_handle) & 0xFFFF : 0;
}
int TModPlugPlayer::GetCurrentPosition() const
{
    return m_handle ? m_calls->getCurrentPosition(m_handle) & 0xFFFF : 0;
}

bool TModPlugPlayer::ended() const
{
    return m_handle && m_calls->hasEnded(m_handle) != 0;
}
long long TModPlugPlayer::playedFrames() const
{
    return m_handle ? m_calls->getPlayedFrames(m_handle) : 0;
}

} // namespace ov
