#include "archive/extract/extractor_for.h"

#include "archive/extract/zip_extractor.h"

namespace ov {

std::unique_ptr<TExtractorBase> extractorFor(TArcType kind)
{
    switch (kind) {
    case atZIP:
    case atZipExe:
    case atZip250:
    case atZip250Exe:
        return std::make_unique<TZipExtractor>();
    default:
        return nullptr;
    }
}

} // namespace ov
