#include "fileops/find_and_drive_commands.h"

#include "fileops/drive_window.h"
#include "fileops/find_window.h"
#include "fileops/form_host.h"
#include "fileops/info_window.h"
#include "shell/commands.h"
#include "shell/main_window.h"

namespace ov {

void registerFindAndDriveCommands()
{
    // Made now and kept, with its mask history and its last results.
    TFormFind::instance();
    registerCommand("FindFile", [](TForm1& form) {
        FormHost host(form);
        TFormFind& window = TFormFind::instance();
        window.OnView = [&form](const std::string& path) {
            if (const FileHandler* view = CommandRegistry::instance().findFileHandler("ViewText"))
                (*view)(form, path);
        };
        window.Execute(host);
        window.OnView = nullptr;
    });
    // Alt+F1, Alt+F2 and a right click on a panel's header name the panel
    // in DriveDialogSide.
    const auto chooseDrive = [](TForm1& form) {
        FormHost host(form);
        TFormDrive::Execute(
            host, form.DriveDialogSide == form.ActiveSide ? PanelSide::Active : PanelSide::Other);
    };
    registerCommand("DriveDialog", chooseDrive);
    registerCommand("DriveDialogModal", chooseDrive);
    registerCommand("SystemInfo", [](TForm1& form) {
        FormHost host(form);
        TFormInfo::Execute(host);
    });
}

} // namespace ov
