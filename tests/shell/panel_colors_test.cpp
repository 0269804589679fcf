// The colours dialog's engine: the slots' fields, the colour choice of a
// slot through the prompt service (cancel, system colours) and the copy to
// the other panel.
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "shell/panel_colors.h"

#include <gtest/gtest.h>

#include <optional>

using namespace ov;

namespace {

// A panel whose ten slot colours are all different.
PanelSettings distinctPanel()
{
    PanelSettings panel = defaultPanelSettings(Side::Left);
    PanelColors colors;
    for (int i = 0; i < ColorSlotCount; ++i)
        colors[static_cast<size_t>(i)] = 0x010101 * (i + 1);
    setPanelColors(panel, colors);
    return panel;
}

} // namespace

TEST(PanelColors, SlotsEditTheirPanelColours)
{
    const PanelSettings panel = distinctPanel();
    struct Row {
        int slot;
        int32_t PanelSettings::*field;
        int markerX, markerY;
    } rows[] = {
        { 0, &PanelSettings::PanelFon, 100, 100 },
        { 1, &PanelSettings::LineColor, 5, 150 },
        { 2, &PanelSettings::LineColorSlave, 140, 150 },
        { 3, &PanelSettings::PathColor, 114, 10 },
        { 4, &PanelSettings::SysTextColor, 107, 220 },
        { 5, &PanelSettings::SizeInfoColor, 132, 205 },
        { 6, &PanelSettings::PanelSelectFon, 110, 70 },
        { 7, &PanelSettings::DirectoryColor, 50, 40 },
        { 8, &PanelSettings::FileColor, 67, 102 },
        { 9, &PanelSettings::FileSelectColor, 60, 117 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot);
        EXPECT_EQ(panel.*row.field, 0x010101 * (row.slot + 1));
        EXPECT_EQ(ColorSlots[static_cast<size_t>(row.slot)].markerX, row.markerX);
        EXPECT_EQ(ColorSlots[static_cast<size_t>(row.slot)].markerY, row.markerY);
    }
    EXPECT_STREQ(ColorSlots[1].text, "Vertical and horyzontal lines");
    // Colours outside the ten are not the dialog's.
    const PanelSettings defaults = defaultPanelSettings(Side::Left);
    EXPECT_EQ(panel.DirectorySelectColor, defaults.DirectorySelectColor);
    EXPECT_EQ(panel.SysInfoText, defaults.SysInfoText);
}

TEST(PanelColors, ChoiceStartsFromTheAppliedColour)
{
    const int32_t buttonFace = systemColorValue(clBtnFace);
    ASSERT_EQ(buttonFace, -2147483633);
    struct Row {
        const char* name;
        int slot;
        int32_t applied;
        std::optional<int32_t> answer; // none: the dialog is cancelled
        int32_t expected;
    } rows[] = {
        { "a chosen colour", 7, 0xFFFFFF, 0x0000FF, 0x0000FF },
        { "cancel puts the applied colour back", 0, 0x800000, std::nullopt, 0x800000 },
        { "a system colour kept on cancel", 2, buttonFace, std::nullopt, buttonFace },
        { "a system colour replaced", 2, buttonFace, 0x00FF00, 0x00FF00 },
        { "black is a colour like any other", 9, 0x00FFFF, 0, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedPrompts prompts;
        setPrompts(&prompts);
        PanelSettings applied = defaultPanelSettings(Side::Right);
        applied.*ColorSlots[static_cast<size_t>(row.slot)].field = row.applied;
        PanelColors working = panelColors(applied);
        // The working colour differs from the applied one before the choice.
        working[static_cast<size_t>(row.slot)] = 0x123456;
        if (row.answer)
            prompts.colors.push_back(*row.answer);
        EXPECT_TRUE(chooseSlotColor(applied, row.slot, working));
        EXPECT_EQ(working[static_cast<size_t>(row.slot)], row.expected);
        ASSERT_EQ(prompts.asked.size(), 1u);
        // The dialog opened on the applied colour, not the working one.
        EXPECT_EQ(prompts.asked[0].text, std::to_string(row.applied));
        // The panel itself is not touched.
        EXPECT_EQ(applied.*ColorSlots[static_cast<size_t>(row.slot)].field, row.applied);
        setPrompts(nullptr);
    }
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    PanelColors working {};
    const PanelSettings applied = distinctPanel();
    EXPECT_FALSE(chooseSlotColor(applied, -1, working));
    EXPECT_FALSE(chooseSlotColor(applied, ColorSlotCount, working));
    EXPECT_TRUE(prompts.asked.empty());
    setPrompts(nullptr);
}

TEST(PanelColors, CopyGivesTheOtherPanelTheTenColours)
{
    const PanelSettings from = distinctPanel();
    PanelSettings to = defaultPanelSettings(Side::Right);
    to.DirectorySelectColor = 0x445566;
    to.Font_Name = "Courier New";
    copyPanelColors(from, to);
    EXPECT_EQ(panelColors(to), panelColors(from));
    EXPECT_EQ(to.DirectorySelectColor, 0x445566);
    EXPECT_EQ(to.Font_Name, "Courier New");
}
