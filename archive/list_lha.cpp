#include "archive/listing_run.h"

namespace ov {

void ListingRun::listLha() { }

} // namespace ov
