#include "movie/publish_file.h"

#include "movie/project_options.h"
#include "project/frame_store.h"
#include "project/project_file.h"

namespace tavlo::movie {

void applyConfig(const AppConfig& config, MovieOptions& options) {
    options.granularity = config.granularity;
    options.noiseFilter = config.noiseFilter;
    options.playbackSpeed = config.playbackSpeed;
}

std::string moviePathFor(const std::string& projectPath) {
    std::string out = projectPath;
    const std::size_t dot = out.rfind('.'), slash = out.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) out.resize(dot);
    return out + ".swf";
}

BuildResult publishProjectFile(const std::string& projectPath, BuildRequest request, UiPrompts& prompts,
                               const OptionEdits& edits) {
    BuildResult failed;
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    if (!project::load(prompts, projectPath, p, o)) {
        failed.error = "cannot open " + projectPath;
        return failed;
    }
    request.options = movieOptionsOf(p);
    if (edits) edits(request.options);
    project::FrameStore store(p);
    if (!store.open(failed.error)) return failed;
    StoreFrameSource recorded(store);
    EditedFrameSource frames(p, recorded);
    if (request.outputPath.empty()) request.outputPath = moviePathFor(projectPath);
    return buildMovie(p, frames, prompts, request);
}

} // namespace tavlo::movie
