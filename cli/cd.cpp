// ovtool cd: the CD player's engine from the command line.
//   ovtool cd tracks SOURCE
//     "tracks N", then one line per track: its number and its length as
//     "mm:ss" as the CD player's window shows it ("data" after a data track).
//   ovtool cd play SOURCE [--track N] [--to M] [--out FILE]
//     plays track N (default 1) through track M (default: N alone when
//     --track is given, else the whole disc); data tracks are skipped.
//     --out writes raw 44.1 kHz 16-bit stereo little-endian PCM instead of
//     playing aloud; prints "frames=F" (stereo frames played).
// SOURCE is a drive (/dev/sr0) or an image's .cue, .toc or .nrg file;
// "default" means ORVANTA_CD_DEVICE or the first drive. Errors exit 1.
#include "media/cd_device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace ov;

namespace {

constexpr const char* Usage
    = "usage: ovtool cd tracks SOURCE | cd play SOURCE [--track N] [--to M] [--out FILE]\n";

std::string sourceOf(const char* argument)
{
    return std::strcmp(argument, "default") == 0 ? defaultCdSource() : std::string(argument);
}

bool loaded(CdioDevice& device)
{
    if (device.loadTracks())
        return true;
    std::fprintf(stderr, "ovtool cd: %s\n", device.errorText().c_str());
    return false;
}

int listTracks(const std::string& source)
{
    CdioDevice device(source, AudioOutput::Null);
    if (!loaded(device))
        return 1;
    std::printf("tracks %d\n", device.trackCount());
    for (const CdTrack& track : device.tracks())
        std::printf(
            "%d %02d:%02d%s\n", track.number, track.minutes(), track.seconds(), track.audio ? "" : " data");
    return 0;
}

bool number(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < 1 || parsed > 99)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int play(int argc, char** argv)
{
    std::string source;
    std::string out;
    int first = 0;
    int last = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--track") == 0 && i + 1 < argc) {
            if (!number(argv[++i], first))
                return std::fprintf(stderr, "ovtool cd: bad track number '%s'\n", argv[i]), 2;
        } else if (std::strcmp(argv[i], "--to") == 0 && i + 1 < argc) {
            if (!number(argv[++i], last))
                return std::fprintf(stderr, "ovtool cd: bad track number '%s'\n", argv[i]), 2;
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (source.empty()) {
            source = sourceOf(argv[i]);
        } else {
            return std::fputs(Usage, stderr), 2;
        }
    }
    if (source.empty())
        return std::fputs(Usage, stderr), 2;
    CdioDevice device(source);
    if (!out.empty())
        device.setPcmFile(out);
    if (!loaded(device))
        return 1;
    const int count = device.trackCount();
    if (last == 0)
        last = first == 0 ? count : first;
    if (first == 0)
        first = 1;
    if (first > count || last > count || last < first) {
        std::fprintf(stderr, "ovtool cd: the disc has tracks 1 to %d\n", count);
        return 1;
    }
    const CdPosition from { first, 0, 0, 0 };
    const CdPosition to { last + 1, 0, 0, 0 };
    if (!device.play(&from, last < count ? &to : nullptr)) {
        std::fprintf(stderr, "ovtool cd: %s\n", device.errorText().c_str());
        return 1;
    }
    device.waitForEnd();
    std::printf("frames=%llu\n", static_cast<unsigned long long>(device.deliveredFrames()));
    return 0;
}

} // namespace

int ovtoolCd(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "tracks") == 0 && argc == 3)
        return listTracks(sourceOf(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "play") == 0)
        return play(argc, argv);
    std::fputs(Usage, stderr);
    return 2;
}
