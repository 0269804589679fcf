#include "viewers/palette_grid.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace ov {

namespace {
const QRgb unusedGrey = qRgb(128, 128, 128);
}

QSize paletteGridShape(int clientWidth, int scrollBarWidth, int entries)
{
    const int columns = std::max(1, (clientWidth - scrollBarWidth) / kPaletteCell);
    const int rows = std::max(1, (std::max(entries, 0) + columns - 1) / columns);
    return QSize(columns, rows);
}

TPaletteGrid::TPaletteGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName("PaletteGrid");
    std::fill(std::begin(m_colours), std::end(m_colours), unusedGrey);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
}

void TPaletteGrid::SetPalette(const std::vector<QRgb>& colours)
{
    std::fill(std::begin(m_colours), std::end(m_colours), unusedGrey);
    m_count = static_cast<int>(std::min<std::size_t>(colours.size(), kPaletteEntries));
    std::copy_n(colours.begin(), m_count, m_colours);
    Relayout();
}

QRgb TPaletteGrid::ColourAt(int index) const
{
    return index >= 0 && index < kPaletteEntries ? m_colours[index] : unusedGrey;
}

void TPaletteGrid::Relayout()
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_shape = paletteGridShape(width(), bar, m_count);
    const int page = viewport()->height();
    verticalScrollBar()->setRange(0, std::max(0, m_shape.height() * kPaletteCell - page));
    verticalScrollBar()->setPageStep(std::max(page, 1));
    verticalScrollBar()->setSingleStep(kPaletteCell);
    viewport()->update();
}

void TPaletteGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TPaletteGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int top = verticalScrollBar()->value();
    const QPalette& colours = palette();
    for (int row = 0; row < m_shape.height(); ++row)
        for (int column = 0; column < m_shape.width(); ++column) {
            const int index = row * m_shape.width() + column;
            const QRect cell(column * kPaletteCell, row * kPaletteCell - top, kPaletteCell, kPaletteCell);
            if (!cell.intersects(viewport()->rect()))
                continue;
            // A button-face border around a sunken swatch.
            painter.fillRect(cell, colours.color(QPalette::Button));
            const QRect swatch = cell.adjusted(2, 2, -2, -2);
            painter.setPen(colours.color(QPalette::Dark));
            painter.drawLine(swatch.topLeft(), swatch.topRight());
            painter.drawLine(swatch.topLeft(), swatch.bottomLeft());
            painter.setPen(colours.color(QPalette::Light));
            painter.drawLine(swatch.bottomLeft(), swatch.bottomRight());
            painter.drawLine(swatch.topRight(), swatch.bottomRight());
            painter.fillRect(swatch.adjusted(1, 1, -1, -1), QColor(ColourAt(index)));
            if (hasFocus() && index == 0) {
                painter.setPen(QPen(colours.color(QPalette::WindowText), 1, Qt::DotLine));
                painter.drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
}

} // namespace ov
