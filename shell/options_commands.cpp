#include "shell/options_commands.h"

#include "shell/colors_window.h"
#include "shell/commands.h"
#include "shell/fonts_window.h"
#include "shell/options_window.h"

namespace ov {

void registerOptionsCommands()
{
    registerCommand("MainOptions", [](TForm1& form) { TFormMainParam::Execute(form); });
    registerCommand("SetColors", [](TForm1& form) { TFormSetColors::Execute(form); });
    registerCommand("ChangeFonts", [](TForm1& form) { TFormSetFonts::Execute(form); });
}

} // namespace ov
