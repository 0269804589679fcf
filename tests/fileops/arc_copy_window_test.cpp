// F5 out of an archive: the copy window over a list inside an archive that
// zip or arj make at test time, the other panel on a folder of a temporary
// drive, with the scripted prompt service. What lands where (folders with
// everything below them, names relative to the panel's folder), what is
// refused, the one box at the end, Cancel in the middle of a member; F7 and
// F8 inside an archive; and ovtool arc cp on the same faults.
#include "fileops/copy_window.h"
#include "fileops/delete_window.h"
#include "fileops/extract_window.h"
#include "fileops/new_dir_window.h"
#include "fileops/ren_move_window.h"
#include "panel/arc_disk.h"
#include "platform/dialogs.h"
#include "platform/private_cache.h"
#include "platform/process_messages.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

namespace fs = std::filesystem;

class Host : public TFileOpsHost {
public:
    TBrowser active;
    TBrowser other;
    int activeCursor = 1;
    int otherCursor = 1;
    TMainSettings settings;
    IniFile language { std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini" };
    int updates = 0;

    TBrowser& List(PanelSide side) override { return side == PanelSide::Active ? active : other; }
    int CurrentIndex(PanelSide side) override
    {
        return side == PanelSide::Active ? activeCursor : otherCursor;
    }
    void SetCursorIndex(PanelSide side, int index) override
    {
        (side == PanelSide::Active ? activeCursor : otherCursor) = index;
    }
    TMainSettings& Settings() override { return settings; }
    const IniFile& Language() override { return language; }
    void Update_AllPanels() override
    {
        ++updates;
        active.Refresh();
        other.Refresh();
    }
    QWidget* Owner() override { return nullptr; }
};

bool haveTool(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

bool shell(const std::string& folder, const std::string& command)
{
    return std::system(("cd '" + folder + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// Bytes that do not compress, the same on every run.
std::string noise(std::size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        byte = char(state);
    }
    return bytes;
}

class ArcCopyTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        if (!haveTool("zip"))
            GTEST_SKIP() << "zip is missing (scripts/deps installs it)";
        setPrompts(&scripted);
        installArchiveDisk(nullptr);
        root.write("src/top.txt", "top\n");
        root.write("src/a/b/c.txt", "c in b\n");
        root.write("src/a/b/d/e.txt", "e in d\n");
        root.write("src/a/f.txt", "f in a\n");
        root.folder("dst");
        open(host.other, "dst");
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        setProcessMessagesHook(nullptr);
        TBrowser::setArchiveDiskFactory(nullptr);
        TBrowser::setMemberTaker(nullptr);
        FileOpsTest::TearDown();
    }
    // The active panel inside c:\<archive>, in one of its folders.
    void enter(const std::string& archive, const std::string& folder = "")
    {
        open(host.active, "");
        host.active.PushDisk("c:\\" + archive, DiskKind::Archive, folder);
        ASSERT_EQ(host.active.DiskKind, DiskKind::Archive);
        host.activeCursor = 1;
    }
    void cursorOn(const std::string& name) { host.activeCursor = indexOf(host.active, name); }
    void copy()
    {
        TFormCopy window(host);
        window.FormShow();
        window.Button_OKClick();
        EXPECT_FALSE(window.Running());
    }
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> texts;
        for (const Question& question : scripted.asked)
            texts.push_back(question.text);
        return texts;
    }

    Host host;
    ScriptedPrompts scripted;
};

// The chosen entries land in the other panel's folder under their own names,
// relative to the panel's folder; a folder brings everything below it. The
// same for an archive of each maker.
TEST_F(ArcCopyTest, FoldersAreCopiedWithEverythingBelow)
{
    const Tree wholeA { { "a", "d" }, { "a/b", "d" }, { "a/b/c.txt", "f c in b\n" }, { "a/b/d", "d" },
        { "a/b/d/e.txt", "f e in d\n" }, { "a/f.txt", "f f in a\n" } };
    Tree aAndTop = wholeA;
    aAndTop["top.txt"] = "f top\n";
    struct Row {
        const char* label;
        const char* maker; // the command run in src/ with the archive's path
        std::string folder;
        std::vector<std::string> selected; // none: the cursor's entry
        std::string cursor;
        Tree expected;
    };
    const std::vector<Row> rows = {
        { "a folder and a file at the top", "zip -q -r", "", { "a", "top.txt" }, "", aAndTop },
        { "a folder inside a folder", "zip -q -r", "a\\", { "b" }, "",
            { { "b", "d" }, { "b/c.txt", "f c in b\n" }, { "b/d", "d" }, { "b/d/e.txt", "f e in d\n" } } },
        { "the cursor's file two folders down", "zip -q -r -D", "a\\b\\", {}, "c.txt",
            { { "c.txt", "f c in b\n" } } },
        { "the cursor on ..", "zip -q -r", "a\\", {}, "..", {} },
        { "a folder of an arj archive", "umask 002; arj a -r -y", "", { "a" }, "", wholeA },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string tool = std::string(row.maker).find("arj") != std::string::npos ? "arj" : "zip";
        if (!haveTool(tool)) {
            ADD_FAILURE() << tool << " is missing (scripts/deps installs it)";
            continue;
        }
        const std::string archive = "pack." + tool;
        fs::remove(root / archive);
        // arj takes names as masks in every folder: it is given everything.
        const std::string names = tool == "arj" ? " '*'" : " top.txt a";
        ASSERT_TRUE(shell(root / "src", std::string(row.maker) + " '" + root / archive + "'" + names));
        fs::remove_all(root / "dst");
        root.folder("dst");
        open(host.other, "dst");
        enter(archive, row.folder);
        if (row.selected.empty())
            cursorOn(row.cursor);
        else
            select(host.active, row.selected);
        scripted.asked.clear();
        copy();
        EXPECT_EQ(describeTree(root / "dst"), row.expected);
        EXPECT_EQ(boxes(), std::vector<std::string> {});
        EXPECT_EQ(host.active.SelCount, 0);
        EXPECT_FALSE(host.active.Busy);
        // The other panel was re-read: it shows what arrived.
        if (!row.expected.empty()) {
            EXPECT_GT(indexOf(host.other, fs::path(row.expected.begin()->first).filename().string()), 0);
        }
    }
}

// What the run refuses or cannot do leaves the old files as they were and
// shows every error in one box at the end, in the archive box's form.
TEST_F(ArcCopyTest, RefusedAndFailingMembersKeepWhatWasThere)
{
    // A link placed at the target: the member replaces the link, never what
    // it points to; members below a linked folder are refused.
    const std::string victim = root.write("outside/victim.txt", "keep me");
    const std::string outsideFolder = root.folder("outside/folder");
    fs::create_symlink(victim, root / "dst/top.txt");
    fs::create_symlink(outsideFolder, root / "dst/a");
    ASSERT_TRUE(shell(root / "src", "zip -q -r '" + root / "pack.zip" + "' top.txt a"));
    enter("pack.zip");
    select(host.active, { "a", "top.txt" });
    copy();
    EXPECT_EQ(readWhole(victim), "keep me");
    EXPECT_TRUE(fs::is_empty(outsideFolder));
    EXPECT_EQ(readWhole(root / "dst/top.txt"), "top\n");
    EXPECT_FALSE(fs::is_symlink(root / "dst/top.txt"));
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(
        scripted.asked[0].text.rfind("c.txt\r\rError#: 25136\r\rError: Error writing to file\r\r", 0), 0u)
        << scripted.asked[0].text;

    // A member whose target is the archive itself: the archive is untouched.
    root.write("self/self.zip", "fake");
    root.write("self/other.txt", "fine");
    root.folder("dst2");
    ASSERT_TRUE(shell(root / "self", "zip -q -0 '" + root / "dst2/self.zip" + "' self.zip other.txt"));
    const std::string before = readWhole(root / "dst2/self.zip");
    open(host.other, "dst2");
    enter("dst2\\self.zip");
    select(host.active, { "self.zip", "other.txt" });
    scripted.asked.clear();
    copy();
    EXPECT_EQ(readWhole(root / "dst2/self.zip"), before);
    EXPECT_EQ(readWhole(root / "dst2/other.txt"), "fine");
    EXPECT_EQ(boxes(),
        std::vector<std::string> { "self.zip\r\rError#: 25136\r\rError: Error writing to file\r\r" });

    // A member that fails its CRC check: the old file stays, the next member
    // arrives.
    root.write("crc/old.txt", "new text");
    root.write("crc/next.txt", "next");
    ASSERT_TRUE(shell(root / "crc", "zip -q -0 '" + root / "crc.zip" + "' old.txt next.txt"));
    std::string bytes = readWhole(root / "crc.zip");
    const auto at = bytes.find("new text");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'N';
    std::ofstream(root / "crc.zip", std::ios::binary) << bytes;
    root.write("dst3/old.txt", "old text");
    open(host.other, "dst3");
    enter("crc.zip");
    select(host.active, { "old.txt", "next.txt" });
    scripted.asked.clear();
    copy();
    EXPECT_EQ(describeTree(root / "dst3"), (Tree { { "old.txt", "f old text" }, { "next.txt", "f next" } }));
    EXPECT_EQ(
        boxes(), std::vector<std::string> { "old.txt\r\rError#: 25151\r\rError: File fails CRC check\r\r" });
}

// Cancel in the middle of a member ends the run after the current block:
// the member's temporary file is gone, the finished member stays, no box.
// The source line names the member as the panel does.
TEST_F(ArcCopyTest, CancelMidMember)
{
    root.write("big/1-small.txt", "small\n");
    root.write("big/2-big.bin", noise(4 << 20));
    root.write("big/3-after.txt", "after\n");
    ASSERT_TRUE(shell(root / "big", "zip -q '" + root / "big.zip" + "' 1-small.txt 2-big.bin 3-after.txt"));
    enter("big.zip");
    select(host.active, { "1-small.txt", "2-big.bin", "3-after.txt" });
    TFormCopy window(host);
    window.FormShow();
    std::string sourceAtCancel;
    bool busyMeanwhile = false;
    setProcessMessagesHook([&] {
        busyMeanwhile = busyMeanwhile || host.active.Busy;
        const std::string source = window.findChild<QLabel*>("Label_Source")->text().toStdString();
        if (source.find("2-big") != std::string::npos && sourceAtCancel.empty()) {
            sourceAtCancel = source;
            EXPECT_FALSE(window.close()); // the close box stops the run instead
            return;
        }
        // Keeps every later pump due.
        std::this_thread::sleep_for(std::chrono::milliseconds(35));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    window.Button_OKClick();
    EXPECT_EQ(sourceAtCancel, "c:\\big.zip\\2-big.bin");
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_FALSE(host.active.Busy);
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "1-small.txt", "f small\n" } }));
    EXPECT_EQ(boxes(), std::vector<std::string> {});
}

// A missing archive gives a box; copying into an archive, and moving out of
// one, keep their refusals.
TEST_F(ArcCopyTest, MissingArchiveAndRefusals)
{
    ASSERT_TRUE(shell(root / "src", "zip -q -r '" + root / "pack.zip" + "' top.txt a"));
    enter("pack.zip");
    cursorOn("top.txt");
    fs::remove(root / "pack.zip");
    copy();
    EXPECT_EQ(boxes(), std::vector<std::string> { "pack.zip\r\rError#: 25172\r\rError: File not found\r\r" });
    EXPECT_TRUE(fs::is_empty(root / "dst"));

    // Into an archive: the active panel on a folder, the other in an archive.
    ASSERT_TRUE(shell(root / "src", "zip -q -r '" + root / "pack.zip" + "' top.txt a"));
    open(host.active, "src");
    host.other.PushDisk("c:\\pack.zip", DiskKind::Archive, "");
    cursorOn("top.txt");
    scripted.asked.clear();
    copy();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text.rfind("Cannot copy files", 0), 0u) << scripted.asked[0].text;

    // Moving out of an archive.
    open(host.other, "dst");
    enter("pack.zip");
    cursorOn("top.txt");
    scripted.asked.clear();
    TFormRenMove move(host);
    move.FormShow();
    move.Button_OkClick();
    EXPECT_EQ(scripted.asked.size(), 1u);
    EXPECT_TRUE(fs::is_empty(root / "dst"));
    EXPECT_TRUE(fs::exists(root / "pack.zip"));
}

// F7 and F8 inside an archive change nothing and say so, in one box; the
// archive's bytes stay as they were.
TEST_F(ArcCopyTest, MakeFolderAndDeleteInsideAnArchiveSayNothingChanged)
{
    ASSERT_TRUE(shell(root / "src", "zip -q -r '" + root / "pack.zip" + "' top.txt a"));
    const std::string before = readWhole(root / "pack.zip");
    struct Row {
        const char* label;
        std::function<void()> press;
        std::string box;
    };
    auto makeFolder = [&](const std::string& name) {
        TFormNewDir window(host);
        window.FormShow();
        window.findChild<QComboBox*>()->setEditText(QString::fromStdString(name));
        window.Button_OKClick();
    };
    auto remove = [&](bool toTrash) {
        host.settings.DelToRecycle = toTrash;
        TFormDelete window(host);
        window.FormShow();
        window.Button_OKClick();
    };
    const std::vector<Row> rows = {
        { "F7 with a name", [&] { makeFolder("new"); }, "Cannot make the folder" },
        { "F7 with a path below the folder", [&] { makeFolder("x\\y"); }, "Cannot make the Directory" },
        { "F8", [&] { remove(false); },
            "These could not be deleted:\nc:\\pack.zip\\top.txt: archives are not changed through this "
            "command" },
        { "F8 to the Trash", [&] { remove(true); }, "These could not be deleted:" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        enter("pack.zip");
        cursorOn("top.txt");
        scripted.asked.clear();
        row.press();
        EXPECT_EQ(boxes(), std::vector<std::string> { row.box });
        EXPECT_EQ(readWhole(root / "pack.zip"), before);
        EXPECT_EQ(describeTree(root / "src").size(), 7u);
        EXPECT_GT(indexOf(host.active, "top.txt"), 0);
    }
}

// The host of a window made elsewhere: the test's own.
class HostView : public TFileOpsHost {
public:
    explicit HostView(TFileOpsHost& host)
        : m_host(host)
    {
    }
    TBrowser& List(PanelSide side) override { return m_host.List(side); }
    int CurrentIndex(PanelSide side) override { return m_host.CurrentIndex(side); }
    void SetCursorIndex(PanelSide side, int index) override { m_host.SetCursorIndex(side, index); }
    TMainSettings& Settings() override { return m_host.Settings(); }
    const IniFile& Language() override { return m_host.Language(); }
    void Update_AllPanels() override { m_host.Update_AllPanels(); }
    QWidget* Owner() override { return nullptr; }

private:
    TFileOpsHost& m_host;
};

// A member that F3, F4 or Enter takes out shows the extract progress window
// once it has taken longer than the delay, naming the member as the panel
// does; its Cancel stops the take-out and leaves nothing in the cache.
TEST_F(ArcCopyTest, SlowMembersShowTheProgressWindow)
{
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    root.write("big/2-big.bin", noise(4 << 20));
    ASSERT_TRUE(shell(root / "big", "zip -q '" + root / "big.zip" + "' 2-big.bin"));
    installSlowMemberWindow([this] { return std::make_unique<HostView>(host); });
    enter("big.zip");
    const int member = indexOf(host.active, "2-big.bin");
    ASSERT_GT(member, 0);
    struct Row {
        const char* label;
        int delayMs;
        bool cancel;
        bool shown;
        bool taken;
    };
    for (const Row& row : { Row { "slow", 0, false, true, true },
             Row { "slow, cancelled", 0, true, true, false }, Row { "quick", 60000, false, false, true } }) {
        SCOPED_TRACE(row.label);
        TFormExtFile::SlowMemberDelayMs = row.delayMs;
        bool shown = false;
        std::string label2;
        setProcessMessagesHook([&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() != "FormExtFile" || !widget->isVisible())
                    continue;
                shown = true;
                label2 = widget->findChild<QLabel*>("Label2")->text().toStdString();
                if (row.cancel)
                    widget->findChild<QPushButton*>("Button_Cancel")->click();
            }
        });
        const std::string copy = takeOutMember(host.active, member);
        setProcessMessagesHook(nullptr);
        EXPECT_EQ(shown, row.shown);
        if (row.shown) {
            EXPECT_EQ(label2, "Extracting: c:\\big.zip\\2-big.bin");
        }
        EXPECT_EQ(!copy.empty(), row.taken) << copy;
        if (row.taken) {
            EXPECT_EQ(readWhole(*DriveTable::instance().toHost(copy)), noise(4 << 20));
        }
        // No window is left over.
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->objectName() == "FormExtFile" && widget->isVisible());
    }
    // The cancelled member left nothing: only the two copies taken.
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(root / "cache"))
        files += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u);
    TFormExtFile::SlowMemberDelayMs = 500;
    installSlowMemberWindow(nullptr);
    removePrivateCacheFolder();
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(boxes(), std::vector<std::string> {});
}

// ovtool arc cp on the same faults: a member equal to the archive and a
// failing member are errors with their numbers and exit status 1; the old
// file and the archive stay.
TEST_F(ArcCopyTest, ArcCpToolRefusesAndReports)
{
    const std::string tool = OV_BINARY_DIR "/cli/ovtool";
    if (!fs::exists(tool))
        GTEST_SKIP() << "ovtool is not built";
    auto run = [&](const std::string& arguments, std::string& err) {
        const int status
            = std::system((tool + " arc cp " + arguments + " >/dev/null 2>'" + root / "err" + "'").c_str());
        err = readWhole(root / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    root.write("self/self.zip", "fake");
    root.write("self/other.txt", "fine");
    ASSERT_TRUE(shell(root / "self", "zip -q -0 '" + root / "dst/self.zip" + "' self.zip other.txt"));
    const std::string before = readWhole(root / "dst/self.zip");
    std::string err;
    EXPECT_EQ(run("'" + root / "dst/self.zip" + "' '" + root / "dst" + "'", err), 1);
    EXPECT_EQ(err, "ovtool arc: error 25136: Error writing to file (self.zip)\n");
    EXPECT_EQ(readWhole(root / "dst/self.zip"), before);
    EXPECT_EQ(readWhole(root / "dst/other.txt"), "fine");

    root.write("crc/old.txt", "new text");
    ASSERT_TRUE(shell(root / "crc", "zip -q -0 '" + root / "crc.zip" + "' old.txt"));
    std::string bytes = readWhole(root / "crc.zip");
    bytes[bytes.find("new text")] = 'N';
    std::ofstream(root / "crc.zip", std::ios::binary) << bytes;
    root.write("out/old.txt", "old text");
    EXPECT_EQ(run("'" + root / "crc.zip" + "' '" + root / "out" + "' old.txt", err), 1);
    EXPECT_EQ(err, "ovtool arc: error 25151: File fails CRC check (old.txt)\n");
    EXPECT_EQ(readWhole(root / "out/old.txt"), "old text");

    // A good copy exits 0 and says nothing.
    EXPECT_EQ(run("'" + root / "dst/self.zip" + "' '" + root / "out" + "' other.txt", err), 0);
    EXPECT_EQ(err, "");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
