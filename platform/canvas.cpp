#include "platform/canvas.h"

#include "platform/colors.h"
#include "platform/fonts.h"

#include <QFontMetrics>

namespace ov {

namespace {
bool antialiasing = true;
}

QColor toQColor(int32_t color)
{
    return QColor::fromRgb(colorToRgb(color));
}

void TCanvas::setAntialiasing(bool on)
{
    antialiasing = on;
}

TCanvas::TCanvas()
    : m_font(makeFont("MS Sans Serif", 8, false))
{
    resize(1, 1);
}

TCanvas::~TCanvas()
{
    if (m_painter)
        m_painter->end();
}

void TCanvas::restart()
{
    if (m_painter)
        m_painter->end();
    m_painter = std::make_unique<QPainter>(&m_image);
    QFont font = m_font;
    font.setStyleStrategy(antialiasing ? QFont::PreferDefault : QFont::NoAntialias);
    m_painter->setFont(font);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, antialiasing);
}

void TCanvas::resize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (m_painter && m_image.width() == width && m_image.height() == height)
        return;
    if (m_painter)
        m_painter->end();
    m_painter.reset();
    m_image = QImage(width, height, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    restart();
}

void TCanvas::setPenColor(int32_t color)
{
    m_penColor = color;
}

void TCanvas::setBrushColor(int32_t color)
{
    m_brushColor = color;
}

void TCanvas::setFont(const QString& family, int pointSize, bool bold)
{
    setFont(makeFont(family, pointSize, bold));
}

void TCanvas::setFont(const QFont& font)
{
    m_font = font;
    QFont used = font;
    used.setStyleStrategy(antialiasing ? QFont::PreferDefault : QFont::NoAntialias);
    m_painter->setFont(used);
}

void TCanvas::setFontColor(int32_t color)
{
    m_fontColor = color;
}

void TCanvas::fillRect(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    m_painter->fillRect(QRect(left, top, right - left, bottom - top), toQColor(m_brushColor));
}

void TCanvas::frameRect(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    m_painter->setPen(toQColor(m_penColor));
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void TCanvas::moveTo(int x, int y)
{
    m_penX = x;
    m_penY = y;
}

void TCanvas::lineTo(int x, int y)
{
    // Like the classic line call, the end point itself is not drawn.
    m_painter->setPen(toQColor(m_penColor));
    if (x == m_penX && y == m_penY)
        return;
    int endX = x, endY = y;
    if (x == m_penX)
        endY += (y > m_penY) ? -1 : 1;
    else if (y == m_penY)
        endX += (x > m_penX) ? -1 : 1;
    m_painter->drawLine(m_penX, m_penY, endX, endY);
    m_penX = x;
    m_penY = y;
}

void TCanvas::pixel(int x, int y, int32_t color)
{
    if (x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height())
        m_image.setPixel(x, y, toQColor(color).rgb());
}

void TCanvas::textOut(int x, int y, const QString& text)
{
    m_painter->setPen(toQColor(m_fontColor));
    const QFontMetrics metrics(m_painter->font());
    m_painter->drawText(x, y + metrics.ascent(), text);
}

void TCanvas::textRect(int left, int top, int right, int bottom, int x, int y, const QString& text)
{
    if (right <= left || bottom <= top)
        return;
    m_painter->save();
    m_painter->setClipRect(QRect(left, top, right - left, bottom - top));
    textOut(x, y, text);
    m_painter->restore();
}

void TCanvas::drawImage(int x, int y, const QImage& picture)
{
    m_painter->drawImage(x, y, picture);
}

int TCanvas::textWidth(const QString& text) const
{
    return QFontMetrics(m_painter->font()).horizontalAdvance(text);
}

int TCanvas::textHeight(const QString& text) const
{
    Q_UNUSED(text);
    return QFontMetrics(m_painter->font()).height();
}

} // namespace ov
