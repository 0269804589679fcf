#include "news/http_thread_form.h"

#include "news/http_get_form.h"
#include "news/http_thread.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/ini_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace ov {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* text)
{
    auto* result = new QPushButton(QString::fromUtf8(text), parent);
    result->setObjectName(name);
    return result;
}

} // namespace

THttpThreadForm::THttpThreadForm(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , ServerURL(OV_NEWS_URL)
    , IniPath(windowsFolder() + "/ov_news.ini")
{
    setObjectName("HttpThreadForm");
    setWindowTitle("Orvanta's news");

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Label1 = new QLabel(
        "Please connect to your of Internet provider and press the button 'Get Info' for receiving "
        "last information about Orvanta",
        this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->clear();
    GetInfoButton = button(this, "GetInfoButton", "&Get Info");
    GetInfoButton->setDefault(true);
    DownloadButton = button(this, "DownloadButton", "&Download");
    OptionsButton = button(this, "OptionsButton", "&Options");
    ExitButton = button(this, "ExitButton", "&Exit");
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addWidget(Label1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : { GetInfoButton, DownloadButton, OptionsButton, ExitButton })
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    resize(420, 320);

    // The options panel floats over the window; its title strip drags it.
    OptionsPanel = new QFrame(this);
    OptionsPanel->setObjectName("OptionsPanel");
    OptionsPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    OptionsPanel->setAutoFillBackground(true);
    OptionsTitle = new QLabel(" Options", OptionsPanel);
    OptionsTitle->setObjectName("OptionsTitle");
    OptionsTitle->setStyleSheet("background: navy; color: white;");
    OptionsTitle->installEventFilter(this);
    ProxyLabel = new QLabel("Proxy (host and port), e.g. proxy.example.com:8080", OptionsPanel);
    ProxyLabel->setObjectName("ProxyLabel");
    ProxyEdit = new QLineEdit(OptionsPanel);
    ProxyEdit->setObjectName("ProxyEdit");
    OKButton = button(OptionsPanel, "OKButton", "&OK");
    auto* panelLayout = new QVBoxLayout(OptionsPanel);
    panelLayout->setContentsMargins(2, 2, 2, 6);
    panelLayout->addWidget(OptionsTitle);
    panelLayout->addWidget(ProxyLabel);
    panelLayout->addWidget(ProxyEdit);
    panelLayout->addWidget(OKButton, 0, Qt::AlignRight);
    OptionsPanel->resize(320, 120);
    OptionsPanel->hide();

    m_newsFeeder = new QTimer(this);
    m_newsFeeder->setInterval(0);
    connect(m_newsFeeder, &QTimer::timeout, this, [this] { feedNews(); });

    GetForm = new THttpGetForm(this);
    GetForm->ProxyText = [this] { return ProxyEdit->text().toStdString(); };

    connect(GetInfoButton, &QPushButton::clicked, this, [this] { GetInfoButtonClick(); });
    connect(DownloadButton, &QPushButton::clicked, this, [this] { DownloadButtonClick(); });
    connect(OptionsButton, &QPushButton::clicked, this, [this] { OptionsButtonClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { close(); });
}

THttpThreadForm::~THttpThreadForm()
{
    StopWorkers();
}

void THttpThreadForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void THttpThreadForm::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    const IniFile ini(IniPath);
    ProxyEdit->setText(QString::fromStdString(ini.readString("Data", "Proxy", "")));
}

void THttpThreadForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void THttpThreadForm::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    IniFile ini(IniPath);
    ini.writeString("Data", "Proxy", ProxyEdit->text().toStdString());
    StopWorkers();
}

void THttpThreadForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool THttpThreadForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == OptionsTitle) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_dragStart = static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - OptionsPanel->pos();
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            OptionsPanel->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_dragStart);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void THttpThreadForm::OptionsButtonClick()
{
    if (OptionsPanel->isHidden())
        OptionsPanel->move((width() - OptionsPanel->width()) / 2, (height() - OptionsPanel->height()) / 2);
    OptionsPanel->setVisible(OptionsPanel->isHidden());
    if (OptionsPanel->isVisible())
        OptionsPanel->raise();
}

void THttpThreadForm::OKButtonClick()
{
    OptionsPanel->hide();
}

void THttpThreadForm::GetInfoButtonClick()
{
    clearNews();
    Memo1->clear();
    StatusBar1->setText("Connecting...");
    for (int slot = 0; slot < kSlots; ++slot) {
        if (ThreadState[slot] == 0) {
            int free = 0;
            while (free < kSlots && Threads[free])
                ++free;
            if (free == kSlots)
                continue;
            auto* worker = new THTTPThread(free, this);
            worker->OnReport = [this](THTTPThread*, const std::string& report) { workerReport(report); };
            worker->OnDone = [this](THTTPThread* sender, bool success, const QByteArray& body) {
                workerDone(sender, success, body);
            };
            Threads[free] = worker;
            ThreadState[free] = 1;
            worker->start(); // waits, suspended, for its first request
        }
        if (ThreadState[slot] == 1) {
            Threads[slot]->Setup(ServerURL + "/ov/news.txt", ProxyEdit->text().toStdString());
            ThreadState[slot] = 2;
            Threads[slot]->Resume();
            return;
        }
    }
    messageBox("No more threads available", "Orvanta's news");
}

void THttpThreadForm::workerReport(const std::string& report)
{
    if (report == "0 Doc end")
        StatusBar1->setText("Ready");
}

void THttpThreadForm::workerDone(THTTPThread* worker, bool success, const QByteArray& body)
{
    ThreadState[worker->Slot()] = 1;
    if (!success || body.isEmpty())
        return;
    // A line ends at CR; an LF right after it is skipped; a last line without
    // CR counts as well.
    QByteArray bytes = body;
    bytes.replace("\r\n", "\r");
    bytes.replace('\r', '\n');
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    const QString text = QString::fromLocal8Bit(bytes);
    if (m_news.isEmpty() && text.count('\n') < kLinesPerTurn) {
        Memo1->appendPlainText(text);
        return;
    }
    // A long text goes in by slices, one per turn of the event loop: the
    // text engine takes seconds for a million lines in any one call.
    if (!m_news.isEmpty())
        m_news += '\n';
    m_news += text;
    m_newsFeeder->start();
}

void THttpThreadForm::feedNews()
{
    // Slices of kLinesPerSlice lines until this turn has taken kTurnMs.
    QElapsedTimer turn;
    turn.start();
    do {
        qsizetype end = m_newsPosition;
        for (int line = 0; line < kLinesPerSlice; ++line) {
            end = m_news.indexOf('\n', end);
            if (end < 0)
                break;
            if (line + 1 < kLinesPerSlice)
                ++end;
        }
        if (end < 0)
            end = m_news.size();
        Memo1->appendPlainText(m_news.mid(m_newsPosition, end - m_newsPosition));
        m_newsPosition = end + 1;
        if (m_newsPosition > m_news.size())
            return clearNews();
    } while (turn.elapsed() < kTurnMs);
}

void THttpThreadForm::clearNews()
{
    m_newsFeeder->stop();
    m_news.clear();
    m_newsPosition = 0;
}

bool THttpThreadForm::NewsPending() const
{
    return !m_news.isEmpty();
}

void THttpThreadForm::DownloadButtonClick()
{
    GetForm->move(pos() + QPoint(120, 130));
    GetForm->exec();
}

void THttpThreadForm::StopWorkers(int timeoutMs)
{
    for (THTTPThread* worker : Threads)
        if (worker)
            worker->Stop();
    // Workers may be waiting on a synchronised call to this thread: keep
    // serving them while they wind down.
    QDeadlineTimer deadline(timeoutMs);
    for (THTTPThread*& worker : Threads) {
        if (!worker)
            continue;
        while (!worker->wait(QDeadlineTimer(10)) && !deadline.hasExpired())
            QCoreApplication::processEvents();
        if (worker->isRunning()) {
            worker->terminate(); // the last resort: exit must not hang
            worker->wait(1000);
        }
        delete worker;
        worker = nullptr;
    }
    ThreadState.fill(0);
}

} // namespace ov
