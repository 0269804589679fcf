// Fuzz target res_pages: opens the input as an executable image and chooses
// the resource explorer's page for every node of its tree, as the window and
// ovtool res --pages do. The dialog preview loads the same bytes again.
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_page.h"

#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    try {
        ov::TExeImage image(bytes, "fuzz.dll");
        const ov::ModuleLoader loader
            = [&bytes](const std::string& path) { return std::make_unique<ov::TExeImage>(bytes, path); };
        // The walk is capped so that one input stays quick; the reader's own
        // item cap bounds the tree, and the walk holds one path at a time.
        int left = 2000;
        ov::forEachResourceNode(image, [&](const ov::ResourceNode& node) {
            if (--left < 0)
                return false;
            const ov::ResourcePage page = ov::chooseResourcePage(*node.item, {}, loader);
            page.detail();
            page.pageName();
            // The list page's texts, as the window makes them for the rows shown.
            for (const ov::ResourceListRow& row : page.rows) {
                row.name();
                row.offset();
                row.size();
                row.imageIndex();
            }
            return true;
        });
    } catch (const ov::EExeError&) {
    }
    return 0;
}
