#include "media/cd_commands.h"

#include "media/cd_window.h"
#include "shell/commands.h"
#include "shell/main_window.h"

#include <QTimer>

namespace ov {

void registerCdCommands()
{
    // A window and a device per use: the display timer runs while the
    // window is shown modally; the sound stops when it closes.
    registerCommand("CDPlayer", [](TForm1& form) {
        CdioDevice device;
        auto* window = new TFormCdPlay(device, form.Language(), form.MainSettings.Language, &form);
        window->Timer1->start();
        window->exec();
        device.stop();
        delete window;
    });
}

} // namespace ov
