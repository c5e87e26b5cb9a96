#pragma once
// A bubble's texts per language. While a frame is shown, its own bubble texts, speech and bubble
// position are those of the current language; they go back into that language's entry before
// the frame is saved or the language changes.
#include "project/project.h"

#include <string>
#include <vector>

namespace tavlo::project {

// The entry of `langs` for the language `name`, or -1.
int languageEntry(const std::vector<LanguageText>& langs, const std::string& name);

// The frame's entries with the current values stored into the current language's entry. A new
// entry is made when the frame has text but no entry for it: always with `evenWithoutEntries`,
// otherwise only when the frame has other entries or speech (speech is kept per language only).
std::vector<LanguageText> languagesWithCurrent(const FrameNode& f, const std::string& current,
                                               bool evenWithoutEntries);

// Shows the language `name` in the frame: its texts, speech and position from its entry.
void takeLanguage(FrameNode& f, const std::string& name);

// Makes language slot `index` (0 = default) current for every frame.
void switchLanguage(Project& p, int index);

} // namespace tavlo::project
