// Opening the resource explorer on a large tree: SetFile until the tree is
// shown with its first node selected and events processed, against opening
// the same bytes with TExeImage and walking every item (Name, IsList, List).
// The window is a model over the reader's lists, so it pays for the rows on
// screen and the first node's page, not for a copy of the tree.
//
// The large tree is written with the tests' PE writer: 20,000 leaves in
// 4,000 icon groups (one image each), 8,000 string blocks and 8,000 RCDATA
// resources. win32-loader.exe (Debian's win32-loader) is timed as it is.
#include "bench/ratio.h"
#include "tests/viewers/resource_writers.h"
#include "viewers/exe_image.h"
#include "viewers/resource_form.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace ov;

const std::string kLoader = "/usr/share/win32/win32-loader.exe";

const std::string& largeFile()
{
    static const std::string path = [] {
        test::ResourceTreeWriter tree;
        for (uint32_t i = 1; i <= 4000; ++i) {
            // A group of one 16 x 16 image naming image i, and the image.
            test::Bytes group { 0, 0, 1, 0, 1, 0, 16, 16, 16, 0, 1, 0, 4, 0, 40, 0, 0, 0 };
            group.push_back(static_cast<uint8_t>(i));
            group.push_back(static_cast<uint8_t>(i >> 8));
            tree.add(14u, i, group);
            tree.add(3u, i, test::Bytes(40, 0));
        }
        for (uint32_t i = 1; i <= 8000; ++i) {
            test::Bytes block;
            for (int s = 0; s < 16; ++s) {
                test::put16(block, s == 0 ? 2 : 0);
                if (s == 0)
                    test::putUtf16(block, u"hi", false);
            }
            tree.add(6u, i, block);
            tree.add(10u, i, test::Bytes(24, static_cast<uint8_t>(i)));
        }
        const auto bytes = tree.image();
        const std::string file = (std::filesystem::temp_directory_path() / "ov_bench_resources.dll").string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

QApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_res_explorer";
    static char* argv[] = { name, nullptr };
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

std::size_t walk(TResourceList& list)
{
    std::size_t work = 0;
    for (int i = 0; i < list.Count(); ++i) {
        TResourceItem& item = *list.Items(i);
        work += item.Name().size();
        if (item.IsList())
            work += walk(item.List());
    }
    return work;
}

// Milliseconds per pass of the last run of each win32-loader benchmark,
// printed as absolute figures.
double g_loaderWalk = -1;
double g_loaderWindow = -1;

void noteLoader()
{
    char text[200];
    std::snprintf(text, sizeof text,
        "res_explorer_open win32-loader.exe: %.3f ms window, %.3f ms reader walk (absolute)", g_loaderWindow,
        g_loaderWalk);
    auto& notes = ovBenchNotes();
    static std::size_t slot = [&notes] {
        notes.emplace_back();
        return notes.size() - 1;
    }();
    notes[slot] = text;
}

double perPassMs(std::chrono::steady_clock::duration total, benchmark::IterationCount passes)
{
    return passes ? std::chrono::duration<double, std::milli>(total).count() / double(passes) : 0;
}

void openAndWalk(benchmark::State& state, const std::string& file, double* perPass = nullptr)
{
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        TExeImage image(file);
        benchmark::DoNotOptimize(walk(*image.Resources()));
    }
    if (perPass)
        *perPass = perPassMs(std::chrono::steady_clock::now() - start, state.iterations());
}

void openWindow(benchmark::State& state, const std::string& file, double* perPass = nullptr)
{
    app();
    TFormResource form;
    form.resize(800, 600);
    form.show();
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        form.SetFile(file);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form.Page().rows.size());
    }
    if (perPass)
        *perPass = perPassMs(std::chrono::steady_clock::now() - start, state.iterations());
}

void BM_WalkLarge(benchmark::State& state)
{
    openAndWalk(state, largeFile());
}
BENCHMARK(BM_WalkLarge)->Unit(benchmark::kMillisecond);

void BM_ExplorerLarge(benchmark::State& state)
{
    openWindow(state, largeFile());
}
BENCHMARK(BM_ExplorerLarge)->Unit(benchmark::kMillisecond);

void BM_WalkLoader(benchmark::State& state)
{
    if (!std::filesystem::exists(kLoader)) {
        state.SkipWithError("win32-loader is not installed");
        return;
    }
    openAndWalk(state, kLoader, &g_loaderWalk);
    noteLoader();
}
BENCHMARK(BM_WalkLoader)->Unit(benchmark::kMillisecond);

void BM_ExplorerLoader(benchmark::State& state)
{
    if (!std::filesystem::exists(kLoader)) {
        state.SkipWithError("win32-loader is not installed");
        return;
    }
    openWindow(state, kLoader, &g_loaderWindow);
    noteLoader();
}
BENCHMARK(BM_ExplorerLoader)->Unit(benchmark::kMillisecond);

const bool ratio = ovBenchRatio("res_explorer_open", "BM_ExplorerLarge", "BM_WalkLarge",
    "TExeImage and a walk of Name, IsList and List over every item of a 20,000-leaf image; ours: SetFile "
    "until the tree shows its first node selected, events processed");

} // namespace

OV_BENCH_MAIN()
