// The format window: what the shell's format-drive call opens here. It
// offers the floppy drives (the removable drives of the drive table, A: the
// first, B: the second) and image files, a capacity, quick or full, and a
// label, and runs a FloppyFormatter with a progress bar, Cancel and a
// summary line. Devices are formatted only after two questions.
#pragma once

#include "platform/floppy_format.h"
#include "tools/format_component.h"

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ov {

class IniFile;
class DriveTable;

// A target offered by the window: its name as shown and its host path.
struct FormatTarget {
    std::string name;
    std::string path;
};

// The floppy drives: the removable drives of the table whose folder is a
// mount point of a block device in mountInfo, in letter order, as
// "A: (/dev/sdf)". Letters A: and B: go to the first two.
std::vector<FormatTarget> floppyTargets(const DriveTable& drives, const std::string& mountInfo);

class TFormFormat : public QDialog {
public:
    TFormFormat(const IniFile& language, std::vector<FormatTarget> targets, QWidget* parent = nullptr);

    // Preselects a target and what to do.
    void SetChoice(int target, const FormatChoice& choice);
    FloppyFormatter& Formatter() { return m_formatter; }
    const FormatSummary& Summary() const { return m_summary; }
    bool Running() const { return m_running; }

    QComboBox* ComboBox_Target = nullptr;
    QPushButton* Button_Image = nullptr;
    QComboBox* ComboBox_Capacity = nullptr; // "Default", then the floppy sizes
    QLineEdit* Edit_Label = nullptr;
    QRadioButton* Radio_Quick = nullptr;
    QRadioButton* Radio_Full = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* Label_Status = nullptr;
    QLabel* Label_Note = nullptr;
    QPushButton* Button_Start = nullptr;
    QPushButton* Button_Cancel = nullptr;

    // Formats the chosen target (returns when done, cancelled or failed).
    void Button_StartClick();
    // Stops a running format; closes the window otherwise.
    void Button_CancelClick();
    // Asks for an image file (new or existing) and adds it as the target.
    void Button_ImageClick();

protected:
    void reject() override;

private:
    std::string text(const std::string& key) const;
    std::string words(const FormatMessage& message) const;

    const IniFile& m_language;
    std::vector<FormatTarget> m_targets;
    FloppyFormatter m_formatter;
    FormatSummary m_summary;
    bool m_systemFiles = false;
    bool m_running = false;
};

// The shell format call of the program: opens TFormFormat modally on the
// drive's target. Returns 0 when the format was done, -1 after an error, -2
// when cancelled or closed without formatting.
class FormatWindowShell : public ShellFormat {
public:
    FormatWindowShell(const IniFile& language, bool ntFamily = true)
        : m_language(language)
        , m_ntFamily(ntFamily)
    {
    }
    int FormatDrive(QWidget* owner, unsigned drive, unsigned formatId, unsigned options) override;

private:
    const IniFile& m_language;
    bool m_ntFamily;
};

} // namespace ov
