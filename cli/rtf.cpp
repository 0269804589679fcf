// ovtool rtf [--runs] FILE: reads an RTF file as the help viewer does and
// prints its text as UTF-8, one line per paragraph (a line break within a
// paragraph starts a new line too; pictures are left out). With --runs it
// prints the structure instead: a line per paragraph ("paragraph ALIGN
// li=TWIPS fi=TWIPS"), then one indented line per run: its formatting
// (b, i, u, fs=HALF_POINTS, f=FONT, color=#RRGGBB) and its text quoted,
// with \n, \t, \" and \\ escaped, or "picture png|jpeg BYTES bytes WxH".
#include "tools/rtf_reader.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace ov;

namespace {

const char* alignmentName(RtfAlignment alignment)
{
    switch (alignment) {
    case RtfAlignment::Center:
        return "center";
    case RtfAlignment::Right:
        return "right";
    case RtfAlignment::Justify:
        return "justify";
    case RtfAlignment::Left:
        break;
    }
    return "left";
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

void printRuns(const RtfDocument& document)
{
    for (const RtfParagraph& paragraph : document.paragraphs) {
        std::printf("paragraph %s li=%d fi=%d\n", alignmentName(paragraph.alignment), paragraph.leftIndent,
            paragraph.firstIndent);
        for (const RtfRun& run : paragraph.runs) {
            if (run.picture >= 0) {
                const RtfPicture& picture = document.pictures[std::size_t(run.picture)];
                std::printf("  picture %s %zu bytes %dx%d\n",
                    picture.kind == RtfPictureKind::Png ? "png" : "jpeg", picture.data.size(), picture.width,
                    picture.height);
                continue;
            }
            const RtfCharFormat& f = run.format;
            std::string format;
            if (f.bold)
                format += "b ";
            if (f.italic)
                format += "i ";
            if (f.underline)
                format += "u ";
            format += "fs=" + std::to_string(f.fontSize);
            if (f.font >= 0)
                format += " f=" + std::to_string(f.font);
            if (f.color) {
                char color[16];
                std::snprintf(
                    color, sizeof color, " color=#%02X%02X%02X", f.color->red, f.color->green, f.color->blue);
                format += color;
            }
            std::printf("  %s %s\n", format.c_str(), quoted(run.text).c_str());
        }
    }
}

int usage()
{
    std::fprintf(stderr, "usage: ovtool rtf [--runs] FILE\n");
    return 2;
}

} // namespace

int ovtoolRtf(int argc, char** argv)
{
    bool runs = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs")
            runs = true;
        else if (path.empty())
            path = argument;
        else
            return usage();
    }
    if (path.empty())
        return usage();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "ovtool rtf: cannot open %s\n", path.c_str());
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        std::fprintf(stderr, "ovtool rtf: cannot read %s\n", path.c_str());
        return 1;
    }
    const RtfDocument document = RtfReader::read(bytes);
    if (runs)
        printRuns(document);
    else
        std::fputs(document.plainText().c_str(), stdout);
    return 0;
}
