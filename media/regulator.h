// TRegulator: the flat horizontal slider of the status bar (the main
// window's `VolBar`): a position 0..100 shown as a thumb on a groove. A
// left press starts a drag and moves the position under the pointer; the
// press events are passed on for every button.
//
// The arithmetic lives in RegulatorGeometry so that it is tested without a
// window: thumb width (height − 2) div 2; position from x as
// (x − thumb width / 2) × 100 / width, rounded and limited to 0..100 (the
// half is exact: a 9-pixel thumb is offset by 4.5), so a press at the far
// right of a 150-pixel bar 20 high gives 96 and 100 comes only from
// dragging past the edge; thumb left = width × position / 100, rounded, at
// most width − thumb width.
#pragma once

#include <QWidget>

#include <functional>

namespace ov {

struct RegulatorGeometry {
    static int thumbWidth(int height) { return (height - 2) / 2; }
    static int positionAt(int x, int width, int height);
    static int thumbLeft(int position, int width, int height);
};

class TRegulator : public QWidget {
public:
    explicit TRegulator(QWidget* parent = nullptr);

    int position() const { return m_position; }
    void setPosition(int position);
    bool dragging() const { return m_dragging; }

    std::function<void(TRegulator& sender, Qt::MouseButton button, int x)> OnMouseDown;
    std::function<void(TRegulator& sender, int x)> OnMouseMove;
    std::function<void(TRegulator& sender, Qt::MouseButton button, int x)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_position = 0;
    bool m_dragging = false;
};

} // namespace ov
