#include "archive/listing_run.h"

namespace ov {

void ListingRun::listRar() { }

} // namespace ov
