// The format window over real mkfs.fat: its texts, a format with progress
// and summary, Cancel in the middle, a refusal, the two questions before a
// device, the floppy drives it offers, and the Format texts of every
// language file.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/ini_file.h"
#include "shell/commands.h"
#include "tests/support/temp_folder.h"
#include "tools/format_commands.h"
#include "tools/format_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_format_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string languageDir = OV_LANGUAGE_DIR;

class FormatWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app();
        if (findProgram("mkfs.fat").empty())
            GTEST_SKIP() << "mkfs.fat is not installed (scripts/deps)";
        setPrompts(&answers);
    }
    void TearDown() override { setPrompts(nullptr); }
    ScriptedPrompts answers;
    test::TempFolder folder;
    IniFile english { languageDir + "/ov_eng.ini" };
};

TEST_F(FormatWindow, FormatsAnImageWithProgressAndSummary)
{
    const std::string image = folder.write("a.img", std::string(1440 * 1024, 'q'));
    TFormFormat window(english, { { "image", image } });
    for (const char* name : { "ComboBox_Target", "Button_Image", "ComboBox_Capacity", "Edit_Label",
             "Radio_Quick", "Radio_Full", "ProgressBar", "Label_Status", "Button_Start", "Button_Cancel" })
        EXPECT_NE(window.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(window.windowTitle(), "Format floppy");

    window.SetChoice(0, { 720, FormatKind::Full, false });
    EXPECT_TRUE(window.Radio_Full->isChecked());
    EXPECT_EQ(window.ComboBox_Capacity->currentText(), "720 KB");
    window.Edit_Label->setText("WINDOW");
    std::vector<int> percents;
    const auto shown = window.Formatter().OnProgress;
    window.Formatter().OnProgress = [&](std::uint64_t done, std::uint64_t total) {
        shown(done, total);
        percents.push_back(window.ProgressBar->value());
    };
    window.Button_StartClick();
    ASSERT_EQ(window.Summary().status, FormatStatus::Done) << window.Label_Status->text().toStdString();
    EXPECT_EQ(window.Label_Status->text(), "Format complete: 720 KB, 0 bad sectors, label \"WINDOW\".");
    EXPECT_EQ(window.ProgressBar->value(), 100);
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(std::filesystem::file_size(image), 720u * 1024);
    EXPECT_EQ(window.Button_Cancel->text(), "C&lose");
    EXPECT_TRUE(window.Button_Start->isEnabled());
}

TEST_F(FormatWindow, CancelAndRefusalLeaveTheImage)
{
    const std::string image = folder.write("b.img", std::string(1440 * 1024, 'r'));
    const std::string odd = folder.write("odd.img", std::string(1000, 'o'));
    TFormFormat window(english, { { "image", image }, { "odd", odd } });
    window.SetChoice(0, { 0, FormatKind::Full, false });
    std::string buttonWhileRunning;
    const auto shown = window.Formatter().OnProgress;
    window.Formatter().OnProgress = [&](std::uint64_t done, std::uint64_t total) {
        shown(done, total);
        if (done >= 640 && buttonWhileRunning.empty()) {
            buttonWhileRunning = window.Button_Cancel->text().toStdString();
            window.Button_CancelClick();
        }
    };
    window.Button_StartClick();
    EXPECT_EQ(buttonWhileRunning, "&Cancel");
    EXPECT_EQ(window.Summary().status, FormatStatus::Cancelled);
    EXPECT_EQ(window.Label_Status->text(), "Format cancelled. Nothing was changed.");
    EXPECT_EQ(slurp(image), std::string(1440 * 1024, 'r'));
    // The window stayed open through the Cancel.
    EXPECT_EQ(window.result(), 0);

    window.ComboBox_Target->setCurrentIndex(1);
    window.Button_StartClick();
    EXPECT_EQ(window.Summary().status, FormatStatus::Refused);
    EXPECT_EQ(window.Label_Status->text().toStdString(),
        "Format failed: " + odd + " is 1000 bytes long, which is not the size of a floppy image.");
    EXPECT_EQ(slurp(odd), std::string(1000, 'o'));
}

// Drive B: asked for with only one drive: nothing is chosen, Start formats
// nothing.
TEST_F(FormatWindow, MissingDriveSelectsNothing)
{
    const std::string image = folder.write("a.img", std::string(720 * 1024, 'a'));
    TFormFormat window(english, { { "A: (image)", image } });
    window.SetChoice(1, { 0, FormatKind::Quick, false });
    EXPECT_EQ(window.ComboBox_Target->currentIndex(), -1);
    window.Button_StartClick();
    EXPECT_EQ(window.Summary().status, FormatStatus::Cancelled);
    EXPECT_EQ(slurp(image), std::string(720 * 1024, 'a'));
    window.SetChoice(0, { 0, FormatKind::Quick, false });
    EXPECT_EQ(window.ComboBox_Target->currentIndex(), 0);
}

TEST_F(FormatWindow, ImageFileButtonAddsTheTarget)
{
    TFormFormat window(english, {});
    answers.texts = { folder / "new.img" };
    window.Button_ImageClick();
    EXPECT_EQ(window.ComboBox_Target->currentText().toStdString(), folder / "new.img");
    window.Button_StartClick();
    EXPECT_EQ(window.Summary().status, FormatStatus::Done);
    EXPECT_EQ(std::filesystem::file_size(folder / "new.img"), 1440u * 1024);
}

// Two questions before a device; the second names it, its model and size.
// "No" to either leaves it alone.
TEST_F(FormatWindow, DeviceAskedTwice)
{
    const std::string sys = folder.folder("sys");
    folder.write("sys/devices/sdf/removable", "1\n");
    folder.write("sys/devices/sdf/size", "2880\n");
    folder.write("sys/devices/sdf/device/model", "USB-FDU\n");
    std::filesystem::create_directories(sys + "/dev/block");
    std::filesystem::create_directory_symlink("../../devices/sdf", sys + "/dev/block/8:80");
    const std::string node = folder / "fd";
    if (::mknod(node.c_str(), S_IFBLK | 0600, ::makedev(8, 80)) != 0)
        GTEST_SKIP() << "block device nodes cannot be made here (not root)";
    TFormFormat window(english, { { "A: (fd)", node } });
    window.Formatter().SysfsRoot = sys;
    window.Formatter().MountInfo = "1 0 0:1 / /proc rw - proc proc rw\n";
    struct Row {
        std::deque<Answer> answers;
        std::size_t asked;
    };
    for (const Row& row : { Row { { Answer::No }, 1 }, Row { { Answer::Yes, Answer::No }, 2 } }) {
        answers.asked.clear();
        answers.answers = row.answers;
        window.Button_StartClick();
        EXPECT_EQ(window.Summary().status, FormatStatus::Cancelled);
        ASSERT_EQ(answers.asked.size(), row.asked);
        EXPECT_EQ(answers.asked[0].text, "All data on " + node + " will be lost. Format it?");
        if (row.asked == 2) {
            EXPECT_EQ(
                answers.asked[1].text, "Format " + node + " (USB-FDU, 1440 KB) now? This cannot be undone.");
            EXPECT_EQ(answers.asked[1].buttons, Buttons::YesNo);
        }
    }
}

TEST(FormatTargetsOffered, RemovableDrivesInOrder)
{
    DriveTable& table = DriveTable::instance();
    table.setDrives({ { 'c', "/", DriveType::Fixed }, { 'd', "/media/ann/STICK", DriveType::Removable },
        { 'e', "/media/ann/CD", DriveType::CdRom }, { 'f', "/run/media/ann/FLOPPY", DriveType::Removable },
        { 'g', "/mnt/none", DriveType::Removable }, { 'h', "/mnt/net", DriveType::Removable } });
    const std::string mounts = "30 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                               "31 30 8:81 / /media/ann/STICK rw - vfat /dev/sdf1 rw\n"
                               "32 30 11:0 / /media/ann/CD ro - iso9660 /dev/sr0 ro\n"
                               "33 30 2:0 / /run/media/ann/FLOPPY rw - vfat /dev/fd0 rw\n"
                               "34 30 0:50 / /mnt/net rw - nfs server:/x rw\n";
    const auto targets = floppyTargets(table, mounts);
    table.reset();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].name, "A: (/dev/sdf1)");
    EXPECT_EQ(targets[0].path, "/dev/sdf1");
    EXPECT_EQ(targets[1].name, "B: (/dev/fd0)");
    EXPECT_EQ(targets[1].path, "/dev/fd0");
}

// Every text of the section Format is in each language file, with the same
// placeholders as the English one; the window shows the Russian caption.
TEST(FormatTexts, EveryLanguageHasTheSection)
{
    app();
    for (const char* file : { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini" }) {
        SCOPED_TRACE(file);
        const IniFile language(languageDir + "/" + file);
        for (const std::string& key : formatTextKeys()) {
            ASSERT_TRUE(language.hasKey("Format", key)) << key;
            const std::string english = englishFormatText(key);
            const std::string text = language.readString("Format", key, "");
            for (const char* mark : { "%1", "%2", "%3" })
                EXPECT_EQ(english.find(mark) == std::string::npos, text.find(mark) == std::string::npos)
                    << key << " " << mark;
            if (std::string(file) == "ov_eng.ini") {
                EXPECT_EQ(text, english) << key;
            }
        }
        EXPECT_TRUE(language.hasKey("ChangeVideo", "Keep_Question"));
    }
    registerFormatCommands();
    EXPECT_NE(CommandRegistry::instance().find("FormatFloppy"), nullptr);
    CommandRegistry::instance().clear();
    const IniFile russian(languageDir + "/ov_rus.ini");
    TFormFormat window(russian, {});
    EXPECT_EQ(window.windowTitle().toStdString(), "Форматирование дискеты");
    EXPECT_EQ(window.Button_Start->text().toStdString(), "&Начать");
}

} // namespace
} // namespace ov
