// TMover: the resource explorer's splitter, 3 pixels wide, that resizes the
// control it touches on its aligned side. Pressing the left button starts a
// drag shown as an inverted bar; releasing sets the sibling's size (clamped
// to MinSize .. the largest size the parent leaves room for) and fires
// OnMoved; Esc during the drag cancels it.
#pragma once

#include <QWidget>

#include <functional>

namespace ov {

class TMover : public QWidget {
public:
    enum class TAlign { alLeft, alRight, alTop, alBottom };

    static constexpr int kWidth = 3;

    explicit TMover(QWidget* parent = nullptr);

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);
    bool Beveled() const { return m_beveled; }
    void SetBeveled(bool on);
    int MinSize() const { return m_minSize; }
    void SetMinSize(int size) { m_minSize = size; }
    // The control resized by the splitter (the one on its aligned side).
    void SetSibling(QWidget* sibling) { m_sibling = sibling; }
    QWidget* Sibling() const { return m_sibling; }

    std::function<void(TMover* sender)> OnMoved;

    // The largest size the sibling may take: the parent's client size less
    // MinSize and the sizes of the other controls on the axis, plus the
    // sibling's own size.
    static int MaxSize(int parentSize, int minSize, int othersOnAxis, int siblingSize);
    // A size dragged to, clamped to minSize .. maxSize (minSize wins when the
    // parent has no room).
    static int Clamp(int size, int minSize, int maxSize);

    bool Dragging() const { return m_dragging; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool horizontal() const { return m_align == TAlign::alLeft || m_align == TAlign::alRight; }
    int sizeAt(const QPoint& global) const;
    void showBar(int size);
    void endDrag();

    TAlign m_align = TAlign::alLeft;
    bool m_beveled = true;
    int m_minSize = 30;
    QWidget* m_sibling = nullptr;
    bool m_dragging = false;
    int m_maxSize = 0;
    int m_startSize = 0;
    QPoint m_startPoint;
    int m_size = 0;
    QWidget* m_bar = nullptr;
};

} // namespace ov
