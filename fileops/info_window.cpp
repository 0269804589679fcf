// The "About system" window; see info_window.h.
#include "fileops/info_window.h"

#include "fileops/drive_info_rows.h"
#include "panel/drive_facts.h"
#include "shell/language_file.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace ov {

TFormInfo::TFormInfo(TFileOpsHost& host, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName("TFormInfo");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(this);
    title->setObjectName("Label_Title");
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_grid = new QGridLayout;
    layout->addLayout(m_grid);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button_OK");
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormInfo::Execute(TFileOpsHost& host)
{
    TFormInfo window(host, host.Owner());
    window.FormShow();
    window.exec();
}

std::string TFormInfo::VideoMode()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::string();
    return std::to_string(screen->geometry().width()) + "x" + std::to_string(screen->geometry().height())
        + "x" + colorsOfDepth(screen->depth());
}

void TFormInfo::FormShow()
{
    const IniFile& language = m_host.Language();
    const bool english = m_host.Settings().Language == "ENGLISH";
    const auto text = [&](const char* key, const char* english_text) {
        return english ? std::string(english_text) : windowText(language, "AboutSystem", key);
    };
    const TBrowser& list = m_host.List(PanelSide::Active);
    const char letter = list.DiskRoot.empty() ? 'c' : list.DiskRoot[0];
    const DiskSpace space = driveSpace(letter);
    m_rows = systemInfoRows(
        readSystemFacts(), space.known ? space.totalBytes : 0, VideoMode(), text("bytes", "bytes"));
    const char* keys[] = { "Label_Computer", "Label_Processor", "Label_Memory", "Label_Video", "Label_Drive",
        "Label_OS", "Label_UserName" };
    for (std::size_t i = 0; i < m_rows.size() && i < std::size(keys); ++i)
        m_rows[i].first = text(keys[i], m_rows[i].first.c_str());
    setWindowTitle(QString::fromStdString(text("Caption", "About system")));
    findChild<QLabel*>("Label_Title")->setText("System Information:");
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        auto* label = new QLabel(QString::fromStdString(m_rows[i].first), this);
        auto* value = new QLabel(QString::fromStdString(m_rows[i].second), this);
        value->setObjectName(QString("Value_%1").arg(i));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_grid->addWidget(label, static_cast<int>(i), 0);
        m_grid->addWidget(value, static_cast<int>(i), 1);
    }
}

} // namespace ov
