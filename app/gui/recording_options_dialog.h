#pragma once
// "录制选项": how a recording grabs the screen and the pointer.
#include "app/state_file.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace tavlo::gui {

class RecordingOptionsDialog : public QDialog {
public:
    RecordingOptionsDialog(const RecordingOptions& options, bool continuous, QWidget* parent = nullptr);
    RecordingOptions options() const;
    bool continuous() const;

private:
    QSpinBox* captureRate_;
    QSpinBox* pointerRate_;
    QCheckBox* recordPointer_;
    QCheckBox* smooth_;
    QCheckBox* compressed_;
    QSpinBox* quality_;
    QCheckBox* continuous_;
    QSpinBox* loopMinutes_;
};

} // namespace tavlo::gui
