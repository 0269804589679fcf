// A grid of colour swatches for a palette: 20 x 20-pixel cells, no grid
// lines, a vertical scroll bar, up to 256 entries (those the palette does
// not fill are grey).
#pragma once

#include <QAbstractScrollArea>
#include <QRgb>
#include <QSize>

#include <vector>

namespace ov {

inline constexpr int kPaletteCell = 20;
inline constexpr int kPaletteEntries = 256;

// Columns and rows of the grid: (client width - scroll bar width) div 20
// columns (at least 1), the entries divided by the columns rounded up, at
// least one row.
QSize paletteGridShape(int clientWidth, int scrollBarWidth, int entries);

class TPaletteGrid : public QAbstractScrollArea {
public:
    explicit TPaletteGrid(QWidget* parent = nullptr);

    void SetPalette(const std::vector<QRgb>& colours);
    int EntryCount() const { return m_count; }
    // The colour drawn in cell index (grey beyond the palette).
    QRgb ColourAt(int index) const;
    int ColCount() const { return m_shape.width(); }
    int RowCount() const { return m_shape.height(); }
    // Recomputes the columns and rows for the current width.
    void Relayout();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRgb m_colours[kPaletteEntries];
    int m_count = 0;
    QSize m_shape { 1, 1 };
};

} // namespace ov
