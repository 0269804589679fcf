#include "viewers/resource_commands.h"

#include "panel/fpanel.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/language_file.h"
#include "shell/main_window.h"

#include <QPointer>

#include <algorithm>
#include <iterator>

namespace ov {

TResourceTexts resourceExplorerTexts(const IniFile& language, const std::string& languageName)
{
    TResourceTexts texts;
    texts.english = languageName == "ENGLISH";
    if (texts.english)
        return texts;
    const auto key
        = [&language](const char* name) { return windowText(language, "Resource Explorer", name); };
    texts.Menu_File = key("Menu_File");
    texts.Menu_File_Save = key("Menu_File_Save");
    texts.Menu_File_Exit = key("Menu_File_Exit");
    texts.Menu_Service = key("Menu_Service");
    texts.Menu_Service_Expand = key("Menu_Service_Expand");
    texts.Menu_Service_Collaps = key("Menu_Service_Collaps");
    texts.Large_Icons = key("Large_Icons");
    texts.Small_Icons = key("Small_Icons");
    texts.List = key("List");
    texts.Table = key("Table");
    texts.Name = key("Name");
    texts.OffSet = key("OffSet");
    texts.Size = key("Size");
    texts.Objects = key("Objects");
    return texts;
}

void registerResourceExplorerCommands()
{
    registerCommand("ResourceExplorer", [](TForm1& form) {
        static const std::string types[] = { ".exe", ".dll", ".cpl", ".dpl", ".bpl" };
        TFPanel* panel = form.ActivePanel();
        if (std::find(std::begin(types), std::end(types), lowerExtension(panel->CurrentName))
            == std::end(types)) {
            messageBox(
                form.LangTexts.ResExplorer_Error_OnStart, TForm1::ProductName, Buttons::Ok, Icon::Error);
            return;
        }
        // One window for the whole run, with its own task-bar button; it
        // goes when the main window does.
        static QPointer<TFormResource> window;
        if (!window) {
            window = new TFormResource(nullptr);
            QObject::connect(&form, &QObject::destroyed, window, [] { delete window.data(); });
        }
        window->ApplyTexts(resourceExplorerTexts(form.Language(), form.MainSettings.Language));
        window->setGeometry(form.geometry());
        window->show();
        window->raise();
        const std::string windowsPath = panel->Browser.CurrentFolder() + panel->CurrentName;
        const auto host = DriveTable::instance().toHost(windowsPath);
        window->SetFile(host ? *host : windowsPath);
    });
}

} // namespace ov
