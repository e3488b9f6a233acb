#include "settings/SettingsStore.h"

#include <vector>

#include "settings/IniFile.h"
#include "settings/SettingsValues.h"

namespace grittydecal {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSection = "TForm1";
constexpr std::string_view kDecalIndexKey = "ComboBox1_ItemIndex";
constexpr std::string_view kFolderTextKey = "DirectoryEdit1_Text";
constexpr std::string_view kAreaModeKey = "CheckBox1_Checked";

std::optional<std::int32_t> readInteger(const IniText& file, std::string_view key) {
    return parseInteger(file.read(kSection, key, ""));
}

// The text under the key for this screen size, else under the bare key.
std::string readPlacementText(const IniText& file, const std::string& key,
                              const std::string& suffix) {
    std::string text = file.read(kSection, key + suffix, "");
    return text.empty() ? file.read(kSection, key, "") : text;
}

std::string readProperty(const IniText& file, std::string_view key, std::string_view current) {
    return std::string(trimControls(file.read(kSection, key, current)));
}

std::string propertyText(std::string_view value) { return quoteWrapped(trimControls(value)); }

}  // namespace

SettingsStore::SettingsStore(SettingsWindow& window, fs::path folder, std::string fileName)
    : window_(window), folder_(std::move(folder)), fileName_(std::move(fileName)) {}

void SettingsStore::restore() {
    saved_ = false;
    // Without a folder the bare name would land in the current folder.
    IniText file = folder_.empty() ? IniText() : IniFile(folder_ / fileName_).load();
    if (readInteger(file, "FormVersion").value_or(0) >= 0) {
        restorePlacement(file);
        restoreShowState(file);
        restoreProperties(file);
    }
    restored_ = true;
    resetMaximizedPosition();
}

void SettingsStore::restorePlacement(const IniText& file) {
    WindowPlacement placement = window_.placement();
    if (!window_.isVisible()) placement.showCmd = 0;
    bool found = false;

    if (std::optional<std::int32_t> flags = readInteger(file, "Flags")) placement.flags = *flags;

    PixelSize screen = window_.screenSize();
    std::string suffix = screenSizeSuffix(screen.width, screen.height);
    std::string text = readPlacementText(file, "MinMaxPos", suffix);
    if (!text.empty()) {
        found = true;
        auto words = parsePosition(text);
        placement.minPosition = {words[0].value_or(0), words[1].value_or(0)};
        placement.maxPosition = {words[2].value_or(0), words[3].value_or(0)};
    }
    text = readPlacementText(file, "NormPos", suffix);
    if (!text.empty()) {
        found = true;
        auto words = parsePosition(text);
        PixelRect frame = window_.frame();
        placement.normalPosition = {words[0].value_or(frame.left), words[1].value_or(frame.top),
                                    words[2].value_or(frame.right),
                                    words[3].value_or(frame.bottom)};
    }

    // Places taken at another pixel density would land elsewhere on this screen.
    std::int32_t pixelsPerInch = window_.pixelsPerInch();
    if (readInteger(file, "PixelsPerInch").value_or(pixelsPerInch) != pixelsPerInch) found = false;

    const PixelRect& normal = placement.normalPosition;
    if (found && normal.right > normal.left) window_.setPlacement(placement);
}

void SettingsStore::restoreShowState(const IniText& file) {
    ShowState state = showStateOf(readInteger(file, "ShowCmd").value_or(0));
    if (state == ShowState::Minimized) {
        window_.postMinimize();
    } else {
        window_.setShowState(state);
    }
}

void SettingsStore::restoreProperties(const IniText& file) {
    std::int32_t index = window_.decalIndex();
    std::string value = readProperty(file, kDecalIndexKey, formatInteger(index));
    std::int32_t stored = parseInteger(value).value_or(0);
    if (stored != index) window_.setDecalIndex(stored);

    window_.setFolderText(readProperty(file, kFolderTextKey, window_.folderText()));

    value = readProperty(file, kAreaModeKey, formatBoolean(window_.areaMode()));
    if (std::optional<bool> on = parseBoolean(value)) window_.setAreaMode(*on);
}

// A maximized position read from the file must not outlast the restore.
void SettingsStore::resetMaximizedPosition() {
    WindowPlacement placement = window_.placement();
    if (!window_.isVisible()) placement.showCmd = 0;
    PixelSize border = window_.sizingBorder();
    placement.maxPosition = {-border.width, -border.height};
    window_.setPlacement(placement);
}

std::optional<std::string> SettingsStore::save() {
    if (!restored_) return std::nullopt;

    WindowPlacement placement = window_.placement();
    if (window_.isMinimized()) placement.showCmd = 2;
    PixelSize screen = window_.screenSize();
    std::string suffix = screenSizeSuffix(screen.width, screen.height);
    std::string minMax =
        quoteWrapped(formatPosition({placement.minPosition.x, placement.minPosition.y,
                                     placement.maxPosition.x, placement.maxPosition.y}));
    const PixelRect& rect = placement.normalPosition;
    std::string normal =
        quoteWrapped(formatPosition({rect.left, rect.top, rect.right, rect.bottom}));

    const std::vector<IniEntry> entries = {
        {"FormVersion", "0"},
        {"Flags", formatInteger(placement.flags)},
        {"ShowCmd", formatInteger(placement.showCmd)},
        {"PixelsPerInch", formatInteger(window_.pixelsPerInch())},
        {"MinMaxPos" + suffix, minMax},
        {"MinMaxPos", minMax},
        {"NormPos" + suffix, normal},
        {"NormPos", normal},
        {"Visible", destroying_ ? "1" : "0"},
        {std::string(kDecalIndexKey), propertyText(formatInteger(window_.decalIndex()))},
        {std::string(kFolderTextKey), propertyText(window_.folderText())},
        {std::string(kAreaModeKey), propertyText(formatBoolean(window_.areaMode()))},
    };

    if (folder_.empty()) return "Unable to write to " + fileName_;
    std::error_code error;
    if (!fs::exists(folder_, error) && fs::create_directories(folder_, error))
        fs::permissions(folder_, fs::perms::owner_all, error);
    if (!IniFile(folder_ / fileName_).write(kSection, entries))
        return "Unable to write to " + fileName_;
    saved_ = true;
    return std::nullopt;
}

std::optional<std::string> SettingsStore::saveOnDestroy() {
    if (saved_) return std::nullopt;
    destroying_ = true;
    std::optional<std::string> failure = save();
    destroying_ = false;
    return failure;
}

}  // namespace grittydecal
