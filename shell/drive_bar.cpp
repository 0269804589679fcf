// TMyToolBar; see drive_bar.h.
#include "shell/drive_bar.h"

#include "panel/drive_facts.h"
#include "panel/fpanel.h"
#include "platform/colors.h"
#include "shell/tool_bar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace ov {

namespace {

const int32_t BarColour = systemColorValue(clBtnFace);
constexpr int32_t HintWhite = 0xFFFFFF;
// The tooltip background of the system palette.
const int32_t HintNotReady = systemColorValue(24);

// A drive facts cache for bars the window gave none.
DriveFactsCache& sharedFacts()
{
    static DriveFactsCache facts;
    return facts;
}

} // namespace

TMyToolBar::TMyToolBar(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hintTimer = new QTimer(this);
    m_hintTimer->setInterval(500);
    connect(m_hintTimer, &QTimer::timeout, this, [this] { HintTimerTick(); });
    m_canvas.setFont(QStringLiteral("Small Fonts"), 7);
    m_canvas.setFontColor(8421504);
    for (const char* kind : { "floppy", "hdd", "network", "cdrom" })
        m_pictures[kind] = drivePicture(kind);
    Beep = [] { QApplication::beep(); };
    WindowActive = [this] { return window()->isActiveWindow(); };
}

TMyToolBar::~TMyToolBar() = default;

void TMyToolBar::Fill(std::shared_ptr<const DriveButtonList> drives)
{
    Drives = std::move(drives);
    ButtonCount = Drives ? Drives->count() : 0;
    HoverIndex = 0;
    NotReady = false;
    Paint();
}

void TMyToolBar::Paint()
{
    m_canvas.resize(std::max(width(), NaturalWidth), std::max(height(), DriveBarHeight));
    m_canvas.setBrushColor(BarColour);
    m_canvas.fillRect(0, 0, m_canvas.width(), m_canvas.height());
    for (int i = 1; i <= ButtonCount; ++i) {
        const auto picture = m_pictures.find(Drives->kinds[static_cast<std::size_t>(i - 1)]);
        if (picture != m_pictures.end() && !picture->second.isNull())
            m_canvas.drawImage(drivePictureLeft(i), 4, picture->second);
    }
    if (HoverIndex > 0 && HoverIndex <= ButtonCount)
        drawFrame(HoverIndex, true);
    update();
}

void TMyToolBar::drawFrame(int index, bool raised)
{
    const int x0 = ButtonWidth * index - ButtonWidth;
    const int x1 = ButtonWidth * index - 1;
    const int y1 = m_canvas.height() - 6;
    // Light edges first: the shadow owns the corners it shares with them.
    m_canvas.setBrushColor(raised ? RaisedLight : BarColour);
    m_canvas.fillRect(x0, 0, x0 + 1, y1 + 1);
    m_canvas.fillRect(x0, 0, x1 + 1, 1);
    m_canvas.setBrushColor(raised ? RaisedShadow : BarColour);
    m_canvas.fillRect(x1, 0, x1 + 1, y1 + 1);
    m_canvas.fillRect(x0, y1, x1 + 1, y1 + 1);
}

void TMyToolBar::setHintColour(int32_t colour)
{
    if (!HintBox)
        return;
    QPalette palette = HintBox->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    HintBox->setPalette(palette);
}

void TMyToolBar::setHintText(const std::string& text)
{
    if (!HintBox)
        return;
    const QString shown = QString::fromStdString(text);
    HintBox->setText(shown);
    const QFont font = Label3 ? Label3->font() : HintBox->font();
    HintBox->resize(QFontMetrics(font).horizontalAdvance(shown) + 6, HintBox->height());
}

std::string TMyToolBar::hintFor(int index)
{
    const std::size_t at = static_cast<std::size_t>(index - 1);
    const char letter = Drives->letters[at];
    const DriveType type = driveKindType(Drives->kinds[at]);
    // Removable and CD-ROM drives are never asked: their text is fixed.
    std::string label;
    if (type != DriveType::Removable && type != DriveType::CdRom)
        label = (Facts ? *Facts : sharedFacts()).label(letter).value_or(std::string());
    return driveHintText(letter, type, label);
}

void TMyToolBar::BarMouseMove(int x, int screenX)
{
    if (WindowActive && !WindowActive())
        return;
    const int index = driveButtonAt(x);
    const int previous = HoverIndex <= 0 ? 1 : HoverIndex;
    if (index != previous) {
        drawFrame(previous, false);
        m_canvas.setBrushColor(BarColour);
        m_canvas.fillRect(0, 0, m_canvas.width(), 4);
    }
    HoverIndex = index;
    if (index > 0 && index <= ButtonCount) {
        drawFrame(index, true);
        if (!m_hintTimer->isActive())
            m_hintTimer->start();
        if (NotReady && NotReadyIndex != index) {
            NotReady = false;
            setHintColour(HintWhite);
        }
        if (!NotReady)
            setHintText(hintFor(index));
        if (HintBox) {
            const int left = screenX - window()->x() + 5;
            const int top = (HintTopPanel ? HintTopPanel->y() : 0) + 1;
            HintBox->move(left, top);
        }
    }
    update();
}

void TMyToolBar::BarMouseLeave()
{
    if (HoverIndex > 0)
        drawFrame(HoverIndex, false);
    m_canvas.setBrushColor(BarColour);
    m_canvas.fillRect(0, 0, m_canvas.width(), 4);
    HoverIndex = 0;
    if (HintBox)
        HintBox->hide();
    m_hintTimer->stop();
    NotReady = false;
    setHintColour(HintWhite);
    update();
}

void TMyToolBar::HintTimerTick()
{
    if (HintBox && HintBox->isHidden()) {
        HintBox->raise();
        HintBox->show();
    }
}

void TMyToolBar::BarMouseDown()
{
    if (HoverIndex <= 0 || HoverIndex > ButtonCount || !Drives)
        return;
    // A slow folder is being read: the press waits for nothing.
    if (Panel && Panel->IsReading())
        return;
    const char letter = Drives->letters[static_cast<std::size_t>(HoverIndex - 1)];
    if ((Facts ? *Facts : sharedFacts()).ready(letter)) {
        openDrive(letter);
        return;
    }
    if (Beep)
        Beep();
    setHintColour(HintNotReady);
    setHintText(NotReadyText ? NotReadyText() : std::string());
    NotReady = true;
    NotReadyIndex = HoverIndex;
}

void TMyToolBar::openDrive(char letter)
{
    TFPanel* panel = Panel;
    if (!panel)
        return;
    panel->Settings.Path = std::string(1, letter) + ":\\";
    if (OtherPanel)
        OtherPanel->update();
    // Information and quick view show the other panel's file: the drive's
    // list comes back in the brief mode.
    if (panel->Settings.ViewMode == ViewMode::Information
        || panel->Settings.ViewMode == ViewMode::QuickView) {
        panel->Settings.ViewMode = ViewMode::Brief;
        panel->Settings.Columns = 3;
        panel->Layout();
    }
    panel->EraseCursor();
    panel->ReadFolder();
    panel->TopIndex = 0;
    panel->CursorRow = 0;
    if (panel->Browser.Count > 0)
        panel->Browser.CurIndex = 1;
    panel->PlaceCursor();
    panel->DrawList();
    panel->DrawCursor();
    // The prompt shows the active panel's folder, where a command runs: a
    // bar of the inactive panel leaves it alone.
    if (panel->IsActive && panel->OnChangeFolder)
        panel->OnChangeFolder(panel, SideName);
}

void TMyToolBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.image());
}

void TMyToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (width() > m_canvas.width() || height() > m_canvas.height())
        Paint();
}

void TMyToolBar::mouseMoveEvent(QMouseEvent* event)
{
    BarMouseMove(static_cast<int>(event->position().x()), static_cast<int>(event->globalPosition().x()));
}

void TMyToolBar::mousePressEvent(QMouseEvent* event)
{
    // A press without a move before it (a click right after the window
    // came up) still finds its button.
    if (HoverIndex != driveButtonAt(static_cast<int>(event->position().x())))
        BarMouseMove(static_cast<int>(event->position().x()), static_cast<int>(event->globalPosition().x()));
    BarMouseDown();
}

void TMyToolBar::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    BarMouseLeave();
}

void CreateHotDrives(TMyToolBar& left, TMyToolBar& right, const std::vector<Drive>& drives,
    int rightPanelLeft, int toolBarHeight)
{
    auto list = std::make_shared<const DriveButtonList>(hotDriveButtons(drives));
    const int width = driveBarWidth(list->count());
    left.SideName = "Left";
    left.ButtonWidth = DriveButtonWidth;
    left.ButtonHeight = DriveButtonHeight;
    left.setGeometry(3, 32, width, DriveBarHeight);
    left.NaturalWidth = width;
    left.Fill(list);
    right.SideName = "Right";
    right.ButtonWidth = DriveButtonWidth;
    right.ButtonHeight = DriveButtonHeight;
    right.setGeometry(rightPanelLeft + 5, toolBarHeight + 3, left.width(), DriveBarHeight);
    right.NaturalWidth = width;
    right.Fill(left.Drives);
}

} // namespace ov
