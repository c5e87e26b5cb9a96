#pragma once
// The recorder's main window: capture mode, monitor, pan, start, open, combine, the menus with
// the recent files, the tray icon while recording, the capture frame, the hot keys, and the
// recording itself, ticked by a timer on this thread.
#include "app/application.h"
#include "app/command_line.h"
#include "app/gui/capture_frame_window.h"
#include "app/gui/qt_prompts.h"
#include "app/gui/recorder_model.h"
#include "capture/recording_control.h"
#include "platform/control_socket.h"
#include "platform/hot_keys.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace tavlo::gui {

class RecorderWindow : public QDialog {
public:
    RecorderWindow(Application& app, const CommandLine& commandLine, QtPrompts& prompts);
    ~RecorderWindow() override;

    void startRecording();
    bool recording() const { return control_ != nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void refresh();
    void onHotKey(platform::HotKeyId id);
    void onControlCommand(const std::string& command);
    void tick();
    void finishRecording();
    void keepRecording();
    void endRecording();
    void openProject(const std::string& path);
    void chooseAndOpen();
    void fillRecentMenu();
    void showTray(bool paused);
    void registerHotKeys();
    void editRecordingOptions();
    // Runs `work` on a worker thread while this thread goes on showing windows (progress).
    void onWorker(const std::function<void()>& work);
    // "/c": the movie of the saved recording, beside it.
    void createMovie(const std::string& projectPath);

    Application& app_;
    CommandLine commandLine_;
    QtPrompts& prompts_;
    std::unique_ptr<platform::ScreenSource> screen_;
    std::string screenError_;
    std::unique_ptr<platform::HotKeys> hotKeys_;
    std::unique_ptr<RecorderModel> model_;
    CaptureFrameWindow frame_;
    platform::ControlServer controlServer_;
    // Commands from other programs that arrive while a "/r:" recording is still starting; they
    // apply to it once it runs (a script may send "stop" right after starting us).
    bool startPending_ = false;
    std::vector<std::string> earlyCommands_;

    // A recording in progress.
    std::unique_ptr<platform::PointerSource> pointer_;
    std::unique_ptr<platform::InputEvents> input_;
    std::unique_ptr<project::Project> project_;
    std::unique_ptr<capture::RecordingControl> control_;
    QTimer tickTimer_;
    QTimer shiftTimer_;
    int chapters_ = 0;
    bool trayHidden_ = false;

    QButtonGroup* modes_ = nullptr;
    QComboBox* monitorList_ = nullptr;
    QCheckBox* panBox_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
};

// The whole GUI program: the recorder window until it closes. Returns the exit status.
int runRecorderGui(Application& app, const CommandLine& commandLine, QtPrompts& prompts);

} // namespace tavlo::gui
