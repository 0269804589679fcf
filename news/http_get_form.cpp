#include "news/http_get_form.h"

#include "news/replacing_file.h"
#include "platform/dialogs.h"
#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace ov {

namespace {

// The repaint interval of the progress display while data pours in.
constexpr qint64 kRepaintMs = 50;

// The host path of the file the user named: a drive path goes through the
// drive table, anything else is taken as a host path.
std::string targetPath(const std::string& text)
{
    if (text.size() >= 2 && text[1] == ':') {
        const auto host = DriveTable::instance().toHost(text);
        return host ? *host : std::string();
    }
    return text;
}

// The download target offered first: ov.zip in the user's download folder
// (XDG_DOWNLOAD_DIR of user-dirs.dirs), else in the home folder, as
// xdg-user-dir answers when the folder is not set or missing.
QString defaultTarget()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath("ov.zip");
}

} // namespace

THttpGetForm::THttpGetForm(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName("HttpGetForm");
    setWindowTitle("Download Orvanta");
    Label1 = new QLabel("Locale filename", this);
    Label1->setObjectName("Label1");
    FileEdit = new QLineEdit(defaultTarget(), this);
    FileEdit->setObjectName("FileEdit");
    URLEdit = new QLineEdit(QString::fromStdString(std::string(OV_NEWS_URL) + "/ov/default.htm"), this);
    URLEdit->setObjectName("URLEdit");
    URLEdit->hide();
    GetButton = new QPushButton("&Get", this);
    GetButton->setObjectName("GetButton");
    GetButton->setDefault(true);
    CancelButton = new QPushButton("&Cancel", this);
    CancelButton->setObjectName("CancelButton");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(FileEdit, 1, 0, 1, 2);
    layout->addWidget(GetButton, 2, 0);
    layout->addWidget(CancelButton, 2, 1);
    layout->addWidget(ProgressBar1, 3, 0, 1, 2);
    layout->addWidget(StatusBar1, 4, 0, 1, 2);

    HttpCli1.ProxyPort = "80";
    HttpCli1.NoCache = false;
    HttpCli1.MultiThreaded = false;
    HttpCli1.OnHeaderData = [this](THttpClient*) { StatusBar1->setText(StatusBar1->text() + "."); };
    HttpCli1.OnDocData = [this](THttpClient*, const char*, int) { showProgress(false); };
    HttpCli1.OnDocEnd = [this](THttpClient*) {
        StatusBar1->clear();
        ProgressBar1->setValue(0);
    };

    connect(GetButton, &QPushButton::clicked, this, [this] { GetButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
}

void THttpGetForm::splitProxy(const std::string& text, std::string& host, std::string& port)
{
    const auto colon = text.rfind(':');
    host = text.substr(0, colon);
    port = colon == std::string::npos ? "80" : text.substr(colon + 1);
}

void THttpGetForm::showProgress(bool force)
{
    // Repainting on every 8 KiB block would cost more than the download.
    if (!force && m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < kRepaintMs)
        return;
    m_sinceRepaint.start();
    const int64_t received = HttpCli1.RcvdCount();
    const int64_t length = HttpCli1.ContentLength();
    StatusBar1->setText(QString::number(received));
    if (length > 0) {
        const double percent
            = std::round(static_cast<double>(received) * 100.0 / static_cast<double>(length));
        ProgressBar1->setValue(static_cast<int>(std::clamp(percent, 0.0, 100.0)));
    }
}

void THttpGetForm::GetButtonClick()
{
    if (m_running)
        return;
    std::string host;
    std::string port;
    splitProxy(ProxyText ? ProxyText() : std::string(), host, port);
    HttpCli1.Proxy = host;
    HttpCli1.ProxyPort = port;
    HttpCli1.URL = URLEdit->text().toStdString();

    const std::string path = targetPath(FileEdit->text().toStdString());
    ReplacingFile file(path);
    if (path.empty() || !file.create()) {
        messageBox(path.empty() ? "Cannot create file " + FileEdit->text().toStdString() : file.errorText(),
            "Download Orvanta", Buttons::Ok, Icon::Error);
        return;
    }
    HttpCli1.RcvdStream = &file;
    GetButton->setEnabled(false);
    CancelButton->setEnabled(true);
    StatusBar1->setText("Loading");
    ProgressBar1->setValue(0); // never the last download's figure
    m_running = true;
    m_sinceRepaint.invalidate();
    try {
        HttpCli1.Get();
        if (file.commit())
            StatusBar1->setText(QString("Received %1 bytes").arg(file.written()));
        else
            StatusBar1->setText(QString::fromStdString("Failed : " + file.errorText()));
    } catch (const EHttpException&) {
        file.discard();
        StatusBar1->setText(QString("Failed : %1 %2")
                                .arg(HttpCli1.StatusCode())
                                .arg(QString::fromStdString(HttpCli1.ReasonPhrase())));
    }
    m_running = false;
    GetButton->setEnabled(true);
    HttpCli1.RcvdStream = nullptr;
}

void THttpGetForm::CancelButtonClick()
{
    reject();
}

void THttpGetForm::reject()
{
    HttpCli1.Abort();
    QDialog::reject();
}

} // namespace ov
