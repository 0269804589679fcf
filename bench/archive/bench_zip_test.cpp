// Testing a deflated ZIP archive against `unzip -t`, in the same run. The
// archive is packed at start-up by zip (level 6) from about 64 MB of files
// on this machine (programs under /usr/bin, text under /usr/share/doc and
// /usr/include); OV_BENCH_ZIP_MB changes the size.
//
// Two figures, each by wall clock and by CPU time:
// - zip_test: our directory walk (TArchiveLister) and, per member, the
//   local header, inflate in 32768-byte blocks and the CRC-32 check, output
//   to a null sink, in this process, against `unzip -t` as a process (its
//   start-up is a millisecond against a second of work);
// - zip_test_ovtool: `ovtool arc t` as a process, which writes every member
//   to a temporary folder and removes it, against the same `unzip -t`.
#include "archive/archive_lister.h"
#include "archive/buffered_file.h"
#include "archive/bytes.h"
#include "archive/crc.h"
#include "archive/decoders/inflate.h"
#include "archive/decoders/stored.h"
#include "bench/archive/bench_support.h"
#include "bench/ratio.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#ifndef OV_TOOL
#define OV_TOOL "ovtool"
#endif

namespace {

using ovbench::fs::path;

struct Corpus {
    ovbench::Scratch scratch;
    path archive;
    std::uintmax_t bytes = 0;
    std::string problem;
};

const Corpus& corpus()
{
    static Corpus made = [] {
        Corpus c;
        const char* megabytes = std::getenv("OV_BENCH_ZIP_MB");
        const std::uintmax_t total = std::uintmax_t(megabytes ? std::max(1, std::atoi(megabytes)) : 64) << 20;
        const auto files
            = ovbench::pickFiles({ "/usr/bin", "/usr/share/doc", "/usr/include" }, 1u << 20, 8u << 20, total);
        if (c.scratch.path().empty() || files.empty()) {
            c.problem = "no corpus";
            return c;
        }
        ovbench::copyCorpus(files, c.scratch.path() / "src");
        for (const auto& file : files)
            c.bytes += ovbench::fs::file_size(file);
        if (ovbench::runQuiet({ "zip", "-q", "-r", "-6", "corpus.zip", "src" }, c.scratch.path()) != 0) {
            c.problem = "zip could not make the archive";
            return c;
        }
        c.archive = c.scratch.path() / "corpus.zip";
        ovbench::fs::remove_all(c.scratch.path() / "src");
        return c;
    }();
    return made;
}

struct Member {
    int64_t header = 0;
    int64_t packed = 0;
    int64_t unpacked = 0;
    uint32_t crc = 0;
    uint16_t method = 0;
};

// Lists, then decodes every member and checks its CRC; the count of members
// that failed.
int testArchive(const path& archive)
{
    std::vector<Member> members;
    ov::TArchiveLister lister;
    lister.OnRead = [&members](ov::TArchiveLister& l, int64_t offset, int32_t) {
        members.push_back({ offset, l.PackedSize, l.UnpackedSize, l.Crc, l.MethodNumber });
    };
    lister.SetArchiveFile(archive.string());
    if (!lister.Activate())
        return 1;

    auto file = ov::BufferedFile::open(archive.string());
    auto inflate = std::make_unique<ov::InflateState>();
    constexpr std::size_t Block = 32768;
    std::vector<uint8_t> input(Block), output(Block);
    int failures = 0;
    for (const Member& member : members) {
        uint8_t local[30];
        if (!file->readExact(member.header, local, sizeof local)
            || (member.method != 0 && member.method != 8)) {
            ++failures;
            continue;
        }
        int64_t at = member.header + 30 + ov::le16(local + 26) + ov::le16(local + 28);
        int64_t remaining = member.packed;
        ov::StoredState stored { uint64_t(member.unpacked) };
        inflate->reset(uint64_t(member.unpacked));
        uint32_t crc = 0xFFFFFFFFu;
        std::size_t held = 0;
        for (;;) {
            if (held < input.size() && remaining > 0) {
                const std::size_t want
                    = std::size_t(std::min<int64_t>(remaining, int64_t(input.size() - held)));
                const std::size_t got = file->readAt(at, input.data() + held, want);
                at += int64_t(got);
                remaining = got < want ? 0 : remaining - int64_t(got);
                held += got;
            }
            ov::DecodeStream stream;
            stream.input = std::span<const uint8_t>(input.data(), held);
            stream.inputEnd = remaining == 0;
            stream.output = std::span<uint8_t>(output.data(), output.size());
            const ov::Status status
                = member.method == 8 ? ov::inflateDecode(stream, *inflate) : ov::storedDecode(stream, stored);
            crc = ov::crc32Update(crc, output.data(), output.size() - stream.output.size());
            held = stream.input.size();
            std::memmove(input.data(), stream.input.data(), held);
            if (status.isDone() || status.isCorrupt()) {
                failures += status.isCorrupt() || ~crc != member.crc;
                break;
            }
        }
    }
    return failures;
}

using ovbench::Clock;

// The corpus, or an error on `state`.
const Corpus* corpusFor(benchmark::State& state)
{
    const Corpus& c = corpus();
    if (!c.problem.empty()) {
        state.SkipWithError(c.problem.c_str());
        return nullptr;
    }
    return &c;
}

void BM_ours_zip_test(benchmark::State& state, Clock clock)
{
    if (const Corpus* c = corpusFor(state)) {
        ovbench::timeHere(state, clock, [c] { return testArchive(c->archive) == 0; });
        state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c->bytes));
    }
}

void BM_ovtool_zip_test(benchmark::State& state, Clock clock)
{
    if (const Corpus* c = corpusFor(state)) {
        ovbench::timeProcess(state, { OV_TOOL, "arc", "t", c->archive.string() }, clock);
        state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c->bytes));
    }
}

void BM_unzip_test(benchmark::State& state, Clock clock)
{
    if (const Corpus* c = corpusFor(state)) {
        ovbench::timeProcess(state, { "unzip", "-tqq", c->archive.string() }, clock);
        state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c->bytes));
    }
}

void byWall(benchmark::internal::Benchmark* b)
{
    ovbench::repeatOn(b, Clock::Wall);
}
void byCpu(benchmark::internal::Benchmark* b)
{
    ovbench::repeatOn(b, Clock::Cpu);
}

BENCHMARK_CAPTURE(BM_ours_zip_test, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_ovtool_zip_test, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_unzip_test, wall, Clock::Wall)->Apply(byWall);
BENCHMARK_CAPTURE(BM_ours_zip_test, cpu, Clock::Cpu)->Apply(byCpu);
BENCHMARK_CAPTURE(BM_ovtool_zip_test, cpu, Clock::Cpu)->Apply(byCpu);
BENCHMARK_CAPTURE(BM_unzip_test, cpu, Clock::Cpu)->Apply(byCpu);

const bool ratios = [] {
    for (const std::string clock : { "wall", "cpu" }) {
        ovBenchRatio("zip_test_" + clock, "BM_ours_zip_test/" + clock, "BM_unzip_test/" + clock,
            "unzip -t, " + clock + " time; goal 0.667 (1.5 x as fast)");
        ovBenchRatio("zip_test_ovtool_" + clock, "BM_ovtool_zip_test/" + clock, "BM_unzip_test/" + clock,
            "unzip -t, " + clock + " time; ovtool arc t writes each member to a temporary file");
    }
    return true;
}();

} // namespace

OV_BENCH_MAIN()
