// The installer's engine without windows: menu entries whose Exec reads
// back to the exact paths; hostile payloads refused as a whole with nothing
// written; the target checks; the records and the preset folder; an
// install killed at several points, then completed by a re-run; a running
// program and a link at a member's place replaced; the gauge.
#include "setup/desktop_entry.h"
#include "setup/installer.h"
#include "setup/payload_check.h"
#include "tests/setup/setup_support.h"

#include "platform/folders.h"
#include "platform/ini_file.h"

#include <gmock/gmock.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace ov::test {
namespace {

using ::testing::HasSubstr;

const auto* const home = ::testing::AddGlobalTestEnvironment(new SetupHome);

// Folders whose names hold what the Exec quoting must survive.
const char* const HostileFolderNames[] = {
    "plain",
    "with space",
    "100%",
    "$HOME",
    "quote\"d",
    "it's",
    "back\\slash",
    "`tick`",
    "all of \"$`\\%' them",
};

TEST(DesktopEntry, ExecAndPathReadBackExactly)
{
    TempFolder folder;
    for (const char* name : HostileFolderNames) {
        SCOPED_TRACE(name);
        const std::string target = folder / name;
        DesktopEntry entry;
        entry.Name = "Readme";
        entry.Exec = { "xdg-open", target + "/readme.txt" };
        entry.Path = target;
        const auto keys = desktopEntryKeys(entry.text());
        std::vector<std::string> argv;
        ASSERT_TRUE(parseExec(keys.at("Exec"), argv)) << keys.at("Exec");
        EXPECT_EQ(argv, entry.Exec);
        EXPECT_EQ(unescapeDesktopValue(keys.at("Path")), target);
    }
    // Both levels of escaping, written out once.
    EXPECT_EQ(escapeDesktopValue(quoteExecArgument("/a \"b\"\\c$%")), "\"/a \\\\\"b\\\\\"\\\\\\\\c\\\\$%%\"");
    EXPECT_EQ(quoteExecArgument("/opt/orvanta/ov"), "/opt/orvanta/ov");
}

TEST(DesktopEntry, MalformedExecIsRefused)
{
    std::vector<std::string> argv;
    for (const char* exec : { "\"unterminated", "a %f", "a\\\\ b", "\"a\\\\x\"", "" })
        EXPECT_FALSE(parseExec(exec, argv)) << exec;
}

TEST(DesktopEntry, WrittenEntriesPassTheValidator)
{
    OV_NEED_TOOL("desktop-file-validate");
    TempFolder folder;
    for (const char* name : HostileFolderNames) {
        SCOPED_TRACE(name);
        const std::string target = folder / name;
        std::string error;
        ASSERT_TRUE(writeShortcuts(target, error)) << error;
        for (const char* file : { "orvanta.desktop", "readme.desktop", "hot-news.desktop" }) {
            const std::string path = shortcutFolder() + "/" + file;
            EXPECT_EQ(run("desktop-file-validate " + quoted(path) + " >&2"), 0) << slurp(path);
        }
    }
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_payload = m_root / "data.res";
        m_target = m_root / "target";
    }

    // A payload of n files, one of them in a folder; `version` changes
    // every byte.
    std::vector<ZipMember> members(int n, const std::string& version) const
    {
        std::vector<ZipMember> out;
        out.push_back({ "ov", "#!/bin/sh\necho " + version + "\n", 0100755 });
        out.push_back({ "readme.txt", "Read me, " + version + "\n" });
        for (int i = 2; i < n; ++i)
            out.push_back({ (i == 2 ? "hlp/topic" : "file") + std::to_string(i),
                std::string(3000 + i, char('a' + i)) + version });
        return out;
    }
    // An earlier installation of version "old" in the target.
    void installOld(int n = 5)
    {
        const fs::path zip = m_root.path() + "/old.res";
        makeZip(zip, members(n, "old"));
        Installer installer;
        installer.Target = m_target;
        installer.Payload = zip;
        installer.Shortcuts = false;
        ASSERT_TRUE(installer.Install()) << installer.error();
        fs::remove(zip);
    }

    TempFolder m_root;
    fs::path m_payload;
    fs::path m_target;
};

// Every hostile payload is refused before anything is written: the earlier
// installation stays byte-identical and nothing appears beside it.
TEST_F(InstallTest, HostilePayloadsAreRefusedWhole)
{
    OV_NEED_TOOL("python3");
    installOld();
    struct Row {
        const char* name;
        std::vector<ZipMember> hostile; // after a good member
        const char* reason;
    };
    const std::string outside = m_root / "escaped";
    const Row rows[] = {
        { "parent", { { "../x", "x" } }, "\"..\"" },
        { "absolute", { { outside, "x" } }, "absolute" },
        { "drive", { { "C:\\x", "x" } }, "drive letter" },
        { "parent inside", { { "a/../../x", "x" } }, "\"..\"" },
        { "parent with backslashes", { { "a\\..\\..\\x", "x" } }, "\"..\"" },
        { "link", { { "link", outside, 0120777 } }, "not a regular file" },
        { "fifo", { { "fifo", "", 0010644 } }, "not a regular file" },
        { "device", { { "device", "", 0060644 } }, "not a regular file" },
        { "line feed", { { "a\nb", "x" } }, "control character" },
        { "duplicate", { { "readme.txt", "again" } }, "twice" },
        { "duplicate by separator", { { "hlp\\topic2", "again" } }, "twice" },
        { "file where a folder goes", { { "readme.txt/x", "x" } }, "a file where a folder must be" },
        { "staging name", { { std::string(StagingFolderName) + "/x", "x" } }, "staging" },
    };
    const Tree before = snapshot(m_root.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ZipMember> payload = members(5, "new");
        payload.insert(payload.end(), row.hostile.begin(), row.hostile.end());
        makeZip(m_payload, payload);
        Installer installer;
        installer.Target = m_target;
        installer.Payload = m_payload;
        installer.Shortcuts = false;
        EXPECT_FALSE(installer.Install());
        EXPECT_THAT(installer.error(), HasSubstr(row.reason));
        fs::remove(m_payload);
        EXPECT_EQ(snapshot(m_root.path()), before);
    }
}

// Damage found only while unpacking (a flipped bit, a cut file) also leaves
// everything as it was, and so do a missing payload and a folder standing
// where a file of the payload goes.
TEST_F(InstallTest, DamagedPayloadsWriteNothing)
{
    OV_NEED_TOOL("python3");
    installOld();
    makeZip(m_root / "good.res", members(5, "new"));
    const std::string good = slurp(m_root / "good.res");
    fs::remove(m_root / "good.res");
    struct Row {
        const char* name;
        std::string bytes; // empty: no payload at all
        const char* reason;
    };
    std::string flipped = good;
    flipped[30 + 2 + 12] ^= 0x10; // inside the first member's deflated data
    // A declared size beyond what the deflate stream gives, in the local
    // header and the directory alike: the CRC still matches the bytes.
    std::string longer = good;
    auto addToSize = [&longer](std::size_t at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | uint8_t(longer[at + std::size_t(i)]);
        value += 1000;
        for (int i = 0; i < 4; ++i)
            longer[at + std::size_t(i)] = char(value >> (8 * i));
    };
    addToSize(22);
    addToSize(longer.find("PK\x01\x02") + 24);
    const Row rows[] = {
        { "flipped bit", flipped, "ov" },
        { "shorter than declared", longer, "ov is damaged" },
        { "cut in half", good.substr(0, good.size() / 2), "damaged" },
        { "cut before the end record", good.substr(0, good.size() - 4), "damaged" },
        { "missing", "", "Cannot open" },
        { "not a zip", std::string(4096, 'x'), "not a ZIP" },
    };
    const Tree before = snapshot(m_root.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.bytes.empty())
            std::ofstream(m_payload, std::ios::binary) << row.bytes;
        Installer installer;
        installer.Target = m_target;
        installer.Payload = m_payload;
        installer.Shortcuts = false;
        EXPECT_FALSE(installer.Install());
        EXPECT_THAT(installer.error(), HasSubstr(row.reason));
        fs::remove(m_payload);
        EXPECT_EQ(snapshot(m_root.path()), before);
    }

    // A folder where a file of the payload goes is found before anything is
    // written, and so is a file where a folder goes.
    makeZip(m_payload, members(5, "new"));
    fs::remove(m_target / "readme.txt");
    fs::create_directories(m_target / "readme.txt");
    fs::remove_all(m_target / "hlp");
    std::ofstream(m_target / "hlp") << "in the way";
    const Tree blocked = snapshot(m_root.path());
    Installer installer;
    installer.Target = m_target;
    installer.Payload = m_payload;
    installer.Shortcuts = false;
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(snapshot(m_root.path()), blocked);
}

TEST_F(InstallTest, TargetChecks)
{
    const std::string file = m_root.write("a file", "x");
    const std::string foreign = m_root.write("foreign/letter.txt", "mine");
    const std::string earlier = m_root.write("earlier/ov", "old");
    const std::string interrupted = m_root.folder(std::string("interrupted/") + StagingFolderName);
    const std::string recorded = m_root.write("recorded/notes.txt", "mine");
    struct Row {
        const char* name;
        std::string target;
        TargetProblem problem;
    };
    const Row rows[] = {
        { "empty", "", TargetProblem::Empty },
        { "relative", "relative/orvanta", TargetProblem::Relative },
        { "root", "/", TargetProblem::Root },
        { "root with slashes", "///", TargetProblem::Root },
        { "control character", m_root / "a\tb", TargetProblem::BadName },
        { "a file", file, TargetProblem::NotAFolder },
        { "missing parent", m_root / "missing/orvanta", TargetProblem::NoParent },
        { "foreign folder", fs::path(foreign).parent_path(), TargetProblem::Foreign },
        { "earlier installation", fs::path(earlier).parent_path(), TargetProblem::None },
        { "interrupted installation", fs::path(interrupted).parent_path(), TargetProblem::None },
        { "recorded folder", fs::path(recorded).parent_path().string() + "/", TargetProblem::None },
        { "empty folder", m_root.folder("empty"), TargetProblem::None },
        { "new folder", m_root / "new", TargetProblem::None },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TargetCheck check = checkTarget(row.target, fs::path(recorded).parent_path());
        EXPECT_EQ(check.problem, row.problem) << check.message;
        EXPECT_EQ(check.message.empty(), row.problem == TargetProblem::None);
    }

    // Install itself refuses each hard problem before writing anything.
    OV_NEED_TOOL("python3");
    makeZip(m_payload, members(3, "new"));
    const Tree before = snapshot(m_root.path());
    for (const Row& row : rows) {
        if (row.problem == TargetProblem::None || row.problem == TargetProblem::Foreign
            || row.problem == TargetProblem::Root)
            continue;
        SCOPED_TRACE(row.name);
        Installer installer;
        installer.Target = row.target;
        installer.Payload = m_payload;
        installer.Shortcuts = false;
        EXPECT_FALSE(installer.Install());
        EXPECT_FALSE(installer.error().empty());
        EXPECT_EQ(snapshot(m_root.path()), before);
    }
}

// The preset folder is /opt/orvanta for the superuser and the user's data
// folder for others, until an install records its folder; the records
// are the user's Orvanta.conf and MainForm/Path of the Windows folder's ov.ini.
TEST_F(InstallTest, RecordsAndPresetFolder)
{
    const std::string preset = presetFolder();
    if (recordedInstallPath().empty()) {
        EXPECT_EQ(preset, geteuid() == 0 ? std::string("/opt/orvanta") : dataHome() + "/orvanta");
    }
    EXPECT_EQ(dataHome(), (SetupHome::home() / ".local/share").string());
    // Another user gets the data folder: a child that drops to nobody.
    if (geteuid() == 0 && recordedInstallPath().empty()) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
            _exit(dropped && presetFolder() == dataHome() + "/orvanta" ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::string target = m_root / "a place";
    std::string error;
    ASSERT_TRUE(writeInstallRecords(target, error)) << error;
    EXPECT_EQ(presetFolder(), target);
    EXPECT_EQ(recordedInstallPath(), target);
    EXPECT_THAT(slurp(SetupHome::home() / ".config/Orvanta.conf"), HasSubstr("Install_Path=" + target));
    EXPECT_EQ(windowsFolder(), (SetupHome::home() / ".config/orvanta/windows").string());
    EXPECT_EQ(IniFile(windowsFolder() + "/ov.ini").readString("MainForm", "Path", ""), target);
}

// The payload the program finds: data.res in the current folder, else in
// its own folder.
TEST_F(InstallTest, PayloadIsLookedForInTheCurrentThenTheProgramsFolder)
{
    const std::string current = m_root.folder("current");
    const std::string program = m_root.folder("program");
    EXPECT_EQ(findPayload(current, program), current + "/data.res");
    m_root.write("program/data.res", "x");
    EXPECT_EQ(findPayload(current, program), program + "/data.res");
    m_root.write("current/data.res", "x");
    EXPECT_EQ(findPayload(current + "/", program), current + "/data.res");
}

// What a kill leaves must hold at once: every member under its final name
// is complete, old or new; nothing is there half-written.
void expectOldOrNew(const Tree& found, const Tree& oldTree, const Tree& newTree)
{
    for (const auto& [path, entry] : newTree) {
        if (entry.kind != 'f')
            continue;
        SCOPED_TRACE(path);
        const auto it = found.find(path);
        ASSERT_NE(it, found.end());
        const bool isOld = oldTree.count(path) && it->second == oldTree.at(path);
        EXPECT_TRUE(isOld || it->second == entry) << it->second;
    }
}

// An install killed after 0, 1 and n - 1 members were staged, and during the
// renames, leaves every file complete, old or new; the next run removes the
// stale staging folder and ends with unzip's tree and nothing extra.
TEST_F(InstallTest, InterruptedInstallIsCompletedByARerun)
{
    OV_NEED_TOOL("python3");
    OV_NEED_TOOL("unzip");
    const int n = 6;
    makeZip(m_payload, members(n, "new"));
    unzipInto(m_payload, m_root / "unzipped");
    const Tree expected = snapshot(m_root / "unzipped");
    struct Row {
        const char* name;
        bool placing; // killed while renaming, else while staging
        int after; // members done
    };
    const Row rows[] = {
        { "staged 0", false, 0 },
        { "staged 1", false, 1 },
        { "staged n - 1", false, n - 1 },
        { "placed 1", true, 1 },
        { "placed n - 1", true, n - 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_target);
        installOld(n);
        const Tree oldTree = snapshot(m_target);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Installer installer;
            installer.Target = m_target;
            installer.Payload = m_payload;
            installer.Shortcuts = false;
            auto killAt = [&row](bool placing) {
                return [&row, placing](const std::string&, int done, int) {
                    if (placing == row.placing && done == row.after)
                        std::raise(SIGKILL);
                };
            };
            installer.OnGauge = [&row](int percent) {
                if (!row.placing && row.after == 0 && percent == 0)
                    std::raise(SIGKILL);
            };
            installer.OnStaged = killAt(false);
            installer.OnPlaced = killAt(true);
            installer.Install();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        ASSERT_TRUE(fs::exists(m_target / StagingFolderName));
        expectOldOrNew(snapshot(m_target), oldTree, expected);

        Installer installer;
        installer.Target = m_target;
        installer.Payload = m_payload;
        installer.Shortcuts = false;
        ASSERT_TRUE(installer.Install()) << installer.error();
        EXPECT_EQ(snapshot(m_target), expected);
    }
}

// Renaming replaces a running program (writing into it would fail with
// "Text file busy") and a link at a member's place, never what it names.
TEST_F(InstallTest, RunningProgramAndLinkAreReplaced)
{
    OV_NEED_TOOL("python3");
    installOld(3);
    fs::remove(m_target / "ov");
    fs::copy_file("/bin/sleep", m_target / "ov");
    const pid_t running = fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        execl((m_target / "ov").c_str(), "ov", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    // The program is running once its image is mapped.
    for (int i = 0;
         i < 200 && fs::read_symlink("/proc/" + std::to_string(running) + "/exe").filename() != "ov"; ++i)
        usleep(10000);
    const std::string named = m_root.write("named.txt", "not to be touched");
    fs::remove(m_target / "readme.txt");
    fs::create_symlink(named, m_target / "readme.txt");

    makeZip(m_payload, members(3, "new"));
    Installer installer;
    installer.Target = m_target;
    installer.Payload = m_payload;
    installer.Shortcuts = false;
    const bool installed = installer.Install();
    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);
    ASSERT_TRUE(installed) << installer.error();
    EXPECT_EQ(slurp(m_target / "ov"), "#!/bin/sh\necho new\n");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_target / "readme.txt")));
    EXPECT_EQ(slurp(m_target / "readme.txt"), "Read me, new\n");
    EXPECT_EQ(slurp(named), "not to be touched");
}

// The gauge runs from 0 to 100 by members staged, never outside the range.
TEST_F(InstallTest, GaugeCountsMembers)
{
    OV_NEED_TOOL("python3");
    const int n = 7;
    makeZip(m_payload, members(n, "new"));
    std::vector<int> gauge;
    Installer installer;
    installer.Target = m_target;
    installer.Payload = m_payload;
    installer.Shortcuts = false;
    installer.OnGauge = [&gauge](int percent) { gauge.push_back(percent); };
    ASSERT_TRUE(installer.Install()) << installer.error();
    std::vector<int> expected = { 0 };
    for (int done = 1; done <= n; ++done)
        expected.push_back(done * 100 / n);
    EXPECT_EQ(gauge, expected);
    // A finished install leaves no staging folder or temporary file.
    for (const auto& [path, entry] : snapshot(m_target)) {
        EXPECT_THAT(path, ::testing::Not(HasSubstr(StagingFolderName)));
        EXPECT_THAT(path, ::testing::Not(HasSubstr(".ov-")));
    }
}

} // namespace
} // namespace ov::test
