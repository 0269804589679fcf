#include "tools/tetris_commands.h"

#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/tetris_window.h"

#include <QPointer>

namespace ov {

void registerTetrisCommands()
{
    // Made on first use and shown again while it is open; closing frees it,
    // so the next use makes a new one (and its set-up runs again).
    registerCommand("Tetris", [](TForm1& form) {
        static QPointer<TTetro1> window;
        if (!window) {
            window = new TTetro1(form.Language(), form.MainSettings.Language, nullptr, &form);
            window->setWindowFlag(Qt::Window);
        }
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
}

} // namespace ov
