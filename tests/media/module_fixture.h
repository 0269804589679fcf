// A small ProTracker module (4 channels, "M.K.") built here: one 32-byte
// square-wave sample and one pattern whose first row sets speed 1 and
// plays the sample, so the song lasts 64 rows of one 20 ms tick.
#pragma once

#include <string>

namespace ov::test {

inline std::string tinyModule()
{
    std::string mod(20, '\0');
    mod.replace(0, 4, "tiny");
    // Sample 1: 32 bytes (16 words), volume 64, no loop (repeat length 1).
    for (int s = 0; s < 31; ++s) {
        std::string header(30, '\0');
        if (s == 0) {
            header.replace(0, 6, "square");
            header[22] = 0;
            header[23] = 16; // length in words
            header[25] = 64; // volume
            header[29] = 1; // repeat length 1 word: no loop
        }
        mod += header;
    }
    mod.push_back(1); // song length: one order
    mod.push_back(127);
    std::string orders(128, '\0');
    mod += orders;
    mod += "M.K.";
    std::string pattern(64 * 4 * 4, '\0');
    // Row 0, channel 1: sample 1, period 428 (C-2), effect F01 (speed 1).
    pattern[0] = static_cast<char>(0x01);
    pattern[1] = static_cast<char>(0xAC);
    pattern[2] = static_cast<char>(0x1F);
    pattern[3] = static_cast<char>(0x01);
    mod += pattern;
    for (int i = 0; i < 32; ++i)
        mod.push_back(static_cast<char>(i < 16 ? 100 : -100));
    return mod;
}

} // namespace ov::test
