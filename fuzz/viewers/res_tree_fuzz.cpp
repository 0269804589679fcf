// Fuzz target res_tree: opens the input as an executable image and walks its
// whole resource tree (the icon and cursor pools too), rendering every item
// the ways the resource explorer does: name, sizes, text lines, picture,
// saved stream and the first rows of its hex dump.
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/hex_dump_layout.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_sniff.h"

#include <cstdint>
#include <sstream>
#include <vector>

namespace {

using namespace ov;

void render(TResourceItem& item)
{
    item.Name();
    item.QualifiedName();
    item.NameUtf16();
    item.Offset();
    item.Size();
    item.Language();
    const auto raw = item.RawData();
    sniffResource(raw);
    const HexData data { raw, item.Size(), item.RawOffset() };
    for (uint64_t line = 0; line < 4; ++line)
        hexRow(data, line, 16);
    try {
        std::ostringstream out;
        item.SaveToStream(out);
        ResourcePicture picture;
        item.AssignTo(picture);
    } catch (const EExeError&) {
    }
    try {
        std::vector<std::string> lines;
        item.AssignTo(lines);
    } catch (const EConvertError&) {
    }
}

// The reader caps an image at 100,000 items (the hostile-image test walks
// that far); rendering the first few hundred covers every path while
// keeping each run short enough to fuzz.
constexpr int kRenderBudget = 512;

void walk(TResourceList& list, int& budget)
{
    for (int i = 0; i < list.Count() && budget > 0; ++i, --budget) {
        TResourceItem& item = *list.Items(i);
        render(item);
        if (item.IsList())
            walk(item.List(), budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TExeImage image(std::vector<uint8_t>(data, data + size), "fuzz.exe");
        int budget = kRenderBudget;
        if (TResourceList* root = image.Resources())
            walk(*root, budget);
        for (TResourceItem* pool : { image.IconPool(), image.CursorPool() })
            if (pool && pool->IsList())
                walk(pool->List(), budget);
    } catch (const EExeError&) {
    }
    return 0;
}
