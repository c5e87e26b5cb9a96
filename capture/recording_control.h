#pragma once
// Starting, pausing and stopping a recording, finishing the writer's work and turning the capture
// files into a project. The recorder window and `tavlo record` both drive it; other threads (hot
// keys, the control socket, the tray) only post requests, which the next tick carries out.
#include "capture/capture_queue.h"
#include "capture/capture_session.h"
#include "core/ui_prompts.h"
#include "project/image/capture_writer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace tavlo::capture {

// The recording clock: steady time less the time spent paused.
class RecordingClock : public Clock {
public:
    std::int64_t nowMs() override;
    void pause();
    void resume();

private:
    SteadyClock steady_;
    std::mutex mutex_;
    std::int64_t pausedTotal_ = 0;
    std::int64_t pausedAt_ = -1;
};

enum class StopReason { Save = 514, FullDisk = 16, NoMemory = 1030 };

struct RecordingSetup {
    CaptureSettings capture;
    std::string tempFolder; // where the capture files go
    int quality = 80;       // capture quality for blocks
};

inline constexpr const char* kFinishingTitle = "Finishing video compression";
inline constexpr const char* kDiskFullText = "Disk full - unable to continue recording.     ";
inline constexpr const char* kDiskFullTitle = "Tavlo Warning - Disk Full";
inline constexpr const char* kLowMemoryText = "Low on memory - unable to continue recording.     ";
inline constexpr const char* kLowMemoryTitle = "Tavlo Warning - Memory Full";

class RecordingControl {
public:
    RecordingControl(project::Project& project, UiPrompts& ui, platform::ScreenSource& screen,
                     platform::PointerSource* pointer, platform::InputEvents* input, Clock* clock = nullptr);
    ~RecordingControl();

    // Starts the writer, the input sources and the capture; false with the user's message.
    bool start(const RecordingSetup& setup, std::string& error);
    // One capture timer tick; returns the delay before the next one in ms.
    int tick();
    void togglePause();

    // Thread-safe requests, carried out by the next tick.
    void requestStop(StopReason reason = StopReason::Save);
    void requestTogglePause() { togglePauseRequested_ = true; }
    void setExternalPause(bool held) { externalPause_ = held; } // held while another program pauses us

    bool recording() const { return recording_; }
    bool paused() const { return paused_; }
    bool stopRequested() const { return stopRequested_.load(); }

    // The stop sequence: last forced capture, the writer drained under the progress window
    // "Finishing video compression" (cancel switches the rest to the fast encoding), the full
    // disk or memory messages. Runs once per stop; true when everything reached the files.
    bool stop();
    // The finish dialog's "继续录制": the stopped recording goes on into the same files.
    bool continueRecording();
    // Turns the capture files into the project file `path` (the save dialog, opening in
    // `folder`, when empty) and removes them. False when the save failed or was cancelled; the
    // files then stay.
    bool keep(const std::string& path, const std::string& folder = "");
    // Throws the recording away: closes and deletes the capture files.
    void discard();

    project::CaptureWriter* writer() { return writer_.get(); }
    CaptureSession* session() { return session_.get(); }

private:
    bool finishWriter();

    project::Project& project_;
    UiPrompts& ui_;
    platform::ScreenSource& screen_;
    platform::PointerSource* pointer_;
    platform::InputEvents* input_;
    RecordingClock ownClock_;
    Clock& clock_;
    std::unique_ptr<project::CaptureWriter> writer_;
    std::unique_ptr<WriterQueue> queue_;
    std::unique_ptr<CaptureSession> session_;
    bool recording_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    bool externallyPaused_ = false;
    bool continuous_ = false;
    bool compressed_ = false;
    std::string tempFolder_;
    bool writerFinished_ = false;
    bool finishedComplete_ = false;
    std::atomic<bool> stopRequested_{false};
    std::atomic<int> stopReason_{int(StopReason::Save)};
    std::atomic<bool> togglePauseRequested_{false};
    std::atomic<bool> externalPause_{false};
};

} // namespace tavlo::capture
