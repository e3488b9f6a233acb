#pragma once

#include <string>
#include <vector>

#include "terrain/FileSystem.h"
#include "terrain/WindowSystem.h"

namespace grittydecal {

inline constexpr std::string_view kDecalLinePrefix = "DECAL_LIB lib/g10/decals/";
inline constexpr std::string_view kWorkingCopyName = "temp.txt";
// Where a new text is written before it takes the terrain file's place. A
// leftover of a killed run is removed by the next edit that needs it; its
// extension keeps it from ever being taken for a terrain file.
inline constexpr std::string_view kScratchName = ".temp.txt.part";

// The edit of one terrain file. A failed edit beeps, leaves the file as it
// was, and returns; nothing gets out to the walk.
class TerrainEdits {
public:
    TerrainEdits(FileSystem& fileSystem, WindowSystem& window);

    // Set: cuts an end-of-text mark near the end, then appends CR LF and the
    // decal line.
    void AppendDecalLine(const std::string& terrainFile, const std::string& decalName);

    // Clear: rewrites the file without its decal lines; the previous text
    // stays in the folder's working copy "temp.txt". The folder ends in "/".
    void StripDecalLines(std::string_view folder, const std::string& terrainFile);

    // Clear keeps the working copy open from one file of a folder to the
    // next; this lets it go.
    void releaseWorkingCopy();

private:
    bool append(const std::string& terrainFile, const std::string& decalName);
    bool rewriteWithLine(File& file, const FileStatus& status, std::uint64_t end,
                         const std::string& terrainFile);
    bool strip(std::string_view folder, const std::string& terrainFile);
    std::unique_ptr<File> createScratch(const std::string& scratch);
    // The number of bytes written from the start of the target, or nothing on
    // a failure. The size is the source's when it was opened.
    std::optional<std::uint64_t> writeStripped(File& source, std::uint64_t size, File& target);
    bool install(const std::string& terrainFile, bool workingCopyExists);

    FileSystem& fileSystem_;
    WindowSystem& window_;
    // Reused from file to file.
    std::vector<char> readBuffer_;
    std::string writeBuffer_;
    std::string line_;
    std::string workingCopy_;
    std::string scratch_;
    // The working copy of the folder last cleared, still open for writing.
    std::unique_ptr<File> kept_;
    std::string keptFolder_;
};

}  // namespace grittydecal
