// MIDI loading as the wave player does it: the .rmi unwrapping and the
// song handed to FluidSynth through fluid_player_add_mem, the length pass
// (cut at two seconds of song here) and the first block of the render.
// No sound font: loading one per input would be all the fuzzer did.
#include "media/midi_source.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        ::setenv("ORVANTA_AUDIO", "null", 1);
        ::setenv("ORVANTA_SOUNDFONT", "/nonexistent/font.sf2", 1);
        return true;
    }();
    (void)ready;
    if (size > ov::MaxMidiBytes + 16)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view song = ov::unwrapMidi(bytes);
    // What is unwrapped lies inside the input and starts with a header.
    if (!song.empty()
        && (song.data() < bytes.data() || song.data() + song.size() > bytes.data() + bytes.size()
            || song.substr(0, 4) != "MThd"))
        __builtin_trap();
    ov::MidiSource source;
    std::string error;
    if (source.open(bytes, error, 44100 * 2)) {
        std::vector<int16_t> block(4096 * 2);
        source.read(block.data(), 4096);
    }
    return 0;
}
