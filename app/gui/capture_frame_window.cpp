#include "app/gui/capture_frame_window.h"

#include <QPainter>
#include <QRegion>

namespace tavlo::gui {

CaptureFrameWindow::CaptureFrameWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Tavlo capture area"));
}

void CaptureFrameWindow::place(const QRect& outer) {
    setGeometry(outer);
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

} // namespace tavlo::gui
