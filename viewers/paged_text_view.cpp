#include "viewers/paged_text_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace ov {

PagedTextView::PagedTextView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("PagedView"));
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { viewport()->update(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { viewport()->update(); });
}

void PagedTextView::setSource(const PagedText* text)
{
    m_text = text;
    m_anchor = m_caret = {};
    m_widest = 0;
    m_paintedLines = 0;
    m_knownLines = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    refresh();
}

void PagedTextView::refresh()
{
    // While the index grows, repaint only when more lines came and the
    // screen was not full yet; the scroll range follows every time.
    const qsizetype lines = m_text ? m_text->lines() : 0;
    if (lines == m_knownLines && m_knownLines >= 0)
        return;
    m_knownLines = lines;
    updateRange();
    if (m_paintedLines <= visibleLines())
        viewport()->update();
}

int PagedTextView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int PagedTextView::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

qsizetype PagedTextView::topLine() const
{
    return verticalScrollBar()->value();
}

void PagedTextView::updateRange()
{
    const qsizetype lines = m_text ? m_text->lines() : 0;
    const qsizetype maximum = std::max<qsizetype>(0, lines - visibleLines());
    verticalScrollBar()->setRange(0, int(std::min<qsizetype>(maximum, INT_MAX)));
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, m_widest - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 4));
}

TextRange PagedTextView::selection() const
{
    return m_anchor < m_caret ? TextRange { m_anchor, m_caret } : TextRange { m_caret, m_anchor };
}

void PagedTextView::select(const TextRange& range)
{
    m_anchor = range.start;
    m_caret = range.end;
    const qsizetype top = topLine();
    if (range.start.line < top || range.start.line >= top + visibleLines())
        verticalScrollBar()->setValue(int(std::max<qsizetype>(0, range.start.line - visibleLines() / 3)));
    // Bring the match's start into view sideways as well.
    if (m_text) {
        const QString text = m_text->line(range.start.line, maxShownBytes);
        const int x = fontMetrics().horizontalAdvance(text.left(range.start.column));
        m_widest = std::max(m_widest, fontMetrics().horizontalAdvance(text));
        updateRange();
        if (x < horizontalScrollBar()->value()
            || x > horizontalScrollBar()->value() + viewport()->width() - 20)
            horizontalScrollBar()->setValue(std::max(0, x - viewport()->width() / 3));
    }
    viewport()->update();
}

void PagedTextView::copy()
{
    if (!m_text || !hasSelection())
        return;
    const TextRange range = selection();
    QGuiApplication::clipboard()->setText(m_text->text(range.start, range.end));
}

void PagedTextView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    m_paintedLines = 0;
    if (!m_text)
        return;
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const int height = lineHeight();
    const int left = -horizontalScrollBar()->value() + 2;
    const qsizetype lines = m_text->lines();
    const TextRange selected = selection();
    int widest = m_widest;
    const int rows = viewport()->height() / height + 1;
    for (int row = 0; row < rows; ++row) {
        const qsizetype index = topLine() + row;
        if (index >= lines)
            break;
        const QString text = m_text->line(index, maxShownBytes);
        const int y = row * height;
        widest = std::max(widest, metrics.horizontalAdvance(text) + 4);
        if (hasSelection() && index >= selected.start.line && index <= selected.end.line) {
            const qsizetype from = index == selected.start.line ? selected.start.column : 0;
            // A selected break shows as a little space after the line.
            const bool toEnd = index < selected.end.line;
            const qsizetype to = toEnd ? text.size() : std::min(selected.end.column, text.size());
            const int x0 = metrics.horizontalAdvance(text.left(from));
            const int x1
                = metrics.horizontalAdvance(text.left(to)) + (toEnd ? metrics.averageCharWidth() : 0);
            painter.fillRect(QRect(left + x0, y, x1 - x0, height), palette().color(QPalette::Highlight));
        }
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPoint(left, y + metrics.ascent()), text);
        ++m_paintedLines;
    }
    if (widest != m_widest) {
        m_widest = widest;
        horizontalScrollBar()->setRange(0, std::max(0, m_widest - viewport()->width()));
    }
}

TextPoint PagedTextView::pointAt(const QPoint& position) const
{
    if (!m_text || m_text->lines() == 0)
        return {};
    const qsizetype line
        = std::clamp<qsizetype>(topLine() + std::max(0, position.y()) / lineHeight(), 0, m_text->lines() - 1);
    const QString text = m_text->line(line, maxShownBytes);
    const int x = position.x() + horizontalScrollBar()->value() - 2;
    // The last column whose left edge is before x, to the nearer side of
    // the character under x.
    const QFontMetrics metrics = fontMetrics();
    qsizetype low = 0, high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(middle)) <= x)
            low = middle;
        else
            high = middle - 1;
    }
    if (low < text.size()) {
        const int before = metrics.horizontalAdvance(text.left(low));
        const int after = metrics.horizontalAdvance(text.left(low + 1));
        if (x - before > after - x)
            ++low;
    }
    return { line, low };
}

void PagedTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_caret = pointAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = m_caret;
    viewport()->update();
}

void PagedTextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    m_caret = pointAt(event->position().toPoint());
    viewport()->update();
}

void PagedTextView::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        vertical->setValue(vertical->value() - 1);
        return;
    case Qt::Key_Down:
        vertical->setValue(vertical->value() + 1);
        return;
    case Qt::Key_PageUp:
        vertical->setValue(vertical->value() - visibleLines());
        return;
    case Qt::Key_PageDown:
        vertical->setValue(vertical->value() + visibleLines());
        return;
    case Qt::Key_Home:
        vertical->setValue(0);
        horizontal->setValue(0);
        return;
    case Qt::Key_End:
        updateRange();
        vertical->setValue(vertical->maximum());
        return;
    case Qt::Key_Left:
        horizontal->setValue(horizontal->value() - horizontal->singleStep());
        return;
    case Qt::Key_Right:
        horizontal->setValue(horizontal->value() + horizontal->singleStep());
        return;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PagedTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateRange();
}

} // namespace ov
