// The archive disk on a 100,000-member ZIP as `zip -r` packs 100 × 10
// folders of 100 files (folder entries stored) and as `zip -r -D` packs
// them (none), written once per run straight into a scratch folder (the
// layout zip gives them: stored members, Unix modes) and removed at the end.
// Making 100,000 files and packing them twice took minutes; writing the
// archives takes well under a second.
//
// Figures, all in the same run:
// - open + list the top folder (`ovtool arc ls` as a process) against
//   `unzip -l` of the archive, and against the bare lister `ovtool arc l`;
// - into a sub-folder and back on the pushed disk, in process, against the
//   same on a 100-member archive (100 folders of one file): the cost of a
//   move must not grow with the archive. Its time per move is printed too.
#include "archive/crc.h"
#include "bench/archive/bench_support.h"
#include "bench/ratio.h"
#include "panel/arc_disk.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

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

void put16(std::string& out, uint32_t value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A ZIP of stored members (PKWARE APPNOTE 4.3: local headers, central
// directory, end record) with Unix modes, as zip writes small files. A name
// ending in "/" is a folder entry.
class ZipWriter {
public:
    void add(const std::string& name, const std::string& data)
    {
        const bool folder = !name.empty() && name.back() == '/';
        const uint32_t crc = data.empty() ? 0 : ov::crc32(data.data(), data.size());
        const auto offset = static_cast<uint32_t>(m_local.size());
        const uint32_t dosTime = (45u << 25) | (6u << 21) | (15u << 16) | (12u << 11); // 2025-06-15 12:00
        put32(m_local, 0x04034B50);
        put16(m_local, 10), put16(m_local, 0), put16(m_local, 0);
        put32(m_local, dosTime);
        put32(m_local, crc), put32(m_local, uint32_t(data.size())), put32(m_local, uint32_t(data.size()));
        put16(m_local, uint32_t(name.size())), put16(m_local, 0);
        m_local += name;
        m_local += data;
        put32(m_central, 0x02014B50);
        put16(m_central, (3u << 8) | 30), put16(m_central, 10), put16(m_central, 0), put16(m_central, 0);
        put32(m_central, dosTime);
        put32(m_central, crc), put32(m_central, uint32_t(data.size())),
            put32(m_central, uint32_t(data.size()));
        put16(m_central, uint32_t(name.size())), put16(m_central, 0), put16(m_central, 0);
        put16(m_central, 0), put16(m_central, 0);
        put32(m_central, folder ? (0040755u << 16) | 0x10 : (0100644u << 16));
        put32(m_central, offset);
        m_central += name;
        ++m_count;
    }
    bool write(const path& file) const
    {
        std::string end;
        put32(end, 0x06054B50);
        put16(end, 0), put16(end, 0);
        // 100,000 members need ZIP64 for the count; a count above 65535
        // is stored as 0xFFFF with a ZIP64 end record in front.
        const bool zip64 = m_count > 0xFFFE;
        std::string tail;
        if (zip64) {
            const uint64_t centralAt = m_local.size();
            const uint64_t end64At = centralAt + m_central.size();
            put32(tail, 0x06064B50);
            put32(tail, 44), put32(tail, 0);
            put16(tail, (3u << 8) | 45), put16(tail, 45);
            put32(tail, 0), put32(tail, 0);
            put32(tail, uint32_t(m_count)), put32(tail, 0);
            put32(tail, uint32_t(m_count)), put32(tail, 0);
            put32(tail, uint32_t(m_central.size())), put32(tail, 0);
            put32(tail, uint32_t(centralAt)), put32(tail, uint32_t(centralAt >> 32));
            put32(tail, 0x07064B50);
            put32(tail, 0);
            put32(tail, uint32_t(end64At)), put32(tail, uint32_t(end64At >> 32));
            put32(tail, 1);
        }
        const uint32_t count = zip64 ? 0xFFFF : uint32_t(m_count);
        put16(end, count), put16(end, count);
        put32(end, uint32_t(m_central.size())), put32(end, uint32_t(m_local.size()));
        put16(end, 0);
        std::ofstream out(file, std::ios::binary);
        out << m_local << m_central << tail << end;
        return bool(out);
    }

private:
    std::string m_local;
    std::string m_central;
    std::size_t m_count = 0;
};

// The big tree in the order `zip -r .` stores it, with or without the
// folder entries.
bool writeBig(const path& file, bool folderEntries)
{
    ZipWriter zip;
    for (int d = 0; d < 100; ++d) {
        const std::string top = "d" + two(d) + "/";
        if (folderEntries)
            zip.add(top, "");
        for (int e = 0; e < 10; ++e) {
            const std::string folder = top + "e" + std::to_string(e) + "/";
            if (folderEntries)
                zip.add(folder, "");
            for (int f = 0; f < 100; ++f)
                zip.add(folder + "f" + two(f) + ".txt", std::to_string(f));
        }
    }
    return zip.write(file);
}

bool writeSmall(const path& file)
{
    ZipWriter zip;
    for (int d = 0; d < 100; ++d) {
        zip.add("d" + two(d) + "/", "");
        zip.add("d" + two(d) + "/f.txt", std::to_string(d));
    }
    return zip.write(file);
}

const Archives& archives()
{
    static Archives a = [] {
        Archives made;
        if (made.scratch.path().empty() || !ovbench::haveProgram("unzip")) {
            made.problem = "no scratch folder or unzip";
            return made;
        }
        const path folder = made.scratch.path();
        if (!writeBig(folder / "r.zip", true) || !writeBig(folder / "D.zip", false)
            || !writeSmall(folder / "small.zip")) {
            made.problem = "the archives could not be written";
            return made;
        }
        made.made
            = { { "r", folder / "r.zip" }, { "D", folder / "D.zip" }, { "small", folder / "small.zip" } };
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

// The absolute time of one move into a folder and back, the median of the
// repetitions so far, as a note line of its own.
void noteMoveTime(const std::string& which, double microseconds)
{
    static std::map<std::string, std::vector<double>> samples;
    static std::map<std::string, std::size_t> noteAt;
    std::vector<double>& times = samples[which];
    times.push_back(microseconds);
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    char text[160];
    std::snprintf(text, sizeof text,
        "arc_disk_into_and_back_%s: %.1f us per move (absolute; aim at most 2000 us)",
        which == "r" ? "big" : which.c_str(), sorted[sorted.size() / 2]);
    auto& notes = ovBenchNotes();
    const auto [at, added] = noteAt.try_emplace(which, notes.size());
    if (added)
        notes.emplace_back();
    notes[at->second] = text;
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
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        list.EnterFolder(index);
        list.GoUp();
        benchmark::DoNotOptimize(list.Count);
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    ov::TBrowser::setArchiveDiskFactory(nullptr);
    if (state.iterations() > 0)
        noteMoveTime(which, spent.count() / static_cast<double>(state.iterations()));
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
