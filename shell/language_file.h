// Language files: which file a language name opens, how its bytes become
// text, and the texts the main window copies out for other code.
//
// A language file is an INI file in the program folder. Files are UTF-8; a
// file that is not valid UTF-8 is an older one in its language's Windows
// code page (windows-1251 Russian, windows-1250 Polish, windows-1252 the
// others) and is decoded from that. A language name outside the five known
// ones, like a missing file, gives an empty file: every read falls back to
// its default.
#pragma once

#include "platform/ini_file.h"

#include <string>
#include <string_view>

namespace ov {

// "ov_eng.ini" for ENGLISH and AMERICAN, "ov_rus.ini", "ov_pol.ini",
// "ov_ita.ini"; "" for any other name.
std::string languageFileName(const std::string& language);
// The code page of a language's older files ("windows-1251" ...).
const char* languageCodePage(const std::string& language);
// The file's bytes as UTF-8 text: as they are when valid UTF-8 (a leading
// byte-order mark dropped), else decoded from the language's code page.
std::string decodeLanguageText(std::string_view bytes, const std::string& language);
// Opens the language file of a language in folder (host path). found is
// false when there was no file to read (missing, unreadable, or unknown name).
IniFile openLanguageFile(const std::string& folder, const std::string& language, bool* found = nullptr);

// The texts of windows other than the main window when a key is missing.
inline constexpr const char* MissingText = "Error loading resource";
// A key of a window section, "Error loading resource" when missing.
std::string windowText(const IniFile& language, std::string_view section, std::string_view key);
// For the windows that keep their built-in captions in English: the built-in
// text when language is "ENGLISH", else the key (with the same fallback as
// windowText, or fallback when given).
std::string notEnglishText(const IniFile& file, const std::string& language, std::string_view section,
    std::string_view key, const std::string& builtIn);

// The texts the main window takes from the language file for other code.
// Each is empty when the file lacks its key.
struct TLangTexts {
    // [SysInfoPanel]
    std::string TotalDriveSize, FreeSpace, TotalMemory, SwapFileNotFind, SwapFile, MemoryLoad, DriveName,
        SerialNum;
    // [Rename]
    std::string Rename_Caption, Rename_Button_Ok, Rename_Button_Cancel, Rename_Label_Comm, Rename_Label_To;
    // [FilePanel]
    std::string Panel_Folder, Panel_File, Panel_bytes, Panel_in, Panel_files, Panel_FreeSpace;
    // [Errors]
    std::string DriveNotReady;
    // [Resource Explorer]
    std::string ResExplorer_Error_OnStart;
    // [Questions]
    std::string Question_Exit;
    // [Messages]
    std::string SaveConfig;
};

// Reads the LangTexts fields in the order of their sections.
void readLangTexts(const IniFile& file, TLangTexts& texts);

} // namespace ov
