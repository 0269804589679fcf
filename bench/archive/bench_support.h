// What the archive benchmarks share: a scratch folder, a corpus of real files
// copied from this machine, and the wall time of an outside program run with
// its output thrown away. Each figure is taken twice: by the wall clock, and
// by the CPU time spent (the child's user + system time for a program, the
// thread's for our own code), which a machine busy with other work disturbs
// far less.
#pragma once

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace ovbench {

namespace fs = std::filesystem;

// A fresh folder under /tmp, removed when the program ends.
class Scratch {
public:
    Scratch()
    {
        char pattern[] = "/tmp/ov-bench-XXXXXX";
        if (mkdtemp(pattern))
            m_path = pattern;
    }
    ~Scratch()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove_all(m_path, error);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// Regular files (no links) under `roots`, in name order, of at most
// `largest` bytes each, until `count` files or `totalBytes` bytes are found.
inline std::vector<fs::path> pickFiles(const std::vector<const char*>& roots, std::size_t count,
    std::uintmax_t largest, std::uintmax_t totalBytes)
{
    std::vector<fs::path> found;
    std::uintmax_t total = 0;
    for (const char* root : roots) {
        std::vector<fs::path> here;
        std::error_code error;
        for (auto it
             = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (error)
                break;
            if (it->is_symlink(error) || !it->is_regular_file(error))
                continue;
            here.push_back(it->path());
        }
        std::sort(here.begin(), here.end());
        for (const fs::path& path : here) {
            if (found.size() >= count || total >= totalBytes)
                return found;
            std::error_code sizeError;
            const std::uintmax_t size = fs::file_size(path, sizeError);
            if (sizeError || size > largest || access(path.c_str(), R_OK) != 0)
                continue;
            found.push_back(path);
            total += size;
        }
    }
    return found;
}

// Copies `files` into `into`/dNN/NNNN_name, a hundred to a folder, so the
// archives hold short, unique, plain names in a few folders.
inline void copyCorpus(const std::vector<fs::path>& files, const fs::path& into)
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string folder = std::to_string(i / 100), prefix = std::to_string(i);
        folder.insert(0, folder.size() < 2 ? "d0" : "d");
        prefix.insert(0, prefix.size() < 4 ? 4 - prefix.size() : 0, '0');
        prefix += '_';
        std::string name = files[i].filename().string();
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
                c = '_';
        fs::create_directories(into / folder);
        fs::copy_file(files[i], into / folder / (prefix + name), fs::copy_options::overwrite_existing);
    }
}

enum class Clock { Wall, Cpu };

// Runs `argv` in `cwd` with stdin, stdout and stderr on /dev/null; its exit
// status, or -1 when it could not be started. `cpuSeconds`, when given,
// receives the user + system time the program used.
inline int runQuiet(
    const std::vector<std::string>& argv, const fs::path& cwd = {}, double* cpuSeconds = nullptr)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    if (cpuSeconds)
        *cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// True when `program` is on PATH.
inline bool haveProgram(const std::string& program)
{
    return runQuiet({ "/bin/sh", "-c", "command -v '" + program + "'" }) == 0;
}

// One benchmark iteration per run of `argv`; an error when it fails. With
// Clock::Cpu the benchmark takes manual time: the program's CPU time.
inline void timeProcess(benchmark::State& state, const std::vector<std::string>& argv, Clock clock)
{
    for (auto _ : state) {
        double cpu = 0;
        if (runQuiet(argv, {}, &cpu) != 0) {
            state.SkipWithError((argv[0] + " failed").c_str());
            break;
        }
        if (clock == Clock::Cpu)
            state.SetIterationTime(cpu);
    }
}

inline double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// One benchmark iteration per call of `body` (false is an error). With
// Clock::Cpu the benchmark takes manual time: this thread's CPU time.
template <class Body> void timeHere(benchmark::State& state, Clock clock, Body body)
{
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        if (!body()) {
            state.SkipWithError("run failed");
            break;
        }
        if (clock == Clock::Cpu)
            state.SetIterationTime(threadCpuSeconds() - start);
    }
}

// Five repetitions reported by their median, by the wall clock or by
// manual (CPU) time.
inline void repeatOn(benchmark::internal::Benchmark* b, Clock clock)
{
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
    if (clock == Clock::Cpu)
        b->UseManualTime();
    else
        b->UseRealTime();
}

} // namespace ovbench
