#include "viewers/clipboard_commands.h"

#include "shell/commands.h"
#include "shell/language_file.h"
#include "shell/main_window.h"
#include "viewers/clipboard_viewer.h"

namespace ov {

void registerClipboardCommands()
{
    registerCommand("Clipboard", [](TForm1& form) {
        TMainSettings& settings = form.MainSettings;
        const std::string caption
            = notEnglishText(form.Language(), settings.Language, "Clipboard", "Caption", "Clipboard viewer");
        ClipboardBounds bounds { settings.Clipboard_Left, settings.Clipboard_Top, settings.Clipboard_Width,
            settings.Clipboard_Height };
        TFormClip::Execute(caption, bounds, &form);
        settings.Clipboard_Left = bounds.left;
        settings.Clipboard_Top = bounds.top;
        settings.Clipboard_Width = bounds.width;
        settings.Clipboard_Height = bounds.height;
    });
}

} // namespace ov
