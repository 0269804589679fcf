#include "archive/listing_run.h"

namespace ov {

void ListingRun::listBh() { }

} // namespace ov
