#include "archive/listing_run.h"

namespace ov {

void ListingRun::listHa() { }

} // namespace ov
