#include "capture/recording_control.h"

#include "capture/segment_joining.h"
#include "capture/time_tidying.h"
#include "project/project_file.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace tavlo::capture {

std::int64_t RecordingClock::nowMs() {
    std::lock_guard lock(mutex_);
    const std::int64_t now = steady_.nowMs();
    return (pausedAt_ >= 0 ? pausedAt_ : now) - pausedTotal_;
}

void RecordingClock::pause() {
    std::lock_guard lock(mutex_);
    if (pausedAt_ < 0) pausedAt_ = steady_.nowMs();
}

void RecordingClock::resume() {
    std::lock_guard lock(mutex_);
    if (pausedAt_ < 0) return;
    pausedTotal_ += steady_.nowMs() - pausedAt_;
    pausedAt_ = -1;
}

RecordingControl::RecordingControl(project::Project& project, UiPrompts& ui, platform::ScreenSource& screen,
                                   platform::PointerSource* pointer, platform::InputEvents* input,
                                   Clock* clock)
    : project_(project), ui_(ui), screen_(screen), pointer_(pointer), input_(input),
      clock_(clock ? *clock : ownClock_) {}

RecordingControl::~RecordingControl() {
    session_.reset();
    if (writer_ && !writerFinished_) writer_->finish();
}

bool RecordingControl::start(const RecordingSetup& given, std::string& error) {
    const RecordingSetup& setup = given;
    continuous_ = setup.capture.continuous && setup.capture.loopMinutes > 0;
    compressed_ = setup.capture.compressed;
    tempFolder_ = setup.tempFolder;
    project::CaptureOptions options;
    options.folder = setup.tempFolder;
    options.compressed = setup.capture.compressed;
    options.quality = setup.quality;
    options.continuous = setup.capture.continuous && setup.capture.loopMinutes > 0;
    writer_ = std::make_unique<project::CaptureWriter>(options);
    queue_ = std::make_unique<WriterQueue>(*writer_, options.compressed);
    if (input_ && !input_->start()) input_ = nullptr; // recording goes on without click and key marks
    session_ =
        std::make_unique<CaptureSession>(project_, *queue_, screen_, pointer_, input_, clock_, setup.capture);
    if (!session_->begin(error)) {
        session_.reset();
        writer_->removeFiles();
        return false;
    }
    recording_ = true;
    stopped_ = false;
    return true;
}

int RecordingControl::tick() {
    if (!recording_ || stopped_) return 100;
    const std::int64_t started = clock_.nowMs();
    if (togglePauseRequested_.exchange(false)) togglePause();
    // Another program holding the pause: paused while held, resumed when released.
    const bool held = externalPause_.load();
    if (held && !paused_) {
        togglePause();
        externallyPaused_ = true;
    } else if (!held && externallyPaused_) {
        externallyPaused_ = false;
        if (paused_) togglePause();
    }
    session_->tick();
    if (StopRequest r = session_->stopRequest(); r != StopRequest::None)
        requestStop(r == StopRequest::FullDisk   ? StopReason::FullDisk
                    : r == StopRequest::NoMemory ? StopReason::NoMemory
                                                 : StopReason::Save);
    return session_->nextDelayMs(started);
}

void RecordingControl::togglePause() {
    if (!recording_ || stopped_) return;
    paused_ = !paused_;
    if (paused_) {
        session_->setPaused(true);
        ownClock_.pause();
    } else {
        ownClock_.resume();
        if (input_)
            input_->takeClickDown(), input_->takeClickUp(), input_->takeKeyDown(), input_->takeKeyUp();
        session_->setPaused(false);
    }
}

void RecordingControl::requestStop(StopReason reason) {
    // The first reason stands: a full disk stays a full disk however the recording then ends.
    bool expected = false;
    if (stopRequested_.compare_exchange_strong(expected, true)) stopReason_ = int(reason);
}

bool RecordingControl::stop() {
    if (!recording_ || stopped_) return false;
    stopped_ = true;
    if (paused_) {
        ownClock_.resume();
        session_->setPaused(false);
        paused_ = false;
    }
    if (auto* s = session_->sampler()) s->stopThread();
    if (input_) input_->stop();
    session_->tick(true);      // the last picture, whole
    session_->setPaused(true); // the time up to here belongs to the last frame
    ownClock_.pause();

    // The writer keeps running, so that the recording can go on; what matters here is that
    // everything queued reaches the files.
    const std::int64_t queued = writer_->pendingBytes();
    if (writer_->pendingBytes() > 0) {
        auto progress = ui_.progress(kFinishingTitle);
        int checks = 0;
        bool cancelled = false;
        while (writer_->pendingBytes() > 0 && !writer_->writeFailed()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (++checks % 5 == 0 && queued > 0)
                progress->setPercent(int(100 - writer_->pendingBytes() * 100 / queued));
            if (!cancelled && progress && progress->cancelled()) {
                writer_->cancelCompression();
                cancelled = true;
                progress.reset(); // the window closes; the rest is stored in the fast form
            }
        }
    }

    switch (StopReason(stopReason_.load())) {
    case StopReason::FullDisk:
        ui_.message(kDiskFullText, kDiskFullTitle, Icon::Warning);
        break;
    case StopReason::NoMemory:
        ui_.message(kLowMemoryText, kLowMemoryTitle, Icon::Warning);
        break;
    case StopReason::Save:
        break;
    }
    return !writer_->writeFailed();
}

bool RecordingControl::continueRecording() {
    if (!recording_ || !stopped_ || writerFinished_) return false;
    stopped_ = false;
    stopRequested_ = false;
    stopReason_ = int(StopReason::Save);
    if (input_) input_->start();
    ownClock_.resume();
    session_->setPaused(false);
    if (auto* s = session_->sampler(); s && session_->recordsPointerOnThread()) s->startThread();
    return true;
}

bool RecordingControl::finishWriter() {
    if (writerFinished_) return finishedComplete_;
    writerFinished_ = true;
    finishedComplete_ = writer_->finish();
    // What each frame's chunk really is: after a cancelled compression the rest is run-length.
    for (const auto& start : writer_->frameStarts())
        if (start.frameNumber >= 0 && start.frameNumber < project_.frameCount())
            project_.frames()[std::size_t(start.frameNumber)]->frame.chunkCompressed =
                start.compressed ? 1 : 0;
    // The writer counted every pixel it encoded.
    const auto& counted = writer_->histogram();
    if (project_.colourHistogram.size() != counted.size()) project_.colourHistogram.assign(counted.size(), 0);
    for (std::size_t i = 0; i < counted.size(); ++i) project_.colourHistogram[i] += counted[i];
    return finishedComplete_;
}

bool RecordingControl::keep(const std::string& path, const std::string& folder) {
    if (!stopped_ || !writer_) return false;
    if (!finishWriter()) {
        ui_.message("The capture files could not be written completely; the recording cannot be saved.",
                    "Tavlo 错误", Icon::Error);
        return false;
    }
    // The times are tidied before the save, so the file holds what the editor will show.
    tidyFrameTimes(project_, false);
    if (project_.head()) project_.head()->frame.chapterMark = 1;
    if (project_.tail()) project_.tail()->frame.chapterMark = 1;
    project::RecordingFiles files{writer_->dataPath(), writer_->indexPath()};
    JoinedRecording joined;
    if (continuous_) {
        // Only the segments still on disk: the project keeps about the last loop.
        std::string error;
        if (!joinSegments(*writer_, project_.frameWidth, project_.frameHeight, compressed_, tempFolder_,
                          joined, error)) {
            ui_.message(error, "Tavlo 错误", Icon::Error);
            return false;
        }
        if (joined.firstFrame > 0) {
            project_.dropLeadingFrames(joined.firstFrame);
            if (project_.head()) project_.head()->frame.keyImage = 1;
        }
        files = {joined.dataPath, joined.indexPath};
    }
    project::SaveRecordingOptions options;
    options.commandLinePath = path;
    options.initialFolder = folder;
    const bool saved = project::saveRecording(ui_, project_, files, options);
    if (continuous_) {
        ::unlink(joined.dataPath.c_str());
        ::unlink(joined.indexPath.c_str());
    }
    if (!saved) return false;
    writer_->removeFiles();
    recording_ = false;
    return true;
}

void RecordingControl::discard() {
    if (!writer_) return;
    session_.reset();
    finishWriter();
    writer_->removeFiles();
    recording_ = false;
}

} // namespace tavlo::capture
