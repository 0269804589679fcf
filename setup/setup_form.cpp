#include "setup/setup_form.h"

#include "setup/folder_form.h"
#include "setup/installer.h"

#include "platform/dialogs.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

namespace ov::setup {

namespace {

const char* const Title = "Installation Orvanta";
const char* const Caption = "Orvanta Setup";

const char* const Welcome = "Welcome to the setup of Orvanta, the keyboard-driven two-panel file manager.\n\n"
                            "Press Next to continue or Cancel to exit.";

const char* const Description = "Orvanta shows two folders side by side with a command line beneath them. "
                                "The function keys view, edit, copy, move, create and delete files; archives "
                                "open as folders; a text editor, viewers, a music player and two games come "
                                "with it.\n\nSettings live in ov.ini beside the program.";

QPushButton* button(const char* text, const char* name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(name);
    return made;
}

QLabel* label(const char* text, const char* name, QWidget* parent)
{
    auto* made = new QLabel(text, parent);
    made->setObjectName(name);
    return made;
}

} // namespace

TForm1::TForm1(std::string source, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint)
    , m_source(std::move(source))
{
    setObjectName("Form1");
    setWindowTitle("Orvanta v1.11");
    QApplication::setApplicationDisplayName(Caption);
    setFixedSize(359, 268);

    Label1 = label(Title, "Label1", this);
    Label1->setGeometry(16, 8, 327, 24);
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    Label1->setFont(bold);

    WelcomeText = label(Welcome, "WelcomeText", this);
    WelcomeText->setWordWrap(true);
    WelcomeText->setGeometry(16, 44, 327, 150);
    NextButton = button("&Next >", "NextButton", this);
    NextButton->setGeometry(16, 228, 100, 28);
    ReadmeButton = button("&Readme", "ReadmeButton", this);
    ReadmeButton->setGeometry(129, 228, 100, 28);
    CancelButton = button("&Cancel", "CancelButton", this);
    CancelButton->setGeometry(243, 228, 100, 28);
    ReadmeText = label(Description, "ReadmeText", this);
    ReadmeText->setWordWrap(true);
    ReadmeText->setGeometry(16, 44, 327, 170);
    ReadmeOkButton = button("OK", "ReadmeOkButton", this);
    ReadmeOkButton->setGeometry(243, 228, 100, 28);

    FolderLabel = label("Folder to install Orvanta", "FolderLabel", this);
    FolderLabel->setGeometry(16, 44, 327, 20);
    FolderEdit = new QLineEdit(QString::fromStdString(presetFolder()), this);
    FolderEdit->setObjectName("FolderEdit");
    FolderEdit->setGeometry(16, 68, 240, 24);
    BrowseButton = button("&Browse", "BrowseButton", this);
    BrowseButton->setGeometry(263, 66, 80, 28);
    WarningLabel
        = label("Please quit all running copies of Orvanta\n        before continuing with this instalation",
            "WarningLabel", this);
    WarningLabel->setGeometry(16, 110, 327, 40);
    Gauge = new QProgressBar(this);
    Gauge->setObjectName("Gauge");
    Gauge->setRange(0, 100);
    Gauge->setTextVisible(false);
    Gauge->setGeometry(16, 200, 327, 10);
    InstallButton = button("&Install", "InstallButton", this);
    InstallButton->setGeometry(129, 228, 100, 28);
    FolderCancelButton = button("&Cancel", "FolderCancelButton", this);
    FolderCancelButton->setGeometry(243, 228, 100, 28);
    ExitButton = button("&Exit", "ExitButton", this);
    ExitButton->setGeometry(16, 228, 100, 28);

    FinishedText
        = label("Installation finnished successfully. \n  Now you can run Orvanta.", "FinishedText", this);
    FinishedText->setGeometry(80, 60, 263, 60);
    RunCheckBox = new QCheckBox("Run Orvanta right now", this);
    RunCheckBox->setObjectName("RunCheckBox");
    RunCheckBox->setChecked(true);
    RunCheckBox->setGeometry(80, 130, 263, 24);
    Picture = label("", "Picture", this);
    Picture->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(48, 48));
    Picture->setGeometry(16, 60, 52, 52);
    OkButton = button("&OK", "OkButton", this);
    OkButton->setGeometry(243, 228, 100, 28);

    connect(NextButton, &QPushButton::clicked, this, [this] { NextButtonClick(); });
    connect(ReadmeButton, &QPushButton::clicked, this, [this] { ReadmeButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(ReadmeOkButton, &QPushButton::clicked, this, [this] { ReadmeOkButtonClick(); });
    connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseButtonClick(); });
    connect(InstallButton, &QPushButton::clicked, this, [this] { InstallButtonClick(); });
    connect(FolderCancelButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });

    // The window sees the keys before its controls.
    qApp->installEventFilter(this);
    showPage(1);
}

void TForm1::showPage(int page)
{
    State = page;
    const bool welcome = page == 1;
    Label1->setText(Title);
    for (QWidget* widget : { static_cast<QWidget*>(WelcomeText), static_cast<QWidget*>(NextButton),
             static_cast<QWidget*>(ReadmeButton), static_cast<QWidget*>(CancelButton) })
        widget->setVisible(welcome);
    ReadmeText->hide();
    ReadmeOkButton->hide();
    for (QWidget* widget : { static_cast<QWidget*>(FolderLabel), static_cast<QWidget*>(FolderEdit),
             static_cast<QWidget*>(BrowseButton), static_cast<QWidget*>(WarningLabel),
             static_cast<QWidget*>(InstallButton), static_cast<QWidget*>(FolderCancelButton),
             static_cast<QWidget*>(ExitButton) })
        widget->setVisible(page == 2);
    Gauge->hide();
    for (QWidget* widget : { static_cast<QWidget*>(FinishedText), static_cast<QWidget*>(RunCheckBox),
             static_cast<QWidget*>(Picture), static_cast<QWidget*>(OkButton) })
        widget->setVisible(page == 1000);
}

void TForm1::setFolderControlsEnabled(bool enabled)
{
    // "&Exit" too: the window must not close under a running install.
    for (QWidget* widget : { static_cast<QWidget*>(InstallButton), static_cast<QWidget*>(FolderCancelButton),
             static_cast<QWidget*>(FolderEdit), static_cast<QWidget*>(BrowseButton),
             static_cast<QWidget*>(ExitButton) })
        widget->setEnabled(enabled);
}

void TForm1::ReadmeButtonClick()
{
    WelcomeText->hide();
    NextButton->hide();
    ReadmeButton->hide();
    CancelButton->hide();
    ReadmeText->show();
    ReadmeOkButton->show();
    Label1->setText("               Readme");
}

void TForm1::ReadmeOkButtonClick()
{
    showPage(1);
}

void TForm1::NextButtonClick()
{
    const std::string recorded = recordedInstallPath();
    if (!recorded.empty())
        FolderEdit->setText(QString::fromStdString(recorded));
    showPage(2);
    FolderEdit->setFocus();
}

void TForm1::BrowseButtonClick()
{
    if (!Form2)
        Form2 = new TForm2(this);
    Form2->selectFolder(FolderEdit->text().toStdString());
    if (Form2->exec() == QDialog::Accepted)
        FolderEdit->setText(QString::fromStdString(Form2->Folder));
}

void TForm1::InstallButtonClick()
{
    if (State != 2 || !InstallButton->isEnabled())
        return;
    setFolderControlsEnabled(false);
    // Every failure shows its message and gives the controls back.
    auto failed = [this](const std::string& message) {
        if (!message.empty())
            messageBox(message, Caption, Buttons::Ok, Icon::Error);
        Gauge->hide();
        setFolderControlsEnabled(true);
        FolderEdit->setFocus();
    };
    const TargetCheck check = checkTarget(FolderEdit->text().toStdString(), recordedInstallPath());
    if (check.problem == TargetProblem::Foreign) {
        if (messageBox(check.message + "\nInstall into it anyway?", Caption, Buttons::YesNo, Icon::Question)
            != Answer::Yes)
            return failed({});
    } else if (check.problem != TargetProblem::None) {
        return failed(check.message);
    }

    Gauge->setValue(0);
    Gauge->show();
    Installer installer;
    installer.Target = check.folder;
    installer.Payload = m_source;
    installer.OnGauge = [this](int percent) { Gauge->setValue(percent); };
    installer.ProcessMessages = [] { QCoreApplication::processEvents(); };
    if (!installer.Install())
        return failed(installer.error());
    m_installed = check.folder;
    setFolderControlsEnabled(true);
    showPage(1000);
    OkButton->setFocus();
}

void TForm1::OkButtonClick()
{
    if (State == 1000 && RunCheckBox->isChecked() && !m_installed.empty()) {
        Launcher& start = launcher();
        if (!start.startProgram({ m_installed + "/ov" }, m_installed))
            messageBox(start.failure, Caption, Buttons::Ok, Icon::Error);
    }
    close();
}

bool TForm1::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (State == 1000)
            OkButtonClick();
        else if (State == 1 && NextButton->isVisible())
            NextButtonClick();
        else if (State == 1)
            ReadmeOkButtonClick();
        else if (State == 2)
            InstallButtonClick();
        return true;
    default:
        return false;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
                return FormKeyDown(key->key());
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ov::setup
