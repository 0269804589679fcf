// The text area of the viewer in paged mode: draws the lines of a PagedText
// that are on screen, decoding only those, and keeps a selection made with
// the mouse or by Find. Scrolling: arrows, PgUp/PgDn, Home/End (and with
// Ctrl) to the first and last line, Left/Right sideways. Word wrap is off.
#pragma once

#include "viewers/paged_text.h"

#include <QAbstractScrollArea>

namespace ov {

class PagedTextView : public QAbstractScrollArea {
public:
    explicit PagedTextView(QWidget* parent = nullptr);

    // The text shown (nullptr for none); the view does not own it.
    void setSource(const PagedText* text);
    // The number of lines known may have grown: new scroll range, and a
    // repaint when the screen was not full.
    void refresh();

    TextRange selection() const;
    bool hasSelection() const { return m_anchor != m_caret; }
    // Selects range and scrolls its start into view.
    void select(const TextRange& range);
    // The selected text to the clipboard.
    void copy();

    qsizetype topLine() const;
    int visibleLines() const;
    // Lines drawn by the last paint (0 before the first lines are known).
    int paintedLines() const { return m_paintedLines; }

    // A line longer than this many bytes shows its start only.
    static constexpr qsizetype maxShownBytes = 1 << 16;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int lineHeight() const;
    TextPoint pointAt(const QPoint& position) const;
    void updateRange();

    const PagedText* m_text = nullptr;
    TextPoint m_anchor;
    TextPoint m_caret;
    int m_widest = 0;
    int m_paintedLines = 0;
    qsizetype m_knownLines = -1;
};

} // namespace ov
