#pragma once
// Whole-file reads and safe replacement: a save writes beside the target and renames over it, so
// the only good copy is never destroyed by a failed write.
#include <optional>
#include <string>
#include <string_view>

namespace tavlo {

std::optional<std::string> readWholeFile(const std::string& path);
// Writes `bytes` to path + ".part", flushes it to disk and renames it over `path`.
bool writeFileReplacing(const std::string& path, std::string_view bytes);
bool isDirectory(const std::string& path);
bool fileExists(const std::string& path);
// Joins a folder and a name with exactly one "/".
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace tavlo
