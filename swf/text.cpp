#include "swf/text.h"

namespace tavlo::swf {

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

SwfFont::SwfFont(SwfContext& ctx, std::string name, bool italic, bool bold)
    : SwfObject(ctx), name_(std::move(name)), italic_(italic), bold_(bold) {
    characterId = ctx.nextCharacterId();
    defineOnly = true;
}

void SwfFont::define(FrameTags& tags, SwfMovie&) {
    DefineFont2 d;
    d.id = uint16_t(characterId);
    if (ctx_.flash4Compatible)
        d.ansi = true;
    else
        d.wideCodes = true;
    d.italic = italic_;
    d.bold = bold_;
    d.name = name_.substr(0, 255);
    appendTag(tags, std::move(d));
}

SwfTextField::SwfTextField(SwfContext& ctx, int x0, int y0, int x1, int y1, std::u16string_view text)
    : SwfObject(ctx), x0_(x0), y0_(y0), x1_(x1), y1_(y1), text_(utf8FromUtf16(text)),
      placeObject3_(ctx.cacheTextAsBitmap) {}

void SwfTextField::define(FrameTags& tags, SwfMovie&) {
    if (variableName_.empty()) variableName_ = "T" + std::to_string(ctx_.textFieldNames++);
    characterId = ctx_.nextCharacterId();
    DefineEditText d;
    d.id = uint16_t(characterId);
    d.bounds = Rect{Twips(x0_), Twips(x1_), Twips(y0_), Twips(y1_)};
    d.wordWrap = wordWrap_;
    d.password = password_;
    d.readOnly = readOnly_;
    d.noSelect = noSelect_;
    if (fontId_ != -1) {
        d.fontId = uint16_t(fontId_);
        d.fontHeight = uint16_t(fontHeight_);
    }
    d.textColor = colour_;
    d.layout = EditTextLayout{uint8_t(align_), 0, 0, 0, int16_t(fontHeight_ / 2)};
    d.variableName = variableName_;
    d.initialText = text_;
    appendTag(tags, std::move(d));
}

Tag SwfTextField::placingTag() const {
    if (!placeObject3_) return placeObject2(false); // text fields carry no instance name
    PlaceObject3 p3;
    p3.base = placeObject2(false);
    p3.blendMode = 2; // layer
    p3.bitmapCache = 0;
    return p3;
}

} // namespace tavlo::swf
