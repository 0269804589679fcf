#include "tools/video_commands.h"

#include "platform/display_modes.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/video_window.h"

namespace ov {

void registerVideoCommands()
{
    registerCommand("VideoMode", [](TForm1& form) {
        XrandrModes display;
        TFormVideo window(display, form.Language(), form.MainSettings.Language, &form);
        window.exec();
    });
}

} // namespace ov
