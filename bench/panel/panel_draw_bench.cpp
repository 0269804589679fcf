// Panel drawing against the size of the folder, and the quick view's JPEG
// decode with DCT scaling against a full decode of the same photo.
//
//   panel_cursor_100k: a cursor move (down and back up) in a 100,000-entry
//     folder against the same in a 100-entry folder; the ratio should stay
//     near 1 (drawing touches only the visible cells).
//   panel_repaint_100k: a full repaint, the same two folders.
//   jpeg_quickview: decoding a 12-megapixel JPEG into a 640 x 480 quick view
//     against decoding it at full size.
#include "bench/ratio.h"
#include "panel/fpanel.h"
#include "platform/picture.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

using namespace ov;

namespace {

// A panel over a list of count synthetic entries (no disk needed to draw).
std::unique_ptr<TFPanel> makePanel(int count)
{
    auto panel = std::make_unique<TFPanel>();
    panel->IsActive = true;
    panel->Settings.ViewMode = ViewMode::Brief;
    panel->resize(640, 800);
    TBrowser& list = panel->Browser;
    list.DiskRoot = "c:\\";
    list.Entries.resize(static_cast<std::size_t>(count));
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "file%06d.txt", i);
        Entry& entry = list.Entries[static_cast<std::size_t>(i)];
        entry.FullName = name;
        splitName(entry.FullName, entry);
        entry.Size = i * 37;
    }
    list.Count = count;
    panel->Layout();
    panel->SetCursorIndex(50);
    panel->Layout();
    return panel;
}

void BM_CursorMove(benchmark::State& state)
{
    auto panel = makePanel(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        panel->CursorDown();
        panel->CursorUp();
    }
}
BENCHMARK(BM_CursorMove)->Arg(100)->Arg(100000);

void BM_Repaint(benchmark::State& state)
{
    auto panel = makePanel(static_cast<int>(state.range(0)));
    for (auto _ : state)
        panel->Layout();
}
BENCHMARK(BM_Repaint)->Arg(100)->Arg(100000);

// A 4000 x 3000 photo-like JPEG (smooth gradients with some grain), made once.
const std::vector<unsigned char>& photo()
{
    static const std::vector<unsigned char> bytes = [] {
        const int width = 4000, height = 3000;
        jpeg_compress_struct info {};
        jpeg_error_mgr error {};
        info.err = jpeg_std_error(&error);
        jpeg_create_compress(&info);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = width;
        info.image_height = height;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        std::vector<unsigned char> row(width * 3);
        unsigned seed = 1;
        while (info.next_scanline < info.image_height) {
            const unsigned y = info.next_scanline;
            for (int x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                const unsigned grain = (seed >> 16) & 15;
                row[static_cast<std::size_t>(x * 3)] = static_cast<unsigned char>((x / 16 + grain) & 255);
                row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<unsigned char>((y / 12 + grain) & 255);
                row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<unsigned char>(((x + y) / 28) & 255);
            }
            JSAMPROW pointer = row.data();
            jpeg_write_scanlines(&info, &pointer, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        std::vector<unsigned char> result(buffer, buffer + size);
        std::free(buffer);
        return result;
    }();
    return bytes;
}

void BM_JpegQuickView(benchmark::State& state)
{
    const auto& bytes = photo();
    const QSize box(640, 480);
    for (auto _ : state) {
        const Picture picture = decodeJpeg(bytes.data(), bytes.size(), box);
        const QImage shown = picture.image.scaled(
            fitPictureSize(picture.naturalSize, box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_JpegQuickView)->Unit(benchmark::kMillisecond);

void BM_JpegFull(benchmark::State& state)
{
    const auto& bytes = photo();
    for (auto _ : state) {
        const Picture picture = decodeJpeg(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}
BENCHMARK(BM_JpegFull)->Unit(benchmark::kMillisecond);

const bool ratios = [] {
    ovBenchRatio("panel_cursor_100k", "BM_CursorMove/100000", "BM_CursorMove/100",
        "cursor move in a 100-entry folder");
    ovBenchRatio(
        "panel_repaint_100k", "BM_Repaint/100000", "BM_Repaint/100", "full repaint of a 100-entry folder");
    ovBenchRatio(
        "jpeg_quickview", "BM_JpegQuickView", "BM_JpegFull", "full decode of the same 12-megapixel JPEG");
    return true;
}();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return ovBenchMain(argc, argv);
}
