// The resource reader over real PE files: the fixture DLL made by windres
// (tests/data/viewers), installer stubs and zlib DLLs from Debian packages,
// and, where icoutils is installed, wrestool's extraction of every resource.
#include "viewers/bitmap_resource.h"
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_sniff.h"
#include "viewers/resource_type.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

namespace ov {
namespace {

const std::string kData = OV_DATA_DIR "/viewers/";
const std::string kFixture = kData + "fixture.dll";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

std::string saved(TResourceItem& item)
{
    std::ostringstream out;
    item.SaveToStream(out);
    return std::move(out).str();
}

std::string hexPrefix(std::span<const uint8_t> bytes, std::size_t count)
{
    std::string out;
    char digits[4];
    for (std::size_t i = 0; i < count && i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        out += digits;
    }
    return out;
}

// Standard output of a shell command, and its exit status when asked.
std::string capture(const std::string& command, int* status = nullptr)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        const int result = ::pclose(pipe);
        if (status)
            *status = WEXITSTATUS(result);
    }
    return out;
}

struct Leaf {
    std::string path;
    TResourceItem* item;
};

// Every item below `list`, depth first, with its path of names.
void walk(TResourceList& list, const std::string& prefix, std::vector<Leaf>& out)
{
    for (int i = 0; i < list.Count(); ++i) {
        TResourceItem* item = list.Items(i);
        const std::string path = prefix + item->Name();
        out.push_back({ path, item });
        if (item->IsList())
            walk(item->List(), path + "/", out);
    }
}

TResourceItem* find(TExeImage& image, const std::string& path)
{
    std::vector<Leaf> all;
    walk(*image.Resources(), "", all);
    for (const auto& leaf : all)
        if (leaf.path == path)
            return leaf.item;
    return nullptr;
}

TEST(ResourceFixture, TreeInOrder)
{
    TExeImage image(kFixture);
    ASSERT_NE(image.Resources(), nullptr);
    EXPECT_EQ(image.Status(), TExeImage::StatusReadable);
    EXPECT_FALSE(image.IsPE32Plus());

    std::vector<Leaf> all;
    walk(*image.Resources(), "", all);
    struct Row {
        const char* path;
        const char* type; // class of the item
        uint32_t size;
        uint16_t language;
        const char* first; // first bytes in hex
    };
    const Row expected[] = {
        { "MYDATA", "TResourceItem", 0, 0, "" },
        { "MYDATA/README", "TResourceItem", 27, 1033, "6E616D6564" },
        { "Bitmap", "TResourceItem", 0, 0, "" },
        { "Bitmap/LOGO", "TBitMapResource", 320, 1033, "28000000" },
        { "Bitmap/4", "TBitMapResource", 100, 1033, "0C000000" },
        { "Bitmap/5", "TBitMapResource", 184, 1033, "7C000000" },
        { "Bitmap/8", "TBitMapResource", 1264, 1033, "28000000" },
        { "Bitmap/16", "TBitMapResource", 100, 1033, "28000000" },
        { "Bitmap/24", "TBitMapResource", 320, 1033, "28000000" },
        { "Menu", "TResourceItem", 0, 0, "" },
        { "Menu/100", "TMenuResource", 140, 1033, "00000000" },
        { "Dialog", "TResourceItem", 0, 0, "" },
        { "Dialog/200", "TResourceItem", 146, 1033, "C000C880" },
        { "String", "TResourceItem", 0, 0, "" },
        { "String/1", "TStringResource", 76, 1033, "0000" },
        { "String/7", "TStringResource", 74, 1033, "0A00" },
        { "Accelerators", "TResourceItem", 0, 0, "" },
        { "Accelerators/300", "TResourceItem", 16, 1033, "0900" },
        { "RCData", "TResourceItem", 0, 0, "" },
        { "RCData/1", "TResourceItem", 334, 1033, "424D" },
        { "RCData/2", "TResourceItem", 672, 1033, "FFD8FFE000104A46" },
        { "RCData/3", "TResourceItem", 261, 1033, "00010203" },
        { "RCData/7", "TResourceItem", 8, 1031, "4465757473636800" },
        { "Cursor", "TResourceItem", 0, 0, "" },
        { "Cursor/7", "TCursorResource", 0, 1033, "" },
        { "Cursor/7/32 X 32 1 Bit(s)", "TCursorResEntry", 308, 1033, "05000900" },
        { "Icon", "TResourceItem", 0, 0, "" },
        { "Icon/MAINICON", "TIconResource", 0, 1033, "" },
        { "Icon/MAINICON/16 X 16 16 Colors", "TIconResEntry", 296, 1033, "28000000" },
        { "Icon/MAINICON/32 X 32 0 Colors", "TIconResEntry", 2216, 1033, "28000000" },
        { "Icon/MAINICON/48 X 48 0 Colors", "TIconResEntry", 9640, 1033, "28000000" },
        { "Icon/1", "TIconResource", 0, 1033, "" },
        { "Icon/1/16 X 16 16 Colors", "TIconResEntry", 296, 1033, "28000000" },
        { "Icon/1/32 X 32 0 Colors", "TIconResEntry", 2216, 1033, "28000000" },
        { "Icon/1/48 X 48 0 Colors", "TIconResEntry", 9640, 1033, "28000000" },
        { "Icon/2", "TIconResource", 0, 1033, "" },
        { "Icon/2/32 X 32 2 Colors", "TIconResEntry", 304, 1033, "28000000" },
        { "Version", "TResourceItem", 0, 0, "" },
        { "Version/1", "TResourceItem", 460, 1033, "CC013400" },
        { "300", "TResourceItem", 0, 0, "" },
        { "300/1", "TResourceItem", 8, 1033, "0100020003000400" },
    };
    ASSERT_EQ(all.size(), std::size(expected));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Row& row = expected[i];
        TResourceItem& item = *all[i].item;
        SCOPED_TRACE(row.path);
        EXPECT_EQ(all[i].path, row.path);
        EXPECT_NE(std::string(typeid(item).name()).find(row.type), std::string::npos) << typeid(item).name();
        EXPECT_EQ(item.Size(), row.size);
        EXPECT_EQ(item.Language(), row.language);
        const std::string first = row.first;
        EXPECT_EQ(hexPrefix(item.RawData(), first.size() / 2), first);
        if (!item.IsList()) {
            EXPECT_TRUE(item.RawDataComplete());
            EXPECT_EQ(item.RawData().size(), item.Size());
        }
    }
    // The icon and cursor images are set apart from the types.
    ASSERT_NE(image.IconPool(), nullptr);
    ASSERT_NE(image.CursorPool(), nullptr);
    EXPECT_EQ(image.IconPool()->List().Count(), 7);
    EXPECT_EQ(image.CursorPool()->List().Count(), 1);
}

TEST(ResourceFixture, NamesAndQualifiedNames)
{
    TExeImage image(kFixture);
    EXPECT_EQ(find(image, "Bitmap")->QualifiedName(), "Bitmap");
    EXPECT_EQ(find(image, "Bitmap/8")->QualifiedName(), "#8");
    EXPECT_EQ(find(image, "Bitmap/LOGO")->QualifiedName(), "LOGO");
    EXPECT_EQ(find(image, "300")->QualifiedName(), "#300");
    EXPECT_EQ(find(image, "MYDATA")->QualifiedName(), "MYDATA");
    EXPECT_EQ(find(image, "MYDATA/README")->NameUtf16(), u"README");
    // A named type takes the generic class whatever its items.
    EXPECT_EQ(find(image, "MYDATA")->List().ResType() & 0x80000000u, 0x80000000u);
    EXPECT_THROW(
        {
            try {
                find(image, "Bitmap/8")->List();
            } catch (const EExeError& error) {
                EXPECT_STREQ(error.what(), "ResourceItem is not a list");
                throw;
            }
        },
        EExeError);
}

TEST(ResourceFixture, TwoLanguagesShowTheFirst)
{
    TExeImage image(kFixture);
    TResourceItem* item = find(image, "RCData/7");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->LanguageCount(), 2);
    EXPECT_EQ(item->Language(), 1031);
    EXPECT_EQ(saved(*item), std::string("Deutsch\0", 8));
}

TEST(ResourceFixture, StringTablesAndMenusAsText)
{
    TExeImage image(kFixture);
    std::vector<std::string> lines;
    find(image, "String/7")->AssignTo(lines);
    EXPECT_EQ(lines, (std::vector<std::string> { "96,  \"ninety-six\"", "99,  \"ninety-nine\"" }));
    find(image, "String/1")->AssignTo(lines);
    EXPECT_EQ(lines, (std::vector<std::string> { "1,  \"Hello\"", "2,  \"Grüße, Привет, 😀\"" }));

    find(image, "Menu/100")->AssignTo(lines);
    const std::vector<std::string> menu = {
        "POPUP \"&File\"",
        "  MENUITEM \"&Open\",  101",
        "  MENUITEM SEPARATOR",
        "  POPUP \"&Recent\"",
        "    MENUITEM \"First\",  111",
        "    MENUITEM \"Second\",  112",
        "  ENDPOPUP",
        "  MENUITEM \"E&xit\",  102",
        "ENDPOPUP",
        "POPUP \"&Help\"",
        "  MENUITEM \"&About\",  201",
        "ENDPOPUP",
    };
    EXPECT_EQ(lines, menu);
    // Rendering twice gives the same text: the indent state starts afresh.
    find(image, "Menu/100")->AssignTo(lines);
    EXPECT_EQ(lines, menu);

    EXPECT_THROW(find(image, "RCData/3")->AssignTo(lines), EConvertError);
}

TEST(ResourceFixture, SavedBitmapsEqualTheirSourceFiles)
{
    TExeImage image(kFixture);
    const std::pair<const char*, const char*> cases[] = {
        { "Bitmap/8", "bmp8.bmp" }, // 8-bit, colour count 0: pixels at 1078
        { "Bitmap/24", "bmp24.bmp" }, // 24-bit: pixels at 54
        { "Bitmap/4", "core4.bmp" }, // 12-byte core header, 3-byte colours
        { "Bitmap/16", "bf16.bmp" }, // 40-byte header with three masks
        { "Bitmap/5", "v5.bmp" }, // 124-byte V5 header
        { "Bitmap/LOGO", "bmp24.bmp" },
    };
    for (const auto& [path, file] : cases) {
        SCOPED_TRACE(path);
        TResourceItem* item = find(image, path);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(saved(*item), readFile(kData + file));
    }
    const std::string bmp8 = saved(*find(image, "Bitmap/8"));
    EXPECT_EQ(static_cast<uint8_t>(bmp8[10]) | static_cast<uint8_t>(bmp8[11]) << 8, 1078);

    ResourcePicture picture;
    find(image, "Bitmap/24")->AssignTo(picture);
    EXPECT_EQ(picture.format, "BMP");
    EXPECT_EQ(std::string(picture.bytes.begin(), picture.bytes.end()), readFile(kData + "bmp24.bmp"));
}

TEST(ResourceFixture, SaveToFileWritesWhatTheStreamGets)
{
    TExeImage image(kFixture);
    const auto folder = std::filesystem::temp_directory_path() / ("ov-res-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "raw.dat").string();
    find(image, "RCData/3")->SaveToFile(file);
    EXPECT_EQ(readFile(file), readFile(kData + "raw.bin"));
    // A folder in the way of the file is reported, not passed over.
    std::filesystem::create_directories(folder / "taken");
    EXPECT_THROW(find(image, "RCData/3")->SaveToFile((folder / "taken").string()), EExeError);
    std::filesystem::remove_all(folder);
}

TEST(ResourceFixture, RCDataIsSniffed)
{
    TExeImage image(kFixture);
    EXPECT_EQ(sniffResource(find(image, "RCData/1")->RawData()), ResourceContent::Bitmap);
    EXPECT_EQ(sniffResource(find(image, "RCData/2")->RawData()), ResourceContent::Jpeg);
    EXPECT_EQ(sniffResource(find(image, "RCData/3")->RawData()), ResourceContent::Raw);
    EXPECT_EQ(saved(*find(image, "RCData/2")), readFile(kData + "photo.jpg"));

    const std::string avi("RIFF\x10\0\0\0AVI LIST", 16);
    const std::string tpf = "TPF0\x06TForm1";
    auto span = [](const std::string& text) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(sniffResource(span(avi)), ResourceContent::Avi);
    EXPECT_EQ(sniffResource(span(tpf)), ResourceContent::ComponentStream);
    EXPECT_EQ(sniffResource(span("B")), ResourceContent::Raw);
    EXPECT_EQ(sniffResource(span(std::string("RIFF\x10\0\0\0WAVE", 12))), ResourceContent::Raw);
}

// Real files from Debian packages: NSIS installer stubs (PE32 and PE32+) and
// zlib1.dll built for both widths.
struct RealFile {
    const char* path;
    bool pe32Plus;
    const char* types; // root types in order
};

const RealFile kRealFiles[] = {
    { "/usr/share/nsis/Stubs/zlib-x86-unicode", false, "Bitmap Dialog Icon" },
    { "/usr/share/nsis/Stubs/zlib-amd64-unicode", true, "Bitmap Dialog Icon" },
    { "/usr/i686-w64-mingw32/lib/zlib1.dll", false, "Version" },
    { "/usr/x86_64-w64-mingw32/lib/zlib1.dll", true, "Version" },
};

bool present(const char* path)
{
    if (std::filesystem::exists(path))
        return true;
    if (std::getenv("CI"))
        ADD_FAILURE() << path << " is missing; scripts/deps installs it";
    return false;
}

TEST(ResourceRealFiles, TreesOfInstalledImages)
{
    for (const auto& file : kRealFiles) {
        SCOPED_TRACE(file.path);
        if (!present(file.path))
            continue;
        TExeImage image(file.path);
        TResourceList* root = image.Resources();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(image.IsPE32Plus(), file.pe32Plus);
        std::string types;
        for (int i = 0; i < root->Count(); ++i)
            types += (i ? " " : "") + root->Items(i)->Name();
        EXPECT_EQ(types, file.types);
        std::vector<Leaf> all;
        walk(*root, "", all);
        for (const auto& leaf : all) {
            if (!leaf.item->IsList()) {
                EXPECT_TRUE(leaf.item->RawDataComplete()) << leaf.path;
            }
        }
    }
    const std::string stub = "/usr/share/nsis/Stubs/zlib-amd64-unicode";
    if (present(stub.c_str())) {
        TExeImage image(stub);
        EXPECT_EQ(find(image, "Icon/103/32 X 32 16 Colors")->Size(), 744u);
        EXPECT_EQ(find(image, "Dialog")->List().Count(), 9);
        // The bitmap saves as a file whose pixels follow its 16-colour table.
        const std::string bmp = saved(*find(image, "Bitmap/110"));
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(bmp.size(), 872u + 14);
    }
}

// wrestool (icoutils) extracts each leaf by type, name and language; our raw
// bytes must be the same.
std::string wrestool(
    const std::string& file, const std::string& type, const std::string& name, uint16_t language)
{
    return capture("wrestool -x --raw --type='" + type + "' --name='" + name
        + "' --language=" + std::to_string(language) + " '" + file + "' 2>/dev/null");
}

std::string typeKey(TResourceItem& type)
{
    return type.HasIntegerName() ? std::to_string(type.NameValue()) : type.Name();
}

void compareLeaves(const std::string& file, TResourceList& list, const std::string& type, int& compared)
{
    for (int i = 0; i < list.Count(); ++i) {
        TResourceItem& item = *list.Items(i);
        if (item.IsList())
            continue;
        const std::string name = item.HasIntegerName() ? std::to_string(item.NameValue()) : item.Name();
        const auto raw = item.RawData();
        EXPECT_EQ(wrestool(file, type, name, item.Language()), std::string(raw.begin(), raw.end()))
            << file << " type " << type << " name " << name;
        ++compared;
    }
}

TEST(ResourceRealFiles, RawBytesMatchWrestool)
{
    if (std::system("wrestool --version >/dev/null 2>&1") != 0) {
        if (std::getenv("CI"))
            FAIL() << "wrestool (icoutils) is missing; scripts/deps installs it";
        GTEST_SKIP() << "wrestool is not installed";
    }
    std::vector<std::string> files = { kFixture };
    for (const auto& real : kRealFiles)
        if (std::filesystem::exists(real.path))
            files.push_back(real.path);
    for (const auto& file : files) {
        TExeImage image(file);
        int compared = 0;
        TResourceList& root = *image.Resources();
        for (int i = 0; i < root.Count(); ++i) {
            TResourceItem& type = *root.Items(i);
            // Groups are lists on screen; their own data is compared too.
            if (type.NameValue() == rtIcon || type.NameValue() == rtCursor) {
                TResourceList& groups = type.List();
                for (int g = 0; g < groups.Count(); ++g) {
                    TResourceItem& group = *groups.Items(g);
                    const std::string name
                        = group.HasIntegerName() ? std::to_string(group.NameValue()) : group.Name();
                    const auto raw = group.RawData();
                    EXPECT_EQ(wrestool(file, typeKey(type), name, group.Language()),
                        std::string(raw.begin(), raw.end()));
                    ++compared;
                }
                continue;
            }
            if (type.IsList())
                compareLeaves(file, type.List(), typeKey(type), compared);
        }
        for (TResourceItem* pool : { image.IconPool(), image.CursorPool() })
            if (pool)
                compareLeaves(file, pool->List(), typeKey(*pool), compared);
        EXPECT_GT(compared, 0) << file;
    }
}

} // namespace
} // namespace ov

namespace ov {
namespace {

// ovtool res over the fixture and the installed real files.
std::string runTool(const std::string& arguments, int* status = nullptr)
{
    return capture(OV_BINARY_DIR "/cli/ovtool res " + arguments + " 2>&1", status);
}

TEST(ResourceTool, ListsTreesAndSavesOneResource)
{
    if (!std::filesystem::exists(OV_BINARY_DIR "/cli/ovtool")) {
        if (std::getenv("CI"))
            FAIL() << "ovtool is not built";
        GTEST_SKIP() << "ovtool is not built";
    }
    const std::string tree = runTool("'" + kFixture + "'");
    for (const char* line : { ": PE32\n", "Bitmap (6)\n", "  8  lang=1033 size=1264 rva=0x6AF0\n",
             "  7  lang=1031+1 size=8 rva=0xD878\n", "    32 X 32 1 Bit(s)  lang=1033 size=308",
             "      96,  \"ninety-six\"\n", "        POPUP \"&Recent\"\n", "      ENDPOPUP\n",
             "MYDATA (1)\n" })
        EXPECT_NE(tree.find(line), std::string::npos) << line << "\n" << tree;

    int status = -1;
    EXPECT_EQ(runTool("'" + kFixture + "' Bitmap/8", &status), readFile(kData + "bmp8.bmp"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(runTool("'" + kFixture + "' 'Cursor/7/32 X 32 1 Bit(s)'"), readFile(kData + "pointer.cur"));
    runTool("'" + kFixture + "' Bitmap/99", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(runTool("'" + kData + "raw.bin'", &status), "ovtool res: unrecognized file format\n");
    EXPECT_EQ(status, 1);

    // A FIFO: a clear message at once, never a wait for a writer.
    const std::string fifo
        = std::filesystem::temp_directory_path() / ("ov-res-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(capture("timeout 20 " OV_BINARY_DIR "/cli/ovtool res '" + fifo + "' 2>&1", &status),
        "ovtool res: " + fifo + ": not a regular file\n");
    EXPECT_EQ(status, 1);
    ::unlink(fifo.c_str());

    for (const auto& file : kRealFiles) {
        if (!present(file.path))
            continue;
        const std::string listing = runTool(file.path);
        EXPECT_NE(listing.find(file.pe32Plus ? ": PE32+\n" : ": PE32\n"), std::string::npos) << listing;
        const std::string firstType = std::string(file.types).substr(0, std::string(file.types).find(' '));
        EXPECT_NE(listing.find("\n" + firstType + " (1)\n"), std::string::npos) << listing;
    }
}

} // namespace
} // namespace ov
