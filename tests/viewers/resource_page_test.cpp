// The resource explorer's page chooser over every node of the fixture DLL
// (windres) and of the explorer fixture (tests' writers), the save-dialog
// tables, and `ovtool res --pages`, which prints the same choices.
#include "tests/viewers/pe_builder.h"
#include "tests/viewers/resource_writers.h"
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_page.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ov {
namespace {

const std::string kData = OV_DATA_DIR "/viewers/";

struct Expected {
    std::string path;
    std::string page;
    std::string detail;
    std::string status1; // checked when not empty
};

std::string firstDetail(const ResourcePage& page)
{
    return page.detail().front();
}

void checkNodes(TExeImage& image, const std::vector<Expected>& table)
{
    const auto nodes = resourceNodes(image);
    std::map<std::string, TResourceItem*> byPath;
    std::vector<std::string> order;
    for (const auto& node : nodes) {
        byPath[node.path] = node.item;
        order.push_back(node.path);
    }
    std::vector<std::string> expectedOrder;
    for (const auto& row : table)
        expectedOrder.push_back(row.path);
    EXPECT_EQ(order, expectedOrder);
    for (const auto& row : table) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(byPath.count(row.path));
        TResourceItem& item = *byPath[row.path];
        const ResourcePage page = chooseResourcePage(item);
        EXPECT_EQ(page.pageName(), row.page);
        EXPECT_EQ(firstDetail(page), row.detail);
        if (item.IsList()) {
            EXPECT_EQ(page.caption, " " + item.Name());
            EXPECT_EQ(page.status0, " " + std::to_string(page.rows.size()) + " Objects");
            EXPECT_EQ(page.status1.rfind(" Offset: ", 0), 0u) << page.status1;
            EXPECT_FALSE(page.saveEnabled);
        } else {
            EXPECT_EQ(page.caption, item.Name());
            EXPECT_EQ(page.status0, "");
            EXPECT_TRUE(page.saveEnabled);
        }
        if (!row.status1.empty()) {
            EXPECT_EQ(page.status1, row.status1);
        }
    }
}

TEST(ResourcePage, EveryNodeOfTheFixtureDll)
{
    TExeImage image(kData + "fixture.dll");
    const std::vector<Expected> table = {
        { "MYDATA", "list", "1 rows" },
        { "MYDATA/README", "other", "27 bytes", " Offset: 6738  Size: 1b" },
        { "Bitmap", "list", "6 rows" },
        { "Bitmap/LOGO", "image", "13x7", " Offset: 6890  Size: 140" },
        { "Bitmap/4", "image", "9x5" },
        { "Bitmap/5", "image", "5x3" },
        { "Bitmap/8", "image", "20x10" },
        { "Bitmap/16", "image", "6x4" },
        { "Bitmap/24", "image", "13x7" },
        { "Menu", "list", "1 rows" },
        { "Menu/100", "text", "12 lines" },
        { "Dialog", "list", "1 rows" },
        { "Dialog/200", "dialog", "2 controls: Take a look!" },
        { "String", "list", "2 rows" },
        { "String/1", "text", "2 lines" },
        { "String/7", "text", "2 lines" },
        { "Accelerators", "list", "1 rows" },
        { "Accelerators/300", "other", "16 bytes" },
        { "RCData", "list", "4 rows" },
        { "RCData/1", "image", "13x7" }, // a bitmap file
        { "RCData/2", "image", "16x8" }, // a JFIF JPEG
        { "RCData/3", "other", "261 bytes" },
        { "RCData/7", "other", "8 bytes" }, // the first of two languages
        { "Cursor", "list", "1 rows" },
        { "Cursor/7", "list", "1 rows" },
        { "Cursor/7/32 X 32 1 Bit(s)", "image", "32x32" },
        { "Icon", "list", "3 rows" },
        { "Icon/MAINICON", "list", "3 rows" },
        { "Icon/MAINICON/16 X 16 16 Colors", "image", "16x16" },
        { "Icon/MAINICON/32 X 32 0 Colors", "image", "32x32" },
        { "Icon/MAINICON/48 X 48 0 Colors", "image", "48x48" },
        { "Icon/1", "list", "3 rows" },
        { "Icon/1/16 X 16 16 Colors", "image", "16x16", " Offset: 7188  Size: 128" },
        { "Icon/1/32 X 32 0 Colors", "image", "32x32" },
        { "Icon/1/48 X 48 0 Colors", "image", "48x48" },
        { "Icon/2", "list", "1 rows" },
        { "Icon/2/32 X 32 2 Colors", "image", "32x32" },
        { "Version", "list", "1 rows" },
        { "Version/1", "version", "Lang-charset: 040904E4" },
        { "300", "list", "1 rows" },
        { "300/1", "other", "8 bytes" },
    };
    checkNodes(image, table);
}

// Writes the explorer fixture where a dialog preview can open it again.
std::string explorerFixturePath()
{
    static const std::string path = [] {
        const auto folder
            = std::filesystem::temp_directory_path() / ("ov_explorer_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::string file = (folder / "explorer.dll").string();
        const auto bytes = test::explorerFixture();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

TEST(ResourcePage, EveryNodeOfTheExplorerFixture)
{
    TExeImage image(explorerFixturePath());
    const std::vector<Expected> table = {
        { "AVI", "list", "1 rows" },
        { "AVI/CLOCK", "media", "16x16 4 frames" },
        { "Dialog", "list", "5 rows" },
        { "Dialog/1", "dialog", "9 controls: Take a look!" },
        { "Dialog/2", "dialog", "2 controls: 1 control(s) has been stripped." },
        { "Dialog/3", "dialog", "2 controls: 1 control(s) has been stripped." },
        { "Dialog/4", "dialog", "0 controls: 3 control(s) has been stripped." },
        { "Dialog/5", "message", "Unable to create this dialog, sorry." },
        { "RCData", "list", "6 rows" },
        { "RCData/10", "media", "16x16 4 frames" },
        { "RCData/11", "media", "16x16 4 frames" },
        { "RCData/12", "text", "37 lines" },
        { "RCData/13", "other", "60 bytes" }, // a video that does not read
        { "RCData/14", "other", std::to_string(test::componentStream().size() / 2) + " bytes" },
        { "RCData/15", "other", "12 bytes" }, // an EXIF JPEG is not sniffed as a picture
        { "Version", "list", "1 rows" },
        { "Version/1", "version", "Lang-charset: 040904B0" },
    };
    checkNodes(image, table);
}

// The walk without a list hands each node over as it goes and stops when
// told: ovtool res --pages and the fuzz target hold one path at a time.
TEST(ResourcePage, TheNodeWalkStopsWhenTold)
{
    TExeImage image(kData + "fixture.dll");
    const std::vector<ResourceNode> all = resourceNodes(image);
    ASSERT_GT(all.size(), 3u);
    std::vector<std::string> seen;
    forEachResourceNode(image, [&seen](const ResourceNode& node) {
        seen.push_back(node.path);
        return seen.size() < 3;
    });
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], all[i].path);
}

TEST(ResourcePage, ProblemsGoToTheMessagePage)
{
    // Data that lies past the end of the file.
    test::PeImage pe;
    pe.resources = test::oneResource(10, 1, "abcd").bytes;
    pe.resources[0x4C] = 0xFF; // the data entry's size: 255, past the end
    TExeImage outside(pe.build(), "outside.dll");
    TResourceItem& leaf = *outside.Resources()->Items(0)->List().Items(0);
    ResourcePage page = chooseResourcePage(leaf);
    EXPECT_EQ(page.page, ResourcePageIndex::Message);
    EXPECT_EQ(page.message, "Resource data lies outside the file.");
    EXPECT_TRUE(page.saveEnabled);

    // A bitmap whose header does not decode.
    pe.resources = test::oneResource(2, 1, std::string(40, '\x7F')).bytes;
    TExeImage badBitmap(pe.build(), "bitmap.dll");
    page = chooseResourcePage(*badBitmap.Resources()->Items(0)->List().Items(0));
    EXPECT_EQ(page.page, ResourcePageIndex::Message);
    EXPECT_EQ(page.message, "The picture cannot be decoded.");

    // A dialog of a file that cannot be loaded again as a module.
    pe.resources = test::oneResource(5, 1, std::string(64, '\0')).bytes;
    TExeImage dialog(pe.build(), "/no/such/folder/dialog.dll");
    page = chooseResourcePage(*dialog.Resources()->Items(0)->List().Items(0));
    EXPECT_EQ(page.pageName(), "message");
    EXPECT_EQ(page.message, "Unable to load library: /no/such/folder/dialog.dll");
    // A loader that refuses says the same.
    page = chooseResourcePage(*dialog.Resources()->Items(0)->List().Items(0), {},
        [](const std::string&) { return std::unique_ptr<TExeImage>(); });
    EXPECT_EQ(page.message, "Unable to load library: /no/such/folder/dialog.dll");
}

TEST(ResourcePage, StatusWordsComeFromTheCaller)
{
    TExeImage image(kData + "fixture.dll");
    const ResourceWords words { "Obiekty", "Przesunięcie", "Rozmiar" };
    for (const auto& node : resourceNodes(image)) {
        if (node.path == "Bitmap") {
            const ResourcePage page = chooseResourcePage(*node.item, words);
            EXPECT_EQ(page.status0, " 6 Obiekty");
            EXPECT_EQ(page.status1.rfind(" Przesunięcie: ", 0), 0u);
        }
        if (node.path == "Bitmap/LOGO") {
            EXPECT_EQ(chooseResourcePage(*node.item, words).status1, " Przesunięcie: 6890  Rozmiar: 140");
        }
    }
}

// The list page's rows: Name, the offset as seven and the size as five
// lower-case hex digits, and the image of the row's type.
TEST(ResourcePage, ListRowTexts)
{
    TExeImage image(kData + "fixture.dll");
    struct Row {
        const char* list;
        int row;
        const char* name;
        const char* offset;
        const char* size;
        int imageIndex;
    };
    const Row table[] = {
        { "Bitmap", 0, "LOGO", "0006890", "00140", riBitmap },
        { "Bitmap", 3, "8", "0006af0", "004f0", riBitmap },
        { "Icon/1", 0, "16 X 16 16 Colors", "0007188", "00128", riIconImage },
        { "Cursor/7", 0, "32 X 32 1 Bit(s)", nullptr, nullptr, riCursorImage },
        { "RCData", 1, "2", nullptr, nullptr, riGeneric },
        { "Icon", 0, "MAINICON", nullptr, "00000", riGeneric }, // a group: a list, size 0
    };
    std::map<std::string, TResourceItem*> byPath;
    for (const auto& node : resourceNodes(image))
        byPath[node.path] = node.item;
    for (const Row& expected : table) {
        SCOPED_TRACE(expected.list);
        ASSERT_TRUE(byPath.count(expected.list));
        const ResourcePage page = chooseResourcePage(*byPath[expected.list]);
        ASSERT_EQ(page.page, ResourcePageIndex::List);
        ASSERT_GT(page.rows.size(), std::size_t(expected.row));
        const ResourceListRow& row = page.rows[std::size_t(expected.row)];
        EXPECT_EQ(row.name(), expected.name);
        EXPECT_EQ(row.offset().size(), 7u);
        EXPECT_EQ(row.size().size(), 5u);
        EXPECT_EQ(row.offset().find_first_not_of("0123456789abcdef"), std::string::npos) << row.offset();
        if (expected.offset) {
            EXPECT_EQ(row.offset(), expected.offset);
        }
        if (expected.size) {
            EXPECT_EQ(row.size(), expected.size);
        }
        EXPECT_EQ(row.imageIndex(), expected.imageIndex);
        EXPECT_EQ(row.item, byPath[expected.list]->List().Items(expected.row));
    }
}

TEST(ResourcePage, SaveDataByType)
{
    const std::vector<std::tuple<uint32_t, std::string, int, int>> table = {
        { 0, "Dat", 1, 2 },
        { 1, "Cur", 4, 4 },
        { 2, "Bmp", 2, 5 },
        { 3, "Ico", 3, 3 },
        { 4, "Mnu", 1, 2 },
        { 5, "Dlg", 1, 2 },
        { 6, "Str", 1, 2 },
        { 7, "Fnt", 1, 2 },
        { 8, "Fnt", 1, 2 },
        { 9, "Acc", 1, 2 },
        { 10, "RCD", 1, 2 },
        { 11, "Msg", 1, 2 },
        { 12, "Cur", 1, 2 },
        { 13, "U13", 1, 2 },
        { 14, "Ico", 1, 2 },
        { 15, "U15", 1, 2 },
        { 16, "Ver", 1, 2 },
        // An id above 16, and a type given by name, take type 0's row.
        { 17, "Dat", 1, 2 },
        { 300, "Dat", 1, 2 },
        { 0x80000010u, "Dat", 1, 2 },
    };
    for (const auto& [type, extension, filter, imageIndex] : table) {
        SCOPED_TRACE(type);
        const ResourceSaveData data = resourceSaveData(type);
        EXPECT_EQ(data.extension, extension);
        EXPECT_EQ(data.filterIndex, filter);
        EXPECT_EQ(data.imageIndex, imageIndex);
    }
    TExeImage image(kData + "fixture.dll");
    for (const auto& node : resourceNodes(image)) {
        if (node.path == "Bitmap/LOGO") {
            EXPECT_EQ(resourceSaveName(*node.item), "LOGO.Bmp");
        }
        if (node.path == "Icon/1/32 X 32 0 Colors") {
            EXPECT_EQ(resourceSaveName(*node.item), "32 X 32 0 Colors.Ico");
        }
    }
}

// A save that fails part-way (the file size limit of a child process) keeps
// the file it was to replace and says why; no temporary file stays behind.
TEST(ResourceSave, AFailedSaveLeavesTheOldFile)
{
    TExeImage image(kData + "fixture.dll");
    TResourceItem* bitmap = nullptr;
    for (const auto& node : resourceNodes(image))
        if (node.path == "Bitmap/8")
            bitmap = node.item;
    ASSERT_NE(bitmap, nullptr);
    const auto folder = std::filesystem::path(explorerFixturePath()).parent_path() / "save";
    std::filesystem::create_directories(folder);
    const std::string target = (folder / "old.bmp").string();
    std::ofstream(target) << "the old file";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 200, 200 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            bitmap->SaveToFile(target);
        } catch (const EExeError& error) {
            ::_exit(std::string(error.what()).find("File too large") != std::string::npos ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(target);
    const std::string kept { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    EXPECT_EQ(kept, "the old file");
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    // Without the limit the file is replaced.
    bitmap->SaveToFile(target);
    EXPECT_EQ(std::filesystem::file_size(target), 1264u + 14u);
}

// Standard output of ovtool and its exit status.
std::string ovtool(const std::string& arguments, int& status)
{
    std::string out;
    std::FILE* pipe = ::popen((OV_BINARY_DIR "/cli/ovtool res " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    status = WEXITSTATUS(::pclose(pipe));
    return out;
}

TEST(ResourcePage, OvtoolPrintsThePages)
{
    if (!std::filesystem::exists(OV_BINARY_DIR "/cli/ovtool"))
        GTEST_SKIP() << "ovtool is not part of this build";
    int status = -1;
    const std::string out = ovtool("--pages " + kData + "fixture.dll", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.find("MYDATA\tlist\t1 rows\nMYDATA/README\tother\t27 bytes\n"), 0u) << out;
    for (const char* line : { "Dialog/200\tdialog\t2 controls: Take a look!\n", "Menu/100\ttext\t12 lines\n",
             "Icon/2/32 X 32 2 Colors\timage\t32x32\n",
             "Version/1\tversion\tLang-charset: 040904E4\n\t\tCompanyName=Orvanta\n",
             "\t\tFile version=0001.0000.0000.0002\n\t\tProduct version=0001.0000.0000.0000\n"
             "\t\tFile flags=<none>\n\t\tOS flags=NT with Win32\n\t\tFile type=Dynamic-link library\n"
             "\t\tFile date/time=not done yet.\n" })
        EXPECT_NE(out.find(line), std::string::npos) << line;

    const std::string explorer = ovtool("--pages " + explorerFixturePath(), status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(explorer.find("RCData/11\tmedia\t16x16 4 frames\n"), std::string::npos) << explorer;
    EXPECT_NE(
        explorer.find("Dialog/3\tdialog\t2 controls: 1 control(s) has been stripped.\n"), std::string::npos);

    // An image that opens shows its one message and succeeds; one that does
    // not open fails.
    test::PeImage noResources;
    noResources.sectionName = ".data";
    noResources.resources = test::oneResource(10, 1, "x").bytes;
    const std::string path = explorerFixturePath() + ".nores.dll";
    const auto bytes = noResources.build();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(ovtool("--pages " + path, status), "\tmessage\tNo resources.\n");
    EXPECT_EQ(status, 0);
    ovtool("--pages " + kData + "README", status);
    EXPECT_EQ(status, 1);
}

} // namespace
} // namespace ov
