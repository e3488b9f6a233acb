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

void TerrainEdits::StripDecalLines(std::string_view folder, const std::string& terrainFile) {
    if (strip(folder, terrainFile)) {
        window_.processPendingMessages();
    } else {
        window_.beep();
    }
}

void TerrainEdits::releaseWorkingCopy() { kept_.reset(); }

bool TerrainEdits::append(const std::string& terrainFile, const std::string& decalName) {
    const auto file = fileSystem_.openForEditing(terrainFile);
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

bool TerrainEdits::strip(std::string_view folder, const std::string& terrainFile) {
    workingCopy_.assign(folder).append(kWorkingCopyName);
    scratch_.assign(folder).append(kScratchName);
    std::unique_ptr<File> kept = std::move(kept_);
    if (keptFolder_ != folder) kept.reset();
    const auto earlierCopy = fileSystem_.status(workingCopy_);
    if (!mayGiveWay(earlierCopy)) return false;

    // Opened for writing too where it may be: once it has given its name up
    // it is the working copy, and the next file's text can go straight in.
    bool writable = true;
    auto source = fileSystem_.openForEditing(terrainFile);
    if (!source) {
        writable = false;
        source = fileSystem_.openForReading(terrainFile);
    }
    if (!source) return false;
    const auto status = source->status();
    if (!status) return false;
    // On success the terrain file's previous text is the working copy.
    const auto keepSource = [&] {
        if (writable) {
            kept_ = std::move(source);
            keptFolder_.assign(folder);
        }
        return true;
    };

    // The earlier working copy, a file with no other name, takes the new text
    // and then trades names with the terrain file in one step: no file is
    // created or freed, which on many disks is most of what an edit costs.
    // Its own text was to be replaced anyway.
    // One that cannot take the terrain file's access (another user's) is
    // passed over before anything is written to it.
    if (earlierCopy->kind == FileKind::Regular && earlierCopy->links == 1) {
        const auto keptStatus = kept ? kept->status() : std::nullopt;
        auto copy = keptStatus && keptStatus->sameFileAs(*earlierCopy)
                        ? std::move(kept)
                        : fileSystem_.openForRewriting(workingCopy_);
        if (copy && copy->takeAccessOf(*status)) {
            const auto length = writeStripped(*source, status->size, *copy);
            const bool written = length &&
                                 (earlierCopy->size <= *length || copy->truncate(*length)) &&
                                 copy->close();
            copy.reset();
            if (!written) return false;
            switch (fileSystem_.exchange(workingCopy_, terrainFile)) {
                case Outcome::Done:
                    return keepSource();
                case Outcome::Failed:
                    return false;
                case Outcome::Unsupported:
                    break;
            }
            if (!fileSystem_.replace(workingCopy_, scratch_)) return false;
            if (install(terrainFile, false)) return keepSource();
            fileSystem_.remove(scratch_);
            return false;
        }
    }

    auto target = createScratch(scratch_);
    if (!target) return false;
    const bool written = writeStripped(*source, status->size, *target) &&
                         target->takeAccessOf(*status) && target->close();
    target.reset();
    if (written && install(terrainFile, earlierCopy->kind != FileKind::Missing)) {
        return keepSource();
    }
    fileSystem_.remove(scratch_);
    return false;
}

std::optional<std::uint64_t> TerrainEdits::writeStripped(File& source, std::uint64_t size,
                                                         File& target) {
    ClearFilter filter;
    readBuffer_.resize(kBlockSize);
    writeBuffer_.clear();
    std::uint64_t read = 0;
    std::uint64_t length = 0;
    for (;;) {
        const auto got = source.read(readBuffer_);
        if (!got) return std::nullopt;
        if (*got == 0) break;
        read += *got;
        if (!filter.feed({readBuffer_.data(), *got}, writeBuffer_)) break;
        if (writeBuffer_.size() >= kBlockSize) {
            if (!target.writeAt(length, writeBuffer_)) return std::nullopt;
            length += writeBuffer_.size();
            writeBuffer_.clear();
        }
        // A short read that reaches the size the file had when opened is its
        // end: no need to ask once more.
        if (*got < readBuffer_.size() && read >= size) break;
    }
    filter.finish(writeBuffer_);
    if (!writeBuffer_.empty() && !target.writeAt(length, writeBuffer_)) return std::nullopt;
    return length + writeBuffer_.size();
}

// Puts the new text in place of the terrain file and leaves the previous one
// as the working copy. With hard links the terrain file is at every moment
// either its previous or its new text, and whenever it is the new one, the
// previous one is the working copy.
bool TerrainEdits::install(const std::string& terrainFile, bool workingCopyExists) {
    if (workingCopyExists && !fileSystem_.remove(workingCopy_)) return false;

    switch (fileSystem_.link(terrainFile, workingCopy_)) {
        case Outcome::Done:
            return fileSystem_.replace(scratch_, terrainFile);
        case Outcome::Failed:
            return false;
        case Outcome::Unsupported:
            break;
    }
    // Without hard links the terrain file is briefly missing; a failure puts
    // it back.
    if (!fileSystem_.rename(terrainFile, workingCopy_)) return false;
    if (fileSystem_.rename(scratch_, terrainFile)) return true;
    fileSystem_.rename(workingCopy_, terrainFile);
    return false;
}

}  // namespace grittydecal
