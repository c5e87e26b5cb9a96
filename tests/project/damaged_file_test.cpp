#include "project/offset_table.h"
#include "project/project_file.h"
#include "project/project_section.h"
#include "tests/project/project_fixture.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavlo;
using namespace tavlo::project;
using tavlo::test::RecordingPrompts;
using tavlo::test::TempHome;

namespace {

std::string bytesOf(const std::string& path) {
    return readWholeFile(path).value_or(std::string());
}

std::uint64_t entryAt(const std::string& b, std::size_t i) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = (v << 8) | std::uint8_t(b[i * 8 + std::size_t(k)]);
    return v;
}

std::size_t sectionPosOf(const std::string& b) {
    for (std::size_t i = 1;; ++i)
        if (entryAt(b, i) == 0) return std::size_t(entryAt(b, i + 1));
}

// Loads over a project holding one marker frame; a failed load must leave it untouched.
void expectCleanLoad(const std::string& path) {
    RecordingPrompts ui;
    Project p;
    p.appendCapturedFrame(test::captureContext(8, 8)).frame.displayTime = 4321;
    LoadReport rep;
    if (!load(ui, path, p, {}, &rep)) {
        ASSERT_EQ(p.frameCount(), 1);
        EXPECT_EQ(p.head()->frame.displayTime, 4321);
        EXPECT_FALSE(rep.problem.empty());
    } else {
        EXPECT_EQ(p.filePath, path);
    }
}

} // namespace

TEST(DamagedFiles, TruncatedFilesFailCleanly) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 4, true);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::string cut = home.path("cut.tavlo");
    const std::size_t at = sectionPosOf(good);
    std::vector<std::size_t> lengths = {0, 1, 7, 8, 20, 47, 48, 60, at - 1, at, at + 3, at + 68};
    for (std::size_t n = at + 131140; n + 1 < good.size(); n += 31) lengths.push_back(n);
    lengths.push_back(good.size() - 2);
    for (std::size_t n : lengths) {
        writeFileReplacing(cut, good.substr(0, n));
        SCOPED_TRACE(n);
        expectCleanLoad(cut);
        RecordingPrompts ui;
        Project q;
        // Only the last line break may go missing without loss.
        EXPECT_FALSE(load(ui, cut, q)) << "a cut file must not open as if whole";
    }
}

TEST(DamagedFiles, BitFlipsFailCleanlyOrOpen) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 4, true);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::string flipped = home.path("flipped.tavlo");
    std::mt19937 rng(12345);
    const std::size_t at = sectionPosOf(good);
    for (int i = 0; i < 600; ++i) {
        std::string b = good;
        // Mostly the project section and the table, where lengths and counts live.
        std::size_t pos = i % 5 == 0 ? rng() % at : at + rng() % (b.size() - at);
        if (i % 3 == 0 && pos >= at && pos < at + 4 + 64 + 131072)
            pos = at + 131072 + 68 + rng() % (b.size() - at - 131072 - 68);
        b[pos] = char(b[pos] ^ (1 << (rng() % 8)));
        writeFileReplacing(flipped, b);
        SCOPED_TRACE(pos);
        expectCleanLoad(flipped);
    }
}

TEST(DamagedFiles, BadLengthsAreRefused) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 4, true);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::size_t records = sectionPosOf(good) + 4 + 64 + 131072 + 4 + 3; // + "72\n"
    struct Case {
        std::size_t offset;
        std::uint32_t value;
        int width;
    } cases[] = {
        {offsetof(Frame, hotspotMediaLength), 0x8000, 2},   // negative 16-bit length
        {offsetof(Frame, chapterTitleLength), 0xFFFF, 2},   // negative 16-bit length
        {offsetof(Frame, bubbleTextLength), 0x7FFFFFFF, 4}, // beyond the file
        {offsetof(Frame, soundFileLength), 0xFFFFFFF0, 4},  // beyond the file
        {offsetof(Frame, sourceFile), 7, 4},                // no such source
        {offsetof(Frame, sourceFile), 0xFFFFFFFF, 4},       // negative source
    };
    const std::string target = home.path("bad.tavlo");
    for (const Case& c : cases) {
        std::string b = good;
        for (int k = 0; k < c.width; ++k)
            b[records + c.offset + std::size_t(k)] = char((c.value >> (8 * k)) & 0xFF);
        writeFileReplacing(target, b);
        RecordingPrompts ui;
        Project q;
        EXPECT_FALSE(load(ui, target, q)) << c.offset;
    }
}

TEST(DamagedFiles, ClipRecordSizesAndRows) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 1, false);
    ASSERT_FALSE(path.empty());
    ClipRecord clip = zeroRecord<ClipRecord>();
    clip.row = 3;
    clip.frameCount = 1;
    clip.firstFrame = clip.lastFrame = Ref(p.head()->frame.frameId);
    p.clips = {clip};
    p.head()->data.clip = 0;
    const std::string section = writeProjectSection(p, {866, home.root()});
    const std::string b = bytesOf(path);
    const std::string table = b.substr(0, sectionPosOf(b));
    const std::size_t head = 4 + 64 + 131072 + 4;
    ASSERT_EQ(section.substr(head, 3), "72\n");
    const std::string record = section.substr(head + 3, kFrameRecordSize);
    const std::string clipBytes = section.substr(head + 3 + kFrameRecordSize, kClipRecordSize);
    const std::string trailer = section.substr(head + 3 + kFrameRecordSize + kClipRecordSize);
    const std::string target = home.path("clip.tavlo");

    // A larger record: its first 72 bytes are the clip, the rest is skipped.
    writeFileReplacing(target,
                       table + section.substr(0, head) + "80\n" + record + clipBytes + "EXTRABYT" + trailer);
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, target, loaded));
    ASSERT_EQ(loaded.clips.size(), 1u);
    EXPECT_EQ(loaded.clips[0], clip);
    EXPECT_EQ(loaded.head()->data.clip, 0);

    // A shorter record reads as zero behind its end.
    writeFileReplacing(target,
                       table + section.substr(0, head) + "24\n" + record + clipBytes.substr(0, 24) + trailer);
    Project shorter;
    ASSERT_TRUE(load(ui, target, shorter));
    EXPECT_EQ(shorter.clips[0].row, 3);
    EXPECT_EQ(shorter.clips[0].firstFrame, 0u);

    // A row beyond the timeline makes no clip, and the frame's slot holds no marker value.
    ClipRecord far = clip;
    far.row = 200;
    std::string farBytes(reinterpret_cast<const char*>(&far), sizeof far);
    writeFileReplacing(target, table + section.substr(0, head + 3) + record + farBytes + trailer);
    Project noClip;
    ASSERT_TRUE(load(ui, target, noClip));
    EXPECT_TRUE(noClip.clips.empty());
    EXPECT_EQ(noClip.head()->data.clip, -1);
    EXPECT_EQ(noClip.head()->frame.clip, 0u);

    // A record size without bound is refused.
    writeFileReplacing(target, table + section.substr(0, head) + "99999999\n" + record + clipBytes + trailer);
    Project refused;
    EXPECT_FALSE(load(ui, target, refused));
}

TEST(DamagedFiles, NoProjectSectionOpensDamagedAndCorrupted) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false, 40, 30);
    ASSERT_FALSE(path.empty());
    std::string b = bytesOf(path);
    const std::size_t at = sectionPosOf(b);
    b.resize(at);
    for (int k = 0; k < 8; ++k) b[5 * 8 + std::size_t(k)] = k < 4 ? char(0xFF) : 0; // never written
    writeFileReplacing(path, b);
    RecordingPrompts ui;
    Project q;
    LoadReport rep;
    ASSERT_TRUE(load(ui, path, q, {}, &rep));
    EXPECT_TRUE(rep.damaged);
    EXPECT_TRUE(q.corrupted);
    ASSERT_EQ(q.frameCount(), 3);
    EXPECT_EQ(q.frameWidth, 40); // from the complete image record of the first chunk
    EXPECT_EQ(q.frameHeight, 30);
    EXPECT_EQ(q.frameAt(2)->frame.displayTime, 10);
    EXPECT_EQ(q.frameAt(2)->frame.recordedTime, 10);
    EXPECT_EQ(q.frameAt(3)->frame.imageStart, std::int64_t(6 * 8 + 22 + test::chunkBytes(0, 40, 30).size() +
                                                           test::chunkBytes(1, 40, 30).size()));
    EXPECT_FALSE(saveAsNewFile(ui, q, home.path("x.tavlo")));
    EXPECT_EQ(ui.messages(), std::vector<std::string>{kCorruptedText});

    // With a side file, its size and key images count.
    q = Project{}; // closes the file
    writeFileReplacing(home.path("fixture.keyframes"), "800\n600\n1\n0\n");
    Project r;
    ASSERT_TRUE(load(ui, path, r));
    EXPECT_EQ(r.frameWidth, 800);
    EXPECT_EQ(r.frameAt(1)->frame.keyImage, 1);
    EXPECT_EQ(r.frameAt(2)->frame.keyImage, 0);
}

TEST(DamagedFiles, UnusableRecordSizeOpensWithDefaultFrames) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 2, false);
    ASSERT_FALSE(path.empty());
    std::string b = bytesOf(path);
    const std::size_t sizeAt = sectionPosOf(b) + 4 + 64 + 131072;
    for (std::uint32_t bad : {600u, 100u}) {
        for (int k = 0; k < 4; ++k) b[sizeAt + std::size_t(k)] = char((bad >> (8 * k)) & 0xFF);
        writeFileReplacing(path, b);
        RecordingPrompts ui;
        Project q;
        LoadReport rep;
        ASSERT_TRUE(load(ui, path, q, {}, &rep));
        EXPECT_TRUE(rep.damaged);
        EXPECT_FALSE(q.corrupted);
        EXPECT_EQ(q.frameCount(), 2);
        EXPECT_EQ(q.fileVersion, 100);
    }
}

TEST(DamagedFiles, SizeOnlyReadsTheTableAndHeader) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false, 50, 20);
    ASSERT_FALSE(path.empty());
    SizeInfo s;
    ASSERT_TRUE(loadSizeOnly(path, s));
    EXPECT_EQ(s.imageCount, 3);
    EXPECT_EQ(s.width, 50);
    EXPECT_EQ(s.height, 20);
    writeFileReplacing(home.path("junk.tavlo"), "not a project at all");
    EXPECT_FALSE(loadSizeOnly(home.path("junk.tavlo"), s));
}

TEST(ProjectFileCombining, FramesAreCentredAndAppended) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, true, 64, 48);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui;
    Project open;
    ASSERT_TRUE(load(ui, path, open));
    LoadOptions o;
    o.combine = true;
    o.combineSize = std::make_pair(84, 58);
    ASSERT_TRUE(load(ui, path, open, o));
    ASSERT_EQ(open.frameCount(), 6);
    const Frame& a = open.frameAt(1)->frame;
    const Frame& c = open.frameAt(4)->frame;
    EXPECT_EQ(c.bubbleX, a.bubbleX + 10);
    EXPECT_EQ(c.hotspotRect[1], a.hotspotRect[1] + 5);
    EXPECT_EQ(c.chapterMark, 1);
    EXPECT_EQ(c.clearBackground, 1);
    EXPECT_NE(c.frameId, a.frameId);
    EXPECT_EQ(open.pointerShapes.shapes.size(), 2u);
    EXPECT_EQ(open.pointerShapes.shapes[1].group, 1);
    EXPECT_EQ(c.pointerShapeGroup, 1);
    ASSERT_EQ(open.clips.size(), 4u);
    EXPECT_EQ(open.frameAt(4)->data.clip, 2);
    EXPECT_EQ(open.clips[2].firstFrame, Ref(c.frameId));
    EXPECT_EQ(open.frameAt(5)->frame.clipPrev, Ref(c.frameId));
}

TEST(ProjectFileCombining, ASecondOpenIsAskedAbout) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 2, false);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui; // answers No: the fallback
    Project first, other;
    ASSERT_TRUE(load(ui, path, first));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_FALSE(load(ui, path, other)); // `first` holds the file open and locked
    EXPECT_EQ(ui.shown().at(0).text, kInUseText);
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(load(ui, path, other));
    LoadOptions ro;
    ro.readOnly = true;
    Project reader;
    EXPECT_TRUE(load(ui, path, reader, ro));
}

TEST(ProjectFileRecording, AskedNamesAndRecordedSound) {
    TempHome home;
    Project p;
    p.frameWidth = 32;
    p.frameHeight = 16;
    test::CaptureFixture cap = test::writeCaptureFiles(home.root(), 2, 32, 16, true);
    for (int i = 0; i < 2; ++i) p.appendCapturedFrame(test::captureContext(32, 16));
    writeFileReplacing(home.path("taken.tavlo"), "someone else's");
    writeFileReplacing(home.path("WAV1.tmp"), "RIFF....");
    RecordingPrompts ui;
    ui.files = {home.path("taken.tavlo"), home.path("mine")};
    SaveRecordingOptions o;
    o.recordedSound = home.path("WAV1.tmp");
    ASSERT_TRUE(saveRecording(ui, p, cap.files, o));
    EXPECT_EQ(ui.messages(), std::vector<std::string>{kFileInUseText});
    EXPECT_EQ(bytesOf(home.path("taken.tavlo")), "someone else's");
    EXPECT_EQ(p.filePath, home.path("mine.tavlo"));
    EXPECT_TRUE(p.compressedImages);
    EXPECT_EQ(p.head()->data.soundFile, std::optional<std::string>(home.path("mine_frame1.wav")));
    EXPECT_EQ(bytesOf(home.path("mine_frame1.wav")), "RIFF....");
    EXPECT_EQ(p.head()->frame.soundPlay, 1);

    // Cancelling the dialog keeps the capture files.
    Project q;
    test::CaptureFixture cap2 = test::writeCaptureFiles(home.root(), 1, 32, 16);
    q.appendCapturedFrame(test::captureContext(32, 16));
    RecordingPrompts none;
    EXPECT_FALSE(saveRecording(none, q, cap2.files, {}));
    EXPECT_TRUE(fileExists(cap2.files.dataPath));
    EXPECT_TRUE(fileExists(cap2.files.indexPath));
    // A cancelled copy deletes the partial file and keeps the capture files too.
    RecordingPrompts cancel;
    cancel.files = {home.path("cancelled")};
    cancel.cancelAfterUpdates = 0;
    EXPECT_FALSE(saveRecording(cancel, q, cap2.files, {}));
    EXPECT_FALSE(fileExists(home.path("cancelled.tavlo")));
    EXPECT_TRUE(fileExists(cap2.files.dataPath));
}
