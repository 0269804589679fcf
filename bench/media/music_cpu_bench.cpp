// CPU time of music playing in real time: 30 s of the 5-minute MP3 played
// through TMPEGPlayer into SDL's dummy audio driver (the device's own pace,
// no sound card needed), polled every 100 ms as the main window's Timer3
// does. The figure is the process's CPU time over the wall time of the same
// 30 s (the anchor simply waits 30 s); goal 0.02, 2 % of one core.
#include "bench/ratio.h"
#include "media/mpeg_player.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

const std::string& benchFiveMinuteMp3();

namespace {

using namespace ov;

constexpr auto PlayTime = std::chrono::seconds(30);

const std::string& mp3()
{
    return benchFiveMinuteMp3();
}

double processCpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_PlayRealTimeCpu(benchmark::State& state)
{
    ::unsetenv("ORVANTA_AUDIO");
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    TMPEGPlayer player;
    player.PathToDLL = OV_BENCH_MPEG_LAYER;
    player.LoadDLL();
    for (auto _ : state) {
        player.setStreamName(mp3());
        player.Open();
        player.EndPos = player.Length();
        const double cpuBefore = processCpuSeconds();
        player.Play();
        const auto end = std::chrono::steady_clock::now() + PlayTime;
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            player.TimerTick();
        }
        player.Close();
        state.SetIterationTime(processCpuSeconds() - cpuBefore);
    }
    player.UnloadDLL();
    ::setenv("ORVANTA_AUDIO", "null", 1);
}
BENCHMARK(BM_PlayRealTimeCpu)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_WallTime(benchmark::State& state)
{
    for (auto _ : state)
        std::this_thread::sleep_for(PlayTime);
}
BENCHMARK(BM_WallTime)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

const bool ratio = ovBenchRatio("music_cpu", "BM_PlayRealTimeCpu", "BM_WallTime",
    "wall time of 30 s of the 5-minute MP3 played in real time into SDL's dummy driver; ours is the CPU time "
    "it took");

} // namespace

OV_BENCH_MAIN()
