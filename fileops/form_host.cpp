#include "fileops/form_host.h"

#include "fileops/sort_window.h"
#include "platform/drives.h"
#include "shell/main_window.h"

namespace ov {

FormHost::FormHost(TForm1& form)
    : m_form(form)
{
}

TBrowser& FormHost::List(PanelSide side)
{
    return panel(side)->Browser;
}

int FormHost::CurrentIndex(PanelSide side)
{
    return panel(side)->CurrentIndex();
}

void FormHost::SetCursorIndex(PanelSide side, int index)
{
    panel(side)->SetCursorIndex(index);
}

TMainSettings& FormHost::Settings()
{
    return m_form.MainSettings;
}

const IniFile& FormHost::Language()
{
    return m_form.Language();
}

void FormHost::Update_AllPanels()
{
    m_form.Update_AllPanels();
}

QWidget* FormHost::Owner()
{
    return &m_form;
}

void FormHost::RepaintPanels()
{
    for (TFPanel* shown : { m_form.LeftPanel(), m_form.RightPanel() })
        shown->Layout();
}

bool FormHost::ActiveIsLeft()
{
    return m_form.ActivePanel() == m_form.LeftPanel();
}

QRect FormHost::PanelRect(PanelSide side)
{
    TFPanel* shown = panel(side);
    return QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size());
}

int FormHost::PanelFontSize()
{
    return m_form.ActivePanel()->Settings.Font_Size;
}

void FormHost::SetSortMode(PanelSide side, int mode)
{
    panel(side)->Browser.SortMode = mode;
    panel(side)->Settings.SortSetting = TFormSort::SettingOfMode(mode);
}

void FormHost::OpenFolder(PanelSide side, const std::string& path)
{
    TFPanel* shown = panel(side);
    PanelSettings& settings = shown->Settings;
    settings.Path = path;
    if (settings.ViewMode == ViewMode::Information || settings.ViewMode == ViewMode::QuickView) {
        settings.ViewMode = ViewMode::Brief;
        settings.Columns = 3;
    }
    shown->ReadFolder();
    // The main window shows the new folder before its command line.
    if (shown->OnChangeFolder)
        shown->OnChangeFolder(shown, shown->PanelName);
}

void FormHost::EnterArchive(PanelSide side, const std::string& archive, const std::string& folder)
{
    TFPanel* shown = panel(side);
    shown->Browser.PushDisk(archive, DiskKind::Archive, folder);
    if (shown->Browser.DiskKind == DiskKind::Archive) {
        // The header names the kind as Enter on the archive does.
        const std::size_t dot = archive.rfind('.');
        shown->ArchiveType = dot == std::string::npos ? std::string() : upperAscii(archive.substr(dot + 1));
    }
    shown->SetCursorIndex(1);
}

TFPanel* FormHost::panel(PanelSide side) const
{
    return side == PanelSide::Active ? m_form.ActivePanel() : m_form.OtherPanel();
}

} // namespace ov
