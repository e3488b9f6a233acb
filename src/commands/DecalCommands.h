#pragma once

#include <string>

#include "terrain/FileSystem.h"
#include "terrain/TerrainWalk.h"
#include "terrain/WindowSystem.h"

namespace grittydecal {

inline constexpr std::string_view kWrongFolder = "Wrong folder";
inline constexpr std::string_view kDone = "*****  Done  ******";

// The "Set" and "Clear" commands: form the root folder from the folder text,
// check the layout the mode expects, walk, then show the completion text.
class DecalCommands {
public:
    DecalCommands(FileSystem& fileSystem, WindowSystem& window);

    // Both return false, doing nothing, while a command is already running:
    // the walk processes messages, so a second click can arrive mid-walk.
    bool set(const std::string& folderText, bool areaMode, const std::string& decalName);
    bool clear(const std::string& folderText, bool areaMode);

    bool running() const { return running_; }

private:
    enum class Command { Set, Clear };
    bool run(Command command, const std::string& folderText, bool areaMode,
             const std::string& decalName);
    bool isFolder(const std::string& path);

    FileSystem& fileSystem_;
    WindowSystem& window_;
    TerrainWalk walk_;
    bool running_ = false;
};

// The folder text with every existing component in its stored spelling.
std::string LongFolderName(const std::string& folderText, FileSystem& fileSystem);

}  // namespace grittydecal
