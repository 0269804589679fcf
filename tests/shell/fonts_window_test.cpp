// The fonts dialog offscreen over a real main window: captions, the font
// change and what follows it (size setting, header and footer, the type and
// date column widths in the new font), the copy to the other panel, and
// Cancel putting the remembered font back.
#include "platform/fonts.h"
#include "shell/options_commands.h"
#include "tests/shell/settings_dialog_fixture.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include <fstream>
#include <tuple>

using namespace ov;
using FontsWindowTest = test::SettingsDialogTest;

namespace {

// Everything a font change touches on a panel.
auto fontState(const TFPanel& panel)
{
    const PanelSettings& s = panel.Settings;
    return std::make_tuple(s.Font_Name, s.Font_Size, s.Font_Bold, s.Font_Color, s.FontSizeSetting,
        s.SizeColWidth, s.DateColWidth, panel.HeaderHeight, panel.FooterHeight);
}

int widthIn(const FontSpec& font, const char* text)
{
    return QFontMetrics(makeFont(QString::fromStdString(font.family), font.pointSize, font.bold))
        .horizontalAdvance(QLatin1String(text));
}

} // namespace

TEST_F(FontsWindowTest, CaptionsFollowTheActiveSideAndTheLanguage)
{
    struct Row {
        const char* language;
        const char* side;
        const char* caption;
        const char* copy;
        const char* entry;
    } rows[] = {
        { "ENGLISH", "Left", "Select colors for Left panel", "Set Right panel as Left",
            "Font for file panel" },
        { "ENGLISH", "Right", "Select colors for Right panel", "Set Left panel as Right",
            "Font for file panel" },
        { "AMERICAN", "Left", "Change fonts", "Right as left", "Left panel" },
        { "AMERICAN", "Right", "Change fonts", "Left as right", "Right panel" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.side);
        std::ofstream(home / "ov.ini") << "[Global]\nLanguage=" << row.language << "\n";
        auto form = makeForm();
        if (form->ActiveSide != row.side)
            form->ChangePanel();
        TFormSetFonts window(*form);
        EXPECT_EQ(window.windowTitle(), row.caption);
        EXPECT_EQ(child<QPushButton>(window, "Button_SetFor")->text(), row.copy);
        auto* list = child<QListWidget>(window, "ListBox1");
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text(), row.entry);
        EXPECT_EQ(list->currentRow(), 0);
    }
}

TEST_F(FontsWindowTest, ChangeFontWidthsFollowAndCancelRestores)
{
    auto form = makeForm();
    form->show();
    TFPanel* left = form->LeftPanel();
    left->Settings.Font_Color = 0x00FFFF;
    const auto before = fontState(*left);
    TFormSetFonts window(*form);

    const FontSpec chosen { "DejaVu Serif", 14, true };
    prompts.fonts = { chosen };
    window.Button_SetClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    // The dialog opened on the panel's font.
    EXPECT_EQ(prompts.asked[0].text, "MS Sans Serif,8");
    EXPECT_EQ(left->Settings.Font_Name, "DejaVu Serif");
    EXPECT_EQ(left->Settings.Font_Size, 14);
    EXPECT_TRUE(left->Settings.Font_Bold);
    EXPECT_EQ(left->Settings.Font_Color, 0xFFFFFF);
    EXPECT_EQ(left->Settings.FontSizeSetting, 14);
    EXPECT_EQ(left->FooterHeight, 56);
    EXPECT_EQ(left->Settings.SizeColWidth, widthIn(chosen, "<Folder>") + 10);
    EXPECT_EQ(left->Settings.DateColWidth, widthIn(chosen, "17.09.1996;") + 6);
    EXPECT_GT(left->Settings.DateColWidth, std::get<6>(before));

    // A cancelled font dialog keeps the font the panel has.
    window.Button_SetClick();
    EXPECT_EQ(left->Settings.Font_Name, "DejaVu Serif");
    EXPECT_EQ(left->Settings.Font_Size, 14);

    window.Button_CancelClick();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(fontState(*left), before);
}

TEST_F(FontsWindowTest, CopyGivesTheOtherPanelTheFontButNotTheWidths)
{
    auto form = makeForm();
    form->ChangePanel(); // the right panel is active
    TFPanel* right = form->RightPanel();
    TFPanel* left = form->LeftPanel();
    left->Settings.SizeColWidth = 77;
    left->Settings.DateColWidth = 88;
    TFormSetFonts window(*form);
    prompts.fonts = { { "DejaVu Sans", 12, false } };
    window.Button_SetClick();
    window.Button_SetForClick();
    EXPECT_EQ(left->Settings.Font_Name, "DejaVu Sans");
    EXPECT_EQ(left->Settings.Font_Size, 12);
    EXPECT_EQ(left->Settings.FontSizeSetting, 12);
    EXPECT_EQ(left->FooterHeight, 48);
    EXPECT_EQ(left->Settings.SizeColWidth, 77);
    EXPECT_EQ(left->Settings.DateColWidth, 88);
    // Cancel restores the active panel only; the copy stays.
    window.Button_CancelClick();
    EXPECT_EQ(right->Settings.Font_Size, 8);
    EXPECT_EQ(left->Settings.Font_Size, 12);
}

TEST_F(FontsWindowTest, CtrlFOkKeepsTheFontAndEscRestoresIt)
{
    registerOptionsCommands();
    auto form = makeForm();
    TFPanel* left = form->LeftPanel();
    const auto before = fontState(*left);
    TFormSetFonts::ModalRunner = [&](QDialog& dialog) {
        prompts.fonts = { { "DejaVu Sans Mono", 10, false } };
        dialog.findChild<QPushButton*>("Button_Set")->click();
        dialog.reject(); // Esc or the window's close box
        return dialog.result();
    };
    form->RunCommand("ChangeFonts");
    EXPECT_EQ(fontState(*left), before);
    TFormSetFonts::ModalRunner = [&](QDialog& dialog) {
        prompts.fonts = { { "DejaVu Sans Mono", 10, false } };
        dialog.findChild<QPushButton*>("Button_Set")->click();
        dialog.findChild<QPushButton*>("Button_OK")->click();
        return dialog.result();
    };
    form->RunCommand("ChangeFonts");
    EXPECT_EQ(left->Settings.Font_Name, "DejaVu Sans Mono");
    EXPECT_EQ(left->Settings.FontSizeSetting, 10);
}
