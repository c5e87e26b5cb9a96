#include "swf/sound.h"

#include "core/file_util.h"

#include <cmath>

namespace tavlo::swf {

int soundRateOfIndex(uint8_t index) {
    static const int rates[4] = {5500, 11025, 22050, 44100};
    return rates[index & 3];
}

SwfEventSound::SwfEventSound(SwfContext& ctx, const PcmSound& pcm, int bits, int volume) : SwfObject(ctx) {
    std::vector<int16_t> samples = pcmSamples(pcm, 0, pcm.frames(), volume);
    DefineSound d;
    d.id = ctx.nextCharacterId();
    characterId = d.id;
    d.format = SoundFormat::Adpcm;
    d.rate = soundRateIndex(pcm.rate);
    d.is16Bit = true;
    d.stereo = pcm.channels == 2;
    d.sampleCount = uint32_t(pcm.frames());
    d.data.bytes = encodeAdpcm(samples.data(), pcm.frames(), pcm.channels, bits);
    tag_ = std::move(d);
}

void SwfEventSound::define(FrameTags& tags, SwfMovie&) {
    appendTag(tags, std::move(tag_));
}

void SwfEventSound::place(FrameTags& tags, SwfMovie& timeline) {
    if (!defined) {
        define(tags, timeline);
        defined = true;
    }
    appendTag(tags, StartSound{uint16_t(characterId)});
}

SwfStreamSound::SwfStreamSound(SwfContext& ctx, PcmSound pcm, int frameRate, int frameCount, int bits,
                               int volume)
    : SwfObject(ctx), pcm_(std::move(pcm)), bits_(bits), volume_(volume) {
    rateIndex_ = soundRateIndex(pcm_.rate);
    stereo_ = pcm_.channels == 2;
    if (frameCount > 0)
        samplesPerFrame_ = double(pcm_.frames()) / frameCount;
    else
        samplesPerFrame_ = double(soundRateOfIndex(rateIndex_)) / std::max(1, frameRate);
}

std::unique_ptr<SwfStreamSound> SwfStreamSound::fromMp3File(SwfContext& ctx, const std::string& path,
                                                            int frameRate, int frameCount) {
    std::unique_ptr<SwfStreamSound> s(new SwfStreamSound(ctx));
    s->mp3_ = true;
    if (auto bytes = readWholeFile(path)) s->mp3Data_.assign(bytes->begin(), bytes->end());
    s->mp3Frames_ = findMp3Frames(s->mp3Data_);
    int rate = 44100;
    if (!s->mp3Frames_.empty()) {
        rate = s->mp3Frames_[0].header.sampleRate;
        s->stereo_ = s->mp3Frames_[0].header.channels == 2;
    }
    s->rateIndex_ = soundRateIndex(rate);
    if (frameCount > 0)
        s->samplesPerFrame_ = double(s->totalSamples()) / frameCount;
    else
        s->samplesPerFrame_ = double(soundRateOfIndex(s->rateIndex_)) / std::max(1, frameRate);
    return s;
}

size_t SwfStreamSound::totalSamples() const {
    if (!mp3_) return pcm_.frames();
    size_t n = 0;
    for (const Mp3Frame& f : mp3Frames_) n += size_t(f.header.samplesPerFrame);
    return n;
}

void SwfStreamSound::place(FrameTags& tags, SwfMovie&) {
    if (headPlaced_) return;
    headPlaced_ = true;
    defined = true;
    SoundStreamHead h;
    h.playbackRate = rateIndex_;
    h.playback16Bit = true;
    h.playbackStereo = stereo_;
    h.format = mp3_ ? SoundFormat::Mp3 : SoundFormat::Adpcm;
    h.rate = rateIndex_;
    h.is16Bit = true;
    h.stereo = stereo_;
    h.samplesPerFrame = uint16_t(samplesPerFrame_);
    h.latencySeek = 0;
    appendTag(tags, h);
}

std::vector<uint8_t> SwfStreamSound::nextBlock(bool silent) {
    if (mp3_) return silent ? std::vector<uint8_t>() : nextMp3Block();
    size_t first = size_t(std::floor(double(block_) * samplesPerFrame_));
    size_t end = size_t(std::floor(double(block_ + 1) * samplesPerFrame_));
    size_t total = pcm_.frames();
    if (first >= total) return {};
    end = std::min(end, total);
    if (end <= first) end = first + 1;
    std::vector<int16_t> samples = pcmSamples(pcm_, first, end - first, silent ? 0 : volume_);
    if (!silent) ++block_;
    return encodeAdpcm(samples.data(), end - first, pcm_.channels, bits_);
}

std::vector<uint8_t> SwfStreamSound::nextMp3Block() {
    if (nextMp3Frame_ >= mp3Frames_.size()) return {};
    int16_t seek = int16_t(owed_);
    long long owed = owed_ + (long long)samplesPerFrame_;
    size_t firstFrame = nextMp3Frame_;
    while (nextMp3Frame_ < mp3Frames_.size()) {
        int size = mp3Frames_[nextMp3Frame_].header.samplesPerFrame;
        bool mustTake = firstBlock_ && nextMp3Frame_ == firstFrame;
        if (owed < size && !mustTake) break;
        owed -= size;
        ++nextMp3Frame_;
    }
    firstBlock_ = false;
    owed_ = owed;
    size_t count = nextMp3Frame_ - firstFrame;
    std::vector<uint8_t> block;
    uint32_t samples = 0;
    for (size_t i = firstFrame; i < nextMp3Frame_; ++i)
        samples += uint32_t(mp3Frames_[i].header.samplesPerFrame);
    block.push_back(uint8_t(samples));
    block.push_back(uint8_t(samples >> 8));
    block.push_back(uint8_t(uint16_t(seek)));
    block.push_back(uint8_t(uint16_t(seek) >> 8));
    if (count > 0) {
        size_t from = mp3Frames_[firstFrame].offset;
        const Mp3Frame& last = mp3Frames_[nextMp3Frame_ - 1];
        size_t to = last.offset + size_t(last.header.length);
        block.insert(block.end(), mp3Data_.begin() + long(from), mp3Data_.begin() + long(to));
    }
    return block;
}

SwfStreamBlock::SwfStreamBlock(SwfContext& ctx, SwfStreamSound& stream, bool silent)
    : SwfObject(ctx), data_(stream.nextBlock(silent)) {}

void SwfStreamBlock::place(FrameTags& tags, SwfMovie&) {
    // An empty block would not even hold the ADPCM code size; the player simply gets no block.
    if (data_.empty()) return;
    SoundStreamBlock b;
    b.data.bytes = std::move(data_);
    data_.clear();
    appendTag(tags, std::move(b));
}

} // namespace tavlo::swf
