#include "app/gui/capture_frame_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace tavlo::gui {

namespace {
constexpr Qt::WindowFlags kFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                                   Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
constexpr int kMinSide = 32;
} // namespace

CaptureFrameWindow::CaptureFrameWindow() : QWidget(nullptr, kFlags) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Tavlo capture area"));
    setCursor(Qt::SizeAllCursor);
}

void CaptureFrameWindow::place(const QRect& outer) {
    setGeometry(outer);
}

void CaptureFrameWindow::setLocked(bool locked) {
    const bool visible = isVisible();
    setWindowFlags(locked ? kFlags | Qt::WindowTransparentForInput : kFlags);
    if (visible) show();
}

void CaptureFrameWindow::resizeEvent(QResizeEvent*) {
    const QRect all = rect();
    setMask(QRegion(all).subtracted(QRegion(all.adjusted(kBorder, kBorder, -kBorder, -kBorder))));
}

void CaptureFrameWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(220, 30, 30));
    p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(255, 210, 0));
}

void CaptureFrameWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    // The right and bottom sides resize; the others move.
    drag_ = (at.x() >= width() - kBorder || at.y() >= height() - kBorder) ? Drag::Resize : Drag::Move;
    pressed_ = e->globalPosition().toPoint();
    start_ = geometry();
}

void CaptureFrameWindow::mouseMoveEvent(QMouseEvent* e) {
    if (drag_ == Drag::None) return;
    const QPoint d = e->globalPosition().toPoint() - pressed_;
    if (drag_ == Drag::Move)
        setGeometry(start_.translated(d));
    else
        setGeometry(QRect(start_.topLeft(), QSize(std::max(kMinSide, start_.width() + d.x()),
                                                  std::max(kMinSide, start_.height() + d.y()))));
}

void CaptureFrameWindow::mouseReleaseEvent(QMouseEvent*) {
    if (drag_ == Drag::None) return;
    drag_ = Drag::None;
    if (onChanged) onChanged(geometry());
}

} // namespace tavlo::gui
