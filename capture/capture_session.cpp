#include "capture/capture_session.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>
#include <zlib.h>

namespace tavlo::capture {

namespace {

constexpr int kFrameInset = 3; // the frame window is drawn around the area
constexpr std::int16_t kMaxRecordTime = 32767;

std::int16_t clampToI16(int v) {
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

} // namespace

CaptureSession::CaptureSession(project::Project& project, CaptureQueue& queue, platform::ScreenSource& screen,
                               platform::PointerSource* pointer, platform::InputEvents* input, Clock& clock,
                               CaptureSettings settings)
    : project_(project), queue_(queue), screen_(screen), pointer_(pointer), input_(input), clock_(clock),
      settings_(settings) {}

CaptureSession::~CaptureSession() {
    if (sampler_) sampler_->stopThread();
}

bool CaptureSession::begin(std::string& error) {
    const Rect desktop = screen_.desktop();
    std::vector<Rect> monitors = screen_.monitors();
    if (monitors.empty()) monitors.push_back(desktop);
    const int m = std::clamp(settings_.monitor, 1, int(monitors.size())) - 1;
    monitor_ = monitors[std::size_t(m)];
    if (settings_.mode == 0) {
        area_ = monitor_;
    } else {
        const Rect& f = settings_.frameWindow;
        area_ =
            Rect{f.left + kFrameInset, f.top + kFrameInset, f.right - kFrameInset, f.bottom - kFrameInset};
        // The area may lie across monitors, but never beyond the desktop.
        area_ = platform::clampToDesktop(area_, desktop);
        // Pan moves over the monitor that holds the area.
        for (const Rect& mon : monitors)
            if (area_.left >= mon.left && area_.left < mon.right && area_.top >= mon.top &&
                area_.top < mon.bottom)
                monitor_ = mon;
        if (settings_.pan)
            area_ = Rect{area_.left, area_.top, std::min(area_.right, monitor_.right),
                         std::min(area_.bottom, monitor_.bottom)};
    }
    if (area_.empty()) {
        error = "The capture area lies outside the screen.";
        return false;
    }
    w_ = area_.width();
    h_ = area_.height();
    if (!screen_.sharedMemory() && std::int64_t(w_) * h_ > kMaxPixelsWithoutSharedMemory) {
        error = "This X display offers no shared memory (MIT-SHM), so an area of " + std::to_string(w_) +
                "x" + std::to_string(h_) +
                " cannot be grabbed fast enough to record. Record a smaller area, or record on the "
                "computer's own display.";
        return false;
    }

    const std::size_t pixels = std::size_t(w_) * std::size_t(h_);
    try {
        last_.assign(pixels, 0x01010101u); // differs from every grab, whose fourth byte is 0
        next_.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        error =
            "Not enough memory to record an area of " + std::to_string(w_) + "x" + std::to_string(h_) + ".";
        return false;
    }

    project_.frameWidth = w_;
    project_.frameHeight = h_;
    project_.compressedImages = settings_.compressed;
    project_.defaults.setFrameSize(w_, h_);
    if (project_.colourHistogram.size() != 32768) project_.colourHistogram.assign(32768, 0);

    // The pointer table's picture size: the desktop's pointer, between 32 and 64 pixels a side.
    int side = 32;
    if (pointer_) {
        platform::PointerState st;
        platform::PointerShape shape;
        if (pointer_->read(st) && pointer_->shape(st.handle, shape))
            side = std::clamp(std::max(shape.width, shape.height), 32, 64);
    }
    project_.pointerShapes.present = pointer_ != nullptr;
    project_.pointerShapes.width = side;
    project_.pointerShapes.height = side;

    if (!queue_.open(w_, h_, settings_.continuous, error)) {
        if (error.empty())
            error =
                settings_.continuous ? "Unable to open loop capture files" : "Unable to open capture file";
        return false;
    }

    schedule_ = timerSchedule(settings_.captureRate);
    throttle_ = Throttle(w_, h_);
    if (pointer_) {
        sampler_ = std::make_unique<PointerSampler>(*pointer_, input_, clock_, settings_.pointerRate,
                                                    settings_.continuous);
        // Without its own thread the pointer is sampled in every tick.
        if (settings_.recordPointer && !sampler_->startThread()) settings_.recordPointer = false;
    }
    accountedMs_ = clock_.nowMs();
    return true;
}

void CaptureSession::setPaused(bool paused) {
    if (paused == paused_) return;
    if (paused) {
        // The time up to the pause belongs to the newest frame.
        pointerStep(clock_.nowMs());
    } else {
        accountedMs_ = clock_.nowMs();
    }
    paused_ = paused;
    if (sampler_) sampler_->setPaused(paused);
}

void CaptureSession::tick(bool forced) {
    if (w_ == 0 || stop_ != StopRequest::None) return;
    if (paused_ && !forced) return;
    ++ticks_;
    if (sampler_ && !settings_.recordPointer) sampler_->sampleOnce();

    if (settings_.pan && pointer_) {
        platform::PointerState st;
        if (pointer_->read(st)) {
            Rect moved = area_;
            if (pan_.step(moved, st.x, st.y, monitor_)) {
                if (sampler_) sampler_->shift(moved.left - area_.left, moved.top - area_.top);
                area_ = moved;
                if (!areaMoved_ && onAreaMoved) onAreaMoved();
                areaMoved_ = true;
            }
        }
    }

    const bool grabTick = forced || snapshot_ || ticks_ % schedule_.divider == 0 || firstGrab_;
    if (grabTick)
        grabAndMakeFrame(forced);
    else
        pointerStep(clock_.nowMs());
    checkDiskAndThrottle();
}

int CaptureSession::nextDelayMs(std::int64_t tickStartedAtMs) {
    const std::int64_t now = clock_.nowMs();
    const int d = throttle_.delay();
    if (d > 0) std::this_thread::sleep_for(std::chrono::milliseconds(d));
    return int(std::max<std::int64_t>(1, schedule_.periodMs + tickStartedAtMs - now)) + d;
}

project::FrameNode& CaptureSession::newFrame() {
    project::CaptureContext ctx;
    ctx.width = w_;
    ctx.height = h_;
    ctx.compressed = settings_.compressed;
    ctx.bubbleNavigation = settings_.bubbleNavigation;
    ctx.followsWindow = settings_.pan;
    ctx.areaOffsetX = area_.left;
    ctx.areaOffsetY = area_.top;
    project::FrameNode& f = project_.appendCapturedFrame(ctx);
    if (settings_.pan) {
        f.frame.captureOffset[0] = clampToI16(area_.left - monitor_.left); // within the pan picture
        f.frame.captureOffset[1] = clampToI16(area_.top - monitor_.top);
    }
    WriterMessage m;
    m.type = MessageType::FrameStart;
    m.value = std::uint16_t(project_.frameCount() - 1);
    queue_.push(std::move(m));
    return f;
}

void CaptureSession::grabAndMakeFrame(bool forced) {
    if (!screen_.grab(area_, next_.data())) {
        stop_ = StopRequest::NoDesktop;
        return;
    }
    const bool snapshot = std::exchange(snapshot_, false);
    const bool first = std::exchange(firstGrab_, false);
    const std::size_t bytes = next_.size() * 4;
    if (!forced && !first && !snapshot && std::memcmp(last_.data(), next_.data(), bytes) == 0) {
        pointerStep(clock_.nowMs());
        return;
    }

    bool nextSegment = false;
    if (settings_.continuous && settings_.loopMinutes > 0) {
        const std::int64_t segment = std::int64_t(settings_.loopMinutes) * 6000 / 19;
        if (segmentTime_ >= segment) {
            nextSegment = true;
            segmentTime_ -= segment;
            forced = true;
        }
    }

    const ChangedRect whole{0, 0, w_ - 1, h_ - 1};
    std::vector<ChangedRect> rects;
    if (forced || first)
        rects = {whole};
    else
        rects = findChangedRectangles(last_.data(), next_.data(), w_, h_);
    if (rects.empty()) {
        if (!snapshot) {
            pointerStep(clock_.nowMs());
            return;
        }
        rects = {ChangedRect{0, 0, std::min(8, w_ - 1), std::min(8, h_ - 1)}};
    }

    // Pointer samples taken before this grab become frames of their own before the screen frame.
    const std::int64_t now = clock_.nowMs();
    std::vector<PointerSample> samples;
    if (sampler_) sampler_->take(samples);
    if (settings_.smoothPointer) smoothSamples(samples);
    PointerSample lastSample;
    bool haveLast = !samples.empty();
    if (haveLast) {
        lastSample = samples.back();
        samples.pop_back();
    }
    pointerFrames(samples);

    // A new segment starts with this frame, the whole picture, so that it can stand alone once
    // the segments before it are overwritten.
    if (nextSegment) {
        WriterMessage m;
        m.type = MessageType::NextSegment;
        queue_.push(std::move(m));
    }
    project::FrameNode& frame = newFrame();
    if (input_) {
        frame.frame.keyPress = input_->takeKeyDown() ? 1 : 0;
        frame.frame.keyRelease = input_->takeKeyUp() ? 1 : 0;
    }

    bool key = false;
    if (settings_.pan) {
        key = first || forced;
    } else {
        std::size_t covered = 0;
        for (const auto& r : rects) covered += r.area();
        key = queue_.bytesWritten() - lastKeyImageBytes_ > kKeyImageBytes ||
              covered == std::size_t(w_) * std::size_t(h_) || first;
    }
    if (key) {
        frame.frame.keyImage = 1;
        rects = {whole};
        if (settings_.pan) storePanBackground(frame);
    }

    for (const ChangedRect& r : rects) {
        queueRect(MessageType::Before, r, last_);
        queueRect(MessageType::After, r, next_);
    }
    std::swap(last_, next_); // last_ is now the current picture

    const int d = int(std::max<std::int64_t>(0, now - accountedMs_) / 10);
    accountedMs_ += std::int64_t(d) * 10;
    if (haveLast && pointer_)
        pointerRecord(lastSample, d);
    else
        addTime(d, false);

    if (key) lastKeyImageBytes_ = queue_.bytesWritten();
}

void CaptureSession::queueRect(MessageType type, const ChangedRect& r,
                               const std::vector<std::uint32_t>& picture) {
    WriterMessage m;
    m.type = type;
    m.rect = r;
    try {
        m.pixels.resize(std::size_t(r.width()) * std::size_t(r.height()));
    } catch (const std::bad_alloc&) {
        stop_ = StopRequest::NoMemory; // the rectangle is dropped; the recorder stops once
        return;
    }
    // Column order: x outer, y inner.
    std::uint32_t* out = m.pixels.data();
    for (int x = r.left; x <= r.right; ++x)
        for (int y = r.top; y <= r.bottom; ++y) *out++ = picture[std::size_t(y) * w_ + x];
    queue_.push(std::move(m));
}

void CaptureSession::pointerFrames(const std::vector<PointerSample>& samples) {
    for (const PointerSample& s : samples) {
        // A release sharing its press's time is a sample of its own, not time already given.
        if (s.time < accountedMs_ || (s.time == accountedMs_ && !s.down && !s.up)) continue;
        newFrame();
        const int d = int((s.time - accountedMs_) / 10);
        accountedMs_ += std::int64_t(d) * 10;
        pointerRecord(s, d);
    }
}

void CaptureSession::pointerStep(std::int64_t now) {
    if (project_.frameCount() == 0) return;
    std::vector<PointerSample> samples;
    if (sampler_) sampler_->take(samples);
    if (settings_.smoothPointer) smoothSamples(samples);
    pointerFrames(samples);
    const int d = int(std::max<std::int64_t>(0, now - accountedMs_) / 10);
    if (d > 0) {
        accountedMs_ += std::int64_t(d) * 10;
        addTime(d, false);
    }
}

const project::PointerShape* CaptureSession::shapeFor(std::uint32_t handle) {
    auto& table = project_.pointerShapes;
    for (const auto& s : table.shapes)
        if (std::uint32_t(s.handle) == handle && s.group == 0) return &s;
    platform::PointerShape got;
    if (!pointer_ || !pointer_->shape(handle, got)) return nullptr;
    // Into the table's fixed size: padded with transparent pixels or cropped.
    project::PointerShape entry;
    entry.handle = std::int32_t(handle);
    entry.hotX = got.hotX;
    entry.hotY = got.hotY;
    entry.inverts = got.inverts;
    entry.pixels.assign(std::size_t(table.width) * table.height, platform::kPointerTransparent);
    for (int y = 0; y < std::min(got.height, table.height); ++y)
        for (int x = 0; x < std::min(got.width, table.width); ++x)
            entry.pixels[std::size_t(y) * table.width + x] = got.pixels[std::size_t(y) * got.width + x];
    for (std::uint32_t p : entry.pixels)
        if (p != platform::kPointerTransparent && p != platform::kPointerInverts)
            ++project_.colourHistogram[project::histogramIndex(p)];
    table.shapes.push_back(std::move(entry));
    return &table.shapes.back();
}

void CaptureSession::pointerRecord(const PointerSample& s, int hundredths) {
    project::FrameNode* newest = project_.tail();
    if (!newest) return;
    const int pw = project_.pointerShapes.width, ph = project_.pointerShapes.height;
    int x = s.x - area_.left, y = s.y - area_.top;
    std::uint32_t handle = s.handle;
    const project::PointerShape* shape = handle ? shapeFor(handle) : nullptr;
    if (!shape && s.hidden && lastShownHandle_) {
        handle = lastShownHandle_;
        shape = shapeFor(handle);
    }
    if (shape) {
        x -= shape->hotX;
        y -= shape->hotY;
    }
    if (!shape || x < -pw || y < -ph || x >= w_ || y >= h_) {
        newest->frame.pointerHandle = 0;
        addTime(hundredths, false);
        return;
    }
    lastShownHandle_ = handle;
    project::Frame& f = newest->frame;
    f.pointerHandle = std::int32_t(handle);
    f.pointerX = f.capturedPointerX = x;
    f.pointerY = f.capturedPointerY = y;
    f.clickDown = s.down;
    f.clickUp = s.up;
    f.pointerSystemHidden = s.hidden;
    f.pointerInverts = shape->inverts;
    if (project::FrameNode* before = project_.prevOf(newest)) {
        before->frame.pointerEndX = clampToI16(x);
        before->frame.pointerEndY = clampToI16(y);
    }

    // The screen under the pointer with the pointer drawn over it, clamped to the area so that a
    // pointer at the edge never asks for pixels that are not there.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + pw - 1, w_ - 1), y1 = std::min(y + ph - 1, h_ - 1);
    WriterMessage m;
    m.type = MessageType::Pointer;
    m.rect = project::PixelRect{x0, y0, x1, y1};
    m.pixels.reserve(std::size_t(x1 - x0 + 1) * std::size_t(y1 - y0 + 1));
    for (int px = x0; px <= x1; ++px)
        for (int py = y0; py <= y1; ++py) {
            std::uint32_t screen = last_[std::size_t(py) * w_ + px];
            std::uint32_t p = shape->pixels[std::size_t(py - y) * pw + std::size_t(px - x)];
            if (p == platform::kPointerTransparent)
                p = screen;
            else if (p == platform::kPointerInverts)
                p = ~screen & 0x00FFFFFFu;
            m.pixels.push_back(p);
        }
    const int first = std::min(hundredths, int(kMaxRecordTime));
    m.value = std::uint16_t(first);
    queue_.push(std::move(m));
    addTime(first, true);
    if (hundredths > first) addTime(hundredths - first, false);
}

void CaptureSession::addTime(int hundredths, bool alreadyQueued) {
    project::FrameNode* newest = project_.tail();
    if (!newest || hundredths <= 0) return;
    if (!alreadyQueued) queueTime(MessageType::Idle, hundredths);
    newest->frame.displayTime += hundredths;
    newest->frame.recordedTime += hundredths;
    segmentTime_ += hundredths;
}

void CaptureSession::queueTime(MessageType type, int hundredths) {
    // A record holds at most 32767: long idle times take several.
    while (hundredths > 0) {
        WriterMessage m;
        m.type = type;
        m.value = std::uint16_t(std::min(hundredths, int(kMaxRecordTime)));
        hundredths -= m.value;
        queue_.push(std::move(m));
    }
}

void CaptureSession::storePanBackground(project::FrameNode& frame) {
    // The whole monitor the area pans over: u32 byte count, width, height, then 32-bit pixels.
    const int mw = monitor_.width(), mh = monitor_.height();
    std::vector<std::uint32_t> pixels(std::size_t(mw) * mh);
    if (!screen_.grab(monitor_, pixels.data())) return;
    const std::uint32_t count = std::uint32_t(pixels.size() * 4 + 8);
    std::string raw(12 + pixels.size() * 4, '\0');
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) raw[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, count);
    put(4, std::uint32_t(mw));
    put(8, std::uint32_t(mh));
    std::memcpy(raw.data() + 12, pixels.data(), pixels.size() * 4);
    for (std::uint32_t p : pixels) ++project_.colourHistogram[project::histogramIndex(p)];
    uLongf size = compressBound(uLong(raw.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  uLong(raw.size()), Z_BEST_SPEED) != Z_OK)
        return;
    packed.resize(size);
    frame.data.panBackground = std::move(packed);
}

void CaptureSession::checkDiskAndThrottle() {
    throttle_.update(queue_.pendingBytes());
    if (settings_.freeDiskBytes >= 0 && settings_.freeDiskBytes - queue_.bytesWritten() < kDiskReserveBytes &&
        stop_ == StopRequest::None)
        stop_ = StopRequest::FullDisk;
}

} // namespace tavlo::capture
