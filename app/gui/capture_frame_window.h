#pragma once
// The frame drawn around the capture area: frameless, above other windows, and masked to its
// border, so the area inside shows the desktop, is never part of a grab and takes every click.
#include <QWidget>

namespace tavlo::gui {

class CaptureFrameWindow : public QWidget {
public:
    static constexpr int kBorder = 3;
    CaptureFrameWindow();
    // Outer rectangle in screen pixels; the capture area lies kBorder inside it.
    void place(const QRect& outer);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
};

} // namespace tavlo::gui
