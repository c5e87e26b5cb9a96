#include "app/gui/gui_main.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    return tavlo::runTavlo(std::vector<std::string>(argv + 1, argv + argc), tavlo::gui::runWindows);
}
