// The copy, move and delete walks against cp, mv and rm on the same data in
// the same run: one 2 GiB file, and 100,000 small files in 1,000 folders.
// Each iteration works on fresh copies made outside the timing; medians of
// three. The data
// lives in a temporary folder beside the system's temporary files
// (OV_BENCH_DIR overrides); OV_BENCH_BIG_MIB and OV_BENCH_FILES shrink it.
#include "bench/ratio.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;

namespace {

int64_t setting(const char* name, int64_t fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoll(value) : fallback;
}

struct Data {
    std::string root;
    int64_t bigBytes = 0;

    Data()
    {
        const char* base = std::getenv("OV_BENCH_DIR");
        std::string pattern = std::string(base && *base ? base : "/var/tmp") + "/ovbench.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        DriveTable::instance().setDrives({ { 'c', root, DriveType::Fixed } });

        // The big file: incompressible-looking bytes, written once.
        bigBytes = setting("OV_BENCH_BIG_MIB", 2048) * 1024 * 1024;
        std::filesystem::create_directories(root + "/big");
        std::ofstream big(root + "/big/big.bin", std::ios::binary);
        std::string block(1 << 20, '\0');
        uint64_t state = 88172645463325252ULL;
        for (int64_t written = 0; written < bigBytes; written += static_cast<int64_t>(block.size())) {
            for (std::size_t i = 0; i < block.size(); i += 8) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                std::memcpy(&block[i], &state, 8);
            }
            big.write(block.data(),
                static_cast<std::streamsize>(
                    std::min<int64_t>(static_cast<int64_t>(block.size()), bigBytes - written)));
        }

        // The tree: files of 0..4 KiB in 1,000 folders.
        const int64_t files = setting("OV_BENCH_FILES", 100000);
        const std::string content(4096, 'x');
        for (int64_t i = 0; i < files; ++i) {
            const std::string folder = root + "/tree/t/f" + std::to_string(i % 1000);
            if (i < 1000)
                std::filesystem::create_directories(folder);
            std::ofstream(folder + "/file" + std::to_string(i) + ".dat", std::ios::binary)
                .write(content.data(), i % 4097);
        }
    }
    ~Data() { std::filesystem::remove_all(root); }
};

Data& data()
{
    static Data instance;
    return instance;
}

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void clean(const std::string& path)
{
    std::filesystem::remove_all(path);
}

void fresh(const std::string& folder)
{
    clean(folder);
    std::filesystem::create_directories(folder);
}

// Our copy of the entry name of c:\<from>\ into c:\<to>\, or a move.
bool ours(const std::string& from, const std::string& name, const std::string& to, bool move)
{
    TBrowser source;
    TBrowser target;
    source.OpenDisk("c", DiskKind::Standard, from + "\\");
    target.OpenDisk("c", DiskKind::Standard, to + "\\");
    for (int i = 1; i <= source.Count; ++i)
        if (source.NameAt(i) == name)
            source.CurIndex = i;
    return source.CopyTo(target, move);
}

bool oursDelete(const std::string& from, const std::string& name)
{
    TBrowser list;
    list.OpenDisk("c", DiskKind::Standard, from + "\\");
    for (int i = 1; i <= list.Count; ++i)
        if (list.NameAt(i) == name)
            list.CurIndex = i;
    return list.DeleteSelected();
}

// Flushes dirty pages so one run's writeback does not land in the next.
void settle()
{
    ::sync();
}

// Runs `action` once per iteration, after `prepare` (outside the timing)
// made its data fresh; a failed action fails the benchmark.
template <typename Prepare, typename Action>
void timed(benchmark::State& state, Prepare prepare, Action action, const char* failure)
{
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        if (!action())
            state.SkipWithError(failure);
    }
}

// An empty output folder, with nothing left to write back.
void freshOut()
{
    fresh(data().root + "/out");
    settle();
}

// Delete and move work on a copy made by cp outside the timing.
void prepareVictim()
{
    const std::string root = data().root;
    fresh(root + "/victim");
    run("cp -r --reflink=never " + root + "/tree/t " + root + "/victim/");
    freshOut();
}

void BM_CopyBig(benchmark::State& state)
{
    timed(
        state, freshOut, [] { return ours("big", "big.bin", "out", false); }, "copy failed");
    state.SetBytesProcessed(state.iterations() * data().bigBytes);
}

void BM_CpBig(benchmark::State& state)
{
    const std::string root = data().root;
    timed(
        state, freshOut,
        [&] { return run("cp --reflink=never " + root + "/big/big.bin " + root + "/out/") == 0; },
        "cp failed");
    state.SetBytesProcessed(state.iterations() * data().bigBytes);
}

void BM_CopyTree(benchmark::State& state)
{
    timed(
        state, freshOut, [] { return ours("tree", "t", "out", false); }, "copy failed");
}

void BM_CpTree(benchmark::State& state)
{
    const std::string root = data().root;
    timed(
        state, freshOut,
        [&] { return run("cp -r --reflink=never " + root + "/tree/t " + root + "/out/") == 0; }, "cp failed");
}

void BM_DeleteTree(benchmark::State& state)
{
    timed(
        state, prepareVictim, [] { return oursDelete("victim", "t"); }, "delete failed");
}

void BM_RmTree(benchmark::State& state)
{
    const std::string root = data().root;
    timed(
        state, prepareVictim, [&] { return run("rm -rf " + root + "/victim/t") == 0; }, "rm failed");
}

void BM_MoveTree(benchmark::State& state)
{
    timed(
        state, prepareVictim, [] { return ours("victim", "t", "out", true); }, "move failed");
}

void BM_MvTree(benchmark::State& state)
{
    const std::string root = data().root;
    timed(
        state, prepareVictim, [&] { return run("mv " + root + "/victim/t " + root + "/out/") == 0; },
        "mv failed");
}

#define OV_FILEOPS_BENCH(name)                                                                               \
    BENCHMARK(name)                                                                                          \
        ->Iterations(1)                                                                                      \
        ->Repetitions(3)                                                                                     \
        ->ReportAggregatesOnly(true)                                                                         \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->UseRealTime()
OV_FILEOPS_BENCH(BM_CpBig);
OV_FILEOPS_BENCH(BM_CopyBig);
OV_FILEOPS_BENCH(BM_CpTree);
OV_FILEOPS_BENCH(BM_CopyTree);
OV_FILEOPS_BENCH(BM_RmTree);
OV_FILEOPS_BENCH(BM_DeleteTree);
OV_FILEOPS_BENCH(BM_MvTree);
OV_FILEOPS_BENCH(BM_MoveTree);

const bool ratios = ovBenchRatio("fileops_copy_2gib", "BM_CopyBig", "BM_CpBig",
                        "cp --reflink=never of one 2 GiB file; time ratio, throughput = 1/ratio")
    && ovBenchRatio("fileops_copy_tree", "BM_CopyTree", "BM_CpTree",
        "cp -r --reflink=never of 100,000 files in 1,000 folders")
    && ovBenchRatio("fileops_delete_tree", "BM_DeleteTree", "BM_RmTree", "rm -rf of that tree")
    && ovBenchRatio("fileops_move_tree", "BM_MoveTree", "BM_MvTree", "mv of that tree within one filesystem");

} // namespace

OV_BENCH_MAIN()
