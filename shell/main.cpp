// ov: the two-panel file manager. Takes no arguments.
//
// ORVANTA_SCREENSHOT=file.png makes the program save a picture of its main
// window once it has drawn, and quit (used by scripts/run on machines without
// a display).
#include "platform/process_messages.h"
#include "platform/qt_prompts.h"
#include "shell/main_window.h"
#include "shell/options_commands.h"
#include "shell/user_menu_commands.h"

#ifdef OV_HAVE_FILEOPS
#include "fileops/extract_window.h"
#include "fileops/find_and_drive_commands.h"
#include "fileops/form_host.h"
#include "fileops/main_window_commands.h"
#endif

#ifdef OV_HAVE_VIEWERS
#include "viewers/clipboard_commands.h"
#include "viewers/picture_viewer_commands.h"
#include "viewers/resource_commands.h"
#endif
#ifdef OV_HAVE_EDITOR
#include "viewers/edit_window.h"
#endif
#ifdef OV_HAVE_HELP
#include "tools/help_commands.h"
#endif
#ifdef OV_HAVE_DIALER
#include "tools/dial_commands.h"
#endif
#ifdef OV_HAVE_GAMES
#include "tools/life_commands.h"
#include "tools/tetris_commands.h"
#endif
#ifdef OV_HAVE_ARC_DISK
#include "panel/arc_disk.h"
#endif
#ifdef OV_HAVE_MUSIC
#include "media/music_commands.h"
#endif
#ifdef OV_HAVE_CD
#include "media/cd_commands.h"
#endif
#ifdef OV_HAVE_FORMAT
#include "tools/format_commands.h"
#endif
#ifdef OV_HAVE_VIDEO
#include "tools/video_commands.h"
#endif

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ov::setProcessMessagesHook([] { QCoreApplication::processEvents(); });
    ov::QtPrompts prompts;
    ov::setPrompts(&prompts);

    ov::registerShellWindowCommands();
    ov::registerOptionsCommands();
#ifdef OV_HAVE_FILEOPS
    ov::registerFileOpsCommands();
    ov::registerFindAndDriveCommands();
#endif
#ifdef OV_HAVE_VIEWERS
    ov::registerPictureViewerCommands();
    ov::registerClipboardCommands();
    ov::registerResourceExplorerCommands();
#endif
#ifdef OV_HAVE_EDITOR
    ov::registerEditorCommands();
#endif
#ifdef OV_HAVE_HELP
    ov::registerHelpCommands();
#endif
#ifdef OV_HAVE_DIALER
    ov::registerDialCommands();
#endif
#ifdef OV_HAVE_GAMES
    ov::registerLifeCommands();
    ov::registerTetrisCommands();
#endif
#ifdef OV_HAVE_ARC_DISK
    ov::installArchiveDiskForPanels();
#endif
#ifdef OV_HAVE_MUSIC
    ov::registerMusicCommands();
#endif
#ifdef OV_HAVE_CD
    ov::registerCdCommands();
#endif
#ifdef OV_HAVE_FORMAT
    ov::registerFormatCommands();
#endif
#ifdef OV_HAVE_VIDEO
    ov::registerVideoCommands();
#endif
    ov::TForm1 form;
#ifdef OV_HAVE_FILEOPS
    ov::installSlowMemberWindow([&form] { return std::make_unique<ov::FormHost>(form); });
#endif
#ifdef OV_HAVE_MUSIC
    ov::attachMusic(form);
#endif
    prompts.setParent(&form);
    form.show();

    if (const char* shot = std::getenv("ORVANTA_SCREENSHOT"); shot && *shot) {
        const QString path = QString::fromLocal8Bit(shot);
        QTimer::singleShot(1500, &form, [&form, path] {
            const bool saved = form.grab().save(path);
            std::fprintf(
                stderr, saved ? "ov: screenshot saved to %s\n" : "ov: could not save %s\n", qPrintable(path));
            form.MainSettings.AutoSave = false;
            form.MainSettings.ConfirmExit = false;
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    const int status = app.exec();
    ov::setPrompts(nullptr);
    return status;
}
