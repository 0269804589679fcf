#include "tools/format_commands.h"

#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/format_component.h"
#include "tools/format_window.h"

namespace ov {

void registerFormatCommands()
{
    registerCommand("FormatFloppy", [](TForm1& form) {
        FormatWindowShell shell(form.Language());
        TFormat component(shell, &form);
        component.FormatType = TFmtType::fmtFull;
        component.Execute();
    });
}

} // namespace ov
