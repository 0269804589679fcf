#include "archive/listing_run.h"

namespace ov {

void ListingRun::listZip() { }

} // namespace ov
