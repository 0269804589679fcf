// ovtool cd against independent oracles on images written at run time:
// the track lengths equal those computed from cd-info's own track list,
// and what `cd play` writes equals the BIN's byte slices (a data track
// never reaches the output).
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ov {
namespace {

const std::string tool = OV_BINARY_DIR "/cli/ovtool";

struct ToolRun {
    int status;
    std::string out;
};

ToolRun run(const std::string& command)
{
    ToolRun result { -1, {} };
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CdTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::ifstream(tool))
            GTEST_SKIP() << "ovtool is not built";
        const std::string script = std::string(OV_SOURCE_DIR) + "/tests/data/cd/make_cd_image.py";
        if (run("python3 " + script + " " + folder.path()).status != 0
            || run("python3 " + script + " " + folder.path() + " --name mixed --mixed").status != 0)
            GTEST_SKIP() << "python3 could not write the CD images";
    }
    std::string slice(const char* name, uint32_t first, uint32_t end) const
    {
        return readAll(folder / (std::string(name) + ".bin")).substr(first * 2352ul, (end - first) * 2352ul);
    }
    test::TempFolder folder;
};

// "tracks N" and "n mm:ss" lines from cd-info's track list: the lengths are
// the distances between the listed sector numbers (the lead-out closing the
// last), which cd-info prints beside each track.
std::string fromCdInfo(const std::string& listing)
{
    std::istringstream lines(listing);
    std::string line;
    std::vector<std::pair<int, long>> starts; // track, sector
    std::vector<bool> data;
    while (std::getline(lines, line)) {
        int number = 0;
        char msf[16];
        long sector = 0;
        char type[16];
        if (std::sscanf(line.c_str(), " %d: %15s %ld %15s", &number, msf, &sector, type) != 4)
            continue;
        starts.emplace_back(number, sector);
        data.push_back(std::string(type) == "data");
    }
    if (starts.size() < 2)
        return {};
    std::string text = "tracks " + std::to_string(starts.size() - 1) + "\n";
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        const long seconds = (starts[i + 1].second - starts[i].second) / 75;
        char row[64];
        std::snprintf(row, sizeof row, "%d %02ld:%02ld%s\n", starts[i].first, seconds / 60, seconds % 60,
            data[i] ? " data" : "");
        text += row;
    }
    return text;
}

TEST_F(CdTool, TracksAgreeWithCdInfo)
{
    if (run("command -v cd-info").status != 0)
        GTEST_SKIP() << "cd-info (libcdio-utils) is not installed";
    for (const char* name : { "disc", "mixed" }) {
        SCOPED_TRACE(name);
        const std::string cue = folder / (std::string(name) + ".cue");
        const ToolRun info = run("cd-info --no-device-info --no-cddb --no-analyze --no-header " + cue);
        const std::string expected = fromCdInfo(info.out);
        ASSERT_FALSE(expected.empty()) << info.out;
        const ToolRun ours = run(tool + " cd tracks " + cue);
        EXPECT_EQ(ours.status, 0);
        EXPECT_EQ(ours.out, expected);
    }
    // The three-track disc as the window shows it.
    EXPECT_EQ(run(tool + " cd tracks " + (folder / "disc.cue")).out, "tracks 3\n1 00:04\n2 00:03\n3 00:02\n");
}

TEST_F(CdTool, PlayWritesTheImagesBytes)
{
    struct Row {
        const char* name;
        const char* image;
        const char* arguments;
        uint32_t first;
        uint32_t end;
    };
    const Row rows[] = {
        { "track 2", "disc", "--track 2", 300, 563 },
        { "tracks 2 to 3", "disc", "--track 2 --to 3", 300, 713 },
        { "whole disc", "disc", "", 0, 713 },
        { "mixed whole disc", "mixed", "", 300, 1013 },
        { "mixed from the data track", "mixed", "--track 1 --to 2", 300, 600 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string out = folder / "out.pcm";
        std::remove(out.c_str());
        const ToolRun played = run("ORVANTA_AUDIO=null " + tool + " cd play " + (folder / row.image) + ".cue "
            + row.arguments + " --out " + out);
        EXPECT_EQ(played.status, 0);
        EXPECT_EQ(played.out, "frames=" + std::to_string((row.end - row.first) * 588ul) + "\n");
        const std::string bytes = readAll(out);
        const std::string expected = slice(row.image, row.first, row.end);
        EXPECT_EQ(bytes.size(), expected.size());
        EXPECT_TRUE(bytes == expected);
    }
}

TEST_F(CdTool, RefusesWhatItCannotPlay)
{
    const std::string cue = folder / "disc.cue";
    const std::string out = folder / "none.pcm";
    struct Row {
        std::string arguments;
        int status;
    };
    const Row rows[] = {
        { "play " + cue + " --track 4 --out " + out, 1 },
        { "play " + cue + " --track 3 --to 2 --out " + out, 1 },
        { "play " + cue + " --track 0 --out " + out, 2 },
        { "play " + (folder / "missing.cue") + " --out " + out, 1 },
        { "tracks " + (folder / "missing.cue"), 1 },
        { "spin " + cue, 2 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(run("ORVANTA_AUDIO=null " + tool + " cd " + row.arguments).status, row.status);
    }
    // Nothing played, nothing written.
    EXPECT_FALSE(std::ifstream(out));
}

} // namespace
} // namespace ov
