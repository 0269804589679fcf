#include "shell/user_menu_commands.h"

#include "shell/about_window.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/menu_window.h"

namespace ov {

void registerShellWindowCommands()
{
    registerCommand("UserMenu", [](TForm1& form) {
        TFormMenu::Execute(form.Language(), form.MainSettings.Language, form.ProgramFolder, &form);
    });
    registerCommand("About",
        [](TForm1& form) { TAboutForm::Execute(form.Language(), form.MainSettings.Language, &form); });
}

} // namespace ov
