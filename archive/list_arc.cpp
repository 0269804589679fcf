#include "archive/listing_run.h"

namespace ov {

void ListingRun::listArc(bool) { }

} // namespace ov
