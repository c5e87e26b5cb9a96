#include "movie/movie_builder.h"

#include "core/file_util.h"
#include "movie/click_flash.h"
#include "movie/frame_effects.h"
#include "movie/info_panel.h"
#include "movie/information_text.h"
#include "movie/movie_compression.h"
#include "movie/movie_palette.h"
#include "movie/movie_times.h"
#include "movie/palette_sampling.h"
#include "movie/picture_scaling.h"
#include "movie/pointer_placement.h"
#include "movie/region_encoder.h"
#include "movie/region_finder.h"
#include "movie/start_button.h"
#include "movie/transitions.h"
#include "platform/paths.h"
#include "project/text_convert.h"
#include "swf/clip.h"
#include "swf/movie.h"
#include "swf/progress_line.h"
#include "swf/shapes.h"
#include "swf/write.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <future>
#include <memory>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo::movie {

namespace {

using swf::SetPropertyStep;
using swf::SetVariableStep;
using swf::SwfMovie;

constexpr uint16_t kBackgroundDepth = 1;
constexpr uint16_t kRegionDepth = 2;
constexpr uint16_t kSegmentClipDepth = 65000;
constexpr uint16_t kControlDepth = 65502;
constexpr uint16_t kInfoBoxDepth = 65503;

// SetProperty indexes.
constexpr int kX = 0, kY = 1, kXScale = 2, kYScale = 3, kHighQuality = 16, kQuality = 19;

std::string formatFloat(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%f", v);
    return b;
}

std::string segmentName(const char* pattern, int k) {
    char b[64];
    std::snprintf(b, sizeof b, pattern, k);
    return b;
}

std::string creationTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char b[64];
    asctime_r(&local, b);
    std::string s = b;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

swf::Rgba opaque(std::uint32_t rgb) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

struct ShownRegion {
    Region rect;
    swf::SwfShape* shape;
};

struct Segment {
    std::unique_ptr<SwfMovie> timeline;
    int start = 0; // global SWF frame of its first frame
    std::vector<ShownRegion> shown;
    int placements = 0;
};

struct FrameEvent {
    enum Kind { Link, GoTo } kind;
    int swfFrame;
    int target = 0; // 1-based project frame, 0 = the end
    std::string url, urlTarget;
};

struct SaveResultPair {
    swf::SaveResult movie = swf::SaveResult::Written;
    swf::SaveResult main = swf::SaveResult::Written;
};

class Run {
public:
    Run(project::Project& p, FrameSource& s, UiPrompts& ui, const BuildRequest& r)
        : project_(p), source_(s), prompts_(ui), request_(r), options_(r.options), ctx_(ui) {}

    BuildResult run();

private:
    bool checkWritable();
    void prepareTimeline(SwfMovie& t, bool main);
    Segment& current() { return segments_.back(); }
    swf::SwfFrame& localFrame(Segment& s, int global) { return s.timeline->frame(global - s.start); }
    void startSegment();
    void endSegment();
    void emitPicture(int index, bool whole);
    // The picture of frame `index`; the next frame's is painted meanwhile on the second core.
    bool fetchPicture(int index);
    void prefetch(int index);
    void placeRegion(EncodedRegion& e, const Region& r);
    bool limitReached();
    void resolveEvents();
    void placeSegments();
    SaveResultPair save();
    template <class T, class... A> T& make(A&&... a) {
        auto o = std::make_unique<T>(std::forward<A>(a)...);
        T& ref = *o;
        objects_.push_back(std::move(o));
        return ref;
    }
    SwfMovie& makeTimeline() {
        timelines_.push_back(std::make_unique<SwfMovie>(ctx_));
        return *timelines_.back();
    }

    project::Project& project_;
    FrameSource& source_;
    UiPrompts& prompts_;
    const BuildRequest& request_;
    MovieOptions options_;
    swf::SwfContext ctx_;
    std::unique_ptr<Progress> progress_;
    BuildResult result_;

    int width_ = 0, height_ = 0; // output size W' x H'; the content fills it at (0, 0)
    // Output pixels per project frame pixel (pointer positions, zoom rectangles).
    double scaleX_ = 1.0, scaleY_ = 1.0;
    int twips_ = 20;
    int frameRate_ = 20;
    double msPerFrame_ = 50;
    int swfFrame_ = 0;
    std::vector<Segment> segments_;
    std::vector<std::unique_ptr<swf::SwfObject>> objects_;
    std::vector<std::unique_ptr<SwfMovie>> timelines_; // clip bodies that are not segments
    std::unique_ptr<RegionEncoder> encoder_;
    std::unique_ptr<RegionFinder> finder_;
    // Frame effects, transitions, the pointer and the click flash.
    Stage stage() { return Stage{*current().timeline, current().start, &current().placements}; }
    void beginRun();
    void closeMovie();
    std::unique_ptr<FrameEffects> effects_;
    std::unique_ptr<Transitions> transitions_;
    PointerLayers pointerLayers_;
    std::unique_ptr<PointerPlacement> pointer_;
    std::unique_ptr<ClickFlash> clickFlash_;
    project::PixelBuffer picture_, current_, previous_;
    PictureScaler scaler_; // the picture at the output size, when that differs
    StartButton startButton_;
    InfoPanel infoPanel_;
    MoviePalette palette_; // palette mode only
    project::PixelBuffer next_;
    std::future<bool> pending_;
    int pendingIndex_ = -1;
    bool firstPicture_ = true, segmentFresh_ = true;
    bool forceSplit_ = false;
    std::vector<std::pair<int, int>> chapters_; // project frame, SWF frame
    std::vector<FrameEvent> events_;
};

bool Run::checkWritable() {
    // A file of our own beside the movie: opening the movie itself would empty an older good copy.
    const std::string probe = result_.files.movie + ".probe";
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) {
        char b[1024];
        std::snprintf(b, sizeof b, "无法写入输出文件 (%s)\n%s", result_.files.movie.c_str(),
                      std::strerror(errno));
        result_.error = b;
        return false;
    }
    std::fclose(f);
    unlink(probe.c_str());
    return true;
}

void Run::prepareTimeline(SwfMovie& t, bool main) {
    t.width = width_ * twips_;
    t.height = height_ * twips_;
    t.frameRate = frameRate_;
    swf::SwfFrame& f = t.frame(0);
    if (main) f.setBackground({255, 255, 255});
    auto& bg = make<swf::SwfRectangle>(ctx_, 0, 0, width_ * twips_ - 1, height_ * twips_ - 1);
    bg.setFillColour(opaque(options_.background));
    bg.setLineColour(opaque(options_.background));
    bg.depth = kBackgroundDepth;
    f.place(bg);
    if (main) {
        f.addStep(SetVariableStep("/control:export_completed", "false"));
        for (const char* v :
             {"/control:add_speech", "/control:down_click", "/control:up_click", "/control:keyboard_click"})
            f.addStep(SetVariableStep(v, 0));
    }
    f.addStep(SetPropertyStep("", kHighQuality, "2"));
    if (main) {
        f.addStep(SetPropertyStep("control", kXScale, formatFloat(100.0)));
        f.addStep(SetPropertyStep("control", kYScale, formatFloat(100.0)));
    }
}

void Run::startSegment() {
    const int k = int(segments_.size()); // the new segment's number
    const int last = swfFrame_ - 1;
    Segment& old = current();
    if (k == 1) {
        swf::SwfFrame& end = localFrame(old, last);
        end.addStep(SetVariableStep("/control:playing_movie", "../movie00001"));
        end.addStep(SetVariableStep("/control:start_frame", swfFrame_));
        end.closeActions();
        swf::SwfFrame& next = localFrame(old, swfFrame_);
        next.addStep(SetPropertyStep("control", kXScale, formatFloat(100.0)));
        next.addStep(SetPropertyStep("control", kYScale, formatFloat(100.0)));
        next.addStep(SetPropertyStep("control", kX, "0"));
        next.addStep(SetPropertyStep("control", kY, "0"));
        next.addStep(swf::StopStep());
        next.closeActions();
    } else {
        swf::SwfFrame& end = localFrame(old, last);
        end.addStep(SetVariableStep("/control:playing_movie", segmentName("../movie%5.5d", k)));
        end.addStep(SetVariableStep("/control:start_frame", swfFrame_));
        end.addStep(swf::SetTargetStep("../"));
        // The main-timeline frame that holds the next segment's clip.
        end.addStep(swf::GotoFrameStep(std::uint16_t(segments_[1].start + k - 1)));
        end.addStep(swf::SetTargetStep(""));
        end.addStep(swf::StopStep());
        end.closeActions();
    }
    endSegment();
    Segment s;
    s.timeline = std::make_unique<SwfMovie>(ctx_);
    s.start = swfFrame_;
    prepareTimeline(*s.timeline, false);
    segments_.push_back(std::move(s));
    segmentFresh_ = true;
    forceSplit_ = false;
}

// The regions still shown go with the frame after the segment's last one: for the main timeline
// that is the frame where the next segment's clip covers the stage, for a segment a frame that is
// never played, so no frame shows the bare background.
void Run::endSegment() {
    Segment& s = current();
    swf::SwfFrame& f = localFrame(s, swfFrame_);
    for (ShownRegion& r : s.shown) f.remove(*r.shape);
    s.shown.clear();
}

// Step "准备输出": the pointer layers of every pointer shape, the click flash, and the effects and
// transitions of the run.
void Run::beginRun() {
    effects_ =
        std::make_unique<FrameEffects>(ctx_, width_, height_, twips_, msPerFrame_, options_.effectColour);
    transitions_ = std::make_unique<Transitions>(ctx_, width_, height_, twips_, options_.background,
                                                 options_.zoomInAtStart, options_.fadeInAtStart,
                                                 options_.zoomOutAtEnd, options_.fadeOutAtEnd);
    PointerLayerOptions o;
    o.twipsPerPixel = twips_;
    o.scaleX = scaleX_;
    o.scaleY = scaleY_;
    o.shadow = options_.pointerShadow;
    o.halo = options_.pointerHalo;
    o.haloColour = options_.haloColour;
    if (options_.showPointer) {
        auto shown = std::chrono::steady_clock::now() - std::chrono::seconds(1);
        pointerLayers_.build(ctx_, project_.pointerShapes, o, [&](int k, int n) {
            const auto now = std::chrono::steady_clock::now();
            if (progress_ && (now - shown >= std::chrono::milliseconds(500) || k == n)) {
                progress_->setPercent(k * 100 / n);
                shown = now;
            }
        });
    }
    PointerRules rules;
    rules.showPointer = options_.showPointer;
    rules.shadow = options_.pointerShadow;
    rules.halo = options_.pointerHalo;
    rules.showHiddenActivity = options_.showHiddenActivity;
    pointer_ =
        std::make_unique<PointerPlacement>(pointerLayers_, rules, twips_, scaleX_, scaleY_, msPerFrame_);
    if (options_.clickFlash)
        clickFlash_ = std::make_unique<ClickFlash>(ctx_, options_.clickFlashSize, options_.clickFlashColour,
                                                   twips_, scaleX_, scaleY_);
}

// The closing transition over the last picture.
void Run::closeMovie() {
    if (!transitions_->closingOn()) return;
    std::unique_ptr<swf::SwfRectangle> picture;
    if (options_.zoomOutAtEnd) {
        // An encoder of its own: the last picture is neither taken from nor kept for reuse.
        RegionEncoder once(ctx_, twips_, options_.jpegQuality);
        const Region all{0, 0, width_ - 1, height_ - 1};
        picture = once.encode(current_.pixels.data(), previous_.pixels.data(), width_, all, false).shape;
    }
    Stage st = stage();
    swfFrame_ += transitions_->runClosing(st, picture.get(), width_, height_, swfFrame_);
    if (picture) objects_.push_back(std::move(picture));
    localFrame(current(), swfFrame_ - 1);
}

void Run::placeRegion(EncodedRegion& e, const Region& r) {
    Segment& s = current();
    swf::SwfShape* shape = e.shape.get();
    objects_.push_back(std::move(e.shape));
    shape->depth = kRegionDepth;
    // The opening transition or the fade in force decide when the new rectangle is fully shown;
    // what it covers goes then.
    Stage st = stage();
    int shownAt;
    if (transitions_->openingPending())
        shownAt = transitions_->placeOpening(st, *shape, r.width(), r.height(), swfFrame_);
    else
        shownAt = effects_->placeFadingIn(st, *shape, swfFrame_, segmentFresh_ && !effects_->crossFade());
    if (e.opaque) {
        auto covered = [&](const ShownRegion& old) { return r.contains(old.rect); };
        swf::SwfFrame& f = localFrame(s, shownAt);
        for (ShownRegion& old : s.shown)
            if (covered(old)) f.remove(*old.shape);
        s.shown.erase(std::remove_if(s.shown.begin(), s.shown.end(), covered), s.shown.end());
    }
    s.shown.push_back({r, shape});
    ++result_.regions;
    switch (e.kind) {
    case EncodedRegion::Kind::Plain:
        ++result_.plainRectangles;
        break;
    case EncodedRegion::Kind::Reused:
        ++result_.reusedBitmaps;
        break;
    default:
        ++result_.newBitmaps;
        break;
    }
}

bool Run::fetchPicture(int index) {
    bool ok;
    if (pending_.valid() && pendingIndex_ == index) {
        ok = pending_.get();
        std::swap(picture_, next_);
    } else {
        if (pending_.valid()) pending_.get(); // the source paints one picture at a time
        ok = source_.picture(index, picture_);
    }
    pendingIndex_ = -1;
    return ok;
}

void Run::prefetch(int index) {
    if (pending_.valid()) pending_.get();
    pendingIndex_ = -1;
    const auto& frames = project_.frames();
    while (index < int(frames.size()) && frames[std::size_t(index)]->frame.deleted) ++index;
    if (index >= int(frames.size())) return;
    pendingIndex_ = index;
    pending_ = std::async(std::launch::async, [this, index] { return source_.picture(index, next_); });
}

void Run::emitPicture(int index, bool whole) {
    const bool painted = fetchPicture(index);
    prefetch(index + 1);
    if (painted) {
        // The picture goes into the output buffer at the content offset (0, 0), resized when the
        // movie has a size of its own.
        const project::PixelBuffer* shown = &picture_;
        if (picture_.width != width_ || picture_.height != height_)
            shown = &scaler_.scale(picture_, width_, height_);
        if (palette_.empty()) {
            std::copy(shown->pixels.begin(), shown->pixels.end(), current_.pixels.begin());
        } else {
            for (std::size_t i = 0; i < current_.pixels.size(); ++i)
                current_.pixels[i] = palette_.map(shown->pixels[i]);
        }
    }
    const Region all{0, 0, width_ - 1, height_ - 1};
    if (whole) {
        // A picture that zooms or fades in keeps its bitmap even when it has one colour.
        EncodedRegion e = encoder_->encode(current_.pixels.data(), previous_.pixels.data(), width_, all,
                                           !transitions_->openingPending());
        placeRegion(e, all);
        return;
    }
    const std::uint32_t* cur = current_.pixels.data();
    for (Region r : finder_->find(cur, previous_.pixels.data(), all)) {
        if (!passesNoiseFilter(cur, previous_.pixels.data(), width_, r, options_.noiseFilter)) {
            ++result_.skippedRegions;
            continue;
        }
        r = widenRegion(r, width_, height_);
        EncodedRegion e = encoder_->encode(cur, previous_.pixels.data(), width_, r);
        placeRegion(e, r);
    }
}

bool Run::limitReached() {
    const std::size_t trial = std::size_t(width_) * std::size_t(height_) * 40;
    if (std::unique_ptr<std::uint8_t[]> probe(new (std::nothrow) std::uint8_t[trial]); !probe) {
        prompts_.message("You are running low on system memory.  Your movie has been truncated.    ",
                         "Tavlo 内存使用警告", Icon::Warning);
        return true;
    }
    if (!ctx_.cacheOk) {
        prompts_.message("You are running low on temporary storage.  Your movie has been truncated.    ",
                         "Tavlo 磁盘使用警告", Icon::Warning);
        return true;
    }
    // No room for another segment either: stop rather than let depths wrap.
    const bool noDepths = current().placements > kPlacementLimit && int(segments_.size()) >= kMaxSegments;
    if (int(ctx_.characterIds) >= kObjectLimit || noDepths) {
        prompts_.message(
            "Flash export has exceeded number of allowable objects.  Your movie has been truncated.    ",
            "Tavlo Flash 警告", Icon::Warning);
        return true;
    }
    return false;
}

void Run::resolveEvents() {
    for (const FrameEvent& e : events_) {
        auto seg = std::upper_bound(segments_.begin(), segments_.end(), e.swfFrame,
                                    [](int g, const Segment& s) { return g < s.start; });
        Segment& s = *(seg - 1);
        swf::SwfFrame& f = localFrame(s, e.swfFrame);
        if (e.kind == FrameEvent::Link) {
            f.addStep(swf::GetUrlStep(e.url, e.urlTarget, 0));
        } else if (e.target > 0) {
            f.addStep(SetVariableStep("/control:position", result_.frameStart[std::size_t(e.target)] + 1));
            f.addStep(SetVariableStep("/control:seek_flag", "1"));
            f.addStep(SetVariableStep("/control:keep_playing", "1"));
            f.addStep(swf::StopStep());
        } else {
            f.addStep(SetVariableStep("/control:playing", "0"));
            f.addStep(swf::StopStep());
        }
        f.closeActions();
    }
}

// Each segment k >= 1 is shown by the main timeline as clip "movie%5.5d", one main frame per
// segment after the main timeline's own frames.
void Run::placeSegments() {
    if (segments_.size() < 2) return;
    SwfMovie& main = *segments_[0].timeline;
    const int mainFrames = segments_[1].start;
    for (std::size_t k = 1; k < segments_.size(); ++k) {
        const int at = mainFrames + int(k) - 1;
        // The hand-over clips are all made before the timeline that holds them is placed, so
        // that none is missing from the movie; they live in the main timeline, which stays.
        auto& watchBody = makeTimeline();
        {
            const std::string flag = segmentName("/control:flag%5.5d", int(k));
            const std::string line = segmentName("/control:line%5.5d", int(k));
            std::vector<swf::Action> seek = {swf::pushString(flag),
                                             swf::pushString("0"),
                                             swf::ActionCode{swf::op::SetVariable},
                                             swf::ActionSetTarget{segmentName("/movie%5.5d", int(k))},
                                             swf::pushString(line),
                                             swf::ActionCode{swf::op::GetVariable},
                                             swf::ActionGotoFrame2{true},
                                             swf::ActionSetTarget{""}};
            std::size_t skip = 0;
            for (const swf::Action& a : seek) skip += swf::actionLength(a);
            std::vector<swf::Action> frame0 = {
                swf::pushString(flag),         swf::ActionCode{swf::op::GetVariable},
                swf::pushString("1"),          swf::ActionCode{0x13}, // StringEquals
                swf::ActionCode{swf::op::Not}, swf::ActionIf{int16_t(skip)}};
            frame0.insert(frame0.end(), seek.begin(), seek.end());
            for (swf::Action& a : frame0) watchBody.frame(0).addAction(std::move(a));
            watchBody.frame(0).closeActions();
            // A second frame that goes back to the first keeps the watch running.
            watchBody.frame(1).addStep(swf::GotoFrameStep(0));
            watchBody.frame(1).addStep(swf::PlayStep());
            watchBody.frame(1).closeActions();
        }
        auto& watch = make<swf::SwfClip>(ctx_, watchBody, segmentName("controlgoto%5.5d", int(k)));
        watch.depth = kControlDepth;
        main.frame(0).place(watch);

        auto& clip = make<swf::SwfClip>(ctx_, *segments_[k].timeline, segmentName("movie%5.5d", int(k)));
        clip.depth = kSegmentClipDepth;
        swf::SwfFrame& f = main.frame(at);
        f.place(clip);
        f.addStep(SetPropertyStep("", kX, "0"));
        f.addStep(SetPropertyStep("", kY, "0"));
        f.addStep(SetPropertyStep("", kXScale, "100"));
        f.addStep(SetPropertyStep("", kYScale, "100"));
        f.addStep(SetPropertyStep("control", kXScale, formatFloat(100.0)));
        f.addStep(SetPropertyStep("control", kYScale, formatFloat(100.0)));
        f.addStep(swf::StopStep());
        f.closeActions();
        if (k + 1 < segments_.size()) main.frame(at + 1).remove(clip);
    }
}

SaveResultPair Run::save() {
    SaveResultPair r;
    SwfMovie& main = *segments_[0].timeline;
    const bool loader = options_.chapterList && !chapters_.empty();
    if (!loader) {
        r.movie = main.save(result_.files.movie);
        return r;
    }
    r.main = main.save(result_.files.mainMovie);
    // The movie file becomes a loader that brings the main movie into level 1.
    SwfMovie& front = makeTimeline();
    front.width = main.width;
    front.height = main.height;
    front.frameRate = frameRate_;
    front.frame(0).setBackground({255, 255, 255});
    auto& bg = make<swf::SwfRectangle>(ctx_, 0, 0, front.width - 1, front.height - 1);
    bg.setFillColour(opaque(options_.background));
    bg.setLineColour(opaque(options_.background));
    front.frame(0).place(bg);
    front.frame(0).addStep(swf::GetUrlStep(result_.files.baseName + "_main.swf", "_level1", 64));
    front.frame(0).closeActions();
    front.frame(99).addStep(swf::StopStep());
    front.frame(99).closeActions();
    front.frame(100).remove(bg);
    r.movie = front.save(result_.files.movie);
    return r;
}

BuildResult Run::run() {
    result_.files = outputFilesFor(request_.outputPath);
    width_ = project_.frameWidth;
    height_ = project_.frameHeight;
    if (width_ <= 0 || height_ <= 0 || project_.frameCount() == 0) {
        result_.error = "The project has no frames to publish.";
        return result_;
    }
    if (options_.outputWidth > 0 && options_.outputHeight > 0) {
        width_ = options_.outputWidth;
        height_ = options_.outputHeight;
    }
    scaleX_ = double(width_) / project_.frameWidth;
    scaleY_ = double(height_) / project_.frameHeight;
    if (!checkWritable()) return result_;

    progress_ = prompts_.progress("Tavlo");
    ctx_.progress = progress_.get();
    ctx_.characterIds = 0;
    ctx_.flash4Compatible = !options_.compress;
    {
        Paths paths(Environment::fromProcess());
        ctx_.cacheOk = ctx_.cache.open(paths.systemTempPath());
    }
    const std::string createdAt = creationTime();

    frameRate_ = options_.frameRate > 0 ? options_.frameRate : 20;
    msPerFrame_ = 1000.0 / frameRate_;
    result_.frameRate = frameRate_;
    const double speed = options_.playbackSpeed > 0 ? options_.playbackSpeed : 1.0;
    computeMovieTimes(project_, speed);

    result_.unit = movieUnit(width_, height_);
    twips_ = result_.unit.twipsPerPixel;
    encoder_ = std::make_unique<RegionEncoder>(ctx_, twips_, options_.jpegQuality);
    finder_ = std::make_unique<RegionFinder>(options_.granularity, width_, height_);
    // Palette mode maps every pixel to the movie palette before it is compared or encoded.
    if (options_.maximumColours > 0) {
        std::vector<std::uint32_t> histogram = project_.colourHistogram;
        const auto used =
            std::count_if(histogram.begin(), histogram.end(), [](std::uint32_t c) { return c; });
        if (used < options_.maximumColours && hasCarriedEdits(project_))
            sampleRenderedColours(project_, source_, histogram, progress_.get());
        palette_.build(histogram, options_.maximumColours, &prompts_);
    }
    const std::uint32_t background =
        palette_.empty() ? options_.background : palette_.map(options_.background);
    current_ = project::PixelBuffer(width_, height_, background);
    previous_ = project::PixelBuffer(width_, height_, background);

    Segment mainSegment;
    mainSegment.timeline = std::make_unique<SwfMovie>(ctx_);
    prepareTimeline(*mainSegment.timeline, true);
    segments_.push_back(std::move(mainSegment));

    if (progress_) progress_->step("准备输出");
    beginRun();
    const int n = project_.frameCount();
    result_.frameStart.assign(std::size_t(n) + 8, 1);
    result_.fadeStart.assign(std::size_t(n) + 8, 0);
    std::set<int> followed; // go-to actions in linear play already followed in this run
    bool truncated = false, cancelled = false;
    const auto& frames = project_.frames();
    // A run from a later frame starts its SWF frames at 0: B takes the start frame's movie time off
    // every frame end, A is the SWF frame of the run's first picture.
    int startA = 0, startB = 0;
    const int startIndex = std::clamp(request_.startFrame, 1, n) - 1;
    for (int i = startIndex; i < n;) {
        if (progress_) {
            progress_->setPercent(int((long long)i * 100 / n));
            if (progress_->cancelled()) {
                cancelled = true;
                break;
            }
        }
        project::FrameNode& node = *frames[std::size_t(i)];
        const project::Frame& f = node.frame;
        if (f.deleted) {
            ++i;
            continue;
        }
        // 1. Segment split: 12000 frames in the main timeline, then 4000 a segment.
        if (!firstPicture_ && swfFrame_ > current().start && int(segments_.size()) < kMaxSegments) {
            const bool due = (swfFrame_ - 8000) / 4000 > int(segments_.size()) - 1;
            if (due || f.actionResync || forceSplit_) startSegment();
        }
        // 2. Where the frame begins; chapters.
        result_.frameStart[std::size_t(i) + 1] = swfFrame_;
        if (node.data.chapterTitle && int(chapters_.size()) < kMaxChapters)
            chapters_.push_back({i + 1, swfFrame_});

        // 3. Transitional fades and cross-fades set how new content fades in.
        effects_->beginFrame(f);
        // 5. The picture: whole at the first frame of the run and of every segment.
        const int first = swfFrame_;
        if (firstPicture_) {
            startA = swfFrame_;
            startB = int(std::trunc(f.movieTime * 10.0 / msPerFrame_ - (swfFrame_ - startA)));
        }
        emitPicture(i, firstPicture_ || segmentFresh_);
        {
            // The opening transition and a cross-fade take SWF frames of their own.
            Stage st = stage();
            swfFrame_ += transitions_->finishOpening(st, first);
            swfFrame_ += effects_->endFrameImage(f);
        }
        // 6. The first frame of a segment.
        if (segmentFresh_) {
            Segment& s = current();
            swf::SwfFrame& sf = localFrame(s, first);
            sf.addStep(SetPropertyStep("", kQuality, "BEST"));
            const int k = int(segments_.size()) - 1;
            sf.addStep(
                SetVariableStep("/control:playing_movie", k == 0 ? "../" : segmentName("../movie%5.5d", k)));
            sf.addStep(SetVariableStep("/control:start_frame", k == 0 ? 0 : s.start));
        }
        // 7. The movie waits behind a play button at its first picture (not at later segments,
        // which would stop it again every 4000 frames).
        if (firstPicture_ && options_.startButton) {
            StartButtonRequest b;
            b.width = width_;
            b.height = height_;
            b.twipsPerPixel = twips_;
            b.colour = options_.buttonColour;
            b.frame = first - current().start;
            startButton_ = placeStartButton(ctx_, *current().timeline, b);
        }
        firstPicture_ = segmentFresh_ = false;
        // 8. Effects 1 and 3, the pointer layers and the click flash from the frame's first SWF frame.
        {
            Stage st = stage();
            effects_->drawOpening(st, f, first);
            pointer_->emitFrame(st, f, first);
            if (clickFlash_ && f.clickDown)
                if (auto at = clickPosition(f, project_.pointerShapes))
                    clickFlash_->place(st, at->x, at->y, first);
        }

        // 11. A stop frame halts the movie one frame after its picture appears.
        int minimumEnd = swfFrame_ + 1;
        if (f.displayTime == 0) {
            swf::SwfFrame& sf = localFrame(current(), swfFrame_ + 1);
            sf.addStep(SetVariableStep("/control:playing", "0"));
            sf.addStep(swf::StopStep());
            sf.closeActions();
            minimumEnd = swfFrame_ + 2;
        }
        // 13. The frame ends where its movie time plus its display time fall.
        const double d = project_.effectiveDisplayTime(node) / speed;
        int end = startA + int(std::trunc((d + f.movieTime) * 10.0 / msPerFrame_)) - startB;
        if (f.frameEffect == 4) end = int(std::trunc(end - f.frameEffectTime * 10.0 / msPerFrame_));
        swfFrame_ = std::max(end, minimumEnd);
        // 15. The pointer moves towards its next position and goes at the frame's end; effect 2.
        {
            Stage st = stage();
            // A stop frame halts on its second SWF frame: its pointer stays where it was recorded.
            const bool timed = f.displayTime != 0 && project_.effectiveDisplayTime(node) == f.recordedTime;
            pointer_->finishFrame(st, f, first, swfFrame_, timed);
            if (const int at = effects_->drawClosing(st, f, swfFrame_, st.start); at >= 0)
                result_.fadeStart[std::size_t(i) + 1] = at;
        }

        // 16. Frame actions: an extra SWF frame that holds them, wired after the loop.
        const bool goTo = f.actionGoTo && !f.actionLinearPlay;
        if (goTo || f.actionLink) {
            const int at = swfFrame_;
            ++swfFrame_;
            if (f.actionLink && node.data.actionUrl)
                events_.push_back(
                    {FrameEvent::Link, at, 0, *node.data.actionUrl, node.data.actionTarget.value_or("")});
            if (goTo) events_.push_back({FrameEvent::GoTo, at, goToTarget(project_, f), {}, {}});
        }
        // Every frame of the segment exists up to the frame's end.
        localFrame(current(), swfFrame_ - 1);
        if (current().placements > kPlacementLimit) forceSplit_ = true;

        // 17. Limits end the loop, keeping what was built.
        if (limitReached()) {
            truncated = true;
            break;
        }
        // 18. A go-to in linear play continues at its target, once per run.
        if (f.actionGoTo && f.actionLinearPlay && !followed.count(i)) {
            followed.insert(i);
            const int target = goToTarget(project_, f);
            if (target == 0) break;
            i = target - 1;
            continue;
        }
        ++i;
    }

    if (pending_.valid()) pending_.get();
    if (!cancelled) closeMovie();
    if (progress_) progress_->step("Creating movie");
    resolveEvents();
    // The control clip: the player's control bar fills its body; without one it still holds the
    // "/control:" variables that the content movies write.
    auto& controlBody = makeTimeline();
    controlBody.width = segments_[0].timeline->width;
    controlBody.height = segments_[0].timeline->height;
    controlBody.frameRate = frameRate_;
    controlBody.frame(0).addStep(SetVariableStep("last_frame", swfFrame_));
    controlBody.frame(0).addStep(swf::StopStep());
    controlBody.frame(0).closeActions();
    auto& control = make<swf::SwfClip>(ctx_, controlBody, "control");
    control.depth = kControlDepth;
    segments_[0].timeline->frame(0).place(control);
    placeSegments();
    // 8. The information panel, which the control bar's information button plays.
    if (options_.informationBox) {
        SwfMovie& body = makeTimeline();
        body.width = segments_[0].timeline->width;
        body.height = segments_[0].timeline->height;
        body.frameRate = frameRate_;
        InfoPanelRequest r;
        r.width = width_;
        r.height = height_;
        r.twipsPerPixel = twips_;
        r.msPerFrame = msPerFrame_;
        r.picturePath = options_.informationPicture;
        r.link = options_.informationLink;
        r.target = options_.informationTarget;
        infoPanel_ = buildInfoPanel(ctx_, body, r);
        auto& box = make<swf::SwfClip>(ctx_, body, "infobox");
        box.depth = kInfoBoxDepth;
        segments_[0].timeline->frame(0).place(box);
    }

    result_.swfFrames = swfFrame_;
    result_.segments = int(segments_.size());
    for (const Segment& s : segments_) result_.segmentStart.push_back(s.start);

    const SaveResultPair saved = save();
    if (progress_) progress_->step("处理图像");
    pointerLayers_.clear();
    if (progress_) progress_->step("处理影片");
    segments_.clear();
    objects_.clear();
    timelines_.clear();
    ctx_.cache.close();

    auto written = [](swf::SaveResult r) {
        return r == swf::SaveResult::Written || r == swf::SaveResult::CutShort;
    };
    if (saved.movie == swf::SaveResult::Cancelled || saved.main == swf::SaveResult::Cancelled)
        cancelled = true;
    if (!cancelled && (!written(saved.movie) || !written(saved.main))) {
        result_.error = "无法写入输出文件 (" + result_.files.movie + ")";
        return result_;
    }
    const bool loader = options_.chapterList && !chapters_.empty();
    result_.loader = loader;
    if (!cancelled && options_.compress) {
        CompressResult c = compressMovie(result_.files.movie, progress_.get());
        if (c == CompressResult::Compressed && loader)
            c = compressMovie(result_.files.mainMovie, progress_.get());
        if (c == CompressResult::Cancelled) cancelled = true;
    }

    struct stat st {};
    result_.sizeKb = stat(result_.files.movie.c_str(), &st) == 0 ? (st.st_size + 512) / 1024 : 0;
    if (cancelled) result_.sizeKb = -1;
    result_.playbackSeconds = swfFrame_ / frameRate_;

    InformationText info;
    info.moviePath = result_.files.movie;
    info.buildNumber = request_.buildNumber;
    info.cancelled = cancelled;
    info.createdAt = createdAt;
    info.flash4Compatible = ctx_.flash4Compatible;
    info.sizeKb = result_.sizeKb;
    info.frameRate = frameRate_;
    info.playbackSeconds = result_.playbackSeconds;
    for (const auto& node : frames)
        if (!node->frame.deleted && node->data.bubblePlainText && !node->data.bubblePlainText->empty())
            info.transcript.push_back(project::utf16ToUtf8(*node->data.bubblePlainText));
    if (!writeFileReplacing(result_.files.info, formatInformationText(info)) && result_.error.empty())
        result_.error = "无法写入输出文件 (" + result_.files.info + ")";

    if (cancelled) {
        result_.outcome = BuildResult::Outcome::Cancelled;
        if (result_.error.empty())
            result_.error = "Build " + std::to_string(request_.buildNumber) + " terminated by user";
    } else if (truncated) {
        result_.outcome = BuildResult::Outcome::Truncated;
        result_.error = "Your movie has been truncated.";
    } else {
        result_.outcome = BuildResult::Outcome::Written;
    }
    return result_;
}

} // namespace

BuildResult buildMovie(project::Project& project, FrameSource& frames, UiPrompts& prompts,
                       const BuildRequest& request) {
    Run run(project, frames, prompts, request);
    return run.run();
}

} // namespace tavlo::movie
