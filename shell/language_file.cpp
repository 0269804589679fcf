// Language files: names, decoding and the texts copied for other code.
#include "shell/language_file.h"

#include <QByteArray>
#include <QStringDecoder>

#include <fstream>
#include <iterator>

namespace ov {

std::string languageFileName(const std::string& language)
{
    if (language == "ENGLISH" || language == "AMERICAN")
        return "ov_eng.ini";
    if (language == "RUSSIAN")
        return "ov_rus.ini";
    if (language == "POLISH")
        return "ov_pol.ini";
    if (language == "ITALIAN")
        return "ov_ita.ini";
    return {};
}

const char* languageCodePage(const std::string& language)
{
    if (language == "RUSSIAN")
        return "windows-1251";
    if (language == "POLISH")
        return "windows-1250";
    return "windows-1252";
}

std::string decodeLanguageText(std::string_view bytes, const std::string& language)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString checked = utf8(raw);
    if (!utf8.hasError())
        return std::string(bytes);
    QStringDecoder legacy(languageCodePage(language), QStringDecoder::Flag::Stateless);
    if (!legacy.isValid()) {
        // Without the code page in this Qt, Latin-1 keeps every byte as one
        // character rather than losing the file.
        return QString::fromLatin1(raw).toStdString();
    }
    const QString text = legacy(raw);
    return text.toStdString();
}

IniFile openLanguageFile(const std::string& folder, const std::string& language, bool* found)
{
    if (found)
        *found = false;
    const std::string name = languageFileName(language);
    if (name.empty())
        return IniFile::fromText("");
    std::ifstream in(folder + "/" + name, std::ios::binary);
    if (!in)
        return IniFile::fromText("");
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (found)
        *found = true;
    return IniFile::fromText(decodeLanguageText(bytes, language));
}

std::string windowText(const IniFile& language, std::string_view section, std::string_view key)
{
    return language.readString(section, key, MissingText);
}

std::string notEnglishText(const IniFile& file, const std::string& language, std::string_view section,
    std::string_view key, const std::string& builtIn)
{
    if (language == "ENGLISH")
        return builtIn;
    return windowText(file, section, key);
}

void readLangTexts(const IniFile& file, TLangTexts& t)
{
    const auto read = [&](const char* section, const char* key) { return file.readString(section, key, ""); };
    t.TotalDriveSize = read("SysInfoPanel", "TotalDriveSize");
    t.FreeSpace = read("SysInfoPanel", "FreeSpace");
    t.TotalMemory = read("SysInfoPanel", "TotalMemory");
    t.SwapFileNotFind = read("SysInfoPanel", "SwapFileNotFind");
    t.SwapFile = read("SysInfoPanel", "SwapFile");
    t.MemoryLoad = read("SysInfoPanel", "MemoryLoad");
    t.DriveName = read("SysInfoPanel", "DriveName");
    t.SerialNum = read("SysInfoPanel", "SerialNum");
    t.Rename_Caption = read("Rename", "Caption");
    t.Rename_Button_Ok = read("Rename", "Button_Ok");
    t.Rename_Button_Cancel = read("Rename", "Button_Cancel");
    t.Rename_Label_Comm = read("Rename", "Label_Comm");
    t.Rename_Label_To = read("Rename", "Label_To");
    t.Panel_Folder = read("FilePanel", "Folder");
    t.Panel_File = read("FilePanel", "File");
    t.Panel_bytes = read("FilePanel", "bytes");
    t.Panel_in = read("FilePanel", "in");
    t.Panel_files = read("FilePanel", "files");
    t.Panel_FreeSpace = read("FilePanel", "FreeSpace");
    t.DriveNotReady = read("Errors", "DriveNotReady");
    t.ResExplorer_Error_OnStart = read("Resource Explorer", "Error_OnStart");
    t.Question_Exit = read("Questions", "Exit");
    t.SaveConfig = read("Messages", "SaveConfig");
}

} // namespace ov
