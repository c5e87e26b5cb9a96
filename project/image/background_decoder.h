#pragma once
// The background decoder: a thread that decodes the frames around the one the editor shows, so
// that stepping forwards finds them ready. Saving pauses it (pause() returns once it has stopped
// touching frames); the editor tells it when the wanted frame changes.
//
// It sees frames only through PrefetchSource, which the project side implements over its frame
// list and per-frame caches (each with its own lock).
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace tavlo::project {

class PrefetchSource {
public:
    virtual ~PrefetchSource() = default;
    virtual int frameCount() const = 0;
    virtual bool located(int frame) const = 0; // its chunk is known
    virtual bool decoded(int frame) const = 0;
    // Decodes the frame into its cache; returns the decoded size in pixels plus one, 0 on failure.
    virtual std::size_t decode(int frame) = 0;
    virtual void evict(int frame) = 0;
};

class BackgroundDecoder {
public:
    // budgetPixels: the most decoded pixels kept, width × height × 40 for the project's frames.
    BackgroundDecoder(PrefetchSource& source, std::size_t budgetPixels);
    ~BackgroundDecoder(); // stops

    void start();
    void stop();

    // The editor's wanted frame changed (the prefetch event); stepsBack > 0 first walks that many
    // frames backwards from it.
    void setWanted(int frame, int stepsBack = 0);
    // Stops a walk in progress at the next frame.
    void stopWalk();
    // Saving: returns once the decoder has acknowledged and is waiting; resume() lets it go on.
    void pause();
    void resume();
    bool paused() const;

    // Waits for the next frame decoded after this call (the prefetch-done event).
    bool waitDecoded(std::chrono::milliseconds timeout);
    // Decoded pixels (plus one per frame) that the decoder holds the caches to.
    std::size_t cachedPixels() const;
    // Forget a frame that the caller evicted or re-decoded itself (project closed, frame edited).
    void forget(int frame);
    void clear();

private:
    void run();
    int nextToDecode(std::unique_lock<std::mutex>& lock);
    bool makeRoom(int frame, std::unique_lock<std::mutex>& lock);

    struct Entry {
        int frame;
        std::size_t size;
    };

    PrefetchSource& source_;
    const std::size_t budget_;

    mutable std::mutex mutex_;
    std::condition_variable event_;     // prefetch event and state changes
    std::condition_variable doneEvent_; // a frame was decoded; the decoder paused
    bool wake_ = false;                 // the auto-reset prefetch event
    bool stop_ = false;
    bool stopWalk_ = false;
    bool pause_ = false;
    bool paused_ = false;
    bool running_ = false;
    std::uint64_t decodedCount_ = 0;
    int wanted_ = 0;
    int stepsBack_ = 0;
    std::deque<Entry> order_;        // decoded frames, oldest first
    std::unordered_set<int> failed_; // not tried again until forgotten
    std::size_t total_ = 0;
    std::thread thread_;
};

} // namespace tavlo::project
