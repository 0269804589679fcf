// The archive disk on a 100,000-member ZIP packed by `zip -r` (folder
// entries stored) and by `zip -r -D` (none), over 100 × 10 folders of 100
// files, made at start-up in a scratch folder and removed at the end.
//
// Figures, all in the same run:
// - open + list the top folder (`ovtool arc ls` as a process) against
//   `unzip -l` of the archive, and against the bare lister `ovtool arc l`;
// - into a sub-folder and back on the pushed disk, in process, against the
//   same on a 100-member archive (100 folders of one file): the cost of a
//   move must not grow with the archive. Its time per move is printed too.
#include "bench/archive/bench_support.h"
#include "bench/ratio.h"
#include "panel/arc_disk.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <cstdio>
#include <fstream>
#include <map>

#ifndef OV_TOOL
#define OV_TOOL "ovtool"
#endif

namespace {

using ovbench::Clock;
using ovbench::fs::path;

struct Archives {
    ovbench::Scratch scratch;
    std::map<std::string, path> made; // "r", "D", "small"
    std::string problem;
};

std::string two(int n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

const Archives& archives()
{
    static Archives a = [] {
        Archives made;
        if (made.scratch.path().empty() || !ovbench::haveProgram("zip") || !ovbench::haveProgram("unzip")) {
            made.problem = "no scratch folder, zip or unzip";
            return made;
        }
        const path big = made.scratch.path() / "big";
        for (int d = 0; d < 100; ++d)
            for (int e = 0; e < 10; ++e) {
                const path folder = big / ("d" + two(d)) / ("e" + std::to_string(e));
                ovbench::fs::create_directories(folder);
                for (int f = 0; f < 100; ++f)
                    std::ofstream(folder / ("f" + two(f) + ".txt")) << f;
            }
        const path small = made.scratch.path() / "small";
        for (int d = 0; d < 100; ++d) {
            ovbench::fs::create_directories(small / ("d" + two(d)));
            std::ofstream(small / ("d" + two(d)) / "f.txt") << d;
        }
        struct Pack {
            const char* name;
            std::vector<std::string> argv;
            path in;
        } packs[] = {
            { "r", { "zip", "-q", "-r", "../r.zip", "." }, big },
            { "D", { "zip", "-q", "-r", "-D", "../D.zip", "." }, big },
            { "small", { "zip", "-q", "-r", "../small.zip", "." }, small },
        };
        for (const Pack& pack : packs) {
            if (ovbench::runQuiet(pack.argv, pack.in) != 0) {
                made.problem = "zip failed";
                return made;
            }
            made.made[pack.name] = made.scratch.path() / (pack.argv[pack.argv.size() - 2].substr(3));
        }
        return made;
    }();
    return a;
}

const path* archiveFor(benchmark::State& state, const std::string& name)
{
    const Archives& a = archives();
    if (!a.problem.empty()) {
        state.SkipWithError(a.problem.c_str());
        return nullptr;
    }
    return &a.made.at(name);
}

const char* const packNames[] = { "r", "D" };

void BM_arc_ls(benchmark::State& state, Clock clock)
{
    if (const path* archive = archiveFor(state, packNames[state.range(0)]))
        ovbench::timeProcess(state, { OV_TOOL, "arc", "ls", archive->string() }, clock);
}

void BM_arc_l(benchmark::State& state, Clock clock)
{
    if (const path* archive = archiveFor(state, packNames[state.range(0)]))
        ovbench::timeProcess(state, { OV_TOOL, "arc", "l", archive->string() }, clock);
}

void BM_unzip_l(benchmark::State& state, Clock clock)
{
    if (const path* archive = archiveFor(state, packNames[state.range(0)]))
        ovbench::timeProcess(state, { "unzip", "-l", archive->string() }, clock);
}

// Into d50 and back to the top on a pushed disk; the push is not timed.
void BM_into_and_back(benchmark::State& state, const char* which)
{
    const path* archive = archiveFor(state, which);
    if (!archive)
        return;
    ov::DriveTable::instance().setDrives({ { 'c', "/", ov::DriveType::Fixed } });
    ov::installArchiveDisk(nullptr);
    ov::TBrowser list;
    list.OpenDisk("c", ov::DiskKind::Standard, "");
    list.PushDisk(
        ov::DriveTable::instance().fromHost(archive->string()).value_or(""), ov::DiskKind::Archive, "");
    int index = 0;
    for (int i = 1; i <= list.Count; ++i)
        if (list.NameAt(i) == "d50")
            index = i;
    if (list.DiskKind != ov::DiskKind::Archive || index == 0) {
        state.SkipWithError("archive not listed");
        return;
    }
    for (auto _ : state) {
        list.EnterFolder(index);
        list.GoUp();
        benchmark::DoNotOptimize(list.Count);
    }
    ov::TBrowser::setArchiveDiskFactory(nullptr);
}

void byWall(benchmark::internal::Benchmark* b)
{
    b->DenseRange(0, 1);
    ovbench::repeatOn(b, Clock::Wall);
}

BENCHMARK_CAPTURE(BM_arc_ls, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_arc_l, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_unzip_l, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_into_and_back, big, "r")->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK_CAPTURE(BM_into_and_back, small, "small")->Unit(benchmark::kMicrosecond)->Repetitions(5);

const bool ratios = [] {
    for (int i = 0; i < 2; ++i) {
        const std::string arg = "/wall/" + std::to_string(i);
        const std::string pack = i == 0 ? "zip -r" : "zip -r -D";
        ovBenchRatio(std::string("arc_disk_open_") + packNames[i], "BM_arc_ls" + arg, "BM_unzip_l" + arg,
            "unzip -l, both as processes, 100,000 members by " + pack);
        ovBenchRatio(std::string("arc_disk_open_over_lister_") + packNames[i], "BM_arc_ls" + arg,
            "BM_arc_l" + arg, "ovtool arc l (the bare lister), 100,000 members by " + pack);
    }
    ovBenchRatio("arc_disk_into_and_back", "BM_into_and_back/big", "BM_into_and_back/small",
        "the same move on a 100-member archive");
    return true;
}();

} // namespace

OV_BENCH_MAIN()
