#include "app/gui/finish_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tavlo::gui {

FinishDialog::FinishDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tavlo 录制 - 已暂停"));
    auto* row = new QHBoxLayout(this);
    auto add = [&](const char* text, FinishChoice c) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, c] {
            choice_ = c;
            accept();
        });
        return b;
    };
    add("停止并保存", FinishChoice::Keep)->setDefault(true);
    add("继续录制", FinishChoice::Continue);
    add("新建录制", FinishChoice::NewRecording);
    add("退出(&E)", FinishChoice::Exit);
}

} // namespace tavlo::gui
