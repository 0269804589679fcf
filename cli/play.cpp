// ovtool play: plays a music file to its end through the same players as
// the main window, and prints what was played:
//   frames=N rate=R channels=C length_ms=L
// --out PCMFILE writes the decoded sound as raw 16-bit little-endian PCM
// (the players' PCM-file device); --sink null|default picks the output
// otherwise. Errors print the player's message and exit 1.
#include "media/mci_player.h"
#include "media/modplug_player.h"
#include "media/mpeg_player.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace ov;

namespace {

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

void summary(long long frames, int rate, int channels, int lengthMs)
{
    std::printf("frames=%lld rate=%d channels=%d length_ms=%d\n", frames, rate, channels, lengthMs);
}

int playMpeg(const std::string& file, const std::string& out)
{
    TMPEGPlayer player;
    try {
        player.PathToDLL = programLayerFolder(MpegLibraryName, "media/mpeglayer");
        player.setTimerFreq(20);
        player.LoadDLL();
        player.setStreamName(file);
        if (!out.empty()) {
            player.setOutFilename(out);
            player.setOutputDevice(TOutputDevice::pcmfile);
        }
        player.Open();
        player.EndPos = player.Length();
        player.Play();
        while (player.timerActive()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(player.timerInterval()));
            player.TimerTick();
        }
        summary(player.playedFrames(), player.frequency(), player.channels(), player.Length());
        player.UnloadDLL();
    } catch (const TMPEGError& error) {
        std::fprintf(stderr, "ovtool play: %s\n", error.what());
        return 1;
    }
    return 0;
}

int playWave(const std::string& file, const std::string& out)
{
    MciPlayer player;
    player.FileName = file;
    if (!out.empty())
        player.setPcmFile(out);
    if (!player.Play()) {
        std::fprintf(stderr, "ovtool play: %s\n", player.errorText().c_str());
        return 1;
    }
    while (!player.finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    summary(player.deliveredFrames(), player.rate(), player.channels(), player.Length());
    return 0;
}

int playModule(const std::string& file, const std::string& out)
{
    TModPlugPlayer player;
    player.PathToDLL = programLayerFolder(ModLibraryName, "media/modlayer");
    player.OutFilename = out;
    player.SongName = file;
    if (!player.Init()) {
        std::fprintf(stderr, "ovtool play: %s\n", player.errorText().c_str());
        return 1;
    }
    if (!player.Load()) {
        const std::string& why = player.errorText();
        // The layer's message names the file when the file was the trouble.
        if (why.find(file) == 0)
            std::fprintf(stderr, "ovtool play: %s\n", why.c_str());
        else
            std::fprintf(stderr, "ovtool play: %s: %s\n", file.c_str(), why.c_str());
        return 1;
    }
    player.Play();
    while (!player.ended())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The module layer renders 16-bit stereo at 44,100 Hz.
    summary(player.playedFrames(), 44100, 2, player.GetMaxPosition() * 100);
    return 0;
}

bool isModule(const std::string& extension)
{
    for (const char* known : { "xm", "mod", "s3m", "stm", "itz", "it", "mpp", "med" }) {
        if (extension == known)
            return true;
    }
    return false;
}

} // namespace

int ovtoolPlay(int argc, char** argv)
{
    std::string out;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--sink") == 0 && i + 1 < argc) {
            const std::string sink = argv[++i];
            if (sink == "null")
                ::setenv("ORVANTA_AUDIO", "null", 1);
            else if (sink == "default")
                ::unsetenv("ORVANTA_AUDIO");
            else {
                std::fprintf(stderr, "ovtool play: unknown sink '%s' (null, default)\n", sink.c_str());
                return 2;
            }
        } else if (file.empty()) {
            file = argv[i];
        } else {
            std::fprintf(stderr, "usage: ovtool play [--out PCMFILE] [--sink null|default] FILE\n");
            return 2;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: ovtool play [--out PCMFILE] [--sink null|default] FILE\n");
        return 2;
    }
    const std::string extension = lowerExtension(file);
    if (extension == "mp1" || extension == "mp2" || extension == "mp3")
        return playMpeg(file, out);
    if (extension == "wav" || extension == "mid" || extension == "rmi")
        return playWave(file, out);
    if (isModule(extension))
        return playModule(file, out);
    std::fprintf(stderr, "ovtool play: %s: not a music file this player knows\n", file.c_str());
    return 1;
}
