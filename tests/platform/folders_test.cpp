// The program folder's first start: the shipped data files are copied in,
// the user's own copies never replaced.
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace ov;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(Folders, SeedingCopiesMissingDataFilesAndKeepsTheUsersOwn)
{
    test::TempFolder installed;
    test::TempFolder later;
    test::TempFolder home;
    installed.write("ov_eng.ini", "[MainMenu]\nOV=&OV\n");
    installed.write("ov_rus.ini", "shipped russian");
    installed.write("readme.txt", "not a data file");
    later.write("ov_rus.ini", "second source");
    later.write("fcolors.ini", "[Colors]\n");
    home.write("ov_eng.ini", "the user's own");
    ASSERT_EQ(::symlink("/nonexistent/ov_pol.ini", (home / "ov_pol.ini").c_str()), 0);

    const std::vector<std::string> sources = { "/nonexistent/folder", installed.path(), later.path() };
    EXPECT_EQ(
        seedDataFiles(home.path(), sources), (std::vector<std::string> { "ov_rus.ini", "fcolors.ini" }));
    struct Row {
        const char* name;
        const char* text;
    } rows[] = {
        { "ov_eng.ini", "the user's own" }, // never overwritten
        { "ov_rus.ini", "shipped russian" }, // from the first source holding it
        { "fcolors.ini", "[Colors]\n" }, // from a later source
    };
    for (const Row& row : rows)
        EXPECT_EQ(readFile(home / row.name), row.text) << row.name;
    EXPECT_FALSE(std::filesystem::exists(home / "readme.txt"));
    EXPECT_FALSE(std::filesystem::exists(home / "ov_ita.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(home / "ov_pol.ini")); // the user's link stays
    for (const auto& item : std::filesystem::directory_iterator(home.path()))
        EXPECT_EQ(item.path().string().find(".seeding"), std::string::npos);
    // A second start copies nothing more; a folder is never seeded from itself.
    EXPECT_TRUE(seedDataFiles(home.path(), sources).empty());
    EXPECT_TRUE(seedDataFiles(installed.path(), { installed.path() }).empty());
}

TEST(Folders, AFreshProgramFolderGetsTheDataFilesOfTheInstall)
{
    test::TempFolder shared;
    test::TempFolder home;
    shared.write("orvanta/ov_eng.ini", "[HotButtons]\nMenu=2-Menu\n");
    ::setenv("XDG_DATA_DIRS", (shared.path() + "::/nonexistent").c_str(), 1);
    ::setenv("ORVANTA_HOME", (home / "fresh").c_str(), 1);
    const std::vector<std::string> folders = dataFolders();
    EXPECT_EQ(folders.front(), executableFolder());
    EXPECT_EQ(folders.back(), "/nonexistent/orvanta");
    EXPECT_EQ(programFolder(), home / "fresh");
    EXPECT_EQ(readFile(home / "fresh/ov_eng.ini"), "[HotButtons]\nMenu=2-Menu\n");
    ::unsetenv("ORVANTA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
}
