// Fuzz target component_stream: converts the input, a component stream in
// binary form ("TPF0" is put in front when missing), to its text form.
#include "viewers/component_stream.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 4 && std::memcmp(data, "TPF0", 4) == 0) {
        ov::ComponentStream::toText({ data, size });
        return 0;
    }
    std::vector<uint8_t> stream { 'T', 'P', 'F', '0' };
    stream.insert(stream.end(), data, data + size);
    ov::ComponentStream::toText(stream);
    return 0;
}
