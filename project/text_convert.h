#pragma once
// UTF-8 (the system encoding for outside texts) to and from UTF-16 (bubble texts in memory).
#include <string>
#include <string_view>

namespace tavlo::project {

// Invalid sequences become U+FFFD; never fails.
std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);

} // namespace tavlo::project
