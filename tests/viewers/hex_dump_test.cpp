// The hex dump: layout arithmetic, row text and key moves as tables, then
// the widget's painting, scrolling and keys on its backing image.
#include "viewers/hex_dump.h"
#include "viewers/hex_dump_layout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <vector>

namespace ov {
namespace {

TEST(HexLayout, BytesPerLineAndLineCount)
{
    struct Case {
        const char* name;
        int width, height;
        bool address, characters;
        uint64_t size;
        int bytesPerLine, visible;
        uint64_t lines;
    };
    // Character width 8, line height 10.
    const Case cases[] = {
        { "40 bytes, 16 per line", 8 * 80, 100, true, true, 40, 16, 11, 3 },
        { "exact multiple", 8 * 74, 100, true, true, 32, 16, 11, 2 },
        { "too narrow still shows one byte", 10, 100, true, true, 5, 1, 11, 5 },
        { "very wide never more than 16", 8 * 1000, 5, true, true, 17, 16, 1, 2 },
        { "without characters: 3 columns a byte", 8 * 40, 10, true, false, 10, 10, 2, 1 },
        { "with characters: 4 columns a byte", 8 * 40, 10, true, true, 10, 7, 2, 2 },
        { "without address", 8 * 40, 10, false, true, 10, 10, 2, 1 },
        { "no data", 8 * 80, 0, true, true, 0, 16, 1, 0 },
        { "largest size", 8 * 80, 10, true, true, 0xFFFFFFFFull, 16, 2, 0x10000000 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HexLayout layout = hexLayout(c.width, c.height, 10, 8, c.address, c.characters, c.size);
        EXPECT_EQ(layout.bytesPerLine, c.bytesPerLine);
        EXPECT_EQ(layout.visibleLines, c.visible);
        EXPECT_EQ(layout.lineCount, c.lines);
    }
}

TEST(HexLayout, RowText)
{
    std::vector<uint8_t> bytes = { 'H', 'i', 0x00, 0x1F, 0x7F, 0x20, 0x80, 0x81, 0xE9, 0xFF };
    const HexData data { bytes, bytes.size(), 0x1A0 };
    struct Case {
        uint64_t line;
        int perLine;
        const char* address;
        const char* hex;
        const char* characters;
    };
    const Case cases[] = {
        { 0, 4, "000001A0:", "48 69 00 1F", "Hi.." },
        { 1, 4, "000001A4:", "7F 20 80 81", ". €." },
        { 2, 4, "000001A8:", "E9 FF", "éÿ" },
        { 3, 4, "000001AC:", "", "" },
        { 0, 16, "000001A0:", "48 69 00 1F 7F 20 80 81 E9 FF", "Hi... €.éÿ" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const HexRow row = hexRow(data, c.line, c.perLine);
        EXPECT_EQ(row.address, c.address);
        EXPECT_EQ(row.hex, c.hex);
        EXPECT_EQ(row.characters, c.characters);
    }
    // Bytes past the readable ones show as "??".
    const HexData partial { std::span<const uint8_t>(bytes).first(3), 6, 0 };
    const HexRow row = hexRow(partial, 0, 16);
    EXPECT_EQ(row.hex, "48 69 00 ?? ?? ??");
    EXPECT_EQ(row.characters, "Hi.   ");
    EXPECT_EQ(row.byteCount, 6);
    // Offsets past 32 bits keep every digit.
    EXPECT_EQ(hexRow({ {}, 1, 0x123456789ull }, 0, 16).address, "123456789:");
}

TEST(HexLayout, KeyMoves)
{
    struct Case {
        const char* name;
        HexPosition from;
        HexKey key;
        int visible;
        uint64_t lines;
        HexPosition to;
    };
    const Case cases[] = {
        { "down inside the view", { 0, 0 }, HexKey::Down, 5, 100, { 0, 1 } },
        { "down to the last full row scrolls", { 0, 3 }, HexKey::Down, 5, 100, { 1, 4 } },
        { "up above the top", { 10, 10 }, HexKey::Up, 5, 100, { 9, 9 } },
        { "up at line 0", { 0, 0 }, HexKey::Up, 5, 100, { 0, 0 } },
        { "page down", { 0, 0 }, HexKey::PageDown, 5, 100, { 2, 5 } },
        { "page down past the end", { 90, 98 }, HexKey::PageDown, 5, 100, { 96, 99 } },
        { "page up", { 20, 22 }, HexKey::PageUp, 5, 100, { 17, 17 } },
        { "home", { 50, 52 }, HexKey::Home, 5, 100, { 0, 0 } },
        { "end", { 0, 0 }, HexKey::End, 5, 100, { 96, 99 } },
        { "one visible line keeps top on current", { 0, 0 }, HexKey::Down, 1, 10, { 1, 1 } },
        { "one visible line, end", { 0, 0 }, HexKey::End, 1, 10, { 9, 9 } },
        { "no lines: nothing moves", { 0, 0 }, HexKey::End, 5, 0, { 0, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HexPosition to = hexKeyMove(c.from, c.key, c.visible, c.lines);
        EXPECT_EQ(to.top, c.to.top);
        EXPECT_EQ(to.current, c.to.current);
    }
    EXPECT_EQ(hexClampTop(-3, 10), 0);
    EXPECT_EQ(hexClampTop(30, 10), 9);
    EXPECT_EQ(hexClampTop(5, 0), 0);
}

class HexDumpWidget : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_hexdump";
        static char* argv[] = { name, nullptr };
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }

    void SetUp() override
    {
        for (int i = 0; i < 4096; ++i)
            bytes.push_back(static_cast<uint8_t>(i * 7));
        QFont font("DejaVu Sans Mono");
        font.setPixelSize(12);
        font.setStyleStrategy(QFont::NoAntialias);
        dump.setFont(font);
        dump.resize(900, 200);
        dump.show(); // a shown widget gets its resize events at once
    }

    void press(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&dump, &event);
    }

    std::vector<uint8_t> bytes;
    THexDump dump;
};

TEST_F(HexDumpWidget, DefaultsAndLayout)
{
    THexDump fresh;
    EXPECT_EQ(fresh.size(), QSize(300, 200));
    EXPECT_TRUE(fresh.ShowAddress());
    EXPECT_TRUE(fresh.ShowCharacters());
    EXPECT_EQ(fresh.Color(), 0x00FFFFFFu);
    EXPECT_EQ(fresh.Border(), THexDump::TBorderStyle::bsSingle);
    EXPECT_EQ(fresh.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    dump.SetData(bytes, 0x400);
    dump.SetDataSize(bytes.size());
    const HexLayout& layout = dump.Layout();
    EXPECT_EQ(layout.bytesPerLine, 16);
    EXPECT_EQ(layout.lineCount, 256u);
    EXPECT_EQ(layout.visibleLines, dump.viewport()->height() / dump.LineHeight() + 1);
    EXPECT_EQ(dump.verticalScrollBar()->maximum(), 255);
    EXPECT_EQ(dump.Canvas().size(), dump.viewport()->size());

    // Hiding the characters gives room for more bytes only up to 16.
    dump.resize(200, 200);
    const int withCharacters = dump.Layout().bytesPerLine;
    dump.SetShowCharacters(false);
    EXPECT_GT(dump.Layout().bytesPerLine, withCharacters);
}

// True when some pixel of the row's band differs from the background.
bool rowHasInk(const QImage& image, int row, int lineHeight, int fromX = 0)
{
    const QRgb background = image.pixel(image.width() - 1, row * lineHeight);
    for (int y = row * lineHeight; y < (row + 1) * lineHeight && y < image.height(); ++y)
        for (int x = fromX; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                return true;
    return false;
}

TEST_F(HexDumpWidget, PaintsRowsInTheirColours)
{
    dump.SetAddressColor(0x000000FF); // red
    dump.SetHexDataColor(0x0000FF00); // green
    dump.SetAnsiCharColor(0x00FF0000); // blue
    std::vector<uint8_t> few(40, 'W');
    dump.SetData(few);
    dump.SetDataSize(few.size());
    const QImage& image = dump.Canvas();
    const int lineHeight = dump.LineHeight();
    EXPECT_TRUE(rowHasInk(image, 0, lineHeight));
    EXPECT_TRUE(rowHasInk(image, 2, lineHeight));
    EXPECT_FALSE(rowHasInk(image, 3, lineHeight)); // 40 bytes make 3 lines
    // Each part is drawn in its own colour, in its own columns.
    auto hasColour = [&](QColor colour, int fromX, int toX) {
        for (int y = 0; y < lineHeight; ++y)
            for (int x = fromX; x < toX && x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    const int cw = dump.CharWidth();
    const int hexStart = 10 * cw;
    const int charStart = hexStart + dump.Layout().bytesPerLine * 3 * cw;
    EXPECT_TRUE(hasColour(Qt::red, 0, hexStart));
    EXPECT_TRUE(hasColour(Qt::green, hexStart, charStart));
    EXPECT_TRUE(hasColour(Qt::blue, charStart, image.width()));
    EXPECT_FALSE(hasColour(Qt::green, 0, hexStart));
}

TEST_F(HexDumpWidget, ScrollingOneLineMatchesAFullRepaint)
{
    dump.SetData(bytes);
    dump.SetDataSize(bytes.size());
    press(Qt::Key_PageDown);
    press(Qt::Key_PageDown);
    const int64_t top = dump.TopLine();
    ASSERT_GT(top, 0);
    // One line down by the scroll bar moves pixels and paints the new row.
    dump.verticalScrollBar()->setValue(static_cast<int>(top + 1));
    EXPECT_EQ(dump.TopLine(), top + 1);
    const QImage scrolled = dump.Canvas().copy();
    dump.SetColor(0x00FFFFFE);
    dump.SetColor(0x00FFFFFF); // forces a full repaint at the same top
    EXPECT_EQ(dump.Canvas(), scrolled);
    dump.verticalScrollBar()->setValue(static_cast<int>(top));
    const QImage back = dump.Canvas().copy();
    dump.SetColor(0x00FFFFFE);
    dump.SetColor(0x00FFFFFF);
    EXPECT_EQ(dump.Canvas(), back);
}

TEST_F(HexDumpWidget, KeysAndMouse)
{
    press(Qt::Key_End); // no data: nothing happens
    EXPECT_EQ(dump.CurrentLine(), 0);
    dump.SetData(bytes);
    dump.SetDataSize(bytes.size());
    press(Qt::Key_End);
    EXPECT_EQ(dump.CurrentLine(), 255);
    EXPECT_EQ(dump.TopLine(), 255 - dump.Layout().visibleLines + 2);
    EXPECT_EQ(dump.verticalScrollBar()->value(), dump.TopLine());
    press(Qt::Key_Home);
    EXPECT_EQ(dump.CurrentLine(), 0);
    EXPECT_EQ(dump.TopLine(), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(dump.CurrentLine(), 2);

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 3 * dump.LineHeight() + 1), QPointF(),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dump.viewport(), &click);
    EXPECT_EQ(dump.CurrentLine(), 3);

    // One visible line: the top follows the current line exactly.
    dump.resize(900, dump.LineHeight() / 2 + 2 * dump.frameWidth());
    ASSERT_EQ(dump.Layout().visibleLines, 1);
    press(Qt::Key_Down);
    EXPECT_EQ(dump.TopLine(), dump.CurrentLine());
}

} // namespace
} // namespace ov
