// Installing the full payload of this build: `ovtool setup` against
// `unzip -q -o` of the same payload, each into a fresh folder on the same
// file system, in the same run. Each iteration is one whole run of a child
// process, timed from fork to exit; the folder is removed between runs.
// HOME points at a scratch folder so the records stay out of the user's.
#include "bench/ratio.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path& scratch()
{
    static const fs::path made = [] {
        char pattern[] = "/tmp/ov_bench_setup_XXXXXX";
        const fs::path folder = ::mkdtemp(pattern);
        ::setenv("HOME", (folder / "home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
        std::atexit([] {
            std::error_code error;
            fs::remove_all(scratch(), error);
        });
        return folder;
    }();
    return made;
}

int runQuietly(const std::vector<std::string>& argv)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum class Tool { Ovtool, Unzip };

void install(benchmark::State& state, Tool tool)
{
    if (!fs::exists(OV_PAYLOAD)) {
        state.SkipWithError("no payload (build ov_payload)");
        return;
    }
    const std::string target = (scratch() / "target").string();
    for (auto _ : state) {
        std::error_code error;
        fs::remove_all(target, error);
        const auto start = std::chrono::steady_clock::now();
        const int status = tool == Tool::Ovtool
            ? runQuietly({ OV_OVTOOL, "setup", "--yes", "--no-shortcuts", "--target", target, OV_PAYLOAD })
            : runQuietly({ "unzip", "-q", "-o", OV_PAYLOAD, "-d", target });
        const auto stop = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError("install failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

void BM_unzip(benchmark::State& state)
{
    install(state, Tool::Unzip);
}
void BM_ovtool_setup(benchmark::State& state)
{
    install(state, Tool::Ovtool);
}

BENCHMARK(BM_unzip)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ovtool_setup)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

const bool ratio = ovBenchRatio("setup_install", "BM_ovtool_setup/iterations:1", "BM_unzip/iterations:1",
    "unzip -q -o of the full payload into a fresh folder; goal <= 1.5");

} // namespace

OV_BENCH_MAIN()
