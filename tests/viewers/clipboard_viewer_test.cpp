#include "tests/viewers/resource_writers.h"
#include "viewers/clipboard_viewer.h"
#include "viewers/palette_grid.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace ov {
namespace {

void app()
{
    // Kept to the end of the process: Qt's own exit handlers still use it.
    static int argc = 1;
    static char name[] = "test_clipboard_viewer";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

QStringList types(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* type : list)
        result << QString::fromLatin1(type);
    return result;
}

TEST(ClipboardFormat, ChoiceTable)
{
    using F = TClipboardViewFormat;
    struct Case {
        QStringList types;
        F chosen;
    };
    const Case cases[] = {
        { {}, F::cvEmpty },
        { types({ "text/plain" }), F::cvText },
        { types({ "text/plain;charset=utf-8" }), F::cvText },
        { types({ "image/png" }), F::cvBitmap },
        { types({ "application/x-qt-image" }), F::cvBitmap },
        { types({ "image/bmp", "text/plain" }), F::cvText },
        { types({ "image/x-icon" }), F::cvIcon },
        { types({ "image/x-icon", "image/png" }), F::cvBitmap },
        { types({ "text/html" }), F::cvText },
        { types({ "text/uri-list" }), F::cvText },
        { types({ "application/x-orvanta-oemtext" }), F::cvOemText },
        { types({ "application/x-orvanta-oemtext", "text/plain" }), F::cvText },
        { types({ "application/x-orvanta-picture" }), F::cvPicture },
        { types({ "application/x-orvanta-component", "application/x-orvanta-palette" }), F::cvComponent },
        { types({ "application/x-orvanta-palette" }), F::cvPalette },
        { types({ "application/x-qt-windows-mime;value=\"Enhanced Metafile\"" }), F::cvUnknown },
        { types({ "image/x-wmf-never-a-metafile" }), F::cvBitmap },
        { types({ "application/octet-stream" }), F::cvUnknown },
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseClipboardFormat(c.types), c.chosen) << c.types.join(',').toStdString();

    // A requested format that is missing shows as unknown; after a change it
    // falls back to the automatic choice.
    const QStringList text = types({ "text/plain" });
    EXPECT_EQ(effectiveClipboardFormat(F::cvPalette, text), F::cvUnknown);
    EXPECT_EQ(effectiveClipboardFormat(F::cvMetafile, text), F::cvUnknown);
    EXPECT_EQ(effectiveClipboardFormat(F::cvText, {}), F::cvEmpty);
    EXPECT_EQ(formatAfterChange(F::cvPalette, text), F::cvDefault);
    EXPECT_EQ(formatAfterChange(F::cvText, text), F::cvText);
    EXPECT_EQ(formatAfterChange(F::cvText, {}), F::cvEmpty);
}

TEST(ClipboardFormat, PaletteAndUriListReaders)
{
    const std::vector<QRgb> colours = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(1, 2, 3) };
    const QByteArray bytes = writeClipboardPalette(colours);
    EXPECT_EQ(bytes.size(), 4 + 3 * 4);
    EXPECT_EQ(readClipboardPalette(bytes), colours);
    EXPECT_EQ(readClipboardPalette(bytes.left(3)), std::nullopt);
    EXPECT_EQ(readClipboardPalette(bytes.left(14)), std::nullopt); // the last entry cut short
    // A count above 256 reads the first 256 entries.
    QByteArray many("\x00\x03\x00\x04", 4);
    many.append(QByteArray(256 * 4, '\x10'));
    const auto read = readClipboardPalette(many);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 256u);

    const QStringList entries = readUriList(
        "# comment\r\nfile:///tmp/a%20b.txt\r\nfile:///home/u/%D0%AF\nhttp://example.org/x\n\n");
    EXPECT_EQ(
        entries, QStringList({ "/tmp/a b.txt", QString::fromUtf8("/home/u/Я"), "http://example.org/x" }));
}

TEST(ClipboardFormat, MemoTexts)
{
    using F = TClipboardViewFormat;
    QMimeData empty;
    EXPECT_EQ(clipboardMemoText(F::cvDefault, &empty).toStdString(), "Буфер обмена пуст");
    EXPECT_EQ(clipboardMemoText(F::cvEmpty, nullptr).toStdString(), "Буфер обмена пуст");

    QMimeData other;
    other.setData("application/octet-stream", "x");
    EXPECT_EQ(
        clipboardMemoText(F::cvUnknown, &other).toStdString(), "Неизвестный формат данных в буфере обмена");

    QMimeData html;
    html.setHtml("<p>one <b>two</b></p>");
    EXPECT_EQ(clipboardMemoText(F::cvText, &html), "one two");

    QMimeData list;
    list.setData("text/uri-list", "file:///a/b\r\nfile:///c\r\n");
    EXPECT_EQ(clipboardMemoText(F::cvText, &list), "/a/b\n/c");

    QMimeData oem;
    oem.setData(kMimeOemText, QByteArray("\x80\xE0", 2));
    EXPECT_EQ(clipboardMemoText(F::cvOemText, &oem, "866"), QString::fromUtf8("Ар"));
}

QByteArray bytesOf(const test::Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The text form of the component stream the tests' writer makes.
QString goldenComponentText()
{
    std::ifstream in(OV_DATA_DIR "/viewers/component_stream.txt", std::ios::binary);
    return QString::fromStdString({ std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() });
}

// A component on the clipboard is a binary component stream; the memo shows
// its objects and properties, for the component format and for text when
// there is no text.
TEST(ClipboardFormat, ComponentStreamsShowAsText)
{
    using F = TClipboardViewFormat;
    const QString golden = goldenComponentText();
    ASSERT_TRUE(golden.startsWith("object Form1: TForm1\n"));
    const QByteArray stream = bytesOf(test::componentStream());
    // Cut inside the first property's value: what was read, then where it stopped.
    const QByteArray damaged = bytesOf({ 'T', 'P', 'F', '0', 1, 'T', 1, 'A', 1, 'P', 99 });
    const QString unknown = QString::fromUtf8(kClipboardUnknown);

    struct Case {
        const char* name;
        F format;
        QByteArray component;
        const char* text; // text/plain beside it, when not null
        QString shown;
    };
    const Case cases[] = {
        { "component", F::cvComponent, stream, nullptr, golden },
        { "automatic choice", F::cvDefault, stream, nullptr, golden },
        { "text requested, no text", F::cvText, stream, nullptr, golden },
        { "text beside it wins", F::cvText, stream, "plain", "plain" },
        { "component requested beside text", F::cvComponent, stream, "plain", golden },
        { "OEM text never shows it", F::cvOemText, stream, nullptr, unknown },
        { "damaged", F::cvComponent, damaged, nullptr,
            "object A: T\n  P = \nThe component stream stops here: unknown value type 99 at offset 11" },
        { "not a stream", F::cvComponent, "object X: TY\nend\n", nullptr, unknown },
        { "signature only", F::cvComponent, "TPF", nullptr, unknown },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        data.setData(kMimeComponent, c.component);
        if (c.text)
            data.setText(c.text);
        EXPECT_EQ(clipboardMemoText(c.format, &data), c.shown);
    }
    EXPECT_EQ(clipboardComponentText(stream), golden);
    EXPECT_EQ(clipboardComponentText(QByteArray()), std::nullopt);
}

TEST(PaletteGrid, ShapeAndUnusedCells)
{
    EXPECT_EQ(paletteGridShape(200, 16, 16), QSize(9, 2));
    EXPECT_EQ(paletteGridShape(200, 16, 0), QSize(9, 1));
    EXPECT_EQ(paletteGridShape(10, 16, 5), QSize(1, 5));
    EXPECT_EQ(paletteGridShape(336, 16, 256), QSize(16, 16));

    app();
    TPaletteGrid grid;
    grid.SetPalette({ qRgb(255, 0, 0), qRgb(0, 0, 255) });
    EXPECT_EQ(grid.EntryCount(), 2);
    EXPECT_EQ(grid.ColourAt(1), qRgb(0, 0, 255));
    EXPECT_EQ(grid.ColourAt(2), qRgb(128, 128, 128));
    EXPECT_EQ(grid.ColourAt(255), qRgb(128, 128, 128));
}

QString memoText(const TClipboardViewer& viewer)
{
    const auto* memo = qobject_cast<const QPlainTextEdit*>(viewer.View());
    return memo ? memo->toPlainText() : QStringLiteral("<no memo>");
}

TEST(ClipboardViewerWindow, FollowsEveryChange)
{
    app();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    TFormClip form("Clipboard viewer", ClipboardBounds { 0, 10, -5, 200 });
    EXPECT_EQ(form.geometry(), QRect(50, 10, 300, 200));
    EXPECT_EQ(form.windowTitle(), "Clipboard viewer");
    EXPECT_EQ(form.OkButton->text(), "&OK");
    form.show();
    TClipboardViewer* viewer = form.Viewer;
    int changes = 0;
    viewer->OnChange = [&](TClipboardViewer*) { ++changes; };
    EXPECT_EQ(memoText(*viewer).toStdString(), "Буфер обмена пуст");

    clipboard->setText("first");
    EXPECT_EQ(memoText(*viewer), "first");
    clipboard->setText("second");
    EXPECT_EQ(memoText(*viewer), "second");
    EXPECT_EQ(viewer->ShownFormat(), TClipboardViewFormat::cvText);

    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    clipboard->setImage(image);
    EXPECT_EQ(viewer->ShownFormat(), TClipboardViewFormat::cvBitmap);
    const auto* label = qobject_cast<const QLabel*>(viewer->View());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pixmap().size(), QSize(7, 5));

    auto* palette = new QMimeData;
    palette->setData(kMimePalette, writeClipboardPalette({ qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9) }));
    clipboard->setMimeData(palette);
    EXPECT_EQ(viewer->ShownFormat(), TClipboardViewFormat::cvPalette);
    const auto* grid = dynamic_cast<const TPaletteGrid*>(viewer->View());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->EntryCount(), 3);
    EXPECT_EQ(grid->ColourAt(2), qRgb(7, 8, 9));

    // A component stream put on the clipboard under the component format.
    auto* component = new QMimeData;
    component->setData(kMimeComponent, bytesOf(test::componentStream()));
    clipboard->setMimeData(component);
    EXPECT_EQ(viewer->ShownFormat(), TClipboardViewFormat::cvComponent);
    EXPECT_EQ(memoText(*viewer), goldenComponentText());
    // Asked for as text, the same.
    viewer->SetViewFormat(TClipboardViewFormat::cvText);
    EXPECT_EQ(memoText(*viewer), goldenComponentText());
    viewer->SetViewFormat(TClipboardViewFormat::cvDefault);

    clipboard->clear();
    EXPECT_EQ(memoText(*viewer).toStdString(), "Буфер обмена пуст");
    EXPECT_EQ(changes, 6);

    // "&OK" closes as the cancel button does.
    form.OkButton->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

} // namespace
} // namespace ov
