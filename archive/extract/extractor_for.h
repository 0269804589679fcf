// The extractor component for an archive kind: one table, so that every
// extractor (ZIP, ARC, ARJ, LHA, RAR) is found the same way by ovtool and
// the file manager.
#pragma once

#include "archive/arc_type.h"
#include "archive/extractor_base.h"

#include <memory>

namespace ov {

// Null when no extractor handles the kind.
std::unique_ptr<TExtractorBase> extractorFor(TArcType kind);

} // namespace ov
