// The help and information commands; see help_commands.h.
#include "tools/help_commands.h"

#include "platform/folders.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tools/help_topics.h"
#include "tools/help_window.h"
#include "tools/info_window.h"

#include <QPointer>

namespace ov {

namespace {

// The one help viewer: a window of its own (with its own task-bar
// button), deleted with the main window that made it.
QPointer<TFormHlp>& theHelpWindow()
{
    static QPointer<TFormHlp> window;
    return window;
}

} // namespace

TFormHlp* helpWindow()
{
    return theHelpWindow().data();
}

void registerHelpCommands()
{
    registerCommand("Help", [](TForm1& form) {
        QPointer<TFormHlp>& window = theHelpWindow();
        if (!window) {
            window = new TFormHlp(chooseHelpFolder(form.ProgramFolder, dataFolders()));
            // Closing the main window still ends the program while help is open.
            window->setAttribute(Qt::WA_QuitOnClose, false);
            TFormHlp* made = window.data();
            QObject::connect(&form, &QObject::destroyed, made, [made] { delete made; });
        }
        window->setGeometry(form.geometry());
        window->show();
        window->raise();
        window->activateWindow();
    });
    registerCommand("Information", [](TForm1& form) {
        const bool english = form.MainSettings.Language == "ENGLISH";
        std::string caption = "Information";
        if (!english) {
            const std::string translated = form.Language().readString("MainMenu", "OV_Info", "");
            if (!translated.empty())
                caption = translated;
        }
        TFormHelp window(caption, &form);
        window.OnAbout = [&form] { form.RunCommand("About"); };
        window.exec();
    });
}

} // namespace ov
