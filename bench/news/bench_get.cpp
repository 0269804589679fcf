// Downloading 1 GiB from nginx on loopback: `ovtool get` against curl in the
// same run, to /dev/null and to a file (synced before each file run).
// Each iteration is one whole download by a child process, timed from fork
// to exit; Google Benchmark reports the median of the repetitions.
#include "bench/ratio.h"
#include "tests/news/loopback.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr long long kSize = 1LL << 30;

struct Site {
    std::string dir;
    std::string url;
    pid_t nginx = -1;
    bool ok = false;
};

pid_t spawn(const std::vector<std::string>& argv)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

// nginx serving one 1 GiB file of real bytes (written once, then cached).
Site& site()
{
    // Never destroyed: the exit handler below still needs it.
    static Site& s = *new Site([] {
        Site result;
        char pattern[] = "/tmp/ov_bench_get_XXXXXX";
        result.dir = ::mkdtemp(pattern);
        ::mkdir((result.dir + "/www").c_str(), 0755);
        {
            std::ofstream out(result.dir + "/www/big.bin", std::ios::binary);
            std::vector<char> block(1 << 20);
            for (size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<char>(i * 7 + i / 4096);
            for (long long done = 0; done < kSize; done += static_cast<long long>(block.size()))
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        const uint16_t port = ov::test::freePort();
        const std::string d = result.dir;
        std::ofstream(d + "/nginx.conf")
            << "daemon off; master_process off; worker_processes 1;\n"
            << "error_log " << d << "/error.log; pid " << d << "/nginx.pid;\n"
            << "events { worker_connections 16; }\n"
            << "http { access_log off; sendfile on; default_type application/octet-stream;\n"
            << "  client_body_temp_path " << d << "; proxy_temp_path " << d << "; fastcgi_temp_path " << d
            << ";\n"
            << "  uwsgi_temp_path " << d << "; scgi_temp_path " << d << ";\n"
            << "  server { listen 127.0.0.1:" << port << "; root " << d << "/www; } }\n";
        result.nginx = spawn({ "nginx", "-p", d, "-c", d + "/nginx.conf" });
        for (int i = 0; i < 250 && !result.ok; ++i) {
            result.ok = ov::test::portAccepts(port);
            if (!result.ok)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        result.url = "http://127.0.0.1:" + std::to_string(port) + "/big.bin";
        std::atexit([] {
            if (site().nginx > 0) {
                ::kill(site().nginx, SIGTERM);
                ::waitpid(site().nginx, nullptr, 0);
            }
            std::system(("rm -rf '" + site().dir + "'").c_str());
        });
        return result;
    }());
    return s;
}

enum class Target { DevNull, File };
enum class Tool { Ovtool, Curl };

void download(benchmark::State& state, Tool tool, Target target)
{
    Site& s = site();
    if (!s.ok) {
        state.SkipWithError("nginx did not start");
        return;
    }
    const std::string out = target == Target::DevNull ? "/dev/null" : s.dir + "/out.bin";
    for (auto _ : state) {
        if (target == Target::File) {
            ::unlink(out.c_str());
            ::sync();
        }
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = tool == Tool::Ovtool ? spawn({ OV_OVTOOL, "get", s.url, out })
                                               : spawn({ "curl", "-s", "-o", out, s.url });
        int status = 0;
        ::waitpid(pid, &status, 0);
        const auto stop = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("download failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_ovtool_devnull(benchmark::State& state)
{
    download(state, Tool::Ovtool, Target::DevNull);
}
void BM_curl_devnull(benchmark::State& state)
{
    download(state, Tool::Curl, Target::DevNull);
}
void BM_ovtool_file(benchmark::State& state)
{
    download(state, Tool::Ovtool, Target::File);
}
void BM_curl_file(benchmark::State& state)
{
    download(state, Tool::Curl, Target::File);
}

#define OV_DOWNLOAD_BENCH(fn)                                                                                \
    BENCHMARK(fn)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond)
OV_DOWNLOAD_BENCH(BM_curl_devnull);
OV_DOWNLOAD_BENCH(BM_ovtool_devnull);
OV_DOWNLOAD_BENCH(BM_curl_file);
OV_DOWNLOAD_BENCH(BM_ovtool_file);

const bool ratios
    = ovBenchRatio("get_devnull", "BM_ovtool_devnull/iterations:1", "BM_curl_devnull/iterations:1",
          "curl, 1 GiB from nginx on loopback to /dev/null; goal <= 1.2")
    && ovBenchRatio("get_file", "BM_ovtool_file/iterations:1", "BM_curl_file/iterations:1",
        "curl, 1 GiB from nginx on loopback to a file; goal <= 1.5");

} // namespace

OV_BENCH_MAIN()
