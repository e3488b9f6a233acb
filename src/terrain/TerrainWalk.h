#pragma once

#include <string>

#include "terrain/FileSystem.h"
#include "terrain/TerrainEdits.h"
#include "terrain/WindowSystem.h"

namespace grittydecal {

// Walks every folder below a target folder, depth first in listing order, and
// edits each terrain file: a ".ter" file directly in a folder named "terrain".
//
// Two paths go down together: the shown one, with the names below the target
// folder in lower case, which the progress label and the terrain tests use;
// and the real one, with the names as stored, which the edits act on.
class TerrainWalk {
public:
    TerrainWalk(FileSystem& fileSystem, WindowSystem& window);

    // The folder ends in "/".
    void AddDecalLines(const std::string& folder, const std::string& decalName);
    void RemoveDecalLines(const std::string& folder);

private:
    enum class Edit { Append, Strip };
    void start(const std::string& folder, Edit edit);
    void walk(Edit edit);

    FileSystem& fileSystem_;
    WindowSystem& window_;
    TerrainEdits edits_;
    std::string shownPath_;
    std::string realPath_;
    const std::string* decalName_ = nullptr;
};

// The tests that pick a terrain file, on the shown (lower-cased) spelling.
bool IsWalkedFolder(std::uint32_t attributes);
bool IsTerrainFolder(std::string_view shownFolder);
bool HasTerrainExtension(std::string_view lowerName);

}  // namespace grittydecal
