#include "terrain/TerrainEdits.h"

#include <algorithm>
#include <cstring>

#include "terrain/ClearFilter.h"

namespace grittydecal {

namespace {
// The end-of-text mark is looked for only this close to the end of the file.
constexpr std::size_t kEndMarkReach = 128;
constexpr std::size_t kBlockSize = 64 * 1024;

// Whether an earlier working copy may give way to a new one: a folder or a
// read-only file under that name may not.
bool mayGiveWay(const std::optional<FileStatus>& status) {
    if (!status) return false;
    switch (status->kind) {
        case FileKind::Missing:
        case FileKind::Link:
            return true;
        case FileKind::Folder:
            return false;
        case FileKind::Regular:
        case FileKind::Other:
            return !status->readOnly();
    }
    return false;
}
}  // namespace

TerrainEdits::TerrainEdits(FileSystem& fileSystem, WindowSystem& window)
    : fileSystem_(fileSystem), window_(window) {}

void TerrainEdits::AppendDecalLine(const std::string& terrainFile, const std::string& decalName) {
    if (!append(terrainFile, decalName)) window_.beep();
}

void TerrainEdits::StripDecalLines(const std::string& folder, const std::string& terrainFile) {
    if (strip(folder, terrainFile)) {
        window_.processPendingMessages();
    } else {
        window_.beep();
    }
}

bool TerrainEdits::append(const std::string& terrainFile, const std::string& decalName) {
    const auto file = fileSystem_.openForAppending(terrainFile);
    if (!file) return false;
    const auto status = file->status();
    if (!status) return false;

    const std::uint64_t size = status->size;
    char tail[kEndMarkReach];
    const std::size_t tailLength =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndMarkReach));
    const std::uint64_t tailStart = size - tailLength;
    if (tailLength > 0) {
        const auto got = file->readAt(tailStart, {tail, tailLength});
        if (!got || *got != tailLength) return false;
    }
    const void* mark = std::memchr(tail, '\x1a', tailLength);
    const std::uint64_t end =
        mark ? tailStart + static_cast<std::size_t>(static_cast<const char*>(mark) - tail) : size;

    line_.assign("\r\n");
    line_.append(kDecalLinePrefix);
    line_.append(decalName);
    line_.append("\r\n");
    if (end + line_.size() < size) {
        // Shrinking in place would take a write and a cut, with a moment in
        // between when the file is neither: write it anew beside instead.
        if (!rewriteWithLine(*file, *status, end, terrainFile)) return false;
    } else if (!file->writeAt(end, line_)) {
        // One write over the mark, if any: a partial one is all there is to
        // undo.
        file->writeAt(tailStart, {tail, tailLength});
        file->truncate(size);
        return false;
    }
    window_.processPendingMessages();
    return file->close();
}

bool TerrainEdits::rewriteWithLine(File& file, const FileStatus& status, std::uint64_t end,
                                   const std::string& terrainFile) {
    const std::string scratch =
        terrainFile.substr(0, terrainFile.rfind('/') + 1) + std::string(kScratchName);
    auto target = createScratch(scratch);
    if (!target) return false;
    bool written = true;
    readBuffer_.resize(kBlockSize);
    for (std::uint64_t at = 0; written && at < end;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, end - at));
        const auto got = file.readAt(at, {readBuffer_.data(), want});
        written = got && *got == want && target->write({readBuffer_.data(), want});
        at += want;
    }
    written = written && target->write(line_) && target->takeAccessOf(status) && target->close();
    target.reset();
    if (written && fileSystem_.replace(scratch, terrainFile)) return true;
    fileSystem_.remove(scratch);
    return false;
}

std::unique_ptr<File> TerrainEdits::createScratch(const std::string& scratch) {
    if (auto target = fileSystem_.createNew(scratch)) return target;
    // Left by a run that was killed: it never holds the only copy of a text.
    fileSystem_.remove(scratch);
    return fileSystem_.createNew(scratch);
}

bool TerrainEdits::strip(const std::string& folder, const std::string& terrainFile) {
    const std::string workingCopy = folder + std::string(kWorkingCopyName);
    const std::string scratch = folder + std::string(kScratchName);
    const auto earlierCopy = fileSystem_.status(workingCopy);
    if (!mayGiveWay(earlierCopy)) return false;

    auto source = fileSystem_.openForReading(terrainFile);
    if (!source) return false;
    const auto status = source->status();
    if (!status) return false;

    // The earlier working copy, a file with no other name, takes the new text
    // and then trades names with the terrain file in one step: no file is
    // created or freed, which on many disks is most of what an edit costs.
    // Its own text was to be replaced anyway.
    // One that cannot take the terrain file's access (another user's) is
    // passed over before anything is written to it.
    if (earlierCopy->kind == FileKind::Regular && earlierCopy->links == 1) {
        auto copy = fileSystem_.openForRewriting(workingCopy);
        if (copy && copy->takeAccessOf(*status)) {
            const auto length = writeStripped(*source, *copy);
            const bool written = length && copy->truncate(*length) && copy->close();
            copy.reset();
            source.reset();
            if (!written) return false;
            switch (fileSystem_.exchange(workingCopy, terrainFile)) {
                case Outcome::Done:
                    return true;
                case Outcome::Failed:
                    return false;
                case Outcome::Unsupported:
                    break;
            }
            if (!fileSystem_.replace(workingCopy, scratch)) return false;
            if (install(scratch, terrainFile, workingCopy, false)) return true;
            fileSystem_.remove(scratch);
            return false;
        }
    }

    auto target = createScratch(scratch);
    if (!target) return false;
    const bool written =
        writeStripped(*source, *target) && target->takeAccessOf(*status) && target->close();
    target.reset();
    source.reset();
    if (written &&
        install(scratch, terrainFile, workingCopy, earlierCopy->kind != FileKind::Missing)) {
        return true;
    }
    fileSystem_.remove(scratch);
    return false;
}

std::optional<std::uint64_t> TerrainEdits::writeStripped(File& source, File& target) {
    ClearFilter filter;
    readBuffer_.resize(kBlockSize);
    writeBuffer_.clear();
    std::uint64_t length = 0;
    for (;;) {
        const auto got = source.read(readBuffer_);
        if (!got) return std::nullopt;
        if (*got == 0) break;
        if (!filter.feed({readBuffer_.data(), *got}, writeBuffer_)) break;
        if (writeBuffer_.size() >= kBlockSize) {
            if (!target.write(writeBuffer_)) return std::nullopt;
            length += writeBuffer_.size();
            writeBuffer_.clear();
        }
    }
    filter.finish(writeBuffer_);
    if (!writeBuffer_.empty() && !target.write(writeBuffer_)) return std::nullopt;
    return length + writeBuffer_.size();
}

// Puts the new text in place of the terrain file and leaves the previous one
// as the working copy. With hard links the terrain file is at every moment
// either its previous or its new text, and whenever it is the new one, the
// previous one is the working copy.
bool TerrainEdits::install(const std::string& scratch, const std::string& terrainFile,
                           const std::string& workingCopy, bool workingCopyExists) {
    if (workingCopyExists && !fileSystem_.remove(workingCopy)) return false;

    switch (fileSystem_.link(terrainFile, workingCopy)) {
        case Outcome::Done:
            return fileSystem_.replace(scratch, terrainFile);
        case Outcome::Failed:
            return false;
        case Outcome::Unsupported:
            break;
    }
    // Without hard links the terrain file is briefly missing; a failure puts
    // it back.
    if (!fileSystem_.rename(terrainFile, workingCopy)) return false;
    if (fileSystem_.rename(scratch, terrainFile)) return true;
    fileSystem_.rename(workingCopy, terrainFile);
    return false;
}

}  // namespace grittydecal
