#pragma once
// Publishing a saved project file: load it read-only, paint its frames from the file (with their
// image edits) and build the movie. Shared by `tavlo publish` and the recorder's "/c".
#include "core/app_config.h"
#include "movie/movie_builder.h"

#include <functional>
#include <string>

namespace tavlo::movie {

// The advanced options of "config.txt" that a movie reads.
void applyConfig(const AppConfig& config, MovieOptions& options);

// Changes made to the project's own options before the build (configuration, command line).
using OptionEdits = std::function<void(MovieOptions&)>;

// The movie is built with the options the project stores (request.options is replaced by them),
// then `edits`. Without request.outputPath the movie goes beside the project, named after it. A
// project that cannot be opened gives Outcome::Failed with the reason.
BuildResult publishProjectFile(const std::string& projectPath, BuildRequest request, UiPrompts& prompts,
                               const OptionEdits& edits = {});

// The movie path beside a project: "lesson.tavlo" → "lesson.swf".
std::string moviePathFor(const std::string& projectPath);

} // namespace tavlo::movie
