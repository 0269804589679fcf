#include "archive/listing_run.h"

namespace ov {

void ListingRun::listUue() { }

} // namespace ov
