// The help viewer and the information window: the topic table, the file
// lookup, the split layout, every authored page, the windows offscreen and
// the "Help" and "Information" commands in the main window.
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/temp_folder.h"
#include "tools/help_commands.h"
#include "tools/help_topics.h"
#include "tools/help_window.h"
#include "tools/info_window.h"
#include "tools/rtf_reader.h"
#include "tools/rtf_text_document.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

using namespace ov;
using namespace ov::test;

namespace {

const std::string SourceHelpFolder = std::string(OV_DATA_DIR) + "/../../data/hlp";

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

int leafCount(QTreeWidgetItem* item)
{
    if (item->childCount() == 0)
        return 1;
    int count = 0;
    for (int i = 0; i < item->childCount(); ++i)
        count += leafCount(item->child(i));
    return count;
}

} // namespace

TEST(HelpTopics, TheTwentySevenPairs)
{
    const std::pair<const char*, const char*> expected[] = { { "About Orvanta", "about.rtf" },
        { "Orvanta's history", "history.rtf" }, { "License", "license.rtf" },
        { "F3: View file", "FilesOp\\view.rtf" }, { "F4: Edit file", "FilesOp\\edit.rtf" },
        { "F5: Copy files", "FilesOp\\copy.rtf" }, { "F6: Move files", "FilesOp\\move.rtf" },
        { "F7: Create the folder", "FilesOp\\mkdir.rtf" }, { "F8: Delete files", "FilesOp\\delete.rtf" },
        { "Shift+F4: Create new file", "FilesOp\\mkfile.rtf" },
        { "Ctrl+A: File attributes", "FilesOp\\attrib.rtf" }, { "About system", "Utils\\sysinfo.rtf" },
        { "Internet dialer", "Utils\\dialer.rtf" }, { "Clipboard viewer", "Utils\\clip.rtf" },
        { "CD-Player", "Utils\\cdplay.rtf" }, { "Calculator", "Utils\\calc.rtf" },
        { "Change video mode", "Utils\\video.rtf" }, { "Resource Explorer", "Utils\\resexp.rtf" },
        { "MS-DOS window", "Utils\\ms-dos.rtf" }, { "Media Player", "Utils\\mplayer.rtf" },
        { "Format floppy drive", "Utils\\formats.rtf" }, { "Tetris game", "Games\\tetris.rtf" },
        { "Life game", "Games\\life.rtf" }, { "Main", "Config\\main.rtf" },
        { "Set colors", "Config\\colors.rtf" }, { "Change fonts", "Config\\fonts.rtf" },
        { "Files colors", "Config\\filesc.rtf" } };
    const std::vector<HelpTopic>& topics = helpTopics();
    ASSERT_EQ(topics.size(), std::size(expected));
    for (std::size_t i = 0; i < topics.size(); ++i) {
        EXPECT_EQ(topics[i].title, expected[i].first);
        EXPECT_EQ(topics[i].file, expected[i].second);
    }
    EXPECT_EQ(helpGroups(),
        (std::vector<std::string> { "Files operations", "Utilities", "Games", "Configuration" }));
}

// Every authored page exists under its name, reads whole and has text.
TEST(HelpTopics, EveryPageReadsWithText)
{
    for (const HelpTopic& topic : helpTopics()) {
        const std::string path = findHelpFile(SourceHelpFolder, topic.file);
        ASSERT_FALSE(path.empty()) << topic.file;
        const RtfDocument page = RtfReader::read(readFile(path));
        EXPECT_TRUE(page.complete) << topic.file;
        ASSERT_GE(page.paragraphs.size(), 2u) << topic.file;
        EXPECT_TRUE(page.paragraphs[0].runs.at(0).format.bold) << topic.file << ": the title line";
        EXPECT_GT(page.plainText().size(), 200u) << topic.file;
        for (const char* leak : { "\\par", "\\b", "\\f", "\\tab", "{", "}" })
            EXPECT_EQ(page.plainText().find(leak), std::string::npos)
                << topic.file << ": " << leak << " in the text";
    }
    // No page beyond the tree's.
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SourceHelpFolder))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 27);
}

TEST(HelpTopics, FilesAreFoundWithoutRegardToCase)
{
    TempFolder folder;
    folder.write("about.rtf", "a");
    folder.write("filesop/COPY.RTF", "c");
    folder.write("Utils/clip.rtf", "exact");
    folder.write("Utils/CLIP.RTF", "other case");
    folder.folder("Games/tetris.rtf");
    struct Case {
        const char* file;
        std::string found; // relative, "" for none
    };
    const Case cases[] = {
        { "about.rtf", "about.rtf" },
        { "ABOUT.RTF", "about.rtf" },
        { "FilesOp\\copy.rtf", "filesop/COPY.RTF" },
        { "FilesOp/copy.rtf", "filesop/COPY.RTF" },
        { "Utils\\clip.rtf", "Utils/clip.rtf" },
        { "Utils\\Clip.rtf", "Utils/CLIP.RTF" }, // the first in byte order
        { "Games\\tetris.rtf", "" }, // a folder is no page
        { "Config\\main.rtf", "" },
        { "..\\about.rtf", "" },
        { "", "" },
    };
    for (const Case& c : cases) {
        const std::string found = findHelpFile(folder.path(), c.file);
        EXPECT_EQ(found, c.found.empty() ? std::string() : folder / c.found) << c.file;
    }
}

TEST(HelpTopics, HelpFolderBesideTheProgramOrShared)
{
    TempFolder own;
    TempFolder shared;
    shared.folder("hlp");
    EXPECT_EQ(chooseHelpFolder(own.path(), { shared.path() }), shared / "hlp");
    own.folder("hlp");
    EXPECT_EQ(chooseHelpFolder(own.path(), { shared.path() }), own / "hlp");
    TempFolder empty;
    EXPECT_EQ(chooseHelpFolder(empty.path(), {}), empty / "hlp");
}

TEST(HelpLayout, SplitArithmetic)
{
    struct Case {
        const char* name;
        int width;
        double ratio;
        HelpRect tree;
        HelpRect text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // top 26, bottom 426: height 400.
    const Case cases[] = {
        { "width 600", 600, 0.33, { 0, 26, 195, 400 }, { 201, 26, 399, 400 } },
        { "tree raised to its minimum", 600, 0.01, { 0, 26, 47, 400 }, { 53, 26, 547, 400 } },
        { "text kept at its minimum", 600, 0.99, { 0, 26, 547, 400 }, { 553, 26, 47, 400 } },
        { "width 90: the text's minimum wins", 90, 0.33, { 0, 26, 37, 400 }, { 43, 26, 47, 400 } },
        { "width 40: ratio clamped to 0", 40, 0.33, { 0, 26, 0, 400 }, { 6, 26, 34, 400 } },
        { "width 3", 3, 0.33, { 0, 26, 0, 400 }, { 6, 26, 0, 400 } },
        { "width 0", 0, 0.33, { 0, 26, 0, 400 }, { 6, 26, 0, 400 } },
        { "negative width", -20, 0.33, { 0, 26, 0, 400 }, { 6, 26, 0, 400 } },
        { "ratio above 1", 1000, 7.0, { 0, 26, 947, 400 }, { 953, 26, 47, 400 } },
        { "negative ratio", 1000, -2.0, { 0, 26, 47, 400 }, { 53, 26, 947, 400 } },
        { "ratio not a number", 1000, nan, { 0, 26, 47, 400 }, { 53, 26, 947, 400 } },
    };
    for (const Case& c : cases) {
        const HelpLayout layout = helpLayout(c.width, 26, 426, c.ratio);
        EXPECT_EQ(layout.tree, c.tree) << c.name;
        EXPECT_EQ(layout.text, c.text) << c.name;
    }
    EXPECT_EQ(helpLayout(600, 300, 200, 0.33).tree.height, 0) << "status panel above the title";

    double ratio = 0.33;
    EXPECT_FALSE(helpDragRatio(10, 0, ratio)) << "a drag at width 0 is ignored";
    EXPECT_EQ(ratio, 0.33);
    EXPECT_TRUE(helpDragRatio(150, 600, ratio));
    EXPECT_DOUBLE_EQ(ratio, 0.25);
    EXPECT_TRUE(helpDragRatio(900, 600, ratio));
    EXPECT_DOUBLE_EQ(ratio, 1.0);
    EXPECT_TRUE(helpDragRatio(-5, 600, ratio));
    EXPECT_DOUBLE_EQ(ratio, 0.0);
}

TEST(RtfTextDocument, RunsAndParagraphsBecomeBlocksAndFormats)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const std::string rtf = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\qc\\fs40\\b Title\\b0\\par"
                            "\\pard\\li300\\fi-150 plain {\\i it}{\\ul ul}\\cf1 red\\line next\\par"
                            "{\\pict\\pngblip\\picwgoal600\\pichgoal300 "
        + png.toHex().toStdString() + "}{\\pict\\pngblip 00}\\par}";
    QTextDocument document;
    fillTextDocument(RtfReader::read(rtf), document);
    ASSERT_EQ(document.blockCount(), 3);
    const QTextBlock title = document.firstBlock();
    EXPECT_EQ(title.text(), "Title");
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    const QTextCharFormat titleFormat = title.begin().fragment().charFormat();
    EXPECT_EQ(titleFormat.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(titleFormat.fontPointSize(), 20.0);

    const QTextBlock body = title.next();
    EXPECT_EQ(body.text(), QString("plain itulred") + QChar(QChar::LineSeparator) + "next");
    EXPECT_DOUBLE_EQ(body.blockFormat().leftMargin(), 20.0);
    EXPECT_DOUBLE_EQ(body.blockFormat().textIndent(), -10.0);
    std::vector<QTextCharFormat> formats;
    for (auto it = body.begin(); !it.atEnd(); ++it)
        formats.push_back(it.fragment().charFormat());
    ASSERT_EQ(formats.size(), 4u);
    EXPECT_TRUE(formats[1].fontItalic());
    EXPECT_TRUE(formats[2].fontUnderline());
    EXPECT_EQ(formats[3].foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formats[0].fontWeight(), QFont::Normal);

    // The PNG is shown at its goal size; the broken one is left out.
    const QTextBlock pictures = body.next();
    ASSERT_EQ(pictures.text().size(), 1);
    const QTextImageFormat picture = pictures.begin().fragment().charFormat().toImageFormat();
    ASSERT_TRUE(picture.isValid());
    EXPECT_DOUBLE_EQ(picture.width(), 40.0);
    EXPECT_DOUBLE_EQ(picture.height(), 20.0);
    EXPECT_FALSE(document.resource(QTextDocument::ImageResource, QUrl(picture.name())).isNull());
}

TEST(HelpWindow, TreeTopicsAndStatus)
{
    TFormHlp window(SourceHelpFolder);
    EXPECT_TRUE(window.RichEdit1->toPlainText().startsWith("About Orvanta")) << "about.rtf at creation";
    EXPECT_TRUE(window.StatusBar1->text().isEmpty());
    EXPECT_TRUE(window.RichEdit1->isReadOnly());
    QTreeWidget& tree = *window.TreeView1;
    ASSERT_EQ(tree.topLevelItemCount(), 7);
    int leaves = 0;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        leaves += leafCount(tree.topLevelItem(i));
    EXPECT_EQ(leaves, 27);

    QTreeWidgetItem* files = tree.topLevelItem(3);
    ASSERT_EQ(files->text(0), "Files operations");
    tree.setCurrentItem(files->child(2));
    EXPECT_TRUE(window.RichEdit1->toPlainText().startsWith("F5: Copy files"));
    tree.setCurrentItem(files);
    EXPECT_TRUE(window.RichEdit1->toPlainText().isEmpty()) << "a group heading clears the text";
    tree.setCurrentItem(tree.topLevelItem(6)->child(3));
    EXPECT_TRUE(window.RichEdit1->toPlainText().startsWith("Files colors"));

    window.SpeedButton1->click();
    for (int i = 3; i < 7; ++i)
        EXPECT_TRUE(tree.topLevelItem(i)->isExpanded());
    window.SpeedButton2->click();
    for (int i = 3; i < 7; ++i)
        EXPECT_FALSE(tree.topLevelItem(i)->isExpanded());
}

TEST(HelpWindow, MissingPageGivesEmptyTextAndItsName)
{
    TempFolder folder;
    folder.write("ABOUT.RTF", "{\\rtf1 Upper case about\\par}");
    TFormHlp window(folder.path());
    EXPECT_EQ(window.RichEdit1->toPlainText(), "Upper case about");
    window.TreeView1->setCurrentItem(window.TreeView1->topLevelItem(1));
    EXPECT_TRUE(window.RichEdit1->toPlainText().isEmpty());
    EXPECT_EQ(window.StatusBar1->text(), "history.rtf");
    window.TreeView1->setCurrentItem(window.TreeView1->topLevelItem(0));
    EXPECT_TRUE(window.StatusBar1->text().isEmpty());
}

TEST(HelpWindow, LayoutAndSplitDrag)
{
    TFormHlp window(SourceHelpFolder);
    window.resize(600, 400);
    window.FormResize();
    EXPECT_EQ(window.TreeView1->geometry(), QRect(0, 26, 195, 354));
    EXPECT_EQ(window.Panel2->geometry(), QRect(201, 26, 399, 354));
    EXPECT_EQ(window.cursor().shape(), Qt::SplitHCursor);

    window.FormMouseMove(300);
    EXPECT_DOUBLE_EQ(window.SplitRatio, 0.33) << "no drag without a press";
    window.FormMouseDown(198);
    window.FormMouseMove(300);
    EXPECT_DOUBLE_EQ(window.SplitRatio, 0.5);
    EXPECT_EQ(window.TreeView1->width(), 297);
    window.FormMouseUp();
    window.FormMouseMove(100);
    EXPECT_DOUBLE_EQ(window.SplitRatio, 0.5);
}

TEST(InformationWindow, LinksOpenThroughTheLauncher)
{
    RecordingLauncher recorder;
    setLauncher(&recorder);
    ScriptedPrompts scripted;
    setPrompts(&scripted);
    {
        TFormHelp window("Information");
        EXPECT_EQ(window.windowTitle(), "Information");
        EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
        int abouts = 0;
        window.OnAbout = [&] { ++abouts; };
        QMouseEvent press(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.LabelAbout, &press);
        EXPECT_EQ(abouts, 1);
        EXPECT_TRUE(window.LabelSupportClick());
        EXPECT_TRUE(window.LabelHomePageClick());
        ASSERT_EQ(recorder.calls.size(), 2u);
        EXPECT_EQ(recorder.calls[0].kind, "open");
        EXPECT_EQ(
            recorder.calls[0].argv, (std::vector<std::string> { "mailto:" + TFormHelp::SupportAddress() }));
        EXPECT_EQ(recorder.calls[1].argv, (std::vector<std::string> { TFormHelp::HomePage() }));
        EXPECT_NE(TFormHelp::SupportAddress().find('@'), std::string::npos);

        recorder.result = false;
        EXPECT_FALSE(window.LabelHomePageClick());
        ASSERT_EQ(scripted.asked.size(), 1u);
        EXPECT_NE(scripted.asked[0].text.find("recorded failure"), std::string::npos);
    }
    for (const int key :
        { int(Qt::Key_Escape), int(Qt::Key_Space), int(Qt::Key_Return), int(Qt::Key_Enter) }) {
        TFormHelp window("Information");
        window.show();
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
        EXPECT_FALSE(window.isVisible()) << key;
    }
    setPrompts(nullptr);
    setLauncher(nullptr);
}

class HelpCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini", home / "ov_eng.ini");
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_rus.ini", home / "ov_rus.ini");
        std::filesystem::copy(SourceHelpFolder, home / "hlp", std::filesystem::copy_options::recursive);
        setPrompts(&scripted);
        registerHelpCommands();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        ::unsetenv("ORVANTA_HOME");
    }
    TempFolder home;
    ScriptedPrompts scripted;
};

TEST_F(HelpCommandsTest, HelpIsMadeOnTheFirstF1AndKept)
{
    TForm1 form;
    form.setGeometry(40, 50, 700, 500);
    EXPECT_EQ(helpWindow(), nullptr) << "nothing is made at start-up";
    ASSERT_NE(form.MenuAction("OV_Help"), nullptr);
    EXPECT_EQ(form.MenuAction("OV_Help")->shortcut(), QKeySequence(Qt::Key_F1));
    form.MenuAction("OV_Help")->trigger();
    TFormHlp* window = helpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), form.geometry());
    EXPECT_EQ(window->HelpFolder(), home / "hlp");
    EXPECT_TRUE(window->RichEdit1->toPlainText().startsWith("About Orvanta"));
    window->close();
    form.RunCommand("Help");
    EXPECT_EQ(helpWindow(), window) << "the same window again";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(HelpCommandsTest, InformationRunsAboutAndTakesTheMenuCaption)
{
    int abouts = 0;
    registerCommand("About", [&](TForm1&) { ++abouts; });
    for (const char* language : { "ENGLISH", "RUSSIAN" }) {
        TForm1 form;
        form.MainSettings.Language = language;
        form.OpenLanguageFile();
        QString caption;
        QTimer::singleShot(0, &form, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            caption = window->windowTitle();
            QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(window->findChild<QLabel*>("LabelAbout"), &click);
            window->findChild<QPushButton*>("ButtonOK")->click();
        });
        form.RunCommand("Information");
        if (std::string(language) == "ENGLISH")
            EXPECT_EQ(caption, "Information");
        else
            EXPECT_EQ(caption, QString::fromStdString(form.Language().readString("MainMenu", "OV_Info", "")));
    }
    EXPECT_EQ(abouts, 2);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
