#pragma once
// Text fields (DefineEditText) and the device fonts they use (DefineFont2 without glyphs).
#include "swf/swf_object.h"

#include <string>
#include <string_view>

namespace tavlo::swf {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

class SwfFont : public SwfObject {
public:
    // The id is taken at once, so text fields can refer to the font before it is placed.
    SwfFont(SwfContext& ctx, std::string name, bool italic, bool bold);

protected:
    void define(FrameTags& tags, SwfMovie& timeline) override;

private:
    std::string name_;
    bool italic_, bold_;
};

class SwfTextField : public SwfObject {
public:
    SwfTextField(SwfContext& ctx, int x0, int y0, int x1, int y1, std::u16string_view text);

    void setColour(Rgba c) { colour_ = c; }
    void setText(std::u16string_view text) { text_ = utf8FromUtf16(text); }
    void setVariableName(std::string name) { variableName_ = std::move(name); }
    // On clears read-only and no-select, off sets both.
    void setEditable(bool on) { readOnly_ = noSelect_ = !on; }
    void setPassword(bool on) { password_ = on; }
    void setWordWrap(bool on) { wordWrap_ = on; }
    void setFontHeight(int twips) { fontHeight_ = twips; }
    void setAlign(int align) { align_ = align; }
    void setFont(const SwfFont& font) { fontId_ = font.characterId; }
    void setFontId(int id) { fontId_ = id; }
    const std::string& text() const { return text_; }

protected:
    void define(FrameTags& tags, SwfMovie& timeline) override;
    Tag placingTag() const override;

private:
    int x0_, y0_, x1_, y1_;
    std::string text_;
    Rgba colour_{0, 0, 0, 255};
    int fontId_ = -1;
    int fontHeight_ = 240;
    int align_ = 2;
    bool readOnly_ = true, password_ = false, wordWrap_ = false, noSelect_ = true;
    std::string variableName_;
    bool placeObject3_;
};

} // namespace tavlo::swf
