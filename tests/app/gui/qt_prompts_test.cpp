#include "app/gui/progress_model.h"
#include "app/gui/qt_prompts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace tavlo::gui {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "tavlo-test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: tearing Qt down in the exit handlers crashes, and the process ends anyway.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Presses `button` on whatever message box comes up next.
void answerNextBox(QMessageBox::StandardButton button, std::string* seenText = nullptr) {
    auto* timer = new QTimer(&app());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, button, seenText] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (seenText) *seenText = box->text().toStdString();
            box->done(button);
            timer->deleteLater();
        }
    });
    timer->start(10);
}

TEST(QtPrompts, AWorkersQuestionIsAskedOnTheMainThread) {
    app();
    QtPrompts prompts;
    std::string seen;
    answerNextBox(QMessageBox::No, &seen);
    Answer got = Answer::Cancel;
    std::thread worker([&] {
        got = prompts.question("保存当前 Tavlo 设置为默认值 ?    ", "保存自定义默认值...",
                               Buttons::YesNoCancel, Icon::Question, Answer::Yes);
        QMetaObject::invokeMethod(
            &app(), [] { QApplication::quit(); }, Qt::QueuedConnection);
    });
    app().exec();
    worker.join();
    EXPECT_EQ(got, Answer::No);
    EXPECT_EQ(seen, "保存当前 Tavlo 设置为默认值 ?    ");
}

TEST(QtPrompts, ProgressWindowShowsStepsAndItsCancelReachesTheWorker) {
    app();
    QtPrompts prompts;
    auto progress = prompts.progress("Finishing video compression");
    std::thread worker([&] {
        progress->step("Compressing frames");
        progress->setPercent(40);
    });
    worker.join();
    QPushButton* cancel = nullptr;
    QLabel* lines = nullptr;
    for (int i = 0; i < 50 && !cancel; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Finishing video compression") {
                cancel = w->findChild<QPushButton*>();
                lines = w->findChild<QLabel*>();
            }
    }
    ASSERT_NE(cancel, nullptr) << "the progress window did not appear";
    EXPECT_EQ(lines->text().toStdString(), "Compressing frames");
    EXPECT_FALSE(progress->cancelled());
    cancel->click();
    EXPECT_TRUE(progress->cancelled());
    progress.reset(); // the worker is done: the window goes
    for (int i = 0; i < 30; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20), QThread::msleep(5);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->windowTitle(), "Finishing video compression");
}

TEST(ProgressModel, PercentIsBoundedAndStepsAccumulate) {
    ProgressModel m("t");
    m.step("a");
    m.setPercent(150);
    m.step("b");
    m.setPercent(-3);
    EXPECT_EQ(m.view().percent, 0);
    m.setPercent(99);
    EXPECT_EQ(m.view().percent, 99);
    EXPECT_EQ(m.view().lines, (std::vector<std::string>{"a", "b"}));
}

} // namespace
} // namespace tavlo::gui
