// Fuzz target rtf_reader: any bytes read without a crash, the group state
// never deeper than the cap, and the output (text, runs, paragraphs,
// pictures) bounded by a constant times the input.
#include "tools/rtf_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    const RtfDocument document = RtfReader::read(std::string_view(reinterpret_cast<const char*>(data), size));
    if (document.deepestGroup > RtfReader::MaxGroupDepth)
        std::abort();
    // One input byte gives at most three bytes of UTF-8 (a code-page byte or
    // \'hh) or one byte of a picture; a paragraph or a run takes at least
    // two bytes of input.
    std::size_t output = 0;
    std::size_t runs = 0;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        if (paragraph.tabs.size() > std::size_t(RtfReader::MaxTabStops))
            std::abort();
        for (const RtfRun& run : paragraph.runs) {
            output += run.text.size();
            if (run.picture >= int(document.pictures.size()))
                std::abort();
        }
        runs += paragraph.runs.size();
    }
    for (const RtfPicture& picture : document.pictures)
        output += picture.data.size();
    if (output > 3 * size || runs > size || document.paragraphs.size() > size / 2 + 1)
        std::abort();
    return 0;
}
