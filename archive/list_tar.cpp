#include "archive/listing_run.h"

namespace ov {

void ListingRun::listTar() { }

} // namespace ov
