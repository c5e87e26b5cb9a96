#pragma once
// Small projects made by code: capture files of a few frames whose chunks are plain byte ranges,
// and a project whose frames hold every optional item of the file.
#include "core/file_util.h"
#include "project/offset_table.h"
#include "project/project.h"
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::test {

// A complete image record pair for the first frame, a small one for the others; the pixel bytes
// are arbitrary: the project file only moves them.
inline std::string chunkBytes(int frame, int w, int h) {
    std::string c;
    auto rect = [&](int l, int r, int t, int b) {
        for (int v : {l, r, t, b}) {
            c += char(v & 0xFF);
            c += char((v >> 8) & 0xFF);
        }
    };
    for (char type : {char(1), char(2)}) {
        c += type;
        if (frame == 0)
            rect(0, w - 1, 0, h - 1);
        else
            rect(frame, frame + 3, frame, frame + 2);
        for (int i = 0; i < 10 + frame * 3; ++i) c += char('a' + (i + frame) % 26);
    }
    return c;
}

struct CaptureFixture {
    project::RecordingFiles files;
    std::vector<std::string> chunks;
};

inline CaptureFixture writeCaptureFiles(const std::string& folder, int frames, int w, int h,
                                        bool compressed = false) {
    CaptureFixture f;
    f.files.dataPath = joinPath(folder, "DMO1.tmp");
    f.files.indexPath = joinPath(folder, "DIX1.tmp");
    std::string data = project::encodeHeaderChunk({compressed, w, h});
    std::string index;
    for (int k = 0; k < frames; ++k) {
        std::string e = project::encodeTableEntry(std::int64_t(data.size()), true);
        if (k == 0) e[7] = char(0xFF);
        index += e;
        f.chunks.push_back(chunkBytes(k, w, h));
        data += f.chunks.back();
    }
    writeFileReplacing(f.files.dataPath, data);
    writeFileReplacing(f.files.indexPath, index);
    return f;
}

inline project::CaptureContext captureContext(int w, int h) {
    project::CaptureContext c;
    c.width = w;
    c.height = h;
    return c;
}

// Gives the frames of `p` every optional item, spread over the frames.
inline void fillEveryItem(project::Project& p) {
    using namespace tavlo::project;
    auto& frames = p.frames();
    FrameData& a = frames[0]->data;
    a.bubbleText = std::u16string{u'\u8001', u'\0'} + u"Hello, \u4e16\u754c";
    a.bubblePlainText = u"Hello, \u4e16\u754c";
    a.bubbleFont = defaultBubbleFont();
    a.chapterTitle = u"Chapter one";
    a.snapshot = Snapshot{4, 2, std::string("\x01\x02\x03\x04\x05", 5), 0x11223344};
    a.editedImage = std::string("\x00\x01\x02 edited", 10);
    a.soundFile = "/tmp/sounds/voice one.wav";
    a.soundFileRelative = "sounds/voice one.wav";
    a.hotspotUrl = "https://example.invalid/page?x=1";
    a.hotspotTarget = "_blank";
    a.actionUrl = "run:command";
    a.actionTarget = "_self";
    a.hotspotMedia = "picture.png";
    a.panBackground = std::string("zlib-ish bytes", 14);
    a.bubbleAnimation = BubbleAnimation{};
    a.bubbleAnimation->fadeIn = 1;
    a.bubbleAnimation->options[2].version = 0;
    a.clip = 0;
    frames[0]->frame.hotspotOn = 1;
    frames[0]->frame.hotspotStyle = 3;
    frames[0]->frame.keyImage = 1;
    frames[0]->frame.chapterMark = 1;
    frames[0]->frame.soundPlay = 1;

    FrameData& b = frames[1]->data;
    b.speechText = u"Say this without any language entry";
    b.clip = 0;
    frames[1]->frame.deleted = 1;
    frames[1]->frame.clickDown = 1;
    frames[1]->frame.keyPress = 1;

    FrameData& c = frames[2]->data;
    LanguageText de;
    de.name = "Deutsch";
    de.text = u"Hallo";
    de.plainText = u"Hallo";
    de.speechText = u"Hallo gesagt";
    de.record.text = de.record.plainText = 1;
    de.record.bubbleX = 7;
    de.record.bubbleY = 9;
    c.languageTexts.push_back(de);
    c.bubbleText = u"Default text";
    c.bubblePlainText = u"Default text";
    c.speechText = u"Default speech";
    c.clip = 1;

    ClipRecord first = zeroRecord<ClipRecord>();
    first.rect[0] = 0;
    first.rect[2] = 40;
    first.row = 0;
    first.frameCount = 2;
    first.firstFrame = Ref(frames[0]->frame.frameId);
    first.lastFrame = Ref(frames[1]->frame.frameId);
    first.firstFrameNumber = 1;
    first.lastFrameNumber = 2;
    first.joinedNext = 1;
    ClipRecord second = first;
    second.rect[0] = 41;
    second.rect[2] = 61;
    second.frameCount = 1;
    second.firstFrame = second.lastFrame = Ref(frames[2]->frame.frameId);
    second.firstFrameNumber = second.lastFrameNumber = 3;
    second.joinedNext = 0;
    p.clips = {first, second};
    frames[0]->frame.clipNext = Ref(frames[1]->frame.frameId);
    frames[1]->frame.clipPrev = Ref(frames[0]->frame.frameId);

    p.languages().names = {"Deutsch"};
    p.pointerShapes.present = true;
    p.pointerShapes.width = 2;
    p.pointerShapes.height = 2;
    p.pointerShapes.shapes = {
        PointerShape{65539, 1, 1, {0xFFFFFFFFu, 0xFEFFFFFFu, 0x00FF0000u, 0x0000FF00u}, true, 0}};
    p.quickMarks[2].frameNumber = 2;
    p.quickMarks[2].row = 1;
    p.bookmarks[0].frameNumber = 1;
    p.bookmarks[0].name = {'H', 'e', 'l', 'l', 'o'};
    p.settings.outputName = "movie";
    p.settings.outputFolder = "/";
    p.settings.firstSlotOutputPath = "/movie.swf";
    p.settings.studioSlotPaths = {"/slot2.swf", "/slot3.swf"};
    p.settings.block.codecName = "Full frames";
    p.settings.block.compressor.formatBlock = "FMT";
    p.settings.block.soundRecordingTexts[1] = "line\nbreak inside";
    p.settings.upload.sites.push_back(
        UploadSite{"/htdocs", "ftp.example.invalid", "", "me", 0, 1, 0, 30, 1, 42});
    p.settings.upload.youTubeTitle = "A title";
    p.sources.push_back({"/elsewhere/other.tavlo", "other.tavlo"});
    p.defaultFrame.data.bubbleFont = defaultBubbleFont();
    p.colourHistogram[5] = 77;
    p.viewState[3] = 9;
}

// A recording of `frames` frames saved through saveRecording into `folder`/name.tavlo.
inline std::string savedRecording(const std::string& folder, project::Project& p, int frames, bool everyItem,
                                  int w = 64, int h = 48) {
    CaptureFixture cap = writeCaptureFiles(folder, frames, w, h);
    p.frameWidth = w;
    p.frameHeight = h;
    p.defaults.setFrameSize(w, h);
    for (int i = 0; i < frames; ++i) p.appendCapturedFrame(captureContext(w, h));
    if (everyItem) fillEveryItem(p);
    RecordingPrompts ui;
    project::SaveRecordingOptions o;
    o.commandLinePath = joinPath(folder, "fixture.tavlo");
    if (!project::saveRecording(ui, p, cap.files, o)) return {};
    p.openFile.reset(); // the tests read the file as a second session would
    return o.commandLinePath;
}

} // namespace tavlo::test
