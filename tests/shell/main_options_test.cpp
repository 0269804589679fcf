// The main options engine: what the dialog shows, and the order and the
// targets of "&OK".
#include "shell/main_options.h"

#include <gtest/gtest.h>

#include <optional>

using namespace ov;

TEST(MainOptions, OkAppliesTheLanguageFirst)
{
    // What the rest of the settings looked like when the language hook ran.
    struct Seen {
        std::string language;
        int splitter;
        bool confirmCopy;
        int columns;
        int scrollBand;
    };
    struct Row {
        const char* name;
        const char* language;
        int checked;
        const char* expected;
        bool hookRuns;
    } rows[] = {
        { "another language", "ENGLISH", 1, "RUSSIAN", true },
        { "American shares the English file but changes", "ENGLISH", 4, "AMERICAN", true },
        { "the same language stays", "POLISH", 2, "POLISH", false },
        { "an unknown language: the checked button applies", "KLINGON", 3, "ITALIAN", true },
        { "an unknown language: English checked applies too", "english", 0, "ENGLISH", true },
        { "an empty language is unknown", "", 0, "ENGLISH", true },
        { "an unknown language with nothing checked stays", "KLINGON", -1, "KLINGON", false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TMainSettings settings;
        settings.Language = row.language;
        settings.Main_Splitter = 7;
        settings.ConfirmCopy = true;
        PanelSettings panel = defaultPanelSettings(Side::Left);
        int scrollBand = 11;
        MainOptionsValues values = fillMainOptions(settings, panel, scrollBand);
        values.LanguageIndex = row.checked;
        values.Main_Splitter = 20;
        values.ConfirmCopy = false;
        values.Columns = 5;
        values.ShowScrollBar = false;
        MainOptionsTarget target;
        target.settings = &settings;
        target.panels.push_back({ &panel, &scrollBand });
        std::optional<Seen> seen;
        const bool changed = applyMainOptions(values, target, [&] {
            seen = Seen { settings.Language, settings.Main_Splitter, settings.ConfirmCopy, panel.Columns,
                scrollBand };
        });
        EXPECT_EQ(settings.Language, row.expected);
        EXPECT_EQ(changed, row.hookRuns);
        ASSERT_EQ(seen.has_value(), row.hookRuns);
        if (seen) {
            // The new language is in place; nothing else has moved yet.
            EXPECT_EQ(seen->language, row.expected);
            EXPECT_EQ(seen->splitter, 7);
            EXPECT_TRUE(seen->confirmCopy);
            EXPECT_EQ(seen->columns, 3);
            EXPECT_EQ(seen->scrollBand, 11);
        }
        // And afterwards everything has.
        EXPECT_EQ(settings.Main_Splitter, 20);
        EXPECT_FALSE(settings.ConfirmCopy);
        EXPECT_EQ(panel.Columns, 5);
        EXPECT_EQ(scrollBand, 0);
    }
}

TEST(MainOptions, PanelsPageTargetsAndScrollBand)
{
    struct Row {
        const char* name;
        bool sync;
        Side active;
        Side shown;
        bool leftChanged, rightChanged;
    } rows[] = {
        { "left active", false, Side::Left, Side::Left, true, false },
        { "right active", false, Side::Right, Side::Right, false, true },
        { "sync shows the right panel and sets both", true, Side::Left, Side::Right, true, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TMainSettings settings;
        settings.Sync_Panels = row.sync;
        EXPECT_EQ(optionsPanelSide(settings, row.active), row.shown);
        PanelSettings panels[2] = { defaultPanelSettings(Side::Left), defaultPanelSettings(Side::Right) };
        panels[1].FontSizeSetting = 14;
        int bands[2] = { 11, 11 };
        const int shown = static_cast<int>(row.shown);
        MainOptionsValues values = fillMainOptions(settings, panels[shown], bands[shown]);
        EXPECT_EQ(values.Length, row.shown == Side::Right ? 14 : 8);
        values.Length = 20;
        values.ShowHiddenFiles = false;
        values.ScrollBand = 40; // shown only
        MainOptionsTarget target;
        target.settings = &settings;
        for (const Side side : optionsTargetSides(settings, row.active))
            target.panels.push_back({ &panels[static_cast<int>(side)], &bands[static_cast<int>(side)] });
        applyMainOptions(values, target, {});
        EXPECT_EQ(panels[0].FontSizeSetting == 20, row.leftChanged);
        EXPECT_EQ(!panels[0].ShowHiddenFiles, row.leftChanged);
        EXPECT_EQ(panels[1].FontSizeSetting == 20, row.rightChanged);
        EXPECT_EQ(bands[0], 11);
        EXPECT_EQ(bands[1], 11);

        // "Show scroll bar" off gives 0 whatever the spin says.
        values.ShowScrollBar = false;
        values.ScrollBand = 11;
        applyMainOptions(values, target, {});
        EXPECT_EQ(bands[0], row.leftChanged ? 0 : 11);
        EXPECT_EQ(bands[1], row.rightChanged ? 0 : 11);
    }
}

TEST(MainOptions, FillingShowsWhatTheSpinsCanHold)
{
    TMainSettings settings;
    settings.Language = "KLINGON";
    settings.Main_Splitter = 0;
    settings.EditorType = "vi";
    PanelSettings panel = defaultPanelSettings(Side::Right); // full mode
    panel.Columns = 99;
    panel.FontSizeSetting = 200;
    MainOptionsValues v = fillMainOptions(settings, panel, 70);
    EXPECT_EQ(v.LanguageIndex, -1);
    EXPECT_EQ(v.Main_Splitter, 1);
    EXPECT_FALSE(v.BuiltInEditor);
    EXPECT_EQ(v.Columns, 12);
    EXPECT_FALSE(v.ColumnsEnabled);
    EXPECT_EQ(v.Length, 100);
    EXPECT_EQ(v.ScrollBand, 60);
    panel.ViewMode = ViewMode::Brief;
    settings.Language = "AMERICAN";
    v = fillMainOptions(settings, panel, 11);
    EXPECT_TRUE(v.ColumnsEnabled);
    EXPECT_EQ(v.LanguageIndex, 4);
    // The editor's radio buttons give back "int" or "ext".
    MainOptionsTarget target;
    target.settings = &settings;
    v.BuiltInEditor = false;
    applyMainOptions(v, target, {});
    EXPECT_EQ(settings.EditorType, "ext");
    v.BuiltInEditor = true;
    applyMainOptions(v, target, {});
    EXPECT_EQ(settings.EditorType, "int");
}
