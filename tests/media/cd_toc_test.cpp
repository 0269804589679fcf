// The TOC copy's names: FILE, AUDIOFILE and DATAFILE names made absolute
// against the TOC's folder, everything else kept byte for byte.
#include "media/cd_toc.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(CdTocNames, RelativeNamesBecomeAbsolute)
{
    struct Row {
        const char* name;
        std::string text;
        std::string expected;
        bool changed;
    };
    const Row rows[] = {
        { "file", "TRACK AUDIO\nFILE \"disc.bin\" 00:00:00 00:04:00\n",
            "TRACK AUDIO\nFILE \"/images/cd/disc.bin\" 00:00:00 00:04:00\n", true },
        { "audiofile and datafile", "AUDIOFILE \"a.wav\" 0\nDATAFILE \"sub/d.bin\"\n",
            "AUDIOFILE \"/images/cd/a.wav\" 0\nDATAFILE \"/images/cd/sub/d.bin\"\n", true },
        { "absolute kept", "FILE \"/data/disc.bin\" 0\n", "FILE \"/data/disc.bin\" 0\n", false },
        { "cd-text strings kept", "CD_TEXT { LANGUAGE 0 { TITLE \"FILE\" PERFORMER \"x.bin\" } }\n",
            "CD_TEXT { LANGUAGE 0 { TITLE \"FILE\" PERFORMER \"x.bin\" } }\n", false },
        { "comment kept", "// FILE \"old.bin\"\nFILE \"new.bin\" 0\n",
            "// FILE \"old.bin\"\nFILE \"/images/cd/new.bin\" 0\n", true },
        { "escaped quote in the name", "FILE \"a\\\"b.bin\" 0", "FILE \"/images/cd/a\\\"b.bin\" 0", true },
        { "keyword inside a longer word", "MYFILE \"x.bin\"", "MYFILE \"x.bin\"", false },
        { "unclosed string", "FILE \"x.bin", "FILE \"/images/cd/x.bin", true },
        { "empty name", "FILE \"\" 0", "FILE \"\" 0", false },
        { "name on the next line", "FILE\n  \"x.bin\" 0", "FILE\n  \"/images/cd/x.bin\" 0", true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bool changed = !row.changed;
        EXPECT_EQ(absoluteTocNames(row.text, "/images/cd", &changed), row.expected);
        EXPECT_EQ(changed, row.changed);
    }
    // A folder with a quote or a backslash stays one string.
    EXPECT_EQ(absoluteTocNames("FILE \"x\"", "/a\"b\\c"), "FILE \"/a\\\"b\\\\c/x\"");
}

} // namespace
} // namespace ov
