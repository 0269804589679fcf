// The resource reader over malformed images written by the test's PE
// builder: truncations, huge counts, cycles, offsets outside the file, odd
// names and every bitmap header size. Each case must list what it can and
// never read outside the image (the sanitizers watch).
#include "tests/viewers/pe_builder.h"
#include "viewers/bitmap_resource.h"
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ov {
namespace {

using test::oneResource;
using test::PeImage;
using test::ResourceBlob;

constexpr uint32_t kDir = 0x80000000u;

std::unique_ptr<TExeImage> open(const ResourceBlob& blob, bool pe32Plus = false)
{
    PeImage pe;
    pe.resources = blob.bytes;
    pe.pe32Plus = pe32Plus;
    return std::make_unique<TExeImage>(pe.build(), "test.exe");
}

std::string saved(TResourceItem& item)
{
    std::ostringstream out;
    item.SaveToStream(out);
    return std::move(out).str();
}

// Counts every item reachable from `list`, groups included.
std::size_t walkAll(TResourceList& list)
{
    std::size_t count = 0;
    for (int i = 0; i < list.Count(); ++i) {
        TResourceItem& item = *list.Items(i);
        ++count;
        item.Name();
        item.Size();
        item.RawData();
        if (item.IsList())
            count += walkAll(item.List());
    }
    return count;
}

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EExeError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(ResourceOpen, HeaderFailures)
{
    const std::string text = "This is not a program.\n";
    EXPECT_EQ(errorOf([&] { TExeImage(std::vector<uint8_t>(text.begin(), text.end()), "a.exe"); }),
        "unrecognized file format");
    EXPECT_EQ(errorOf([] { TExeImage(std::vector<uint8_t>(), "empty.exe"); }), "CreateFileMapping failed");
    EXPECT_EQ(
        errorOf([] { TExeImage("/nonexistent/ov/file.exe"); }), "Couldn't open: /nonexistent/ov/file.exe");

    // "MZ" without a readable PE header: not an error, Status 2.
    const std::vector<std::vector<uint8_t>> notPe = {
        { 'M', 'Z' },
        [] {
            std::vector<uint8_t> bytes(0x40, 0);
            bytes[0] = 'M', bytes[1] = 'Z', bytes[0x3C] = 0xF0, bytes[0x3F] = 0x7F; // header past the end
            return bytes;
        }(),
        [] {
            std::vector<uint8_t> bytes = PeImage {}.build();
            bytes[0x40] = 'N', bytes[0x41] = 'E'; // a 16-bit image
            return bytes;
        }(),
        [] {
            std::vector<uint8_t> bytes = PeImage {}.build();
            bytes.resize(0x40 + 20); // header cut short
            return bytes;
        }(),
    };
    for (const auto& bytes : notPe) {
        TExeImage image(bytes, "x.exe");
        EXPECT_EQ(image.Status(), TExeImage::StatusNotPE);
        EXPECT_EQ(image.Resources(), nullptr);
    }
}

TEST(ResourceOpen, FilesOnDiskAreReadOrMapped)
{
    const auto folder = std::filesystem::temp_directory_path() / ("ov-resopen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    PeImage pe;
    pe.resources = oneResource(10, 5, "data").bytes;
    auto bytes = pe.build();
    const std::string small = (folder / "small.exe").string();
    std::ofstream(small, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    // A file above the read limit is mapped; its resources read the same.
    bytes.resize(TExeImage::kReadLimit + 4096, 0);
    const std::string large = (folder / "large.exe").string();
    std::ofstream(large, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    for (const auto& file : { small, large }) {
        TExeImage image(file);
        ASSERT_NE(image.Resources(), nullptr) << file;
        EXPECT_EQ(saved(*image.Resources()->Items(0)->List().Items(0)), "data");
    }
    EXPECT_EQ(errorOf([&] { TExeImage image(folder.string()); }), "CreateFileMapping failed");
    std::filesystem::remove_all(folder);
}

// A FIFO is refused at once instead of waiting in open() for a writer that
// never comes; a device likewise. Run in a child under an alarm, so a
// regression fails instead of hanging the suite.
TEST(ResourceOpen, AFifoOrADeviceIsRefusedAtOnce)
{
    const auto folder = std::filesystem::temp_directory_path() / ("ov-resfifo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "pipe.exe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : { fifo, std::string("/dev/zero") }) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(10);
            ::_exit(errorOf([&] { TExeImage image(path); }) == "CreateFileMapping failed" ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << path << " status " << status;
    }
    std::filesystem::remove_all(folder);
}

TEST(ResourceOpen, SectionTableFollowsTheOptionalHeader)
{
    struct Case {
        const char* name;
        bool pe32Plus;
        uint16_t extra;
    };
    const Case cases[]
        = { { "PE32", false, 0 }, { "PE32+", true, 0 }, { "PE32 with a longer optional header", false, 32 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeImage pe;
        pe.resources = oneResource(10, 5, "data").bytes;
        pe.pe32Plus = c.pe32Plus;
        pe.extraOptional = c.extra;
        TExeImage image(pe.build(), "x.exe");
        ASSERT_NE(image.Resources(), nullptr);
        EXPECT_EQ(image.IsPE32Plus(), c.pe32Plus);
        EXPECT_EQ(image.Resources()->Items(0)->Name(), "RCData");
    }
}

TEST(ResourceOpen, NoResourceSection)
{
    struct Case {
        const char* name;
        std::function<void(PeImage&)> change;
    };
    const Case cases[] = {
        { "section of another name", [](PeImage& pe) { pe.sectionName = ".rsrc2"; } },
        { "no sections", [](PeImage& pe) { pe.sectionCount = 0; } },
        { "section table past the end",
            [](PeImage& pe) {
                pe.sectionCount = 0xFFFF;
                pe.sectionName = ".data";
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeImage pe;
        pe.resources = oneResource(10, 5, "data").bytes;
        c.change(pe);
        TExeImage image(pe.build(), "x.exe");
        EXPECT_EQ(image.Resources(), nullptr);
        EXPECT_EQ(image.Status(), TExeImage::StatusNoResources);
    }
    // The name is compared without regard to case.
    PeImage pe;
    pe.resources = oneResource(10, 5, "data").bytes;
    pe.sectionName = ".RSRC";
    EXPECT_NE(TExeImage(pe.build(), "x.exe").Resources(), nullptr);
}

// One malformed tree per row; `check` looks at what was listed.
struct HostileCase {
    const char* name;
    std::function<void(ResourceBlob&)> write;
    std::function<void(TExeImage&)> check;
};

TEST(ResourceHostile, Table)
{
    const HostileCase cases[] = {
        { "empty root directory", [](ResourceBlob& b) { b.directory(0, 0, 0); },
            [](TExeImage& image) {
                EXPECT_EQ(image.Status(), TExeImage::StatusReadable);
                EXPECT_EQ(image.Resources()->Count(), 0);
            } },
        { "section shorter than a directory", [](ResourceBlob& b) { b.bytes.assign(10, 0); },
            [](TExeImage& image) { EXPECT_EQ(image.Resources()->Count(), 0); } },
        { "root counts of 0xFFFF list only the entries in the file",
            [](ResourceBlob& b) {
                b.directory(0, 0xFFFF, 0xFFFF);
                for (uint32_t i = 0; i < 3; ++i)
                    b.entry(16 + 8 * i, 20 + i, 0x100);
            },
            [](TExeImage& image) {
                EXPECT_EQ(image.Resources()->Count(), 3);
                EXPECT_EQ(image.Resources()->Items(2)->Name(), "22");
            } },
        { "type with an empty directory is an empty list",
            [](ResourceBlob& b) {
                b.directory(0, 0, 1);
                b.entry(16, 10, kDir | 0x18);
                b.directory(0x18, 0, 0);
            },
            [](TExeImage& image) {
                TResourceItem& type = *image.Resources()->Items(0);
                EXPECT_TRUE(type.IsList());
                EXPECT_EQ(type.List().Count(), 0);
            } },
        { "directory pointing back at the root",
            [](ResourceBlob& b) {
                b.directory(0, 0, 1);
                b.entry(16, 10, kDir | 0);
            },
            [](TExeImage& image) {
                TResourceItem& type = *image.Resources()->Items(0);
                EXPECT_FALSE(type.IsList());
                EXPECT_EQ(type.Size(), 0u);
                EXPECT_EQ(saved(type), "");
            } },
        { "cycle two levels down",
            [](ResourceBlob& b) {
                b.directory(0, 0, 1);
                b.entry(16, 10, kDir | 0x18);
                b.directory(0x18, 0, 1);
                b.entry(0x28, 1, kDir | 0x30);
                b.directory(0x30, 0, 1);
                b.entry(0x40, 1033, kDir | 0x18); // back to the names
            },
            [](TExeImage& image) { EXPECT_LT(walkAll(*image.Resources()), 10u); } },
        { "directories nested deeper than the cap",
            [](ResourceBlob& b) {
                for (uint32_t level = 0; level < 20; ++level) {
                    b.directory(level * 24, 0, 1);
                    b.entry(level * 24 + 16, 5, kDir | ((level + 1) * 24));
                }
            },
            [](TExeImage& image) {
                int depth = 0;
                TResourceList* list = image.Resources();
                while (list->Count() && list->Items(0)->IsList()) {
                    list = &list->Items(0)->List();
                    ++depth;
                }
                EXPECT_EQ(depth, int(TExeImage::kMaxDepth) - 1);
            } },
        { "shared directories cannot make more than the item cap",
            [](ResourceBlob& b) {
                // Three levels of 0xFFFF entries each pointing at the next
                // shared directory: 2^48 paths through 16 bytes each.
                b.directory(0, 0, 0xFFFF);
                b.directory(0x80000, 0, 0xFFFF);
                b.directory(0x100000, 0, 0xFFFF);
                for (uint32_t i = 0; i < 0xFFFF; ++i) {
                    b.entry(16 + 8 * i, 100 + i, kDir | 0x80000);
                    b.entry(0x80010 + 8 * i, i, kDir | 0x100000);
                    b.entry(0x100010 + 8 * i, i, 0x180000);
                }
                b.dataEntry(0x180000, 0x1000, 4);
            },
            [](TExeImage& image) { EXPECT_EQ(walkAll(*image.Resources()), TExeImage::kMaxItems); } },
        { "name string outside the file",
            [](ResourceBlob& b) {
                b.bytes = oneResource(10, 0, "data").bytes;
                b.entry(0x28, kDir | 0x7FFFFF00, kDir | 0x30);
            },
            [](TExeImage& image) {
                EXPECT_EQ(image.Resources()->Items(0)->List().Items(0)->Name(), "#2147483392");
            } },
        { "name longer than the file, odd names",
            [](ResourceBlob& b) {
                b.directory(0, 3, 0);
                b.entry(16, kDir | 0x40, 0x100);
                b.entry(24, kDir | 0x50, 0x100);
                b.entry(32, kDir | 0x60, 0x100);
                b.name(0x40, "ABC");
                b.put16(0x50, 0); // empty name
                b.put16(0x60, 9); // runs one byte past the end
                b.putBytes(0x62, std::string(17, 'x'));
            },
            [](TExeImage& image) {
                TResourceList& root = *image.Resources();
                EXPECT_EQ(root.Items(0)->Name(), "ABC");
                EXPECT_EQ(root.Items(1)->Name(), "");
                EXPECT_EQ(root.Items(2)->Name(), "#96");
            } },
        { "leaf data outside the file keeps its size",
            [](ResourceBlob& b) {
                b.bytes = oneResource(10, 5, "data").bytes;
                b.dataEntry(0x48, 0x7FFF0000, 1000);
            },
            [](TExeImage& image) {
                TResourceItem& leaf = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_EQ(leaf.Size(), 1000u);
                EXPECT_TRUE(leaf.RawData().empty());
                EXPECT_FALSE(leaf.RawDataComplete());
                EXPECT_EQ(errorOf([&] { saved(leaf); }), "Resource data lies outside the file");
            } },
        { "leaf data running past the end",
            [](ResourceBlob& b) {
                b.bytes = oneResource(2, 5, "0123456789").bytes;
                b.dataEntry(0x48, 0x1000 + 0x58, 100);
            },
            [](TExeImage& image) {
                TResourceItem& leaf = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_EQ(leaf.Size(), 100u);
                EXPECT_EQ(leaf.RawData().size(), 10u);
                EXPECT_EQ(errorOf([&] { saved(leaf); }), "Resource data lies outside the file");
                const auto folder
                    = std::filesystem::temp_directory_path() / ("ov-half-" + std::to_string(::getpid()));
                std::filesystem::create_directories(folder);
                EXPECT_EQ(errorOf([&] { leaf.SaveToFile((folder / "x.bmp").string()); }),
                    "Resource data lies outside the file");
                EXPECT_FALSE(std::filesystem::exists(folder / "x.bmp"));
                std::filesystem::remove_all(folder);
            } },
        { "data RVA below the section",
            [](ResourceBlob& b) {
                b.bytes = oneResource(10, 5, "data").bytes;
                b.dataEntry(0x48, 0x10, 4);
            },
            [](TExeImage& image) {
                TResourceItem& leaf = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_TRUE(leaf.RawData().empty());
                EXPECT_FALSE(leaf.RawDataComplete());
            } },
        { "data entry outside the file",
            [](ResourceBlob& b) {
                b.bytes = oneResource(10, 5, "data").bytes;
                b.entry(0x40, 1033, 0x7FFFFFF0);
            },
            [](TExeImage& image) {
                TResourceItem& leaf = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_FALSE(leaf.IsList());
                EXPECT_EQ(leaf.Size(), 0u);
                EXPECT_EQ(saved(leaf), "");
            } },
        { "language directory outside the file",
            [](ResourceBlob& b) {
                b.bytes = oneResource(10, 5, "data").bytes;
                b.entry(0x28, 5, kDir | 0x7FFFFFF0);
            },
            [](TExeImage& image) {
                TResourceItem& name = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_EQ(walkAll(name.List()), 0u);
            } },
        { "icon group counts are clamped to the group",
            [](ResourceBlob& b) {
                // Root: type 3 (pool, image id 1) and type 14 (group 1).
                b.directory(0, 0, 2);
                b.entry(0x10, 3, kDir | 0x20);
                b.entry(0x18, 14, kDir | 0x50);
                b.directory(0x20, 0, 1);
                b.entry(0x30, 1, kDir | 0x38);
                b.directory(0x38, 0, 1);
                b.entry(0x48, 1033, 0x100);
                b.directory(0x50, 0, 1);
                b.entry(0x60, 1, kDir | 0x68);
                b.directory(0x68, 0, 1);
                b.entry(0x78, 1033, 0x110);
                b.dataEntry(0x100, 0x1000 + 0x200, 40);
                b.dataEntry(0x110, 0x1000 + 0x300, 6 + 14 * 2);
                b.put16(0x304, 0xFFFF); // count
                b.put16(0x306 + 12, 1);
                b.put16(0x306 + 14 + 12, 9); // no such image
                b.put32(0x200, 40);
                b.put32(0x204, 32);
                b.put32(0x208, 64);
                b.bytes.resize(0x340);
            },
            [](TExeImage& image) {
                TResourceList& root = *image.Resources();
                ASSERT_EQ(root.Count(), 1);
                TResourceList& group = root.Items(0)->List().Items(0)->List();
                ASSERT_EQ(group.Count(), 1);
                EXPECT_EQ(group.Items(0)->Name(), "0 X 0 0 Colors");
                EXPECT_EQ(group.Items(0)->Size(), 40u);
            } },
        { "icon group without an icon pool lists nothing",
            [](ResourceBlob& b) {
                b.bytes = oneResource(14, 1,
                    std::string("\0\0\1\0\1\0"
                                "\x20\x20\x10\0\1\0\4\0\xE8\2\0\0\1\0",
                        20))
                              .bytes;
            },
            [](TExeImage& image) {
                TResourceItem& group = *image.Resources()->Items(0)->List().Items(0);
                EXPECT_TRUE(group.IsList());
                EXPECT_EQ(group.List().Count(), 0);
                EXPECT_EQ(image.IconPool(), nullptr);
            } },
        { "cursor data shorter than its hotspot",
            [](ResourceBlob& b) { b.bytes = oneResource(1, 1, "ab").bytes; },
            [](TExeImage& image) {
                TResourceItem& cursor = *image.CursorPool()->List().Items(0);
                const std::string file = saved(cursor);
                ASSERT_EQ(file.size(), 22u);
                EXPECT_EQ(file[2], 2); // a cursor file
            } },
        { "menu cut inside a text and a popup never closed",
            [](ResourceBlob& b) {
                b.bytes = oneResource(4, 1, std::string("\0\0\0\0\x10\0F\0\0\0\0\0\1\0O\0p\0", 18)).bytes;
            },
            [](TExeImage& image) {
                std::vector<std::string> lines;
                image.Resources()->Items(0)->List().Items(0)->AssignTo(lines);
                EXPECT_EQ(lines, (std::vector<std::string> { "POPUP \"F\"", "  MENUITEM \"Op\",  1" }));
            } },
        { "menu items after the outermost level ended are not read",
            [](ResourceBlob& b) {
                b.bytes
                    = oneResource(4, 1, std::string("\0\0\0\0\x80\0\7\0A\0\0\0\0\0\x08\0B\0\0\0", 20)).bytes;
            },
            [](TExeImage& image) {
                std::vector<std::string> lines;
                image.Resources()->Items(0)->List().Items(0)->AssignTo(lines);
                EXPECT_EQ(lines, (std::vector<std::string> { "MENUITEM \"A\",  7" }));
            } },
        { "extended menu",
            [](ResourceBlob& b) {
                std::string menu("\1\0\4\0\0\0\0\0", 8);
                // popup "P" (last at its level), help id, then item "I" id 5 (last).
                menu += std::string("\0\0\0\0\0\0\0\0\0\0\0\0\x81\0P\0\0\0", 18) + std::string(2, '\0')
                    + std::string(4, '\0');
                menu += std::string("\0\0\0\0\0\0\0\0\5\0\0\0\x80\0I\0\0\0", 18) + std::string(2, '\0');
                b.bytes = oneResource(4, 1, menu).bytes;
            },
            [](TExeImage& image) {
                std::vector<std::string> lines;
                image.Resources()->Items(0)->List().Items(0)->AssignTo(lines);
                EXPECT_EQ(
                    lines, (std::vector<std::string> { "POPUP \"P\"", "  MENUITEM \"I\",  5", "ENDPOPUP" }));
            } },
        { "string block cut short",
            [](ResourceBlob& b) { b.bytes = oneResource(6, 2, std::string("\0\0\3\0a\0b\0", 8)).bytes; },
            [](TExeImage& image) {
                std::vector<std::string> lines;
                image.Resources()->Items(0)->List().Items(0)->AssignTo(lines);
                EXPECT_EQ(lines, (std::vector<std::string> { "17,  \"ab\"" }));
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResourceBlob blob;
        c.write(blob);
        auto image = open(blob);
        ASSERT_NE(image->Resources(), nullptr);
        c.check(*image);
    }
}

TEST(ResourceHostile, BitmapPixelOffsetForEveryHeader)
{
    struct Case {
        const char* name;
        uint32_t headerSize;
        uint16_t bitCount;
        uint32_t compression;
        uint32_t coloursUsed;
        uint32_t offset;
    };
    const Case cases[] = {
        { "core 1-bit", 12, 1, 0, 0, 14 + 12 + 2 * 3 },
        { "core 24-bit", 12, 24, 0, 0, 14 + 12 },
        { "info 24-bit", 40, 24, 0, 0, 54 },
        { "info 8-bit, colours 0", 40, 8, 0, 0, 1078 },
        { "info 8-bit, 16 colours used", 40, 8, 0, 16, 54 + 64 },
        { "info 4-bit", 40, 4, 0, 0, 54 + 64 },
        { "info 16-bit bit fields", 40, 16, 3, 0, 54 + 12 },
        { "info 32-bit bit fields", 40, 32, 3, 0, 54 + 12 },
        { "V2 (52) bit fields", 52, 16, 3, 0, 14 + 52 },
        { "V3 (56) bit fields", 56, 32, 3, 0, 14 + 56 },
        { "OS/2 2.x (64) 8-bit", 64, 8, 0, 0, 14 + 64 + 1024 },
        { "OS/2 2.x (16) 4-bit", 16, 4, 0, 0, 14 + 16 + 64 },
        { "V4 (108) 32-bit", 108, 32, 3, 0, 14 + 108 },
        { "V5 (124) 8-bit", 124, 8, 0, 0, 14 + 124 + 1024 },
        { "header size 0 reads as a core header", 0, 8, 0, 0, 14 + 12 },
        { "huge colour count", 40, 8, 0, 0xFFFFFFFF, 0xFFFFFFFF },
        { "huge header size", 0xFFFFFFF0, 8, 0, 0, 0xFFFFFFFF },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResourceBlob dib;
        dib.put32(0, c.headerSize);
        if (c.headerSize == 12) {
            dib.put16(8, 1);
            dib.put16(10, c.bitCount);
        } else {
            dib.put16(12, 1);
            dib.put16(14, c.bitCount);
            dib.put32(16, c.compression);
            dib.put32(32, c.coloursUsed);
        }
        dib.bytes.resize(c.headerSize >= 16 && c.headerSize <= 124 ? c.headerSize : 40);
        EXPECT_EQ(TBitMapResource::pixelOffset(dib.bytes), c.offset);
    }
    // Too short to hold any header: the core layout with no colours.
    EXPECT_EQ(TBitMapResource::pixelOffset({}), 26u);
    const uint8_t three[3] = { 40, 0, 0 };
    EXPECT_EQ(TBitMapResource::pixelOffset(three), 26u);

    // Through the whole save: file size and offset in the written header.
    ResourceBlob dib;
    dib.put32(0, 40);
    dib.put16(14, 24);
    dib.bytes.resize(40 + 12);
    ResourceBlob blob = oneResource(2, 1, std::string(dib.bytes.begin(), dib.bytes.end()));
    auto image = open(blob);
    const std::string file = saved(*image->Resources()->Items(0)->List().Items(0));
    ASSERT_EQ(file.size(), 14u + 52);
    EXPECT_EQ(file.substr(0, 6), std::string("BM\x42\0\0\0", 6));
    EXPECT_EQ(file.substr(10, 4), std::string("\x36\0\0\0", 4));
}

} // namespace
} // namespace ov
