// The viewer on a 100 MB text (made here at the first run, in OV_BENCH_DIR
// or the temporary folder; OV_BENCH_VIEWER_MB picks another size):
//   viewer_open  F3 until the line index is complete and End shows the last
//                screen, against `cat FILE > /dev/null`;
//   viewer_find  Find Next over the whole file without a match (whole word,
//                case ignored), against `grep -c -i -w -F zebra FILE`.
// Also printed: the time to the first painted screen and how much anonymous
// memory the open view holds (the index only, no decoded copy).
#include "bench/ratio.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "platform/system_facts.h"
#include "viewers/edit_window.h"
#include "viewers/paged_text_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace ov;

namespace {

int64_t targetBytes()
{
    const char* megabytes = std::getenv("OV_BENCH_VIEWER_MB");
    const int64_t count = megabytes && std::atoll(megabytes) > 0 ? std::atoll(megabytes) : 100;
    return count * 1000 * 1000;
}

// Lines of words, about one in eight with a Cyrillic word, never "zebra".
const std::string& benchFile()
{
    static const std::string path = [] {
        const char* folder = std::getenv("OV_BENCH_DIR");
        const std::string dir = folder && *folder ? folder : std::filesystem::temp_directory_path().string();
        const int64_t size = targetBytes();
        const std::string name = dir + "/ov_bench_viewer_" + std::to_string(size) + ".txt";
        std::error_code error;
        if (std::filesystem::exists(name, error) && int64_t(std::filesystem::file_size(name, error)) >= size)
            return name;
        const char* words[]
            = { "the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "orvanta", "panel", "viewer",
                  "line", "index", "memory", "block", "search", "window", "\xD0\xBA\xD0\xBE\xD1\x82" };
        std::mt19937 random(42);
        std::ofstream out(name + ".part", std::ios::binary);
        std::string line;
        int64_t written = 0;
        while (written < size) {
            line.clear();
            const int count = 4 + int(random() % 9);
            for (int i = 0; i < count; ++i) {
                if (i)
                    line += ' ';
                const std::size_t word = random() % 8 == 0 ? 17 : random() % 17;
                line += words[word];
            }
            line += '\n';
            out << line;
            written += int64_t(line.size());
        }
        out.close();
        std::filesystem::rename(name + ".part", name);
        return name;
    }();
    return path;
}

IniFile& language()
{
    static IniFile ini = IniFile::fromText("[Editor]\n");
    return ini;
}

ScriptedPrompts& quietPrompts()
{
    static ScriptedPrompts prompts;
    return prompts;
}

double firstScreenSeconds = 0;
int64_t anonymousGrowth = 0;

void BM_ViewerOpen(benchmark::State& state)
{
    const std::string path = benchFile();
    TFormEdit form([]() -> const IniFile& { return language(); }, "eng");
    form.resize(800, 600);
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        const int64_t before = readProcessMemory().anonymousBytes;
        QElapsedTimer timer;
        timer.start();
        if (!form.Open(path, "c:\\big.txt", true) || !form.Paged()) {
            state.SkipWithError("the file did not open paged");
            return;
        }
        PagedTextView* view = form.PagedView();
        bool firstSeen = false;
        while (!form.PagedSource()->indexed()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (!firstSeen && view->paintedLines() >= view->visibleLines()) {
                firstSeen = true;
                firstScreenSeconds = std::max(firstScreenSeconds, timer.nsecsElapsed() / 1e9);
            }
        }
        QApplication::processEvents();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QApplication::sendEvent(view, &end);
        view->repaint();
        if (!firstSeen)
            firstScreenSeconds = std::max(firstScreenSeconds, timer.nsecsElapsed() / 1e9);
        anonymousGrowth = std::max(anonymousGrowth, readProcessMemory().anonymousBytes - before);
        benchmark::DoNotOptimize(view->topLine());
        state.PauseTiming();
        form.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ViewerOpen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The engine alone, on this thread: what the window adds is the rest.
void BM_IndexOnly(benchmark::State& state)
{
    const std::string path = benchFile();
    for (auto _ : state) {
        PagedText text(CodePage::ansiFor("eng"));
        text.open(path);
        text.indexAll();
        benchmark::DoNotOptimize(text.lines());
    }
}
BENCHMARK(BM_IndexOnly)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_CatFile(benchmark::State& state)
{
    const std::string command = "cat '" + benchFile() + "' > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_CatFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ViewerFind(benchmark::State& state)
{
    const std::string path = benchFile();
    TFormEdit form([]() -> const IniFile& { return language(); }, "eng");
    form.resize(800, 600);
    if (!form.Open(path, "c:\\big.txt", true) || !form.Paged()) {
        state.SkipWithError("the file did not open paged");
        return;
    }
    form.show();
    while (!form.PagedSource()->indexed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (auto _ : state) {
        // From the top, as Find Next right after opening searches.
        form.PagedView()->select({});
        form.Search(QStringLiteral("zebra"), { true, false, true });
        while (form.Searching())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (quietPrompts().asked.empty() || quietPrompts().asked.back().text != "Cannot find \"zebra\".")
        state.SkipWithError("the find did not end with \"not found\"");
    form.close();
}
BENCHMARK(BM_ViewerFind)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_GrepWord(benchmark::State& state)
{
    const std::string command = "grep -c -i -w -F zebra '" + benchFile() + "' > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_GrepWord)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

const bool ratios
    = ovBenchRatio("viewer_open", "BM_ViewerOpen", "BM_CatFile",
          "cat FILE > /dev/null on the same file; ours: F3 until the index is complete and End works")
    && ovBenchRatio("viewer_index", "BM_IndexOnly", "BM_CatFile",
        "cat FILE > /dev/null; ours: the line index alone, built on one thread without the window")
    && ovBenchRatio("viewer_find", "BM_ViewerFind", "BM_GrepWord",
        "grep -c -i -w -F zebra FILE; ours: Find Next over the whole file, whole word, case ignored, no "
        "match");

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    setPrompts(&quietPrompts());
    // Made before the figures, so that no benchmark times the writing.
    std::printf("file: %s (%lld bytes)\n", benchFile().c_str(),
        static_cast<long long>(std::filesystem::file_size(benchFile())));
    const int status = ovBenchMain(argc, argv);
    std::printf(
        "bench viewer_first_screen: %.3f s (the first screen painted after F3, slowest run; goal 0.3 s)\n",
        firstScreenSeconds);
    std::printf(
        "bench viewer_open_memory: %.1f MB (anonymous memory the open view added, largest run; goal 24 MB)\n",
        double(anonymousGrowth) / 1e6);
    return status;
}
