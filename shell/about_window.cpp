// The About box; see about_window.h.
#include "shell/about_window.h"

#include "platform/dialogs.h"
#include "platform/launcher.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#ifndef OV_BUILD_VERSION
#define OV_BUILD_VERSION ""
#endif
#ifndef OV_SOURCE_REVISION
#define OV_SOURCE_REVISION ""
#endif
#ifndef OV_BUILD_DATE
#define OV_BUILD_DATE ""
#endif
#ifndef OV_SUPPORT_EMAIL
#define OV_SUPPORT_EMAIL ""
#endif
#ifndef OV_HOME_PAGE
#define OV_HOME_PAGE ""
#endif

namespace ov {

std::function<int(QDialog&)> TAboutForm::ModalRunner;

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

// 0x00BBGGRR as a Qt colour.
QColor colorOf(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

constexpr int MemoColor = 16749973;

// "BITMAP1": the background tile, drawn here rather than kept as a file: a
// soft diagonal weave in blues.
const QImage& backgroundTile()
{
    static const QImage tile = [] {
        QImage image(16, 16, QImage::Format_RGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int band = ((x + y) / 4 + (x - y + 16) / 4) % 2;
                image.setPixelColor(x, y, band ? QColor(0x20, 0x30, 0x80) : QColor(0x28, 0x3c, 0x98));
            }
        return image;
    }();
    return tile;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QColor& color, QRect geometry)
{
    auto* made = new QLabel(text, parent);
    made->setObjectName(name);
    made->setGeometry(geometry);
    QPalette palette = made->palette();
    palette.setColor(QPalette::WindowText, color);
    made->setPalette(palette);
    return made;
}

} // namespace

AboutFacts AboutFacts::ofThisBuild()
{
    return { OV_BUILD_VERSION, OV_SOURCE_REVISION, OV_BUILD_DATE, OV_SUPPORT_EMAIL, OV_HOME_PAGE };
}

TAboutForm::TAboutForm(
    const IniFile& language, const std::string& languageName, const AboutFacts& facts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_facts(facts)
{
    setObjectName("AboutForm");
    setWindowTitle(languageName == "ENGLISH"
            ? QString("About program")
            : qt(language.readString("MainMenu", "OV_About", "About program")));
    setFixedSize(441, 283);

    auto* outer = new QFrame(this);
    outer->setObjectName("Bevel1");
    outer->setFrameStyle(QFrame::Box | QFrame::Raised);
    outer->setGeometry(0, 0, 441, 283);
    auto* inner = new QFrame(this);
    inner->setObjectName("Bevel2");
    inner->setFrameStyle(QFrame::Box | QFrame::Sunken);
    inner->setGeometry(8, 8, 425, 265);

    QLabel* title = label(this, "Panel1", "About Orvanta", Qt::white, QRect(16, 14, 409, 44));
    QFont titleFont("Times New Roman");
    titleFont.setPixelSize(32);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);

    QLabel* product = label(this, "Label1", "Orvanta v1.11", Qt::white, QRect(16, 62, 200, 14));
    product->setFont(QFont("Small Fonts", 7));

    const QColor navy(0, 0, 128);
    label(this, "Label2", "E-mail:", navy, QRect(16, 82, 70, 16));
    label(this, "Label3", "Homepage:", navy, QRect(16, 100, 70, 16));
    const auto link = [this](const char* name, const std::string& text, int top) {
        QLabel* made = label(this, name, qt(text), Qt::white, QRect(90, top, 335, 16));
        if (!text.empty()) {
            QFont font = made->font();
            font.setUnderline(true);
            made->setFont(font);
            made->setCursor(Qt::PointingHandCursor);
        }
        return made;
    };
    m_email = link("LabelEMail", facts.email, 82);
    m_homePage = link("LabelHomePage", facts.homePage, 100);

    auto* separator = new QFrame(this);
    separator->setObjectName("Bevel3");
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    separator->setLineWidth(2);
    separator->setGeometry(16, 120, 409, 2);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName("Memo1");
    m_memo->setReadOnly(true);
    m_memo->setGeometry(16, 128, 409, 104);
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Base, colorOf(MemoColor));
    palette.setColor(QPalette::Text, Qt::white);
    m_memo->setPalette(palette);
    std::string memo
        = "Orvanta: a keyboard-driven two-panel file manager with its own viewers, editor, archive "
          "support and tools.\n\nBuild: version "
        + (facts.version.empty() ? std::string("unknown") : facts.version);
    if (!facts.revision.empty())
        memo += ", revision " + facts.revision;
    if (!facts.date.empty())
        memo += ", built " + facts.date;
    memo += ".\n\nThanks to everyone who reported faults and tested the builds.";
    m_memo->setPlainText(qt(memo));

    m_ok = new QPushButton("&OK", this);
    m_ok->setObjectName("BitBtn1");
    m_ok->setGeometry(183, 240, 75, 25);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });
}

std::string TAboutForm::MemoText() const
{
    return m_memo->toPlainText().toStdString();
}

void TAboutForm::open(const std::string& address)
{
    Launcher& run = launcher();
    if (!run.openDocument(address))
        messageBox("Cannot open " + address + ": " + run.failure, windowTitle().toStdString(), Buttons::Ok,
            Icon::Error);
}

void TAboutForm::LabelEMailClick()
{
    if (!m_facts.email.empty())
        open("mailto:" + m_facts.email);
}

void TAboutForm::LabelHomePageClick()
{
    if (!m_facts.homePage.empty())
        open(m_facts.homePage);
}

void TAboutForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape || key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        accept();
}

void TAboutForm::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event->key());
}

void TAboutForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), QPixmap::fromImage(backgroundTile()));
}

void TAboutForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (m_email->geometry().contains(at)) {
        LabelEMailClick();
        return;
    }
    if (m_homePage->geometry().contains(at)) {
        LabelHomePageClick();
        return;
    }
    // The window system's move where it has one; a drag of our own where it
    // has none (Xvfb, offscreen).
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TAboutForm::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void TAboutForm::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void TAboutForm::Execute(const IniFile& language, const std::string& languageName, QWidget* parent)
{
    TAboutForm window(language, languageName, AboutFacts::ofThisBuild(), parent);
    if (ModalRunner)
        ModalRunner(window);
    else
        window.exec();
}

} // namespace ov
