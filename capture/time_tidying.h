#pragma once
#include "project/project.h"

namespace tavlo::capture {

// Rounds recorded frame times to multiples of 5 (1/100 s), carrying the remainder to the next
// frame so the total stays true; frames shorter than 5 get 5 and owe the difference, and once
// more than 15 is owed the tidying stops. With sound, each frame's sound position becomes the
// sum of the tidied times before it.
void tidyFrameTimes(project::Project& project, bool withSound);

} // namespace tavlo::capture
