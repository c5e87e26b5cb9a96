#include "app/gui/recorder_window.h"

#include "app/gui/finish_dialog.h"
#include "app/gui/recording_options_dialog.h"
#include "core/file_util.h"
#include "movie/publish_file.h"
#include "platform/disk_space.h"
#include "platform/restart.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_screen.h"
#include "project/project_file.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tavlo::gui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
QRect qrect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

QIcon trayIcon(bool paused) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(paused ? QColor(230, 160, 0) : QColor(210, 20, 20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(2, 2, 12, 12);
    return QIcon(pm);
}

// Help pages live in the install location's help folder and open in the desktop's browser.
void openHelp(const std::string& installLocation, const char* page) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(q(installLocation + "/help/" + page)));
}

} // namespace

RecorderWindow::RecorderWindow(Application& app, const CommandLine& commandLine, QtPrompts& prompts)
    : app_(app), commandLine_(commandLine), prompts_(prompts) {
    prompts_.setParent(this);
    screen_ = platform::x11::openScreen(screenError_);
    std::vector<Rect> monitors;
    Rect desktop{0, 0, 1920, 1080};
    if (screen_) {
        monitors = screen_->monitors();
        desktop = screen_->desktop();
    }
    model_ = std::make_unique<RecorderModel>(app_.state(), monitors, desktop);
    model_->applyCommandLine(commandLine_);

    buildControls();
    buildMenus();
    registerHotKeys();

    std::string error;
    controlServer_.start(
        platform::defaultControlSocketPath(),
        [this](const std::string& command) {
            if (command != "pause" && command != "resume" && command != "save" && command != "stop")
                return std::string("unknown command \"") + command + "\"";
            QMetaObject::invokeMethod(
                this, [this, command] { onControlCommand(command); }, Qt::QueuedConnection);
            return std::string("ok");
        },
        error);

    frame_.onChanged = [this](const QRect& r) {
        model_->moveCaptureFrame(Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
        refresh();
    };
    connect(&tickTimer_, &QTimer::timeout, this, [this] { tick(); });
    tickTimer_.setSingleShot(true);
    // While idle, the edit button reads "Recover Demo" as long as Shift is held.
    connect(&shiftTimer_, &QTimer::timeout, this, [this] {
        const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
        editButton_->setText(QString::fromUtf8(RecorderModel::editButtonLabel(shift).c_str()));
        // "活动窗口": the frame follows the active window while idle.
        if (!recording() && model_->mode() == 2) refresh();
    });
    shiftTimer_.start(200);
    refresh();

    if (!screen_) {
        // Without X11 nothing can be recorded: say so at once, not at the first try.
        QTimer::singleShot(1, this,
                           [this] { prompts_.message(screenError_, "Tavlo Warning", Icon::Warning); });
    } else if (!commandLine_.recordPath.empty()) {
        startPending_ = true;
        QTimer::singleShot(1, this, [this] { startRecording(); });
    } else if (!commandLine_.projectPath.empty()) {
        QTimer::singleShot(1, this, [this] { openProject(commandLine_.projectPath); });
    }
}

RecorderWindow::~RecorderWindow() {
    // Their threads post to this window: end them before the window goes.
    if (hotKeys_) hotKeys_->unregisterAll();
    hotKeys_.reset();
    controlServer_.stop();
}

void RecorderWindow::buildControls() {
    setWindowTitle(q(model_->title()));
    auto* layout = new QGridLayout(this);
    modes_ = new QButtonGroup(this);
    const char* names[] = {"全屏", "选定区域", "活动窗口"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(names[i]), this);
        modes_->addButton(b, i);
        b->setProperty("helpPage", "help_fullscreen.htm");
        layout->addWidget(b, i, 0);
    }
    connect(modes_, &QButtonGroup::idClicked, this, [this](int id) {
        model_->setMode(id);
        refresh();
    });
    monitorList_ = new QComboBox(this);
    for (int i = 1; i <= model_->monitorCount(); ++i) monitorList_->addItem(QString::number(i));
    connect(monitorList_, &QComboBox::activated, this, [this](int index) {
        model_->chooseMonitor(index + 1);
        refresh();
    });
    monitorList_->setProperty("helpPage", "help_fullscreen.htm");
    layout->addWidget(monitorList_, 0, 1);
    panBox_ = new QCheckBox(QString::fromUtf8("平移"), this);
    connect(panBox_, &QCheckBox::toggled, this, [this](bool on) { model_->setPan(on); });
    panBox_->setProperty("helpPage", "help_pan.htm");
    layout->addWidget(panBox_, 1, 1);

    startButton_ = new QPushButton(QString::fromUtf8("开始录制"), this);
    startButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, [this] { startRecording(); });
    editButton_ = new QPushButton(QString::fromUtf8(kEditLabel), this);
    connect(editButton_, &QPushButton::clicked, this, [this] { chooseAndOpen(); });
    editButton_->setProperty("helpPage", "help_movie_editor.htm");
    auto* more = new QPushButton(QString::fromUtf8("更多选项..."), this);
    connect(more, &QPushButton::clicked, this, [this] { editRecordingOptions(); });
    more->setProperty("helpPage", "help_cap_more_options.htm");
    layout->addWidget(more, 2, 1);
    auto* combine = new QPushButton(QString::fromUtf8("合并"), this);
    connect(combine, &QPushButton::clicked, this, [this] {
        prompts_.message("Combining projects is not part of this build yet.", "Tavlo", Icon::Information);
    });
    combine->setProperty("helpPage", "help_combine.htm");
    auto* exit = new QPushButton(QString::fromUtf8("退出(&E)"), this);
    exit->setProperty("helpPage", "help_exit.htm");
    connect(exit, &QPushButton::clicked, this, [this] { close(); });
    layout->addWidget(startButton_, 3, 0);
    layout->addWidget(editButton_, 3, 1);
    layout->addWidget(combine, 4, 0);
    layout->addWidget(exit, 4, 1);
    layout->addWidget(new QLabel(QString::fromUtf8("按 Ctrl-Del 停止"), this), 5, 0, 1, 2);
    // F1: the help page of the control that has the focus, else the welcome page.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        QWidget* w = QApplication::focusWidget();
        const QString page = w ? w->property("helpPage").toString() : QString();
        openHelp(app_.paths().installLocation(),
                 page.isEmpty() ? "help_welcome.htm" : page.toUtf8().constData());
    });
}

void RecorderWindow::buildMenus() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    fileMenu_ = bar->addMenu(QString::fromUtf8("文件"));
    fillRecentMenu();
    auto* options = bar->addMenu(QString::fromUtf8("选项"));
    auto* sound = options->addAction(QString::fromUtf8("录制声音(&D)"));
    sound->setCheckable(true);
    sound->setChecked(app_.state().recordSound);
    connect(sound, &QAction::toggled, this, [this](bool on) { app_.state().recordSound = on; });
    auto* optionsDialog = options->addAction(QString::fromUtf8("录制选项(&C)...\tCtrl+V"));
    connect(optionsDialog, &QAction::triggered, this, [this] { editRecordingOptions(); });
    auto* help = bar->addMenu(QString::fromUtf8("帮助"));
    connect(help->addAction(QString::fromUtf8("内容(&C)\tF1")), &QAction::triggered, this,
            [this] { openHelp(app_.paths().installLocation(), "help_welcome.htm"); });
    connect(help->addAction(QString::fromUtf8("关于 Tavlo(&A)")), &QAction::triggered, this, [this] {
        prompts_.message("Tavlo 8.60.66\nScreen recordings into tutorials.", "关于 Tavlo", Icon::Information);
    });
}

void RecorderWindow::fillRecentMenu() {
    fileMenu_->clear();
    auto* start = fileMenu_->addAction(QString::fromUtf8("开始录制\tCtrl+R"));
    connect(start, &QAction::triggered, this, [this] { startRecording(); });
    auto* open = fileMenu_->addAction(QString::fromUtf8("打开(&O)\tCtrl+O"));
    connect(open, &QAction::triggered, this, [this] { chooseAndOpen(); });
    const auto texts = model_->recentMenuTexts();
    if (!texts.empty()) fileMenu_->addSeparator();
    for (int i = 0; i < int(texts.size()); ++i) {
        auto* a = fileMenu_->addAction(q(texts[std::size_t(i)]));
        connect(a, &QAction::triggered, this, [this, i] {
            const std::string path = model_->recentPath(i);
            if (!fileExists(path)) {
                prompts_.message("无法打开 Tavlo    ", "文件错误", Icon::Error);
                return;
            }
            openProject(path);
        });
    }
    fileMenu_->addSeparator();
    connect(fileMenu_->addAction(QString::fromUtf8("退出(&E)")), &QAction::triggered, this,
            [this] { close(); });
}

void RecorderWindow::editRecordingOptions() {
    // The hot keys rest while a dialog has the keyboard.
    if (hotKeys_) hotKeys_->unregisterAll();
    RecordingOptionsDialog dialog(app_.state().recording, app_.config().continuousRecording, this);
    if (dialog.exec() == QDialog::Accepted) {
        app_.state().recording = dialog.options();
        app_.config().continuousRecording = dialog.continuous();
    }
    if (hotKeys_) hotKeys_->registerKeys(platform::recorderHotKeys(app_.config().alternatePause));
}

void RecorderWindow::refresh() {
    modes_->button(model_->mode())->setChecked(true);
    monitorList_->setVisible(model_->monitorListShown());
    monitorList_->setCurrentIndex(model_->monitor() - 1);
    panBox_->setEnabled(model_->panAvailable());
    panBox_->setVisible(model_->panAvailable());
    panBox_->setChecked(app_.state().capture.pan);
    setWindowTitle(q(model_->title()));
    if (model_->captureFrameShown() && !recording()) {
        Rect r = model_->captureFrame();
        if (model_->mode() == 2 && screen_) {
            if (auto active = screen_->activeWindow()) r = *active;
        }
        frame_.place(qrect(r));
        frame_.show();
    } else if (!recording()) {
        frame_.hide();
    }
}

void RecorderWindow::registerHotKeys() {
    std::string error;
    hotKeys_ = platform::x11::openHotKeys(error);
    if (!hotKeys_) return;
    hotKeys_->setHandler([this](platform::HotKeyId id) {
        QMetaObject::invokeMethod(
            this, [this, id] { onHotKey(id); }, Qt::QueuedConnection);
    });
    auto taken = hotKeys_->registerKeys(platform::recorderHotKeys(app_.config().alternatePause));
    if (!taken.empty()) {
        std::string names;
        for (const auto& k : taken) names += (names.empty() ? "" : ", ") + k.name;
        prompts_.message(
            "These keys are already used by another program and will not work for Tavlo: " + names +
                ".\nStop a recording from the tray icon or with `tavlo control stop` instead.",
            "Tavlo Warning", Icon::Warning);
    }
}

void RecorderWindow::onHotKey(platform::HotKeyId id) {
    using platform::HotKeyId;
    switch (id) {
    case HotKeyId::Stop:
        if (control_)
            control_->requestStop();
        else {
            QApplication::beep();
            startButton_->setFocus();
        }
        break;
    case HotKeyId::Pause:
        if (control_)
            control_->requestTogglePause();
        else
            startRecording();
        break;
    case HotKeyId::Snapshot:
        if (control_) {
            control_->session()->requestSnapshot();
            if (!control_->paused()) control_->requestTogglePause();
        } else {
            startRecording();
        }
        break;
    case HotKeyId::Chapter:
        if (control_ && project_->tail()) {
            ++chapters_;
            std::string text = "Chapter " + std::to_string(chapters_);
            project_->tail()->data.chapterTitle = std::u16string(text.begin(), text.end());
        } else {
            QApplication::beep();
        }
        break;
    case HotKeyId::Hide:
        trayHidden_ = !trayHidden_;
        if (tray_) tray_->setVisible(!trayHidden_ && control_);
        break;
    }
}

void RecorderWindow::onControlCommand(const std::string& command) {
    if (!control_) {
        if (startPending_) earlyCommands_.push_back(command);
        return;
    }
    if (command == "pause")
        control_->setExternalPause(true);
    else if (command == "resume")
        control_->setExternalPause(false);
    else
        control_->requestStop();
}

void RecorderWindow::showTray(bool paused) {
    if (commandLine_.hidden || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason) {
            if (control_) control_->requestStop(); // a click on the icon stops and saves
        });
    }
    tray_->setIcon(trayIcon(paused));
    tray_->setToolTip(QString::fromUtf8(paused ? "Tavlo\nrecording paused..." : "单击停止录制\nwith Tavlo"));
    tray_->setVisible(!trayHidden_);
}

void RecorderWindow::startRecording() {
    if (control_) return;
    startPending_ = false;
    const std::vector<std::string> early = std::exchange(earlyCommands_, {});
    if (!screen_) {
        prompts_.message(screenError_, "Tavlo 错误", Icon::Error);
        return;
    }
    std::string error;
    pointer_ = platform::x11::openPointer(error);
    input_ = platform::x11::openInputEvents(error);
    project_ = std::make_unique<project::Project>();
    control_ = std::make_unique<capture::RecordingControl>(*project_, prompts_, *screen_, pointer_.get(),
                                                           input_.get());

    capture::RecordingSetup setup;
    setup.tempFolder = app_.config().tempDirectory;
    setup.capture.mode = model_->mode();
    setup.capture.monitor = model_->monitor();
    setup.capture.pan = model_->pan();
    const RecordingOptions& ro = app_.state().recording;
    setup.capture.captureRate = ro.captureRate;
    setup.capture.pointerRate = ro.pointerRate;
    setup.capture.recordPointer = ro.recordPointer;
    setup.capture.smoothPointer = ro.smoothPointer;
    setup.capture.compressed = ro.compressed;
    setup.capture.loopMinutes = ro.loopMinutes;
    setup.quality = ro.quality;
    setup.capture.continuous = app_.config().continuousRecording;
    setup.capture.bubbleNavigation = app_.config().calloutNavigation;
    setup.capture.freeDiskBytes = platform::freeDiskBytes(setup.tempFolder);
    Rect frame = model_->captureFrame();
    if (model_->mode() == 2) {
        if (auto active = screen_->activeWindow())
            frame = Rect{active->left - 3, active->top - 3, active->right + 3, active->bottom + 3};
    }
    setup.capture.frameWindow = frame;
    if (!control_->start(setup, error)) {
        control_.reset();
        project_.reset();
        prompts_.message(error, "Tavlo 错误", Icon::Error);
        return;
    }
    hide();
    frame_.setLocked(true);
    if (model_->pan())
        frame_.hide();
    else if (model_->captureFrameShown() && !commandLine_.hidden)
        frame_.show();
    showTray(false);
    tickTimer_.start(200); // the first tick comes after 200 ms
    for (const std::string& command : early) onControlCommand(command);
}

void RecorderWindow::tick() {
    if (!control_) return;
    const bool wasPaused = control_->paused();
    const int delay = control_->tick();
    if (control_->paused() != wasPaused) showTray(control_->paused());
    if (control_->stopRequested()) {
        finishRecording();
        return;
    }
    tickTimer_.start(delay);
}

void RecorderWindow::finishRecording() {
    tickTimer_.stop();
    frame_.hide();
    // The writer drains on a worker while this thread keeps the progress window alive.
    onWorker([this] { control_->stop(); });

    if (!commandLine_.recordPath.empty()) {
        keepRecording();
        if (!control_) return;
        // Not saved anywhere yet: the user decides in the finish dialog.
    }
    for (;;) {
        FinishDialog dialog(nullptr);
        dialog.exec();
        switch (dialog.choice()) {
        case FinishChoice::Keep:
            keepRecording();
            if (!control_) return; // saved
            continue;              // the save dialog was cancelled: ask again
        case FinishChoice::Continue:
            continue; // not offered yet (the button is disabled)
        case FinishChoice::NewRecording:
            if (prompts_.question("Discard current recording?     ", "Start a new recording", Buttons::YesNo,
                                  Icon::Question, Answer::No) != Answer::Yes)
                continue;
            control_->discard();
            endRecording();
            app_.saveSettings();
            if (!restartProgram()) close();
            return;
        case FinishChoice::Exit:
            if (prompts_.question("Save recording before exiting ?     ", "Tavlo", Buttons::YesNo,
                                  Icon::Question, Answer::Yes) == Answer::Yes) {
                keepRecording();
                if (control_) continue;
            } else {
                control_->discard();
                endRecording();
            }
            close();
            return;
        }
    }
}

void RecorderWindow::keepRecording() {
    if (!control_) return;
    bool saved = control_->keep(commandLine_.recordPath, app_.paths().defaultProjectsFolder());
    if (!saved && !commandLine_.recordPath.empty()) {
        // The "/r:" file cannot be written: ask where instead of losing the recording.
        commandLine_.recordPath.clear();
        saved = control_->keep("", app_.paths().defaultProjectsFolder());
    }
    if (!saved) return; // the finish dialog comes back; the capture files stay
    const std::string path = project_->filePath;
    model_->opened(path);
    fillRecentMenu();
    endRecording();
    if (!commandLine_.recordPath.empty()) {
        if (commandLine_.createAfterSave) createMovie(path);
        close(); // "/r:" closes once saved (and with "/c" once its movie is made)
        return;
    }
    show();
    prompts_.message("The recording is saved as " + path + ".\nThe editor is not part of this build yet.",
                     "Tavlo", Icon::Information);
}

void RecorderWindow::onWorker(const std::function<void()>& work) {
    bool done = false;
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                done = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    if (!done) loop.exec();
    worker.join();
}

void RecorderWindow::createMovie(const std::string& projectPath) {
    movie::BuildRequest request;
    movie::BuildResult result;
    const auto config = [this](movie::MovieOptions& o) { movie::applyConfig(app_.config(), o); };
    onWorker([&] { result = movie::publishProjectFile(projectPath, request, prompts_, config); });
    if (result.outcome == movie::BuildResult::Outcome::Failed ||
        result.outcome == movie::BuildResult::Outcome::Cancelled) {
        if (!result.error.empty()) prompts_.message(result.error, "Tavlo 错误", Icon::Error);
        return;
    }
    std::fprintf(stderr, "tavlo: the movie of %s is %s\n", projectPath.c_str(), result.files.movie.c_str());
}

void RecorderWindow::endRecording() {
    if (tray_) tray_->hide();
    frame_.setLocked(false);
    control_.reset();
    project_.reset();
    pointer_.reset();
    input_.reset();
    refresh();
}

void RecorderWindow::chooseAndOpen() {
    FileChoice choice;
    choice.title = "载入 Tavlo 影片...";
    choice.filter = "Tavlo (*.tavlo)";
    choice.initialPath = app_.paths().defaultProjectsFolder();
    if (auto path = prompts_.chooseFile(choice)) openProject(*path);
}

void RecorderWindow::openProject(const std::string& path) {
    switch (RecorderModel::openKind(path, commandLine_.recover)) {
    case RecorderModel::OpenKind::Recover:
        prompts_.message("Recovering interrupted recordings is not part of this build yet.", "Tavlo",
                         Icon::Information);
        return;
    case RecorderModel::OpenKind::ImportVideo:
        prompts_.message("Importing videos is not part of this build yet.", "Tavlo", Icon::Information);
        return;
    case RecorderModel::OpenKind::Load:
        break;
    }
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0) {
        prompts_.message("Tavlo 项目文件只读权限.    \n项目不能打开编辑.    ", "文件错误", Icon::Error);
        return;
    }
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    if (!project::load(prompts_, path, p, o)) {
        if (prompts_.question(
                "Unable to open Tavlo project file.    \nWould you like to try recovering this file?    ",
                "Tavlo", Buttons::YesNo, Icon::Question, Answer::No) == Answer::Yes)
            prompts_.message("Recovering project files is not part of this build yet.", "Tavlo",
                             Icon::Information);
        return;
    }
    model_->opened(path);
    fillRecentMenu();
    setWindowTitle(QStringLiteral("Tavlo - F1 help"));
    prompts_.message(path + ": " + std::to_string(p.frameCount()) + " frames of " +
                         std::to_string(p.frameWidth) + "x" + std::to_string(p.frameHeight) +
                         ".\nThe editor is not part of this build yet.",
                     "Tavlo", Icon::Information);
}

void RecorderWindow::closeEvent(QCloseEvent* e) {
    if (control_) {
        // Closing while recording stops and lets the user decide about the recording.
        control_->requestStop();
        e->ignore();
        return;
    }
    frame_.hide();
    app_.saveSettings();
    e->accept();
    QApplication::quit();
}

int runRecorderGui(Application& app, const CommandLine& commandLine, QtPrompts& prompts) {
    RecorderWindow window(app, commandLine, prompts);
    if (!(commandLine.hidden && !commandLine.recordPath.empty())) window.show();
    return QApplication::exec();
}

} // namespace tavlo::gui
