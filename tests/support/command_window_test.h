// The ground of the tests that run a subsystem's commands in a real main
// window: an application, a home folder holding the four language files,
// drive c: on a temporary folder, a scripted prompt service and an empty
// command registry. A test adds its files and registrations after
// CommandWindowTest::SetUp.
#pragma once

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ov::test {

class CommandWindowTest : public ::testing::Test {
protected:
    // `languageDir` holds ov_eng.ini and the other language files.
    explicit CommandWindowTest(std::string languageDir)
        : m_languageDir(std::move(languageDir))
    {
    }

    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "ov-test";
        static char* argv[] = { name, nullptr };
        if (!QApplication::instance())
            new QApplication(argc, argv);
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        for (const char* file : { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini" })
            std::filesystem::copy_file(m_languageDir + "/" + file, home / file);
        DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
        setPrompts(&prompts);
        CommandRegistry::instance().clear();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }

    TempFolder home;
    TempFolder drive;
    TempFolder data;
    ScriptedPrompts prompts;

private:
    std::string m_languageDir;
};

} // namespace ov::test
