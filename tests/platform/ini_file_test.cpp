#include "platform/ini_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;

namespace {

const char* sample = "; settings\n"
                     "[Global]\n"
                     "  Language = ENGLISH  \n"
                     "language=RUSSIAN\n"
                     "Empty=\n"
                     "Quoted=\"  spaced  \"\n"
                     "Number= -42 \n"
                     "Big=2147483648\n"
                     "Trailing=12abc\n"
                     "Plus=+7\n"
                     "[global]\n"
                     "Late=ignored because the first section wins\n"
                     "[Panel_Left]\n"
                     "Path=c:\\windows\\\n";

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(IniFile, ReadsWithPrivateProfileRules)
{
    const IniFile ini = IniFile::fromText(sample);
    struct Row {
        const char* section;
        const char* key;
        const char* expected;
    } rows[] = {
        { "GLOBAL", "LANGUAGE", "ENGLISH" }, // case-insensitive, trimmed, first duplicate wins
        { "Global", "Empty", "" }, // present but empty is "", not the default
        { "Global", "Quoted", "  spaced  " }, // one pair of outer quotes stripped
        { "Global", "Missing", "default" },
        { "Nowhere", "Language", "default" },
        { "global", "Late", "default" }, // the second [global] is never read
        { "Panel_Left", "Path", "c:\\windows\\" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(ini.readString(row.section, row.key, "default"), row.expected)
            << row.section << "/" << row.key;

    EXPECT_EQ(ini.readInteger("Global", "Number", 5), -42);
    EXPECT_EQ(ini.readInteger("Global", "Big", 5), 5); // out of int32
    EXPECT_EQ(ini.readInteger("Global", "Trailing", 5), 5); // not a whole number
    EXPECT_EQ(ini.readInteger("Global", "Empty", 5), 5);
    EXPECT_EQ(ini.readInteger("Global", "Plus", 5), 7);
    EXPECT_EQ(ini.keys("global"),
        (std::vector<std::string> { "Language", "Empty", "Quoted", "Number", "Big", "Trailing", "Plus" }));
}

TEST(IniFile, WritesInPlaceKeepingTheRestAndReachesTheDiskAtOnce)
{
    test::TempFolder folder;
    const std::string path = folder.write("ov.ini", sample);
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("global", "LANGUAGE", "POLISH"));
    ASSERT_TRUE(ini.writeInteger("Global", "NewKey", 3));
    ASSERT_TRUE(ini.writeString("Confirm", "Exit", "1"));

    const std::string text = slurp(path);
    EXPECT_NE(text.find("; settings\n"), std::string::npos);
    EXPECT_NE(text.find("Language=POLISH\n"), std::string::npos);
    EXPECT_NE(text.find("language=RUSSIAN"), std::string::npos); // the duplicate stays as it was
    // The new key closes its own section, before [global]'s second header.
    EXPECT_LT(text.find("NewKey=3"), text.find("[global]"));
    EXPECT_NE(text.find("[Confirm]\nExit=1\n"), std::string::npos);

    IniFile again(path);
    EXPECT_EQ(again.readString("Global", "Language", ""), "POLISH");
    EXPECT_EQ(again.readInteger("Global", "NewKey", 0), 3);
    EXPECT_FALSE(again.writeString("Global", "Bad", "two\nlines"));
    EXPECT_EQ(again.readString("Global", "Bad", "none"), "none");
}

TEST(IniFile, BatchWritesOnceAndFailedWritesAreReported)
{
    test::TempFolder folder;
    const std::string path = folder / "ov.ini";
    IniFile ini(path);
    ini.beginBatch();
    ini.writeString("A", "x", "1");
    ini.writeString("B", "y", "2");
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing reaches the disk before commit
    ASSERT_TRUE(ini.commit());
    EXPECT_EQ(slurp(path), "[A]\nx=1\n\n[B]\ny=2\n");

    // A folder that does not exist: the write fails and says so.
    IniFile lost(folder / "missing/ov.ini");
    EXPECT_FALSE(lost.writeString("A", "x", "1"));
    EXPECT_FALSE(lost.lastError().empty());

    // A folder standing where the file should be: the folder is left alone.
    folder.folder("inway.ini");
    IniFile blocked(folder / "inway.ini");
    EXPECT_FALSE(blocked.writeString("A", "x", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "inway.ini"));
    // No temporary file is left behind by the failures.
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        files += item.is_regular_file();
    EXPECT_EQ(files, 1);
}

// An INI file the user may not write stays as it was (the write fails and
// says why) instead of being replaced by a rename; one the user may write
// keeps its mode. Run as nobody: root may write anything.
TEST(IniFile, HonoursTheFilesPermissions)
{
    test::TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    const std::string locked = folder.write("locked.ini", "[A]\nx=1\n");
    const std::string own = folder.write("own.ini", "[A]\nx=1\n");
    ::chmod(locked.c_str(), 0444);
    ::chmod(own.c_str(), 0606);
    const bool root = ::geteuid() == 0;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        IniFile lockedIni(locked);
        if (lockedIni.writeString("A", "x", "2")
            || lockedIni.lastError() != "cannot write " + locked + ": Permission denied")
            ::_exit(1);
        IniFile ownIni(own);
        ::_exit(ownIni.writeString("A", "x", "2") ? 0 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(slurp(locked), "[A]\nx=1\n");
    EXPECT_EQ(slurp(own), "[A]\nx=2\n");
    struct stat info { };
    ::stat(own.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0606u);
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        files += item.is_regular_file();
    EXPECT_EQ(files, 2);
}
