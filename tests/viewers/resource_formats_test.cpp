// The resource explorer's readers: version information (the fixture DLL,
// the explorer fixture, zlib1.dll from libz-mingw-w64 in both widths), its
// formatting tables, dialog templates (stripping, the DIALOGEX count,
// nsis-common's installer stubs), component streams against a golden text
// and AVI frames against the writer's pixels; each also over damaged input.
#include "tests/viewers/pe_builder.h"
#include "tests/viewers/resource_writers.h"
#include "viewers/avi_video.h"
#include "viewers/component_stream.h"
#include "viewers/dialog_template.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_page.h"
#include "viewers/version_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace ov {
namespace {

const std::string kData = OV_DATA_DIR "/viewers/";

std::span<const uint8_t> span(const test::Bytes& bytes)
{
    return { bytes.data(), bytes.size() };
}

TResourceItem* findNode(TExeImage& image, const std::string& path)
{
    for (const auto& node : resourceNodes(image))
        if (node.path == path)
            return node.item;
    return nullptr;
}

std::vector<std::string> rowsOf(TExeImage& image)
{
    TResourceItem* item = findNode(image, "Version/1");
    if (!item)
        return {};
    const auto info = VersionInfo::parse(item->RawData());
    if (!info)
        return {};
    const VersionRows rows = versionRows(*info);
    std::vector<std::string> out { rows.label };
    for (int i = 0; i < VersionRows::kRows; ++i)
        out.push_back(std::string(VersionRows::names()[std::size_t(i)]) + "=" + rows.values[std::size_t(i)]);
    return out;
}

TEST(VersionInfo, RowsOfTheFixturesAndZlib)
{
    TExeImage fixture(kData + "fixture.dll");
    EXPECT_EQ(rowsOf(fixture),
        (std::vector<std::string> { "Lang-charset: 040904E4", "CompanyName=Orvanta",
            "FileDescription=Resource reader test image", "FileVersion=1.0.0.2",
            "InternalName=", "LegalCopyright=", "OriginalFilename=", "ProductName=Orvanta",
            "ProductVersion=", "--------------------=--------------------", "Struct version=0001.0000",
            "File version=0001.0000.0000.0002", "Product version=0001.0000.0000.0000", "File flags=<none>",
            "OS flags=NT with Win32", "File type=Dynamic-link library", "File date/time=not done yet." }));

    // The table's key is stored in lower case; the translation gives upper.
    TExeImage explorer(test::explorerFixture(), "explorer.dll");
    EXPECT_EQ(rowsOf(explorer),
        (std::vector<std::string> { "Lang-charset: 040904B0", "CompanyName=Orvanta Test Co.",
            "FileDescription=Explorer fixture", "FileVersion=1.2.3.4", "InternalName=explorer",
            "LegalCopyright=(C) nobody", "OriginalFilename=explorer.dll", "ProductName=Orvanta",
            "ProductVersion=5.6.7.8", "--------------------=--------------------", "Struct version=0001.0000",
            "File version=0001.0002.0003.0004", "Product version=0005.0006.0007.0008",
            "File flags=Debug Pre-release ", "OS flags=NT with Win32", "File type=Application",
            "File date/time=not done yet." }));

    for (const char* path :
        { "/usr/i686-w64-mingw32/lib/zlib1.dll", "/usr/x86_64-w64-mingw32/lib/zlib1.dll" }) {
        SCOPED_TRACE(path);
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "libz-mingw-w64 is not installed";
        TExeImage zlib(path);
        const auto rows = rowsOf(zlib);
        ASSERT_EQ(rows.size(), 17u);
        EXPECT_EQ(rows[2], "FileDescription=zlib data compression library");
        EXPECT_EQ(rows[11], "File version=0001.0002.000D.0000");
        EXPECT_EQ(rows[13], "File flags=<none>");
        EXPECT_EQ(rows[14], "OS flags=Unknown with Win32");
        EXPECT_EQ(rows[15], "File type=Dynamic-link library");
    }
}

TEST(VersionInfo, FormattingTables)
{
    EXPECT_EQ(fileFlagsText(0x3, 0x3F), "Debug Pre-release ");
    EXPECT_EQ(
        fileFlagsText(0x3F, 0x3F), "Debug Pre-release Patched Private build Info inferred Special build ");
    EXPECT_EQ(fileFlagsText(0x3, 0x2), "Pre-release ");
    EXPECT_EQ(fileFlagsText(0x3, 0), "<none>");
    EXPECT_EQ(fileFlagsText(0xC0, 0xFF), "<none>");

    const std::vector<std::pair<uint32_t, std::string>> os = {
        { 0x40004, "NT with Win32" }, { 0x4, "Unknown with Win32" }, { 0x50004, " with Win32" },
        { 0x0, "Unknown with Unknown" }, { 0x10001, "DOS with Win16" }, { 0x20002, "OS/2 16 with PM 16" },
        { 0x30003, "OS/2 32 with PM 32" }, { 0x40005, "NT" }, { 0x50005, "" },
        { 0x140004, "NT with Win32" }, // only bits 16..19 count
    };
    for (const auto& [value, text] : os)
        EXPECT_EQ(fileOSText(value), text) << std::hex << value;

    const std::vector<std::tuple<uint32_t, uint32_t, std::string>> types = {
        { 0, 0, "Unknown" },
        { 1, 0, "Application" },
        { 2, 0, "Dynamic-link library" },
        { 3, 0, "Device driver: Unknown" },
        { 3, 4, "Device driver: display" },
        { 3, 10, "Device driver: comm" },
        { 3, 11, "Device driver: " },
        { 4, 1, "Font- raster" },
        { 4, 3, "Font- true type" },
        { 5, 0, "Virtual device" },
        { 6, 0, "" },
        { 7, 0, "Static-link library" },
    };
    for (const auto& [type, subtype, text] : types)
        EXPECT_EQ(fileTypeText(type, subtype), text) << type << "/" << subtype;

    EXPECT_EQ(versionQuad(0x0001000A, 0x00FF0000), "0001.000A.00FF.0000");
    EXPECT_EQ(versionHalves(0xABCD1234), "ABCD.1234");
}

TEST(VersionInfo, DamagedBlocksStayInsideTheirBytes)
{
    test::VersionFields layout;
    layout.strings = { { "CompanyName", "Orvanta" } };
    const test::Bytes good = test::versionInfo(layout);
    ASSERT_TRUE(VersionInfo::parse(span(good)));

    // Every truncation parses or fails, but never reads past the end (the
    // sanitizers watch), and a block cut inside its root fails.
    for (std::size_t size = 0; size < good.size(); ++size) {
        test::Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit();
        const auto info = VersionInfo::parse(span(cut));
        EXPECT_FALSE(info.has_value()) << size;
    }
    // A child whose length is below the header ends the children there.
    test::Bytes small = good;
    const std::size_t stringInfo = 6 + 32 + 2 + 52; // header, key, padding, fixed information
    ASSERT_EQ(small[stringInfo + 6], 'S');
    small[stringInfo] = 4;
    small[stringInfo + 1] = 0;
    const auto info = VersionInfo::parse(span(small));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->root().children.size(), 0u);
    EXPECT_TRUE(info->fixed().has_value());
    EXPECT_EQ(info->translationKey(), "");
    // A child claiming more than its parent is not read.
    test::Bytes large = good;
    large[stringInfo] = 0xFF;
    large[stringInfo + 1] = 0x7F;
    EXPECT_EQ(VersionInfo::parse(span(large))->root().children.size(), 0u);

    // Nesting deeper than the cap is cut, not followed.
    std::vector<test::Bytes> levels;
    test::Bytes nested;
    for (int depth = 0; depth < 40; ++depth) {
        test::Bytes node;
        test::put16(node, 0);
        test::put16(node, 0);
        test::put16(node, 1);
        test::putUtf16(node, u"K");
        test::pad4(node);
        node.insert(node.end(), nested.begin(), nested.end());
        node[0] = static_cast<uint8_t>(node.size());
        node[1] = static_cast<uint8_t>(node.size() >> 8);
        nested = node;
    }
    const auto deep = VersionInfo::parse(span(nested));
    ASSERT_TRUE(deep);
    int depth = 1;
    for (const VersionNode* node = &deep->root(); !node->children.empty(); node = &node->children[0])
        ++depth;
    EXPECT_EQ(depth, VersionInfo::kMaxDepth);
}

DialogCreation dialogOf(TExeImage& image, const std::string& path)
{
    TResourceItem* item = findNode(image, path);
    return item ? createDialog(item->RawData()) : DialogCreation {};
}

TEST(DialogTemplate, StrippingFromTheEnd)
{
    TExeImage image(test::explorerFixture(), "explorer.dll");
    const DialogCreation common = dialogOf(image, "Dialog/1");
    ASSERT_TRUE(common.dialog);
    EXPECT_EQ(common.message(), "Take a look!");
    EXPECT_TRUE(common.dialog->extended);
    EXPECT_EQ(common.dialog->title, "Common controls");
    EXPECT_EQ(common.dialog->typeface, "MS Sans Serif");
    ASSERT_EQ(common.dialog->controls.size(), 9u);
    EXPECT_EQ(common.dialog->controls[1].className(), "Button");
    EXPECT_EQ(common.dialog->controls[1].id, 2u);
    EXPECT_EQ(common.dialog->controls[1].title.text, "Cancel");
    EXPECT_EQ(common.dialog->controls[5].className(), "systreeview32"); // known without case

    const std::vector<std::tuple<std::string, int, int, std::string>> table = {
        { "Dialog/2", 2, 1, "1 control(s) has been stripped." },
        { "Dialog/3", 2, 1, "1 control(s) has been stripped." },
        { "Dialog/4", 0, 3, "3 control(s) has been stripped." },
    };
    for (const auto& [path, kept, stripped, message] : table) {
        SCOPED_TRACE(path);
        const DialogCreation creation = dialogOf(image, path);
        ASSERT_TRUE(creation.dialog);
        EXPECT_EQ(int(creation.dialog->controls.size()), kept);
        EXPECT_EQ(creation.stripped, stripped);
        EXPECT_EQ(creation.message(), message);
    }
    // The DIALOGEX count is at 16: offset 8 holds the extended style, kept.
    const DialogCreation extended = dialogOf(image, "Dialog/3");
    EXPECT_EQ(extended.dialog->declaredCount, 3);
    EXPECT_EQ(extended.dialog->exStyle, 0x105u);
    EXPECT_EQ(DialogTemplate::countOffset(true), 16u);
    EXPECT_EQ(DialogTemplate::countOffset(false), 8u);

    EXPECT_EQ(dialogOf(image, "Dialog/5").message(), "Unable to create this dialog, sorry.");
}

TEST(DialogTemplate, EveryCutOfATemplateIsBounded)
{
    TExeImage image(test::explorerFixture(), "explorer.dll");
    const auto whole = findNode(image, "Dialog/1")->RawData();
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        const DialogCreation creation = createDialog(cut);
        if (!creation.dialog)
            continue;
        // Controls that did not fit are stripped; the count adds up.
        EXPECT_EQ(int(creation.dialog->controls.size()) + creation.stripped, 9) << size;
        EXPECT_FALSE(creation.dialog->describe().empty());
    }
    EXPECT_EQ(createDialog(std::vector<uint8_t>(whole.begin(), whole.end())).stripped, 0);
}

TEST(DialogTemplate, NsisStubsCreateWithTheirCommonControls)
{
    const std::string stub = "/usr/share/nsis/Contrib/UIs/modern.exe";
    if (!std::filesystem::exists(stub))
        GTEST_SKIP() << "nsis-common is not installed";
    TExeImage image(stub);
    TResourceItem* dialogs = findNode(image, "Dialog");
    ASSERT_NE(dialogs, nullptr);
    std::set<std::string> classes;
    for (int i = 0; i < dialogs->List().Count(); ++i) {
        const DialogCreation creation = createDialog(dialogs->List().Items(i)->RawData());
        ASSERT_TRUE(creation.dialog) << i;
        EXPECT_EQ(creation.message(), "Take a look!");
        EXPECT_TRUE(creation.dialog->extended);
        for (const auto& control : creation.dialog->controls) {
            std::string name = control.className();
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            classes.insert(name);
        }
    }
    // The stub stores them in upper case.
    for (const char* name : { "richedit20w", "systreeview32", "msctls_progress32", "syslistview32" })
        EXPECT_TRUE(classes.count(name)) << name;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

TEST(ComponentStream, TextFormMatchesTheGoldenFile)
{
    const test::Bytes stream = test::componentStream();
    const auto text = ComponentStream::toText(span(stream));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->error, "");
    EXPECT_EQ(text->text, readText(kData + "component_stream.txt"));

    // Two objects one after the other, and zero padding after them.
    test::Bytes two = stream;
    two.insert(two.end(), stream.begin(), stream.end());
    two.insert(two.end(), 3, 0);
    const auto both = ComponentStream::toText(span(two));
    EXPECT_EQ(both->error, "");
    EXPECT_EQ(both->text, text->text + text->text);
}

TEST(ComponentStream, DamagedStreamsSayWhere)
{
    EXPECT_FALSE(ComponentStream::toText(span(test::Bytes { 'T', 'P', 'F' })));
    EXPECT_FALSE(ComponentStream::toText(span(test::Bytes { 'X', 'P', 'F', '0', 0, 0 })));
    const test::Bytes stream = test::componentStream();
    for (std::size_t size = 4; size < stream.size(); ++size) {
        test::Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit();
        const auto text = ComponentStream::toText(span(cut));
        ASSERT_TRUE(text);
        EXPECT_NE(text->error, "") << size;
    }
    // An unknown value type.
    test::Bytes unknown { 'T', 'P', 'F', '0', 1, 'T', 1, 'A', 1, 'P', 99 };
    EXPECT_EQ(ComponentStream::toText(span(unknown))->error, "unknown value type 99 at offset 11");
    EXPECT_EQ(ComponentStream::toText(span(unknown))->text, "object A: T\n  P = ");
    // Lists nested past the cap stop there.
    test::Bytes deep { 'T', 'P', 'F', '0', 1, 'T', 1, 'A', 1, 'P' };
    deep.insert(deep.end(), 100000, 1);
    EXPECT_NE(ComponentStream::toText(span(deep))->error.find("nested too deeply"), std::string::npos);
    // A wide string claiming more than there is.
    test::Bytes wide { 'T', 'P', 'F', '0', 1, 'T', 1, 'A', 1, 'P', 18, 0xFF, 0xFF, 0xFF, 0xFF };
    EXPECT_NE(ComponentStream::toText(span(wide))->error.find("unexpected end"), std::string::npos);
}

void expectFrames(AviVideo& video)
{
    ASSERT_EQ(video.Width(), test::kAviSize);
    ASSERT_EQ(video.Height(), test::kAviSize);
    ASSERT_EQ(video.FrameCount(), test::kAviFrames);
    EXPECT_EQ(video.MicroSecPerFrame(), 100000u);
    // In order, then backwards (decoded again from the first), then again.
    for (int frame : { 0, 1, 2, 3, 2, 0, 3, 1 }) {
        const auto& pixels = video.Frame(frame);
        for (int y = 0; y < test::kAviSize; ++y)
            for (int x = 0; x < test::kAviSize; ++x)
                ASSERT_EQ(pixels[std::size_t(y * test::kAviSize + x)],
                    test::aviPaletteColor(test::aviPixelIndex(x, y, frame)))
                    << "frame " << frame << " at " << x << "," << y;
    }
}

TEST(AviVideo, FramesEqualTheWrittenPixels)
{
    for (bool rle : { false, true }) {
        SCOPED_TRACE(rle ? "RLE8" : "uncompressed");
        const test::Bytes file = test::aviFile(rle);
        auto video = AviVideo::open(span(file));
        ASSERT_TRUE(video);
        EXPECT_EQ(video->Compression(), rle ? 1u : 0u);
        expectFrames(*video);
    }
}

TEST(AviVideo, DamagedFilesAreRefusedOrDrawnInPart)
{
    std::string why;
    EXPECT_FALSE(AviVideo::open(span(test::Bytes { 'R', 'I', 'F', 'F' }), &why));
    EXPECT_EQ(why, "not a RIFF AVI file");
    const test::Bytes file = test::aviFile(true);
    // Every cut either refuses or plays what is there.
    for (std::size_t size = 12; size < file.size(); size += 7) {
        test::Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit();
        auto video = AviVideo::open(span(cut));
        for (int frame = 0; video && frame < video->FrameCount(); ++frame) {
            EXPECT_EQ(video->Frame(frame).size(), std::size_t(test::kAviSize * test::kAviSize));
        }
    }
    // A size beyond the cap.
    test::Bytes huge = test::aviFile(false);
    const std::size_t strf = std::string(huge.begin(), huge.end()).find("strf") + 8;
    huge[strf + 6] = 0x10; // width 0x100010
    huge[strf + 10] = 0x10; // height 0x100010
    EXPECT_FALSE(AviVideo::open(span(huge), &why));
    EXPECT_EQ(why, "bad picture size");
    // An RLE8 frame that runs off the picture draws only inside it.
    test::Bytes wild = test::aviFile(true);
    const std::size_t frame = std::string(wild.begin(), wild.end()).find("00dc") + 8;
    wild[frame] = 0;
    wild[frame + 1] = 2;
    wild[frame + 2] = 200;
    wild[frame + 3] = 200;
    auto video = AviVideo::open(span(wild));
    ASSERT_TRUE(video);
    EXPECT_EQ(video->Frame(0).size(), std::size_t(test::kAviSize * test::kAviSize));
}

} // namespace
} // namespace ov
