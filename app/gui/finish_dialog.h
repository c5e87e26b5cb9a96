#pragma once
// "Tavlo 录制 - 已暂停": what to do with a stopped recording.
#include <QDialog>

namespace tavlo::gui {

enum class FinishChoice { Keep, Continue, NewRecording, Exit };

class FinishDialog : public QDialog {
public:
    explicit FinishDialog(QWidget* parent = nullptr);
    FinishChoice choice() const { return choice_; }

private:
    FinishChoice choice_ = FinishChoice::Exit; // closing the dialog means "exit"
};

} // namespace tavlo::gui
