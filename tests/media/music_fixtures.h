// Music made at test time by independent encoders (lame, twolame) from a
// sine sweep written here, and the reference decodes by mpg123 -s. Each
// fixture is made once per test binary; a missing tool leaves its path
// empty and the tests that need it skip.
#pragma once

#include "tests/support/temp_folder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace ov::test {

inline bool haveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Raw 16-bit little-endian PCM: two tones (one per channel), `seconds` long.
inline std::string sinePcm(int rate, int channels, double seconds)
{
    std::string bytes;
    const int frames = static_cast<int>(rate * seconds);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const auto v = static_cast<int16_t>(9000 * std::sin(i * (c ? 0.031 : 0.05) + 1e-8 * i * i));
            bytes.push_back(static_cast<char>(v & 0xFF));
            bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
    }
    return bytes;
}

// A mono 16-bit 8,000 Hz WAV of the sine above, `seconds` long.
inline std::string waveFile(double seconds)
{
    const std::string data = sinePcm(8000, 1, seconds);
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return s;
    };
    const std::string fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
    const std::string body
        = "WAVEfmt " + le(16, 4) + fmt + "data" + le(static_cast<uint32_t>(data.size()), 4) + data;
    return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}

struct MusicFixtures {
    TempFolder folder;
    std::string cbr, vbr, mono, mp2;

    MusicFixtures()
    {
        const std::string stereo = folder.write("stereo.raw", sinePcm(44100, 2, 2.5));
        const std::string mono22 = folder.write("mono.raw", sinePcm(22050, 1, 1.5));
        const std::string quiet = " >/dev/null 2>&1";
        if (haveTool("lame") && haveTool("mpg123")) {
            const std::string raw = "lame --quiet -r --signed --little-endian --bitwidth 16 ";
            if (std::system((raw + "-s 44.1 -b 128 " + stereo + " " + folder / "cbr.mp3" + quiet).c_str())
                == 0)
                cbr = folder / "cbr.mp3";
            if (std::system((raw + "-s 44.1 -V 2 " + stereo + " " + folder / "vbr.mp3" + quiet).c_str()) == 0)
                vbr = folder / "vbr.mp3";
            if (std::system(
                    (raw + "-s 22.05 -m m -b 64 " + mono22 + " " + folder / "mono.mp3" + quiet).c_str())
                == 0)
                mono = folder / "mono.mp3";
        }
        if (haveTool("twolame") && haveTool("mpg123")) {
            if (std::system(
                    ("twolame -r -s 44100 -N 2 " + stereo + " " + folder / "tone.mp2" + quiet).c_str())
                == 0)
                mp2 = folder / "tone.mp2";
        }
    }

    // What mpg123 -s writes for a file.
    std::string reference(const std::string& file) const
    {
        const std::string out = file + ".ref";
        if (std::system(("mpg123 -q -s " + file + " > " + out + " 2>/dev/null").c_str()) != 0)
            return {};
        return readBytes(out);
    }

    static const MusicFixtures& get()
    {
        static MusicFixtures fixtures;
        return fixtures;
    }
};

} // namespace ov::test
