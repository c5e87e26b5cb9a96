#pragma once
// The settings block: the defaults for new annotations and the option values of the settings
// dialogs. The project file holds it in full; the custom-defaults file holds it without the items
// that belong to one project only.
#include "project/project_defaults.h"
#include "project/publish_settings.h"
#include "project/section_io.h"

namespace tavlo::project {

enum class SettingsForm { Project, CustomDefaults };

void writeSettingsBlock(SectionWriter& w, const ProjectDefaults& d, const SettingsBlock& s, SettingsForm form,
                        int version = 866);
// Reads the items that a file of `version` has; the others keep their values. False when the
// block is cut short or malformed (then `d` and `s` are unchanged).
bool readSettingsBlock(SectionReader& r, int version, ProjectDefaults& d, SettingsBlock& s,
                       SettingsForm form);

// Item versions of the block, for writers of older files in tests.
inline constexpr int kSettingsCodecSince = 600;
inline constexpr int kSettingsLanguagesSince = 750;

} // namespace tavlo::project
