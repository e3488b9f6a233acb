#include "terrain/TerrainWalk.h"

namespace grittydecal {

namespace {
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void appendLowerCase(std::string& path, std::string_view name) {
    for (const char c : name) path.push_back(lowerAscii(c));
}
}  // namespace

bool IsWalkedFolder(std::uint32_t attributes) {
    // Only plain and compressed folders: read-only, hidden, system, archived
    // and linked ones are passed over.
    if (attributes > attribute::kCompressed) attributes -= attribute::kCompressed;
    return attributes == attribute::kFolder;
}

bool IsTerrainFolder(std::string_view shownFolder) {
    constexpr std::string_view kTail = "/terrain/";
    if (shownFolder.size() < kTail.size()) return false;
    const std::string_view tail = shownFolder.substr(shownFolder.size() - kTail.size());
    for (std::size_t i = 0; i < kTail.size(); ++i) {
        if (lowerAscii(tail[i]) != kTail[i]) return false;
    }
    return true;
}

bool HasTerrainExtension(std::string_view lowerName) {
    const auto dot = lowerName.rfind('.');
    return dot != std::string_view::npos && lowerName.substr(dot) == ".ter";
}

TerrainWalk::TerrainWalk(FileSystem& fileSystem, WindowSystem& window)
    : fileSystem_(fileSystem), window_(window), edits_(fileSystem, window) {}

void TerrainWalk::AddDecalLines(const std::string& folder, const std::string& decalName) {
    decalName_ = &decalName;
    start(folder, Edit::Append);
    decalName_ = nullptr;
}

void TerrainWalk::RemoveDecalLines(const std::string& folder) { start(folder, Edit::Strip); }

void TerrainWalk::start(const std::string& folder, Edit edit) {
    // The folder as formed is what the label shows; its letter case may
    // differ from the stored one, which the file operations need.
    shownPath_ = folder;
    realPath_ = fileSystem_.storedPath(folder).value_or(folder);
    walk(edit);
    edits_.releaseWorkingCopy();
}

void TerrainWalk::walk(Edit edit) {
    const auto listing = fileSystem_.list(realPath_);
    if (!listing) return;

    const std::size_t shownLength = shownPath_.size();
    const std::size_t realLength = realPath_.size();
    const bool inTerrainFolder = IsTerrainFolder(shownPath_);
    // The label shows the folder being listed; it needs writing again only
    // after a sub-folder has shown its own path.
    bool labelShowsFolder = false;
    Entry entry;
    while (listing->next(entry)) {
        realPath_.append(entry.name);
        appendLowerCase(shownPath_, entry.name);
        const std::string_view lowerName = std::string_view(shownPath_).substr(shownLength);
        if (!labelShowsFolder) {
            window_.setProgressText(std::string_view(shownPath_).substr(0, shownLength));
            labelShowsFolder = true;
        }

        if (IsWalkedFolder(entry.attributes)) {
            if (!lowerName.starts_with('.')) {
                realPath_.push_back('/');
                shownPath_.push_back('/');
                walk(edit);
                labelShowsFolder = false;
            }
        } else if (inTerrainFolder && HasTerrainExtension(lowerName)) {
            if (edit == Edit::Append) {
                edits_.AppendDecalLine(realPath_, *decalName_);
            } else {
                edits_.StripDecalLines(std::string_view(realPath_).substr(0, realLength),
                                       realPath_);
            }
        }

        realPath_.resize(realLength);
        shownPath_.resize(shownLength);
        if (edit == Edit::Strip) window_.processPendingMessages();
    }
}

}  // namespace grittydecal
