// The drive bars: 1,000 mouse moves across a bar that holds a network drive
// which never answers, once its first hover has been waited for, against the
// same moves across a bar of local drives only; and start-up to the first
// painted main window with the tool bar and both drive bars shown, against
// all of them hidden.
#include "bench/ratio.h"
#include "panel/drive_facts.h"
#include "platform/drives.h"
#include "shell/drive_bar.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QLabel>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

using namespace ov;

namespace {

// A network mount that never answers while the benchmark runs.
struct Silence {
    std::mutex mutex;
    std::condition_variable open;
    bool released = false;
    void wait()
    {
        std::unique_lock lock(mutex);
        open.wait(lock, [&] { return released; });
    }
};
std::shared_ptr<Silence> silence = std::make_shared<Silence>();

// Moves the mouse 1,000 times back and forth across a bar of four buttons.
void moveAcross(benchmark::State& state, bool withSilentDrive)
{
    DriveQuestions questions;
    questions.remote = [withSilentDrive](char letter) { return withSilentDrive && letter == 'n'; };
    questions.ready = [](char) { return true; };
    // The helper thread keeps the gate alive past the end of the run.
    questions.label = [withSilentDrive, gate = silence](char letter) {
        if (withSilentDrive && letter == 'n')
            gate->wait();
        return std::string("DATA");
    };
    DriveFactsCache facts(questions);
    QWidget host;
    host.resize(300, 100);
    auto* bar = new TMyToolBar(&host);
    auto* right = new TMyToolBar(&host);
    auto* hint = new QLabel(&host);
    auto* label3 = new QLabel(&host);
    hint->hide();
    label3->hide();
    CreateHotDrives(*bar, *right,
        { { 'c', "/c", DriveType::Fixed }, { 'd', "/d", DriveType::Fixed }, { 'e', "/e", DriveType::Fixed },
            { 'n', "/n", withSilentDrive ? DriveType::Remote : DriveType::Fixed } },
        150, 29);
    bar->HintBox = hint;
    bar->Label3 = label3;
    bar->Facts = &facts;
    bar->WindowActive = [] { return true; };
    // The first hover of every button: the silent drive's one wait.
    for (int x = 0; x < bar->NaturalWidth; x += 25)
        bar->BarMouseMove(x, x);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const int x = (i * 7) % bar->NaturalWidth;
            bar->BarMouseMove(x, x + 100);
        }
        benchmark::DoNotOptimize(bar->HoverIndex);
    }
}

void BM_HoverWithSilentNetworkDrive(benchmark::State& state)
{
    moveAcross(state, true);
}
BENCHMARK(BM_HoverWithSilentNetworkDrive)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_HoverLocalDrivesOnly(benchmark::State& state)
{
    moveAcross(state, false);
}
BENCHMARK(BM_HoverLocalDrivesOnly)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// From creating the main window to its first paint, on a small drive.
void startUp(benchmark::State& state, bool barsShown)
{
    const std::string base = std::filesystem::temp_directory_path().string() + "/ov_bench_drive_bar";
    const std::string home = base + (barsShown ? "/shown" : "/hidden");
    const std::string drive = base + "/drive";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(drive + "/folder");
    std::ofstream(home + "/ov.ini") << "[Global]\nShow_ToolBar=" << (barsShown ? 1 : 0)
                                    << "\nShow_DriveBar=" << (barsShown ? 1 : 0) << "\n";
    ::setenv("ORVANTA_HOME", home.c_str(), 1);
    DriveTable::instance().setDrives({ { 'c', drive, DriveType::Fixed }, { 'd', drive, DriveType::Fixed },
        { 'e', drive, DriveType::CdRom }, { 'a', drive, DriveType::Removable } });
    for (auto _ : state) {
        TForm1 form;
        form.MainSettings.AutoSave = false;
        form.show();
        // The first paint: every child drawn into the window's image.
        benchmark::DoNotOptimize(form.grab().width());
    }
}

void BM_StartUpBarsShown(benchmark::State& state)
{
    startUp(state, true);
}
BENCHMARK(BM_StartUpBarsShown)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_StartUpBarsHidden(benchmark::State& state)
{
    startUp(state, false);
}
BENCHMARK(BM_StartUpBarsHidden)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

const bool ratios = ovBenchRatio("drive_bar_hover_silent_drive", "BM_HoverWithSilentNetworkDrive",
                        "BM_HoverLocalDrivesOnly", "the same 1,000 moves over local drives only")
    && ovBenchRatio("startup_bars_shown", "BM_StartUpBarsShown", "BM_StartUpBarsHidden",
        "start-up to the first paint with the tool bar and drive bars hidden");

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int status = ovBenchMain(argc, argv);
    {
        std::lock_guard lock(silence->mutex);
        silence->released = true;
    }
    silence->open.notify_all();
    return status;
}
