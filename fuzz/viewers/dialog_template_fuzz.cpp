// Fuzz target dialog_template: reads the input as a DIALOG or DIALOGEX
// template, creates it the way the preview does (stripping controls from
// the end) and describes the result; no widgets.
#include "viewers/dialog_template.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ov::DialogCreation creation = ov::createDialog({ data, size });
    creation.message();
    if (creation.dialog)
        creation.dialog->describe();
    if (const auto whole = ov::DialogTemplate::parse({ data, size }))
        whole->describe();
    return 0;
}
