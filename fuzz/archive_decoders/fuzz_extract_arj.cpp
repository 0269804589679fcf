// TArjExtractor over arbitrary bytes, end to end into a temporary folder
// (see fuzz_extract.h for the invariant).
#include "archive/extract/arj_extractor.h"
#include "fuzz/archive_decoders/fuzz_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ov::TArjExtractor x;
    ov::fuzz::extractInto(x, data, size, "fuzz.arj");
    return 0;
}
