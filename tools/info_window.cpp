// The information window; see info_window.h.
#include "tools/info_window.h"

#include "platform/dialogs.h"
#include "platform/launcher.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace ov {

namespace {

const char* const Credits = "Orvanta v1.11\n"
                            "A two-panel file manager with its tools: archives, viewers and editor, "
                            "music, the Internet dialer, Tetris and Life.\n\n"
                            "Written with Qt. Pictures are decoded with libjpeg, RAR archives read "
                            "through libarchive.\n\n"
                            "Thanks to everyone who sent reports and translations: the English, "
                            "Russian, Polish and Italian texts are theirs.";

QLabel* makeLink(const char* objectName, const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(objectName);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet("color: white;");
    return label;
}

} // namespace

TFormHelp::TFormHelp(const std::string& caption, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName("TFormHelp");
    setWindowTitle(QString::fromStdString(caption));
    setModal(true);
    setFixedSize(360, 300);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    auto* title = new QLabel(QString::fromStdString(caption), this);
    title->setObjectName("Label_Title");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 4);
    title->setFont(titleFont);
    title->setStyleSheet("color: white;");
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    MemoCredits = new QTextEdit(this);
    MemoCredits->setObjectName("MemoCredits");
    MemoCredits->setReadOnly(true);
    MemoCredits->setPlainText(QString::fromUtf8(Credits));
    MemoCredits->setStyleSheet("QTextEdit { color: white; background: rgb(149, 150, 255); }");
    layout->addWidget(MemoCredits, 1);

    LabelAbout = makeLink("LabelAbout", "About program", this);
    LabelSupport = makeLink("LabelSupport", "Technical support", this);
    LabelHomePage = makeLink("LabelHomePage", "Home page", this);
    LabelSupport->setToolTip(QString::fromStdString(SupportAddress()));
    LabelHomePage->setToolTip(QString::fromStdString(HomePage()));
    auto* links = new QHBoxLayout;
    for (QLabel* link : { LabelAbout, LabelSupport, LabelHomePage }) {
        link->installEventFilter(this);
        links->addWidget(link, 0, Qt::AlignCenter);
    }
    layout->addLayout(links);

    ButtonOK = new QPushButton("&OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ButtonOK, 0, Qt::AlignCenter);
}

std::string TFormHelp::SupportAddress()
{
    return OV_SUPPORT_EMAIL;
}

std::string TFormHelp::HomePage()
{
    return OV_HOME_PAGE;
}

void TFormHelp::LabelAboutClick()
{
    if (OnAbout)
        OnAbout();
}

bool TFormHelp::LabelSupportClick()
{
    const std::string address = "mailto:" + SupportAddress();
    if (launcher().openDocument(address))
        return true;
    messageBox("Cannot open " + address + ": " + launcher().failure, "Orvanta", Buttons::Ok, Icon::Error);
    return false;
}

bool TFormHelp::LabelHomePageClick()
{
    if (launcher().openDocument(HomePage()))
        return true;
    messageBox("Cannot open " + HomePage() + ": " + launcher().failure, "Orvanta", Buttons::Ok, Icon::Error);
    return false;
}

void TFormHelp::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TFormHelp::paintEvent(QPaintEvent*)
{
    // The product's blue background with a frame, in place of the tiled
    // bitmap of the original.
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0, 0, 128));
    gradient.setColorAt(1, QColor(0, 64, 160));
    painter.fillRect(rect(), gradient);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawRect(rect().adjusted(6, 6, -7, -7));
}

bool TFormHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == LabelAbout)
            LabelAboutClick();
        else if (watched == LabelSupport)
            LabelSupportClick();
        else if (watched == LabelHomePage)
            LabelHomePageClick();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ov
