#pragma once
// Loading and saving project files: a recording turned into a project, a save in place of the
// project section, a save into a new file, and the normal, combining and size-only loads.
// Every failure is reported through UiPrompts with the program's own texts and leaves both the
// open project and the file on disk as they were.
#include "core/ui_prompts.h"
#include "project/project.h"

#include <functional>
#include <optional>
#include <string>

namespace tavlo::project {

inline constexpr const char* kLaterVersionText =
    "This demo was created with a later version of Tavlo\nPlease install the latest version of Tavlo to open "
    "it.";
inline constexpr const char* kInUseText = "This project is currently open in another session of Tavlo.\nDo "
                                          "you want to continue opening this file?    ";
inline constexpr const char* kCorruptedText =
    "Cannot save to selected file (project is corrupted).  Save operation aborted.   ";
inline constexpr const char* kCannotSaveText = "Cannot save to selected file.  Save operation aborted.   ";
inline constexpr const char* kCompressText = "Would you like to compress the project to save disk space?    ";
inline constexpr const char* kFileInUseText =
    "Selected file is currently in use.  Please select a different file name.   ";
inline constexpr const char* kDiskFullText =
    "Unable to save to selected file (disk full?).  Please select another location.    ";

struct LoadOptions {
    bool combine = false;                           // append the frames to the open project
    std::optional<std::pair<int, int>> combineSize; // centre the frames in this frame size
    bool readOnly = false;                          // inspect only: no lock, no write handle
    std::string projectsFolder;                     // output path fallback (trailer item 6)
    std::function<int(const std::string&)> soundLengthOf;
};

struct LoadReport {
    int version = 0;
    bool damaged = false;        // opened with default frames
    std::string problem;         // why a load failed or why it opened damaged
    std::vector<Source> sources; // the loaded file's source list (combining takes it over)
};

bool load(UiPrompts& ui, const std::string& path, Project& project, const LoadOptions& o = {},
          LoadReport* report = nullptr);

struct SizeInfo {
    int imageCount = 0;
    int width = 0;
    int height = 0;
    bool compressed = false;
};
// Reads only the offset table and the header chunk.
bool loadSizeOnly(const std::string& path, SizeInfo& out);

// Re-encodes one frame's chunk into the compressed encoding (supplied by the frame image store).
// Gets the chunk and the frame, returns the new chunk or nothing on failure.
using ChunkRecoder = std::function<std::optional<std::string>(const std::string& chunk, FrameNode& frame)>;

struct SaveOptions {
    ChunkRecoder recoder; // without one a save copies chunks unchanged and does not offer to compress
};

// "保存": rewrites the project section of the open file.
bool saveInPlace(UiPrompts& ui, Project& project);
// "另存为": a complete new file, which becomes the open project file.
bool saveAsNewFile(UiPrompts& ui, Project& project, const std::string& targetPath, const SaveOptions& o = {});

struct RecordingFiles {
    std::string dataPath;  // "DMO" file: header chunk and image records
    std::string indexPath; // "DIX" file: where each frame's records begin
};

struct SaveRecordingOptions {
    std::string commandLinePath; // "/r:": saved there without a dialog
    std::string recordedSound;   // attached to the first frame (recovery)
    std::string initialFolder;   // where the save dialog starts
};

bool saveRecording(UiPrompts& ui, Project& project, const RecordingFiles& files,
                   const SaveRecordingOptions& o);

// Gives every frame whose image lies in the project file itself its chunk: a duplicated frame
// shows the chunk of the stored frame before it. `dataStart` + entries are absolute positions.
void locateChunks(Project& p, const std::vector<std::int64_t>& entries, std::int64_t dataStart);

} // namespace tavlo::project
