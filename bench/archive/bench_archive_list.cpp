// Listing a ZIP, an LHA and an ARJ archive of 2,300 members against the
// independent listers `unzip -l`, `lhasa l` and `arj l`, all in the same run.
// The archives are packed at start-up by zip, lha (jlha) and arj from files
// on this machine (/usr/share/doc, /usr/include), and removed at the end.
//
// Two figures per kind, each by wall clock and by CPU time: `ovtool arc l`
// as a process against the outside program as a process (start-up included
// on both sides, output to /dev/null), and TArchiveLister in this process
// against the same program (our directory walk alone).
#include "archive/archive_lister.h"
#include "bench/archive/bench_support.h"
#include "bench/ratio.h"

#include <cstdio>
#include <map>

#ifndef OV_TOOL
#define OV_TOOL "ovtool"
#endif

namespace {

using ovbench::fs::path;

constexpr std::size_t MemberCount = 2300;

struct Kind {
    const char* name; // benchmark argument label
    const char* file; // archive name in the scratch folder
    std::vector<std::string> pack; // the tool that makes it, run in the scratch folder
    std::vector<std::string> list; // the independent lister (archive path appended)
};

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> all = {
        { "zip", "corpus.zip", { "zip", "-q", "-r", "corpus.zip", "src" }, { "unzip", "-l" } },
        { "lha", "corpus.lzh", { "lha", "aq", "corpus.lzh", "src" }, { "lhasa", "l" } },
        { "arj", "corpus.arj", { "arj", "a", "-r", "-y", "corpus.arj", "src/*" }, { "arj", "l" } },
    };
    return all;
}

// The scratch folder with the copied files and the three archives; an empty
// path for an archive its tool could not make.
struct Corpus {
    ovbench::Scratch scratch;
    std::map<std::string, path> archives;
    std::string problem;
};

const Corpus& corpus()
{
    static Corpus made = [] {
        Corpus c;
        if (c.scratch.path().empty()) {
            c.problem = "no scratch folder";
            return c;
        }
        const auto files
            = ovbench::pickFiles({ "/usr/share/doc", "/usr/include" }, MemberCount, 32768, ~0ull);
        if (files.size() < MemberCount) {
            c.problem = "fewer than 2300 files under /usr/share/doc and /usr/include";
            return c;
        }
        ovbench::copyCorpus(files, c.scratch.path() / "src");
        for (const Kind& kind : kinds()) {
            if (ovbench::runQuiet(kind.pack, c.scratch.path()) == 0)
                c.archives[kind.name] = c.scratch.path() / kind.file;
            else
                std::fprintf(
                    stderr, "bench archive_list: %s could not make %s\n", kind.pack[0].c_str(), kind.file);
        }
        return c;
    }();
    return made;
}

// The archive of kind number `index`, or an error on `state`.
const path* archiveFor(benchmark::State& state, std::size_t index)
{
    const Corpus& c = corpus();
    const auto found = c.archives.find(kinds()[index].name);
    if (!c.problem.empty() || found == c.archives.end()) {
        state.SkipWithError(c.problem.empty() ? "archive not made" : c.problem.c_str());
        return nullptr;
    }
    state.SetLabel(kinds()[index].name);
    return &found->second;
}

using ovbench::Clock;

void BM_ours_list(benchmark::State& state, Clock clock)
{
    const path* archive = archiveFor(state, std::size_t(state.range(0)));
    if (!archive)
        return;
    ovbench::timeHere(state, clock, [archive] {
        int32_t members = 0;
        ov::TArchiveLister lister;
        lister.OnRead = [&members](ov::TArchiveLister& l, int64_t, int32_t filenum) {
            members = filenum;
            benchmark::DoNotOptimize(l.FileName.data());
        };
        lister.SetArchiveFile(archive->string());
        return lister.Activate() && members == int32_t(MemberCount);
    });
}

void BM_ovtool_list(benchmark::State& state, Clock clock)
{
    if (const path* archive = archiveFor(state, std::size_t(state.range(0))))
        ovbench::timeProcess(state, { OV_TOOL, "arc", "l", archive->string() }, clock);
}

void BM_their_list(benchmark::State& state, Clock clock)
{
    const std::size_t index = std::size_t(state.range(0));
    const path* archive = archiveFor(state, index);
    if (!archive)
        return;
    std::vector<std::string> argv = kinds()[index].list;
    argv.push_back(archive->string());
    ovbench::timeProcess(state, argv, clock);
}

void byWall(benchmark::internal::Benchmark* b)
{
    b->DenseRange(0, int(kinds().size()) - 1);
    ovbench::repeatOn(b, Clock::Wall);
}

void byCpu(benchmark::internal::Benchmark* b)
{
    b->DenseRange(0, int(kinds().size()) - 1);
    ovbench::repeatOn(b, Clock::Cpu);
}

BENCHMARK_CAPTURE(BM_ours_list, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_ovtool_list, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_their_list, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_ours_list, cpu, Clock::Cpu)->Apply(byCpu);
BENCHMARK_CAPTURE(BM_ovtool_list, cpu, Clock::Cpu)->Apply(byCpu);
BENCHMARK_CAPTURE(BM_their_list, cpu, Clock::Cpu)->Apply(byCpu);

const bool ratios = [] {
    const char* anchors[] = { "unzip -l", "lhasa l", "arj l" };
    for (int i = 0; i < int(kinds().size()); ++i) {
        const std::string kind = kinds()[std::size_t(i)].name;
        for (const char* clock : { "wall", "cpu" }) {
            const std::string arg = std::string("/") + clock + "/" + std::to_string(i);
            const std::string suffix = std::string(" (") + clock + " time)";
            ovBenchRatio("list_" + kind + "_ovtool_" + clock, "BM_ovtool_list" + arg, "BM_their_list" + arg,
                std::string(anchors[i]) + ", both as processes, 2300 members" + suffix);
            ovBenchRatio("list_" + kind + "_lister_" + clock, "BM_ours_list" + arg, "BM_their_list" + arg,
                std::string("TArchiveLister in process against ") + anchors[i] + " as a process" + suffix);
        }
    }
    return true;
}();

} // namespace

OV_BENCH_MAIN()
