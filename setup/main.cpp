// ov_setup: installs Orvanta from the payload data.res into a folder the
// user picks, records the folder, makes the menu entries and can start ov.
// The payload is taken from the current folder, else from the program's own.
// Music.wav beside the program (or the payload) greets the user at start.
#include "platform/folders.h"
#include "platform/qt_prompts.h"
#include "setup/installer.h"
#include "setup/setup_form.h"
#include "setup/startup_sound.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvanta Setup");
    ov::QtPrompts prompts;
    ov::setPrompts(&prompts);
    const std::string payload = ov::findPayload(QDir::currentPath().toStdString(), ov::executableFolder());
    // The greeting plays while the window opens; without it, silence.
    ov::StartupSound sound;
    if (const std::string music = ov::startupSoundFile(ov::executableFolder(), payload); !music.empty())
        sound.play(music);
    ov::setup::TForm1 form(payload);
    prompts.setParent(&form);
    form.show();
    const int status = application.exec();
    ov::setPrompts(nullptr);
    return status;
}
