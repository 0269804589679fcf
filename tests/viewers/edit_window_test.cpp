// The editor window offscreen: saving through the blocks, the close
// question, failed saves, links, Convert, captions and the search message.
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "tests/support/temp_folder.h"
#include "viewers/edit_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ov {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class EditWindow : public ::testing::Test {
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
        return std::make_unique<TFormEdit>([this]() -> const IniFile& { return language; }, languageCode);
    }
    void type(TFormEdit& form, const QString& text)
    {
        QTextCursor cursor = form.Memo()->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
        form.Memo()->setTextCursor(cursor);
    }

    IniFile language
        = IniFile::fromText("[Editor]\nMenu_File=&File\nQuestion_SaveOnExit=Save %s? 100%% %d %s\n"
                            "Question_SaveAsUtf8=As UTF-8?\nError_Save=Not saved.\n");
    ScriptedPrompts scripted;
    test::TempFolder folder;
};

TEST_F(EditWindow, OpenAndSaveUnchangedGivesTheSameBytes)
{
    for (const auto& entry : std::filesystem::directory_iterator(std::string(OV_DATA_DIR) + "/editor")) {
        if (entry.path().extension() != ".txt")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string original = readFile(entry.path());
        const std::string path = folder.write("copy.txt", original);
        auto form = window("rus");
        ASSERT_TRUE(form->Open(path, "c:\\copy.txt", false));
        EXPECT_EQ(form->windowTitle(), "Editor - c:\\copy.txt");
        EXPECT_FALSE(form->Modified());
        ASSERT_TRUE(form->Save());
        EXPECT_EQ(readFile(path), original);
        // An added line takes the file's break; the old lines keep theirs.
        type(*form, "\nend");
        ASSERT_TRUE(form->Save());
        const std::string saved = readFile(path);
        EXPECT_EQ(saved.substr(0, original.size()), original);
    }
    EXPECT_TRUE(scripted.asked.empty());
}

TEST_F(EditWindow, CloseFlows)
{
    struct Case {
        bool readOnly;
        bool edit;
        Answer answer;
        bool asked;
        bool closed;
        std::string onDisk;
    };
    const Case cases[] = {
        { false, false, Answer::None, false, true, "one\n" },
        { false, true, Answer::Cancel, true, false, "one\n" },
        { false, true, Answer::No, true, true, "one\n" },
        { false, true, Answer::Yes, true, true, "one\nmore" },
        { true, true, Answer::None, false, true, "one\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.answer));
        const std::string path = folder.write("close.txt", "one\n");
        auto form = window();
        ASSERT_TRUE(form->Open(path, "c:\\close.txt", c.readOnly));
        form->show();
        if (c.edit) {
            // A viewer's text changed by the program is still not asked about.
            form->Memo()->setReadOnly(false);
            type(*form, "more");
            form->Memo()->setReadOnly(c.readOnly);
        }
        scripted.asked.clear();
        if (c.answer != Answer::None)
            scripted.answers.push_back(c.answer);
        form->close();
        EXPECT_EQ(scripted.asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(scripted.asked[0].text, "Save " + path + "? 100% %d %s");
            EXPECT_EQ(scripted.asked[0].buttons, Buttons::YesNoCancel);
        }
        EXPECT_EQ(form->isVisible(), !c.closed);
        EXPECT_EQ(readFile(path), c.onDisk);
    }
}

TEST_F(EditWindow, CloseQuestionFormatsOnlyTheFirstName)
{
    EXPECT_EQ(TFormEdit::FormatCloseQuestion("Save %s?", "a.txt"), "Save a.txt?");
    EXPECT_EQ(TFormEdit::FormatCloseQuestion("%s %s 50%% %d %", "a"), "a %s 50% %d %");
    EXPECT_EQ(TFormEdit::FormatCloseQuestion("No name.", "a"), "No name.");
}

TEST_F(EditWindow, FailedSaveKeepsFileAndText)
{
    const std::string path = folder.write("big.txt", "small\n");
    auto form = window();
    ASSERT_TRUE(form->Open(path, "c:\\big.txt", false));
    type(*form, std::string(20000, 'x').c_str());
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file may not grow past 4 KiB here: the save must fail cleanly.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        scripted.answers.push_back(Answer::Yes);
        form->show();
        form->close();
        const bool ok = form->isVisible() && form->Modified() && scripted.asked.size() == 2
            && scripted.asked[1].text.find("Not saved.") == 0 && scripted.asked[1].icon == Icon::Error;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readFile(path), "small\n");
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename(), "big.txt");
}

TEST_F(EditWindow, SavesThroughLinksAndHardLinks)
{
    namespace fs = std::filesystem;
    const std::string target = folder.write("target.txt", "text\r\n");
    fs::create_symlink("target.txt", folder / "link.txt");
    fs::create_hard_link(target, folder / "hard.txt");
    for (const char* name : { "link.txt", "hard.txt" }) {
        auto form = window();
        ASSERT_TRUE(form->Open(folder / name, name, false));
        type(*form, "\nmore");
        ASSERT_TRUE(form->Save());
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(readFile(target), "text\r\n\r\nmore\r\nmore");
    EXPECT_EQ(readFile(folder / "hard.txt"), readFile(target));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
}

TEST_F(EditWindow, ConvertShowsProgressAndAsksBeforeLosingCharacters)
{
    // 866 box drawing read as 1251, four lines.
    const std::string path = folder.write("box.txt", "\xc9\xcd\xbb\nab\n\xba\xba\n\xc8\xcd\xbc");
    auto form = window("rus");
    ASSERT_TRUE(form->Open(path, "c:\\box.txt", false));
    form->Convert();
    EXPECT_EQ(form->convertCaptions, QStringList({ "0%", "25%", "50%", "75%" }));
    EXPECT_EQ(form->windowTitle(), "Editor - c:\\box.txt");
    EXPECT_EQ(form->Memo()->document()->firstBlock().text(), QString::fromUtf8("╔═╗"));
    // 1251 has no box drawing: refusing keeps the file, accepting writes UTF-8.
    scripted.answers.push_back(Answer::No);
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(readFile(path), "\xc9\xcd\xbb\nab\n\xba\xba\n\xc8\xcd\xbc");
    EXPECT_TRUE(form->Modified());
    scripted.answers.push_back(Answer::Yes);
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(readFile(path), "╔═╗\nab\n║║\n╚═╝");
    EXPECT_EQ(scripted.asked.back().text, "As UTF-8?");
}

TEST_F(EditWindow, CaptionsSearchMessageAndNoBreakSpace)
{
    const std::string path = folder.write("nbsp.txt",
        "a\xa0"
        "b cat\n");
    auto form = window("rus");
    ASSERT_TRUE(form->Open(path, "c:\\nbsp.txt", true));
    EXPECT_EQ(form->windowTitle(), "Viewer - c:\\nbsp.txt");
    EXPECT_EQ(form->menuBar()->actions().at(0)->text(), "&File");
    EXPECT_EQ(form->findChild<QAction*>("Save1")->text(), "Error loading resource");
    form->findText = "dog";
    form->FindNext();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Cannot find \"dog\".");
    form->findText = "CAT";
    form->findOptions.wholeWord = true;
    form->FindNext();
    EXPECT_EQ(form->Memo()->textCursor().selectedText(), "cat");
    EXPECT_EQ(form->Memo()->document()->firstBlock().text(), QString::fromUtf8("a\u00A0b cat"));
    // Saving a viewer does nothing.
    EXPECT_FALSE(form->Save());
}

TEST_F(EditWindow, TabMinimisesEscClosesF3FindsNext)
{
    const std::string path = folder.write("keys.txt", "cat cat\n");
    auto form = window();
    ASSERT_TRUE(form->Open(path, "c:\\keys.txt", false));
    form->show();
    form->findText = "cat";
    QAction* findNext = form->findChild<QAction*>("FindNext1");
    ASSERT_NE(findNext, nullptr);
    EXPECT_EQ(findNext->shortcut(), QKeySequence(Qt::Key_F3));
    findNext->setEnabled(true);
    findNext->trigger();
    findNext->trigger();
    EXPECT_EQ(form->Memo()->textCursor().selectionStart(), 4);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(form->Memo(), &tab);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_EQ(form->Memo()->document()->firstBlock().text(), "cat cat");
    form->showNormal();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form->Memo(), &esc);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(scripted.asked.empty());
}

TEST_F(EditWindow, AppearanceDefaultsAndIsKept)
{
    auto form = window();
    EXPECT_EQ(form->Background(), QColor(0, 0, 160));
    scripted.answers.push_back(Answer::Cancel);
    form->findChild<QAction*>("Setdefault1")->trigger();
    EXPECT_EQ(form->Background(), QColor(0, 0, 160));
    EXPECT_EQ(scripted.asked.back().text, "Are you sure ?");
    EXPECT_EQ(scripted.asked.back().buttons, Buttons::OkCancel);
    form->Memo()->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    scripted.answers.push_back(Answer::Ok);
    form->findChild<QAction*>("Setdefault1")->trigger();
    EXPECT_EQ(form->Background(), QColor(0, 0, 128));
    EXPECT_EQ(form->Memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(form->Memo()->font().bold());

    // Stored and read back in section TFormEdit.
    IniFile ini(folder / "ov.ini");
    form->Memo()->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    form->SaveAppearance(ini);
    EXPECT_TRUE(ini.hasKey("TFormEdit", "Color"));
    auto other = window();
    other->LoadAppearance(IniFile(folder / "ov.ini"));
    EXPECT_EQ(other->Background(), QColor(0, 0, 128));
    EXPECT_EQ(other->Memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(other->Memo()->font(), form->Memo()->font());
}

TEST_F(EditWindow, FindAndReplaceDialogs)
{
    const std::string path = folder.write("d.txt", "cat concat cat\n");
    auto form = window();
    ASSERT_TRUE(form->Open(path, "c:\\d.txt", false));
    form->findChild<QAction*>("Find1")->trigger();
    auto* find = form->findChild<QDialog*>("FindDialog1");
    ASSERT_NE(find, nullptr);
    find->findChild<QLineEdit*>("FindText")->setText("CAT");
    find->findChild<QCheckBox*>("WholeWord")->setChecked(true);
    find->findChild<QPushButton*>("FindNextButton")->click();
    EXPECT_EQ(form->Memo()->textCursor().selectionStart(), 0);
    find->findChild<QPushButton*>("FindNextButton")->click();
    EXPECT_EQ(form->Memo()->textCursor().selectionStart(), 11);
    EXPECT_TRUE(form->findChild<QAction*>("FindNext1")->isEnabled());
    find->close();

    form->Memo()->moveCursor(QTextCursor::Start);
    form->findChild<QAction*>("Replace1")->trigger();
    auto* replace = form->findChild<QDialog*>("ReplaceDialog1");
    ASSERT_NE(replace, nullptr);
    replace->findChild<QLineEdit*>("FindText")->setText("cat");
    replace->findChild<QLineEdit*>("ReplaceText")->setText("dog");
    replace->findChild<QCheckBox*>("WholeWord")->setChecked(false);
    replace->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(form->Memo()->document()->firstBlock().text(), "dog condog dog");
    EXPECT_TRUE(scripted.asked.empty());
    // A single replace with nothing left says so.
    replace->findChild<QPushButton*>("ReplaceButton")->click();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Cannot find \"cat\".");
}

TEST_F(EditWindow, SeparatorsStayCharacters)
{
    // U+2029 and U+2028 inside a line, a no-break space: saved as they were.
    const std::string original = "a\xe2\x80\xa9"
                                 "b\xe2\x80\xa8"
                                 "c\xc2\xa0"
                                 "d\r\ne\n";
    const std::string path = folder.write("sep.txt", original);
    auto form = window();
    ASSERT_TRUE(form->Open(path, "c:\\sep.txt", false));
    type(*form, "f");
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(readFile(path), original + "f");
}

TEST_F(EditWindow, ReplaceAllInTheWindow)
{
    const std::string path = folder.write("r.txt", "aaa\r\nxa\r\n");
    auto form = window();
    ASSERT_TRUE(form->Open(path, "c:\\r.txt", false));
    form->Replace("a", "aa", {}, true);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(readFile(path), "aaaaaa\r\nxaa\r\n");
    EXPECT_TRUE(scripted.asked.empty());
}

} // namespace
} // namespace ov
