// The format window; see format_window.h.
#include "tools/format_window.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/ini_file.h"
#include "shell/language_file.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ov {

std::vector<FormatTarget> floppyTargets(const DriveTable& drives, const std::string& mountInfo)
{
    const std::vector<MountEntry> mounts = parseMountInfo(mountInfo);
    std::vector<FormatTarget> targets;
    for (const Drive& drive : drives.drives()) {
        if (drive.type != DriveType::Removable)
            continue;
        for (const MountEntry& mount : mounts) {
            if (mount.mountPoint != drive.hostRoot || mount.source.rfind("/dev/", 0) != 0)
                continue;
            const char letter = static_cast<char>('A' + targets.size());
            const std::string name = targets.size() < 2
                ? std::string(1, letter) + ": (" + mount.source + ")"
                : std::string(1, static_cast<char>(drive.letter - 'a' + 'A')) + ": (" + mount.source + ")";
            targets.push_back({ name, mount.source });
            break;
        }
    }
    return targets;
}

TFormFormat::TFormFormat(const IniFile& language, std::vector<FormatTarget> targets, QWidget* parent)
    : QDialog(parent)
    , m_language(language)
    , m_targets(std::move(targets))
{
    setObjectName("TFormFormat");
    setModal(true);
    m_summary.status = FormatStatus::Cancelled;
    setWindowTitle(QString::fromStdString(text("Caption")));
    const auto caption = [&](const char* key) { return QString::fromStdString(text(key)); };

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* targetRow = new QHBoxLayout;
    ComboBox_Target = new QComboBox(this);
    ComboBox_Target->setObjectName("ComboBox_Target");
    for (const FormatTarget& target : m_targets)
        ComboBox_Target->addItem(QString::fromStdString(target.name));
    Button_Image = new QPushButton(caption("Button_Image"), this);
    Button_Image->setObjectName("Button_Image");
    targetRow->addWidget(ComboBox_Target, 1);
    targetRow->addWidget(Button_Image);
    form->addRow(caption("Label_Target"), targetRow);

    ComboBox_Capacity = new QComboBox(this);
    ComboBox_Capacity->setObjectName("ComboBox_Capacity");
    ComboBox_Capacity->addItem("Default", 0);
    for (int kb : FloppySizesKb)
        ComboBox_Capacity->addItem(QString("%1 KB").arg(kb), kb);
    form->addRow(caption("Label_Capacity"), ComboBox_Capacity);

    Edit_Label = new QLineEdit(this);
    Edit_Label->setObjectName("Edit_Label");
    Edit_Label->setMaxLength(11);
    form->addRow(caption("Label_Label"), Edit_Label);

    Radio_Quick = new QRadioButton(caption("Radio_Quick"), this);
    Radio_Quick->setObjectName("Radio_Quick");
    Radio_Full = new QRadioButton(caption("Radio_Full"), this);
    Radio_Full->setObjectName("Radio_Full");
    Radio_Quick->setChecked(true);
    layout->addWidget(Radio_Quick);
    layout->addWidget(Radio_Full);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    layout->addWidget(ProgressBar);
    Label_Status = new QLabel(this);
    Label_Status->setObjectName("Label_Status");
    Label_Status->setWordWrap(true);
    layout->addWidget(Label_Status);
    Label_Note = new QLabel(this);
    Label_Note->setObjectName("Label_Note");
    Label_Note->setWordWrap(true);
    layout->addWidget(Label_Note);

    auto* buttons = new QHBoxLayout;
    Button_Start = new QPushButton(caption("Button_Start"), this);
    Button_Start->setObjectName("Button_Start");
    Button_Start->setDefault(true);
    Button_Cancel = new QPushButton(caption("Button_Close"), this);
    Button_Cancel->setObjectName("Button_Cancel");
    buttons->addStretch();
    buttons->addWidget(Button_Start);
    buttons->addWidget(Button_Cancel);
    layout->addLayout(buttons);

    connect(Button_Start, &QPushButton::clicked, this, [this] { Button_StartClick(); });
    connect(Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(Button_Image, &QPushButton::clicked, this, [this] { Button_ImageClick(); });

    m_formatter.OnProgress = [this](std::uint64_t done, std::uint64_t total) {
        ProgressBar->setValue(total ? static_cast<int>(done * 100 / total) : 0);
        Label_Status->setText(QString::fromStdString(
            words({ "Progress_Checking", { std::to_string(done), std::to_string(total) } })));
    };
    m_formatter.OnStep
        = [this](const FormatMessage& step) { Label_Status->setText(QString::fromStdString(words(step))); };
    // Two questions before a device is touched; the second names it.
    m_formatter.OnConfirmDevice = [this](const std::string& device, const TargetFacts& facts) {
        const std::string title = text("Caption");
        if (messageBox(words({ "Confirm_Device", { device } }), title, Buttons::YesNo, Icon::Warning)
            != Answer::Yes)
            return false;
        const std::string model = facts.model.empty() ? std::string("?") : facts.model;
        return messageBox(words({ "Confirm_Device_Again",
                              { device, model, std::to_string(facts.sizeBytes / 1024) } }),
                   title, Buttons::YesNo, Icon::Warning)
            == Answer::Yes;
    };
}

std::string TFormFormat::text(const std::string& key) const
{
    return windowText(m_language, "Format", key);
}

std::string TFormFormat::words(const FormatMessage& message) const
{
    return formatText(message, [this](const std::string& key) { return text(key); });
}

void TFormFormat::SetChoice(int target, const FormatChoice& choice)
{
    // A drive that is not there selects nothing: Start must never fall back
    // on another drive.
    ComboBox_Target->setCurrentIndex(target >= 0 && target < ComboBox_Target->count() ? target : -1);
    const int index = ComboBox_Capacity->findData(choice.capacityKb);
    ComboBox_Capacity->setCurrentIndex(index < 0 ? 0 : index);
    (choice.kind == FormatKind::Full ? Radio_Full : Radio_Quick)->setChecked(true);
    m_systemFiles = choice.systemFiles;
}

void TFormFormat::Button_StartClick()
{
    const int index = ComboBox_Target->currentIndex();
    if (m_running || index < 0 || index >= static_cast<int>(m_targets.size()))
        return;
    FormatRequest request;
    request.target = m_targets[static_cast<std::size_t>(index)].path;
    request.capacityKb = ComboBox_Capacity->currentData().toInt();
    request.kind = Radio_Full->isChecked() ? FormatKind::Full : FormatKind::Quick;
    request.label = Edit_Label->text().toStdString();
    request.systemFiles = m_systemFiles;

    m_running = true;
    Button_Start->setEnabled(false);
    Button_Image->setEnabled(false);
    Button_Cancel->setText(QString::fromStdString(text("Button_Cancel")));
    ProgressBar->setValue(0);
    Label_Note->clear();
    m_summary = m_formatter.Format(request);
    m_running = false;
    Button_Start->setEnabled(true);
    Button_Image->setEnabled(true);
    Button_Cancel->setText(QString::fromStdString(text("Button_Close")));
    if (m_summary.status == FormatStatus::Done)
        ProgressBar->setValue(100);
    // A failure shows its own reason after the failure's heading.
    const std::string line
        = m_summary.status == FormatStatus::Failed || m_summary.status == FormatStatus::Refused
        ? words({ "Summary_Failed", { words(m_summary.message) } })
        : words(m_summary.message);
    Label_Status->setText(QString::fromStdString(line));
    Label_Note->setText(
        QString::fromStdString(m_summary.note.empty() ? std::string() : words(m_summary.note)));
}

void TFormFormat::Button_CancelClick()
{
    if (m_running) {
        m_formatter.Cancel();
        return;
    }
    QDialog::reject();
}

void TFormFormat::reject()
{
    // Esc while formatting stops the format; the window stays until it has.
    if (m_running) {
        m_formatter.Cancel();
        return;
    }
    QDialog::reject();
}

void TFormFormat::Button_ImageClick()
{
    const std::string path
        = prompts().saveFile(text("Button_Image"), "", "Floppy images (*.img *.ima *.flp);;All files (*)");
    if (path.empty())
        return;
    m_targets.push_back({ path, path });
    ComboBox_Target->addItem(QString::fromStdString(path));
    ComboBox_Target->setCurrentIndex(ComboBox_Target->count() - 1);
}

int FormatWindowShell::FormatDrive(QWidget* owner, unsigned drive, unsigned formatId, unsigned options)
{
    TFormFormat window(m_language, floppyTargets(DriveTable::instance(), readMountInfo()), owner);
    window.SetChoice(static_cast<int>(drive), decodeShellFormat(formatId, options, m_ntFamily));
    window.exec();
    switch (window.Summary().status) {
    case FormatStatus::Done:
        return 0;
    case FormatStatus::Failed:
    case FormatStatus::Refused:
        return -1;
    case FormatStatus::Cancelled:
        break;
    }
    return -2;
}

} // namespace ov
