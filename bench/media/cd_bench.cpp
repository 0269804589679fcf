// CD playback speed: a generated 12-track image of 45,000 sectors (10
// minutes, 105.8 MB) played whole through CdioDevice into the null output,
// against the libcdio tools reading the same image in the same run:
// - cd_image: plain audio-sector reads against `cd-read -m audio` over the
//   whole image (goal 1.5);
// - cd_paranoia: the paranoia path forced on the image against
//   `cd-paranoia` in its default full mode (goal 1.2).
// The image is written by tests/data/cd/make_cd_image.py into
// $OV_BENCH_DIR (default /tmp) and removed afterwards.
#include "bench/ratio.h"
#include "media/cd_device.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace ov;

constexpr int Sectors = 45000;

const std::string& folder()
{
    static const std::string path = [] {
        const char* base = std::getenv("OV_BENCH_DIR");
        return std::string(base && *base ? base : "/tmp") + "/ov_cd_bench";
    }();
    return path;
}

// The image, written once: 12 tracks of 3,750 sectors.
const std::string& cue()
{
    static const std::string path = [] {
        std::string counts;
        for (int i = 0; i < 12; ++i)
            counts += (i ? "," : "") + std::to_string(Sectors / 12);
        const std::string command = "python3 " OV_SOURCE_DIR "/tests/data/cd/make_cd_image.py " + folder()
            + " --name bench --sectors " + counts;
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "cd bench: could not write the image\n");
        return folder() + "/bench.cue";
    }();
    return path;
}

struct Cleanup {
    ~Cleanup()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder(), ignored);
    }
} cleanup;

void playWhole(benchmark::State& state, CdExtraction extraction)
{
    const std::string image = cue();
    for (auto _ : state) {
        CdioDevice device(image, AudioOutput::Null);
        device.setExtraction(extraction);
        if (!device.loadTracks() || !device.play()) {
            state.SkipWithError(("cannot play " + image).c_str());
            return;
        }
        device.waitForEnd();
        if (device.deliveredFrames() != uint64_t(Sectors) * CdSamplesPerSector) {
            state.SkipWithError("short play");
            return;
        }
    }
}

void runTool(benchmark::State& state, const std::string& command)
{
    for (auto _ : state) {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
}

void BM_CdImagePlay(benchmark::State& state)
{
    playWhole(state, CdExtraction::Plain);
}
void BM_CdRead(benchmark::State& state)
{
    runTool(state,
        "cd-read --no-header -m audio -c " + cue() + " -s 0 -n " + std::to_string(Sectors) + " -o " + folder()
            + "/read.raw");
}
void BM_CdParanoiaPlay(benchmark::State& state)
{
    playWhole(state, CdExtraction::Paranoia);
}
void BM_CdParanoiaTool(benchmark::State& state)
{
    runTool(state, "cd-paranoia -q -r -d " + cue() + " 1- " + folder() + "/paranoia.raw");
}

BENCHMARK(BM_CdImagePlay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CdRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CdParanoiaPlay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CdParanoiaTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const bool imageRatio = ovBenchRatio("cd_image", "BM_CdImagePlay", "BM_CdRead",
    "cd-read -m audio over the whole 45,000-sector image; ours plays it through the engine into the null "
    "output");
const bool paranoiaRatio = ovBenchRatio("cd_paranoia", "BM_CdParanoiaPlay", "BM_CdParanoiaTool",
    "cd-paranoia (full mode) over the same image; ours forces the paranoia path on it");

} // namespace

OV_BENCH_MAIN()
