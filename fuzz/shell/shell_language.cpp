// A language file or ov.ini on arbitrary bytes. The first byte picks the
// language whose code page decodes a file that is not UTF-8; the rest is the
// file. Decoding must give valid UTF-8, and every reader of the main window
// must take the text without crashing: the language texts, the global and
// other sections, both panel sections with their load rules.
#include "platform/ini_file.h"
#include "shell/command_line.h"
#include "shell/language_file.h"
#include "shell/settings_file.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const languages[] = { "ENGLISH", "AMERICAN", "RUSSIAN", "POLISH", "ITALIAN", "OTHER" };
    const std::string language = languages[data[0] % 6];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string text = ov::decodeLanguageText(bytes, language);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString checked
        = utf8(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (utf8.hasError())
        __builtin_trap();

    const ov::IniFile file = ov::IniFile::fromText(text);
    ov::TLangTexts texts;
    ov::readLangTexts(file, texts);
    ov::windowText(file, "Editor", "Menu_File");
    ov::notEnglishText(file, language, "Calculator", "Caption", "Calculator");

    ov::TMainSettings settings;
    ov::ViewMode leftMode = ov::ViewMode::Brief;
    ov::ViewMode rightMode = ov::ViewMode::Full;
    ov::readGlobalSection(file, settings, leftMode, rightMode);
    const auto named
        = [](ov::ViewMode mode) { return ov::storedNumber(mode) >= 1 && ov::storedNumber(mode) <= 4; };
    if (!named(leftMode) || !named(rightMode)
        || (leftMode == ov::ViewMode::Information && rightMode == ov::ViewMode::Information))
        __builtin_trap();
    ov::readOtherSections(file, settings);
    for (const char* section : { "Panel_Left", "Panel_Right" }) {
        ov::PanelSettings panel;
        panel.ViewMode = section[6] == 'L' ? leftMode : rightMode;
        ov::readPanelSection(file, section, panel);
        if (panel.Width < 0 || panel.NameColWidth < 0 || panel.NameColWidth > std::max(panel.Width - 30, 0)
            || (panel.ViewMode == ov::ViewMode::Full && panel.Columns != 1))
            __builtin_trap();
    }
    // The command-line algorithms over the first value of the file.
    const std::string line = file.readString("HotButtons", "Menu", text.substr(0, 64));
    ov::deleteLastWord(line);
    ov::fileActionFor(line);
    return 0;
}
