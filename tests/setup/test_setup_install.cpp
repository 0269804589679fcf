// The payload this build made, installed with ovtool setup as a new user
// would (a fresh HOME, no XDG variables) into a folder whose name holds a
// space, "%", "$" and a quote: the tree equals unzip's extraction of the
// same payload, the records hold the folder, the three menu entries read
// back to the exact paths and pass desktop-file-validate, and the
// installed ov starts from there and uses it as its program folder.
#include "setup/desktop_entry.h"
#include "setup/installer.h"
#include "tests/setup/setup_support.h"

#include "platform/ini_file.h"

#include <gmock/gmock.h>

#include <array>
#include <cstdio>

namespace ov::test {
namespace {

using ::testing::HasSubstr;

const auto* const home = ::testing::AddGlobalTestEnvironment(new SetupHome);

const fs::path Payload = fs::path(OV_BINARY_DIR) / "setup" / "data.res";
const fs::path Ovtool = fs::path(OV_BINARY_DIR) / "cli" / "ovtool";

// A command's output (both streams) and exit status.
std::pair<std::string, int> capture(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return { output, -1 };
    std::array<char, 4096> buffer;
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), got);
    const int status = pclose(pipe);
    return { output, WIFEXITED(status) ? WEXITSTATUS(status) : -1 };
}

class RealPayload : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(Payload) || !fs::exists(Ovtool))
            GTEST_SKIP() << "the payload or ovtool is not built (ctest runs the setup_payload fixture)";
        OV_NEED_TOOL("unzip");
    }
    TempFolder m_root;
};

TEST_F(RealPayload, InstalledTreeRecordsEntriesAndProgram)
{
    const std::string target = m_root / "Or van%ta $x \"q\"";
    const auto [output, status]
        = capture(quoted(Ovtool) + " setup --target " + quoted(target) + " " + quoted(Payload));
    ASSERT_EQ(status, 0) << output;
    EXPECT_THAT(output, HasSubstr("ov\n"));
    EXPECT_THAT(output, HasSubstr("Installed "));

    // The same tree as unzip's: bytes and modes, dates within the ZIP's
    // two-second step.
    unzipInto(Payload, m_root / "unzipped");
    const Tree expected = snapshot(m_root / "unzipped");
    const Tree installed = snapshot(target);
    EXPECT_EQ(installed, expected);
    for (const auto& [path, entry] : expected) {
        if (entry.kind != 'f' || !installed.count(path))
            continue;
        EXPECT_LE(std::abs(installed.at(path).mtime - entry.mtime), 2) << path;
    }
    for (const char* program : { "ov", "ov_news", "ovtool" })
        EXPECT_EQ(installed.at(program).mode & 0111, 0111u) << program;
    for (const char* data :
        { "readme.txt", "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini", "libovrar.so" })
        EXPECT_TRUE(installed.count(data)) << data;

    // The records.
    EXPECT_TRUE(fs::exists(SetupHome::home() / ".config/Orvanta.conf"));
    EXPECT_EQ(recordedInstallPath(), target);
    EXPECT_EQ(IniFile((SetupHome::home() / ".config/orvanta/windows/ov.ini").string())
                  .readString("MainForm", "Path", ""),
        target);

    // The menu entries, read back with our parser and checked by the validator.
    const fs::path entries = SetupHome::home() / ".local/share/applications/orvanta";
    const std::map<std::string, std::vector<std::string>> commands = {
        { "orvanta.desktop", { target + "/ov" } },
        { "readme.desktop", { "xdg-open", target + "/readme.txt" } },
        { "hot-news.desktop", { target + "/ov_news" } },
    };
    for (const auto& [file, command] : commands) {
        SCOPED_TRACE(file);
        const auto keys = desktopEntryKeys(slurp(entries / file));
        std::vector<std::string> argv;
        ASSERT_TRUE(parseExec(keys.at("Exec"), argv));
        EXPECT_EQ(argv, command);
        EXPECT_EQ(unescapeDesktopValue(keys.at("Path")), target);
        if (haveTool("desktop-file-validate")) {
            EXPECT_EQ(run("desktop-file-validate " + quoted((entries / file).string()) + " >&2"), 0);
        }
    }

    // The installed ov starts from anywhere, draws its window and exits 0.
    // It uses the folder it was installed into as its program folder: no
    // data file is seeded into the configuration folder.
    const std::string shot = m_root / "shot.png";
    const auto [started, exitStatus] = capture("cd / && env -u ORVANTA_HOME QT_QPA_PLATFORM=offscreen "
                                               "ASAN_OPTIONS=detect_leaks=0 ORVANTA_SCREENSHOT="
        + quoted(shot) + " " + quoted(target + "/ov"));
    EXPECT_EQ(exitStatus, 0) << started;
    EXPECT_TRUE(fs::exists(shot)) << started;
    EXPECT_FALSE(fs::exists(SetupHome::home() / ".config/orvanta/ov_eng.ini"));
    EXPECT_FALSE(fs::exists(SetupHome::home() / ".config/orvanta/ov.ini"));
}

// ovtool setup refuses a foreign folder unless told --yes, and reports a
// failure with its text and a non-zero status.
TEST_F(RealPayload, OvtoolAsksBeforeMixingIntoAForeignFolder)
{
    const std::string foreign = m_root.write("foreign/letter.txt", "mine");
    const std::string folder = fs::path(foreign).parent_path();
    auto [refused, refusedStatus] = capture(
        quoted(Ovtool) + " setup --no-shortcuts --target " + quoted(folder) + " " + quoted(Payload));
    EXPECT_EQ(refusedStatus, 1);
    EXPECT_THAT(refused, HasSubstr("--yes"));
    EXPECT_FALSE(fs::exists(folder + "/ov"));

    auto [done, doneStatus] = capture(
        quoted(Ovtool) + " setup --yes --no-shortcuts --target " + quoted(folder) + " " + quoted(Payload));
    EXPECT_EQ(doneStatus, 0) << done;
    EXPECT_TRUE(fs::exists(folder + "/ov"));
    EXPECT_EQ(slurp(foreign), "mine");

    auto [missing, missingStatus] = capture(quoted(Ovtool) + " setup --no-shortcuts --target "
        + quoted(m_root / "new") + " " + quoted(m_root / "nothing.res"));
    EXPECT_EQ(missingStatus, 1);
    EXPECT_THAT(missing, HasSubstr("Cannot open the payload"));
    EXPECT_FALSE(fs::exists(m_root / "new"));
}

} // namespace
} // namespace ov::test
