// Find files against find(1) and against itself:
// - `ovtool find` by mask over 100,000 files in 1,000 folders against
//   `find -iname` over the same tree, both as whole processes;
// - mask "*.*" (every entry a hit) through the find window's result handler
//   (batched appends, throttled pumping) against a handler that only counts.
// The tree lives beside the system's temporary files (OV_BENCH_DIR
// overrides); OV_BENCH_FILES shrinks it.
#include "bench/ratio.h"
#include "fileops/find_window.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;

namespace {

struct Tree {
    std::string root;
    Tree()
    {
        const char* base = std::getenv("OV_BENCH_DIR");
        std::string pattern = std::string(base && *base ? base : "/var/tmp") + "/ovfind.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        const char* count = std::getenv("OV_BENCH_FILES");
        const long files = count && *count ? std::atol(count) : 100000;
        // Three names in four end in .dat, one in .txt (the hits).
        for (long i = 0; i < files; ++i) {
            const std::string folder = root + "/t/f" + std::to_string(i % 1000);
            if (i < 1000)
                std::filesystem::create_directories(folder);
            std::ofstream(folder + "/file" + std::to_string(i) + (i % 4 == 0 ? ".TXT" : ".dat"));
        }
        ::setenv("ORVANTA_DRIVES", ("c=" + root).c_str(), 1);
        DriveTable::instance().setDrives({ { 'c', root, DriveType::Fixed } });
    }
    ~Tree() { std::filesystem::remove_all(root); }
};

Tree& tree()
{
    static Tree instance;
    return instance;
}

void run(benchmark::State& state, const std::string& command)
{
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError(command.c_str());
    }
}

void BM_OvtoolFind(benchmark::State& state)
{
    run(state, std::string(OV_OVTOOL) + " find '*.txt' " + tree().root + "/t > /dev/null");
}
BENCHMARK(BM_OvtoolFind)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FindIname(benchmark::State& state)
{
    run(state, "find " + tree().root + "/t -iname '*.txt' > /dev/null");
}
BENCHMARK(BM_FindIname)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The host the window searches through: one file list on c:\t\.
class Host : public TFileOpsHost {
public:
    TBrowser list;
    TMainSettings settings;
    IniFile language { OV_SOURCE_DIR "/data/ov_eng.ini" };
    TBrowser& List(PanelSide) override { return list; }
    int CurrentIndex(PanelSide) override { return 1; }
    void SetCursorIndex(PanelSide, int) override { }
    TMainSettings& Settings() override { return settings; }
    const IniFile& Language() override { return language; }
    void Update_AllPanels() override { }
    QWidget* Owner() override { return nullptr; }
};

// The window's own search, as Find with "*.*" in the current folder runs it.
void BM_WindowHandler(benchmark::State& state)
{
    Host host;
    host.list.OpenDisk("c", DiskKind::Standard, "t\\");
    TFormFind& window = TFormFind::instance();
    window.Prepare(host);
    window.findChild<QComboBox*>("ComboBox_Mask")->setEditText("*.*");
    window.findChild<QRadioButton*>("Check_FindInFolder")->setChecked(true);
    for (auto _ : state) {
        window.Button_FindClick();
        benchmark::DoNotOptimize(window.Found());
    }
    if (window.Found() == 0)
        state.SkipWithError("nothing found");
}
BENCHMARK(BM_WindowHandler)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_CountingHandler(benchmark::State& state)
{
    for (auto _ : state) {
        TBrowser list;
        list.OpenDisk("c", DiskKind::Standard, "t\\");
        long hits = 0;
        list.OnFindFile = [&hits](TBrowser&, const std::string&, const std::string&) { ++hits; };
        list.FindFiles("t\\", "*.*");
        benchmark::DoNotOptimize(hits);
        if (hits == 0)
            state.SkipWithError("nothing found");
    }
}
BENCHMARK(BM_CountingHandler)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

const bool ratios = ovBenchRatio("find_mask", "BM_OvtoolFind", "BM_FindIname",
                        "find -iname '*.txt' over the same 100,000 files, as processes")
    && ovBenchRatio("find_all_hits", "BM_WindowHandler", "BM_CountingHandler",
        "the same walk with mask *.* and a handler that only counts");

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    tree();
    return ovBenchMain(argc, argv);
}
