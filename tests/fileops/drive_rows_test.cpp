// The drive window's rows for every drive type, its readiness test bounded
// against a probe that never answers, the "About system" rows with 64-bit
// figures, and ovtool drives and sysinfo.
#include "fileops/drive_info_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <sys/wait.h>

using namespace ov;
using namespace ov::test;

namespace {

class DriveRowsTest : public testing::Test {
protected:
    void TearDown() override { DriveTable::instance().reset(); }
    TempFolder root;
};

std::string runTool(const std::string& arguments, const std::string& drives, int& status)
{
    const std::string command
        = "ORVANTA_DRIVES='" + drives + "' " OV_BINARY_DIR "/cli/ovtool " + arguments + " 2>/dev/null";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    std::size_t size;
    while (pipe && (size = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, size);
    const int raw = pipe ? ::pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

} // namespace

TEST_F(DriveRowsTest, RowForEveryType)
{
    DriveTable::instance().setDrives({ { 'r', "/r", DriveType::RamDisk }, { 'c', "/", DriveType::Fixed },
        { 'a', "/a", DriveType::Removable }, { 'd', "/d", DriveType::CdRom },
        { 'n', "/n", DriveType::Remote }, { 'e', "/e", DriveType::Fixed }, { 'f', "/f", DriveType::Fixed },
        { 'u', "/u", DriveType::Unknown } });
    const auto label = [](char letter) {
        return letter == 'c' ? std::string("SYSTEM") : letter == 'f' ? "my Data" : "";
    };
    std::vector<std::string> texts;
    for (const DriveRow& row : driveRows(label))
        texts.push_back(row.text);
    EXPECT_EQ(texts,
        (std::vector<std::string> { "a: [Removable]", "c: [System]", "d: [CD-ROM]", "e: [No-name]",
            "f: [My data]", "n: [Network]" }));
}

// A probe that never answers (a dead network mount) is "not ready" within
// the bound; the window's thread is never held longer.
TEST_F(DriveRowsTest, ReadinessIsBounded)
{
    struct Gate {
        std::mutex mutex;
        std::condition_variable open;
        bool released = false;
    };
    auto gate = std::make_shared<Gate>();
    const auto blocked = [gate](char) {
        std::unique_lock lock(gate->mutex);
        gate->open.wait(lock, [&] { return gate->released; });
        return true;
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(driveReadyWithin('n', std::chrono::milliseconds(300), blocked));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(290));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    {
        std::lock_guard lock(gate->mutex);
        gate->released = true;
    }
    gate->open.notify_all();

    // The default probe: a mapped folder that exists is ready, a missing one not.
    DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed },
        { 'd', root / "missing", DriveType::CdRom }, { 'n', root.path(), DriveType::Remote } });
    EXPECT_TRUE(driveReadyWithin('c', std::chrono::milliseconds(300)));
    EXPECT_TRUE(driveReadyWithin('n', std::chrono::milliseconds(300)));
    EXPECT_FALSE(driveReadyWithin('d', std::chrono::milliseconds(300)));
    EXPECT_FALSE(driveReadyWithin('q', std::chrono::milliseconds(300)));
}

// "#,###" with a fixed ",", empty for 0, and sizes past 32 bits.
TEST_F(DriveRowsTest, SystemInfoRows)
{
    SystemFacts facts;
    facts.computer = "IBM PC/AT";
    facts.processor = "Pentium, MMX";
    facts.memoryBytes = 8LL << 40; // 8 TiB
    facts.operatingSystem = "Linux 6.1 (Build 0)";
    const auto rows = systemInfoRows(facts, 5000000000000LL, "1024x768x16777216");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], (std::pair<std::string, std::string> { "Computer:", "IBM PC/AT" }));
    EXPECT_EQ(rows[2].second, "8,589,934,592 Kb");
    EXPECT_EQ(rows[3].second, "1024x768x16777216");
    EXPECT_EQ(rows[4].second, "5,000,000,000,000 bytes");
    EXPECT_EQ(rows[6], (std::pair<std::string, std::string> { "Registered on:", "" }));
    facts.memoryBytes = 0;
    EXPECT_EQ(systemInfoRows(facts, 0, "", "octets")[2].second, " Kb");
    EXPECT_EQ(systemInfoRows(facts, 0, "", "octets")[4].second, " octets");
}

TEST_F(DriveRowsTest, CommandLine)
{
    if (!std::filesystem::exists(OV_BINARY_DIR "/cli/ovtool"))
        GTEST_SKIP() << "ovtool is not built";
    const std::string drives = "a=" + root.path() + "|removable;d=" + root.path()
        + "/gone|cdrom;n=" + root.path() + "|remote;r=" + root.path() + "|ramdisk";
    int status = -1;
    EXPECT_EQ(runTool("drives", drives, status),
        "a: [Removable]\tready\t" + root.path() + "\nd: [CD-ROM]\tnot ready\t" + root.path()
            + "/gone\nn: [Network]\tready\t" + root.path() + "\n");
    EXPECT_EQ(status, 0);

    const std::string info = runTool("sysinfo " + root.path(), "n=" + root.path() + "|remote", status);
    EXPECT_EQ(status, 0);
    std::vector<std::string> labels;
    for (std::size_t at = 0; at < info.size();) {
        const std::size_t end = info.find('\n', at);
        labels.push_back(info.substr(at, info.find('\t', at) - at));
        at = end == std::string::npos ? info.size() : end + 1;
    }
    EXPECT_EQ(labels,
        (std::vector<std::string> { "Computer:", "Processor:", "Memory summary:", "Video mode:",
            "Current drive:", "Operation system:", "Registered on:" }));
    EXPECT_NE(info.find("Current drive:\t"), std::string::npos);
    EXPECT_EQ(info.find("Current drive:\t bytes"), std::string::npos) << "the drive's size is missing";
    runTool("sysinfo q:\\", "c=" + root.path(), status);
    EXPECT_EQ(status, 1);
}
