#pragma once
// Compresses a written movie in place: "CWS", the version and the uncompressed length kept, the
// rest deflated at level 9. On any error or cancel the uncompressed movie stays as it was.
#include "core/ui_prompts.h"

#include <string>

namespace tavlo::movie {

enum class CompressResult { Compressed, Cancelled, Failed };

CompressResult compressMovie(const std::string& path, Progress* progress);

} // namespace tavlo::movie
