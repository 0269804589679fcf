// The download target: replaced only on success, under the rules of an
// ordinary write (permissions, mode), and no part file left on failure.
#include "news/replacing_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
using ov::test::TempFolder;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

mode_t modeOf(const std::string& path)
{
    struct stat info { };
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

template <typename Body> int inChild(Body body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ReplacingFile, ReplacesTheTargetKeepingItsMode)
{
    TempFolder folder;
    const std::string target = folder.write("private.zip", "old");
    ::chmod(target.c_str(), 0600);
    ReplacingFile file(target);
    ASSERT_TRUE(file.create()) << file.errorText();
    const std::string body(200000, 'z');
    EXPECT_EQ(file.write(body.data(), static_cast<qint64>(body.size())), static_cast<qint64>(body.size()));
    EXPECT_EQ(slurp(target), "old");
    ASSERT_TRUE(file.commit()) << file.errorText();
    EXPECT_EQ(file.written(), static_cast<qint64>(body.size()));
    EXPECT_TRUE(slurp(target) == body);
    EXPECT_EQ(modeOf(target), 0600u);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string> { "private.zip" });
}

// A read-only file of another user is refused with the error of an ordinary
// write and stays as it was (run as nobody: root may write anything).
TEST(ReplacingFile, RefusesATargetTheUserMayNotWrite)
{
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    const std::string target = folder.write("ov.zip", "theirs");
    ::chmod(target.c_str(), 0444);
    const bool root = ::geteuid() == 0;
    const int status = inChild([&] {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        ReplacingFile file(target);
        if (file.create())
            return 1;
        return file.errorText() == "Cannot create " + target + ": Permission denied" ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(slurp(target), "theirs");
    EXPECT_EQ(modeOf(target), 0444u);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string> { "ov.zip" });
}

// A write that fails part way (a file size limit in a child) reports the
// write error at once and leaves no part file; the old target stays.
TEST(ReplacingFile, AFailedWriteLeavesNoPartFile)
{
    TempFolder folder;
    const std::string target = folder.write("ov.zip", "old");
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 100000, 100000 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        ReplacingFile file(target);
        if (!file.create())
            return 1;
        const std::string body(300000, 'z');
        if (file.write(body.data(), static_cast<qint64>(body.size())) != -1)
            return 2;
        if (file.errorText() != "Cannot write " + target + ": File too large")
            return 3;
        // The part file went with the failure, before the caller's discard.
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            if (entry.path().filename() != "ov.zip")
                return 4;
        return file.commit() ? 5 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(slurp(target), "old");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string> { "ov.zip" });
}

TEST(ReplacingFile, WritesADeviceOrADescriptorDirectly)
{
    ReplacingFile device("/dev/null");
    ASSERT_TRUE(device.create()) << device.errorText();
    EXPECT_EQ(device.write("abc", 3), 3);
    EXPECT_TRUE(device.commit());
    struct stat info { };
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ReplacingFile out("");
    ASSERT_TRUE(out.openDescriptor(pipeEnds[1]));
    EXPECT_EQ(out.write("through", 7), 7);
    EXPECT_TRUE(out.commit());
    char got[8] = {};
    EXPECT_EQ(::read(pipeEnds[0], got, sizeof got), 7);
    EXPECT_STREQ(got, "through");
    // The caller's descriptor stays open.
    EXPECT_EQ(::write(pipeEnds[1], "x", 1), 1);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);

    TempFolder folder;
    folder.folder("inway");
    ReplacingFile blocked(folder / "inway");
    EXPECT_FALSE(blocked.create());
    EXPECT_EQ(blocked.errorText(), "Cannot open " + (folder / "inway") + ": Is a directory");
}
