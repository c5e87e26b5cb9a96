#include "swf/write.h"

#include <algorithm>
#include <cassert>

namespace tavlo::swf {

namespace {

template <class... F> struct Overload : F... { using F::operator()...; };
template <class... F> Overload(F...) -> Overload<F...>;

void writeBitPair(SwfStream& s, int32_t a, int32_t b) {
    int n = bitsFor(std::max(magnitude(a), magnitude(b)), 1);
    s.writeBits(uint32_t(n), 5);
    s.writeSignedBits(a, n);
    s.writeSignedBits(b, n);
}

// Edges always get at least two bits, the smallest count the 4-bit "NumBits - 2" field can hold,
// so a zero-length edge never wraps the field.
int edgeBits(std::initializer_list<int32_t> values) {
    uint32_t m = 0;
    for (int32_t v : values) m = std::max(m, magnitude(v));
    return std::max(2, bitsFor(m, 1));
}

void writeStyleCount(SwfStream& s, size_t n) {
    if (n >= 255) {
        s.writeU8(0xFF);
        s.writeU16(uint16_t(n));
    } else {
        s.writeU8(uint8_t(n));
    }
}

void writePushValue(SwfStream& s, const PushValue& v) {
    std::visit(Overload{
                   [&](const PushString& p) {
                       s.writeU8(0);
                       s.writeString(p.value, true);
                   },
                   [&](const PushFloat& p) {
                       s.writeU8(1);
                       s.writeU32(p.bits);
                   },
                   [&](const PushInteger& p) {
                       s.writeU8(7);
                       s.writeU32(p.value);
                   },
                   [&](const PushDouble& p) {
                       s.writeU8(6);
                       s.writeU32(uint32_t(p.bits >> 32));
                       s.writeU32(uint32_t(p.bits));
                   },
               },
               v);
}

size_t pushValueLength(const PushValue& v) {
    return std::visit(Overload{
                          [](const PushString& p) { return p.value.size() + 2; },
                          [](const PushFloat&) { return size_t(5); },
                          [](const PushInteger&) { return size_t(5); },
                          [](const PushDouble&) { return size_t(9); },
                      },
                      v);
}

void writePlaceFlags(SwfStream& s, const PlaceObject2& p) {
    s.writeBits(0, 1); // HasClipActions
    s.writeBits(p.clipDepth.has_value(), 1);
    s.writeBits(p.name.has_value(), 1);
    s.writeBits(p.ratio.has_value(), 1);
    s.writeBits(p.colorTransform.has_value(), 1);
    s.writeBits(p.matrix.has_value(), 1);
    s.writeBits(p.characterId.has_value(), 1);
    s.writeBits(p.move, 1);
}

void writePlaceFields(SwfStream& s, const PlaceObject2& p) {
    if (p.characterId) s.writeU16(*p.characterId);
    if (p.matrix) writeMatrix(s, *p.matrix);
    if (p.colorTransform) writeColorTransform(s, *p.colorTransform);
    if (p.ratio) s.writeU16(*p.ratio);
    if (p.name) s.writeString(*p.name, true);
    if (p.clipDepth) s.writeU16(*p.clipDepth);
}

void writeButtonRecord(SwfStream& s, const ButtonRecord& r) {
    s.writeBits(0, 4);
    s.writeBits(r.hitTest, 1);
    s.writeBits(r.down, 1);
    s.writeBits(r.over, 1);
    s.writeBits(r.up, 1);
    s.writeU16(r.characterId);
    s.writeU16(r.depth);
    writeMatrix(s, r.matrix);
    writeColorTransform(s, r.colorTransform);
}

void writeSoundFormatByte(SwfStream& s, SoundFormat f, uint8_t rate, bool is16, bool stereo) {
    s.writeBits(uint8_t(f), 4);
    s.writeBits(rate, 2);
    s.writeBits(is16, 1);
    s.writeBits(stereo, 1);
}

struct BodyWriter {
    SwfStream& s;

    void operator()(const End&) {}
    void operator()(const ShowFrame&) {}
    void operator()(const PlaceObject2& p) {
        writePlaceFlags(s, p);
        s.writeU16(p.depth);
        writePlaceFields(s, p);
    }
    void operator()(const PlaceObject3& p) {
        writePlaceFlags(s, p.base);
        s.writeBits(0, 3);
        s.writeBits(0, 1); // HasImage
        s.writeBits(0, 1); // HasClassName
        s.writeBits(p.bitmapCache.has_value(), 1);
        s.writeBits(p.blendMode.has_value(), 1);
        s.writeBits(0, 1); // HasFilterList
        s.writeU16(p.base.depth);
        writePlaceFields(s, p.base);
        if (p.blendMode) s.writeU8(*p.blendMode);
        if (p.bitmapCache) s.writeU8(*p.bitmapCache);
    }
    void operator()(const RemoveObject& r) {
        s.writeU16(r.characterId);
        s.writeU16(r.depth);
    }
    void operator()(const SetBackgroundColor& b) { writeRgb(s, b.color); }
    void operator()(const DoAction& d) { writeActions(s, d.actions); }
    void operator()(const FileAttributes& f) { s.writeU32(f.flags); }
    void operator()(const Metadata& m) { s.writeString(m.xml, true); }
    void operator()(const DefineShape3& d) {
        s.writeU16(d.id);
        writeRect(s, d.bounds);
        writeShape(s, d.shape);
    }
    void operator()(const DefineBitsJpeg2& d) {
        s.writeU16(d.id);
        writePayload(s, d.data);
    }
    void operator()(const DefineBitsJpeg3& d) {
        s.writeU16(d.id);
        s.writeU32(d.jpeg.size());
        writePayload(s, d.jpeg);
        writePayload(s, d.alpha);
    }
    void operator()(const DefineBitsLossless& d) {
        s.writeU16(d.id);
        s.writeU8(d.format);
        s.writeU16(d.width);
        s.writeU16(d.height);
        if (d.format == 3) s.writeU8(d.colorTableSize);
        writePayload(s, d.data);
    }
    void operator()(const DefineButton2& d) {
        s.writeU16(d.id);
        s.writeU8(d.trackAsMenu ? 1 : 0);
        SwfStream records;
        for (const ButtonRecord& r : d.records) writeButtonRecord(records, r);
        records.writeU8(0);
        s.writeU16(d.conditions.empty() ? 0 : uint16_t(records.length() + 2));
        s.writeBytes(records.bytes().data(), records.bytes().size());
        for (size_t i = 0; i < d.conditions.size(); ++i) {
            const ButtonCondAction& c = d.conditions[i];
            SwfStream actions;
            writeActions(actions, c.actions);
            bool last = i + 1 == d.conditions.size();
            s.writeU16(last ? 0 : uint16_t(2 + 2 + actions.length()));
            s.writeU16(c.conditions);
            s.writeBytes(actions.bytes().data(), actions.bytes().size());
        }
    }
    void operator()(const DefineEditText& d) {
        s.writeU16(d.id);
        writeRect(s, d.bounds);
        s.writeBits(d.initialText.has_value(), 1);
        s.writeBits(d.wordWrap, 1);
        s.writeBits(d.multiline, 1);
        s.writeBits(d.password, 1);
        s.writeBits(d.readOnly, 1);
        s.writeBits(d.textColor.has_value(), 1);
        s.writeBits(d.maxLength.has_value(), 1);
        s.writeBits(d.fontId.has_value(), 1);
        s.writeBits(0, 1); // HasFontClass
        s.writeBits(d.autoSize, 1);
        s.writeBits(d.layout.has_value(), 1);
        s.writeBits(d.noSelect, 1);
        s.writeBits(d.border, 1);
        s.writeBits(d.wasStatic, 1);
        s.writeBits(d.html, 1);
        s.writeBits(d.useOutlines, 1);
        if (d.fontId) {
            s.writeU16(*d.fontId);
            s.writeU16(d.fontHeight);
        }
        if (d.textColor) writeRgba(s, *d.textColor);
        if (d.maxLength) s.writeU16(*d.maxLength);
        if (d.layout) {
            s.writeU8(d.layout->align);
            s.writeU16(d.layout->leftMargin);
            s.writeU16(d.layout->rightMargin);
            s.writeU16(d.layout->indent);
            s.writeU16(uint16_t(d.layout->leading));
        }
        s.writeString(d.variableName, true);
        if (d.initialText) s.writeString(*d.initialText, true);
    }
    void operator()(const DefineFont2& d) {
        s.writeU16(d.id);
        s.writeBits(1, 1); // HasLayout
        s.writeBits(d.shiftJis, 1);
        s.writeBits(d.smallText, 1);
        s.writeBits(d.ansi, 1);
        s.writeBits(d.wideOffsets, 1);
        s.writeBits(d.wideCodes, 1);
        s.writeBits(d.italic, 1);
        s.writeBits(d.bold, 1);
        s.writeU8(d.language);
        s.writeU8(uint8_t(d.name.size()));
        s.writeString(std::string_view(d.name).substr(0, 255), false);
        s.writeU16(0); // no glyphs: no offset, shape, code, advance or bounds tables
        s.writeU16(d.ascent);
        s.writeU16(d.descent);
        s.writeU16(uint16_t(d.leading));
        s.writeU16(0); // kerning count
    }
    void operator()(const DefineSprite& d) {
        s.writeU16(d.id);
        s.writeU16(d.frameCount);
        for (const Tag& t : d.tags) writeTag(s, t);
        writeTag(s, Tag(End{}));
    }
    void operator()(const DefineSound& d) {
        s.writeU16(d.id);
        writeSoundFormatByte(s, d.format, d.rate, d.is16Bit, d.stereo);
        s.writeU32(d.sampleCount);
        writePayload(s, d.data);
    }
    void operator()(const StartSound& d) {
        s.writeU16(d.soundId);
        s.writeU8(0);
    }
    void operator()(const SoundStreamHead& d) {
        s.writeBits(0, 4);
        s.writeBits(d.playbackRate, 2);
        s.writeBits(d.playback16Bit, 1);
        s.writeBits(d.playbackStereo, 1);
        writeSoundFormatByte(s, d.format, d.rate, d.is16Bit, d.stereo);
        s.writeU16(d.samplesPerFrame);
        if (d.format == SoundFormat::Mp3) s.writeU16(uint16_t(d.latencySeek));
    }
    void operator()(const SoundStreamBlock& d) { writePayload(s, d.data); }
    void operator()(const UnknownTag& d) { s.writeBytes(d.body.data(), d.body.size()); }
};

} // namespace

void writeRgb(SwfStream& s, const Rgb& c) {
    s.writeU8(c.r);
    s.writeU8(c.g);
    s.writeU8(c.b);
}

void writeRgba(SwfStream& s, const Rgba& c) {
    s.writeU8(c.r);
    s.writeU8(c.g);
    s.writeU8(c.b);
    s.writeU8(c.a);
}

void writeRect(SwfStream& s, const Rect& r) {
    uint32_t m = std::max(
        {magnitude(r.xMin.value), magnitude(r.xMax.value), magnitude(r.yMin.value), magnitude(r.yMax.value)});
    int n = bitsFor(m, 1);
    s.writeBits(uint32_t(n), 5);
    s.writeSignedBits(r.xMin.value, n);
    s.writeSignedBits(r.xMax.value, n);
    s.writeSignedBits(r.yMin.value, n);
    s.writeSignedBits(r.yMax.value, n);
    s.flushBits();
}

void writeMatrix(SwfStream& s, const Matrix& m) {
    if (m.isIdentity()) {
        s.writeU8(0);
        return;
    }
    s.writeBits(m.scale.has_value(), 1);
    if (m.scale) writeBitPair(s, (*m.scale)[0].raw, (*m.scale)[1].raw);
    s.writeBits(m.rotate.has_value(), 1);
    if (m.rotate) writeBitPair(s, (*m.rotate)[0].raw, (*m.rotate)[1].raw);
    writeBitPair(s, m.translateX.value, m.translateY.value);
    s.flushBits();
}

void writeColorTransform(SwfStream& s, const ColorTransform& c) {
    uint32_t m = 0;
    for (int i = 0; i < 4; ++i) m = std::max({m, magnitude(c.mult[i]), magnitude(c.add[i])});
    int n = bitsFor(m, 1);
    s.writeBits(c.hasAdd, 1);
    s.writeBits(c.hasMult, 1);
    s.writeBits(uint32_t(n), 4);
    if (c.hasMult)
        for (int16_t v : c.mult) s.writeSignedBits(v, n);
    if (c.hasAdd)
        for (int16_t v : c.add) s.writeSignedBits(v, n);
    s.flushBits();
}

void writeFillStyle(SwfStream& s, const FillStyle& f) {
    s.writeU8(uint8_t(f.type));
    switch (f.type) {
    case FillType::Solid:
        writeRgba(s, f.color);
        break;
    case FillType::LinearGradient:
    case FillType::RadialGradient:
        writeMatrix(s, f.matrix);
        s.writeU8(uint8_t(std::min<size_t>(f.gradient.size(), 15)));
        for (size_t i = 0; i < f.gradient.size() && i < 15; ++i) {
            s.writeU8(f.gradient[i].ratio);
            writeRgba(s, f.gradient[i].color);
        }
        break;
    case FillType::RepeatingBitmap:
    case FillType::ClippedBitmap:
        s.writeU16(f.bitmapId);
        writeMatrix(s, f.matrix);
        break;
    }
}

void writeLineStyle(SwfStream& s, const LineStyle& l) {
    s.writeU16(l.width);
    writeRgba(s, l.color);
}

void writeShape(SwfStream& s, const Shape& shape) {
    writeStyleCount(s, shape.fills.size());
    for (const FillStyle& f : shape.fills) writeFillStyle(s, f);
    writeStyleCount(s, shape.lines.size());
    for (const LineStyle& l : shape.lines) writeLineStyle(s, l);
    int fillBits = bitsFor(uint32_t(shape.fills.size()), 0);
    int lineBits = bitsFor(uint32_t(shape.lines.size()), 0);
    s.writeBits(uint32_t(fillBits), 4);
    s.writeBits(uint32_t(lineBits), 4);
    for (const ShapeRecord& r : shape.records) {
        std::visit(Overload{
                       [&](const StyleChange& c) {
                           s.writeBits(0, 1); // TypeFlag
                           s.writeBits(0, 1); // StateNewStyles
                           s.writeBits(c.lineStyle.has_value(), 1);
                           s.writeBits(c.fillStyle1.has_value(), 1);
                           s.writeBits(c.fillStyle0.has_value(), 1);
                           s.writeBits(c.moveTo.has_value(), 1);
                           if (c.moveTo) {
                               int32_t x = (*c.moveTo)[0].value, y = (*c.moveTo)[1].value;
                               int n = bitsFor(std::max(magnitude(x), magnitude(y)), 1);
                               s.writeBits(uint32_t(n), 5);
                               s.writeSignedBits(x, n);
                               s.writeSignedBits(y, n);
                           }
                           if (c.fillStyle0) s.writeBits(*c.fillStyle0, fillBits);
                           if (c.fillStyle1) s.writeBits(*c.fillStyle1, fillBits);
                           if (c.lineStyle) s.writeBits(*c.lineStyle, lineBits);
                       },
                       [&](const StraightEdge& e) {
                           int n = edgeBits({e.dx.value, e.dy.value});
                           s.writeBits(1, 1); // TypeFlag
                           s.writeBits(1, 1); // StraightFlag
                           s.writeBits(uint32_t(n - 2), 4);
                           if (e.dx.value != 0 && e.dy.value != 0) {
                               s.writeBits(1, 1);
                               s.writeSignedBits(e.dx.value, n);
                               s.writeSignedBits(e.dy.value, n);
                           } else if (e.dx.value == 0) {
                               s.writeBits(0, 1);
                               s.writeBits(1, 1); // VertLineFlag
                               s.writeSignedBits(e.dy.value, n);
                           } else {
                               s.writeBits(0, 1);
                               s.writeBits(0, 1);
                               s.writeSignedBits(e.dx.value, n);
                           }
                       },
                       [&](const CurvedEdge& e) {
                           int n = edgeBits(
                               {e.controlDx.value, e.controlDy.value, e.anchorDx.value, e.anchorDy.value});
                           s.writeBits(1, 1);
                           s.writeBits(0, 1);
                           s.writeBits(uint32_t(n - 2), 4);
                           s.writeSignedBits(e.controlDx.value, n);
                           s.writeSignedBits(e.controlDy.value, n);
                           s.writeSignedBits(e.anchorDx.value, n);
                           s.writeSignedBits(e.anchorDy.value, n);
                       },
                   },
                   r);
    }
    s.writeBits(0, 6); // end record
    s.flushBits();
}

size_t actionLength(const Action& a) {
    return std::visit(
        Overload{
            [](const ActionGotoFrame&) { return size_t(5); },
            [](const ActionSetTarget& t) { return 3 + t.target.size() + 1; },
            [](const ActionPush& p) {
                size_t n = 3;
                for (const PushValue& v : p.values) n += pushValueLength(v);
                return n;
            },
            [](const ActionJump&) { return size_t(5); },
            [](const ActionGetUrl2&) { return size_t(4); },
            [](const ActionIf&) { return size_t(5); },
            [](const ActionGotoFrame2&) { return size_t(4); },
            [](const ActionCode&) { return size_t(1); },
            [](const ActionUnknown& u) { return u.code < 0x80 ? size_t(1) : 3 + u.data.size(); },
        },
        a);
}

void writeAction(SwfStream& s, const Action& a) {
    auto head = [&](uint8_t code) {
        s.writeU8(code);
        s.writeU16(uint16_t(actionLength(a) - 3));
    };
    std::visit(Overload{
                   [&](const ActionGotoFrame& g) {
                       head(0x81);
                       s.writeU16(g.frame);
                   },
                   [&](const ActionSetTarget& t) {
                       head(0x8B);
                       s.writeString(t.target, true);
                   },
                   [&](const ActionPush& p) {
                       head(0x96);
                       for (const PushValue& v : p.values) writePushValue(s, v);
                   },
                   [&](const ActionJump& j) {
                       head(0x99);
                       s.writeU16(uint16_t(j.offset));
                   },
                   [&](const ActionGetUrl2& g) {
                       head(0x9A);
                       s.writeU8(g.flags);
                   },
                   [&](const ActionIf& i) {
                       head(0x9D);
                       s.writeU16(uint16_t(i.offset));
                   },
                   [&](const ActionGotoFrame2& g) {
                       head(0x9F);
                       s.writeU8(g.play ? 1 : 0);
                   },
                   [&](const ActionCode& c) { s.writeU8(c.code); },
                   [&](const ActionUnknown& u) {
                       if (u.code < 0x80) {
                           s.writeU8(u.code);
                           return;
                       }
                       head(u.code);
                       s.writeBytes(u.data.data(), u.data.size());
                   },
               },
               a);
}

void writeActions(SwfStream& s, const std::vector<Action>& actions) {
    for (const Action& a : actions) writeAction(s, a);
    s.writeU8(0);
}

void writePayload(SwfStream& s, const Payload& p) {
    if (p.cached || p.lost)
        s.addCachedBlock(p.cacheOffset, p.cacheLength, p.lost);
    else if (!p.bytes.empty())
        s.addMemoryBlock(p.bytes.data(), uint32_t(p.bytes.size()));
}

void writeTagBody(SwfStream& body, const Tag& tag) {
    std::visit(BodyWriter{body}, tag.body);
}

void writeTag(SwfStream& s, const Tag& tag) {
    SwfStream body;
    writeTagBody(body, tag);
    s.writeTag(uint16_t(tag.code()), body);
}

void writeHeader(SwfStream& s, const Header& h) {
    s.writeU8(h.compressed ? 'C' : 'F');
    s.writeU8('W');
    s.writeU8('S');
    s.writeU8(h.version);
    s.writeU32(h.fileLength);
    const Rect& r = h.frameSize;
    int n = std::max(15, bitsFor(std::max({magnitude(r.xMin.value), magnitude(r.xMax.value),
                                           magnitude(r.yMin.value), magnitude(r.yMax.value)}),
                                 1));
    s.writeBits(uint32_t(n), 5);
    s.writeSignedBits(r.xMin.value, n);
    s.writeSignedBits(r.xMax.value, n);
    s.writeSignedBits(r.yMin.value, n);
    s.writeSignedBits(r.yMax.value, n);
    s.flushBits();
    s.writeU16(h.frameRate.raw);
    s.writeU16(h.frameCount);
}

TagCode Tag::code() const {
    return std::visit(Overload{
                          [](const End&) { return TagCode::End; },
                          [](const ShowFrame&) { return TagCode::ShowFrame; },
                          [](const PlaceObject2&) { return TagCode::PlaceObject2; },
                          [](const PlaceObject3&) { return TagCode::PlaceObject3; },
                          [](const RemoveObject&) { return TagCode::RemoveObject; },
                          [](const SetBackgroundColor&) { return TagCode::SetBackgroundColor; },
                          [](const DoAction&) { return TagCode::DoAction; },
                          [](const FileAttributes&) { return TagCode::FileAttributes; },
                          [](const Metadata&) { return TagCode::Metadata; },
                          [](const DefineShape3&) { return TagCode::DefineShape3; },
                          [](const DefineBitsJpeg2&) { return TagCode::DefineBitsJpeg2; },
                          [](const DefineBitsJpeg3&) { return TagCode::DefineBitsJpeg3; },
                          [](const DefineBitsLossless& d) {
                              return d.alpha ? TagCode::DefineBitsLossless2 : TagCode::DefineBitsLossless;
                          },
                          [](const DefineButton2&) { return TagCode::DefineButton2; },
                          [](const DefineEditText&) { return TagCode::DefineEditText; },
                          [](const DefineFont2&) { return TagCode::DefineFont2; },
                          [](const DefineSprite&) { return TagCode::DefineSprite; },
                          [](const DefineSound&) { return TagCode::DefineSound; },
                          [](const StartSound&) { return TagCode::StartSound; },
                          [](const SoundStreamHead&) { return TagCode::SoundStreamHead; },
                          [](const SoundStreamBlock&) { return TagCode::SoundStreamBlock; },
                          [](const UnknownTag& u) { return TagCode(u.code); },
                      },
                      body);
}

uint16_t Tag::characterId() const {
    return std::visit(Overload{
                          [](const DefineShape3& d) { return d.id; },
                          [](const DefineBitsJpeg2& d) { return d.id; },
                          [](const DefineBitsJpeg3& d) { return d.id; },
                          [](const DefineBitsLossless& d) { return d.id; },
                          [](const DefineButton2& d) { return d.id; },
                          [](const DefineEditText& d) { return d.id; },
                          [](const DefineFont2& d) { return d.id; },
                          [](const DefineSprite& d) { return d.id; },
                          [](const DefineSound& d) { return d.id; },
                          [](const auto&) { return uint16_t(0); },
                      },
                      body);
}

} // namespace tavlo::swf
