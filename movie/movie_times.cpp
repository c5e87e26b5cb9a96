#include "movie/movie_times.h"

#include <cmath>
#include <vector>

namespace tavlo::movie {

int goToTarget(const project::Project& project, const project::Frame& frame) {
    const int t = frame.actionGoToFrame;
    return t >= 1 && t <= project.frameCount() ? t : 0;
}

void computeMovieTimes(project::Project& project, double playbackSpeed) {
    if (!(playbackSpeed > 0)) playbackSpeed = 1.0;
    const int n = project.frameCount();
    const auto& frames = project.frames();
    std::vector<char> timed(std::size_t(n), 0);
    double t = 0;
    int i = 0; // 0-based
    while (i < n) {
        if (timed[std::size_t(i)]) { // each go-to is followed once: a timed frame is passed over
            ++i;
            continue;
        }
        project::FrameNode& f = *frames[std::size_t(i)];
        f.frame.movieTime = int(std::trunc(t));
        timed[std::size_t(i)] = 1;
        if (!f.frame.deleted) t += project.effectiveDisplayTime(f) / playbackSpeed;
        if (!f.frame.deleted && f.frame.actionGoTo && f.frame.actionLinearPlay) {
            const int target = goToTarget(project, f.frame);
            if (target == 0) break;
            for (int k = 0; k < target - 1; ++k)
                if (!timed[std::size_t(k)]) {
                    frames[std::size_t(k)]->frame.movieTime = 0;
                    timed[std::size_t(k)] = 1;
                }
            i = target - 1;
            continue;
        }
        ++i;
    }
}

} // namespace tavlo::movie
