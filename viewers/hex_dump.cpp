#include "viewers/hex_dump.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cstring>

namespace ov {

namespace {

constexpr int kAddressColumns = 10;

// A 0x00BBGGRR value as a colour. Values with the top bit name system
// colours: the window background (5) is white, everything else black.
QColor toQColor(uint32_t value)
{
    if (value & 0x80000000u)
        return (value & 0xFF) == 5 ? QColor(Qt::white) : QColor(Qt::black);
    return QColor(value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF);
}

} // namespace

THexDump::THexDump(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applyFrame();
    measureFont();
    resize(300, 200);
    updateLayout();
}

void THexDump::measureFont()
{
    // Line height: the height of "A" and two pixels; character width: the
    // width of "D" and one pixel.
    const QFontMetrics metrics(font());
    m_lineHeight = std::max(1, metrics.height() + 2);
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('D')) + 1);
    m_ascent = metrics.ascent();
}

void THexDump::applyFrame()
{
    if (m_border == TBorderStyle::bsNone)
        setFrameStyle(QFrame::NoFrame);
    else
        setFrameStyle(m_ctl3D ? (QFrame::StyledPanel | QFrame::Sunken) : (QFrame::Box | QFrame::Plain));
}

void THexDump::updateLayout()
{
    const QSize client = viewport()->size();
    m_layout = hexLayout(client.width(), client.height(), m_lineHeight, m_charWidth, m_showAddress,
        m_showCharacters, m_hasData ? m_data.size : 0);
    m_top = hexClampTop(m_top, m_layout.lineCount);
    m_current = hexClampTop(m_current, m_layout.lineCount);
    QScrollBar* bar = verticalScrollBar();
    m_settingScrollBar = true;
    const int64_t last = m_layout.lineCount ? static_cast<int64_t>(m_layout.lineCount - 1) : 0;
    bar->setRange(0, static_cast<int>(std::min<int64_t>(last, INT_MAX)));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, m_layout.visibleLines - 1));
    bar->setValue(static_cast<int>(std::min<int64_t>(m_top, INT_MAX)));
    m_settingScrollBar = false;
    if (m_canvas.size() != client)
        m_canvas = QImage(client.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    repaintAll();
}

void THexDump::SetData(std::span<const uint8_t> bytes, uint64_t address)
{
    m_data.bytes = bytes;
    m_data.address = address;
    m_hasData = true;
    repaintAll();
}

void THexDump::SetDataSize(uint64_t size)
{
    m_data.size = size;
    m_top = 0;
    m_current = 0;
    updateLayout();
}

void THexDump::SetBorder(TBorderStyle border)
{
    if (border == m_border)
        return;
    m_border = border;
    applyFrame();
    updateLayout();
}

void THexDump::SetCtl3D(bool on)
{
    if (on == m_ctl3D)
        return;
    m_ctl3D = on;
    applyFrame();
    updateLayout();
}

void THexDump::SetTabStop(bool on)
{
    m_tabStop = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void THexDump::SetShowAddress(bool on)
{
    if (on == m_showAddress)
        return;
    m_showAddress = on;
    updateLayout();
}

void THexDump::SetShowCharacters(bool on)
{
    if (on == m_showCharacters)
        return;
    m_showCharacters = on;
    updateLayout();
}

void THexDump::setColorValue(uint32_t& slot, uint32_t color)
{
    if (slot == color)
        return;
    slot = color;
    repaintAll();
}

void THexDump::SetColor(uint32_t color)
{
    setColorValue(m_color, color);
}

void THexDump::SetAddressColor(uint32_t color)
{
    setColorValue(m_addressColor, color);
}

void THexDump::SetHexDataColor(uint32_t color)
{
    setColorValue(m_hexDataColor, color);
}

void THexDump::SetAnsiCharColor(uint32_t color)
{
    setColorValue(m_ansiCharColor, color);
}

void THexDump::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateLayout();
}

void THexDump::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureFont();
        updateLayout();
    }
}

void THexDump::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.drawImage(0, 0, m_canvas);
}

void THexDump::repaintAll()
{
    paintRows(0, m_layout.visibleLines - 1);
}

void THexDump::paintRows(int first, int last)
{
    if (m_canvas.isNull())
        return;
    QPainter painter(&m_canvas);
    painter.setFont(font());
    for (int row = std::max(first, 0); row <= last; ++row)
        paintRow(painter, row);
    painter.end();
    viewport()->update();
}

void THexDump::paintRow(QPainter& painter, int row)
{
    const int y = row * m_lineHeight;
    painter.fillRect(0, y, m_canvas.width(), m_lineHeight, toQColor(m_color));
    const int64_t line = m_top + row;
    if (!m_hasData || line < 0 || static_cast<uint64_t>(line) >= m_layout.lineCount)
        return;
    const HexRow text = hexRow(m_data, static_cast<uint64_t>(line), m_layout.bytesPerLine);
    const int baseline = y + 1 + m_ascent;
    painter.setClipRect(0, y, m_canvas.width(), m_lineHeight);
    int x = 0;
    if (m_showAddress) {
        painter.setPen(toQColor(m_addressColor));
        painter.drawText(0, baseline, QString::fromLatin1(text.address.c_str()));
        x = kAddressColumns * m_charWidth;
    }
    // Each byte's two digits sit at a stop every three character widths.
    painter.setPen(toQColor(m_hexDataColor));
    for (int i = 0; i < text.byteCount; ++i)
        painter.drawText(x + 3 * i * m_charWidth, baseline,
            QString::fromLatin1(text.hex.c_str() + 3 * static_cast<std::size_t>(i), 2));
    if (m_showCharacters) {
        painter.setPen(toQColor(m_ansiCharColor));
        painter.drawText(x + m_layout.bytesPerLine * 3 * m_charWidth, baseline,
            QString::fromUtf8(text.characters.c_str()));
    }
    painter.setClipping(false);
}

void THexDump::setTop(int64_t top)
{
    top = hexClampTop(top, m_layout.lineCount);
    const int64_t moved = top - m_top;
    if (moved == 0)
        return;
    m_top = top;
    if (!m_settingScrollBar) {
        m_settingScrollBar = true;
        verticalScrollBar()->setValue(static_cast<int>(std::min<int64_t>(m_top, INT_MAX)));
        m_settingScrollBar = false;
    }
    if ((moved != 1 && moved != -1) || m_canvas.height() <= m_lineHeight) {
        repaintAll();
        return;
    }
    // One line: move the pixels by one line height and paint only the rows
    // that the move uncovered.
    const int height = m_canvas.height();
    const auto stride = static_cast<std::size_t>(m_canvas.bytesPerLine());
    uchar* bits = m_canvas.bits();
    const auto shifted = static_cast<std::size_t>(height - m_lineHeight) * stride;
    if (moved == 1) {
        std::memmove(bits, bits + static_cast<std::size_t>(m_lineHeight) * stride, shifted);
        paintRows((height - m_lineHeight) / m_lineHeight, m_layout.visibleLines - 1);
    } else {
        std::memmove(bits + static_cast<std::size_t>(m_lineHeight) * stride, bits, shifted);
        paintRows(0, 0);
    }
}

void THexDump::scrollContentsBy(int, int)
{
    if (!m_settingScrollBar) {
        m_settingScrollBar = true;
        setTop(verticalScrollBar()->value());
        m_settingScrollBar = false;
    }
}

void THexDump::keyPressEvent(QKeyEvent* event)
{
    HexKey key;
    switch (event->key()) {
    case Qt::Key_PageUp:
        key = HexKey::PageUp;
        break;
    case Qt::Key_PageDown:
        key = HexKey::PageDown;
        break;
    case Qt::Key_Home:
        key = HexKey::Home;
        break;
    case Qt::Key_End:
        key = HexKey::End;
        break;
    case Qt::Key_Up:
        key = HexKey::Up;
        break;
    case Qt::Key_Down:
        key = HexKey::Down;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!m_hasData)
        return;
    const HexPosition next = hexKeyMove({ m_top, m_current }, key, m_layout.visibleLines, m_layout.lineCount);
    m_current = next.current;
    setTop(next.top);
}

void THexDump::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && m_hasData && m_layout.lineCount)
        m_current = hexClampTop(
            m_top + static_cast<int64_t>(event->position().y()) / m_lineHeight, m_layout.lineCount);
    event->accept();
}

} // namespace ov
