#pragma once
// The advanced options ("高级选项") and their file "config.txt".
#include <string>
#include <string_view>

namespace tavlo {

struct AppConfig {
    // Keyed options of "config.txt", in the file's order.
    std::string tempDirectory; // capture files; set only to a folder that exists
    double delayScale = 1.0;
    int delayMinimum = 300;
    int fixedFps = 0;
    bool exportTimingData = false;
    bool recordAutoDetect = true;
    int recordFrequency = 44100;
    int recordChannels = 2;
    int recordBits = 16;
    bool continuePlaying = false;
    bool enableSyncSound = false;
    bool continuousRecording = false;
    bool searchLongDelays = false;
    int longDelayMinimum = 50;
    bool allowResync = false;
    int noiseFilter = 0;
    bool alternatePause = false;
    int zoomPanRate = 200;
    int granularity = 20;
    bool allowKeyboardControl = true;
    bool calloutNavigation = false;
    bool useCustomDefaults = false;
    std::string metaTag; // written only when set
    bool secureLoad = false;
    bool externalFtpSettings = false;
    bool removeGhostFrames = false;

    // Options without a key, kept in the state file.
    double swfDelayScale = 1.0;
    double playbackSpeed = 1.0;
    bool controlDemo = false;      // "控制演示"
    bool hidePanRectangle = false; // "隐藏平移矩形"
    bool zoomBeforeFrame = true;   // "在帧之前缩放"
    bool showAllTime = false;      // "显示全部时间"
    bool largeControls = false;    // "大控件"
    bool useSwfContainer = false;  // "使用 SWF 容器"
};

inline constexpr int kConfigMaxLine = 260;

// "config.txt" as bytes: the product line, then one "key=value" line per option, CR LF endings.
std::string formatConfig(const AppConfig& config);
// Applies the lines of a "config.txt" over `config`.
void parseConfig(std::string_view text, AppConfig& config);

bool readConfigFile(const std::string& path, AppConfig& config);
bool writeConfigFile(const std::string& path, const AppConfig& config);

} // namespace tavlo
