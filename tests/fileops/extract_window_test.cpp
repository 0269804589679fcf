// The extract dialog and its progress window over two real file lists on a
// temporary drive, with the scripted prompt service: the dialog's texts and
// proposal, a run's labels and bars, the one error box, the kinds that are
// only listed, a missing archive, passwords, Cancel in the middle of a
// member, and targets that cannot be written.
#include "archive/crc.h"
#include "fileops/extract_window.h"
#include "fileops/file_ops_host.h"
#include "platform/dialogs.h"
#include "platform/process_messages.h"
#include "tests/fileops/test_host.h"
#include "tests/fileops/tree.h"
#include "tests/support/public_archives.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

using namespace ov;
using namespace ov::test;
using ::testing::HasSubstr;

namespace {

namespace fs = std::filesystem;

bool shell(const std::string& folder, const std::string& command)
{
    return std::system(("cd '" + folder + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

bool haveTool(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void put16(std::string& out, unsigned value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A ZIP of one stored member whose stored CRC is that of other bytes.
std::string zipWithBadCrc(const std::string& name, const std::string& data)
{
    const uint32_t crc = crc32(data.data(), data.size()) ^ 1u;
    std::string local, central;
    put32(local, 0x04034B50);
    put16(local, 10), put16(local, 0), put16(local, 0), put16(local, 0), put16(local, 0x21);
    put32(local, crc), put32(local, uint32_t(data.size())), put32(local, uint32_t(data.size()));
    put16(local, unsigned(name.size())), put16(local, 0);
    local += name + data;
    put32(central, 0x02014B50);
    put16(central, 20), put16(central, 10), put16(central, 0), put16(central, 0), put16(central, 0);
    put16(central, 0x21);
    put32(central, crc), put32(central, uint32_t(data.size())), put32(central, uint32_t(data.size()));
    put16(central, unsigned(name.size())), put16(central, 0), put16(central, 0);
    put16(central, 0), put16(central, 0), put32(central, 0x20), put32(central, 0);
    central += name;
    std::string zip = local + central;
    put32(zip, 0x06054B50);
    put16(zip, 0), put16(zip, 0), put16(zip, 1), put16(zip, 1);
    put32(zip, uint32_t(central.size())), put32(zip, uint32_t(local.size()));
    put16(zip, 0);
    return zip;
}

class ExtractWindowTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        if (!haveTool("zip"))
            GTEST_SKIP() << "zip is not installed";
        setPrompts(&scripted);
        root.write("made/1.txt", "one\n");
        root.write("made/2.txt", "two\n");
        root.write("made/sub/3.txt", "three\n");
        root.write("made/sub/4.txt", "four\n");
        // An old date, so that a restored date is told from the time of writing.
        fs::last_write_time(root / "made/sub/3.txt",
            fs::last_write_time(root / "made/sub/3.txt") - std::chrono::hours(24 * 400));
        root.folder("src");
        root.folder("dst");
        ASSERT_TRUE(shell(root / "made", "zip -q -r ../src/four.zip 1.txt 2.txt sub"));
        open(host.active, "src");
        open(host.other, "dst");
        dialog().setHost(&host);
    }
    void TearDown() override
    {
        TFormExtract::instance().setHost(nullptr);
        setPrompts(nullptr);
        setProcessMessagesHook(nullptr);
        FileOpsTest::TearDown();
    }
    static TFormExtract& dialog() { return TFormExtract::instance(); }
    void cursorOn(const std::string& name)
    {
        host.active.Refresh();
        host.activeCursor = indexOf(host.active, name);
        ASSERT_GT(host.activeCursor, 0) << name;
    }
    // The dialog's Extract on the entry `name`, run to its end.
    void extract(const std::string& name, const std::string& password = {})
    {
        cursorOn(name);
        dialog().FormActivate();
        dialog().findChild<QLineEdit*>("Edit2")->setText(QString::fromStdString(password));
        dialog().Button1Click();
    }
    // A progress window run without showing it.
    struct Run {
        std::unique_ptr<TFormExtFile> window;
        std::string label1, label2;
        int pb1 = 0, pb2 = 0;
    };
    Run runWindow(const std::string& archive, const std::string& password = {})
    {
        Run run;
        run.window = std::make_unique<TFormExtFile>(host, dialog().engine());
        run.window->setRun(archive, root / "dst", password);
        run.window->FormActivate();
        run.label1 = run.window->findChild<QLabel*>("Label1")->text().toStdString();
        run.label2 = run.window->findChild<QLabel*>("Label2")->text().toStdString();
        run.pb1 = run.window->findChild<QProgressBar*>("PB1")->value();
        run.pb2 = run.window->findChild<QProgressBar*>("PB2")->value();
        return run;
    }
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> texts;
        for (const Question& question : scripted.asked)
            if (question.icon != Icon::Password)
                texts.push_back(question.text);
        return texts;
    }

    TestHost host;
    ScriptedPrompts scripted;
};

} // namespace

TEST_F(ExtractWindowTest, DialogControlsTextsAndProposal)
{
    TFormExtract& window = dialog();
    window.FormActivate();
    EXPECT_EQ(window.windowTitle().toStdString(), "Extract files");
    struct Row {
        const char* name;
        const char* text;
    };
    for (const Row& row : { Row { "Label1", "Extract to" }, Row { "Label2", "Archive password" } })
        EXPECT_EQ(window.findChild<QLabel*>(row.name)->text().toStdString(), row.text) << row.name;
    for (const Row& row : { Row { "Button1", "&Extract" }, Row { "Button2", "&Cancel" } })
        EXPECT_EQ(window.findChild<QPushButton*>(row.name)->text().toStdString(), row.text) << row.name;
    EXPECT_NE(window.findChild<QGroupBox*>("GroupBox1"), nullptr);
    EXPECT_TRUE(window.findChild<QPushButton*>("Button1")->isDefault());
    auto* edit2 = window.findChild<QLineEdit*>("Edit2");
    EXPECT_EQ(edit2->echoMode(), QLineEdit::Password);
    EXPECT_THAT(edit2->styleSheet().toStdString(), HasSubstr("lineedit-password-character: 42"));
    // Edit1 follows the other panel on every activation.
    auto* edit1 = window.findChild<QComboBox*>("Edit1");
    EXPECT_EQ(edit1->currentText().toStdString(), "c:\\dst\\");
    open(host.other, "made\\sub");
    window.FormActivate();
    EXPECT_EQ(edit1->currentText().toStdString(), "c:\\made\\sub\\");
    // The one dialog keeps the password typed last time.
    edit2->setText("kept");
    EXPECT_EQ(&TFormExtract::instance(), &window);
    window.FormActivate();
    EXPECT_EQ(edit2->text().toStdString(), "kept");
    edit2->clear();
}

// Shift+F2 on a ZIP with the other panel on c:\dst\: every member under
// c:\dst\ with its folders, the panels refreshed, no box, the window gone.
TEST_F(ExtractWindowTest, ExtractsIntoTheOtherPanelsFolder)
{
    std::set<std::string> seen;
    setProcessMessagesHook([&] {
        if (TFormExtFile* window = dialog().progressWindow())
            seen.insert(window->findChild<QLabel*>("Label1")->text().toStdString());
    });
    const int updates = host.updates;
    extract("four.zip");
    EXPECT_EQ(describeTree(root / "dst"),
        (Tree { { "1.txt", "f one\n" }, { "2.txt", "f two\n" }, { "sub", "d" }, { "sub/3.txt", "f three\n" },
            { "sub/4.txt", "f four\n" } }));
    // Stored dates restored (DOS times, two-second steps).
    const auto made = fs::last_write_time(root / "made/sub/3.txt");
    const auto written = fs::last_write_time(root / "dst/sub/3.txt");
    EXPECT_LE(std::chrono::abs(std::chrono::duration_cast<std::chrono::seconds>(made - written)).count(), 2);
    EXPECT_TRUE(boxes().empty());
    EXPECT_GT(host.updates, updates);
    EXPECT_EQ(dialog().progressWindow(), nullptr);
    EXPECT_FALSE(dialog().isVisible());
    // The window was seen counting while the members were written.
    EXPECT_TRUE(seen.count("File 1 from 4 files")) << seen.size();
}

TEST_F(ExtractWindowTest, LabelsAndBarsOfARun)
{
    const Run run = runWindow(root / "src/four.zip");
    EXPECT_EQ(run.label1, "File 4 from 4 files");
    // The last member zip stored, in the drive's form.
    EXPECT_THAT(run.label2, ::testing::StartsWith("Extracting: c:\\dst\\sub\\"));
    EXPECT_EQ(run.pb2, 100);
    EXPECT_EQ(run.window->memberCount(), 4);
    EXPECT_EQ(run.window->filesBegun(), 4);
    EXPECT_TRUE(run.window->done());
    // The timer closes the window once the run is done.
    run.window->Timer1Timer();
    EXPECT_FALSE(run.window->done());
    EXPECT_FALSE(run.window->findChild<QTimer*>("Timer1")->isActive());
}

TEST_F(ExtractWindowTest, AnLhaArchiveByAnyNameIsExtracted)
{
    if (!haveTool("lha"))
        GTEST_SKIP() << "lha is not installed";
    ASSERT_TRUE(shell(root / "made", "lha -aq ../src/data.lha 1.txt sub"));
    const Run run = runWindow(root / "src/data.lha");
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(describeTree(root / "dst"),
        (Tree { { "1.txt", "f one\n" }, { "sub", "d" }, { "sub/3.txt", "f three\n" },
            { "sub/4.txt", "f four\n" } }));
    EXPECT_EQ(run.label1, "File 3 from 3 files");
}

// What ends a run before a member is written: one box each, and the
// window still closes.
TEST_F(ExtractWindowTest, RunsThatCannotExtractShowOneBoxAndClose)
{
    root.write("src/tar/x.txt", "x");
    ASSERT_TRUE(shell(root / "src/tar", "tar cf ../t.tar x.txt"));
    struct Row {
        const char* label;
        std::string archive;
        std::string code;
    };
    const std::vector<Row> rows = {
        { "a kind that is only listed", root / "src/t.tar", "Error#: 25242" },
        { "a missing archive", root / "src/missing.zip",
            "missing.zip\r\rError#: 25238\r\rError: Header ID error\r\r" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        scripted.asked.clear();
        const Run run = runWindow(row.archive);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_THAT(boxes()[0], HasSubstr(row.code));
        EXPECT_TRUE(run.window->done());
        EXPECT_EQ(run.label2, "Preparing to extract files...");
        EXPECT_EQ(run.pb2, 0);
    }
    EXPECT_TRUE(fs::is_empty(root / "dst"));
}

TEST_F(ExtractWindowTest, ACabinetIsListedButNotExtracted)
{
    OV_NEED_PUBLIC_ARCHIVES();
    const fs::path cab = publicArchives() / "libarchive/test_read_format_cab_1.cab";
    if (!fs::exists(cab))
        GTEST_SKIP() << cab << " is missing";
    const Run run = runWindow(cab.string());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_THAT(boxes()[0], HasSubstr("Error#: 25242\r\rError: Invalid or unsupported archive type"));
    EXPECT_GT(run.window->memberCount(), 0);
    EXPECT_TRUE(run.window->done());
    EXPECT_TRUE(fs::is_empty(root / "dst"));
}

TEST_F(ExtractWindowTest, ACrcErrorReachesTheBox)
{
    std::ofstream(root / "src/crc.zip", std::ios::binary) << zipWithBadCrc("bad.txt", "payload");
    extract("crc.zip");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], "bad.txt\r\rError#: 25151\r\rError: File fails CRC check\r\r");
    EXPECT_EQ(scripted.asked[0].caption, "Extracting...");
}

TEST_F(ExtractWindowTest, WrongThenRightPasswordThroughTheMaskedQuestion)
{
    ASSERT_TRUE(shell(root / "made", "zip -q -P right ../src/secret.zip 1.txt 2.txt"));
    scripted.texts = { "bad", "right" };
    extract("secret.zip", "wrong");
    EXPECT_EQ(readWhole(root / "dst/1.txt"), "one\n");
    EXPECT_EQ(readWhole(root / "dst/2.txt"), "two\n");
    int masked = 0;
    for (const Question& question : scripted.asked)
        if (question.icon == Icon::Password) {
            ++masked;
            EXPECT_EQ(question.caption, "Archive password");
            EXPECT_EQ(question.text, "c:\\dst\\1.txt");
        }
    EXPECT_EQ(masked, 2);
    // The bad answer is reported, in the general-message form.
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_THAT(boxes()[0], HasSubstr("General Message: 26517\r\rMessge: Invalid password\r\r"));

    // The password that worked is kept by the dialog: no question now.
    fs::remove_all(root / "dst");
    fs::create_directories(root / "dst");
    scripted.asked.clear();
    extract("secret.zip");
    EXPECT_TRUE(scripted.asked.empty());
    EXPECT_EQ(readWhole(root / "dst/2.txt"), "two\n");
}

// Cancel, Esc and the close box while the second member is written: the
// run stops after that block, without a box; the first member is kept,
// nothing of the second is left, the window closes when the run has ended.
TEST_F(ExtractWindowTest, CancelEscAndCloseMidMember)
{
    std::string noise(3 << 20, '\0');
    uint32_t state = 88172645u;
    for (char& byte : noise) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        byte = char(state);
    }
    root.write("made/big/1.txt", "first\n");
    root.write("made/big/2.bin", noise);
    root.write("made/big/3.txt", "third\n");
    ASSERT_TRUE(shell(root / "made/big", "zip -q ../../src/big.zip 1.txt 2.bin 3.txt"));
    struct Row {
        const char* label;
        std::function<void(TFormExtFile&)> stop;
    };
    const std::vector<Row> rows = {
        { "Cancel", [](TFormExtFile& window) { window.findChild<QPushButton*>("Button_Cancel")->click(); } },
        { "Esc",
            [](TFormExtFile& window) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&window, &escape);
            } },
        { "the close box", [](TFormExtFile& window) { window.close(); } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        fs::remove_all(root / "dst");
        fs::create_directories(root / "dst");
        scripted.asked.clear();
        bool stopped = false;
        bool visibleAfterStop = false;
        setProcessMessagesHook([&] {
            TFormExtFile* window = dialog().progressWindow();
            if (!window)
                return;
            if (!stopped && window->filesBegun() == 2
                && window->findChild<QProgressBar*>("PB1")->value() > 0) {
                stopped = true;
                row.stop(*window);
                visibleAfterStop = window->isVisible();
            }
        });
        extract("big.zip");
        EXPECT_TRUE(stopped);
        // The window stays up under the run until it has ended.
        EXPECT_TRUE(visibleAfterStop);
        EXPECT_TRUE(boxes().empty());
        EXPECT_EQ(describeTree(root / "dst"), (Tree { { "1.txt", "f first\n" } }));
    }
}

// Cancel while the members are counted: nothing is extracted, no box, the
// window closes.
TEST_F(ExtractWindowTest, CancelWhileCounting)
{
    bool stopped = false;
    setProcessMessagesHook([&] {
        TFormExtFile* window = dialog().progressWindow();
        if (window && !stopped && window->memberCount() > 0) {
            stopped = true;
            window->Button_CancelClick();
        }
    });
    extract("four.zip");
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(fs::is_empty(root / "dst"));
    EXPECT_EQ(dialog().progressWindow(), nullptr);
}

TEST_F(ExtractWindowTest, TargetsThatCannotBeWrittenGetABox)
{
    struct Row {
        const char* label;
        std::string target;
        std::string text;
    };
    const std::vector<Row> rows = {
        { "inside an archive", "c:\\src\\four.zip\\sub\\", "The target folder lies inside a file" },
        { "on no drive", "q:\\nowhere\\", "The target folder is on no drive:" },
        { "no drive at all", "relative\\folder", "The target folder is on no drive:" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        scripted.asked.clear();
        cursorOn("four.zip");
        dialog().FormActivate();
        dialog().findChild<QComboBox*>("Edit1")->setEditText(QString::fromStdString(row.target));
        dialog().Button1Click();
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_THAT(boxes()[0], HasSubstr(row.text));
        EXPECT_THAT(boxes()[0], HasSubstr(row.target));
    }
    EXPECT_TRUE(fs::is_empty(root / "dst"));
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
