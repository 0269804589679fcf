// ovtool get stopped by a signal while the server keeps it waiting: the
// download's part file goes, the target stays as it was, and the exit
// status says the download did not finish.
#include "tests/news/servers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace ov {
namespace {

using namespace ov::test;

const char* const kOvtool = OV_BINARY_DIR "/cli/ovtool";

std::vector<std::string> partFiles(const std::string& folder)
{
    std::vector<std::string> names;
    // The download is written under the atomic writer's temporary name
    // (".ov-XXXXXX") beside its target; older builds used FILE.part-XXXXXX.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".ov-", 0) == 0 || name.find(".part") != std::string::npos)
            names.push_back(name);
    }
    return names;
}

TEST(OvtoolGet, SignalRemovesThePartFile)
{
    if (!std::filesystem::exists(kOvtool)) {
        if (std::getenv("CI"))
            FAIL() << "ovtool is not built";
        GTEST_SKIP() << "ovtool is not built";
    }
    const struct {
        const char* name;
        int signal;
        std::vector<Step> script;
    } rows[] = {
        { "SIGINT while the head is awaited", SIGINT, { silence() } },
        { "SIGTERM inside the body", SIGTERM,
            { bytes("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'p')),
                silence() } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string target = dir.file("ov.zip", "old contents");
        HostileServer server({ row.script });
        const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/ov.zip";
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 2);
            ::execl(kOvtool, kOvtool, "get", url.c_str(), target.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        // Stop it once the request is waiting on the server, its part file made.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((server.requests().empty() || partFiles(dir.path()).empty())
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(partFiles(dir.path()).size(), 1u);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::kill(child, row.signal);
        int status = 0;
        int waited = 0;
        for (; waited < 500 && ::waitpid(child, &status, WNOHANG) == 0; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waited == 500) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            FAIL() << "ovtool get did not stop";
        }
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + row.signal);
        EXPECT_TRUE(partFiles(dir.path()).empty()) << partFiles(dir.path())[0];
        std::ifstream in(target, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old contents");
    }
}

} // namespace
} // namespace ov
