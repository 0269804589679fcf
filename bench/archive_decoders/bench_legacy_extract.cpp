// ARJ methods 1-3, LHA -lh5-/-lh6- and ARC crunching against the tools
// that test those archives: `arj t`, `lhasa t`, `nomarch -t`. The corpus is
// built at run time from files on this machine (programs, documentation and
// headers under /usr, OV_BENCH_CORPUS_MB megabytes, default 24, half
// programs and libraries, half text) cut into 1 MB files and packed by the
// real archivers into a temporary folder; nothing is kept. ARC gets the text
// half only: arc picks the best method per file, and on text that is
// crunching (on programs it mostly squeezes). Ours is the whole extractor (headers, decoding in
// 32768-byte blocks, CRC) writing into a folder on tmpfs, which costs it a
// little more than the tools' test mode; the tools run as processes, once
// per iteration. Single-threaded, medians of 5.
#include "archive/extract/arc_extractor.h"
#include "archive/extract/arj_extractor.h"
#include "archive/extract/lha_extractor.h"
#include "bench/ratio.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Corpus {
    fs::path folder; // the inputs, then the archives beside them
    std::size_t bytes = 0;
    std::size_t textBytes = 0; // the text pieces, which ARC crunches
    ~Corpus() { fs::remove_all(folder); }
};

// The packed archives, made once per run.
const Corpus& corpus()
{
    static const std::unique_ptr<Corpus> made = [] {
        auto c = std::make_unique<Corpus>();
        char pattern[] = "/tmp/ov-bench-legacy-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        c->folder = pattern;
        const char* megabytes = std::getenv("OV_BENCH_CORPUS_MB");
        const std::size_t limit = std::size_t(megabytes ? std::atoi(megabytes) : 24) << 20;
        // Half programs, half text, interleaved in the pieces.
        std::vector<char> binary, text;
        auto gather = [limit](std::vector<char>& into, std::initializer_list<const char*> roots) {
            for (const char* root : roots) {
                std::error_code error;
                for (auto it = fs::recursive_directory_iterator(root, error);
                     it != fs::recursive_directory_iterator() && into.size() < limit / 2;
                     it.increment(error)) {
                    if (error || !it->is_regular_file(error) || it->is_symlink(error))
                        continue;
                    std::ifstream in(it->path(), std::ios::binary);
                    into.insert(
                        into.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                }
            }
            into.resize(std::min(into.size(), limit / 2));
        };
        gather(binary, { "/usr/bin", "/usr/lib/x86_64-linux-gnu" });
        gather(text, { "/usr/include", "/usr/share/doc" });
        fs::create_directories(c->folder / "in");
        constexpr std::size_t Piece = 1 << 20;
        int n = 0;
        for (const std::vector<char>* part : { &binary, &text }) {
            const char* suffix = part == &text ? ".txt" : ".dat";
            for (std::size_t at = 0; at < part->size(); at += Piece, ++n) {
                std::ofstream out(c->folder / "in" / ("f" + std::to_string(n) + suffix), std::ios::binary);
                out.write(part->data() + at, std::streamsize(std::min(Piece, part->size() - at)));
            }
        }
        c->bytes = binary.size() + text.size();
        c->textBytes = text.size();
        const std::string cd = "cd '" + (c->folder / "in").string() + "' && ";
        const std::string quiet = " >/dev/null 2>&1";
        for (int m = 1; m <= 3; ++m)
            std::system(
                (cd + "arj a -y -m" + std::to_string(m) + " ../m" + std::to_string(m) + ".arj f*" + quiet)
                    .c_str());
        std::system((cd + "lha ao5 ../lh5.lzh f*" + quiet).c_str());
        std::system((cd + "lha ao6 ../lh6.lzh f*" + quiet).c_str());
        // arc picks the best method per file: on text that is crunching.
        std::system((cd + "arc a ../crunch.arc *.txt" + quiet).c_str());
        return c;
    }();
    return *made;
}

template <typename Extractor>
void runOurs(benchmark::State& state, const std::string& archive, std::size_t bytes)
{
    const fs::path out = fs::path("/dev/shm") / ("ov-bench-" + std::to_string(getpid()));
    const fs::path path = corpus().folder / archive;
    for (auto _ : state) {
        Extractor x;
        int failed = 0;
        x.SetArchiveFile(path.string());
        x.SetExtractDir(out.string());
        x.OnEnd = [&failed](ov::TExtractorBase&, const std::string&, bool pass) { failed += pass ? 0 : 1; };
        x.Extract();
        if (failed)
            state.SkipWithError("CRC failure");
        state.PauseTiming();
        fs::remove_all(out);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void runTool(
    benchmark::State& state, const std::string& command, const std::string& archive, std::size_t bytes)
{
    const std::string line = command + " '" + (corpus().folder / archive).string() + "' >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(line.c_str()) != 0)
            state.SkipWithError(("failed: " + line).c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_ours_arj(benchmark::State& state)
{
    runOurs<ov::TArjExtractor>(state, "m" + std::to_string(state.range(0)) + ".arj", corpus().bytes);
}
void BM_arj_t(benchmark::State& state)
{
    runTool(state, "arj t -y", "m" + std::to_string(state.range(0)) + ".arj", corpus().bytes);
}
void BM_ours_lha(benchmark::State& state)
{
    runOurs<ov::TLhaExtractor>(state, "lh" + std::to_string(state.range(0)) + ".lzh", corpus().bytes);
}
void BM_lhasa_t(benchmark::State& state)
{
    runTool(state, "lhasa tq", "lh" + std::to_string(state.range(0)) + ".lzh", corpus().bytes);
}
void BM_ours_arc(benchmark::State& state)
{
    runOurs<ov::TArcExtractor>(state, "crunch.arc", corpus().textBytes);
}
void BM_nomarch_t(benchmark::State& state)
{
    runTool(state, "nomarch -t", "crunch.arc", corpus().textBytes);
}

#define OV_LEGACY(bm)                                                                                        \
    BENCHMARK(bm)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)
OV_LEGACY(BM_ours_arj)->Arg(1)->Arg(2)->Arg(3);
OV_LEGACY(BM_arj_t)->Arg(1)->Arg(2)->Arg(3);
OV_LEGACY(BM_ours_lha)->Arg(5)->Arg(6);
OV_LEGACY(BM_lhasa_t)->Arg(5)->Arg(6);
OV_LEGACY(BM_ours_arc);
OV_LEGACY(BM_nomarch_t);

const bool ratios = [] {
    for (int m = 1; m <= 3; ++m)
        ovBenchRatio("arj_m" + std::to_string(m), "BM_ours_arj/" + std::to_string(m) + "/iterations:1",
            "BM_arj_t/" + std::to_string(m) + "/iterations:1", "arj t, method " + std::to_string(m));
    for (int m = 5; m <= 6; ++m)
        ovBenchRatio("lha_lh" + std::to_string(m), "BM_ours_lha/" + std::to_string(m) + "/iterations:1",
            "BM_lhasa_t/" + std::to_string(m) + "/iterations:1", "lhasa t, -lh" + std::to_string(m) + "-");
    ovBenchRatio("arc_crunch", "BM_ours_arc/iterations:1", "BM_nomarch_t/iterations:1", "nomarch -t");
    return true;
}();

} // namespace

OV_BENCH_MAIN()
