// Writers of the resources the explorer tests need and no installed tool
// makes here: a whole resource tree, dialog templates, VS_VERSIONINFO
// blocks, AVI files (uncompressed and RLE8), component streams, and the
// explorer's fixture image built from them. Each writer follows the public
// description of its format; the tests check the readers against the values
// the writers were given, not against the writers' bytes.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace ov::test {

using Bytes = std::vector<uint8_t>;

// Little-endian appending.
void put8(Bytes& out, uint8_t value);
void put16(Bytes& out, uint16_t value);
void put32(Bytes& out, uint32_t value);
void putUtf16(Bytes& out, const std::u16string& text, bool terminate = true);
void pad4(Bytes& out);

// A resource tree of three levels (type, name, language), each name or type
// an integer id or a text.
class ResourceTreeWriter {
public:
    using Key = std::variant<uint32_t, std::string>;

    void add(Key type, Key name, Bytes data, uint16_t language = 1033);
    // The section's bytes for a section at `rva`.
    Bytes section(uint32_t rva = 0x1000) const;
    // A whole PE32 image holding the section.
    Bytes image() const;

private:
    struct Resource {
        Key type, name;
        uint16_t language;
        Bytes data;
    };
    std::vector<Resource> m_resources;
};

// Dialog templates.
struct DialogControlSpec {
    std::variant<uint16_t, std::string> windowClass; // ordinal 0x80.. or a name
    std::string title;
    uint32_t id = 0;
    int16_t x = 0, y = 0, cx = 40, cy = 12;
    uint32_t style = 0x50000000; // WS_CHILD | WS_VISIBLE
};
struct DialogLayout {
    bool extended = false;
    uint32_t style = 0x80C80040; // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 200, cy = 100;
    std::string title;
    uint16_t pointSize = 8;
    std::string typeface = "MS Sans Serif";
    std::vector<DialogControlSpec> controls;
};
Bytes dialogTemplate(const DialogLayout& layout);

// VS_VERSIONINFO with a fixed file information block, one string table and
// a translation.
struct VersionFields {
    std::string tableKey = "040904b0";
    std::vector<std::pair<std::string, std::string>> strings;
    uint16_t language = 0x0409, codePage = 0x04B0;
    uint32_t fileVersionMS = 0, fileVersionLS = 0, productVersionMS = 0, productVersionLS = 0;
    uint32_t flagsMask = 0x3F, flags = 0, os = 0x40004, type = 1, subtype = 0;
};
Bytes versionInfo(const VersionFields& layout);

// The explorer's test video: 16 x 16, four frames, 8 bits per pixel with a
// palette of four colours; the bottom half stays the same in every frame.
constexpr int kAviSize = 16;
constexpr int kAviFrames = 4;
uint8_t aviPixelIndex(int x, int y, int frame); // y from the top
uint32_t aviPaletteColor(uint8_t index); // 0xFFRRGGBB
// Uncompressed frames, or RLE8 frames (later frames skip the unchanged
// bottom half with a move).
Bytes aviFile(bool rle8);

// The component stream of the golden text file component_stream.txt.
Bytes componentStream();

// The explorer's fixture image: dialogs, videos, a component stream,
// version information and damaged resources; see the .cpp for the list.
Bytes explorerFixture();

} // namespace ov::test
