// A drawing surface in the vocabulary of the custom-drawn controls: 0x00BBGGRR
// colours (system colours by index), pens, brushes, fonts by family name and
// text at pixel positions. Each control paints into its own backing image
// through one canvas; a partial repaint draws at once and the control then
// schedules an update of the changed rectangle. Tests read the image.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <memory>

namespace ov {

class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Resizes the backing image (contents are lost); sizes below 1 become 1.
    void resize(int width, int height);
    const QImage& image() const { return m_image; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    void setPenColor(int32_t color);
    void setBrushColor(int32_t color);
    // family as the settings name it ("MS Sans Serif"); size in points.
    void setFont(const QString& family, int pointSize, bool bold = false);
    void setFont(const QFont& font);
    void setFontColor(int32_t color);
    const QFont& font() const { return m_font; }

    void fillRect(int left, int top, int right, int bottom);
    void frameRect(int left, int top, int right, int bottom);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void pixel(int x, int y, int32_t color);
    // Draws text with its top-left at (x, y), transparent background.
    void textOut(int x, int y, const QString& text);
    // Text clipped to the rectangle, drawn at (x, y).
    void textRect(int left, int top, int right, int bottom, int x, int y, const QString& text);
    void drawImage(int x, int y, const QImage& picture);
    int textWidth(const QString& text) const;
    int textHeight(const QString& text) const;

    // Text antialiasing; tests switch it off to probe text colours.
    static void setAntialiasing(bool on);

private:
    void restart();
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    int32_t m_penColor = 0;
    int32_t m_brushColor = 0xFFFFFF;
    int32_t m_fontColor = 0;
    int m_penX = 0;
    int m_penY = 0;
};

// A Qt colour for a stored colour value.
QColor toQColor(int32_t color);

} // namespace ov
