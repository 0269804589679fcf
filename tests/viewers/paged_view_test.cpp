// The viewer's paged mode offscreen (a file above the threshold: scrolling,
// find on its worker, Esc, Copy, Convert), the toolbar dragged to a side,
// and printing to a PDF file.
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "tests/support/temp_folder.h"
#include "viewers/edit_window.h"
#include "viewers/paged_text_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>

#include <fstream>
#include <sstream>

namespace ov {
namespace {

class PagedView : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_editor";
        static char* argv[] = { name, nullptr };
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override { setPrompts(&scripted); }
    void TearDown() override { setPrompts(nullptr); }

    std::unique_ptr<TFormEdit> window(const char* languageCode = "eng")
    {
        auto form
            = std::make_unique<TFormEdit>([this]() -> const IniFile& { return language; }, languageCode);
        form->resize(640, 480);
        return form;
    }
    // Runs the event loop until done() holds (or ten seconds pass).
    template <typename Done> static bool waitFor(Done done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    static void key(QWidget* widget, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(widget, &press);
    }
    // Lines "line N zebra" every 1000th line, "line N" otherwise.
    std::string numbered(int count, const char* lineBreak)
    {
        std::ostringstream out;
        for (int i = 0; i < count; ++i)
            out << "line " << i << (i % 1000 == 999 ? " zebra" : "") << lineBreak;
        return out.str();
    }

    IniFile language = IniFile::fromText("[Editor]\nMenu_File=&File\n");
    ScriptedPrompts scripted;
    test::TempFolder folder;
};

TEST_F(PagedView, BigFileOpensPagedAndScrolls)
{
    const std::string path = folder.write("big.txt", numbered(20000, "\r\n"));
    auto form = window();
    form->PagedThreshold = 1000;
    // Editing never pages.
    ASSERT_TRUE(form->Open(path, "c:\\big.txt", false));
    EXPECT_FALSE(form->Paged());
    ASSERT_TRUE(form->Open(path, "c:\\big.txt", true));
    ASSERT_TRUE(form->Paged());
    EXPECT_TRUE(form->ReadOnly());
    EXPECT_TRUE(form->Memo()->document()->isEmpty());
    EXPECT_EQ(form->windowTitle(), "Viewer - c:\\big.txt");
    form->show();
    PagedTextView* view = form->PagedView();
    ASSERT_TRUE(waitFor([&] { return form->PagedSource()->indexed(); }));
    QApplication::processEvents();
    view->grab();
    EXPECT_GT(view->paintedLines(), 5);
    EXPECT_EQ(form->PagedSource()->lineCount(), 20000);

    const int page = view->visibleLines();
    key(view, Qt::Key_PageDown);
    EXPECT_EQ(view->topLine(), page);
    key(view, Qt::Key_Down);
    EXPECT_EQ(view->topLine(), page + 1);
    key(view, Qt::Key_End);
    // The last screen ends with the empty line after the final break.
    EXPECT_EQ(view->topLine(), 20001 - page);
    key(view, Qt::Key_PageUp);
    EXPECT_EQ(view->topLine(), 20001 - 2 * page);
    key(view, Qt::Key_Home);
    EXPECT_EQ(view->topLine(), 0);
    EXPECT_TRUE(scripted.asked.empty());

    // A small file goes back to the text control.
    const std::string small = folder.write("small.txt", "a\n");
    ASSERT_TRUE(form->Open(small, "c:\\small.txt", true));
    EXPECT_FALSE(form->Paged());
    EXPECT_EQ(form->Memo()->toPlainText(), "a\n");
}

TEST_F(PagedView, FindRunsOnAWorkerAndSelects)
{
    const std::string path = folder.write("find.txt", numbered(5000, "\n"));
    auto form = window();
    form->PagedThreshold = 1000;
    ASSERT_TRUE(form->Open(path, "c:\\find.txt", true));
    form->show();
    form->findText = "ZEBRA";
    form->findOptions = { true, false, true };
    QAction* findNext = form->findChild<QAction*>("FindNext1");
    findNext->setEnabled(true);
    findNext->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->Searching(); }));
    EXPECT_EQ(form->PagedView()->selection(), (TextRange { { 999, 9 }, { 999, 14 } }));
    findNext->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->Searching(); }));
    EXPECT_EQ(form->PagedView()->selection().start, (TextPoint { 1999, 10 }));
    // Up from there finds the first one again.
    form->findOptions.down = false;
    findNext->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->Searching(); }));
    EXPECT_EQ(form->PagedView()->selection().start, (TextPoint { 999, 9 }));
    EXPECT_EQ(form->windowTitle(), "Viewer - c:\\find.txt");
    EXPECT_TRUE(scripted.asked.empty());

    // Copy puts the selection on the clipboard.
    form->PagedView()->select({ { 998, 5 }, { 999, 4 } });
    form->findChild<QAction*>("Copy1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "998\nline");

    // Not found: the editor's message, once the worker is done.
    form->findText = "giraffe";
    findNext->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->Searching(); }));
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Cannot find \"giraffe\".");
}

TEST_F(PagedView, EscStopsAFindAndKeepsTheWindow)
{
    const std::string path = folder.write("esc.txt", numbered(200000, "\n"));
    auto form = window();
    form->PagedThreshold = 1000;
    ASSERT_TRUE(form->Open(path, "c:\\esc.txt", true));
    form->show();
    ASSERT_TRUE(form->Search("giraffe", { true, false, false }));
    EXPECT_TRUE(form->Searching());
    key(form->PagedView(), Qt::Key_Escape);
    EXPECT_FALSE(form->Searching());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Viewer - c:\\esc.txt");
    // Stopped, not "not found".
    EXPECT_TRUE(scripted.asked.empty());
    key(form->PagedView(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Paged());
}

TEST_F(PagedView, ConvertAndMouseSelection)
{
    // 866 bytes of "кот" read through 1251; Convert shows them as 866.
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "\xAA\xAE\xE2 cat\n";
    const std::string path = folder.write("oem.txt", text);
    auto form = window("rus");
    form->PagedThreshold = 1000;
    ASSERT_TRUE(form->Open(path, "c:\\oem.txt", true));
    form->show();
    ASSERT_TRUE(waitFor([&] { return form->PagedSource()->indexed(); }));
    form->Convert();
    EXPECT_EQ(form->PagedSource()->line(7), QStringLiteral("\u043a\u043e\u0442 cat"));

    // A drag over the first line from its left edge to far right selects it.
    QWidget* viewport = form->PagedView()->viewport();
    const int y = form->PagedView()->fontMetrics().lineSpacing() / 2;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, y), viewport->mapToGlobal(QPointF(0, y)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(500, y), viewport->mapToGlobal(QPointF(500, y)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(form->PagedView()->selection(), (TextRange { { 0, 0 }, { 0, 7 } }));
}

TEST_F(PagedView, ToolBarDraggedToASideDocksThere)
{
    auto form = window();
    form->show();
    QToolBar* toolBar = form->ToolBar();
    ASSERT_TRUE(waitFor([&] { return toolBar->isVisible(); }));
    EXPECT_EQ(form->toolBarArea(toolBar), Qt::TopToolBarArea);
    const auto drag = [&](QPoint windowPoint, const char* expectedCaption) {
        // Pressed on the toolbar's own surface, beyond its buttons.
        const QPoint on(toolBar->width() - 3, toolBar->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, on, toolBar->mapToGlobal(on), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(toolBar, &press);
        const QPoint global = form->mapToGlobal(windowPoint);
        QMouseEvent move(QEvent::MouseMove, toolBar->mapFromGlobal(global), global, Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(toolBar, &move);
        EXPECT_EQ(toolBar->windowTitle(), expectedCaption);
        QMouseEvent release(QEvent::MouseButtonRelease, toolBar->mapFromGlobal(global), global,
            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(toolBar, &release);
        EXPECT_TRUE(toolBar->windowTitle().isEmpty());
    };
    drag(QPoint(form->width() - 10, form->height() / 2), "Right");
    EXPECT_EQ(form->toolBarArea(toolBar), Qt::RightToolBarArea);
    EXPECT_EQ(toolBar->orientation(), Qt::Vertical);
    drag(QPoint(form->width() / 2, form->height() - 5), "Bottom");
    EXPECT_EQ(form->toolBarArea(toolBar), Qt::BottomToolBarArea);
    EXPECT_EQ(toolBar->orientation(), Qt::Horizontal);
    drag(QPoint(5, form->height() / 2), "Left");
    EXPECT_EQ(form->toolBarArea(toolBar), Qt::LeftToolBarArea);

    // A press on a button is the button's, not a drag.
    auto* button = toolBar->findChildren<QToolButton*>().value(0);
    ASSERT_NE(button, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)),
        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    EXPECT_EQ(form->toolBarArea(toolBar), Qt::LeftToolBarArea);

    // The stored side comes back.
    IniFile ini = IniFile::fromText("");
    form->SaveAppearance(ini);
    auto again = window();
    again->LoadAppearance(ini);
    EXPECT_EQ(again->toolBarArea(again->ToolBar()), Qt::LeftToolBarArea);
}

// Pages of a PDF file: its page objects.
int pdfPages(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string pdf = bytes.str();
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at, 12, "/Type /Pages") != 0)
            ++pages;
    return pages;
}

TEST_F(PagedView, PrintsToAPdfFile)
{
    const auto printLines = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "line " + std::to_string(i) + "\n";
        const std::string path = folder.write("print.txt", text);
        auto form = window();
        EXPECT_TRUE(form->Open(path, "c:\\print.txt", false));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const std::string pdf = folder.path() + "/out" + std::to_string(count) + ".pdf";
        printer.setOutputFileName(QString::fromStdString(pdf));
        form->PrintTo(printer);
        return pdfPages(pdf);
    };
    EXPECT_EQ(printLines(3), 1);
    // A 10-point line is about 4.4 mm: some 60 lines fit an A4 page.
    const int pages = printLines(300);
    EXPECT_GE(pages, 4);
    EXPECT_LE(pages, 7);
    EXPECT_GE(printLines(600), 2 * pages - 1);
}

} // namespace
} // namespace ov
