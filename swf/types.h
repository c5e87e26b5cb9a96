#pragma once
// Plain values for every record, action and tag that Tavlo writes. The writer (write.h) turns them
// into bytes and the reader (read.h) turns those bytes back into the same values, one function
// per record on each side.
#include "swf/units.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tavlo::swf {

enum class TagCode : uint16_t {
    End = 0,
    ShowFrame = 1,
    RemoveObject = 5,
    SetBackgroundColor = 9,
    DoAction = 12,
    DefineSound = 14,
    StartSound = 15,
    SoundStreamHead = 18,
    SoundStreamBlock = 19,
    DefineBitsLossless = 20,
    DefineBitsJpeg2 = 21,
    PlaceObject2 = 26,
    DefineShape3 = 32,
    DefineButton2 = 34,
    DefineBitsJpeg3 = 35,
    DefineBitsLossless2 = 36,
    DefineEditText = 37,
    DefineSprite = 39,
    DefineFont2 = 48,
    ExportAssets = 56,
    FileAttributes = 69,
    PlaceObject3 = 70,
    Metadata = 77,
};

// ---- records ----

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

struct Rect {
    Twips xMin, xMax, yMin, yMax;
    bool operator==(const Rect&) const = default;
};

// Without scale, rotation and translation it is the identity, written as one 0 byte.
struct Matrix {
    std::optional<std::array<Fixed16, 2>> scale;  // ScaleX, ScaleY
    std::optional<std::array<Fixed16, 2>> rotate; // RotateSkew0, RotateSkew1
    Twips translateX, translateY;
    bool isIdentity() const { return !scale && !rotate && translateX.value == 0 && translateY.value == 0; }
    bool operator==(const Matrix&) const = default;
};

// CXFORMWITHALPHA. Terms of an absent group are 0; the bit count covers all eight terms.
struct ColorTransform {
    bool hasMult = false, hasAdd = false;
    std::array<int16_t, 4> mult{}; // R, G, B, A (256 = 1.0)
    std::array<int16_t, 4> add{};
    bool operator==(const ColorTransform&) const = default;
};

struct GradientRecord {
    uint8_t ratio = 0;
    Rgba color;
    bool operator==(const GradientRecord&) const = default;
};

enum class FillType : uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;                           // solid
    Matrix matrix;                        // gradients and bitmaps
    std::vector<GradientRecord> gradient; // gradients
    uint16_t bitmapId = 0;                // bitmaps
    bool operator==(const FillStyle&) const = default;
};

struct LineStyle {
    uint16_t width = 0;
    Rgba color;
    bool operator==(const LineStyle&) const = default;
};

struct StyleChange {
    std::optional<std::array<Twips, 2>> moveTo;
    std::optional<uint32_t> fillStyle0, fillStyle1, lineStyle;
    bool operator==(const StyleChange&) const = default;
};

struct StraightEdge {
    Twips dx, dy;
    bool operator==(const StraightEdge&) const = default;
};

struct CurvedEdge {
    Twips controlDx, controlDy, anchorDx, anchorDy;
    bool operator==(const CurvedEdge&) const = default;
};

using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;

// SHAPEWITHSTYLE; the end record is implied.
struct Shape {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeRecord> records;
    bool operator==(const Shape&) const = default;
};

// Bytes of a large body part. The writer registers them as an external block of the stream: from
// memory, or from the bitmap cache file when `cached`. `lost` marks a payload whose caching failed;
// a file is cut before the tag that holds it.
struct Payload {
    std::vector<uint8_t> bytes;
    bool cached = false;
    bool lost = false;
    uint64_t cacheOffset = 0;
    uint32_t cacheLength = 0;
    uint32_t size() const { return cached ? cacheLength : uint32_t(bytes.size()); }
    bool operator==(const Payload&) const = default;
};

// ---- actions ----

struct PushString {
    std::string value;
    bool operator==(const PushString&) const = default;
};
struct PushFloat {
    uint32_t bits = 0; // IEEE single, as a bit pattern
    bool operator==(const PushFloat&) const = default;
};
struct PushInteger {
    uint32_t value = 0;
    bool operator==(const PushInteger&) const = default;
};
struct PushDouble {
    uint64_t bits = 0; // IEEE double; written high half first as the format requires
    bool operator==(const PushDouble&) const = default;
};
using PushValue = std::variant<PushString, PushFloat, PushInteger, PushDouble>;

struct ActionGotoFrame {
    uint16_t frame = 0;
    bool operator==(const ActionGotoFrame&) const = default;
};
struct ActionSetTarget {
    std::string target;
    bool operator==(const ActionSetTarget&) const = default;
};
struct ActionPush {
    std::vector<PushValue> values;
    bool operator==(const ActionPush&) const = default;
};
struct ActionJump {
    int16_t offset = 0;
    bool operator==(const ActionJump&) const = default;
};
struct ActionGetUrl2 {
    uint8_t flags = 0;
    bool operator==(const ActionGetUrl2&) const = default;
};
struct ActionIf {
    int16_t offset = 0;
    bool operator==(const ActionIf&) const = default;
};
struct ActionGotoFrame2 {
    bool play = false;
    bool operator==(const ActionGotoFrame2&) const = default;
};
// A one-byte action (code below 0x80): Play, Stop, Add, GetVariable, ...
struct ActionCode {
    uint8_t code = 0;
    bool operator==(const ActionCode&) const = default;
};
// Any record the reader does not know, kept as it stood.
struct ActionUnknown {
    uint8_t code = 0;
    std::vector<uint8_t> data;
    bool operator==(const ActionUnknown&) const = default;
};

using Action = std::variant<ActionGotoFrame, ActionSetTarget, ActionPush, ActionJump, ActionGetUrl2, ActionIf,
                            ActionGotoFrame2, ActionCode, ActionUnknown>;

namespace op {
inline constexpr uint8_t Play = 0x06, Stop = 0x07, Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C,
                         Divide = 0x0D, Less = 0x0F, Not = 0x12, StringLength = 0x14, Pop = 0x17,
                         ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D, SetTarget2 = 0x20,
                         StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23, StartDrag = 0x27,
                         EndDrag = 0x28, NewObject = 0x40, CallMethod = 0x52;
} // namespace op

// ---- tags ----

struct Tag;

struct End {
    bool operator==(const End&) const = default;
};
struct ShowFrame {
    bool operator==(const ShowFrame&) const = default;
};

struct PlaceObject2 {
    bool move = false;
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    bool operator==(const PlaceObject2&) const = default;
};

// PlaceObject2's fields plus the second flag byte's blend mode and bitmap-cache byte.
struct PlaceObject3 {
    PlaceObject2 base;
    std::optional<uint8_t> blendMode;   // 2 = layer
    std::optional<uint8_t> bitmapCache; // present with HasCacheAsBitmap
    bool operator==(const PlaceObject3&) const = default;
};

struct RemoveObject {
    uint16_t characterId = 0;
    uint16_t depth = 0;
    bool operator==(const RemoveObject&) const = default;
};

struct SetBackgroundColor {
    Rgb color;
    bool operator==(const SetBackgroundColor&) const = default;
};

struct DoAction {
    std::vector<Action> actions;
    bool operator==(const DoAction&) const = default;
};

struct FileAttributes {
    uint32_t flags = 0x10; // HasMetadata only
    bool operator==(const FileAttributes&) const = default;
};

struct Metadata {
    std::string xml;
    bool operator==(const Metadata&) const = default;
};

struct DefineShape3 {
    uint16_t id = 0;
    Rect bounds;
    Shape shape;
    bool operator==(const DefineShape3&) const = default;
};

struct DefineBitsJpeg2 {
    uint16_t id = 0;
    Payload data;
    bool operator==(const DefineBitsJpeg2&) const = default;
};

// `jpeg` is a complete JPEG stream (the alpha offset is its length), `alpha` the zlib-compressed
// alpha plane.
struct DefineBitsJpeg3 {
    uint16_t id = 0;
    Payload jpeg;
    Payload alpha;
    bool operator==(const DefineBitsJpeg3&) const = default;
};

// Tag 36 when `alpha`, else 20. `data` is the zlib stream of colour table and pixels.
struct DefineBitsLossless {
    uint16_t id = 0;
    bool alpha = false;
    uint8_t format = 5; // 3 colour-mapped, 4 15-bit, 5 32-bit
    uint16_t width = 0, height = 0;
    uint8_t colorTableSize = 0; // colour count - 1, format 3 only
    Payload data;
    bool operator==(const DefineBitsLossless&) const = default;
};

struct ButtonRecord {
    bool hitTest = false, down = false, over = false, up = false;
    uint16_t characterId = 0;
    uint16_t depth = 1;
    Matrix matrix;
    ColorTransform colorTransform;
    bool operator==(const ButtonRecord&) const = default;
};

struct ButtonCondAction {
    uint16_t conditions = 0; // first flag byte in the low 8 bits, key << 9, OverDownToIdle 0x100
    std::vector<Action> actions;
    bool operator==(const ButtonCondAction&) const = default;
};

struct DefineButton2 {
    uint16_t id = 0;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonCondAction> conditions;
    bool operator==(const DefineButton2&) const = default;
};

struct EditTextLayout {
    uint8_t align = 0;
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    int16_t leading = 0;
    bool operator==(const EditTextLayout&) const = default;
};

struct DefineEditText {
    uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false,
         useOutlines = false;
    std::optional<uint16_t> fontId; // with the font height
    uint16_t fontHeight = 0;
    std::optional<Rgba> textColor;
    std::optional<uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    std::optional<std::string> initialText;
    bool operator==(const DefineEditText&) const = default;
};

// A device font: no glyphs, layout present with zero metrics and no kerning.
struct DefineFont2 {
    uint16_t id = 0;
    bool shiftJis = false, smallText = false, ansi = false, wideOffsets = false, wideCodes = false;
    bool italic = false, bold = false;
    uint8_t language = 0;
    std::string name;
    uint16_t ascent = 0, descent = 0;
    int16_t leading = 0;
    bool operator==(const DefineFont2&) const = default;
};

struct DefineSprite {
    uint16_t id = 0;
    uint16_t frameCount = 0;
    std::vector<Tag> tags; // the End tag is implied
    bool operator==(const DefineSprite&) const;
};

enum class SoundFormat : uint8_t { Adpcm = 1, Mp3 = 2 };

struct DefineSound {
    uint16_t id = 0;
    SoundFormat format = SoundFormat::Adpcm;
    uint8_t rate = 0; // 0 5.5 kHz, 1 11 kHz, 2 22 kHz, 3 44 kHz
    bool is16Bit = true, stereo = false;
    uint32_t sampleCount = 0;
    Payload data;
    bool operator==(const DefineSound&) const = default;
};

// SOUNDINFO with all flags 0.
struct StartSound {
    uint16_t soundId = 0;
    bool operator==(const StartSound&) const = default;
};

struct SoundStreamHead {
    uint8_t playbackRate = 0;
    bool playback16Bit = true, playbackStereo = false;
    SoundFormat format = SoundFormat::Adpcm;
    uint8_t rate = 0;
    bool is16Bit = true, stereo = false;
    uint16_t samplesPerFrame = 0;
    int16_t latencySeek = 0; // MP3 only
    bool operator==(const SoundStreamHead&) const = default;
};

struct SoundStreamBlock {
    Payload data;
    bool operator==(const SoundStreamBlock&) const = default;
};

// A tag the reader does not know, kept as it stood.
struct UnknownTag {
    uint16_t code = 0;
    std::vector<uint8_t> body;
    bool operator==(const UnknownTag&) const = default;
};

using TagBody =
    std::variant<End, ShowFrame, PlaceObject2, PlaceObject3, RemoveObject, SetBackgroundColor, DoAction,
                 FileAttributes, Metadata, DefineShape3, DefineBitsJpeg2, DefineBitsJpeg3, DefineBitsLossless,
                 DefineButton2, DefineEditText, DefineFont2, DefineSprite, DefineSound, StartSound,
                 SoundStreamHead, SoundStreamBlock, UnknownTag>;

struct Tag {
    TagBody body;
    Tag() = default;
    template <class T>
    requires(!std::is_same_v<std::decay_t<T>, Tag>) Tag(T&& value) : body(std::forward<T>(value)) {}
    bool operator==(const Tag&) const = default;

    template <class T> T* as() { return std::get_if<T>(&body); }
    template <class T> const T* as() const { return std::get_if<T>(&body); }
    template <class T> bool is() const { return std::holds_alternative<T>(body); }
    TagCode code() const;
    // The id a definition tag defines, 0 for control tags.
    uint16_t characterId() const;
    bool isShowFrame() const { return is<ShowFrame>(); }
};

inline bool DefineSprite::operator==(const DefineSprite&) const = default;

struct Header {
    bool compressed = false;
    uint8_t version = 6;
    uint32_t fileLength = 0;
    Rect frameSize;
    Fixed8 frameRate;
    uint16_t frameCount = 0;
    bool operator==(const Header&) const = default;
};

struct SwfFile {
    Header header;
    std::vector<Tag> tags; // without the final End
};

} // namespace tavlo::swf
