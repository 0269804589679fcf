// Decoding an MP3 through TMPEGPlayer (the layer's decoder thread into the
// null output) against `mpg123 -t` on the same file in the same run. The
// file is a 5-minute 44.1 kHz stereo tone sweep encoded with `lame -V 2`
// when the benchmark starts. The layer should cost no more than the bare
// decoder: goal 1.1 at most.
#include "bench/ratio.h"
#include "media/mpeg_player.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

// The 5-minute MP3, made on first use (also by the real-time figure).
const std::string& benchFiveMinuteMp3()
{
    static const std::string path = [] {
        const std::string folder = "/tmp/ov_bench_media";
        std::system(("mkdir -p " + folder).c_str());
        const std::string file = folder + "/five_minutes.mp3";
        if (std::ifstream(file).good())
            return file;
        const std::string raw = folder + "/five_minutes.raw";
        {
            std::ofstream out(raw, std::ios::binary);
            const int frames = 44100 * 300;
            for (int i = 0; i < frames; ++i) {
                const double t = i / 44100.0;
                const auto left = static_cast<int16_t>(8000 * std::sin(2 * M_PI * (220 + 20 * t) * t));
                const auto right = static_cast<int16_t>(8000 * std::sin(2 * M_PI * (330 + 7 * t) * t));
                const char bytes[4] = { static_cast<char>(left & 0xFF), static_cast<char>(left >> 8),
                    static_cast<char>(right & 0xFF), static_cast<char>(right >> 8) };
                out.write(bytes, 4);
            }
        }
        std::system(
            ("lame --quiet -r --signed --little-endian --bitwidth 16 -s 44.1 -V 2 " + raw + " " + file)
                .c_str());
        std::remove(raw.c_str());
        return file;
    }();
    return path;
}

namespace {

using namespace ov;

const std::string& mp3()
{
    return benchFiveMinuteMp3();
}

void BM_PlayerToNull(benchmark::State& state)
{
    ::setenv("ORVANTA_AUDIO", "null", 1);
    TMPEGPlayer player;
    player.PathToDLL = OV_BENCH_MPEG_LAYER;
    player.setTimerFreq(1);
    player.LoadDLL();
    const std::string file = mp3(); // made before the clock runs
    for (auto _ : state) {
        player.setStreamName(file);
        player.Open();
        player.EndPos = player.Length();
        player.Play();
        while (player.timerActive()) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            player.TimerTick();
        }
    }
    player.UnloadDLL();
}
BENCHMARK(BM_PlayerToNull)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Mpg123Test(benchmark::State& state)
{
    const std::string command = "mpg123 -q -t " + mp3() + " >/dev/null 2>&1";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_Mpg123Test)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const bool ratio = ovBenchRatio("mpeg_decode", "BM_PlayerToNull", "BM_Mpg123Test",
    "mpg123 -t on a 5-minute lame -V 2 MP3; ours opens (with the exact-length scan) and plays it to the null "
    "output");

} // namespace
