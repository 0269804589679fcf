// The resource explorer window, offscreen with scripted prompts: pages
// follow the selected node, saving writes what the reader saves, a keyboard
// walk through every node of the fixtures, real files and damaged images
// ends without a modal box, the media page plays and ends, the dialog
// preview and its placeholder, the splitter's clamps.
#include "platform/dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/viewers/pe_builder.h"
#include "tests/viewers/resource_writers.h"
#include "viewers/avi_player.h"
#include "viewers/dialog_template_view.h"
#include "viewers/exe_image.h"
#include "viewers/resource_form.h"
#include "viewers/resource_item.h"
#include "viewers/resource_mover.h"
#include "viewers/resource_tree_model.h"

#include <QAction>
#include <QApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace ov {
namespace {

const std::string kData = OV_DATA_DIR "/viewers/";

void app()
{
    static int argc = 1;
    static char name[] = "test_resource_form";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The texts of the error boxes asked, leaving out the file dialogs.
std::vector<std::string> errors(const ScriptedPrompts& prompts)
{
    std::vector<std::string> out;
    for (const Question& question : prompts.asked)
        if (question.icon == Icon::Error)
            out.push_back(question.text);
    return out;
}

class ResourceForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        setPrompts(&prompts);
        explorer = folder / "explorer.dll";
        writeFile(explorer, test::explorerFixture());
    }
    void TearDown() override { setPrompts(nullptr); }

    // Selects the node at a path of names, expanding on the way.
    bool select(TFormResource& form, const std::string& path)
    {
        ResourceTreeModel* model = form.TreeModel();
        QModelIndex parent;
        std::size_t at = 0;
        while (at <= path.size()) {
            std::size_t stop = path.find('/', at);
            if (stop == std::string::npos)
                stop = path.size();
            const QString part = QString::fromStdString(path.substr(at, stop - at));
            QModelIndex found;
            for (int row = 0; row < model->rowCount(parent) && !found.isValid(); ++row)
                if (model->index(row, 0, parent).data().toString() == part)
                    found = model->index(row, 0, parent);
            if (!found.isValid())
                return false;
            parent = found;
            at = stop + 1;
        }
        form.Tree()->setCurrentIndex(parent);
        return true;
    }

    test::TempFolder folder;
    std::string explorer;
    ScriptedPrompts prompts;
};

TEST_F(ResourceForm, PagesFollowTheSelectedNode)
{
    TFormResource form;
    EXPECT_EQ(form.MessageText(), "Welcome to Resource Browser!");
    const std::string file = kData + "fixture.dll";
    form.SetFile(file);
    // The first node is selected: a list.
    std::string lowered = file;
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(form.windowTitle().toStdString(), "Resource Explorer - " + lowered);
    EXPECT_EQ(form.CurrentPage(), ResourcePageIndex::List);
    EXPECT_EQ(form.CaptionText(), " MYDATA");
    EXPECT_EQ(form.StatusText(0), " 1 Objects");
    EXPECT_FALSE(form.SaveEnabled());
    EXPECT_TRUE(form.Tree()->isExpanded(form.Tree()->currentIndex()));

    struct Row {
        const char* path;
        ResourcePageIndex page;
        const char* status1;
    };
    const Row rows[] = {
        { "Bitmap/LOGO", ResourcePageIndex::Image, " Offset: 6890  Size: 140" },
        { "Menu/100", ResourcePageIndex::Text, nullptr },
        { "RCData/3", ResourcePageIndex::Other, nullptr },
        { "RCData/2", ResourcePageIndex::Image, nullptr },
        { "Version/1", ResourcePageIndex::Version, nullptr },
        { "Icon/1", ResourcePageIndex::List, nullptr },
        { "Dialog/200", ResourcePageIndex::Message, nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(select(form, row.path));
        EXPECT_EQ(form.CurrentPage(), row.page);
        if (row.status1) {
            EXPECT_EQ(form.StatusText(1).toStdString(), row.status1);
        }
    }
    EXPECT_EQ(form.MessageText(), "Take a look!");
    ASSERT_NE(form.Placeholder(), nullptr);
    EXPECT_EQ(form.Placeholder()->width(), 500);
    EXPECT_EQ(form.Placeholder()->windowTitle(), "I'm just a placeholder for dialog. Click to close");
    ASSERT_NE(form.Placeholder()->Dialog(), nullptr);
    EXPECT_EQ(form.Placeholder()->Dialog()->windowTitle(), "About");

    ASSERT_TRUE(select(form, "Version/1"));
    auto* version = form.findChild<QTreeWidget*>("ListViewVersion");
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(version->topLevelItemCount(), 16);
    EXPECT_EQ(version->topLevelItem(0)->text(1), "Orvanta");
    EXPECT_EQ(version->topLevelItem(10)->text(1), "0001.0000.0000.0002");
    EXPECT_EQ(version->topLevelItem(13)->text(1), "NT with Win32");
    EXPECT_EQ(version->topLevelItem(15)->text(1), "not done yet.");

    // The list's columns: Name, Offset "%.7x", Size "%.5x", with headers.
    ASSERT_TRUE(select(form, "Bitmap"));
    const QAbstractItemModel* listRows = form.findChild<QTreeView*>("ListView1")->model();
    ASSERT_EQ(listRows->rowCount(), 6);
    EXPECT_EQ(listRows->headerData(1, Qt::Horizontal).toString(), "Offset");
    const QStringList row3 { listRows->index(3, 0).data().toString(), listRows->index(3, 1).data().toString(),
        listRows->index(3, 2).data().toString() };
    EXPECT_EQ(row3, QStringList({ "8", "0006af0", "004f0" }));
    EXPECT_FALSE(listRows->index(3, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ResourceForm, SavingAnIconRowAndABitmap)
{
    TFormResource form;
    form.SetFile(kData + "fixture.dll");
    ASSERT_TRUE(select(form, "Icon/1"));
    ASSERT_EQ(form.CurrentPage(), ResourcePageIndex::List);
    EXPECT_FALSE(form.SaveEnabled());

    // Nothing chosen: the error, and no file dialog.
    form.SaveClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "No resource selected");
    EXPECT_EQ(prompts.asked[0].icon, Icon::Error);
    prompts.asked.clear();

    form.SelectListRow(1);
    EXPECT_TRUE(form.SaveEnabled());
    const std::string ico = folder / "saved.ico";
    prompts.texts.push_back(ico);
    form.SaveClick();
    ASSERT_EQ(prompts.asked.size(), 1u); // the file dialog only
    EXPECT_EQ(prompts.asked[0].caption, "Save resource as...");
    QImageReader reader(QString::fromStdString(ico), "ico");
    const QImage saved = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(32, 32));
    // The same pixels as the image page shows for that image.
    ASSERT_TRUE(select(form, "Icon/1/32 X 32 0 Colors"));
    ASSERT_EQ(form.CurrentPage(), ResourcePageIndex::Image);
    EXPECT_EQ(saved, form.Page().image.convertToFormat(QImage::Format_ARGB32));

    // A bitmap: byte for byte the file it was compiled from.
    ASSERT_TRUE(select(form, "Bitmap/24"));
    EXPECT_TRUE(form.SaveEnabled());
    const std::string bmp = folder / "saved.bmp";
    prompts.texts.push_back(bmp);
    form.SaveClick();
    EXPECT_EQ(fileBytes(bmp), fileBytes(kData + "bmp24.bmp"));
    EXPECT_TRUE(errors(prompts).empty());

    // A failed save says why and leaves no file.
    const std::string missing = folder / "no/such/folder/x.bmp";
    prompts.texts.push_back(missing);
    form.SaveClick();
    ASSERT_EQ(errors(prompts).size(), 1u);
    EXPECT_NE(errors(prompts)[0].find("x.bmp"), std::string::npos) << errors(prompts)[0];
    EXPECT_FALSE(std::filesystem::exists(missing));
    // Cancelling the dialog writes nothing and raises no error.
    prompts.asked.clear();
    form.SaveClick();
    EXPECT_TRUE(errors(prompts).empty());
}

// Damaged images for the walk.
std::vector<std::pair<std::string, std::vector<uint8_t>>> hostileImages()
{
    constexpr uint32_t kDir = 0x80000000u;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> images;
    auto add = [&](const std::string& name, const test::ResourceBlob& blob) {
        test::PeImage pe;
        pe.resources = blob.bytes;
        images.emplace_back(name, pe.build());
    };
    test::ResourceBlob blob;
    blob.directory(0, 0, 1);
    blob.entry(16, 10, kDir | 0);
    add("cycle", blob);

    blob = {};
    for (uint32_t level = 0; level < 20; ++level) {
        blob.directory(level * 24, 0, 1);
        blob.entry(level * 24 + 16, 5, kDir | ((level + 1) * 24));
    }
    add("deep", blob);

    for (uint32_t type : { 1u, 2u, 3u, 4u, 5u, 6u, 10u, 12u, 14u, 16u }) {
        // Each standard type with data outside the file, and with 7 bytes of junk.
        blob = test::oneResource(type, 1, "abcdefg");
        add("junk type " + std::to_string(type), blob);
        blob.dataEntry(0x48, 0x7FFF0000, 1000);
        add("outside type " + std::to_string(type), blob);
    }
    // An icon group naming images that are not there, and one that is junk.
    test::ResourceTreeWriter tree;
    tree.add(14u, 1u,
        { 0, 0, 1, 0, 2, 0, 32, 32, 0, 0, 1, 0, 32, 0, 0, 1, 0, 0, 7, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 1, 0,
            0, 8, 0 });
    tree.add(3u, 8u, { 1, 2, 3 });
    tree.add(10u, 1u, { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' ' });
    tree.add(10u, 2u, { 'T', 'P', 'F', '0', 200 });
    tree.add(10u, 3u, { 'B', 'M', 1, 2 });
    tree.add(10u, 4u, { 0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0 });
    tree.add(16u, 1u, { 2, 0, 0, 0 });
    images.emplace_back("groups and sniffed junk", tree.image());
    return images;
}

// Walks the tree with the Down key from its first node until the cursor
// stops; returns how many nodes it visited.
int walk(TFormResource& form)
{
    QTreeView* tree = form.Tree();
    int visited = 0;
    QModelIndex last;
    tree->setFocus();
    while (tree->currentIndex().isValid() && tree->currentIndex() != last && visited < 5000) {
        last = tree->currentIndex();
        ++visited;
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(tree, &down);
        QCoreApplication::processEvents();
    }
    return visited;
}

TEST_F(ResourceForm, KeyboardWalkThroughEveryNodeRaisesNoBox)
{
    std::vector<std::pair<std::string, int>> files = {
        { kData + "fixture.dll", 41 },
        { explorer, 17 },
    };
    for (const char* real : { "/usr/share/nsis/Contrib/UIs/modern.exe",
             "/usr/share/nsis/Stubs/zlib-x86-unicode", "/usr/i686-w64-mingw32/lib/zlib1.dll",
             "/usr/x86_64-w64-mingw32/lib/zlib1.dll", "/usr/share/win32/win32-loader.exe" })
        if (std::filesystem::exists(real))
            files.emplace_back(real, -1);
    for (const auto& [name, bytes] : hostileImages()) {
        const std::string path = folder / (name + ".dll");
        writeFile(path, bytes);
        files.emplace_back(path, -1);
    }
    TFormResource form;
    for (const auto& [file, nodes] : files) {
        SCOPED_TRACE(file);
        form.SetFile(file);
        const int visited = walk(form);
        if (nodes >= 0) {
            EXPECT_EQ(visited, nodes);
        }
        form.FullCollapseClick();
        form.FullExpandClick();
        EXPECT_TRUE(prompts.asked.empty()) << prompts.asked.front().text;
        prompts.asked.clear();
    }
}

TEST_F(ResourceForm, MouseFocusAndKeys)
{
    TFormResource form;
    form.resize(600, 400);
    form.show();
    form.SetFile(kData + "fixture.dll");
    QCoreApplication::processEvents();
    QTreeView* tree = form.Tree();

    // A right press selects the node under it.
    const QModelIndex bitmap = form.TreeModel()->index(1, 0);
    ASSERT_EQ(bitmap.data().toString(), "Bitmap");
    const QPoint at = tree->visualRect(bitmap).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, tree->viewport()->mapToGlobal(at), Qt::RightButton,
        Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &press);
    EXPECT_EQ(tree->currentIndex(), bitmap);
    EXPECT_EQ(form.CurrentPage(), ResourcePageIndex::List);

    // Entering a list of more than one row selects its first row, which
    // enables saving.
    EXPECT_FALSE(form.SaveEnabled());
    auto* list = form.findChild<QTreeView*>("ListView1");
    ASSERT_NE(list, nullptr);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(list, &focus);
    ASSERT_TRUE(list->selectionModel()->hasSelection());
    EXPECT_EQ(list->selectionModel()->selectedRows().front().row(), 0);
    EXPECT_TRUE(form.SaveEnabled());
    // A list of one row is left alone.
    ASSERT_TRUE(select(form, "Menu"));
    QCoreApplication::sendEvent(list, &focus);
    EXPECT_FALSE(list->selectionModel()->hasSelection());

    // F2 saves, Esc closes; the view buttons switch the list's style.
    auto* save = form.findChild<QAction*>("N_Save");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::Key_F2));
    form.ViewButtonClick(0);
    EXPECT_TRUE(form.findChild<QWidget*>("ListView1Icons")->isVisibleTo(&form));
    form.ViewButtonClick(3);
    EXPECT_TRUE(list->isVisibleTo(&form));
    form.ExitClick();
    EXPECT_FALSE(form.isVisible());
}

// The keyboard alone: Tab goes from the tree into the page's first control
// and Shift+Tab back, whatever the page; F2 and Ctrl+S save the selected
// leaf; Esc closes from inside a page.
TEST_F(ResourceForm, KeyboardFlow)
{
    TFormResource form;
    form.resize(600, 400);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.SetFile(kData + "fixture.dll");
    QCoreApplication::processEvents();
    QTreeView* tree = form.Tree();
    EXPECT_EQ(QApplication::focusWidget(), tree);
    const auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        return widget ? widget->objectName().toStdString() : std::string("<none>");
    };

    const std::pair<const char*, const char*> pages[] = {
        { "Bitmap", "ListView1" },
        { "Menu/100", "Memo1" },
        { "RCData/3", "HexDump1" },
        { "Version/1", "ListViewVersion" },
    };
    for (const auto& [path, control] : pages) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(select(form, path));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Tab);
        EXPECT_EQ(focused(), control);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(focused(), "TreeView1");
    }
    // Entering the list by Tab selected its first row.
    ASSERT_TRUE(select(form, "Bitmap"));
    QTest::keyClick(tree, Qt::Key_Tab);
    EXPECT_EQ(form.findChild<QTreeView*>("ListView1")->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(form.SaveEnabled());

    // F2 and Ctrl+S save the leaf selected in the tree.
    ASSERT_TRUE(select(form, "Bitmap/LOGO"));
    tree->setFocus();
    const std::string byF2 = folder / "f2.bmp";
    const std::string byCtrlS = folder / "ctrl_s.bmp";
    prompts.texts = { byF2, byCtrlS };
    QTest::keyClick(tree, Qt::Key_F2);
    QTest::keyClick(tree, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[1].caption, "Save resource as...");
    EXPECT_TRUE(std::filesystem::exists(byF2));
    EXPECT_EQ(fileBytes(byCtrlS), fileBytes(byF2));

    // Esc from inside the hex dump closes the window.
    ASSERT_TRUE(select(form, "RCData/3"));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Tab);
    ASSERT_EQ(focused(), "HexDump1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ResourceForm, OpeningProblems)
{
    TFormResource form;
    form.SetFile(kData + "fixture.dll");
    // A missing file changes nothing.
    form.SetFile(folder / "missing.dll");
    EXPECT_NE(form.Image(), nullptr);
    EXPECT_TRUE(prompts.asked.empty());

    // A file that is not an executable: the error box, the tree cleared.
    form.SetFile(kData + "README");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "unrecognized file format");
    EXPECT_EQ(form.TreeModel()->rowCount(), 0);

    // "MZ" without a PE header, and an image without resources.
    const std::string notPe = folder / "notpe.exe";
    writeFile(notPe, { 'M', 'Z', 0, 0 });
    form.SetFile(notPe);
    EXPECT_EQ(form.CurrentPage(), ResourcePageIndex::Message);
    EXPECT_EQ(form.MessageText(), "Not a PE file.");
    test::PeImage pe;
    pe.sectionName = ".data";
    pe.resources = test::oneResource(10, 1, "x").bytes;
    const std::string noResources = folder / "nores.exe";
    writeFile(noResources, pe.build());
    form.SetFile(noResources);
    EXPECT_EQ(form.MessageText(), "No resources.");
    EXPECT_EQ(form.TreeModel()->rowCount(), 0);
    EXPECT_EQ(prompts.asked.size(), 1u);
}

TEST_F(ResourceForm, MediaPagePlaysToTheEnd)
{
    TFormResource form;
    form.SetFile(explorer);
    ASSERT_TRUE(select(form, "RCData/11"));
    ASSERT_EQ(form.CurrentPage(), ResourcePageIndex::Media);
    TAviPlayer* player = form.Player();
    EXPECT_TRUE(player->Playing());
    for (int frame = 0; frame < test::kAviFrames; ++frame) {
        ASSERT_EQ(player->Position(), frame);
        EXPECT_EQ(player->Frame().pixel(3, 2), test::aviPaletteColor(test::aviPixelIndex(3, 2, frame)));
        EXPECT_EQ(player->Frame().pixel(5, 12), test::aviPaletteColor(test::aviPixelIndex(5, 12, frame)));
        if (frame + 1 < test::kAviFrames)
            player->Tick();
    }
    // The buttons.
    player->Back();
    EXPECT_EQ(player->Position(), 2);
    player->Previous();
    EXPECT_EQ(player->Position(), 0);
    player->Step();
    EXPECT_EQ(player->Position(), 1);
    player->Next();
    EXPECT_EQ(player->Position(), 3);
    player->Pause();
    EXPECT_FALSE(player->Playing());
    player->Stop();
    EXPECT_EQ(player->Position(), 0);
    player->Play();
    EXPECT_TRUE(player->Playing());
    player->Next();
    player->Tick(); // past the last frame: closed
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(form.CurrentPage(), ResourcePageIndex::Message);
    EXPECT_EQ(form.MessageText(), "To play again, select again.");

    // Selecting elsewhere mid-play closes the player.
    ASSERT_TRUE(select(form, "RCData/10"));
    EXPECT_TRUE(player->Playing());
    ASSERT_TRUE(select(form, "RCData/12"));
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(form.CurrentPage(), ResourcePageIndex::Text);
}

TEST_F(ResourceForm, DialogPreviewAndPlaceholder)
{
    TFormResource form;
    form.SetFile(explorer);
    ASSERT_TRUE(select(form, "Dialog/1"));
    EXPECT_EQ(form.MessageText(), "Take a look!");
    QPointer<TDialogPlaceholder> placeholder = form.Placeholder();
    ASSERT_TRUE(placeholder);
    QPointer<QWidget> dialog = placeholder->Dialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->findChildren<QWidget*>(QRegularExpression("^Control")).size(), 9);
    auto* tree = dialog->findChild<QWidget*>("Control13");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->property("controlClass").toString(), "systreeview32");
    // Cancel (id 2) closes the dialog, not the placeholder.
    auto* cancel = dialog->findChild<QPushButton*>("Control2");
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
    EXPECT_TRUE(placeholder);
    // A press on the placeholder closes it.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(placeholder, &press);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(placeholder);

    ASSERT_TRUE(select(form, "Dialog/2"));
    EXPECT_EQ(form.MessageText(), "1 control(s) has been stripped.");
    ASSERT_TRUE(form.Placeholder());
    EXPECT_EQ(form.Placeholder()->Dialog()->findChildren<QWidget*>(QRegularExpression("^Control")).size(), 2);
    ASSERT_TRUE(select(form, "Dialog/5"));
    EXPECT_EQ(form.MessageText(), "Unable to create this dialog, sorry.");
    EXPECT_FALSE(form.Placeholder());

    // Dialog units through the font's base units.
    const DialogBaseUnits units { 6, 13 };
    EXPECT_EQ(dialogUnitsToPixels(8, 16, 40, 24, units), QRect(12, 26, 60, 39));
}

TEST(ResourceMover, Clamps)
{
    EXPECT_EQ(TMover::MaxSize(600, 30, 203, 200), 567);
    const std::tuple<int, int, int, int> table[] = {
        { 10, 30, 500, 30 }, // below MinSize
        { 100, 30, 500, 100 }, { 900, 30, 500, 500 }, // beyond the room
        { 50, 30, 20, 30 }, // no room: MinSize wins
    };
    for (const auto& [size, minSize, maxSize, expected] : table)
        EXPECT_EQ(TMover::Clamp(size, minSize, maxSize), expected);

    app();
    TFormResource form;
    form.resize(600, 400);
    form.show();
    QCoreApplication::processEvents();
    TMover* mover = form.Mover();
    EXPECT_EQ(mover->width(), 3);
    EXPECT_EQ(mover->MinSize(), 30);
    QWidget* tree = mover->Sibling();
    const int start = tree->width();
    auto mouse = [mover](QEvent::Type type, int dx, Qt::MouseButtons buttons) {
        const QPointF local(1, 10);
        const QPointF global = mover->mapToGlobal(local) + QPointF(dx, 0);
        QMouseEvent event(type, local + QPointF(dx, 0), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(mover, &event);
    };
    int moved = 0;
    mover->OnMoved = [&moved](TMover*) { ++moved; };
    // Dragged far left: MinSize.
    mouse(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    EXPECT_TRUE(mover->Dragging());
    mouse(QEvent::MouseMove, -1000, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, -1000, Qt::NoButton);
    EXPECT_EQ(tree->width(), 30);
    EXPECT_EQ(moved, 1);
    // Far right: the parent's width less MinSize and the splitter.
    mouse(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 5000, Qt::NoButton);
    EXPECT_EQ(tree->width(), mover->parentWidget()->width() - 30 - 3);
    // Esc cancels a drag.
    const int before = tree->width();
    mouse(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    mouse(QEvent::MouseMove, -100, Qt::LeftButton);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(mover, &escape);
    EXPECT_FALSE(mover->Dragging());
    mouse(QEvent::MouseButtonRelease, -100, Qt::NoButton);
    EXPECT_EQ(tree->width(), before);
    EXPECT_EQ(moved, 2);
    EXPECT_NE(start, before);
}

} // namespace
} // namespace ov
