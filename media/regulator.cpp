// TRegulator; see regulator.h.
#include "media/regulator.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ov {

int RegulatorGeometry::positionAt(int x, int width, int height)
{
    if (width <= 0)
        return 0;
    const double half = thumbWidth(height) / 2.0;
    const long value = std::lround((x - half) * 100.0 / width);
    return static_cast<int>(std::clamp(value, 0L, 100L));
}

int RegulatorGeometry::thumbLeft(int position, int width, int height)
{
    const int left = static_cast<int>(std::lround(width * position / 100.0));
    return std::min(left, width - thumbWidth(height));
}

TRegulator::TRegulator(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TRegulator::setPosition(int position)
{
    m_position = std::clamp(position, 0, 100);
    update();
}

void TRegulator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const QColor face = palette().color(QPalette::Button);
    const QColor white(255, 255, 255);
    const QColor grey(128, 128, 128);
    // Background in two strips, the upper two thirds and the rest.
    painter.fillRect(0, 0, w, h * 2 / 3, face);
    painter.fillRect(0, h * 2 / 3, w, h - h * 2 / 3, face);
    // The groove: a sunken one-pixel frame across the width at mid-height.
    const int mid = h / 2;
    painter.setPen(grey);
    painter.drawLine(0, mid - 1, w - 1, mid - 1);
    painter.setPen(white);
    painter.drawLine(0, mid, w - 1, mid);
    // The thumb: raised (white top-left, grey bottom-right).
    const int thumbW = RegulatorGeometry::thumbWidth(h);
    const int left = RegulatorGeometry::thumbLeft(m_position, w, h);
    const QRect thumb(left, 1, thumbW, h - 2);
    painter.fillRect(thumb, face);
    painter.setPen(white);
    painter.drawLine(thumb.topLeft(), thumb.topRight());
    painter.drawLine(thumb.topLeft(), thumb.bottomLeft());
    painter.setPen(grey);
    painter.drawLine(thumb.bottomLeft(), thumb.bottomRight());
    painter.drawLine(thumb.topRight(), thumb.bottomRight());
}

void TRegulator::mousePressEvent(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        setPosition(RegulatorGeometry::positionAt(x, width(), height()));
        repaint();
    }
    if (OnMouseDown)
        OnMouseDown(*this, event->button(), x);
}

void TRegulator::mouseMoveEvent(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    if (!m_dragging)
        return;
    setPosition(RegulatorGeometry::positionAt(x, width(), height()));
    repaint();
    if (OnMouseMove)
        OnMouseMove(*this, x);
}

void TRegulator::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    if (OnMouseUp)
        OnMouseUp(*this, event->button(), static_cast<int>(event->position().x()));
}

} // namespace ov
