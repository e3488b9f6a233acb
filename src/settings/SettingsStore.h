#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "settings/IniText.h"
#include "settings/SettingsWindow.h"

namespace grittydecal {

// Carries the main window's place, show state, folder text, decal position and
// mode from one run to the next, in section "TForm1" of one settings file. The
// file is read or written only within restore() and save(); nothing of it is
// kept in between.
class SettingsStore {
public:
    // The file is folder/fileName; fileName alone is what failures name. An
    // empty folder means there is nowhere to keep settings: restore finds
    // nothing and every save fails.
    SettingsStore(SettingsWindow& window, std::filesystem::path folder, std::string fileName);

    // While the window is shown for the first time, before it is displayed.
    void restore();

    // When closing has been agreed. Does nothing before a restore. On a write
    // failure, returns "Unable to write to <file name>" for the application's
    // error box (which adds the period); the keys after the failing one are not
    // written. Creates the settings folder when it is missing.
    std::optional<std::string> save();

    // When the window is destroyed: saves again, with "Visible" set, only when
    // the last save did not complete.
    std::optional<std::string> saveOnDestroy();

private:
    void restorePlacement(const IniText& file);
    void restoreShowState(const IniText& file);
    void restoreProperties(const IniText& file);
    void resetMaximizedPosition();

    SettingsWindow& window_;
    std::filesystem::path folder_;
    std::string fileName_;
    bool restored_ = false;
    bool saved_ = false;
    bool destroying_ = false;
};

}  // namespace grittydecal
