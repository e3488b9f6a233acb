#include "commands/DecalCommands.h"

namespace grittydecal {

namespace {
constexpr std::string_view kInstallationCheck = "/Custom Scenery/";
constexpr std::string_view kAreaCheck = "/terrain/";

class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};
}  // namespace

std::string LongFolderName(const std::string& folderText, FileSystem& fileSystem) {
    // From the right, each component becomes its stored name, or nothing when
    // it does not exist; what stands before the first "/" stays as typed.
    std::string prefix = folderText;
    std::string result;
    for (auto slash = prefix.rfind('/'); slash != std::string::npos; slash = prefix.rfind('/')) {
        result.insert(0, fileSystem.storedName(prefix).value_or(""));
        result.insert(0, 1, '/');
        prefix.resize(slash);
    }
    return prefix + result;
}

DecalCommands::DecalCommands(FileSystem& fileSystem, WindowSystem& window)
    : fileSystem_(fileSystem), window_(window), walk_(fileSystem, window) {}

bool DecalCommands::set(const std::string& folderText, bool areaMode,
                        const std::string& decalName) {
    return run(Command::Set, folderText, areaMode, decalName);
}

bool DecalCommands::clear(const std::string& folderText, bool areaMode) {
    return run(Command::Clear, folderText, areaMode, {});
}

bool DecalCommands::run(Command command, const std::string& folderText, bool areaMode,
                        const std::string& decalName) {
    if (running_) return false;
    const RunningFlag flag(running_);

    const std::string root = LongFolderName(folderText, fileSystem_);
    const std::string check = root + std::string(areaMode ? kAreaCheck : kInstallationCheck);
    if (isFolder(check)) {
        const std::string target = areaMode ? root + "/" : check;
        if (command == Command::Set) {
            walk_.AddDecalLines(target, decalName);
        } else {
            walk_.RemoveDecalLines(target);
        }
    } else {
        window_.showError(kWrongFolder);
        window_.processPendingMessages();
    }
    window_.setProgressText(kDone);
    window_.processPendingMessages();
    return true;
}

bool DecalCommands::isFolder(const std::string& path) {
    const auto attributes = fileSystem_.attributes(path);
    return attributes && (*attributes & attribute::kFolder) != 0;
}

}  // namespace grittydecal
