#include "tools/life_commands.h"

#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/life_window.h"

#include <QPointer>

namespace ov {

void registerLifeCommands()
{
    // Made on first use and shown again while it is open; closing frees it,
    // so the next use makes a new one.
    registerCommand("Life", [](TForm1& form) {
        static QPointer<TFormLife> window;
        if (!window) {
            window = new TFormLife(form.Language(), nullptr, &form);
            window->setWindowFlag(Qt::Window);
        }
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
}

} // namespace ov
