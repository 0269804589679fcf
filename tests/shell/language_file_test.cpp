#include "shell/language_file.h"
#include "shell/menu_table.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace ov;

TEST(LanguageFile, NamesAndCodePages)
{
    struct Row {
        const char* language;
        const char* file;
        const char* codePage;
    } rows[] = {
        { "ENGLISH", "ov_eng.ini", "windows-1252" },
        { "AMERICAN", "ov_eng.ini", "windows-1252" },
        { "RUSSIAN", "ov_rus.ini", "windows-1251" },
        { "POLISH", "ov_pol.ini", "windows-1250" },
        { "ITALIAN", "ov_ita.ini", "windows-1252" },
        { "GERMAN", "", "windows-1252" },
        { "english", "", "windows-1252" }, // the names are matched exactly
        { "", "", "windows-1252" },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(languageFileName(row.language), row.file) << row.language;
        EXPECT_STREQ(languageCodePage(row.language), row.codePage) << row.language;
    }
}

TEST(LanguageFile, DecodesOlderFilesByTheirCodePage)
{
    struct Row {
        const char* name;
        std::string bytes;
        const char* language;
        std::string text;
    } rows[] = {
        { "UTF-8 stays", "[A]\nK=\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\n", "RUSSIAN",
            "[A]\nK=\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\n" },
        { "byte-order mark dropped", "\xEF\xBB\xBF[A]\n", "ENGLISH", "[A]\n" },
        { "windows-1251", "K=\xCF\xE0\xEF\xEA\xE0", "RUSSIAN",
            "K=\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0" }, // Папка
        { "windows-1250", "K=Usu\xF1 \xB3\xB9", "POLISH", "K=Usu\xC5\x84 \xC5\x82\xC4\x85" }, // Usuń łą
        { "windows-1252", "K=Propriet\xE0 \x80", "ITALIAN",
            "K=Propriet\xC3\xA0 \xE2\x82\xAC" }, // Proprietà €
        { "unknown names read as windows-1252", "K=\xE9", "KLINGON", "K=\xC3\xA9" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(decodeLanguageText(row.bytes, row.language), row.text) << row.name;
}

TEST(LanguageFile, MissingFileUnknownLanguageAndAmerican)
{
    test::TempFolder folder;
    folder.write("ov_rus.ini",
        "[FilePanel]\nFolder=\xCF\xE0\xEF\xEA\xE0\n[Calculator]\nCaption="
        "\xCA\xE0\xEB\xFC\xEA\xF3\xEB\xFF\xF2\xEE\xF0\n");
    folder.write("ov_eng.ini", "[Calculator]\nCaption=Calculator (US)\n[Questions]\nExit=Quit?\n");
    bool found = false;

    const IniFile russian = openLanguageFile(folder.path(), "RUSSIAN", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(russian.readString("FilePanel", "Folder", ""), "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0");

    // AMERICAN opens ov_eng.ini and counts as not English.
    const IniFile american = openLanguageFile(folder.path(), "AMERICAN", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(notEnglishText(american, "AMERICAN", "Calculator", "Caption", "Calculator"), "Calculator (US)");
    EXPECT_EQ(notEnglishText(american, "ENGLISH", "Calculator", "Caption", "Calculator"), "Calculator");
    EXPECT_EQ(notEnglishText(american, "AMERICAN", "SetFonts", "Caption", "Change fonts"), MissingText);

    // No Polish file, and a name outside the five: both read as empty.
    for (const char* language : { "POLISH", "GERMAN" }) {
        const IniFile none = openLanguageFile(folder.path(), language, &found);
        EXPECT_FALSE(found) << language;
        EXPECT_EQ(windowText(none, "MkDir", "Caption"), "Error loading resource");
        TLangTexts texts;
        texts.Question_Exit = "stale";
        readLangTexts(none, texts);
        EXPECT_EQ(texts.Question_Exit, "");
    }

    TLangTexts texts;
    readLangTexts(american, texts);
    EXPECT_EQ(texts.Question_Exit, "Quit?");
    EXPECT_EQ(texts.SaveConfig, "");
}

// The shipped files: valid UTF-8, every section and key of the English file
// in each of the others, and every translated menu entry present.
TEST(LanguageFile, ShippedFilesAreCompleteInEveryLanguage)
{
    const char* languages[] = { "ENGLISH", "RUSSIAN", "POLISH", "ITALIAN" };
    std::map<std::string, IniFile> files;
    for (const char* language : languages) {
        std::ifstream in(std::string(OV_LANGUAGE_DIR) + "/" + languageFileName(language), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << language;
        EXPECT_EQ(decodeLanguageText(bytes, language), bytes) << language << " is not UTF-8";
        files.emplace(language, IniFile::fromText(bytes));
    }
    const IniFile& english = files.at("ENGLISH");
    const std::set<std::string> required[] = {
        { "HotButtons", "MainMenu", "ToolBars", "SysInfoPanel", "FilePanel", "Errors", "Resource Explorer",
            "Questions", "Messages", "Menu", "MkDir", "MkFile", "Attrib", "FindFile", "SortModes",
            "FilesColors", "FoldersHistory", "ChangeDrive", "AboutSystem", "MainParam", "SetFonts",
            "SetColors", "Editor", "Clipboard", "CD-Player", "ChangeVideo", "InetDialer", "Tetris", "Life",
            "Calculator", "Commands" },
    };
    for (const std::string& section : required[0])
        EXPECT_TRUE(english.hasSection(section)) << section;
    for (const MenuEntry& entry : mainMenuTable()) {
        if (entry.translated) {
            EXPECT_TRUE(english.hasKey("MainMenu", entry.name)) << entry.name;
        }
    }
    for (const char* key : { "SaveConfig", "Hint_ContPlay", "Hint_Stop", "Search" })
        EXPECT_TRUE(english.hasKey("Messages", key)) << key;
    for (const auto& [language, file] : files) {
        EXPECT_EQ(file.sections(), english.sections()) << language;
        for (const std::string& section : english.sections()) {
            EXPECT_EQ(file.keys(section), english.keys(section)) << language << " " << section;
            for (const std::string& key : file.keys(section))
                EXPECT_FALSE(file.readString(section, key, "").empty())
                    << language << " " << section << "/" << key;
        }
    }
    // Real translations, not copies of the English text.
    EXPECT_EQ(files.at("RUSSIAN").readString("HotButtons", "DelFile", ""),
        "8-\xD0\xA3\xD0\xB4\xD0\xB0\xD0\xBB\xD0\xB8\xD1\x82\xD1\x8C");
    EXPECT_EQ(files.at("POLISH").readString("Messages", "Search", ""), "Szukaj");
    EXPECT_EQ(files.at("ITALIAN").readString("MainMenu", "OV_Exit", ""), "Esci");
}
