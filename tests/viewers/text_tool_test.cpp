// ovtool conv and ovtool text: the editor's engines from the command line.
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string tool = OV_BINARY_DIR "/cli/ovtool";

std::string run(const std::string& arguments, int& status)
{
    std::string output;
    FILE* pipe = ::popen((tool + " " + arguments).c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    status = ::pclose(pipe);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string fixture(const char* name)
{
    return std::string(OV_DATA_DIR) + "/editor/" + name;
}

class TextTool : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(tool) && std::getenv("CI"))
            FAIL() << "ovtool is not built";
        if (!std::filesystem::exists(tool))
            GTEST_SKIP() << "ovtool is not built";
    }
    ov::test::TempFolder folder;
};

TEST_F(TextTool, ConvRoundTripsEveryPageAndRefusesMissingCharacters)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string input = folder.write("all.bin", all);
    for (const char* page : { "437", "850", "852", "866", "1250", "1251", "1252" }) {
        SCOPED_TRACE(page);
        int status = -1;
        const std::string there = folder / "there";
        run(std::string("conv --from ") + page + " --to utf-8 < " + input + " > " + there, status);
        EXPECT_EQ(status, 0);
        const std::string back = folder / "back";
        run(std::string("conv --from utf-8 --to ") + page + " < " + there + " > " + back, status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(readFile(back), all);
        run(std::string("conv --from ") + page + " --to utf-16le < " + input + " | " + tool
                + " conv --from utf-16le --to " + page + " > " + back,
            status);
        EXPECT_EQ(readFile(back), all);
    }
    // 866 box drawing into 1251: no byte for U+2554 at byte 3; nothing written.
    int status = -1;
    const std::string box = folder.write("box.txt", "ab\n\xc9\xcd");
    const std::string out = run("conv --from 866 --to 1251 < " + box + " 2>&1 >" + (folder / "none"), status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("U+2554 at byte 3"), std::string::npos) << out;
    EXPECT_EQ(readFile(folder / "none"), "");
    // Controls stay as they are between the DOS and Windows pages.
    const std::string controls = folder.write("ctl.txt", "\x1a\x1c\x7f\t");
    run("conv --from 437 --to 1252 < " + controls + " > " + (folder / "ctl.out"), status);
    EXPECT_EQ(readFile(folder / "ctl.out"), "\x1a\x1c\x7f\t");
    run("conv --from 437 --to koi8 < " + controls, status);
    EXPECT_EQ(status, 2);
}

TEST_F(TextTool, TextReportsFindsReplacesAndSaves)
{
    struct Case {
        std::string arguments;
        std::string output;
    };
    const Case cases[] = {
        { fixture("crlf.txt"), "encoding=utf-8 lines=2 breaks=CRLF final-newline=yes\n" },
        { fixture("mixed.txt") + " --find MAT",
            "encoding=utf-8 lines=5 breaks=mixed final-newline=yes\nfound 19 3\n" },
        { fixture("lf.txt") + " --find MAT --case",
            "encoding=utf-8 lines=2 breaks=LF final-newline=yes\nnot found\n" },
        { fixture("lf.txt") + " --find the --up",
            "encoding=utf-8 lines=2 breaks=LF final-newline=yes\nfound 15 3\n" },
        { fixture("lf.txt") + " --find at --word",
            "encoding=utf-8 lines=2 breaks=LF final-newline=yes\nnot found\n" },
        { fixture("cp1251.txt") + " --lang rus --find " + "\xd0\x9a\xd0\x9e\xd0\xa2",
            "encoding=1251 lines=2 breaks=LF final-newline=yes\nfound 8 3\n" },
        { fixture("no_final_newline.txt"), "encoding=utf-8 lines=2 breaks=LF final-newline=no\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        int status = -1;
        EXPECT_EQ(run("text " + c.arguments, status), c.output);
        EXPECT_EQ(status, 0);
    }
    // Replace and save: only the word changes.
    int status = -1;
    const std::string out = folder / "out.txt";
    EXPECT_EQ(
        run("text " + fixture("cp866_box.txt") + " --lang rus --replace-all cat dog --case --save " + out,
            status),
        "encoding=1251 lines=3 breaks=LF final-newline=yes\nreplaced 1\n");
    std::string expected = readFile(fixture("cp866_box.txt"));
    expected.replace(expected.find("cat"), 3, "dog");
    EXPECT_EQ(readFile(out), expected);
    // A replacement the file's page has no byte for saves nothing.
    const std::string kept = folder.write("kept.txt", "caf\xe9\n");
    run("text " + kept + " --replace-all caf \xe2\x94\x80 --save " + kept + " 2>/dev/null", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(readFile(kept), "caf\xe9\n");
}

} // namespace
