// Every lister, forced: the first byte names the kind, the rest is the
// archive, so each reader sees inputs that detection would have refused.
#include "fuzz/archive/fuzz_listing.h"

namespace {

class ForcedLister : public ov::TArchiveLister {
public:
    ov::TArcType forced = ov::atZIP;
    void DetectKind() override { m_arcType = forced; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    ForcedLister lister;
    lister.forced = static_cast<ov::TArcType>(ov::atARC + data[0] % (ov::atZOO - ov::atARC + 1));
    ovFuzzList(lister, "a.arj", std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
