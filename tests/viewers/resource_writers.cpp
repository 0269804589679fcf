#include "tests/viewers/resource_writers.h"

#include "tests/viewers/pe_builder.h"

#include <algorithm>
#include <map>

namespace ov::test {

void put8(Bytes& out, uint8_t value)
{
    out.push_back(value);
}

void put16(Bytes& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(Bytes& out, uint32_t value)
{
    put16(out, static_cast<uint16_t>(value));
    put16(out, static_cast<uint16_t>(value >> 16));
}

void putUtf16(Bytes& out, const std::u16string& text, bool terminate)
{
    for (char16_t unit : text)
        put16(out, static_cast<uint16_t>(unit));
    if (terminate)
        put16(out, 0);
}

void pad4(Bytes& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

namespace {

std::u16string wide(const std::string& text)
{
    // The tests' texts are ASCII, but for the few Latin-1 letters written as
    // UTF-8.
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b >= 0xC0 && i + 1 < text.size()) {
            out.push_back(
                static_cast<char16_t>((b & 0x1F) << 6 | (static_cast<uint8_t>(text[i + 1]) & 0x3F)));
            ++i;
        } else {
            out.push_back(b);
        }
    }
    return out;
}

// Named keys first (in order of their text), then ids in ascending order.
bool keyLess(const ResourceTreeWriter::Key& a, const ResourceTreeWriter::Key& b)
{
    if (a.index() != b.index())
        return a.index() > b.index();
    return a < b;
}

} // namespace

void ResourceTreeWriter::add(Key type, Key name, Bytes data, uint16_t language)
{
    m_resources.push_back({ std::move(type), std::move(name), language, std::move(data) });
}

Bytes ResourceTreeWriter::section(uint32_t rva) const
{
    // type -> name -> language -> resource index
    using Languages = std::map<uint16_t, std::size_t>;
    using Names = std::map<Key, Languages, decltype(&keyLess)>;
    std::map<Key, Names, decltype(&keyLess)> tree(&keyLess);
    for (std::size_t i = 0; i < m_resources.size(); ++i) {
        const Resource& r = m_resources[i];
        auto [names, fresh] = tree.try_emplace(r.type, Names(&keyLess));
        (void)fresh;
        names->second[r.name][r.language] = i;
    }

    // Directories first, then data entries, names and data.
    std::size_t at = 16 + 8 * tree.size();
    std::map<const void*, std::size_t> where;
    for (auto& [type, names] : tree) {
        where[&names] = at;
        at += 16 + 8 * names.size();
    }
    for (auto& [type, names] : tree)
        for (auto& [name, languages] : names) {
            where[&languages] = at;
            at += 16 + 8 * languages.size();
        }
    std::vector<std::size_t> dataEntry(m_resources.size());
    for (std::size_t i = 0; i < m_resources.size(); ++i) {
        dataEntry[i] = at;
        at += 16;
    }
    std::map<std::string, std::size_t> nameAt;
    auto placeName = [&](const Key& key) {
        if (const auto* text = std::get_if<std::string>(&key); text && !nameAt.count(*text)) {
            nameAt[*text] = at;
            at += 2 + 2 * text->size();
        }
    };
    for (auto& [type, names] : tree) {
        placeName(type);
        for (auto& [name, languages] : names)
            placeName(name);
    }

    ResourceBlob blob;
    for (const auto& [text, offset] : nameAt)
        blob.name(offset, text);
    auto keyValue = [&](const Key& key) -> uint32_t {
        if (const auto* id = std::get_if<uint32_t>(&key))
            return *id;
        return 0x80000000u | static_cast<uint32_t>(nameAt[std::get<std::string>(key)]);
    };
    auto countNamed = [](const auto& map) {
        return static_cast<uint16_t>(std::count_if(map.begin(), map.end(),
            [](const auto& pair) { return std::holds_alternative<std::string>(pair.first); }));
    };

    blob.directory(0, countNamed(tree), static_cast<uint16_t>(tree.size() - countNamed(tree)));
    std::size_t entry = 16;
    for (auto& [type, names] : tree) {
        blob.entry(entry, keyValue(type), 0x80000000u | static_cast<uint32_t>(where[&names]));
        entry += 8;
        const std::size_t typeDirectory = where[&names];
        blob.directory(
            typeDirectory, countNamed(names), static_cast<uint16_t>(names.size() - countNamed(names)));
        std::size_t nameEntry = typeDirectory + 16;
        for (auto& [name, languages] : names) {
            blob.entry(nameEntry, keyValue(name), 0x80000000u | static_cast<uint32_t>(where[&languages]));
            nameEntry += 8;
            const std::size_t nameDirectory = where[&languages];
            blob.directory(nameDirectory, 0, static_cast<uint16_t>(languages.size()));
            std::size_t languageEntry = nameDirectory + 16;
            for (auto& [language, index] : languages) {
                blob.entry(languageEntry, language, static_cast<uint32_t>(dataEntry[index]));
                languageEntry += 8;
            }
        }
    }
    at = (at + 3) & ~std::size_t(3);
    for (std::size_t i = 0; i < m_resources.size(); ++i) {
        const Bytes& data = m_resources[i].data;
        blob.dataEntry(dataEntry[i], rva + static_cast<uint32_t>(at), static_cast<uint32_t>(data.size()));
        blob.putBytes(at, std::string(data.begin(), data.end()));
        at = (at + data.size() + 3) & ~std::size_t(3);
    }
    blob.bytes.resize(std::max(blob.bytes.size(), at));
    return blob.bytes;
}

Bytes ResourceTreeWriter::image() const
{
    PeImage pe;
    pe.resources = section(pe.resourceRva);
    return pe.build();
}

Bytes dialogTemplate(const DialogLayout& layout)
{
    Bytes out;
    if (layout.extended) {
        put16(out, 1);
        put16(out, 0xFFFF);
        put32(out, 0); // help id
        put32(out, layout.exStyle);
        put32(out, layout.style);
    } else {
        put32(out, layout.style);
        put32(out, layout.exStyle);
    }
    put16(out, static_cast<uint16_t>(layout.controls.size()));
    for (int16_t v : { layout.x, layout.y, layout.cx, layout.cy })
        put16(out, static_cast<uint16_t>(v));
    put16(out, 0); // no menu
    put16(out, 0); // the standard dialog class
    putUtf16(out, wide(layout.title));
    if (layout.style & 0x40) {
        put16(out, layout.pointSize);
        if (layout.extended) {
            put16(out, 400);
            put8(out, 0);
            put8(out, 1);
        }
        putUtf16(out, wide(layout.typeface));
    }
    for (const auto& control : layout.controls) {
        pad4(out);
        if (layout.extended) {
            put32(out, 0);
            put32(out, 0);
            put32(out, control.style);
        } else {
            put32(out, control.style);
            put32(out, 0);
        }
        for (int16_t v : { control.x, control.y, control.cx, control.cy })
            put16(out, static_cast<uint16_t>(v));
        if (layout.extended)
            put32(out, control.id);
        else
            put16(out, static_cast<uint16_t>(control.id));
        if (const auto* ordinal = std::get_if<uint16_t>(&control.windowClass)) {
            put16(out, 0xFFFF);
            put16(out, *ordinal);
        } else {
            putUtf16(out, wide(std::get<std::string>(control.windowClass)));
        }
        putUtf16(out, wide(control.title));
        put16(out, 0); // no creation data
    }
    return out;
}

namespace {

// One VS_VERSIONINFO node: length, value length, type, key, value, children.
Bytes versionNode(const std::string& key, uint16_t type, const Bytes& value, uint16_t valueLength,
    const std::vector<Bytes>& children)
{
    Bytes out;
    put16(out, 0); // length, set below
    put16(out, valueLength);
    put16(out, type);
    putUtf16(out, wide(key));
    pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        pad4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<uint8_t>(out.size());
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    return out;
}

} // namespace

Bytes versionInfo(const VersionFields& layout)
{
    Bytes fixed;
    for (uint32_t v : { 0xFEEF04BDu, 0x00010000u, layout.fileVersionMS, layout.fileVersionLS,
             layout.productVersionMS, layout.productVersionLS, layout.flagsMask, layout.flags, layout.os,
             layout.type, layout.subtype, 0u, 0u })
        put32(fixed, v);

    std::vector<Bytes> strings;
    for (const auto& [name, value] : layout.strings) {
        Bytes text;
        putUtf16(text, wide(value));
        strings.push_back(versionNode(name, 1, text, static_cast<uint16_t>(wide(value).size() + 1), {}));
    }
    const Bytes table = versionNode(layout.tableKey, 1, {}, 0, strings);
    const Bytes stringInfo = versionNode("StringFileInfo", 1, {}, 0, { table });
    Bytes translation;
    put16(translation, layout.language);
    put16(translation, layout.codePage);
    const Bytes var = versionNode("Translation", 0, translation, 4, {});
    const Bytes varInfo = versionNode("VarFileInfo", 1, {}, 0, { var });
    return versionNode(
        "VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()), { stringInfo, varInfo });
}

uint8_t aviPixelIndex(int x, int y, int frame)
{
    if (y < kAviSize / 2)
        return static_cast<uint8_t>((x / 4 + y / 4 + frame) % 4);
    // The bottom half never changes; every fifth row alternates colours so
    // that the RLE writer needs its absolute mode.
    return static_cast<uint8_t>(y % 5 == 0 ? x % 4 : (x / 4 + y / 4) % 4);
}

uint32_t aviPaletteColor(uint8_t index)
{
    static const uint32_t colors[] = { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu };
    return index < 4 ? colors[index] : 0xFF000000u;
}

namespace {

void chunk(Bytes& out, const char* id, const Bytes& data)
{
    out.insert(out.end(), id, id + 4);
    put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1)
        out.push_back(0);
}

Bytes list(const char* type, const Bytes& content)
{
    Bytes data(type, type + 4);
    data.insert(data.end(), content.begin(), content.end());
    Bytes out;
    chunk(out, "LIST", data);
    return out;
}

// One RLE8 row: runs as count/value pairs, a row whose runs are all single
// pixels as one absolute run.
void rleRow(Bytes& out, const std::vector<uint8_t>& row)
{
    bool singles = true;
    for (std::size_t i = 1; i < row.size(); ++i)
        singles = singles && row[i] != row[i - 1];
    if (singles) {
        put8(out, 0);
        put8(out, static_cast<uint8_t>(row.size()));
        out.insert(out.end(), row.begin(), row.end());
        if (row.size() & 1)
            put8(out, 0);
    } else {
        for (std::size_t i = 0; i < row.size();) {
            std::size_t run = 1;
            while (i + run < row.size() && row[i + run] == row[i])
                ++run;
            put8(out, static_cast<uint8_t>(run));
            put8(out, row[i]);
            i += run;
        }
    }
}

} // namespace

Bytes aviFile(bool rle8)
{
    Bytes avih;
    for (uint32_t v : { 100000u, 0u, 0u, 0u, uint32_t(kAviFrames), 0u, 1u, 0u, uint32_t(kAviSize),
             uint32_t(kAviSize), 0u, 0u, 0u, 0u })
        put32(avih, v);
    Bytes strh;
    strh.insert(strh.end(), { 'v', 'i', 'd', 's' });
    put32(strh, 0);
    for (uint32_t v : { 0u, 0u, 0u, 1u, 10u, 0u, uint32_t(kAviFrames), 0u, 0u, 0u })
        put32(strh, v);
    for (int i = 0; i < 4; ++i)
        put16(strh, i < 2 ? 0 : kAviSize);
    Bytes strf;
    for (uint32_t v : { 40u, uint32_t(kAviSize), uint32_t(kAviSize) })
        put32(strf, v);
    put16(strf, 1);
    put16(strf, 8);
    for (uint32_t v : { rle8 ? 1u : 0u, 0u, 0u, 0u, 256u, 0u })
        put32(strf, v);
    for (int i = 0; i < 256; ++i)
        put32(strf, aviPaletteColor(static_cast<uint8_t>(i)) & 0x00FFFFFFu);
    Bytes strl;
    chunk(strl, "strh", strh);
    chunk(strl, "strf", strf);
    Bytes hdrl;
    chunk(hdrl, "avih", avih);
    const Bytes streamList = list("strl", strl);
    hdrl.insert(hdrl.end(), streamList.begin(), streamList.end());

    Bytes movi;
    for (int frame = 0; frame < kAviFrames; ++frame) {
        Bytes data;
        if (!rle8) {
            for (int row = kAviSize - 1; row >= 0; --row)
                for (int x = 0; x < kAviSize; ++x)
                    put8(data, aviPixelIndex(x, row, frame));
            chunk(movi, "00db", data);
            continue;
        }
        int firstRow = kAviSize - 1;
        if (frame > 0) {
            // Move over the unchanged bottom half.
            for (uint8_t v : { 0, 2, 0, kAviSize / 2 })
                put8(data, v);
            firstRow = kAviSize / 2 - 1;
        }
        for (int row = firstRow; row >= 0; --row) {
            std::vector<uint8_t> pixels;
            for (int x = 0; x < kAviSize; ++x)
                pixels.push_back(aviPixelIndex(x, row, frame));
            rleRow(data, pixels);
            put8(data, 0);
            put8(data, row == 0 ? 1 : 0);
        }
        chunk(movi, "00dc", data);
    }

    Bytes riff { 'A', 'V', 'I', ' ' };
    for (const Bytes& part : { list("hdrl", hdrl), list("movi", movi) })
        riff.insert(riff.end(), part.begin(), part.end());
    Bytes out;
    chunk(out, "RIFF", riff);
    return out;
}

namespace {

void shortString(Bytes& out, const std::string& text)
{
    put8(out, static_cast<uint8_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

void property(Bytes& out, const std::string& name, uint8_t type)
{
    shortString(out, name);
    put8(out, type);
}

} // namespace

Bytes componentStream()
{
    Bytes out { 'T', 'P', 'F', '0' };
    shortString(out, "TForm1");
    shortString(out, "Form1");
    property(out, "Left", 2);
    put8(out, 10);
    property(out, "Top", 2);
    put8(out, static_cast<uint8_t>(-5));
    property(out, "Width", 3);
    put16(out, 1000);
    property(out, "Tag", 4);
    put32(out, 100000);
    property(out, "Caption", 6);
    shortString(out, "It's a test");
    property(out, "Hint", 6);
    shortString(out, "line one\r\nline two");
    property(out, "Font.Style", 11);
    shortString(out, "fsBold");
    shortString(out, "fsItalic");
    put8(out, 0);
    property(out, "BorderIcons", 11);
    put8(out, 0);
    property(out, "Visible", 9);
    property(out, "Enabled", 8);
    property(out, "PopupMenu", 13);
    property(out, "Items.Strings", 1);
    put8(out, 6);
    shortString(out, "one");
    put8(out, 6);
    shortString(out, "two");
    put8(out, 2);
    put8(out, 3);
    put8(out, 0);
    property(out, "Columns", 14);
    // item: Width = 50
    shortString(out, "Width");
    put8(out, 2);
    put8(out, 50);
    put8(out, 0);
    // item [3]: Caption = 'B'
    put8(out, 2);
    put8(out, 3);
    shortString(out, "Caption");
    put8(out, 6);
    shortString(out, "B");
    put8(out, 0);
    put8(out, 0);
    property(out, "Data", 10);
    put32(out, 40);
    for (int i = 0; i < 40; ++i)
        put8(out, static_cast<uint8_t>(i * 7));
    property(out, "Ratio", 5);
    // 1.5 as an 80-bit extended value: mantissa 0xC000000000000000, exponent 16383.
    put32(out, 0);
    put32(out, 0xC0000000u);
    put16(out, 0x3FFF);
    property(out, "Title", 18);
    put32(out, 5);
    putUtf16(out, u"Gr\u00FC\u00DFe", false);
    property(out, "Big", 19);
    put32(out, 0);
    put32(out, 1);
    put8(out, 0); // Form1's properties end

    // object Panel1: TPanel, holding an inherited Button1 at child position 2.
    shortString(out, "TPanel");
    shortString(out, "Panel1");
    property(out, "Align", 7);
    shortString(out, "alTop");
    put8(out, 0);
    put8(out, 0xF0 | 1 | 2);
    put8(out, 2);
    put8(out, 2);
    shortString(out, "TButton");
    shortString(out, "Button1");
    property(out, "Caption", 6);
    shortString(out, "OK");
    property(out, "Default", 9);
    put8(out, 0);
    put8(out, 0);
    put8(out, 0); // Panel1's children end
    put8(out, 0); // Form1's children end
    return out;
}

Bytes explorerFixture()
{
    ResourceTreeWriter tree;
    // 1: a DIALOGEX with common controls, which all create.
    DialogLayout common;
    common.extended = true;
    common.title = "Common controls";
    common.controls = {
        { uint16_t(0x80), "OK", 1, 140, 80, 50, 14 },
        { uint16_t(0x80), "Cancel", 2, 80, 80, 50, 14 },
        { uint16_t(0x81), "edit", 10, 5, 5, 60, 12 },
        { uint16_t(0x82), "static text", 11, 70, 5, 60, 10 },
        { std::string("SysListView32"), "", 12, 5, 20, 60, 40 },
        { std::string("systreeview32"), "", 13, 70, 20, 60, 40 },
        { std::string("msctls_progress32"), "", 14, 5, 62, 120, 8 },
        { std::string("RichEdit20W"), "rich", 15, 135, 5, 60, 30 },
        { std::string("SysTabControl32"), "", 16, 135, 40, 60, 20 },
    };
    tree.add(5u, 1u, dialogTemplate(common));

    // 2: a DIALOG whose last control names a class nobody registered.
    DialogLayout lastUnknown;
    lastUnknown.title = "Last unknown";
    lastUnknown.controls = {
        { uint16_t(0x82), "label", 1, 5, 5, 60, 10 },
        { uint16_t(0x80), "Cancel", 2, 5, 20, 50, 14 },
        { std::string("NoSuchClass"), "", 3, 5, 40, 50, 14 },
    };
    tree.add(5u, 2u, dialogTemplate(lastUnknown));

    // 3: the same as a DIALOGEX, whose extended style (offset 8) would read
    // as a count of 261 controls.
    DialogLayout exUnknown = lastUnknown;
    exUnknown.extended = true;
    exUnknown.exStyle = 0x00000105;
    exUnknown.title = "Extended, last unknown";
    tree.add(5u, 3u, dialogTemplate(exUnknown));

    // 4: the first control is unknown: every control goes.
    DialogLayout firstUnknown = lastUnknown;
    std::rotate(
        firstUnknown.controls.rbegin(), firstUnknown.controls.rbegin() + 1, firstUnknown.controls.rend());
    firstUnknown.title = "First unknown";
    tree.add(5u, 4u, dialogTemplate(firstUnknown));

    // 5: a template cut short inside its header.
    Bytes cut = dialogTemplate(common);
    cut.resize(12);
    tree.add(5u, 5u, cut);

    // Generic resources: videos, a component stream, damaged ones.
    tree.add(10u, 10u, aviFile(false));
    tree.add(10u, 11u, aviFile(true));
    tree.add(10u, 12u, componentStream());
    Bytes brokenAvi = aviFile(false);
    brokenAvi.resize(60);
    tree.add(10u, 13u, brokenAvi);
    Bytes brokenStream = componentStream();
    brokenStream.resize(brokenStream.size() / 2);
    tree.add(10u, 14u, brokenStream);
    tree.add(10u, 15u, { 0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0 });
    tree.add(std::string("AVI"), std::string("CLOCK"), aviFile(true));

    VersionFields version;
    version.strings = { { "CompanyName", "Orvanta Test Co." }, { "FileDescription", "Explorer fixture" },
        { "FileVersion", "1.2.3.4" }, { "InternalName", "explorer" }, { "LegalCopyright", "(C) nobody" },
        { "OriginalFilename", "explorer.dll" }, { "ProductName", "Orvanta" },
        { "ProductVersion", "5.6.7.8" } };
    version.fileVersionMS = 0x00010002;
    version.fileVersionLS = 0x00030004;
    version.productVersionMS = 0x00050006;
    version.productVersionLS = 0x00070008;
    version.flags = 0x3;
    version.flagsMask = 0x3F;
    version.os = 0x40004;
    version.type = 1;
    tree.add(16u, 1u, versionInfo(version));
    return tree.image();
}

} // namespace ov::test
