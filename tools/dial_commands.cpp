#include "tools/dial_commands.h"

#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/dial_nm_backend.h"
#include "tools/dial_window.h"

#include <QPointer>

namespace ov {

void registerDialCommands()
{
    // Made on first use and shown again while it is open; its options come
    // from the settings and go back there when it closes.
    registerCommand("Dialer", [](TForm1& form) {
        static NetworkManagerBackend backend;
        static QPointer<TFormDialUp> window;
        if (!window) {
            TMainSettings& settings = form.MainSettings;
            const DialOptions options { settings.Redial, settings.CloseOnConnect, settings.CloseOnBusy,
                settings.RedialTime };
            window = new TFormDialUp(backend, form.Language(), settings.Language, options, &form);
            window->OnClosed = [&settings](const DialOptions& closed) {
                settings.Redial = closed.Redial;
                settings.CloseOnConnect = closed.CloseOnConnect;
                settings.CloseOnBusy = closed.CloseOnBusy;
                settings.RedialTime = closed.RedialTime;
            };
        }
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
}

} // namespace ov
