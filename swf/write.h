#pragma once
// Values to bytes: one function per record, mirrored by read.h.
#include "swf/stream.h"
#include "swf/types.h"

namespace tavlo::swf {

void writeRgb(SwfStream& s, const Rgb& c);
void writeRgba(SwfStream& s, const Rgba& c);
void writeRect(SwfStream& s, const Rect& r);
void writeMatrix(SwfStream& s, const Matrix& m);
void writeColorTransform(SwfStream& s, const ColorTransform& c);
void writeFillStyle(SwfStream& s, const FillStyle& f);
void writeLineStyle(SwfStream& s, const LineStyle& l);
void writeShape(SwfStream& s, const Shape& shape);
void writeAction(SwfStream& s, const Action& a);
void writeActions(SwfStream& s, const std::vector<Action>& actions); // then the 0 byte
void writePayload(SwfStream& s, const Payload& p);
// The body alone, and the whole tag (header + body) appended to `s`.
void writeTagBody(SwfStream& body, const Tag& tag);
void writeTag(SwfStream& s, const Tag& tag);
// The header. Its frame RECT has 15-bit fields (a 21-byte header) for sizes up to 16383 twips,
// and as many bits as larger sizes need rather than wrapping them.
void writeHeader(SwfStream& s, const Header& h);

// The number of bytes writeAction would write.
size_t actionLength(const Action& a);

} // namespace tavlo::swf
