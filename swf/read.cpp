#include "swf/read.h"

#include <zlib.h>

namespace tavlo::swf {

bool SwfReader::need(size_t n) {
    if (failed_ || size_ - pos_ < n) {
        failed_ = true;
        return false;
    }
    return true;
}

uint8_t SwfReader::readU8() {
    bitsLeft_ = 0;
    if (!need(1)) return 0;
    return data_[pos_++];
}

uint16_t SwfReader::readU16() {
    uint16_t lo = readU8();
    return uint16_t(lo | readU8() << 8);
}

uint32_t SwfReader::readU32() {
    uint32_t lo = readU16();
    return lo | uint32_t(readU16()) << 16;
}

uint32_t SwfReader::readBits(int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
        if (bitsLeft_ == 0) {
            if (!need(1)) return 0;
            bitByte_ = data_[pos_++];
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        v = v << 1 | ((bitByte_ >> bitsLeft_) & 1);
    }
    return uint32_t(v);
}

int32_t SwfReader::readSignedBits(int n) {
    if (n == 0) return 0;
    uint32_t v = readBits(n);
    if (n < 32 && (v >> (n - 1)) & 1) v |= ~0u << n;
    return int32_t(v);
}

std::string SwfReader::readString() {
    bitsLeft_ = 0;
    std::string s;
    while (!failed_) {
        if (!need(1)) break;
        char c = char(data_[pos_++]);
        if (c == 0) return s;
        s.push_back(c);
    }
    return s;
}

std::vector<uint8_t> SwfReader::readBytes(size_t n) {
    bitsLeft_ = 0;
    if (!need(n)) return {};
    std::vector<uint8_t> v(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return v;
}

SwfReader SwfReader::sub(size_t n) {
    bitsLeft_ = 0;
    if (!need(n)) {
        SwfReader empty(data_, 0);
        empty.fail();
        return empty;
    }
    SwfReader r(data_ + pos_, n);
    pos_ += n;
    return r;
}

Rgb readRgb(SwfReader& r) {
    Rgb c;
    c.r = r.readU8();
    c.g = r.readU8();
    c.b = r.readU8();
    return c;
}

Rgba readRgba(SwfReader& r) {
    Rgba c;
    c.r = r.readU8();
    c.g = r.readU8();
    c.b = r.readU8();
    c.a = r.readU8();
    return c;
}

Rect readRect(SwfReader& r) {
    Rect rect;
    int n = int(r.readBits(5));
    rect.xMin = Twips(r.readSignedBits(n));
    rect.xMax = Twips(r.readSignedBits(n));
    rect.yMin = Twips(r.readSignedBits(n));
    rect.yMax = Twips(r.readSignedBits(n));
    r.alignBits();
    return rect;
}

namespace {

std::array<int32_t, 2> readBitPair(SwfReader& r) {
    int n = int(r.readBits(5));
    int32_t a = r.readSignedBits(n);
    return {a, r.readSignedBits(n)};
}

} // namespace

Matrix readMatrix(SwfReader& r) {
    Matrix m;
    if (r.readBits(1)) {
        auto p = readBitPair(r);
        m.scale = std::array<Fixed16, 2>{Fixed16{p[0]}, Fixed16{p[1]}};
    }
    if (r.readBits(1)) {
        auto p = readBitPair(r);
        m.rotate = std::array<Fixed16, 2>{Fixed16{p[0]}, Fixed16{p[1]}};
    }
    auto t = readBitPair(r);
    m.translateX = Twips(t[0]);
    m.translateY = Twips(t[1]);
    r.alignBits();
    return m;
}

ColorTransform readColorTransform(SwfReader& r) {
    ColorTransform c;
    c.hasAdd = r.readBits(1);
    c.hasMult = r.readBits(1);
    int n = int(r.readBits(4));
    if (c.hasMult)
        for (int16_t& v : c.mult) v = int16_t(r.readSignedBits(n));
    if (c.hasAdd)
        for (int16_t& v : c.add) v = int16_t(r.readSignedBits(n));
    r.alignBits();
    return c;
}

FillStyle readFillStyle(SwfReader& r) {
    FillStyle f;
    uint8_t type = r.readU8();
    f.type = FillType(type);
    switch (type) {
    case 0x00:
        f.color = readRgba(r);
        break;
    case 0x10:
    case 0x12: {
        f.matrix = readMatrix(r);
        int count = r.readU8() & 0x0F;
        for (int i = 0; i < count && !r.failed(); ++i) {
            GradientRecord g;
            g.ratio = r.readU8();
            g.color = readRgba(r);
            f.gradient.push_back(g);
        }
        break;
    }
    case 0x40:
    case 0x41:
        f.bitmapId = r.readU16();
        f.matrix = readMatrix(r);
        break;
    default:
        r.fail();
    }
    return f;
}

LineStyle readLineStyle(SwfReader& r) {
    LineStyle l;
    l.width = r.readU16();
    l.color = readRgba(r);
    return l;
}

namespace {

size_t readStyleCount(SwfReader& r) {
    size_t n = r.readU8();
    if (n == 0xFF) n = r.readU16();
    return n;
}

} // namespace

Shape readShape(SwfReader& r) {
    Shape shape;
    size_t fills = readStyleCount(r);
    for (size_t i = 0; i < fills && !r.failed(); ++i) shape.fills.push_back(readFillStyle(r));
    size_t lines = readStyleCount(r);
    for (size_t i = 0; i < lines && !r.failed(); ++i) shape.lines.push_back(readLineStyle(r));
    int fillBits = int(r.readBits(4));
    int lineBits = int(r.readBits(4));
    while (!r.failed()) {
        if (r.readBits(1) == 0) {
            uint32_t flags = r.readBits(5);
            if (flags == 0) break; // end record
            if (flags & 0x10) {    // new styles: Tavlo never writes them
                r.fail();
                break;
            }
            StyleChange c;
            if (flags & 0x01) {
                auto p = readBitPair(r);
                c.moveTo = std::array<Twips, 2>{Twips(p[0]), Twips(p[1])};
            }
            if (flags & 0x02) c.fillStyle0 = r.readBits(fillBits);
            if (flags & 0x04) c.fillStyle1 = r.readBits(fillBits);
            if (flags & 0x08) c.lineStyle = r.readBits(lineBits);
            shape.records.push_back(c);
        } else if (r.readBits(1) == 1) {
            int n = int(r.readBits(4)) + 2;
            StraightEdge e;
            if (r.readBits(1)) {
                e.dx = Twips(r.readSignedBits(n));
                e.dy = Twips(r.readSignedBits(n));
            } else if (r.readBits(1)) {
                e.dy = Twips(r.readSignedBits(n));
            } else {
                e.dx = Twips(r.readSignedBits(n));
            }
            shape.records.push_back(e);
        } else {
            int n = int(r.readBits(4)) + 2;
            CurvedEdge e;
            e.controlDx = Twips(r.readSignedBits(n));
            e.controlDy = Twips(r.readSignedBits(n));
            e.anchorDx = Twips(r.readSignedBits(n));
            e.anchorDy = Twips(r.readSignedBits(n));
            shape.records.push_back(e);
        }
    }
    r.alignBits();
    return shape;
}

namespace {

PushValue readPushValue(SwfReader& r) {
    uint8_t type = r.readU8();
    switch (type) {
    case 0:
        return PushString{r.readString()};
    case 1:
        return PushFloat{r.readU32()};
    case 6: {
        uint64_t hi = r.readU32();
        return PushDouble{hi << 32 | r.readU32()};
    }
    case 7:
        return PushInteger{r.readU32()};
    default:
        r.fail();
        return PushInteger{};
    }
}

// Fails the reader when a body was not read to its end: a writer and a reader that disagree on a
// layout show up here rather than as silently shifted fields.
void expectConsumed(SwfReader& body, SwfReader& outer) {
    if (body.failed() || body.remaining() != 0) outer.fail();
}

} // namespace

Action readAction(SwfReader& r) {
    uint8_t code = r.readU8();
    if (code < 0x80) return ActionCode{code};
    uint16_t length = r.readU16();
    SwfReader d = r.sub(length);
    Action a;
    switch (code) {
    case 0x81:
        a = ActionGotoFrame{d.readU16()};
        break;
    case 0x8B:
        a = ActionSetTarget{d.readString()};
        break;
    case 0x96: {
        ActionPush p;
        while (d.remaining() > 0 && !d.failed()) p.values.push_back(readPushValue(d));
        a = p;
        break;
    }
    case 0x99:
        a = ActionJump{int16_t(d.readU16())};
        break;
    case 0x9A:
        a = ActionGetUrl2{d.readU8()};
        break;
    case 0x9D:
        a = ActionIf{int16_t(d.readU16())};
        break;
    case 0x9F:
        a = ActionGotoFrame2{(d.readU8() & 1) != 0};
        break;
    default:
        return ActionUnknown{code, d.readBytes(length)};
    }
    expectConsumed(d, r);
    return a;
}

std::vector<Action> readActions(SwfReader& r) {
    std::vector<Action> actions;
    while (!r.failed()) {
        if (!r.need(1)) break;
        SwfReader peek = r;
        if (peek.readU8() == 0) {
            r.readU8();
            break;
        }
        actions.push_back(readAction(r));
    }
    return actions;
}

namespace {

void readPlaceFields(SwfReader& r, PlaceObject2& p, uint8_t flags) {
    if (flags & 0x02) p.characterId = r.readU16();
    if (flags & 0x04) p.matrix = readMatrix(r);
    if (flags & 0x08) p.colorTransform = readColorTransform(r);
    if (flags & 0x10) p.ratio = r.readU16();
    if (flags & 0x20) p.name = r.readString();
    if (flags & 0x40) p.clipDepth = r.readU16();
    if (flags & 0x80) r.fail(); // clip actions: never written
}

ButtonRecord readButtonRecord(SwfReader& r, uint8_t flags) {
    ButtonRecord b;
    b.hitTest = flags & 0x08;
    b.down = flags & 0x04;
    b.over = flags & 0x02;
    b.up = flags & 0x01;
    b.characterId = r.readU16();
    b.depth = r.readU16();
    b.matrix = readMatrix(r);
    b.colorTransform = readColorTransform(r);
    return b;
}

void readSoundFormatByte(SwfReader& r, SoundFormat& f, uint8_t& rate, bool& is16, bool& stereo) {
    f = SoundFormat(r.readBits(4));
    rate = uint8_t(r.readBits(2));
    is16 = r.readBits(1);
    stereo = r.readBits(1);
}

Payload readPayload(SwfReader& r) {
    return Payload{r.readBytes(r.remaining())};
}

Tag readBody(uint16_t code, SwfReader& b) {
    switch (TagCode(code)) {
    case TagCode::End:
        return End{};
    case TagCode::ShowFrame:
        return ShowFrame{};
    case TagCode::PlaceObject2: {
        PlaceObject2 p;
        uint8_t flags = b.readU8();
        p.move = flags & 0x01;
        p.depth = b.readU16();
        readPlaceFields(b, p, flags);
        return p;
    }
    case TagCode::PlaceObject3: {
        PlaceObject3 p;
        uint8_t flags = b.readU8();
        uint8_t flags2 = b.readU8();
        p.base.move = flags & 0x01;
        p.base.depth = b.readU16();
        if (flags2 & 0x19) b.fail(); // filters, class names, images: never written
        readPlaceFields(b, p.base, flags);
        if (flags2 & 0x02) p.blendMode = b.readU8();
        if (flags2 & 0x04) p.bitmapCache = b.readU8();
        return p;
    }
    case TagCode::RemoveObject: {
        RemoveObject r;
        r.characterId = b.readU16();
        r.depth = b.readU16();
        return r;
    }
    case TagCode::SetBackgroundColor:
        return SetBackgroundColor{readRgb(b)};
    case TagCode::DoAction:
        return DoAction{readActions(b)};
    case TagCode::FileAttributes:
        return FileAttributes{b.readU32()};
    case TagCode::Metadata:
        return Metadata{b.readString()};
    case TagCode::DefineShape3: {
        DefineShape3 d;
        d.id = b.readU16();
        d.bounds = readRect(b);
        d.shape = readShape(b);
        return d;
    }
    case TagCode::DefineBitsJpeg2: {
        DefineBitsJpeg2 d;
        d.id = b.readU16();
        d.data = readPayload(b);
        return d;
    }
    case TagCode::DefineBitsJpeg3: {
        DefineBitsJpeg3 d;
        d.id = b.readU16();
        d.jpeg.bytes = b.readBytes(b.readU32());
        d.alpha = readPayload(b);
        return d;
    }
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2: {
        DefineBitsLossless d;
        d.alpha = TagCode(code) == TagCode::DefineBitsLossless2;
        d.id = b.readU16();
        d.format = b.readU8();
        d.width = b.readU16();
        d.height = b.readU16();
        if (d.format == 3) d.colorTableSize = b.readU8();
        d.data = readPayload(b);
        return d;
    }
    case TagCode::DefineButton2: {
        DefineButton2 d;
        d.id = b.readU16();
        d.trackAsMenu = b.readU8() & 1;
        uint16_t actionOffset = b.readU16();
        size_t recordsStart = b.position();
        while (!b.failed()) {
            uint8_t flags = b.readU8();
            if (flags == 0) break;
            d.records.push_back(readButtonRecord(b, flags));
        }
        if (actionOffset != 0) {
            if (b.position() - recordsStart + 2 != actionOffset) b.fail();
            while (!b.failed()) {
                uint16_t size = b.readU16();
                ButtonCondAction c;
                c.conditions = b.readU16();
                if (size != 0) {
                    if (size < 4) {
                        b.fail();
                        break;
                    }
                    SwfReader actions = b.sub(size - 4);
                    c.actions = readActions(actions);
                    expectConsumed(actions, b);
                } else {
                    c.actions = readActions(b);
                }
                d.conditions.push_back(std::move(c));
                if (size == 0) break;
            }
        }
        return d;
    }
    case TagCode::DefineEditText: {
        DefineEditText d;
        d.id = b.readU16();
        d.bounds = readRect(b);
        bool hasText = b.readBits(1);
        d.wordWrap = b.readBits(1);
        d.multiline = b.readBits(1);
        d.password = b.readBits(1);
        d.readOnly = b.readBits(1);
        bool hasColor = b.readBits(1);
        bool hasMaxLength = b.readBits(1);
        bool hasFont = b.readBits(1);
        bool hasFontClass = b.readBits(1);
        d.autoSize = b.readBits(1);
        bool hasLayout = b.readBits(1);
        d.noSelect = b.readBits(1);
        d.border = b.readBits(1);
        d.wasStatic = b.readBits(1);
        d.html = b.readBits(1);
        d.useOutlines = b.readBits(1);
        if (hasFontClass) b.fail();
        if (hasFont) {
            d.fontId = b.readU16();
            d.fontHeight = b.readU16();
        }
        if (hasColor) d.textColor = readRgba(b);
        if (hasMaxLength) d.maxLength = b.readU16();
        if (hasLayout) {
            EditTextLayout l;
            l.align = b.readU8();
            l.leftMargin = b.readU16();
            l.rightMargin = b.readU16();
            l.indent = b.readU16();
            l.leading = int16_t(b.readU16());
            d.layout = l;
        }
        d.variableName = b.readString();
        if (hasText) d.initialText = b.readString();
        return d;
    }
    case TagCode::DefineFont2: {
        DefineFont2 d;
        d.id = b.readU16();
        bool hasLayout = b.readBits(1);
        d.shiftJis = b.readBits(1);
        d.smallText = b.readBits(1);
        d.ansi = b.readBits(1);
        d.wideOffsets = b.readBits(1);
        d.wideCodes = b.readBits(1);
        d.italic = b.readBits(1);
        d.bold = b.readBits(1);
        d.language = b.readU8();
        uint8_t nameLength = b.readU8();
        std::vector<uint8_t> name = b.readBytes(nameLength);
        d.name.assign(name.begin(), name.end());
        if (b.readU16() != 0 || !hasLayout) b.fail(); // only device fonts are written
        d.ascent = b.readU16();
        d.descent = b.readU16();
        d.leading = int16_t(b.readU16());
        if (b.readU16() != 0) b.fail();
        return d;
    }
    case TagCode::DefineSprite: {
        DefineSprite d;
        d.id = b.readU16();
        d.frameCount = b.readU16();
        while (!b.failed()) {
            Tag t = readTag(b);
            if (t.is<End>()) break;
            d.tags.push_back(std::move(t));
        }
        return d;
    }
    case TagCode::DefineSound: {
        DefineSound d;
        d.id = b.readU16();
        readSoundFormatByte(b, d.format, d.rate, d.is16Bit, d.stereo);
        d.sampleCount = b.readU32();
        d.data = readPayload(b);
        return d;
    }
    case TagCode::StartSound: {
        StartSound d;
        d.soundId = b.readU16();
        if (b.readU8() != 0) b.fail(); // only the all-zero SOUNDINFO is written
        return d;
    }
    case TagCode::SoundStreamHead: {
        SoundStreamHead d;
        b.readBits(4);
        d.playbackRate = uint8_t(b.readBits(2));
        d.playback16Bit = b.readBits(1);
        d.playbackStereo = b.readBits(1);
        readSoundFormatByte(b, d.format, d.rate, d.is16Bit, d.stereo);
        d.samplesPerFrame = b.readU16();
        if (d.format == SoundFormat::Mp3) d.latencySeek = int16_t(b.readU16());
        return d;
    }
    case TagCode::SoundStreamBlock:
        return SoundStreamBlock{readPayload(b)};
    default:
        return UnknownTag{code, b.readBytes(b.remaining())};
    }
}

} // namespace

Tag readTag(SwfReader& r) {
    uint16_t head = r.readU16();
    uint16_t code = head >> 6;
    uint32_t length = head & 0x3F;
    if (length == 0x3F) length = r.readU32();
    SwfReader body = r.sub(length);
    if (r.failed()) return UnknownTag{code, {}};
    Tag t = readBody(code, body);
    expectConsumed(body, r);
    return t;
}

Header readHeader(SwfReader& r) {
    Header h;
    uint8_t sig = r.readU8();
    if (sig != 'F' && sig != 'C') r.fail();
    h.compressed = sig == 'C';
    if (r.readU8() != 'W' || r.readU8() != 'S') r.fail();
    h.version = r.readU8();
    h.fileLength = r.readU32();
    h.frameSize = readRect(r);
    h.frameRate = Fixed8{r.readU16()};
    h.frameCount = r.readU16();
    return h;
}

namespace {

// The header and the inflated rest of a compressed file. The output grows with what actually
// inflates, so a false declared length cannot make us allocate it up front; it must match exactly.
bool inflateBody(const std::vector<uint8_t>& bytes, uint32_t fileLength, std::vector<uint8_t>& out) {
    if (fileLength < 8) return false;
    out.assign(bytes.begin(), bytes.begin() + 8);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(bytes.data() + 8);
    z.avail_in = uInt(bytes.size() - 8);
    int rc = Z_OK;
    uint8_t chunk[64 * 1024];
    while (rc == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        size_t n = sizeof chunk - z.avail_out;
        if (out.size() + n > fileLength)
            rc = Z_DATA_ERROR;
        else
            out.insert(out.end(), chunk, chunk + n);
        if (rc == Z_OK && n == 0 && z.avail_in == 0) rc = Z_BUF_ERROR; // truncated stream
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END && out.size() == fileLength;
}

} // namespace

ReadResult readSwf(const std::vector<uint8_t>& bytes) {
    ReadResult result;
    if (bytes.size() < 8 || (bytes[0] != 'F' && bytes[0] != 'C') || bytes[1] != 'W' || bytes[2] != 'S') {
        result.error = "not a SWF file";
        return result;
    }
    uint32_t fileLength =
        uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 | uint32_t(bytes[7]) << 24;
    std::vector<uint8_t> plain;
    const std::vector<uint8_t>* data = &bytes;
    if (bytes[0] == 'C') {
        if (!inflateBody(bytes, fileLength, plain)) {
            result.error = "bad compressed data";
            return result;
        }
        data = &plain;
    } else if (fileLength != bytes.size()) {
        result.error =
            "file length " + std::to_string(fileLength) + " but " + std::to_string(bytes.size()) + " bytes";
        return result;
    }
    SwfReader r(*data);
    result.file.header = readHeader(r);
    bool ended = false;
    while (!r.failed() && r.remaining() > 0) {
        size_t at = r.position();
        Tag t = readTag(r);
        if (r.failed()) {
            result.error = "bad tag " + std::to_string(uint16_t(t.code())) + " at byte " + std::to_string(at);
            return result;
        }
        if (t.is<End>()) {
            ended = true;
            break;
        }
        result.file.tags.push_back(std::move(t));
    }
    if (r.failed())
        result.error = "bad header";
    else if (!ended)
        result.error = "no End tag";
    else if (r.remaining() != 0)
        result.error = "bytes after the End tag";
    return result;
}

} // namespace tavlo::swf
