// Shared main for the benchmarks: runs the registered Google Benchmarks, then
// prints one line per declared ratio,
//   bench <name>: <ratio> (<anchor description>)
// where ratio = time of our benchmark / time of its anchor, both measured in
// this run. Declare ratios with ovBenchRatio() before main runs, e.g. from a
// static initialiser in the benchmark's source, or call ovBenchMain with them.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

struct OvBenchRatio {
    std::string name; // what the line is called
    std::string ours; // benchmark name (as Google Benchmark reports it)
    std::string anchor; // benchmark name of the anchor
    std::string what; // description of the anchor
};

inline std::vector<OvBenchRatio>& ovBenchRatios()
{
    static std::vector<OvBenchRatio> ratios;
    return ratios;
}

inline bool ovBenchRatio(std::string name, std::string ours, std::string anchor, std::string what)
{
    ovBenchRatios().push_back({ std::move(name), std::move(ours), std::move(anchor), std::move(what) });
    return true;
}

// Extra figures a benchmark wants printed as they are (a time, a count).
inline std::vector<std::string>& ovBenchNotes()
{
    static std::vector<std::string> notes;
    return notes;
}

class OvRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds; // per-iteration real time, by run name

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs) {
            if (run.error_occurred)
                continue;
            // With repetitions the median stands for the benchmark; without,
            // the single run does.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            // A ratio may name a run with its settings ("BM_x/1/iterations:3")
            // or by function and arguments alone ("BM_x/1"); both find it.
            std::string name = run.run_name.str();
            if (const auto at = name.find("/repeats:"); at != std::string::npos)
                name.erase(at);
            std::string shortName = run.run_name.function_name;
            if (!run.run_name.args.empty())
                shortName += "/" + run.run_name.args;
            if (run.run_type == Run::RT_Iteration && medians.count(name))
                continue;
            if (run.run_type == Run::RT_Aggregate)
                medians.insert(name);
            const double value = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            seconds[name] = value;
            seconds[shortName] = value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> medians;
};

inline int ovBenchMain(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    OvRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The console reporter leaves its colour reset pending: start clean lines.
    std::printf("\n");
    std::fflush(stdout);
    for (const auto& ratio : ovBenchRatios()) {
        auto ours = reporter.seconds.find(ratio.ours);
        auto anchor = reporter.seconds.find(ratio.anchor);
        if (ours == reporter.seconds.end() || anchor == reporter.seconds.end() || anchor->second <= 0) {
            std::printf("bench %s: n/a (%s)\n", ratio.name.c_str(), ratio.what.c_str());
            continue;
        }
        std::printf(
            "bench %s: %.3f (%s)\n", ratio.name.c_str(), ours->second / anchor->second, ratio.what.c_str());
    }
    for (const auto& note : ovBenchNotes())
        std::printf("bench %s\n", note.c_str());
    return 0;
}

#define OV_BENCH_MAIN()                                                                                      \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        return ovBenchMain(argc, argv);                                                                      \
    }
