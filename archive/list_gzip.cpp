#include "archive/listing_run.h"

namespace ov {

void ListingRun::listGzip() { }

} // namespace ov
