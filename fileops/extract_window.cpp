// The extract dialog and its progress window; see extract_window.h.
#include "fileops/extract_window.h"

#include "archive/archive_lister.h"
#include "archive/message_codes.h"
#include "fileops/file_ops_host.h"
#include "panel/arc_disk.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/process_messages.h"
#include "shell/language_file.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace ov {

namespace {

constexpr const char* Section = "Extract";

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

// --- TFormExtFile ----------------------------------------------------------

TFormExtFile::TFormExtFile(TFileOpsHost& host, ArchiveExtraction& engine, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_engine(engine)
{
    setObjectName("FormExtFile");
    setWindowTitle(qText(text("ProgressCaption")));
    setWindowFlags(
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_label1 = new QLabel(this);
    m_label1->setObjectName("Label1");
    m_label2 = new QLabel(qText(text("Preparing")), this);
    m_label2->setObjectName("Label2");
    m_pb1 = new QProgressBar(this);
    m_pb1->setObjectName("PB1");
    m_pb2 = new QProgressBar(this);
    m_pb2->setObjectName("PB2");
    for (QProgressBar* bar : { m_pb1, m_pb2 }) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    m_cancel = new QPushButton(qText(text("Button2")), this);
    m_cancel->setObjectName("Button_Cancel");
    m_timer = new QTimer(this);
    m_timer->setObjectName("Timer1");
    m_timer->setInterval(100);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_label2);
    layout->addWidget(m_pb1);
    layout->addWidget(m_pb2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(m_timer, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

std::string TFormExtFile::text(const char* key) const
{
    return windowText(m_host.Language(), Section, key);
}

void TFormExtFile::setRun(const std::string& archive, const std::string& target, const std::string& password)
{
    m_archive = archive;
    m_target = target;
    m_password = password;
}

void TFormExtFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The run starts once the window is on screen.
    if (!m_started)
        QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TFormExtFile::FormActivate()
{
    if (m_started)
        return;
    m_started = true;
    m_running = true;
    m_cancelRequested = false;
    m_done = false;
    m_memberCount = 0;
    m_filesBegun = 0;
    m_lastName.clear();
    m_timer->start();

    // Count the members. A listing error is shown at once; a listing that
    // could not open the archive ends the run here.
    TArchiveLister lister;
    lister.SetFileSpec("*.*");
    lister.SetZipCmntBufSize(2000);
    lister.ProcessMessages = [] { processMessages(); };
    bool opened = false;
    lister.OnRead = [this](TArchiveLister&, int64_t, int32_t) { ++m_memberCount; };
    lister.OnDeactivate = [&opened](TArchiveCommon&) { opened = true; };
    std::vector<ExtractionError> listed;
    lister.OnError = [&listed](TArchiveCommon&, const std::string& fn, const std::string& msgEx,
                         const std::string&, int32_t code) {
        listed.push_back({ code, fn, msgEx });
    };
    lister.SetArchiveFile(m_archive);
    const TArcType kind = lister.ArcType();
    lister.Activate();
    showErrors(listed);
    if (!opened || m_cancelRequested) {
        m_result = {};
        m_result.errors = listed;
        finishRun();
        return;
    }

    m_engine.ProcessMessages = [] { processMessages(); };
    m_engine.AskPassword = [this](const std::string& member, std::string& password) {
        return prompts().askSecret(
            text("Label2"), DriveTable::instance().fromHost(member).value_or(member), password);
    };
    m_engine.OnProgress = [this](const ExtractionProgress& p) { progress(p); };
    m_engine.OnError = nullptr;
    m_engine.OnOpened = nullptr;
    m_engine.OnEnd = nullptr;
    ExtractionRequest request;
    request.archive = m_archive;
    request.kind = kind;
    request.target = m_target;
    request.password = m_password;
    m_result = m_engine.run(request);
    m_engine.OnProgress = nullptr;
    m_engine.AskPassword = nullptr;
    m_engine.ProcessMessages = nullptr;
    m_host.Update_AllPanels();
    // The user's own cancel is no error to show.
    showErrors(m_result.errors);
    finishRun();
}

int TFormExtFile::SlowMemberDelayMs = 500;

void TFormExtFile::showMember(const std::string& shownName, int percent)
{
    if (!m_started) {
        // No run of its own: the showing starts none, Cancel only asks.
        m_started = true;
        m_running = true;
        m_memberCount = 1;
        m_filesBegun = 1;
        show();
    }
    m_label1->setText(qText(text("File") + " 1 " + text("From") + " 1 " + text("Files")));
    m_label2->setText(qText(text("Extracting") + ": " + shownName));
    m_pb1->setValue(percent);
    m_pb2->setValue(100);
}

namespace {

// One member taken out for a viewer: the window appears once the member has
// taken longer than the delay, and goes with this object.
class SlowMemberWindow : public TakeOutProgress {
public:
    explicit SlowMemberWindow(std::unique_ptr<TFileOpsHost> host)
        : m_host(std::move(host))
    {
        m_clock.start();
    }
    ~SlowMemberWindow() override
    {
        if (m_window)
            m_window->hide();
    }
    bool step(const std::string& shownName, int percent) override
    {
        if (!m_window && m_clock.elapsed() >= TFormExtFile::SlowMemberDelayMs && m_host)
            m_window = std::make_unique<TFormExtFile>(*m_host, m_engine, m_host->Owner());
        if (!m_window)
            return false;
        m_window->showMember(shownName, percent);
        return m_window->cancelRequested();
    }

private:
    std::unique_ptr<TFileOpsHost> m_host;
    ArchiveExtraction m_engine; // the window's, unused: the disk runs the extractor
    QElapsedTimer m_clock;
    std::unique_ptr<TFormExtFile> m_window;
};

} // namespace

void installSlowMemberWindow(std::function<std::unique_ptr<TFileOpsHost>()> makeHost)
{
    if (!makeHost) {
        setTakeOutProgress(nullptr);
        return;
    }
    setTakeOutProgress([makeHost]() -> std::unique_ptr<TakeOutProgress> {
        return std::make_unique<SlowMemberWindow>(makeHost());
    });
}

void TFormExtFile::finishRun()
{
    m_running = false;
    m_done = true;
    if (!m_timer->isActive())
        m_timer->start();
}

void TFormExtFile::progress(const ExtractionProgress& p)
{
    // A file counts as begun when the name reported changes.
    if (p.fileName != m_lastName) {
        ++m_filesBegun;
        m_lastName = p.fileName;
    }
    const std::string fileName = DriveTable::instance().fromHost(p.fileName).value_or(p.fileName);
    m_label1->setText(qText(text("File") + " " + std::to_string(m_filesBegun) + " " + text("From") + " "
        + std::to_string(m_memberCount) + " " + text("Files")));
    m_label2->setText(qText(text("Extracting") + ": " + fileName));
    m_pb1->setValue(p.percent);
    // Rounded to the nearest per cent; 0 while nothing was counted.
    const int total
        = m_memberCount < 1 ? 0 : std::min(100, (m_filesBegun * 200 + m_memberCount) / (2 * m_memberCount));
    m_pb2->setValue(total);
}

void TFormExtFile::showErrors(const std::vector<ExtractionError>& errors)
{
    const std::string message = extractionErrorText(errors);
    if (!message.empty())
        messageBox(message, text("ProgressCaption"), Buttons::Ok, Icon::Information);
}

void TFormExtFile::Timer1Timer()
{
    if (!m_done)
        return;
    m_done = false;
    m_timer->stop();
    if (isVisible())
        accept();
}

void TFormExtFile::Button_CancelClick()
{
    if (m_running) {
        // While the members are counted the engine has no run yet: the
        // request is kept here and the extraction never starts.
        m_cancelRequested = true;
        m_engine.cancel();
        return;
    }
    m_timer->stop();
    QDialog::reject();
}

void TFormExtFile::reject()
{
    Button_CancelClick();
}

void TFormExtFile::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        Button_CancelClick();
        event->ignore();
        return;
    }
    m_timer->stop();
    QDialog::closeEvent(event);
}

// --- TFormExtract ----------------------------------------------------------

TFormExtract& TFormExtract::instance()
{
    static TFormExtract* dialog = new TFormExtract;
    return *dialog;
}

TFormExtract::TFormExtract()
    : QDialog(nullptr)
{
    setObjectName("FormExtract");
    setWindowFlags(
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_group = new QGroupBox(this);
    m_group->setObjectName("GroupBox1");
    m_label1 = new QLabel(m_group);
    m_label1->setObjectName("Label1");
    m_edit1 = new QComboBox(m_group);
    m_edit1->setObjectName("Edit1");
    m_edit1->setEditable(true);
    m_edit1->setMinimumWidth(300);
    m_label2 = new QLabel(m_group);
    m_label2->setObjectName("Label2");
    m_edit2 = new QLineEdit(m_group);
    m_edit2->setObjectName("Edit2");
    m_edit2->setEchoMode(QLineEdit::Password);
    // Masked with "*", on the button-face colour.
    m_edit2->setStyleSheet("QLineEdit { lineedit-password-character: 42; background: palette(button); }");
    m_button1 = new QPushButton(this);
    m_button1->setObjectName("Button1");
    m_button1->setDefault(true);
    m_button2 = new QPushButton(this);
    m_button2->setObjectName("Button2");

    auto* grid = new QGridLayout(m_group);
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_edit1, 1, 0);
    grid->addWidget(m_label2, 2, 0);
    grid->addWidget(m_edit2, 3, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_button1);
    buttons->addWidget(m_button2);
    layout->addLayout(buttons);

    connect(m_button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(m_button2, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormExtract::applyTexts()
{
    const IniFile& language = m_host->Language();
    auto t = [&](const char* key) { return qText(windowText(language, Section, key)); };
    setWindowTitle(t("Caption"));
    m_label1->setText(t("Label1"));
    m_label2->setText(t("Label2"));
    m_button1->setText(t("Button1"));
    m_button2->setText(t("Button2"));
}

void TFormExtract::Execute(TFileOpsHost& host)
{
    TFormExtract& dialog = instance();
    // Kept without a parent: it outlives any one main window, and is
    // centred on the screen.
    dialog.m_host = &host;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.FormActivate();
    dialog.exec();
    dialog.m_host = nullptr;
}

void TFormExtract::FormActivate()
{
    applyTexts();
    const TBrowser& other = m_host->List(PanelSide::Other);
    m_edit1->setEditText(qText(other.DiskRoot + other.Folder));
    m_edit1->setFocus();
}

bool TFormExtract::hostPaths(std::string& archive, std::string& target)
{
    const IniFile& language = m_host->Language();
    const std::string caption = windowText(language, Section, "Caption");
    TBrowser& active = m_host->List(PanelSide::Active);
    const std::string name = active.NameAt(m_host->CurrentIndex(PanelSide::Active));
    const std::string path = active.CurrentFolder() + name;
    std::optional<std::string> source;
    if (active.DiskKind == DiskKind::Standard && !name.empty() && name != "..")
        source = DriveTable::instance().toHost(path);
    if (!source) {
        // An entry inside an archive is no file of a drive: an archive in
        // an archive cannot be opened where it lies.
        messageBox(extractionErrorText({ { msgErrorOpening, name.empty() ? path : name, "0" } }), caption,
            Buttons::Ok, Icon::Information);
        return false;
    }

    const std::string folder = m_edit1->currentText().toStdString();
    const std::optional<std::string> host = DriveTable::instance().toHost(folder);
    if (!host) {
        messageBox(windowText(language, Section, "TargetNoDrive") + "\r\r" + folder, caption, Buttons::Ok,
            Icon::Error);
        return false;
    }
    // A folder below a file (an archive shown as a folder, or any other
    // file) cannot be made.
    for (std::string prefix = *host; !prefix.empty() && prefix != "/";) {
        HostEntry facts;
        if (statPath(prefix, facts) && facts.kind != HostKind::Directory && facts.kind != HostKind::SymLink) {
            messageBox(windowText(language, Section, "TargetInArchive") + "\r\r" + folder, caption,
                Buttons::Ok, Icon::Error);
            return false;
        }
        const std::size_t slash = prefix.find_last_of('/');
        prefix = slash == std::string::npos ? std::string() : prefix.substr(0, slash);
    }
    archive = *source;
    target = *host;
    return true;
}

void TFormExtract::Button1Click()
{
    std::string archive, target;
    if (!hostPaths(archive, target))
        return;
    hide();
    TFormExtFile window(*m_host, m_engine, m_host->Owner());
    window.setRun(archive, target, m_edit2->text().toStdString());
    m_progress = &window;
    window.exec();
    m_progress = nullptr;
    accept();
}

} // namespace ov
