#include "platform/drives.h"
#include "platform/launcher.h"
#include "shell/user_menu.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ov;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

TEST(UserMenuFile, ReadsWellFormedAndRejectsMalformedFiles)
{
    struct Row {
        const char* name;
        std::string bytes;
        const char* language;
        std::vector<UserMenuEntry> entries;
        std::string error; // "" when the file is whole
    };
    const Row rows[] = {
        { "crlf", "2\r\n \r\nEditor\r\nmcedit a.txt\r\n \r\nTop\r\ntop\r\n \r\n", "ENGLISH",
            { { "Editor", "mcedit a.txt" }, { "Top", "top" } }, "" },
        { "lf", "1\n \nEditor\nmcedit\n \n", "ENGLISH", { { "Editor", "mcedit" } }, "" },
        { "last separator missing", "1\r\n \r\nA\r\nb", "ENGLISH", { { "A", "b" } }, "" },
        { "count with spaces", " 1 \r\n \r\nA\r\nb\r\n \r\n", "ENGLISH", { { "A", "b" } }, "" },
        { "zero entries", "0\r\n \r\n", "ENGLISH", {}, "" },
        { "zero, nothing else", "0", "ENGLISH", {}, "" },
        { "lines past the count are ignored", "1\r\n \r\nA\r\nb\r\n \r\nC\r\nd\r\n", "ENGLISH",
            { { "A", "b" } }, "" },
        { "windows-1251", "1\r\n \r\n\xcc\xe5\xed\xfe\r\nfar\r\n \r\n", "RUSSIAN",
            { { "\xd0\x9c\xd0\xb5\xd0\xbd\xd1\x8e", "far" } }, "" },
        { "utf-8 wins over the code page", "1\r\n \r\n\xd0\x9c\r\nx\r\n \r\n", "RUSSIAN",
            { { "\xd0\x9c", "x" } }, "" },
        { "empty file", "", "ENGLISH", {},
            "line 1: the file is empty; the first line must hold the number of entries" },
        { "empty count", "\r\n \r\n", "ENGLISH", {}, "line 1: the number of entries is missing" },
        { "junk count", "two\r\n \r\n", "ENGLISH", {},
            "line 1: the number of entries is not a decimal number" },
        { "negative count", "-1\r\n \r\n", "ENGLISH", {},
            "line 1: the number of entries is not a decimal number" },
        { "binary junk", std::string("\x00\xff\x10\n", 4), "ENGLISH", {},
            "line 1: the number of entries is not a decimal number" },
        { "count past the end keeps what it read", "3\r\n \r\nA\r\nb\r\n \r\nC\r\n", "ENGLISH",
            { { "A", "b" } }, "line 7: the file ends before entry 2 of 3" },
        { "huge count", "99999999999999999999999999999999\r\n \r\nA\r\nb\r\n \r\n", "ENGLISH",
            { { "A", "b" } }, "line 6: the file ends before entry 2 of 99999999999999999999999999999999" },
        { "count without the separator line", "1", "ENGLISH", {},
            "line 2: the file ends before entry 1 of 1" },
    };
    for (const Row& row : rows) {
        const MenuFile file = readUserMenu(row.bytes, row.language);
        EXPECT_EQ(file.entries, row.entries) << row.name;
        EXPECT_EQ(file.ok, row.error.empty()) << row.name;
        EXPECT_EQ(file.error(), row.error) << row.name;
        if (!file.ok)
            continue;
        // Every accepted file comes back the same through the writer.
        const MenuFile again = readUserMenu(writeUserMenu(file.entries), row.language);
        EXPECT_TRUE(again.ok) << row.name;
        EXPECT_EQ(again.entries, file.entries) << row.name;
    }
}

TEST(UserMenuFile, WritesCrLfInOneReplacement)
{
    EXPECT_EQ(writeUserMenu({}), "0\r\n \r\n");
    EXPECT_EQ(writeUserMenu({ { "A b", "c; d | $(e) *" } }), "1\r\n \r\nA b\r\nc; d | $(e) *\r\n \r\n");

    test::TempFolder folder;
    const std::string path = folder / "ov.mnu";
    const MenuFile missing = loadUserMenu(path, "ENGLISH");
    EXPECT_TRUE(missing.ok);
    EXPECT_FALSE(missing.exists);
    EXPECT_TRUE(missing.entries.empty());

    std::string failure;
    ASSERT_TRUE(saveUserMenu(path, { { "Top", "top" } }, &failure)) << failure;
    EXPECT_EQ(slurp(path), "1\r\n \r\nTop\r\ntop\r\n \r\n");
    EXPECT_EQ(loadUserMenu(path, "ENGLISH").entries, (std::vector<UserMenuEntry> { { "Top", "top" } }));
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1);

    // A folder in the file's place: the write fails with a reason, and a
    // folder where the file should be read is an error, not an empty list.
    const std::string blocked = folder.folder("blocked.mnu");
    EXPECT_FALSE(saveUserMenu(blocked, {}, &failure));
    EXPECT_FALSE(failure.empty());
    const MenuFile unreadable = loadUserMenu(folder / "nofolder/ov.mnu", "ENGLISH");
    EXPECT_FALSE(unreadable.exists);
}

TEST(UserMenuLayouts, OptionsInsertDeleteChange)
{
    UserMenu menu;
    menu.activate(readUserMenu("1\r\n \r\nA\r\na\r\n \r\n", "ENGLISH"));
    EXPECT_EQ(menu.layout(), MenuLayout::Basic);
    EXPECT_EQ(menu.controls().height, 250);
    EXPECT_EQ(menu.controls().listHeight, 169);
    EXPECT_FALSE(menu.controls().editButtonsVisible);
    EXPECT_FALSE(menu.changed());
    EXPECT_EQ(menu.startCommand(), std::nullopt); // nothing selected

    // Delete and Change without a selection do nothing.
    menu.optionsClick();
    EXPECT_EQ(menu.layout(), MenuLayout::Options);
    EXPECT_EQ(menu.controls().height, 283);
    EXPECT_FALSE(menu.controls().startEnabled);
    EXPECT_TRUE(menu.controls().editButtonsVisible);
    menu.deleteClick();
    menu.changeClick();
    EXPECT_EQ(menu.entries().size(), 1u);
    EXPECT_EQ(menu.layout(), MenuLayout::Options);

    // Insert with only a caption keeps the edit layout open.
    menu.insertClick();
    EXPECT_EQ(menu.layout(), MenuLayout::Edit);
    EXPECT_EQ(menu.controls().listHeight, 81);
    EXPECT_FALSE(menu.controls().listEnabled);
    EXPECT_TRUE(menu.controls().editsVisible);
    EXPECT_TRUE(menu.controls().insertEnabled);
    EXPECT_FALSE(menu.controls().deleteEnabled);
    EXPECT_FALSE(menu.controls().changeEnabled);
    menu.edit1 = "B";
    menu.insertClick();
    EXPECT_EQ(menu.layout(), MenuLayout::Edit);
    menu.edit2 = "b";
    menu.insertClick();
    EXPECT_EQ(menu.layout(), MenuLayout::Basic);
    EXPECT_EQ(menu.entries(), (std::vector<UserMenuEntry> { { "A", "a" }, { "B", "b" } }));
    EXPECT_TRUE(menu.edit1.empty());

    // Change fills the edits from the selection, then replaces it.
    menu.optionsClick();
    menu.select(1);
    menu.changeClick();
    EXPECT_EQ(menu.edit1, "B");
    EXPECT_EQ(menu.edit2, "b");
    EXPECT_FALSE(menu.controls().insertEnabled);
    EXPECT_TRUE(menu.controls().changeEnabled);
    menu.edit2 = "bb";
    menu.changeClick();
    EXPECT_EQ(menu.entries()[1], (UserMenuEntry { "B", "bb" }));

    menu.select(0);
    EXPECT_EQ(menu.startCommand(), "a");
    menu.deleteClick();
    EXPECT_EQ(menu.entries(), (std::vector<UserMenuEntry> { { "B", "bb" } }));
    EXPECT_EQ(menu.selected(), -1);

    // Options twice goes back to the basic layout; the flag stays set.
    menu.optionsClick();
    menu.optionsClick();
    EXPECT_EQ(menu.layout(), MenuLayout::Basic);
    EXPECT_TRUE(menu.mustWrite());

    // A malformed file is never written back, whatever the user does.
    menu.activate(readUserMenu("5\r\n \r\nA\r\na\r\n", "ENGLISH"));
    EXPECT_TRUE(menu.loadFailed());
    EXPECT_EQ(menu.entries().size(), 1u);
    menu.optionsClick();
    EXPECT_FALSE(menu.mustWrite());
}

TEST(UserMenuStart, PlansEveryKindOfEntry)
{
    test::TempFolder folder;
    const std::string root = folder.folder("d");
    DriveTable::instance().setDrives({ { 'd', root, DriveType::Fixed } });
    using Kind = MenuLaunch::Kind;
    struct Row {
        const char* command;
        Kind kind;
        std::vector<std::string> argv;
        std::string workingFolder;
    };
    const Row rows[] = {
        { "top", Kind::Start, { "top" }, "" },
        { "echo a;b | c $(d) *", Kind::Start, { "echo", "a;b", "|", "c", "$(d)", "*" }, "" },
        { "\"d:\\my tools\\run\" \"two words\" x", Kind::Start, { root + "/my tools/run", "two words", "x" },
            "" },
        { "command.com /c ls -l | sort", Kind::Shell, { "ls -l | sort" }, "" },
        { "CMD /C echo hi", Kind::Shell, { "echo hi" }, "" },
        { "d:\\bat\\go.BAT", Kind::Open, { root + "/bat/go.BAT" }, root + "/bat" },
        { "d:\\bat\\go.com", Kind::Open, { root + "/bat/go.com" }, root + "/bat" },
        // The extension test is case-exact: .Bat runs as a command line.
        { "d:\\bat\\go.Bat", Kind::Start, { root + "/bat/go.Bat" }, "" },
    };
    for (const Row& row : rows) {
        const auto plan = planMenuCommand(row.command);
        ASSERT_TRUE(plan) << row.command;
        EXPECT_EQ(plan->kind, row.kind) << row.command;
        EXPECT_EQ(plan->argv, row.argv) << row.command;
        EXPECT_EQ(plan->workingFolder, row.workingFolder) << row.command;
    }
    EXPECT_EQ(planMenuCommand("   "), std::nullopt);
    // Windows programs map as the launcher maps them.
    EXPECT_EQ(planMenuCommand("notepad.exe x")->argv, mapProgram("notepad.exe", { "x" }));

    // A failing start hands back the launcher's reason.
    RecordingLauncher recorder;
    setLauncher(&recorder);
    std::string failure;
    EXPECT_TRUE(runMenuLaunch(*planMenuCommand("command.com /c ls"), &failure));
    EXPECT_TRUE(runMenuLaunch(*planMenuCommand("d:\\bat\\go.BAT"), &failure));
    recorder.result = false;
    EXPECT_FALSE(runMenuLaunch(*planMenuCommand("top -b"), &failure));
    EXPECT_EQ(failure, "recorded failure");
    setLauncher(nullptr);
    ASSERT_EQ(recorder.calls.size(), 3u);
    EXPECT_EQ(recorder.calls[0].kind, "shell");
    // The batch file opens through the desktop in its own folder.
    EXPECT_EQ(recorder.calls[1].kind, "open");
    EXPECT_EQ(recorder.calls[1].argv, (std::vector<std::string> { root + "/bat/go.BAT" }));
    EXPECT_EQ(recorder.calls[1].workingFolder, root + "/bat");
    EXPECT_EQ(recorder.calls[2].kind, "start");
    EXPECT_EQ(recorder.calls[2].argv, (std::vector<std::string> { "top", "-b" }));
    DriveTable::instance().reset();
}
