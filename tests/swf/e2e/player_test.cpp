// Movies built with the SWF layer, played by outside programs: Ruffle in chromium for pictures,
// clicks, keys and FSCommand values; ffmpeg for streamed ADPCM sound; yaswfp for structure.
#include "swf/button.h"
#include "swf/clip.h"
#include "swf/movie.h"
#include "swf/shapes.h"
#include "swf/sound.h"
#include "swf/text.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <cmath>
#include <fstream>

namespace tavlo::swf {
namespace {

using nlohmann::json;
constexpr int kWidth = 400, kHeight = 300; // stage pixels; 20 twips each

int tw(int px) {
    return px * 20;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), long(b.size()));
}

// Plays `swf` through tests/e2e/play.mjs.
json play(const std::string& swf, const json& steps, const std::string& folder) {
    json job = {{"swf", swf}, {"width", kWidth}, {"height", kHeight}, {"steps", steps}};
    std::string jobPath = folder + "/job.json";
    std::ofstream(jobPath) << job.dump();
    std::string out;
    int rc =
        test::runCommand("node '" + test::sourcePath("tests/e2e/play.mjs") + "' '" + jobPath + "'", &out);
    EXPECT_EQ(rc, 0) << out;
    json result = json::parse(out, nullptr, false);
    EXPECT_FALSE(result.is_discarded()) << out;
    if (result.is_discarded()) return json::object();
    EXPECT_TRUE(result["errors"].empty()) << result["errors"].dump();
    return result;
}

// A 16 x 16 JPEG of one colour, made by ffmpeg.
std::vector<uint8_t> jpegOf(const std::string& folder, const char* colour) {
    std::string path = folder + "/" + colour + ".jpg";
    int rc = test::runCommand(std::string("ffmpeg -loglevel error -y -f lavfi -i color=c=") + colour +
                              ":s=16x16 -frames:v 1 -q:v 2 '" + path + "'");
    EXPECT_EQ(rc, 0);
    return test::fileBytes(path);
}

struct Probe {
    const char* name;
    int x, y;
    int r, g, b;
};

// The stage of the test movie: what lies where, with the colour expected there.
const Probe kProbes[] = {
    {"solid red", 30, 30, 255, 0, 0},
    {"linear gradient start", 103, 40, 255, 0, 0},
    {"linear gradient end", 256, 40, 0, 0, 255},
    {"radial gradient centre", 330, 40, 0, 255, 0},
    {"8-bit bitmap index 0", 20, 90, 0, 0, 0},
    {"8-bit bitmap index 1", 40, 90, 255, 255, 0},
    {"8-bit bitmap index 2", 20, 110, 0, 255, 255},
    {"32-bit bitmap opaque", 110, 90, 255, 0, 255},
    {"32-bit bitmap transparent", 130, 90, 255, 255, 255},
    {"jpeg", 190, 100, 0, 0, 255},
    {"jpeg with alpha, opaque half", 243, 100, 255, 0, 0},
    {"jpeg with alpha, clear half", 270, 100, 255, 255, 255},
    {"sprite", 330, 100, 255, 128, 0},
    {"button up", 340, 210, 0, 160, 0},
    {"colour transform", 275, 270, 255, 0, 0},
    {"rotated clip, inside once turned", 350, 258, 0, 0, 128},
    {"rotated clip, outside once turned", 335, 275, 255, 255, 255},
};

bool near(const json& px, int r, int g, int b, int tolerance) {
    return std::abs(px[0].get<int>() - r) <= tolerance && std::abs(px[1].get<int>() - g) <= tolerance &&
           std::abs(px[2].get<int>() - b) <= tolerance;
}

class PlayerTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    SwfContext ctx{prompts};

    // Builds the test movie and saves it to `path`.
    void buildMovie(const std::string& path) {
        ASSERT_TRUE(ctx.cache.open(home.root()));
        SwfMovie movie(ctx);
        movie.width = tw(kWidth);
        movie.height = tw(kHeight);
        SwfFrame& f = movie.frame(0);
        f.setBackground({255, 255, 255});

        SwfRectangle solid(ctx, tw(10), tw(10), tw(90) - 1, tw(70) - 1);
        solid.setFillColour({255, 0, 0, 255});
        solid.setLineWidth(0);
        SwfRectangle linear(ctx, tw(100), tw(10), tw(260) - 1, tw(70) - 1);
        linear.setLinearGradient({255, 0, 0, 255}, {0, 0, 255, 255});
        linear.setLineWidth(0);
        SwfEllipse radial(ctx, tw(330), tw(40), tw(30));
        radial.setRadialGradient({0, 255, 0, 255}, {0, 0, 0, 255});

        // 8-bit colour-mapped 4 x 2, each pixel 20 x 20 on the stage.
        std::vector<uint8_t> indices = {0, 1, 0, 1, 2, 0, 2, 0};
        std::vector<uint8_t> palette = {0, 0, 0, 255, 255, 0, 0, 255, 255};
        SwfRectangle eight(ctx, tw(10), tw(80), tw(90) - 1, tw(120) - 1, 3, 4, 2, 3, false, indices.data(),
                           palette.data());
        // 32-bit 2 x 1 with alpha (premultiplied ARGB): opaque magenta, then fully clear.
        std::vector<uint8_t> argb = {255, 255, 0, 255, 0, 0, 0, 0};
        SwfRectangle wide(ctx, tw(100), tw(80), tw(140) - 1, tw(100) - 1, 5, 2, 1, 0, true, argb.data(),
                          nullptr);
        std::vector<uint8_t> blue = jpegOf(home.root(), "blue");
        SwfRectangle photo(ctx, tw(170), tw(80), tw(210) - 1, tw(120) - 1, 16, 16, blue.data(), blue.size());
        std::vector<uint8_t> red = jpegOf(home.root(), "red");
        std::vector<uint8_t> alpha(16 * 16, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) alpha[size_t(y * 16 + x)] = 255;
        SwfRectangle masked(ctx, tw(230), tw(80), tw(290) - 1, tw(120) - 1);
        masked.setLineWidth(0);
        masked.setJpegAlphaFill(16, 16, red.data(), red.size(), alpha.data(), alpha.size());

        SwfMovie body(ctx);
        SwfRectangle inSprite(ctx, tw(310), tw(80), tw(350) - 1, tw(120) - 1);
        inSprite.setFillColour({255, 128, 0, 255});
        inSprite.setLineWidth(0);
        body.frame(0).place(inSprite);
        SwfClip clip(ctx, body, "sprite");

        SwfFont font(ctx, "_sans", false, false);
        SwfTextField text(ctx, tw(10), tw(180), tw(250), tw(230), u"WWWW MMMM");
        text.setFont(font);
        text.setFontHeight(tw(30));
        text.setAlign(0);

        // A second field placed with PlaceObject3, as when text is cached as a bitmap.
        ctx.cacheTextAsBitmap = true;
        SwfTextField cached(ctx, tw(10), tw(240), tw(250), tw(290), u"WWWW MMMM");
        cached.setFont(font);
        cached.setFontHeight(tw(30));
        cached.setAlign(0);
        ctx.cacheTextAsBitmap = false;

        // White turned red by a colour transform.
        SwfRectangle tinted(ctx, tw(260), tw(250), tw(290) - 1, tw(290) - 1);
        tinted.setLineWidth(0);
        tinted.setColourTransform(256, 0, 0, 256, 0, 0, 0, 0);
        // A flat bar turned a quarter round its centre (350, 275) stands upright.
        SwfMovie barBody(ctx);
        SwfRectangle bar(ctx, tw(330), tw(270), tw(370) - 1, tw(280) - 1);
        bar.setFillColour({0, 0, 128, 255});
        bar.setLineWidth(0);
        barBody.frame(0).place(bar);
        SwfTransformClip turned(ctx, barBody, "turned");
        turned.setBounds(tw(330), tw(270), tw(370), tw(280));
        turned.rotate(90 << 16);

        SwfRectangle up(ctx, tw(310), tw(180), tw(380) - 1, tw(240) - 1),
            over(ctx, tw(310), tw(180), tw(380) - 1, tw(240) - 1),
            down(ctx, tw(310), tw(180), tw(380) - 1, tw(240) - 1);
        up.setFillColour({0, 160, 0, 255});
        over.setFillColour({0, 200, 200, 255});
        down.setFillColour({200, 0, 200, 255});
        SwfButton button(ctx, up, over, down, up);
        button.addStep(GetUrlStep("FSCommand:clicked", "button", 0), 6); // released over the button
        button.nextCondition();
        button.addStep(GetUrlStep("FSCommand:key", "k", 0), 0, 'k');

        for (SwfObject* o :
             std::initializer_list<SwfObject*>{&solid, &linear, &radial, &eight, &wide, &photo, &masked,
                                               &clip, &font, &text, &cached, &button, &tinted, &turned})
            f.place(*o);
        f.addStep(GetUrlStep("FSCommand:ready", "1", 0));
        f.addStep(StopStep());
        f.closeActions();
        ASSERT_EQ(movie.save(path), SaveResult::Written);
        ctx.cache.close();
        EXPECT_TRUE(prompts.messages().empty());
        EXPECT_EQ(test::yaswfpProblems(path), "");
    }

    json probeSteps() const {
        json points = json::array();
        for (const Probe& p : kProbes) points.push_back({p.x, p.y});
        json text = json::array(), cachedText = json::array();
        for (int y = 184; y < 226; y += 2)
            for (int x = 12; x < 200; x += 3) {
                text.push_back({x, y});
                cachedText.push_back({x, y + 60});
            }
        return json::array({{{"waitFor", "ready"}},
                            {{"wait", 300}},
                            {{"pixels", "probes"}, {"points", points}},
                            {{"pixels", "text"}, {"points", text}},
                            {{"pixels", "cached text"}, {"points", cachedText}}});
    }

    void expectProbes(const json& result) {
        const json& px = result["pixels"]["probes"];
        ASSERT_EQ(px.size(), std::size(kProbes));
        for (size_t i = 0; i < std::size(kProbes); ++i) {
            const Probe& p = kProbes[i];
            EXPECT_TRUE(near(px[i], p.r, p.g, p.b, 40)) << p.name << ": " << px[i].dump();
        }
        for (const char* field : {"text", "cached text"}) {
            int dark = 0;
            for (const json& t : result["pixels"][field])
                if (t[0].get<int>() < 100 && t[1].get<int>() < 100 && t[2].get<int>() < 100) ++dark;
            EXPECT_GT(dark, 10) << "no text drawn in the field: " << field;
        }
    }
};

TEST_F(PlayerTest, ShapesBitmapsSpriteTextAndButtonShowAndTheButtonActs) {
    std::string path = home.path("stage.swf");
    buildMovie(path);
    if (getenv("TAVLO_E2E_KEEP")) test::runCommand("cp '" + path + "' " + getenv("TAVLO_E2E_KEEP"));
    json steps = probeSteps();
    steps.push_back({{"move", {340, 210}}});
    steps.push_back({{"wait", 200}});
    steps.push_back({{"pixels", "over"}, {"points", {{340, 210}}}});
    steps.push_back({{"click", {340, 210}}});
    steps.push_back({{"waitFor", "clicked"}, {"timeout", 5000}});
    steps.push_back({{"key", "k"}});
    steps.push_back({{"waitFor", "key"}, {"timeout", 5000}});
    json result = play(path, steps, home.root());
    expectProbes(result);
    EXPECT_TRUE(near(result["pixels"]["over"][0], 0, 200, 200, 40)) << result["pixels"]["over"].dump();
    json commands = result["fscommands"];
    EXPECT_NE(std::find(commands.begin(), commands.end(), json::array({"clicked", "button"})), commands.end())
        << commands.dump();
    EXPECT_NE(std::find(commands.begin(), commands.end(), json::array({"key", "k"})), commands.end())
        << commands.dump();
}

// The compressed form: "CWS", then the rest of the file deflated.
std::vector<uint8_t> compressed(const std::vector<uint8_t>& swf) {
    uLongf n = compressBound(uLong(swf.size()));
    std::vector<uint8_t> out(8 + n);
    std::copy(swf.begin(), swf.begin() + 8, out.begin());
    out[0] = 'C';
    EXPECT_EQ(compress2(out.data() + 8, &n, swf.data() + 8, uLong(swf.size() - 8), 9), Z_OK);
    out.resize(8 + n);
    return out;
}

TEST_F(PlayerTest, CompressedCopyAndVersion4FilePlayTheSame) {
    std::string plain = home.path("plain.swf"), cws = home.path("compressed.swf"), v4 = home.path("v4.swf");
    buildMovie(plain);
    writeBytes(cws, compressed(test::fileBytes(plain)));
    EXPECT_EQ(test::yaswfpProblems(cws), "");
    ctx.flash4Compatible = true;
    buildMovie(v4);
    EXPECT_EQ(test::fileBytes(v4)[3], 4);
    for (const std::string& file : {cws, v4}) {
        SCOPED_TRACE(file);
        expectProbes(play(file, probeSteps(), home.root()));
    }
}

TEST_F(PlayerTest, AdpcmStreamDecodesWithFfmpegToItsLength) {
    const int rate = 22050, frames = rate; // one second of 440 Hz
    PcmSound pcm;
    pcm.rate = rate;
    for (int i = 0; i < frames; ++i) {
        int16_t v = int16_t(10000 * std::sin(2 * 3.14159265358979 * 440 * i / rate));
        pcm.data.push_back(uint8_t(v));
        pcm.data.push_back(uint8_t(uint16_t(v) >> 8));
    }
    // 2205 samples a frame: with 4-bit codes every block ends on a whole byte, so no decoder can
    // take a code from padding bits and the decoded length must be exact.
    SwfStreamSound sound(ctx, pcm, 10);
    SwfMovie movie(ctx);
    movie.frameRate = 10;
    movie.frame(0).place(sound);
    std::vector<std::unique_ptr<SwfStreamBlock>> blocks;
    for (int i = 0; i < 10; ++i) {
        blocks.push_back(std::make_unique<SwfStreamBlock>(ctx, sound, false));
        movie.frame(i).place(*blocks.back());
    }
    std::string path = home.path("sound.swf"), raw = home.path("sound.raw");
    ASSERT_EQ(movie.save(path), SaveResult::Written);
    EXPECT_EQ(test::yaswfpProblems(path), "");
    if (getenv("TAVLO_E2E_KEEP")) test::runCommand("cp '" + path + "' " + getenv("TAVLO_E2E_KEEP"));
    std::string log;
    ASSERT_EQ(test::runCommand("ffmpeg -loglevel error -y -i '" + path + "' -f s16le -ac 1 -ar 22050 '" +
                                   raw + "' 2>&1",
                               &log),
              0)
        << log;
    std::vector<uint8_t> bytes = test::fileBytes(raw);
    size_t decoded = bytes.size() / 2;
    EXPECT_EQ(decoded, size_t(frames));
    double error = 0, power = 0;
    for (int i = 0; i < frames && size_t(i) < decoded; ++i) {
        int16_t got = int16_t(bytes[size_t(2 * i)] | bytes[size_t(2 * i + 1)] << 8);
        int16_t want = int16_t(pcm.data[size_t(2 * i)] | pcm.data[size_t(2 * i + 1)] << 8);
        error += double(got - want) * (got - want);
        power += double(want) * want;
    }
    EXPECT_GT(10 * std::log10(power / std::max(error, 1.0)), 20.0) << "decoded sound is not the sine";
}

TEST_F(PlayerTest, Mp3StreamFromAnEncodedFileDecodesWithFfmpeg) {
    const int rate = 22050;
    std::vector<uint8_t> raw;
    for (int i = 0; i < rate; ++i) {
        int16_t v = int16_t(10000 * std::sin(2 * 3.14159265358979 * 440 * i / rate));
        raw.push_back(uint8_t(v));
        raw.push_back(uint8_t(uint16_t(v) >> 8));
    }
    std::string rawPath = home.path("in.raw"), mp3 = home.path("in.mp3");
    writeBytes(rawPath, raw);
    ASSERT_EQ(test::runCommand("lame --quiet -r -s 22.05 --bitwidth 16 --signed --little-endian -m m -b 32 "
                               "--add-id3v2 --tt Tavlo '" +
                               rawPath + "' '" + mp3 + "' 2>/dev/null"),
              0);
    auto sound = SwfStreamSound::fromMp3File(ctx, mp3, 12);
    SwfMovie movie(ctx);
    movie.frame(0).place(*sound);
    std::vector<std::unique_ptr<SwfStreamBlock>> blocks;
    for (int i = 0; i < 20; ++i) {
        blocks.push_back(std::make_unique<SwfStreamBlock>(ctx, *sound, false));
        movie.frame(i).place(*blocks.back());
    }
    std::string path = home.path("mp3.swf"), out = home.path("mp3.raw");
    ASSERT_EQ(movie.save(path), SaveResult::Written);
    EXPECT_EQ(test::yaswfpProblems(path), "");
    auto heads = test::tagsOf<SoundStreamHead>(test::parsedFile(path).tags);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].format, SoundFormat::Mp3);
    std::string log;
    ASSERT_EQ(test::runCommand("ffmpeg -loglevel error -y -i '" + path + "' -f s16le -ac 1 -ar 22050 '" +
                                   out + "' 2>&1",
                               &log),
              0)
        << log;
    std::vector<uint8_t> bytes = test::fileBytes(out);
    size_t decoded = bytes.size() / 2;
    // Every frame of the file, with the encoder's delay and padding: a little over one second.
    EXPECT_GE(decoded, size_t(rate));
    EXPECT_LE(decoded, sound->totalSamples());
    // The sine is there: about 880 zero crossings in a second of 440 Hz.
    int crossings = 0;
    for (size_t i = 2; i + 1 < decoded && i < size_t(rate); ++i) {
        int16_t a = int16_t(bytes[2 * i - 2] | bytes[2 * i - 1] << 8),
                b = int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
        if ((a < 0) != (b < 0)) ++crossings;
    }
    EXPECT_NEAR(crossings, 880, 90);
}

} // namespace
} // namespace tavlo::swf
