#include "viewers/resource_mover.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace ov {

TMover::TMover(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("Mover1");
    SetAlign(TAlign::alLeft);
    setFocusPolicy(Qt::NoFocus);
}

void TMover::SetAlign(TAlign align)
{
    m_align = align;
    if (horizontal()) {
        setFixedWidth(kWidth);
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setCursor(Qt::SplitHCursor);
    } else {
        setFixedHeight(kWidth);
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setCursor(Qt::SplitVCursor);
    }
    update();
}

void TMover::SetBeveled(bool on)
{
    m_beveled = on;
    update();
}

int TMover::MaxSize(int parentSize, int minSize, int othersOnAxis, int siblingSize)
{
    return parentSize - minSize - othersOnAxis + siblingSize;
}

int TMover::Clamp(int size, int minSize, int maxSize)
{
    return std::max(minSize, std::min(size, maxSize));
}

void TMover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!m_beveled)
        return;
    // Highlight on the top-left edges, shadow on the bottom-right ones.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

int TMover::sizeAt(const QPoint& global) const
{
    const QPoint delta = global - m_startPoint;
    int change = horizontal() ? delta.x() : delta.y();
    if (m_align == TAlign::alRight || m_align == TAlign::alBottom)
        change = -change;
    return Clamp(m_startSize + change, m_minSize, m_maxSize);
}

void TMover::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_sibling || !parentWidget())
        return;
    // Everything on the axis but the sibling: the splitter and any other
    // control of the parent's layout that does not stretch.
    const int parentSize = horizontal() ? parentWidget()->width() : parentWidget()->height();
    const int siblingSize = horizontal() ? m_sibling->width() : m_sibling->height();
    m_maxSize = MaxSize(parentSize, m_minSize, kWidth + siblingSize, siblingSize);
    m_startSize = siblingSize;
    m_startPoint = event->globalPosition().toPoint();
    m_dragging = true;
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    showBar(m_startSize);
}

void TMover::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        showBar(sizeAt(event->globalPosition().toPoint()));
}

void TMover::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    const int size = sizeAt(event->globalPosition().toPoint());
    endDrag();
    if (horizontal())
        m_sibling->setFixedWidth(size);
    else
        m_sibling->setFixedHeight(size);
    if (OnMoved)
        OnMoved(this);
}

bool TMover::event(QEvent* event)
{
    // While dragging, Esc belongs to the splitter, not to a window shortcut.
    if (event->type() == QEvent::ShortcutOverride && m_dragging
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void TMover::keyPressEvent(QKeyEvent* event)
{
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDrag();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The bar: a dark line over the parent where the splitter would go.
void TMover::showBar(int size)
{
    m_size = size;
    if (!m_bar) {
        m_bar = new QWidget(parentWidget());
        m_bar->setObjectName("MoverBar");
        m_bar->setAutoFillBackground(true);
        QPalette inverted = m_bar->palette();
        inverted.setColor(QPalette::Window, palette().color(QPalette::WindowText));
        m_bar->setPalette(inverted);
    }
    const QPoint siblingOrigin = m_sibling->geometry().topLeft();
    const QRect siblingRect = m_sibling->geometry();
    QRect bar;
    switch (m_align) {
    case TAlign::alLeft:
        bar = QRect(siblingOrigin.x() + size, y(), kWidth, height());
        break;
    case TAlign::alRight:
        bar = QRect(siblingRect.right() + 1 - size - kWidth, y(), kWidth, height());
        break;
    case TAlign::alTop:
        bar = QRect(x(), siblingOrigin.y() + size, width(), kWidth);
        break;
    case TAlign::alBottom:
        bar = QRect(x(), siblingRect.bottom() + 1 - size - kWidth, width(), kWidth);
        break;
    }
    m_bar->setGeometry(bar);
    m_bar->show();
    m_bar->raise();
}

void TMover::endDrag()
{
    m_dragging = false;
    setFocusPolicy(Qt::NoFocus);
    if (m_bar)
        m_bar->hide();
}

} // namespace ov
