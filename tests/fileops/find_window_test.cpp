// The find window over a real file list, offscreen: its first state and
// texts, a search and what it enables, the mask history, results kept,
// Esc while searching, a double-click with one result, and Go to.
#include "fileops/find_window.h"
#include "platform/process_messages.h"
#include "platform/tree_walk.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

class Host : public TFileOpsHost {
public:
    TBrowser active;
    TBrowser other;
    int activeCursor = 1;
    TMainSettings settings;
    IniFile language { std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini" };
    int updates = 0;

    TBrowser& List(PanelSide side) override { return side == PanelSide::Active ? active : other; }
    int CurrentIndex(PanelSide) override { return activeCursor; }
    void SetCursorIndex(PanelSide side, int index) override
    {
        if (side == PanelSide::Active)
            activeCursor = index;
    }
    TMainSettings& Settings() override { return settings; }
    const IniFile& Language() override { return language; }
    void Update_AllPanels() override { ++updates; }
    QWidget* Owner() override { return nullptr; }
};

class FindWindowTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        root.write("work/sub/a.txt");
        root.write("work/sub/b.doc");
        root.write("work/c.txt");
        root.write("top.txt");
        open(host.active, "work");
        window.Prepare(host);
        window.show();
    }
    void TearDown() override
    {
        setProcessMessagesHook(nullptr);
        setTreeWalkHook(nullptr);
        FileOpsTest::TearDown();
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    QComboBox* mask() { return window.findChild<QComboBox*>("ComboBox_Mask"); }
    void find(const std::string& masks, bool wholeDrive = false)
    {
        mask()->setEditText(QString::fromStdString(masks));
        window.findChild<QRadioButton*>(wholeDrive ? "Check_FindInDrive" : "Check_FindInFolder")
            ->setChecked(true);
        mask()->setFocus();
        window.Button_FindClick();
    }
    std::vector<std::string> results()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < window.Results().rowCount(); ++i)
            rows.push_back(window.Results().at(i).toStdString());
        return rows;
    }

    Host host;
    TFormFind window;
};

} // namespace

TEST_F(FindWindowTest, FirstStateAndTexts)
{
    EXPECT_EQ(mask()->currentText().toStdString(), "*.*");
    EXPECT_EQ(window.windowTitle().toStdString(), "Find files");
    EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox1")->title().toStdString(), " Files to find ");
    for (const char* name : { "Button_Find", "Button_Stop", "Button_Goto", "Button_View", "Button_Cancel" })
        ASSERT_NE(button(name), nullptr) << name;
    EXPECT_TRUE(window.findChild<QRadioButton*>("Check_FindInFolder")->isChecked());
    EXPECT_FALSE(window.findChild<QRadioButton*>("Check_FindInAllDrives")->isEnabled());
    EXPECT_FALSE(button("Button_Stop")->isEnabled());
    EXPECT_FALSE(button("Button_Goto")->isEnabled());
    EXPECT_FALSE(button("Button_View")->isEnabled());
    EXPECT_EQ(window.Chosen(), -1);
}

// From the folder or the drive's root; folders are hits; Go to and View
// need two results; the third choice stays disabled after a search; the
// mask joins the history once.
TEST_F(FindWindowTest, SearchesAndButtons)
{
    find("*.txt");
    EXPECT_EQ(results(), (std::vector<std::string> { "c:\\work\\c.txt", "c:\\work\\sub\\a.txt" }));
    EXPECT_EQ(window.StatusCount().toStdString(), "2");
    EXPECT_TRUE(window.StatusFolder().isEmpty());
    EXPECT_TRUE(button("Button_Goto")->isEnabled());
    EXPECT_TRUE(button("Button_View")->isEnabled());
    EXPECT_FALSE(button("Button_Stop")->isEnabled());
    EXPECT_FALSE(window.findChild<QRadioButton*>("Check_FindInAllDrives")->isEnabled());

    find("*.doc");
    EXPECT_EQ(results(), (std::vector<std::string> { "c:\\work\\sub\\b.doc" }));
    EXPECT_FALSE(button("Button_Goto")->isEnabled());
    EXPECT_FALSE(button("Button_View")->isEnabled());

    find("s*.*;*.txt", true);
    EXPECT_EQ(results(),
        (std::vector<std::string> {
            "c:\\top.txt", "c:\\work\\c.txt", "c:\\work\\sub", "c:\\work\\sub\\a.txt" }));

    find("*.txt");
    EXPECT_EQ(mask()->count(), 3);
    EXPECT_EQ(mask()->itemText(0).toStdString(), "s*.*;*.txt");
    // An empty mask does nothing: the results stay.
    find("");
    EXPECT_EQ(results().size(), 2u);
}

// Esc while searching stops the walk, then closes; the results found so
// far stay for the next opening.
TEST_F(FindWindowTest, EscapeWhileSearching)
{
    for (int i = 0; i < 50; ++i)
        root.write("work/many/f" + std::to_string(i) + "/x.txt");
    int pumps = 0;
    setProcessMessagesHook([&] {
        if (++pumps == 1)
            window.reject();
        QCoreApplication::processEvents();
    });
    // Pumps come every 30 ms: a slow walk makes sure there is one.
    setTreeWalkHook([](const std::string&, std::vector<HostEntry>&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    find("*.*");
    EXPECT_GE(pumps, 1);
    EXPECT_FALSE(window.Searching());
    EXPECT_FALSE(window.isVisible());
    EXPECT_GT(window.Found(), 0);
    EXPECT_LT(window.Found(), 100);
    EXPECT_EQ(window.Results().rowCount(), window.Found());
    EXPECT_FALSE(host.active.Busy);
}

// One result: the buttons stay off, a double-click still chooses it.
TEST_F(FindWindowTest, DoubleClickWithOneResult)
{
    find("b.doc");
    ASSERT_EQ(window.Results().rowCount(), 1);
    window.Button_GotoClick();
    EXPECT_EQ(window.Chosen(), -1);
    window.ResultDoubleClick(0);
    EXPECT_EQ(window.Chosen(), 0);
    EXPECT_FALSE(window.isVisible());
}

// Go to opens the folder after the drive part on the panel's own drive and
// puts the cursor on the name.
TEST_F(FindWindowTest, GoToPaths)
{
    root.write("work/sub/x,y.txt");
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        { "c:\\work\\sub\\a.txt", "work\\sub\\", "a.txt" },
        { "d:\\work\\sub\\b.doc", "work\\sub\\", "b.doc" },
        { "c:\\work\\sub", "work\\", "sub" },
        { "c:\\top.txt", "", "top.txt" },
        { "c:\\work\\sub\\x,y.txt", "work\\sub\\", "x,y.txt" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        open(host.active, "work");
        const int updates = host.updates;
        TFormFind::GoTo(host, row.path);
        EXPECT_EQ(host.active.Folder, row.folder);
        EXPECT_EQ(host.active.DiskRoot, "c:\\");
        EXPECT_EQ(host.active.NameAt(host.activeCursor), row.name);
        EXPECT_EQ(host.updates, updates + 1);
    }
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
