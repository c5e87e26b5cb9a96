#pragma once
// Event sounds (DefineSound + StartSound) and stream sounds (SoundStreamHead + one block a frame).
#include "swf/adpcm.h"
#include "swf/mp3_frames.h"
#include "swf/swf_object.h"

#include <string>

namespace tavlo::swf {

// Sample rate of a rate index 0..3 as used for samples per frame (5500, not 5512).
int soundRateOfIndex(uint8_t index);

class SwfEventSound : public SwfObject {
public:
    // The whole sound is ADPCM-encoded here. Placing it defines it once and starts it every time.
    SwfEventSound(SwfContext& ctx, const PcmSound& pcm, int bits = 4, int volume = 0x7FFF);
    void place(FrameTags& tags, SwfMovie& timeline) override;
    void remove(FrameTags&, SwfMovie&) override {}

protected:
    void define(FrameTags& tags, SwfMovie& timeline) override;

private:
    Tag tag_;
};

class SwfStreamSound : public SwfObject {
public:
    // ADPCM from PCM. samplesPerFrame = rate / frame rate, or all samples / frameCount when given;
    // a volume below 0x7FFF scales the samples.
    SwfStreamSound(SwfContext& ctx, PcmSound pcm, int frameRate, int frameCount = 0, int bits = 4,
                   int volume = 0x7FFF);
    // MP3 frames of a file; no blocks when it cannot be read or does not start with a frame.
    static std::unique_ptr<SwfStreamSound> fromMp3File(SwfContext& ctx, const std::string& path,
                                                       int frameRate, int frameCount = 0);

    // Emits SoundStreamHead once.
    void place(FrameTags& tags, SwfMovie& timeline) override;
    void remove(FrameTags&, SwfMovie&) override {}

    // The next block's bytes; empty once the sound is used up. A silent block is ADPCM silence of
    // the next block's length and does not advance (for MP3 it is empty).
    std::vector<uint8_t> nextBlock(bool silent);
    double samplesPerFrame() const { return samplesPerFrame_; }
    bool isMp3() const { return mp3_; }
    size_t totalSamples() const;

protected:
    void define(FrameTags&, SwfMovie&) override {}

private:
    SwfStreamSound(SwfContext& ctx) : SwfObject(ctx) {}
    std::vector<uint8_t> nextMp3Block();

    bool mp3_ = false;
    PcmSound pcm_;
    int bits_ = 4;
    int volume_ = 0x7FFF;
    std::vector<uint8_t> mp3Data_;
    std::vector<Mp3Frame> mp3Frames_;
    size_t nextMp3Frame_ = 0;
    long long owed_ = 0; // MP3 samples carried from the last block
    bool firstBlock_ = true;
    uint8_t rateIndex_ = 0;
    bool stereo_ = false;
    double samplesPerFrame_ = 0;
    size_t block_ = 0;
    bool headPlaced_ = false;
};

class SwfStreamBlock : public SwfObject {
public:
    // Takes the stream's next block now; placing it emits a SoundStreamBlock (none when empty).
    SwfStreamBlock(SwfContext& ctx, SwfStreamSound& stream, bool silent);
    void place(FrameTags& tags, SwfMovie& timeline) override;
    void remove(FrameTags&, SwfMovie&) override {}
    const std::vector<uint8_t>& data() const { return data_; }

protected:
    void define(FrameTags&, SwfMovie&) override {}

private:
    std::vector<uint8_t> data_;
};

} // namespace tavlo::swf
