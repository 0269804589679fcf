#include "shell/options_commands.h"

#include "shell/commands.h"
#include "shell/options_window.h"

namespace ov {

void registerOptionsCommands()
{
    registerCommand("MainOptions", [](TForm1& form) { TFormMainParam::Execute(form); });
}

} // namespace ov
