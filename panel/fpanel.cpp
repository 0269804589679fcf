#include "panel/fpanel.h"

#include "platform/colors.h"

#include <QMouseEvent>
#include <QPainter>

namespace ov {

TFPanel::TFPanel(QWidget* parent)
    : QWidget(parent)
    , LineColorSlave(systemColorValue(clBtnFace))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    ResetDefaults();
}

void TFPanel::ResetDefaults()
{
    ViewMode = PanelName == "Right" ? 3 : 1;
    Columns = 3;
    FontSizeSetting = 8;
    Path = "c:\\";
    SortSetting = "srName";
    PanelFon = 0x800000;
    PanelSelectFon = 0xA8A800;
    LineColor = 0xFFFFFF;
    LineColorSlave = systemColorValue(clBtnFace);
    DirectoryColor = 0xFFFFFF;
    FileSelectColor = 0x00FFFF;
    PathColor = 0xFFFFFF;
    ShowScrollBar = true;
    m_canvas.setFont("MS Sans Serif", 8, false);
}

void TFPanel::ApplyFontSize()
{
    const int letter = m_canvas.textHeight("C");
    if (FontSizeSetting == 8)
        HeaderHeight = 25;
    else if (FontSizeSetting < 8)
        HeaderHeight = 2 * letter;
    else
        HeaderHeight = (3 * letter + 1) / 2;
    FooterHeight = FontSizeSetting == 8 ? 38 : 4 * FontSizeSetting;
}

void TFPanel::ReadFolder()
{
    std::string path = Path;
    if (path.size() < 2 || path[1] != ':')
        path = "c:\\";
    if (path.size() < 3 || path[2] != '\\')
        path.insert(2, "\\");
    if (path.back() != '\\')
        path += '\\';
    Browser.DirsFirst = true;
    Browser.OpenDisk(path.substr(0, 3), 0, path.substr(3));
    Path = Browser.CurrentFolder();
    TopIndex = 0;
    CursorRow = 0;
    Layout();
}

int TFPanel::RowsPerColumn() const
{
    const int listHeight = height() - HeaderHeight - FooterHeight - (ShowScrollBar ? ScrollBand : 0);
    const int rowHeight = std::max(1, QFontMetrics(m_canvas.font()).height());
    return std::max(1, listHeight / rowHeight);
}

std::string TFPanel::CurrentPath() const
{
    return Browser.CurrentFolder() + Browser.NameAt(CurrentIndex());
}

void TFPanel::DrawFrame()
{
    m_canvas.setPenColor(IsActive ? LineColor : LineColorSlave);
    m_canvas.frameRect(1, 1, width() - 1, height() - 1);
    m_canvas.moveTo(1, HeaderHeight - 1);
    m_canvas.lineTo(width() - 1, HeaderHeight - 1);
    const int footerTop = height() - FooterHeight - (ShowScrollBar ? ScrollBand : 0);
    m_canvas.moveTo(1, footerTop);
    m_canvas.lineTo(width() - 1, footerTop);
    update();
}

void TFPanel::drawRow(int row, bool cursor)
{
    const int rows = RowsPerColumn();
    const int columns = ColumnCount();
    const int column = row / rows;
    const int line = row % rows;
    if (column >= columns)
        return;
    const int rowHeight = QFontMetrics(m_canvas.font()).height();
    const int columnWidth = (width() - 4) / columns;
    const int left = 2 + column * columnWidth;
    const int top = HeaderHeight + line * rowHeight;
    m_canvas.setBrushColor(cursor && IsActive ? PanelSelectFon : PanelFon);
    m_canvas.fillRect(left + 1, top, left + columnWidth - 1, top + rowHeight);
    const int index = TopIndex + row + 1;
    if (index > Browser.Count)
        return;
    const Entry& entry = Browser.Entries[static_cast<std::size_t>(index - 1)];
    m_canvas.setFontColor(entry.Selected ? FileSelectColor : DirectoryColor);
    m_canvas.textRect(left + 1, top, left + columnWidth - 2, top + rowHeight, left + 3, top, QString::fromStdString(entry.FullName));
}

void TFPanel::DrawList()
{
    const int visible = RowsPerColumn() * ColumnCount();
    for (int row = 0; row < visible; ++row)
        drawRow(row, false);
    update();
}

void TFPanel::PlaceCursor()
{
    const int visible = RowsPerColumn() * ColumnCount();
    const int count = Browser.Count;
    TopIndex = std::clamp(TopIndex, 0, std::max(0, count - visible));
    CursorRow = std::clamp(CursorRow, 0, std::max(0, std::min(visible, count - TopIndex) - 1));
    if (count > 0)
        Browser.CurIndex = CurrentIndex();
}

void TFPanel::DrawCursor()
{
    if (Browser.Count == 0)
        return;
    drawRow(CursorRow, true);
    update();
}

void TFPanel::EraseCursor()
{
    drawRow(CursorRow, false);
    update();
}

void TFPanel::Layout()
{
    m_canvas.resize(width(), height());
    m_canvas.setBrushColor(PanelFon);
    m_canvas.fillRect(0, 0, width(), height());
    DrawFrame();
    m_canvas.setFontColor(PathColor);
    m_canvas.textRect(2, 2, width() - 2, HeaderHeight - 2, 6, 5, QString::fromStdString(Browser.CurrentFolder()));
    PlaceCursor();
    DrawList();
    DrawCursor();
}

void TFPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.image());
}

void TFPanel::resizeEvent(QResizeEvent*)
{
    Layout();
}

void TFPanel::mousePressEvent(QMouseEvent* event)
{
    if (!IsActive && OnChangeActive)
        OnChangeActive(this, "Active");
    QWidget::mousePressEvent(event);
}

} // namespace ov
