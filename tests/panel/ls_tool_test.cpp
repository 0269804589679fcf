// ovtool ls over a real folder: the panel's order, executables first unless
// --no-exec-first, and links to folders listed as folders.
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kTool = OV_BINARY_DIR "/cli/ovtool";

// The tool's lines as name and attribute columns.
std::vector<std::string> listing(const std::string& arguments)
{
    std::vector<std::string> lines;
    FILE* pipe = ::popen((kTool + " ls " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return lines;
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    ::pclose(pipe);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        lines.push_back(line.substr(0, tab) + " " + line.substr(line.rfind('\t') + 1));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

} // namespace

TEST(LsTool, ListsInThePanelsOrder)
{
    if (!std::filesystem::exists(kTool)) {
        if (std::getenv("CI"))
            FAIL() << "ovtool is not built";
        GTEST_SKIP() << "ovtool is not built";
    }
    ov::test::TempFolder root;
    root.write("a.txt", "a");
    root.write("b.exe", "b");
    root.write("c.bat", "c");
    root.folder("d");
    ov::test::TempFolder outside;
    ::symlink(outside.path().c_str(), (root / "e").c_str());
    ::symlink("nowhere", (root / "f").c_str());
    const std::string folder = "'" + root.path() + "'";
    struct Row {
        const char* name;
        std::string arguments;
        std::vector<std::string> lines;
    } rows[] = {
        { "executables first by default", folder,
            { ".. 10", "d 10", "e 410", "b.exe 0", "c.bat 0", "a.txt 0", "f 400" } },
        { "by name when turned off", "--no-exec-first " + folder,
            { ".. 10", "d 10", "e 410", "a.txt 0", "b.exe 0", "c.bat 0", "f 400" } },
    };
    for (const Row& row : rows)
        EXPECT_EQ(listing(row.arguments), row.lines) << row.name;
}
