#include "archive/listing_run.h"

namespace ov {

void ListingRun::listCab() { }

} // namespace ov
