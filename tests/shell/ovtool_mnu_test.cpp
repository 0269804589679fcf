// ovtool mnu: listing, a malformed file's message, the rewrite, and --run
// through the real launcher starting a small recorder script.
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace ov;

namespace {

// ovtool mnu with arguments; exit code, stdout and stderr together.
int ovtoolMnu(const std::string& arguments, std::string& output)
{
    const std::string command = OV_BINARY_DIR "/cli/ovtool mnu " + arguments + " 2>&1";
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

TEST(OvtoolMnu, ListsMalformedAndRewrite)
{
    test::TempFolder folder;
    const std::string good
        = folder.write("good.mnu", "2\n \nTop\ntop -b\n \nShell\ncommand.com /c ls | sort\n \n");
    std::string output;
    EXPECT_EQ(ovtoolMnu("'" + good + "'", output), 0);
    EXPECT_EQ(output, "Top\ttop\t-b\nShell\tls | sort\n");

    // --rewrite writes the CR LF form.
    EXPECT_EQ(ovtoolMnu("--rewrite '" + good + "'", output), 0) << output;
    EXPECT_EQ(slurp(good), "2\r\n \r\nTop\r\ntop -b\r\n \r\nShell\r\ncommand.com /c ls | sort\r\n \r\n");

    // A malformed file: the line and the reason, exit 1, never rewritten.
    const std::string bytes = "4\n \nTop\ntop\n \n";
    const std::string bad = folder.write("bad.mnu", bytes);
    EXPECT_EQ(ovtoolMnu("'" + bad + "'", output), 1);
    EXPECT_EQ(output, "ovtool mnu: " + bad + ": line 6: the file ends before entry 2 of 4\n");
    EXPECT_EQ(ovtoolMnu("--rewrite '" + bad + "'", output), 1);
    EXPECT_EQ(slurp(bad), bytes);

    EXPECT_EQ(ovtoolMnu("--run 3 '" + good + "'", output), 1);
    EXPECT_EQ(output, "ovtool mnu: " + good + ": no entry 3\n");
}

TEST(OvtoolMnu, RunStartsTheEntryWithItsWordsThroughTheRealLauncher)
{
    test::TempFolder folder;
    const std::string record = folder / "argv.txt";
    const std::string script = folder.write("recorder.sh",
        "#!/bin/sh\nfor word in \"$@\"; do printf '%s\\n' \"$word\"; done > '" + record + ".tmp'\nmv '"
            + record + ".tmp' '" + record + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string menu = folder.write("ov.mnu",
        "2\r\n \r\nRecord\r\n" + script + " a;b \"two words\" $(touch x) * |\r\n \r\nMissing\r\n"
            + folder.path() + "/no-such-program\r\n \r\n");
    std::string output;
    ASSERT_EQ(ovtoolMnu("--run 1 '" + menu + "'", output), 0) << output;
    for (int i = 0; i < 100 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(slurp(record), "a;b\ntwo words\n$(touch\nx)\n*\n|\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "x"));

    // A command that cannot start says so.
    EXPECT_EQ(ovtoolMnu("--run 2 '" + menu + "'", output), 1);
    EXPECT_NE(output.find("no-such-program"), std::string::npos) << output;
}
