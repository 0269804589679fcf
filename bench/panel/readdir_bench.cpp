// ReadDir + sort of a folder of 100,000 files, against the floor of the same
// work done by hand: readdir, statx of every name and std::sort of the names.
#include "bench/ratio.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace ov;

namespace {

const std::string& folder()
{
    static const std::string path = [] {
        const std::string dir = std::filesystem::temp_directory_path().string() + "/ov_bench_readdir_100k";
        if (!std::filesystem::exists(dir + "/done")) {
            std::filesystem::create_directories(dir);
            for (int i = 0; i < 100000; ++i) {
                // Mixed names and extensions, as a real folder has them.
                static const char* exts[] = { "txt", "jpg", "cpp", "", "tar.gz", "EXE" };
                std::string name = dir + "/file" + std::to_string((i * 7919) % 100000)
                    + (exts[i % 6][0] ? "." : "") + exts[i % 6];
                const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
                if (fd >= 0) {
                    if (i % 3 == 0) [[maybe_unused]]
                        auto n = ::write(fd, "hello", 5);
                    ::close(fd);
                }
            }
            ::close(::open((dir + "/done").c_str(), O_CREAT | O_WRONLY, 0644));
        }
        return dir;
    }();
    return path;
}

void BM_ReadDir(benchmark::State& state)
{
    DriveTable::instance().setDrives({ { 'c', folder(), DriveType::Fixed } });
    TBrowser list;
    list.SortMode = static_cast<int>(state.range(0));
    list.OpenDisk("c", DiskKind::Standard, "");
    for (auto _ : state) {
        list.ReadDir();
        benchmark::DoNotOptimize(list.Count);
    }
    state.counters["entries"] = list.Count;
}
BENCHMARK(BM_ReadDir)
    ->Arg(srName)
    ->Arg(srSize)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ListFolder(benchmark::State& state)
{
    std::vector<HostEntry> entries;
    for (auto _ : state) {
        listFolder(folder(), entries);
        benchmark::DoNotOptimize(entries.data());
    }
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RawReaddirStatxSort(benchmark::State& state)
{
    const std::string& dir = folder();
    for (auto _ : state) {
        struct Item {
            std::string name;
            struct statx info;
        };
        std::vector<Item> items;
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        DIR* d = ::fdopendir(::dup(fd));
        while (dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2])))
                continue;
            Item item { e->d_name, {} };
            ::statx(fd, e->d_name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &item.info);
            items.push_back(std::move(item));
        }
        ::closedir(d);
        ::close(fd);
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.name < b.name; });
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_RawReaddirStatxSort)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

const bool ratios = ovBenchRatio("readdir_100k_name", "BM_ReadDir/1", "BM_RawReaddirStatxSort",
                        "raw readdir + statx + std::sort, same folder")
    && ovBenchRatio("readdir_100k_size", "BM_ReadDir/3", "BM_RawReaddirStatxSort",
        "raw readdir + statx + std::sort, same folder");

} // namespace

OV_BENCH_MAIN()
