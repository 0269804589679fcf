// THexDump: a scrollable view of a block of bytes as rows of an address, the
// bytes in hexadecimal and the bytes as characters. It does not own the
// bytes; the caller keeps them alive while they are shown. Rows come from
// hexRow() and the layout from hexLayout(); the widget paints them into its
// own backing image (Canvas), which the viewport shows.
#pragma once

#include "viewers/hex_dump_layout.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <cstdint>
#include <span>

namespace ov {

class THexDump : public QAbstractScrollArea {
public:
    enum class TBorderStyle { bsNone, bsSingle };

    explicit THexDump(QWidget* parent = nullptr);

    // The bytes to show (all readable) and the file offset of the first.
    void SetData(std::span<const uint8_t> bytes, uint64_t address = 0);
    // How many bytes to show; those past the readable ones show as "??".
    void SetDataSize(uint64_t size);
    bool HasData() const { return m_hasData; }

    TBorderStyle Border() const { return m_border; }
    void SetBorder(TBorderStyle border);
    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool on);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool on);
    bool ShowAddress() const { return m_showAddress; }
    void SetShowAddress(bool on);
    bool ShowCharacters() const { return m_showCharacters; }
    void SetShowCharacters(bool on);
    // Colours are 0x00BBGGRR values.
    uint32_t Color() const { return m_color; }
    void SetColor(uint32_t color);
    uint32_t AddressColor() const { return m_addressColor; }
    void SetAddressColor(uint32_t color);
    uint32_t HexDataColor() const { return m_hexDataColor; }
    void SetHexDataColor(uint32_t color);
    uint32_t AnsiCharColor() const { return m_ansiCharColor; }
    void SetAnsiCharColor(uint32_t color);

    int64_t TopLine() const { return m_top; }
    int64_t CurrentLine() const { return m_current; }
    const HexLayout& Layout() const { return m_layout; }
    int LineHeight() const { return m_lineHeight; }
    int CharWidth() const { return m_charWidth; }

    // The backing image every row is painted into.
    const QImage& Canvas() const { return m_canvas; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void measureFont();
    void updateLayout();
    void applyFrame();
    void setTop(int64_t top);
    void repaintAll();
    void paintRow(QPainter& painter, int row);
    void paintRows(int first, int last);
    void setColorValue(uint32_t& slot, uint32_t color);

    HexData m_data;
    bool m_hasData = false;
    HexLayout m_layout;
    int64_t m_top = 0;
    int64_t m_current = 0;
    int m_lineHeight = 1;
    int m_charWidth = 1;
    int m_ascent = 0;
    bool m_settingScrollBar = false;

    TBorderStyle m_border = TBorderStyle::bsSingle;
    bool m_ctl3D = true;
    bool m_tabStop = true;
    bool m_showAddress = true;
    bool m_showCharacters = true;
    uint32_t m_color = 0x00FFFFFF;
    uint32_t m_addressColor = 0;
    uint32_t m_hexDataColor = 0;
    uint32_t m_ansiCharColor = 0;

    QImage m_canvas;
};

} // namespace ov
