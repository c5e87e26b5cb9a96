#include "app/gui/qt_prompts.h"

#include "app/gui/progress_model.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace tavlo::gui {

namespace {

// Runs `f` on the main thread and waits for it.
template <typename F> void onMainThread(F f) {
    if (!qApp || QThread::currentThread() == qApp->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
}

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The progress window: one line per step with the percentage of the current one, and Cancel.
class ProgressWindow : public QWidget {
public:
    explicit ProgressWindow(std::shared_ptr<ProgressModel> model, QWidget* parent)
        : QWidget(parent, Qt::Dialog), model_(std::move(model)) {
        setWindowTitle(q(model_->view().title));
        auto* layout = new QVBoxLayout(this);
        lines_ = new QLabel(this);
        bar_ = new QProgressBar(this);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        layout->addWidget(lines_);
        layout->addWidget(bar_);
        layout->addWidget(cancel);
        connect(cancel, &QPushButton::clicked, this, [this] { model_->cancel(); });
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { refresh(); });
        timer->start(100);
        resize(420, 160);
    }

private:
    void refresh() {
        if (model_->finished()) {
            deleteLater();
            return;
        }
        ProgressModel::View v = model_->view();
        if (v.revision == shown_) return;
        shown_ = v.revision;
        QStringList text;
        for (const std::string& l : v.lines) text << q(l);
        lines_->setText(text.join('\n'));
        bar_->setValue(v.percent);
        if (!isVisible()) show();
    }
    std::shared_ptr<ProgressModel> model_;
    QLabel* lines_;
    QProgressBar* bar_;
    unsigned shown_ = ~0u;
};

// What the worker holds: the model; closing it closes the window.
class ProgressHandle : public Progress {
public:
    explicit ProgressHandle(std::shared_ptr<ProgressModel> m) : model_(std::move(m)) {}
    ~ProgressHandle() override { model_->finish(); }
    void step(const std::string& text) override { model_->step(text); }
    void setPercent(int percent) override { model_->setPercent(percent); }
    bool cancelled() const override { return model_->cancelled(); }

private:
    std::shared_ptr<ProgressModel> model_;
};

} // namespace

void QtPrompts::message(const std::string& text, const std::string& title, Icon icon) {
    onMainThread([&] {
        QMessageBox box(qtIcon(icon), q(title), q(text), QMessageBox::Ok, parent_);
        box.exec();
    });
}

Answer QtPrompts::question(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                           Answer fallback) {
    Answer answer = fallback;
    onMainThread([&] {
        QMessageBox::StandardButtons set;
        switch (buttons) {
        case Buttons::Ok:
            set = QMessageBox::Ok;
            break;
        case Buttons::OkCancel:
            set = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            set = QMessageBox::Yes | QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        }
        QMessageBox box(qtIcon(icon), q(title), q(text), set, parent_);
        switch (box.exec()) {
        case QMessageBox::Ok:
            answer = Answer::Ok;
            break;
        case QMessageBox::Yes:
            answer = Answer::Yes;
            break;
        case QMessageBox::No:
            answer = Answer::No;
            break;
        default:
            answer = Answer::Cancel;
            break;
        }
    });
    return answer;
}

std::unique_ptr<Progress> QtPrompts::progress(const std::string& title) {
    auto model = std::make_shared<ProgressModel>(title);
    onMainThread([&] { new ProgressWindow(model, parent_); });
    return std::make_unique<ProgressHandle>(model);
}

std::optional<std::string> QtPrompts::chooseFile(const FileChoice& choice) {
    QString picked;
    onMainThread([&] {
        picked = choice.save ? QFileDialog::getSaveFileName(parent_, q(choice.title), q(choice.initialPath),
                                                            q(choice.filter))
                             : QFileDialog::getOpenFileName(parent_, q(choice.title), q(choice.initialPath),
                                                            q(choice.filter));
    });
    if (picked.isEmpty()) return std::nullopt;
    return picked.toStdString();
}

} // namespace tavlo::gui
