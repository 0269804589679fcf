// Gives the main window its text viewer (F3) and editor (F4): one TFormEdit,
// created on first use and kept.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "platform/ini_file.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "viewers/edit_window.h"

#include <QPointer>

#include <cctype>
#include <cstdint>
#include <filesystem>

namespace ov {

namespace {

constexpr std::uintmax_t bigEditLimit = 64u << 20;

// "ENGLISH" -> "eng", as the code pages name languages.
std::string languageCode(const std::string& language)
{
    std::string code;
    for (const char c : language.substr(0, 3))
        code += char(std::tolower(static_cast<unsigned char>(c)));
    return code;
}

void openText(TForm1& form, const std::string& windowsPath, bool readOnly)
{
    static QPointer<TFormEdit> window;
    if (!window) {
        window = new TFormEdit([&form]() -> const IniFile& { return form.Language(); },
            languageCode(form.MainSettings.Language), &form);
        window->setWindowFlag(Qt::Window);
        // The appearance lives in ov.ini of the Windows folder.
        const std::string iniPath = windowsFolder() + "/ov.ini";
        window->LoadAppearance(IniFile(iniPath));
        window->Closed = [iniPath](TFormEdit& closed) {
            IniFile ini(iniPath);
            closed.SaveAppearance(ini);
        };
    }
    const auto host = DriveTable::instance().toHost(windowsPath);
    const std::string hostPath = host ? *host : windowsPath;
    // Editing holds about twelve times the file in memory: ask first.
    std::error_code error;
    const auto size = std::filesystem::file_size(hostPath, error);
    if (!readOnly && !error && size > bigEditLimit) {
        const std::string question
            = form.Language().readString("Editor", "Question_BigFile", "Error loading resource");
        if (prompts().ask({ question, windowsPath, Buttons::YesNo, Icon::Warning }) != Answer::Yes)
            return;
    }
    window->setGeometry(form.geometry());
    if (!window->Open(hostPath, form.ShownName(windowsPath), readOnly))
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace

void registerEditorCommands()
{
    registerFileHandler(
        "ViewText", [](TForm1& form, const std::string& path) { openText(form, path, true); });
    registerFileHandler(
        "EditText", [](TForm1& form, const std::string& path) { openText(form, path, false); });
}

} // namespace ov
