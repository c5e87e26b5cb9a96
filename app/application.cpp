#include "app/application.h"

#include "core/file_util.h"

#include <unistd.h>

namespace tavlo {

Application::Application(Paths paths, UiPrompts& ui) : paths_(std::move(paths)), ui_(ui) {
    config_.tempDirectory = paths_.systemTempPath();
}

std::string Application::userFile(const char* name) const {
    return joinPath(paths_.userFolder(), name);
}

void Application::loadSettings() {
    config_ = AppConfig{};
    config_.tempDirectory = paths_.systemTempPath();
    if (std::string f = paths_.findSettingsFile(kConfigFileName); !f.empty()) readConfigFile(f, config_);
    if (std::string f = paths_.findSettingsFile(kStateFileName); !f.empty()) readState(f, state_, config_);
    loadCustomDefaults();
}

bool Application::saveSettings() {
    const std::string config = userFile(kConfigFileName);
    const std::string state = userFile(kStateFileName);
    bool ok = writeConfigFile(config, config_);
    ok = writeState(state, state_, config_) && ok;
    if (factoryReset_) {
        ::unlink(config.c_str());
        ::unlink(state.c_str());
    }
    return ok;
}

bool Application::saveCustomDefaults() {
    custom_ = customDefaultsFrom(config_, custom_);
    return tavlo::saveCustomDefaults(ui_, userFile(kCustomDefaultsFileName), custom_);
}

bool Application::loadCustomDefaults() {
    if (!tavlo::loadCustomDefaults(config_, paths_.findSettingsFile(kCustomDefaultsFileName), custom_))
        return false;
    applyCustomDefaults(custom_, config_);
    return true;
}

bool Application::resetToFactoryDefaults(const std::function<bool()>& restart) {
    Answer a = ui_.question(
        "警告!\nAll User defined settings in Tavlo will be removed.\n\nDo you want to reset Tavlo to "
        "Factory Defaults?    ",
        "Reset to Factory Defaults...", Buttons::YesNoCancel, Icon::Warning, Answer::No);
    if (a != Answer::Yes) return false;
    factoryReset_ = true;
    saveSettings();
    return restart();
}

} // namespace tavlo
