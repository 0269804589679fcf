// ovtool volume [wave|midi|cd [LEVEL]]: reads a playback level (0..255) of
// the system mixer, or sets it and prints it read back. Without a channel
// every channel is listed. A channel without a device reads 0.
#include "media/volume_control.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ov;

int ovtoolVolume(int argc, char** argv)
{
    const char* names[] = { "cd", "wave", "midi" };
    auto mixer = makeSystemMixer();
    TVolumeControl control(*mixer);
    if (argc < 2) {
        for (int i = 0; i < 3; ++i)
            std::printf("%s=%d\n", names[i], control.volume(i));
        return 0;
    }
    int index = -1;
    for (int i = 0; i < 3; ++i) {
        if (argv[1] == std::string(names[i]))
            index = i;
    }
    if (index < 0 || argc > 3) {
        std::fprintf(stderr, "usage: ovtool volume [wave|midi|cd [LEVEL]]\n");
        return 2;
    }
    if (argc == 3) {
        char* end = nullptr;
        const long level = std::strtol(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || level < 0 || level > 255) {
            std::fprintf(stderr, "ovtool volume: level must be 0..255\n");
            return 2;
        }
        if (control.device(index) < 0) {
            std::fprintf(stderr, "ovtool volume: no %s volume control\n", names[index]);
            return 1;
        }
        control.setVolume(index, static_cast<int>(level));
    }
    std::printf("%s=%d\n", names[index], control.volume(index));
    return 0;
}
