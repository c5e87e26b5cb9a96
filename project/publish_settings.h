#pragma once
// The per-project option values of the settings dialogs, as the project file's trailer and its
// settings block hold them. Groups whose meaning comes with the features that use them are kept
// as plain values in stored order, so the file reads and writes them faithfully meanwhile. The
// values that the movie reads are named in movie/project_options.h, which also holds their
// defaults here.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::project {

// Video export compressor choice as stored: 44 bytes of options, then the format and parameter
// blocks whose lengths the options give (at offsets 28 and 36).
struct CompressorOptions {
    std::array<std::uint32_t, 11> words = defaultWords();
    std::string formatBlock;
    std::string parameterBlock = std::string(4, '\0');
    static std::array<std::uint32_t, 11> defaultWords();
    bool operator==(const CompressorOptions&) const = default;
};

// The edit window's bubble-text languages: slot 0 is the default language and has no name.
struct LanguageList {
    std::vector<std::string> names; // slots 1 and up
    int current = 0;
    int previous = 0;
    static constexpr int kSlots = 255;
    std::string currentName() const;
    bool operator==(const LanguageList&) const = default;
};

// The settings block, minus the defaults for new annotations (ProjectDefaults) that it also holds.
struct SettingsBlock {
    int soundRecordingOption1 = 0;                               // project only
    int capturedTrueColour = 1;                                  // project only
    int soundRecordingOption2 = 0;                               // project only
    std::array<std::array<std::int8_t, 32>, 8> quickMarkNames{}; // project only
    std::array<int, 3> mouseEffects1{1, 1, 0};
    std::string editWindowPath;
    int mouseEffect2 = 0;
    std::string recorderText1;
    int recorderValue1 = 0;
    std::string recorderText2;
    std::array<int, 8> flashEffects{0, 0, 0, 0, 0, 0, 0xFFFF00, 1};
    int mouseEffect3 = 0;
    int htmlSetting = 0;
    std::array<std::string, 4> soundRecordingTexts{};
    std::array<int, 2> controlBar{};
    std::array<int, 13> soundGroup1{};
    int flashOutput = 1;
    std::array<int, 11> soundGroup2{};
    int videoExportValue = 0;
    std::string codecName = "Microsoft Video 1";
    CompressorOptions compressor;
    std::array<int, 2> projectValues{}; // project only
    std::array<int, 5> mixed{0, 0, 0, 12, 2};
    std::array<int, 4> executable{};
    std::array<std::string, 2> executableTexts{};
    LanguageList languages;
    bool operator==(const SettingsBlock&) const = default;
};

// A site entry of the upload settings stored with the project (the current site only, and never
// its password).
struct UploadSite {
    std::string remoteDirectory, siteAddress, proxyServer, userName;
    long long rateLimit = 0;
    int passiveMode = 1, connectionType = 0, timeoutSeconds = 0, includePageFiles = 0;
    long long siteId = 0;
    bool operator==(const UploadSite&) const = default;
};

struct UploadSettings {
    int version = 5;
    int choice = 0; // 0 FTP, 1 YouTube
    std::vector<UploadSite> sites;
    std::string youTubeTitle, youTubeDescription, youTubeTags;
    int youTubePrivacy = 0;
    bool operator==(const UploadSettings&) const = default;
};

// The trailer values other than frames, marks, pointer shapes and sources.
struct PublishSettings {
    std::uint16_t previewWidth = 0, previewHeight = 0;
    std::array<std::uint32_t, 6> controlBarColours{0x646464, 0x000000, 0xC2FFFF,
                                                   0xFF8080, 0xFF5A5A, 0xE1E1E1};
    std::string outputName;
    std::string outputFolder;
    std::string firstSlotOutputPath;
    int recordingOption = 0;
    int singleFrameChecked = 0;
    SettingsBlock block;
    std::array<int, 3> videoExport{7, 640, 480}; // size preset, width, height
    std::array<int, 6> htmlPage{};
    int flashEffects1 = 0;
    std::array<int, 3> editWindow1{};
    int htmlSetting2 = 0;
    double playbackFactor = 1.0;
    double bubbleTimeFactor = 1.0;
    int recorderValue2 = 0;
    int flashEffects2 = 0;
    std::array<int, 3> controlBar1{};
    std::array<int, 5> item26{}; // recorder, Flash effects, (a constant 0), frame canvas, recorder
    long long recorderValue3 = 0;
    std::array<int, 2> flashEffects3{0, 90};
    std::string projectFolder;
    int advancedOption1 = 0;
    std::array<int, 3> studioScrollBars{};
    std::vector<std::string> studioSlotPaths; // used studio slots 2 to 128, in slot order
    int controlBar2 = 0;
    std::array<int, 16> windowRects{};
    int studioVisible = 0;
    std::array<int, 3> item39{};
    std::array<int, 3> item40{};
    std::array<int, 6> webVideo{};
    UploadSettings upload;
    bool operator==(const PublishSettings&) const = default;
};

} // namespace tavlo::project
