#pragma once
// The frame drawn around the capture area: frameless, above other windows, and masked to its
// border, so the area inside shows the desktop, is never part of a grab and takes every click.
// Dragging the left or top side moves the frame, dragging the right or bottom side resizes it.
#include <QWidget>
#include <functional>

namespace tavlo::gui {

class CaptureFrameWindow : public QWidget {
public:
    static constexpr int kBorder = 3;
    CaptureFrameWindow();
    // Outer rectangle in screen pixels; the capture area lies kBorder inside it.
    void place(const QRect& outer);
    // While recording the frame only marks the area: it takes no input.
    void setLocked(bool locked);
    // Called with the new outer rectangle when the user has moved or resized the frame.
    std::function<void(const QRect&)> onChanged;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    enum class Drag { None, Move, Resize };
    Drag drag_ = Drag::None;
    QPoint pressed_;
    QRect start_;
};

} // namespace tavlo::gui
