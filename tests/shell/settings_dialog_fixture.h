// The fixture of the settings dialogs' tests: a program folder with the
// shipped English and Russian language files, one mapped drive with a few
// entries, scripted prompts, and a main window made on it.
#pragma once

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/colors_window.h"
#include "shell/commands.h"
#include "shell/fonts_window.h"
#include "shell/main_window.h"
#include "shell/options_window.h"
#include "tests/support/temp_folder.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace ov::test {

class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        for (const char* file : { "ov_eng.ini", "ov_rus.ini" })
            std::filesystem::copy_file(std::string(OV_LANGUAGE_DIR "/") + file, home / file);
        DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
        drive.folder("alpha");
        drive.write("one.txt", "1");
        setPrompts(&prompts);
    }
    void TearDown() override
    {
        TFormMainParam::ModalRunner = nullptr;
        TFormSetColors::ModalRunner = nullptr;
        TFormSetFonts::ModalRunner = nullptr;
        for (const char* name : { "MainOptions", "SetColors", "ChangeFonts" })
            CommandRegistry::instance().remove(name);
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
    }
    template <typename T> static T* child(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static std::unique_ptr<TForm1> makeForm()
    {
        auto form = std::make_unique<TForm1>();
        form->MainSettings.AutoSave = false;
        form->resize(800, 500);
        form->FormResize();
        return form;
    }

    test::TempFolder home;
    test::TempFolder drive;
    ScriptedPrompts prompts;
};

} // namespace ov::test
