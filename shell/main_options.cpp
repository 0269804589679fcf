#include "shell/main_options.h"

#include <algorithm>

namespace ov {

int optionLanguageIndex(const std::string& language)
{
    for (size_t i = 0; i < OptionLanguages.size(); ++i)
        if (language == OptionLanguages[i])
            return static_cast<int>(i);
    return -1;
}

Side optionsPanelSide(const TMainSettings& settings, Side active)
{
    return settings.Sync_Panels ? Side::Right : active;
}

std::vector<Side> optionsTargetSides(const TMainSettings& settings, Side active)
{
    if (settings.Sync_Panels)
        return { Side::Right, Side::Left };
    return { active };
}

MainOptionsValues fillMainOptions(const TMainSettings& settings, const PanelSettings& panel, int scrollBand)
{
    MainOptionsValues v;
    v.LanguageIndex = optionLanguageIndex(settings.Language);
    v.Main_Splitter = std::clamp(settings.Main_Splitter, SplitterMin, SplitterMax);
    v.SysTrayIcon = settings.SysTrayIcon;
    v.SysCopy = settings.SysCopy;
    v.DelToRecycle = settings.DelToRecycle;
    v.OnTop = settings.OnTop;
    v.BuiltInEditor = settings.EditorType == "int";
    v.EditorName = settings.EditorName;
    v.OldDrag = settings.OldDrag;
    v.AutoSave = settings.AutoSave;
    v.Columns = std::clamp(panel.Columns, ColumnsMin, ColumnsMax);
    v.ColumnsEnabled = panel.ViewMode != ViewMode::Full;
    v.Length = std::clamp(panel.FontSizeSetting, LengthMin, LengthMax);
    v.ScrollBand = std::clamp(scrollBand, ScrollBandMin, ScrollBandMax);
    v.ShowFreeDisk = panel.ShowFreeDisk;
    v.ShowFileName = panel.ShowFileName;
    v.ShowFileSize = panel.ShowFileSize;
    v.ShowFileDate = panel.ShowFileDate;
    v.ShowCurDir = panel.ShowCurDir;
    v.ShowHiddenFiles = panel.ShowHiddenFiles;
    v.ShowFileColors = panel.ShowFileColors;
    v.ShowScrollBar = panel.ShowScrollBar;
    v.ExecFirst = panel.ExecFirst;
    v.ConfirmCopy = settings.ConfirmCopy;
    v.ConfirmMove = settings.ConfirmMove;
    v.ConfirmDelete = settings.ConfirmDelete;
    v.ConfirmExit = settings.ConfirmExit;
    return v;
}

bool applyMainOptions(
    const MainOptionsValues& values, MainOptionsTarget& target, const std::function<void()>& onLanguage)
{
    TMainSettings& s = *target.settings;
    // 1. The language, before anything else.
    bool languageChanged = false;
    if (values.LanguageIndex >= 0 && values.LanguageIndex < static_cast<int>(OptionLanguages.size())
        && optionLanguageIndex(s.Language) != values.LanguageIndex) {
        s.Language = OptionLanguages[static_cast<size_t>(values.LanguageIndex)];
        languageChanged = true;
        if (onLanguage)
            onLanguage();
    }
    // 2. The Main page.
    s.Main_Splitter = std::clamp(values.Main_Splitter, SplitterMin, SplitterMax);
    s.OnTop = values.OnTop;
    s.SysTrayIcon = values.SysTrayIcon;
    s.DelToRecycle = values.DelToRecycle;
    s.SysCopy = values.SysCopy;
    s.OldDrag = values.OldDrag;
    s.AutoSave = values.AutoSave;
    s.EditorType = values.BuiltInEditor ? "int" : "ext";
    s.EditorName = values.EditorName;
    // 3. The Panels page.
    for (MainOptionsTarget::Panel& panel : target.panels) {
        PanelSettings& p = *panel.settings;
        p.Columns = std::clamp(values.Columns, ColumnsMin, ColumnsMax);
        p.FontSizeSetting = std::clamp(values.Length, LengthMin, LengthMax);
        p.ShowFreeDisk = values.ShowFreeDisk;
        p.ShowFileName = values.ShowFileName;
        p.ShowFileSize = values.ShowFileSize;
        p.ShowFileDate = values.ShowFileDate;
        p.ShowCurDir = values.ShowCurDir;
        p.ShowHiddenFiles = values.ShowHiddenFiles;
        p.ShowFileColors = values.ShowFileColors;
        p.ShowScrollBar = values.ShowScrollBar;
        p.ExecFirst = values.ExecFirst;
        if (panel.scrollBand)
            *panel.scrollBand = values.ShowScrollBar ? 11 : 0;
    }
    // 4. The confirmations.
    s.ConfirmCopy = values.ConfirmCopy;
    s.ConfirmMove = values.ConfirmMove;
    s.ConfirmDelete = values.ConfirmDelete;
    s.ConfirmExit = values.ConfirmExit;
    return languageChanged;
}

} // namespace ov
