// The create-folder, create-file, attributes, group-selection, sort-modes,
// folder-history and file-colour windows over two real file lists on a
// temporary drive, with the scripted prompt service: where the cursor goes,
// the error boxes' texts, what the boxes show and write.
#include "fileops/attrib_window.h"
#include "fileops/file_color_window.h"
#include "fileops/file_ops_host.h"
#include "fileops/folder_hist_window.h"
#include "fileops/folder_history.h"
#include "fileops/new_dir_window.h"
#include "fileops/new_file_window.h"
#include "fileops/plus_window.h"
#include "fileops/sort_window.h"
#include "panel/arc_disk.h"
#include "panel/panel_text.h"
#include "platform/dialogs.h"
#include "shell/language_file.h"
#include "tests/fileops/test_host.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace ov;
using namespace ov::test;

namespace {

// An archive holding one read-only, archived member.
class OneMemberArchive : public TDiskInterface {
public:
    bool FindFirst(const std::string&, Entry& entry) override
    {
        entry = Entry();
        entry.FullName = "member.txt";
        splitName(entry.FullName, entry);
        entry.Attr = faReadOnly | faArchive;
        entry.Written.wYear = 1999;
        entry.Written.wMonth = 12;
        entry.Written.wDay = 31;
        entry.Written.wHour = 23;
        entry.Written.wMinute = 58;
        return true;
    }
    bool FindNext(Entry&) override { return false; }
    bool GetFile(const std::string&, const std::string&) override { return false; }
    bool PutFile(const std::string&, const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    bool MakeDir(const std::string&) override { return false; }
    bool RemoveDir(const std::string&) override { return false; }
};

timespec changedAt(const std::string& path)
{
    struct stat info { };
    ::lstat(path.c_str(), &info);
    return info.st_ctim;
}

class CreateWindowsTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        host.fontSize = 10;
        setPrompts(&scripted);
        root.write("work/a.txt", "A");
        root.write("work/b.txt", "B");
        root.folder("work/sub");
        root.folder("dst");
        open(host.active, "work");
        open(host.other, "dst");
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        TBrowser::setArchiveDiskFactory(nullptr);
        FileOpsTest::TearDown();
    }
    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const Question& question : scripted.asked) {
            EXPECT_EQ(question.icon, Icon::Error);
            texts.push_back(question.text);
        }
        return texts;
    }
    using Texts = std::vector<std::string>;

    TestHost host;
    ScriptedPrompts scripted;
};

} // namespace

// F7: the window's controls and texts; NEW gets the cursor; a path is made
// but the cursor stays; the two failure texts.
TEST_F(CreateWindowsTest, NewDirWindow)
{
    {
        TFormNewDir window(host);
        window.FormShow();
        EXPECT_EQ(window.windowTitle().toStdString(), "Create folder");
        for (const char* name : { "GroupBox1", "ComboBox1", "Button_OK", "Button_Cancel" })
            EXPECT_NE(window.findChild<QWidget*>(name), nullptr) << name;
        EXPECT_TRUE(window.NameBox()->isEditable());
        EXPECT_TRUE(window.NameBox()->currentText().isEmpty());
        window.NameBox()->setEditText("NEW");
        window.Button_OKClick();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(std::filesystem::is_directory(root / "work/NEW"));
    EXPECT_EQ(host.active.NameAt(host.activeCursor), "NEW");
    EXPECT_EQ(host.active.CurIndex, host.activeCursor);
    EXPECT_GE(host.updates, 1);
    EXPECT_TRUE(scripted.asked.empty());

    struct Row {
        const char* name;
        const char* text;
        Texts boxes;
        const char* made;
    };
    const Row rows[] = {
        { "a path relative to the panel's folder", "sub\\inner", {}, "work/sub/inner" },
        { "an existing name", "NEW", { "Cannot make the folder" }, "" },
        { "a path under a missing folder", "missing\\inner", { "Cannot make the Directory" }, "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        scripted.asked.clear();
        host.activeCursor = 2;
        const int updates = host.updates;
        TFormNewDir window(host);
        window.FormShow();
        window.NameBox()->setEditText(row.text);
        window.Button_OKClick();
        EXPECT_EQ(boxTexts(), row.boxes);
        EXPECT_EQ(host.activeCursor, 2);
        EXPECT_EQ(host.updates, updates + 1);
        if (*row.made) {
            EXPECT_TRUE(std::filesystem::is_directory(root / row.made));
        }
    }
}

// Shift+F4: an existing file stays as it was and gets the box; a new one is
// made empty; the cursor moves up one row but not above the first.
TEST_F(CreateWindowsTest, NewFileWindow)
{
    struct Row {
        const char* name;
        const char* text;
        int cursor;
        Texts boxes;
        int cursorAfter;
        bool closes;
    };
    const Row rows[] = {
        { "a new file", "new.txt", 3, {}, 2, true },
        { "at the first row", "first.txt", 1, {}, 1, true },
        { "an existing file", "a.txt", 3, { "Cannot create this file!" }, 2, true },
        { "an empty name does nothing", "", 3, {}, 3, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        scripted.asked.clear();
        host.activeCursor = row.cursor;
        const int updates = host.updates;
        TFormNewFile window(host);
        window.FormShow();
        EXPECT_EQ(window.windowTitle().toStdString(), "Create file");
        EXPECT_NE(window.findChild<QComboBox*>("ComboBox1"), nullptr);
        window.NameBox()->setEditText(row.text);
        window.Button_OKClick();
        EXPECT_EQ(boxTexts(), row.boxes);
        EXPECT_EQ(host.activeCursor, row.cursorAfter);
        EXPECT_EQ(host.updates, updates + (row.closes ? 1 : 0));
        EXPECT_EQ(window.result(), row.closes ? QDialog::Accepted : QDialog::Rejected);
    }
    EXPECT_EQ(readWhole(root / "work/a.txt"), "A");
    EXPECT_EQ(readWhole(root / "work/new.txt"), "");
    EXPECT_TRUE(std::filesystem::exists(root / "work/first.txt"));
}

// Ctrl+A as one table: what the window shows, which boxes it lets the user
// change, and what OK writes.
TEST_F(CreateWindowsTest, AttribWindowTable)
{
    root.write("work/ro.txt", "R");
    ::chmod((root / "work/ro.txt").c_str(), 0444);
    ::lsetxattr((root / "work/ro.txt").c_str(), "user.DOSATTRIB", "0x20", 4, 0);
    root.write("work/.hidden", "H");
    const timespec written { 1049522879, 0 }; // 2003-04-05 06:07:59 UTC
    for (const char* name : { "a.txt", "ro.txt", ".hidden", "sub" })
        ASSERT_TRUE(setWrittenTime(root / "work/" + name, written));
    host.Update_AllPanels();

    struct Row {
        const char* name;
        const char* entry;
        std::function<void(TFormAttrib&)> change;
        bool hiddenEnabled;
        bool readOnlyEnabled;
        uint16_t shown; // the four bits the boxes show
        uint16_t after; // the four bits afterwards
        bool written; // the file's change time moved
    };
    const Row rows[] = {
        { "unchecking read-only clears that bit only", "ro.txt",
            [](TFormAttrib& w) { w.ReadOnlyBox()->setChecked(false); }, true, true, 0x21, 0x20, true },
        { "read-only set, archive kept", "ro.txt", [](TFormAttrib& w) { w.ReadOnlyBox()->setChecked(true); },
            true, true, 0x20, 0x21, true },
        { "system and hidden", "a.txt",
            [](TFormAttrib& w) {
                w.SystemBox()->setChecked(true);
                w.HiddenBox()->setChecked(true);
            },
            true, true, 0x00, 0x06, true },
        { "archive", "a.txt", [](TFormAttrib& w) { w.ArchiveBox()->setChecked(true); }, true, true, 0x06,
            0x26, true },
        { "no change writes nothing", "a.txt", [](TFormAttrib&) {}, true, true, 0x26, 0x26, false },
        { "a dot-name is hidden, its box disabled", ".hidden",
            [](TFormAttrib& w) { w.SystemBox()->setChecked(true); }, false, true, 0x02, 0x06, true },
        { "a folder's read-only box is disabled", "sub",
            [](TFormAttrib& w) { w.ArchiveBox()->setChecked(true); }, true, false, 0x00, 0x20, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.activeCursor = indexOf(host.active, row.entry);
        ASSERT_GT(host.activeCursor, 0);
        const std::string path = root / "work/" + row.entry;
        const timespec before = changedAt(path);
        TFormAttrib window(host);
        ASSERT_TRUE(window.FormShow());
        EXPECT_EQ(window.windowTitle().toStdString(), "Attributes");
        EXPECT_EQ(window.PathLabel()->text().toStdString(), "c:\\work\\" + std::string(row.entry));
        EXPECT_EQ(window.FolderLabel()->text().toStdString(), "c:\\work\\");
        EXPECT_EQ(window.DateLabel()->text().toStdString(), "05.04.2003, 06:07");
        const uint16_t shown = (window.ReadOnlyBox()->isChecked() ? 0x01 : 0)
            | (window.HiddenBox()->isChecked() ? 0x02 : 0) | (window.SystemBox()->isChecked() ? 0x04 : 0)
            | (window.ArchiveBox()->isChecked() ? 0x20 : 0);
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(window.HiddenBox()->isEnabled(), row.hiddenEnabled);
        EXPECT_EQ(window.ReadOnlyBox()->isEnabled(), row.readOnlyEnabled);
        row.change(window);
        window.Button_OKClick();
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_TRUE(scripted.asked.empty());
        HostEntry entry;
        ASSERT_TRUE(statPath(path, entry));
        EXPECT_EQ(entry.attr & 0x27, row.after);
        const timespec after = changedAt(path);
        EXPECT_EQ(after.tv_sec != before.tv_sec || after.tv_nsec != before.tv_nsec, row.written);
    }
    EXPECT_EQ(readWhole(root / "work/.hidden"), "H");

    // Nothing on "..".
    host.activeCursor = 1;
    TFormAttrib parent(host);
    EXPECT_FALSE(parent.FormShow());
}

// A failed change says so and keeps the window open; Cancel writes nothing.
TEST_F(CreateWindowsTest, AttribWindowFailureAndCancel)
{
    host.activeCursor = indexOf(host.active, "b.txt");
    {
        TFormAttrib window(host);
        ASSERT_TRUE(window.FormShow());
        std::filesystem::remove(root / "work/b.txt");
        window.HiddenBox()->setChecked(true);
        window.Button_OKClick();
        ASSERT_EQ(scripted.asked.size(), 1u);
        EXPECT_EQ(scripted.asked[0].text, "Cannot change the attributes");
        EXPECT_EQ(scripted.asked[0].icon, Icon::Error);
        EXPECT_NE(window.result(), QDialog::Accepted);
    }
    host.Update_AllPanels();
    host.activeCursor = indexOf(host.active, "a.txt");
    const timespec before = changedAt(root / "work/a.txt");
    TFormAttrib window(host);
    ASSERT_TRUE(window.FormShow());
    window.ReadOnlyBox()->setChecked(true);
    window.findChild<QPushButton*>("Button_Cancel")->click();
    EXPECT_EQ(changedAt(root / "work/a.txt").tv_nsec, before.tv_nsec);

    // Every language file has the failure text.
    for (const char* language : { "eng", "ita", "pol", "rus" }) {
        const IniFile file(std::string(OV_DATA_DIR) + "/../../data/ov_" + language + ".ini");
        EXPECT_NE(windowText(file, "Attrib", "Error_SetAttr"), MissingText) << language;
    }
}

// In an archive panel the member's bits are shown, every box disabled, and
// nothing is written.
TEST_F(CreateWindowsTest, AttribWindowInArchive)
{
    root.write("work/pack.zip", "PK");
    TBrowser::setArchiveDiskFactory([](const std::string&) { return std::make_unique<OneMemberArchive>(); });
    host.active.PushDisk(root / "work/pack.zip", DiskKind::Archive, "");
    ASSERT_EQ(host.active.DiskKind, DiskKind::Archive);
    host.activeCursor = indexOf(host.active, "member.txt");
    ASSERT_GT(host.activeCursor, 0);
    const Tree before = describeTree(root.path(), true);
    TFormAttrib window(host);
    ASSERT_TRUE(window.FormShow());
    EXPECT_TRUE(window.ReadOnlyBox()->isChecked());
    EXPECT_TRUE(window.ArchiveBox()->isChecked());
    EXPECT_EQ(window.DateLabel()->text().toStdString(), "31.12.1999, 23:58");
    for (QCheckBox* box :
        { window.ReadOnlyBox(), window.ArchiveBox(), window.SystemBox(), window.HiddenBox() })
        EXPECT_FALSE(box->isEnabled());
    window.Button_OKClick();
    EXPECT_TRUE(scripted.asked.empty());
    EXPECT_EQ(describeTree(root.path(), true), before);
}

// The same over a ZIP made by the zip tool: a member stored without its
// write bit shows read-only, one with it does not; the path and folder read
// inside the archive; every box is disabled; OK writes nothing, neither the
// archive nor the drive.
TEST_F(CreateWindowsTest, AttribWindowInZipMade)
{
    if (std::system("command -v zip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "zip is needed";
    root.write("src/docs/ro.txt", "R");
    root.write("src/docs/rw.txt", "W");
    ::chmod((root / "src/docs/ro.txt").c_str(), 0444);
    ASSERT_EQ(std::system(("cd '" + root / "src" + "' && zip -q -r ../work/pack.zip docs").c_str()), 0);
    installArchiveDisk(nullptr);
    host.active.PushDisk("c:\\work\\pack.zip", DiskKind::Archive, "docs\\");
    ASSERT_EQ(host.active.DiskKind, DiskKind::Archive);
    const Tree before = describeTree(root.path(), true);
    for (const auto& [name, readOnly] : { std::pair { "ro.txt", true }, std::pair { "rw.txt", false } }) {
        SCOPED_TRACE(name);
        host.activeCursor = indexOf(host.active, name);
        ASSERT_GT(host.activeCursor, 0);
        TFormAttrib window(host);
        ASSERT_TRUE(window.FormShow());
        EXPECT_EQ(window.PathLabel()->text().toStdString(), std::string("c:\\work\\pack.zip\\docs\\") + name);
        EXPECT_EQ(window.FolderLabel()->text().toStdString(), "c:\\work\\pack.zip\\docs\\");
        EXPECT_EQ(window.ReadOnlyBox()->isChecked(), readOnly);
        for (QCheckBox* box :
            { window.ReadOnlyBox(), window.ArchiveBox(), window.SystemBox(), window.HiddenBox() })
            EXPECT_FALSE(box->isEnabled());
        window.ReadOnlyBox()->setChecked(!readOnly);
        window.Button_OKClick();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(scripted.asked.empty());
    EXPECT_EQ(describeTree(root.path(), true), before);
    TBrowser::setMemberTaker(nullptr);
}

// Gray + and gray -: files by mask, folders with Ctrl; the selection is
// redrawn, not re-read; the mask joins the history; mode and folders go
// back to select and files only when the window closes.
TEST_F(CreateWindowsTest, GroupSelectionWindow)
{
    root.folder("work/x.txt");
    host.Update_AllPanels();
    TFormPlus& window = TFormPlus::instance(nullptr);
    EXPECT_EQ(window.windowTitle().toStdString(), "Expand selection");
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text().toStdString(), "Specify file type");
    EXPECT_EQ(window.MaskBox()->currentText().toStdString(), "*.*");
    const auto selected = [&] {
        std::vector<std::string> names;
        for (int i = 1; i <= host.active.Count; ++i)
            if (host.active.IsSelected(i))
                names.push_back(host.active.NameAt(i));
        return names;
    };
    const auto run = [&](const char* mask, int mode, int folders) {
        QTimer::singleShot(0, &window, [&window, mask] {
            window.MaskBox()->setEditText(mask);
            window.findChild<QPushButton*>("Button_OK")->click();
        });
        TFormPlus::Execute(host, mode, folders);
        EXPECT_EQ(mode, 1);
        EXPECT_EQ(folders, 1);
        EXPECT_EQ(window.Mode, 1);
        EXPECT_EQ(window.Folders, 1);
    };
    const int updates = host.updates;
    run("*.txt", 1, 1);
    EXPECT_EQ(selected(), (std::vector<std::string> { "a.txt", "b.txt" }));
    run("*.txt", 1, 777);
    EXPECT_EQ(selected(), (std::vector<std::string> { "x.txt", "a.txt", "b.txt" }));
    run("*.*", 777, 1);
    EXPECT_EQ(selected(), (std::vector<std::string> { "x.txt" }));
    EXPECT_EQ(host.updates, updates);
    EXPECT_EQ(host.repaints, 3);
    EXPECT_EQ(window.MaskBox()->count(), 2);
    EXPECT_EQ(window.MaskBox()->itemText(0).toStdString(), "*.txt");
    EXPECT_EQ(window.MaskBox()->itemText(1).toStdString(), "*.*");
}

// Ctrl+F12: rows and modes, the caption and group text, the place, and a
// choice re-sorting both lists.
TEST_F(CreateWindowsTest, SortModesWindow)
{
    const int modes[] = { 1, 2, 3, 4, 0 };
    const char* settings[] = { "srName", "srExt", "srSize", "srDate", "srNone" };
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(TFormSort::ModeOfRow(row), modes[row]);
        EXPECT_EQ(TFormSort::RowOfMode(modes[row]), row);
        EXPECT_EQ(TFormSort::SettingOfMode(modes[row]), settings[row]);
    }
    root.write("work/big.txt", std::string(500, 'x'));
    host.Update_AllPanels();
    host.activeLeft = false;
    host.activeRect = QRect(400, 120, 380, 500);
    host.otherRect = QRect(0, 100, 380, 500);
    TFormSort window(host);
    window.FormShow();
    EXPECT_EQ(window.windowTitle().toStdString(), "Sort modes for Right panel");
    EXPECT_EQ(window.Group()->title().toStdString(), " Sorted by Name ");
    EXPECT_EQ(window.List()->currentRow(), 0);
    EXPECT_EQ(window.List()->item(0)->sizeHint().height(), 15);
    EXPECT_EQ(window.pos(), QPoint(430, 130));
    window.List()->setCurrentRow(2);
    const int updates = host.updates;
    window.Button_OKClick();
    EXPECT_EQ(host.active.SortMode, 3);
    EXPECT_EQ(host.updates, updates + 1);
    // Largest first, after "..", and the folder.
    EXPECT_EQ(host.active.NameAt(3), "big.txt") << "the list is sorted by size at once";
}

// The history: every visit kept, the last one selected; Enter opens the
// chosen folder, a vanished one as an empty list.
TEST_F(CreateWindowsTest, FolderHistoryWindow)
{
    FolderHistory history;
    for (const char* folder : { "c:\\dst\\", "c:\\work\\sub\\", "c:\\work\\sub\\", "c:\\gone\\" })
        history.Add(folder);
    TFormFolderHist window(host, history);
    window.FormShow();
    EXPECT_EQ(window.windowTitle().toStdString(), "Folders history");
    EXPECT_EQ(window.List()->count(), 4);
    EXPECT_EQ(window.List()->currentRow(), 3);
    window.List()->setCurrentRow(0);
    window.Button_EnterClick();
    EXPECT_EQ(host.active.CurrentFolder(), "c:\\dst\\");
    EXPECT_EQ(host.activeCursor, 1);
    TFormFolderHist again(host, history);
    again.FormShow();
    again.Button_EnterClick();
    EXPECT_EQ(host.active.CurrentFolder(), "c:\\gone\\");
    EXPECT_LE(host.active.Count, 1);
}

// History entries inside an archive enter it again: the folder holding it,
// the archive, its folder. A vanished archive or folder, a folder named like
// an archive and a path through an ordinary file open as the panel reads a
// folder, an empty list where nothing is there.
TEST_F(CreateWindowsTest, FolderHistoryInsideArchives)
{
    if (std::system("command -v zip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "zip is needed";
    root.write("src/docs/deep/b.txt", "B");
    root.write("src/top.txt", "T");
    root.write("work/folder.zip/inside.txt", "I");
    ASSERT_EQ(
        std::system(("cd '" + root / "src" + "' && zip -q -r ../work/pack.zip docs top.txt").c_str()), 0);
    installArchiveDisk(nullptr);
    const struct {
        const char* entry;
        DiskKind kind;
        const char* name; // an entry the list shows; "" for an empty list
        const char* holder; // the drive folder under the archive
    } cases[] = {
        { "c:\\work\\pack.zip\\docs\\deep\\", DiskKind::Archive, "b.txt", "work\\" },
        { "c:\\work\\pack.zip\\docs\\", DiskKind::Archive, "deep", "work\\" },
        { "c:\\work\\pack.zip\\", DiskKind::Archive, "top.txt", "work\\" },
        { "c:\\work\\pack.zip\\gone\\", DiskKind::Archive, "", "work\\" },
        { "c:\\work\\gone.zip\\docs\\", DiskKind::Standard, "", nullptr },
        { "c:\\work\\folder.zip\\", DiskKind::Standard, "inside.txt", nullptr },
        { "c:\\work\\a.txt\\x\\", DiskKind::Standard, "", nullptr },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.entry);
        FolderHistory history;
        history.Add(row.entry);
        open(host.active, "dst");
        host.activeCursor = 3;
        TFormFolderHist window(host, history);
        window.FormShow();
        window.Button_EnterClick();
        EXPECT_EQ(host.active.DiskKind, row.kind);
        EXPECT_EQ(host.active.CurrentFolder(), row.entry);
        EXPECT_EQ(host.activeCursor, 1);
        if (*row.name)
            EXPECT_GT(indexOf(host.active, row.name), 0);
        else
            EXPECT_LE(host.active.Count, 1);
        if (row.holder) {
            ASSERT_NE(host.active.Disk->Below, nullptr);
            EXPECT_EQ(host.active.Disk->Below->SavedFolder, row.holder);
            EXPECT_EQ(host.active.DriveRoot(), "c:\\");
        }
    }
    // The archive as it is now: one taken away opens as an empty folder.
    std::filesystem::remove(root / "work/pack.zip");
    FolderHistory history;
    history.Add("c:\\work\\pack.zip\\docs\\");
    TFormFolderHist window(host, history);
    window.FormShow();
    window.Button_EnterClick();
    EXPECT_EQ(host.active.DiskKind, DiskKind::Standard);
    EXPECT_LE(host.active.Count, 1);
    TBrowser::setArchiveDiskFactory(nullptr);
    TBrowser::setMemberTaker(nullptr);
}

// File highlighting: the 39 extensions, a chosen colour kept at once, a
// cancelled choice keeping the colour, OK repainting.
TEST_F(CreateWindowsTest, FileColorWindow)
{
    ExtensionColors table;
    table.colors[2] = -5;
    TFormFileColor window(host, table);
    window.FormShow();
    EXPECT_EQ(window.windowTitle().toStdString(), "Files highlighting");
    ASSERT_EQ(window.List()->count(), 39);
    EXPECT_EQ(window.List()->item(0)->text().toStdString(), ".bat");
    EXPECT_EQ(window.List()->item(38)->text().toStdString(), ".pcx");
    EXPECT_EQ(window.SampleColor(), 0xFFFFFF);
    window.List()->setCurrentRow(2);
    EXPECT_EQ(window.SampleColor(), -5);
    window.Button_ChooseClick(); // cancelled
    EXPECT_EQ(table.colors[2], -5);
    scripted.colors.push_back(0x123456);
    window.Button_ChooseClick();
    EXPECT_EQ(table.colors[2], 0x123456);
    EXPECT_EQ(window.SampleColor(), 0x123456);
    const int updates = host.updates;
    window.Button_OKClick();
    EXPECT_EQ(host.updates, updates + 1);
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
