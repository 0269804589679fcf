// The colours dialog; see colors_window.h.
#include "shell/colors_window.h"

#include "platform/canvas.h"
#include "platform/fonts.h"
#include "shell/language_file.h"
#include "shell/main_window.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ov {

std::function<int(QDialog&)> TFormSetColors::ModalRunner;

namespace {

// The preview's paint box.
constexpr int PreviewWidth = 190;
constexpr int PreviewHeight = 240;

enum Slot : size_t {
    Background,
    Lines,
    InactiveLines,
    PathText,
    SystemText,
    SizeInfo,
    Cursor,
    Folders,
    Files,
    SelectedFiles,
};

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Sends mouse movement over the list to the dialog's handler.
class MoveWatcher : public QObject {
public:
    MoveWatcher(QObject* parent, std::function<void()> onMove)
        : QObject(parent)
        , m_onMove(std::move(onMove))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove)
            m_onMove();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onMove;
};

} // namespace

TFormSetColors::TFormSetColors(TForm1& form, QWidget* parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("FormSetColors"));
    setWindowTitle(QStringLiteral("Set colors"));
    auto* outer = new QHBoxLayout(this);
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(m_group);
    m_list = new QListWidget(m_group);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setMouseTracking(true);
    groupLayout->addWidget(m_list);
    outer->addWidget(m_group, 1);

    auto* side = new QVBoxLayout;
    m_paintBox = new QLabel(this);
    m_paintBox->setObjectName(QStringLiteral("PaintBox1"));
    m_paintBox->setFixedSize(PreviewWidth, PreviewHeight);
    m_marker = new QLabel(QStringLiteral("<<"), m_paintBox);
    m_marker->setObjectName(QStringLiteral("L1"));
    QPalette markerPalette = m_marker->palette();
    markerPalette.setColor(QPalette::WindowText, Qt::red);
    m_marker->setPalette(markerPalette);
    m_marker->adjustSize();
    side->addWidget(m_paintBox);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("Button_OK"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Button_Cancel"));
    m_choose = new QPushButton(QStringLiteral("C&hoose"), this);
    m_choose->setObjectName(QStringLiteral("Button_Set"));
    m_copy = new QPushButton(this);
    m_copy->setObjectName(QStringLiteral("Button_SetFor"));
    for (QPushButton* button : { m_ok, m_cancel, m_choose, m_copy })
        side->addWidget(button);
    outer->addLayout(side);
    m_ok->setDefault(true);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(m_choose, &QPushButton::clicked, this, [this] { Button_SetClick(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { Button_SetForClick(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Button_SetClick(); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { ListBox1MouseMove(); });
    m_list->viewport()->installEventFilter(new MoveWatcher(this, [this] { ListBox1MouseMove(); }));

    // Activation.
    m_timer->start();
    m_working = panelColors(active()->Settings);
    const bool right = m_form.ActiveSide == "Right";
    setWindowTitle(right ? QStringLiteral("Select colors for Right panel")
                         : QStringLiteral("Select colors for Left panel"));
    m_copy->setText(
        right ? QStringLiteral("Set Left panel as Right") : QStringLiteral("Set Right panel as Left"));
    for (const ColorSlot& slotInfo : ColorSlots)
        m_list->addItem(QString::fromLatin1(slotInfo.text));
    const std::string& languageName = m_form.MainSettings.Language;
    if (languageName != "ENGLISH") {
        const IniFile& lang = m_form.Language();
        const auto text = [&](const std::string& key) { return qt(windowText(lang, "SetColors", key)); };
        setWindowTitle(text("Caption"));
        m_ok->setText(text("Button_OK"));
        m_cancel->setText(text("Button_Cancel"));
        m_choose->setText(text("Button_Set"));
        m_copy->setText(text(right ? "Button_SetForLeft" : "Button_SetForRight"));
        for (int i = 0; i < ColorSlotCount; ++i)
            m_list->item(i)->setText(text("i_" + std::to_string(i + 1)));
    }
    m_list->setCurrentRow(0);
    ListBox1MouseMove();
    DrawPreview();
}

TFPanel* TFormSetColors::active() const
{
    return m_form.ActivePanel();
}

TFPanel* TFormSetColors::other() const
{
    return m_form.OtherPanel();
}

int TFormSetColors::slot() const
{
    return m_list->currentRow();
}

void TFormSetColors::ListBox1MouseMove()
{
    const int selected = slot();
    if (selected < 0 || selected >= ColorSlotCount)
        return;
    m_group->setTitle(QLatin1Char(' ') + m_list->item(selected)->text() + QLatin1Char(' '));
    const ColorSlot& info = ColorSlots[static_cast<size_t>(selected)];
    m_marker->move(info.markerX, info.markerY);
}

void TFormSetColors::Timer1Timer()
{
    m_marker->setHidden(!m_marker->isHidden());
}

void TFormSetColors::Button_SetClick()
{
    if (!chooseSlotColor(active()->Settings, slot(), m_working))
        return;
    DrawPreview();
}

void TFormSetColors::Button_OKClick()
{
    setPanelColors(active()->Settings, m_working);
    m_form.FormResize();
    for (TFPanel* panel : { m_form.LeftPanel(), m_form.RightPanel() })
        panel->Layout();
    accept();
}

void TFormSetColors::Button_CancelClick()
{
    reject();
}

void TFormSetColors::Button_SetForClick()
{
    copyPanelColors(active()->Settings, other()->Settings);
    other()->Layout();
    m_form.FormResize();
}

void TFormSetColors::done(int result)
{
    m_timer->stop();
    QDialog::done(result);
}

void TFormSetColors::DrawPreview()
{
    const auto color = [this](Slot s) { return toQColor(m_working[s]); };
    QImage image(PreviewWidth, PreviewHeight, QImage::Format_RGB32);
    image.fill(color(Background));
    QPainter painter(&image);
    const int w = PreviewWidth, h = PreviewHeight;
    // The frames and lines, with a 2-pixel pen.
    const auto pen = [&](Slot s) { painter.setPen(QPen(color(s), 2)); };
    painter.setBrush(Qt::NoBrush);
    pen(Lines);
    painter.drawRect(QRect(QPoint(2, 3), QPoint(w - 60, h - 3)));
    painter.drawLine(2, 30, w - 60, 30);
    painter.drawLine(2, h - 40, w - 60, h - 40);
    pen(InactiveLines);
    painter.drawRect(QRect(QPoint(w - 50, 3), QPoint(w - 2, h - 3)));
    // The cursor bar.
    painter.fillRect(QRect(QPoint(5, 69), QPoint(w - 62, 85)), color(Cursor));
    // The texts, their top left at the point given; drawn without
    // antialiasing so that every text pixel is in its colour.
    QFont plain = makeFont(QStringLiteral("MS Sans Serif"), 8, false);
    plain.setStyleStrategy(QFont::NoAntialias);
    QFont bold = plain;
    bold.setBold(true);
    const auto text = [&](int x, int y, const QColor& c, const QFont& font, const char* words) {
        painter.setFont(font);
        painter.setPen(c);
        painter.drawText(QRect(x, y, w - x, 20), Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(words));
    };
    text(20, 8, color(PathText), plain, "c:\\windows\\system");
    text(7, h - 36, color(SystemText), plain, "<command.com>");
    text(7, h - 21, color(SystemText), plain, "745Mb free on drive");
    text(90, h - 36, color(SizeInfo), plain, "14 678");
    text(7, 40, color(Folders), bold, "AIDS");
    text(7, 55, color(Folders), bold, "Windows");
    text(7, 85, color(Files), plain, "command.com");
    text(7, 100, color(Files), plain, "config.sys");
    text(7, 115, color(SelectedFiles), plain, "user.cfg");
    text(7, 70, Qt::white, plain, "autoexec.bat");
    painter.end();
    m_preview = image;
    m_paintBox->setPixmap(QPixmap::fromImage(m_preview));
}

void TFormSetColors::Execute(TForm1& form)
{
    TFormSetColors window(form, &form);
    if (ModalRunner)
        ModalRunner(window);
    else
        window.exec();
}

} // namespace ov
