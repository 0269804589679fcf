#include "archive/extract/extractor_for.h"

#include "archive/extract/arc_extractor.h"
#include "archive/extract/arj_extractor.h"
#include "archive/extract/lha_extractor.h"
#include "archive/extract/rar_extractor.h"
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
    case atARC:
    case atArcExe:
        return std::make_unique<TArcExtractor>();
    case atARJ:
    case atArjExe:
        return std::make_unique<TArjExtractor>();
    case atLHA:
    case atLhaExe:
    case atLZH:
    case atLzhExe:
        return std::make_unique<TLhaExtractor>();
    case atRAR:
    case atRarExe:
        return std::make_unique<TRarExtractor>();
    default:
        return nullptr;
    }
}

} // namespace ov
