// The colours dialog offscreen over a real main window: captions by the
// active side and the language, the marker, the choice and its cancel, the
// copy button's applied colours, "&OK" and the preview's pixels.
#include "platform/colors.h"
#include "shell/options_commands.h"
#include "tests/shell/settings_dialog_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <fstream>

using namespace ov;
using ColorsWindowTest = test::SettingsDialogTest;

namespace {

// How many pixels of a colour lie in a rectangle of the image.
int countPixels(const QImage& image, QRect area, int32_t color)
{
    const QRgb wanted = colorToRgb(color) | 0xFF000000u;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == wanted ? 1 : 0;
    return count;
}

} // namespace

TEST_F(ColorsWindowTest, CaptionsFollowTheActiveSideAndTheLanguage)
{
    struct Row {
        const char* name;
        const char* language;
        const char* side;
        const char* caption;
        const char* copy;
        const char* firstLine;
    } rows[] = {
        { "English, left", "ENGLISH", "Left", "Select colors for Left panel", "Set Right panel as Left",
            "Panel background" },
        { "English, right", "ENGLISH", "Right", "Select colors for Right panel", "Set Left panel as Right",
            "Panel background" },
        { "American reads the section", "AMERICAN", "Left", "Set colours", "Set Right panel as Left",
            "Panel background" },
        { "American, right", "AMERICAN", "Right", "Set colours", "Set Left panel as Right",
            "Panel background" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::ofstream(home / "ov.ini") << "[Global]\nLanguage=" << row.language << "\n";
        auto form = makeForm();
        if (form->ActiveSide != row.side)
            form->ChangePanel();
        TFormSetColors window(*form);
        EXPECT_EQ(window.windowTitle(), row.caption);
        EXPECT_EQ(child<QPushButton>(window, "Button_SetFor")->text(), row.copy);
        auto* list = child<QListWidget>(window, "ListBox1");
        ASSERT_EQ(list->count(), 10);
        EXPECT_EQ(list->item(0)->text(), row.firstLine);
        EXPECT_EQ(list->currentRow(), 0);
    }
    // Russian texts from the Russian file.
    std::ofstream(home / "ov.ini") << "[Global]\nLanguage=RUSSIAN\n";
    auto form = makeForm();
    TFormSetColors window(*form);
    EXPECT_EQ(window.windowTitle().toStdString(), form->Language().readString("SetColors", "Caption", "?"));
    EXPECT_EQ(child<QListWidget>(window, "ListBox1")->item(9)->text().toStdString(),
        form->Language().readString("SetColors", "i_10", "?"));
}

TEST_F(ColorsWindowTest, MarkerFollowsTheSlotAndBlinks)
{
    auto form = makeForm();
    TFormSetColors window(*form);
    auto* list = child<QListWidget>(window, "ListBox1");
    auto* marker = child<QLabel>(window, "L1");
    auto* group = child<QGroupBox>(window, "GroupBox1");
    auto* timer = child<QTimer>(window, "Timer1");
    EXPECT_EQ(marker->text(), "<<");
    EXPECT_EQ(marker->pos(), QPoint(100, 100));
    EXPECT_EQ(group->title(), " Panel background ");
    list->setCurrentRow(1);
    window.ListBox1MouseMove();
    EXPECT_EQ(marker->pos(), QPoint(5, 150));
    EXPECT_EQ(group->title(), " Vertical and horyzontal lines ");
    list->setCurrentRow(7);
    EXPECT_EQ(marker->pos(), QPoint(50, 40));
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);
    const bool visible = !marker->isHidden();
    window.Timer1Timer();
    EXPECT_EQ(!marker->isHidden(), !visible);
    window.Timer1Timer();
    EXPECT_EQ(!marker->isHidden(), visible);
    window.Button_CancelClick();
    EXPECT_FALSE(timer->isActive());
}

TEST_F(ColorsWindowTest, ChooseCancelCopyAndOk)
{
    auto form = makeForm();
    TFPanel* left = form->LeftPanel();
    TFPanel* right = form->RightPanel();
    left->Settings.PanelFon = 0x112233;
    left->Settings.FileColor = 0x445566;
    const PanelColors applied = panelColors(left->Settings);
    const PanelColors rightBefore = panelColors(right->Settings);
    TFormSetColors window(*form);
    auto* list = child<QListWidget>(window, "ListBox1");

    // Slot 0 becomes red in the working colours only.
    prompts.colors = { 0x0000FF };
    window.Button_SetClick();
    EXPECT_EQ(window.WorkingColors()[0], 0x0000FF);
    EXPECT_EQ(left->Settings.PanelFon, applied[0]);
    // Choosing it again starts from the applied colour; a cancel puts it back.
    window.Button_SetClick();
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[1].text, std::to_string(applied[0]));
    EXPECT_EQ(window.WorkingColors()[0], applied[0]);

    // The inactive line colour is a system colour: a cancel keeps its integer.
    list->setCurrentRow(2);
    ASSERT_LT(applied[2], 0);
    window.Button_SetClick();
    EXPECT_EQ(window.WorkingColors()[2], applied[2]);

    // Folders green, then the copy button: the right panel gets the applied
    // colours, not the working ones.
    list->setCurrentRow(7);
    prompts.colors = { 0x00FF00 };
    window.Button_SetClick();
    window.Button_SetForClick();
    EXPECT_EQ(panelColors(right->Settings), applied);
    EXPECT_NE(panelColors(right->Settings), rightBefore);
    EXPECT_EQ(window.WorkingColors()[7], 0x00FF00);

    // "&OK" applies the working colours to the active panel only.
    window.Button_OKClick();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(left->Settings.DirectoryColor, 0x00FF00);
    EXPECT_EQ(left->Settings.LineColorSlave, applied[2]);
    EXPECT_EQ(right->Settings.DirectoryColor, applied[7]);
}

TEST_F(ColorsWindowTest, CancelAppliesNothing)
{
    registerOptionsCommands();
    auto form = makeForm();
    form->ChangePanel();
    const PanelColors before = panelColors(form->RightPanel()->Settings);
    int runs = 0;
    TFormSetColors::ModalRunner = [&](QDialog& dialog) {
        ++runs;
        prompts.colors = { 0x0000FF };
        dialog.findChild<QPushButton*>("Button_Set")->click();
        dialog.findChild<QPushButton*>("Button_Cancel")->click();
        return dialog.result();
    };
    form->RunCommand("SetColors");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(panelColors(form->RightPanel()->Settings), before);
}

TEST_F(ColorsWindowTest, PreviewShowsTheWorkingColours)
{
    auto form = makeForm();
    TFormSetColors window(*form);
    auto* list = child<QListWidget>(window, "ListBox1");
    const QImage& preview = window.Preview();
    ASSERT_EQ(preview.size(), QSize(190, 240));
    const int w = preview.width(), h = preview.height();
    const PanelColors& working = window.WorkingColors();
    // Background, the two frames and the cursor bar.
    EXPECT_EQ(preview.pixel(100, 150), colorToRgb(working[0]) | 0xFF000000u);
    EXPECT_GT(countPixels(preview, QRect(1, 120, 3, 20), working[1]), 20);
    EXPECT_GT(countPixels(preview, QRect(w - 3, 120, 3, 20), working[2]), 20);
    EXPECT_EQ(preview.pixel(w - 70, 75), colorToRgb(working[6]) | 0xFF000000u);
    // Each slot's colour reaches its text.
    struct Row {
        int slot;
        QRect text;
    } rows[] = {
        { 3, QRect(20, 8, 100, 14) }, // c:\windows\system
        { 4, QRect(7, h - 21, 100, 14) }, // 745Mb free on drive
        { 5, QRect(90, h - 36, 40, 14) }, // 14 678
        { 7, QRect(7, 40, 50, 14) }, // AIDS
        { 8, QRect(7, 100, 50, 14) }, // config.sys
        { 9, QRect(7, 115, 50, 14) }, // user.cfg
    };
    int32_t red = 0x0000FF;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot);
        list->setCurrentRow(row.slot);
        prompts.colors = { red };
        window.Button_SetClick();
        EXPECT_GT(countPixels(window.Preview(), row.text, red), 10);
        red -= 0x10; // a new colour for the next slot
    }
}
