#pragma once
// The configured application handed to the recorder window: folders, advanced options, the
// last-used state and the custom defaults, read at start and written at the end.
#include "app/custom_defaults.h"
#include "app/state_file.h"
#include "core/app_config.h"
#include "core/ui_prompts.h"
#include "platform/paths.h"

#include <functional>

namespace tavlo {

inline constexpr const char* kConfigFileName = "config.txt";
inline constexpr const char* kStateFileName = "Tavlo.ini";
inline constexpr const char* kCustomDefaultsFileName = "TavloCustom.ini";

class Application {
public:
    Application(Paths paths, UiPrompts& ui);

    Paths& paths() { return paths_; }
    UiPrompts& ui() { return ui_; }
    AppConfig& config() { return config_; }
    AppState& state() { return state_; }
    CustomDefaults& customDefaults() { return custom_; }

    // Reads "config.txt" and "Tavlo.ini" (user folder, else install location) and, when asked for,
    // "TavloCustom.ini". Missing files are not errors: the defaults stand.
    void loadSettings();
    // The closing step: writes "config.txt" and "Tavlo.ini" into the user folder; after a factory
    // reset the two files are deleted right after writing.
    bool saveSettings();

    bool saveCustomDefaults();
    bool loadCustomDefaults();

    // Asks, and on Yes forgets every user setting and starts the program afresh through
    // `restart`. Returns false when the user declined or the restart could not happen (the caller
    // then closes normally).
    bool resetToFactoryDefaults(const std::function<bool()>& restart);
    bool factoryResetMarked() const { return factoryReset_; }

    std::string userFile(const char* name) const;

private:
    Paths paths_;
    UiPrompts& ui_;
    AppConfig config_;
    AppState state_;
    CustomDefaults custom_;
    bool factoryReset_ = false;
};

} // namespace tavlo
