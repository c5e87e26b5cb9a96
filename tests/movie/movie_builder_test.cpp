// The publish run on small generated projects: the files it writes, their frames and scripts.
#include "movie/geometry.h"
#include "movie/information_text.h"
#include "movie/movie_builder.h"
#include "movie/movie_compression.h"
#include "tests/movie/generated_project.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tavlo::movie {
namespace {

TEST(MovieUnit, FollowsTheContentSize) {
    EXPECT_EQ(movieUnit(1024, 768), (MovieUnit{10, 2}));
    EXPECT_EQ(movieUnit(800, 768), (MovieUnit{20, 1}));
    EXPECT_EQ(movieUnit(3300, 1000), (MovieUnit{2, 10}));
    EXPECT_EQ(movieUnit(1920, 1080), (MovieUnit{5, 4}));
    EXPECT_EQ(movieUnit(800, 769), (MovieUnit{10, 2}));
}

// Pictures made by code: frame k is white with a block of colour k at a place of its own.
class PaintedFrames : public FrameSource {
public:
    PaintedFrames(int w, int h) : w_(w), h_(h) {}
    bool picture(int index, project::PixelBuffer& out) override {
        out = project::PixelBuffer(w_, h_, 0xFFFFFF);
        for (int y = 4; y < 12; ++y)
            for (int x = 0; x < 8; ++x)
                out.row(y)[(index * 9) % (w_ - 8) + x] = 0x100000u * std::uint32_t(index + 1);
        ++asked;
        return true;
    }
    int asked = 0;

private:
    int w_, h_;
};

struct Built {
    BuildResult result;
    swf::SwfFile file;
    std::string info;
};

class MovieBuilderTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    project::Project project;

    // `times` are display times in 1/100 s; a frame of time 0 is a stop frame.
    void makeProject(int w, int h, std::vector<int> times) { test::addFrames(project, w, h, times); }
    Built build(MovieOptions options = {}, const std::string& name = "movie.swf") {
        PaintedFrames frames(project.frameWidth, project.frameHeight);
        BuildRequest request;
        request.outputPath = home.path(name);
        request.options = options;
        Built b;
        b.result = buildMovie(project, frames, prompts, request);
        auto bytes = test::fileBytes(b.result.files.movie);
        swf::ReadResult read = swf::readSwf(bytes);
        EXPECT_TRUE(read.ok()) << read.error;
        b.file = read.file;
        std::ifstream in(b.result.files.info, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        b.info = ss.str();
        return b;
    }
};

// The strings pushed by the frame actions of each frame of the timeline `tags`.
std::vector<std::vector<std::string>> frameStrings(const std::vector<swf::Tag>& tags) {
    std::vector<std::vector<std::string>> frames(1);
    for (const swf::Tag& t : tags) {
        if (t.is<swf::ShowFrame>()) {
            frames.emplace_back();
        } else if (const auto* d = t.as<swf::DoAction>()) {
            for (const swf::Action& a : d->actions) {
                if (const auto* p = std::get_if<swf::ActionPush>(&a))
                    for (const auto& v : p->values)
                        if (const auto* s = std::get_if<swf::PushString>(&v))
                            frames.back().push_back(s->value);
                if (const auto* c = std::get_if<swf::ActionCode>(&a); c && c->code == swf::op::Stop)
                    frames.back().push_back("<stop>");
            }
        }
    }
    return frames;
}

bool has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST_F(MovieBuilderTest, WritesACompressedMovieWithOneSwfFramePerTwentiethOfASecond) {
    makeProject(64, 48, {50, 100, 25}); // 0.5 s, 1 s, 0.25 s at 20 frames a second
    Built b = build();
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    EXPECT_TRUE(b.file.header.compressed);
    EXPECT_EQ(b.file.header.version, 6);
    EXPECT_EQ(b.file.header.frameCount, 35);
    EXPECT_EQ(b.result.swfFrames, 35);
    EXPECT_EQ(b.result.frameStart[1], 0);
    EXPECT_EQ(b.result.frameStart[2], 10);
    EXPECT_EQ(b.result.frameStart[3], 30);
    EXPECT_EQ(b.file.header.frameSize.xMax.value, 64 * 20);
    EXPECT_EQ(test::yaswfpProblems(b.result.files.movie), "");
    // The first picture whole, then one rectangle over each moved block (old and new place lie
    // within the gap of each other).
    EXPECT_EQ(b.result.regions, 3);
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_NE(b.info.find("Build 1 successfully completed\r\n"), std::string::npos) << b.info;
    EXPECT_NE(b.info.find("Flash player required: v6.0 or above\r\n"), std::string::npos);
    EXPECT_NE(b.info.find("Playback frame rate: 20\r\n"), std::string::npos);
    EXPECT_NE(b.info.find("Approximate playback time: 1 seconds\r\n"), std::string::npos);
    EXPECT_NE(b.info.find("Total frames in main movie: 20\r\n"), std::string::npos);
}

TEST_F(MovieBuilderTest, ARunFromALaterFrameStartsThereAtSwfFrameZero) {
    makeProject(64, 48, {50, 100, 25});
    PaintedFrames frames(64, 48);
    BuildRequest r;
    r.outputPath = home.path("excerpt.swf");
    r.startFrame = 2;
    BuildResult res = buildMovie(project, frames, prompts, r);
    ASSERT_EQ(res.outcome, BuildResult::Outcome::Written) << res.error;
    EXPECT_EQ(res.frameStart[2], 0);
    EXPECT_EQ(res.frameStart[3], 20);
    EXPECT_EQ(res.swfFrames, 25);
    EXPECT_EQ(frames.asked >= 2, true);
}

TEST_F(MovieBuilderTest, DeletedFramesProduceNoSwfFrames) {
    makeProject(64, 48, {50, 100, 25});
    project.frameAt(2)->frame.deleted = 1;
    Built b = build();
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    EXPECT_EQ(b.result.swfFrames, 15);
    EXPECT_EQ(b.file.header.frameCount, 15);
    EXPECT_EQ(b.result.frameStart[3], 10);
}

TEST_F(MovieBuilderTest, AStopFrameStopsOneFrameAfterItsPicture) {
    makeProject(64, 48, {50, 0, 50});
    Built b = build();
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    auto frames = frameStrings(b.file.tags);
    const int stopAt = b.result.frameStart[2] + 1;
    ASSERT_GT(int(frames.size()), stopAt);
    EXPECT_TRUE(has(frames[std::size_t(stopAt)], "/control:playing")) << stopAt;
    EXPECT_TRUE(has(frames[std::size_t(stopAt)], "<stop>"));
    EXPECT_FALSE(has(frames[std::size_t(stopAt - 1)], "<stop>"));
    // The frame after the stop frame begins after the frame that stops.
    EXPECT_GE(b.result.frameStart[3], stopAt + 1);
}

TEST_F(MovieBuilderTest, TheMainTimelineHoldsTwelveThousandFramesThenASegmentBegins) {
    makeProject(32, 24, {60000, 100}); // 600 s = 12000 SWF frames, then one more second
    Built b = build();
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    ASSERT_EQ(b.result.segments, 2);
    EXPECT_EQ(b.result.segmentStart[1], 12000);
    EXPECT_EQ(b.result.frameStart[2], 12000);
    EXPECT_EQ(b.result.swfFrames, 12020);
    auto sprites = test::tagsOf<swf::DefineSprite>(b.file.tags);
    auto places = test::tagsOf<swf::PlaceObject2>(b.file.tags);
    bool segmentClip = false, handOver = false;
    for (const auto& p : places) {
        segmentClip |= p.name == std::optional<std::string>("movie00001");
        handOver |= p.name == std::optional<std::string>("controlgoto00001");
    }
    EXPECT_TRUE(segmentClip);
    EXPECT_TRUE(handOver);
    // The main timeline's last own frame names the next movie; the next frame stops it there.
    auto frames = frameStrings(b.file.tags);
    ASSERT_GT(frames.size(), 12000u);
    EXPECT_TRUE(has(frames[11999], "../movie00001"));
    EXPECT_TRUE(has(frames[12000], "<stop>"));
    // The segment: 20 frames, its first one the whole picture again.
    bool found = false;
    for (const auto& s : sprites) found |= s.frameCount >= 20 && s.frameCount <= 21;
    EXPECT_TRUE(found);
    EXPECT_EQ(test::yaswfpProblems(b.result.files.movie), "");
}

TEST_F(MovieBuilderTest, WithTheChapterListTheMovieIsALoaderOfTheMainMovie) {
    makeProject(64, 48, {50, 50});
    project.frameAt(2)->data.chapterTitle = u"Second";
    MovieOptions o;
    o.chapterList = true;
    Built b = build(o, "book.swf");
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    auto frames = frameStrings(b.file.tags);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(has(frames[0], "book_main.swf"));
    EXPECT_TRUE(has(frames[0], "_level1"));
    auto main = swf::readSwf(test::fileBytes(b.result.files.mainMovie));
    ASSERT_TRUE(main.ok()) << main.error;
    EXPECT_EQ(main.file.header.frameCount, 20);
    EXPECT_EQ(test::yaswfpProblems(b.result.files.mainMovie), "");
}

TEST_F(MovieBuilderTest, AnUncompressedMovieNeedsPlayerFour) {
    makeProject(64, 48, {50});
    MovieOptions o;
    o.compress = false;
    Built b = build(o);
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    EXPECT_FALSE(b.file.header.compressed);
    EXPECT_EQ(b.file.header.version, 4);
    EXPECT_NE(b.info.find("Flash player required: v4.0 or above\r\n"), std::string::npos);
}

TEST_F(MovieBuilderTest, AGoToBeyondTheProjectActsAsTheEnd) {
    makeProject(64, 48, {50, 50});
    project.frameAt(1)->frame.actionGoTo = 1;
    project.frameAt(1)->frame.actionGoToFrame = 9999;
    Built b = build();
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    auto frames = frameStrings(b.file.tags);
    const int at = b.result.frameStart[2] - 1; // the extra frame of frame 1
    ASSERT_GT(int(frames.size()), at);
    EXPECT_TRUE(has(frames[std::size_t(at)], "/control:playing"));
    EXPECT_TRUE(has(frames[std::size_t(at)], "<stop>"));
    EXPECT_FALSE(has(frames[std::size_t(at)], "/control:position"));
}

TEST_F(MovieBuilderTest, AnOutputThatCannotBeWrittenStopsBeforeBuilding) {
    makeProject(64, 48, {50});
    PaintedFrames frames(64, 48);
    BuildRequest r;
    r.outputPath = home.path("no/such/folder/movie.swf");
    BuildResult res = buildMovie(project, frames, prompts, r);
    EXPECT_EQ(res.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(res.error.rfind("无法写入输出文件 (" + r.outputPath + ")\n", 0), 0u) << res.error;
    EXPECT_EQ(frames.asked, 0);
}

TEST_F(MovieBuilderTest, CancelDuringCompressionLeavesTheUncompressedFile) {
    makeProject(64, 48, {50});
    MovieOptions o;
    o.compress = false;
    Built b = build(o);
    // Pad the movie past one chunk so that the cancel comes before the end.
    const std::string path = b.result.files.movie;
    std::vector<uint8_t> bytes = test::fileBytes(path);
    ASSERT_EQ(bytes[0], 'F');
    test::RecordingPrompts cancelling;
    cancelling.cancelAfterUpdates = 0;
    auto progress = cancelling.progress("Tavlo");
    EXPECT_EQ(compressMovie(path, progress.get()), CompressResult::Cancelled);
    EXPECT_EQ(test::fileBytes(path), bytes);
    // Without cancel the same file becomes CWS with the uncompressed length kept.
    SilentProgress silent;
    EXPECT_EQ(compressMovie(path, &silent), CompressResult::Compressed);
    std::vector<uint8_t> c = test::fileBytes(path);
    EXPECT_EQ(c[0], 'C');
    EXPECT_TRUE(std::equal(c.begin() + 3, c.begin() + 8, bytes.begin() + 3));
    EXPECT_TRUE(swf::readSwf(c).ok());
}

TEST_F(MovieBuilderTest, ACancelledBuildSaysSoInTheInformationText) {
    makeProject(64, 48, {50, 50});
    prompts.cancelAfterUpdates = 1;
    Built b = build();
    EXPECT_EQ(b.result.outcome, BuildResult::Outcome::Cancelled);
    EXPECT_EQ(b.result.sizeKb, -1);
    EXPECT_NE(b.info.find("Build 1 terminated by user\r\n"), std::string::npos) << b.info;
    EXPECT_NE(b.info.find("大小: -1 KB\r\n"), std::string::npos);
}

TEST_F(MovieBuilderTest, ARebuildReportsItsOwnPlaybackTime) {
    makeProject(64, 48, {200});
    Built first = build();
    Built second = build();
    EXPECT_EQ(first.result.playbackSeconds, 2);
    EXPECT_EQ(second.result.playbackSeconds, 2);
    EXPECT_NE(second.info.find("Approximate playback time: 2 seconds\r\n"), std::string::npos);
}

TEST_F(MovieBuilderTest, PaletteModeMapsThePicturesToTheMoviePalette) {
    makeProject(64, 48, {50, 50, 50});
    project.colourHistogram.assign(32768, 0);
    project.colourHistogram[0x7FFF] = 3000; // white
    MovieOptions o;
    o.maximumColours = 64;
    Built b = build(o);
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(b.result.swfFrames, 30);
    EXPECT_EQ(test::yaswfpProblems(b.result.files.movie), "");
}

// Dots that come and go every frame: hundreds of rectangles a frame.
class BlinkingDots : public FrameSource {
public:
    bool picture(int index, project::PixelBuffer& out) override {
        out = project::PixelBuffer(2100, 8, 0xFFFFFF);
        if (index % 2 == 0)
            for (int x = 0; x < 2100; x += 2) out.row(3)[x] = 0x000080;
        return true;
    }
};

TEST_F(MovieBuilderTest, TheObjectLimitTruncatesTheMovieWithAMessage) {
    makeProject(2100, 8, std::vector<int>(120, 5)); // one SWF frame each, 525 rectangles a frame
    BlinkingDots dots;
    BuildRequest r;
    r.outputPath = home.path("dots.swf");
    r.options.granularity = 1;
    BuildResult res = buildMovie(project, dots, prompts, r);
    ASSERT_EQ(res.outcome, BuildResult::Outcome::Truncated) << res.error;
    EXPECT_EQ(prompts.messages(),
              std::vector<std::string>{"Flash export has exceeded number of allowable objects.  "
                                       "Your movie has been truncated.    "});
    EXPECT_LT(res.swfFrames, 120);
    EXPECT_GT(res.swfFrames, 100);
    // What was built is a complete movie.
    EXPECT_TRUE(swf::readSwf(test::fileBytes(res.files.movie)).ok());
}

TEST(InformationText, ListsTheTranscriptAfterTheFigures) {
    InformationText t;
    t.moviePath = "/tmp/a.swf";
    t.buildNumber = 3;
    t.cancelled = true;
    t.createdAt = "Thu Dec 10 15:00:00 2026";
    t.sizeKb = -1;
    t.frameRate = 20;
    t.playbackSeconds = 4;
    t.transcript = {"Hello", "世界"};
    EXPECT_EQ(formatInformationText(t),
              "/tmp/a.swf\r\nBuild 3 terminated by user\r\n创建于: Thu Dec 10 15:00:00 2026\r\n"
              "Flash player required: v6.0 or above\r\n大小: -1 KB\r\n"
              "Total frames in main movie: 80\r\nPlayback frame rate: 20\r\n"
              "Approximate playback time: 4 seconds\r\n\r\nAnnotated text transcript:"
              "\r\n\r\nHello\r\n世界\r\n");
}

TEST_F(MovieBuilderTest, AResizedMovieHasTheOutputSizeAndScaledPictures) {
    makeProject(64, 48, {50, 50});
    MovieOptions o;
    o.outputWidth = 128;
    o.outputHeight = 96;
    Built b = build(o);
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    EXPECT_EQ(b.file.header.frameSize.xMax.value, 128 * 20);
    EXPECT_EQ(b.file.header.frameSize.yMax.value, 96 * 20);
    // The first picture is one bitmap over the whole output.
    std::vector<std::pair<int, int>> sizes;
    for (const swf::Tag& t : b.file.tags)
        if (const auto* d = t.as<swf::DefineBitsLossless>()) sizes.push_back({d->width, d->height});
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0], (std::pair{128, 96}));
    EXPECT_EQ(test::yaswfpProblems(b.result.files.movie), "");
}

TEST_F(MovieBuilderTest, AStartButtonHoldsTheMovieAtItsFirstFrame) {
    makeProject(320, 240, {50, 50});
    MovieOptions o;
    o.startButton = true;
    Built b = build(o);
    ASSERT_EQ(b.result.outcome, BuildResult::Outcome::Written) << b.result.error;
    const auto frames = frameStrings(b.file.tags);
    ASSERT_GT(frames.size(), 2u);
    EXPECT_TRUE(has(frames[0], "/control:playing") && has(frames[0], "<stop>"));
    std::vector<const swf::DefineButton2*> buttons;
    for (const swf::Tag& t : b.file.tags)
        if (const auto* d = t.as<swf::DefineButton2>()) buttons.push_back(d);
    ASSERT_EQ(buttons.size(), 1u);
    ASSERT_EQ(buttons[0]->conditions.size(), 1u);
    EXPECT_EQ(buttons[0]->conditions[0].conditions, 0x08); // released over the button
    // Its pictures are PNG data, made 64 pixels wide for a 320 x 240 movie.
    int pngs = 0;
    for (const swf::Tag& t : b.file.tags)
        if (const auto* j = t.as<swf::DefineBitsJpeg2>()) {
            const auto& data = j->data.bytes;
            pngs += data.size() > 8 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G';
        }
    EXPECT_EQ(pngs, 2);
    EXPECT_EQ(test::yaswfpProblems(b.result.files.movie), "");
    // Without the option there is none.
    EXPECT_FALSE(has(frameStrings(build({}, "plain.swf").file.tags)[0], "<stop>"));
}

} // namespace
} // namespace tavlo::movie
