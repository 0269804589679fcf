#include "archive/listing_run.h"

namespace ov {

void ListingRun::listArj() { }

} // namespace ov
