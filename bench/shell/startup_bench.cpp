// Start-up of the main window with both panels on a folder of 100,000 files:
// from creating the window to both panels drawn, against reading and sorting
// the same folder once (the list the panels must build in any case).
#include "bench/ratio.h"
#include "panel/browser.h"
#include "platform/drives.h"
#include "shell/main_window.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace ov;

namespace {

std::string folder()
{
    static const std::string dir = [] {
        const std::string path = std::filesystem::temp_directory_path().string() + "/ov_bench_startup_100k";
        if (!std::filesystem::exists(path + "/.done")) {
            std::filesystem::create_directories(path);
            for (int i = 0; i < 100000; ++i)
                ::close(
                    ::open((path + "/file" + std::to_string(i) + ".txt").c_str(), O_CREAT | O_WRONLY, 0644));
            ::close(::open((path + "/.done").c_str(), O_CREAT | O_WRONLY, 0644));
        }
        return path;
    }();
    return dir;
}

void BM_MainWindowOnScreen(benchmark::State& state)
{
    const std::string home = std::filesystem::temp_directory_path().string() + "/ov_bench_startup_home";
    std::filesystem::create_directories(home);
    ::setenv("ORVANTA_HOME", home.c_str(), 1);
    DriveTable::instance().setDrives({ { 'c', folder(), DriveType::Fixed } });
    for (auto _ : state) {
        TForm1 form;
        form.MainSettings.AutoSave = false;
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.LeftPanel()->Browser.Count);
    }
}
BENCHMARK(BM_MainWindowOnScreen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ReadDirOnce(benchmark::State& state)
{
    DriveTable::instance().setDrives({ { 'c', folder(), DriveType::Fixed } });
    for (auto _ : state) {
        TBrowser list;
        list.OpenDisk("c", DiskKind::Standard, "");
        benchmark::DoNotOptimize(list.Count);
    }
}
BENCHMARK(BM_ReadDirOnce)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

const bool ratios = ovBenchRatio("startup_100k", "BM_MainWindowOnScreen", "BM_ReadDirOnce",
    "one ReadDir of the same folder, which both panels show and read once");

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return ovBenchMain(argc, argv);
}
