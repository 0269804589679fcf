// Detection over arbitrary bytes, then the listing of whatever kind it
// found. The first byte picks the file name's extension, which feeds the
// extension rules (UUE, TAR).
#include "fuzz/archive/fuzz_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const names[] = { "a.zip", "a.tar", "a", "a.uue", "a.exe", "a.arj", "a.rar", "a.cab" };
    if (size < 1)
        return 0;
    ov::TArchiveLister lister;
    ovFuzzList(lister, names[data[0] % 8], std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
