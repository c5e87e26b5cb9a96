#include "app/gui/recording_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace tavlo::gui {

namespace {
QSpinBox* spin(int lo, int hi, int value, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}
} // namespace

RecordingOptionsDialog::RecordingOptionsDialog(const RecordingOptions& o, bool continuous, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("录制选项"));
    auto* form = new QFormLayout(this);
    captureRate_ = spin(1, 1000, o.captureRate, this);
    pointerRate_ = spin(1, 1000, o.pointerRate, this);
    recordPointer_ = new QCheckBox(QString::fromUtf8("录制鼠标"), this);
    recordPointer_->setChecked(o.recordPointer);
    smooth_ = new QCheckBox(QString::fromUtf8("平滑移动"), this);
    smooth_->setChecked(o.smoothPointer);
    compressed_ = new QCheckBox(QString::fromUtf8("原始视频使用额外压缩"), this);
    compressed_->setChecked(o.compressed);
    quality_ = spin(0, 100, o.quality, this);
    continuous_ = new QCheckBox(QString::fromUtf8("连续录制"), this);
    continuous_->setChecked(continuous);
    loopMinutes_ = spin(0, 24 * 60, o.loopMinutes, this);
    form->addRow(QStringLiteral("Screen frames a second"), captureRate_);
    form->addRow(QStringLiteral("Pointer samples a second"), pointerRate_);
    form->addRow(recordPointer_);
    form->addRow(smooth_);
    form->addRow(compressed_);
    form->addRow(QStringLiteral("Capture quality"), quality_);
    form->addRow(continuous_);
    form->addRow(QString::fromUtf8("在此循环中录制:"), loopMinutes_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

RecordingOptions RecordingOptionsDialog::options() const {
    RecordingOptions o;
    o.captureRate = captureRate_->value();
    o.pointerRate = pointerRate_->value();
    o.recordPointer = recordPointer_->isChecked();
    o.smoothPointer = smooth_->isChecked();
    o.compressed = compressed_->isChecked();
    o.quality = quality_->value();
    o.loopMinutes = loopMinutes_->value();
    return o;
}

bool RecordingOptionsDialog::continuous() const {
    return continuous_->isChecked();
}

} // namespace tavlo::gui
