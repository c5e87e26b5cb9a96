#pragma once
// The start time of every frame in the movie (`movieTime`, 1/100 s), in playing order: deleted
// frames take no time, go-to actions in linear play send the walk to their target once.
#include "project/project.h"

namespace tavlo::movie {

void computeMovieTimes(project::Project& project, double playbackSpeed);

// The go-to target of a frame as a 1-based frame number of this project, or 0 when there is none
// or the stored number lies outside the project.
int goToTarget(const project::Project& project, const project::Frame& frame);

} // namespace tavlo::movie
