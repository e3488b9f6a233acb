#pragma once

#include "settings/SettingsStore.h"
#include "settings/SettingsWindow.h"

namespace grittydecal {

class TForm1;

// The main window's settings store: the window's place and state, the decal
// position, the folder text and the mode, in section "TForm1" of the program's
// settings file in $XDG_CONFIG_HOME, else ~/.config. A failed write is shown in
// the failure box; the window closes all the same.
class FormStorage : private SettingsWindow {
public:
    explicit FormStorage(TForm1& form);

    // In the window's first show event, before it is displayed.
    void RestoreSettings();
    // On the agreed close request.
    void SaveSettings();
    // At the window's destruction; saves only when the last save did not complete.
    void SaveSettingsOnDestroy();

private:
    WindowPlacement placement() override;
    void setPlacement(const WindowPlacement& placement) override;
    bool isVisible() override;
    PixelRect frame() override;
    void setShowState(ShowState state) override;
    bool isMinimized() override;
    void postMinimize() override;
    PixelSize screenSize() override;
    std::int32_t pixelsPerInch() override;
    PixelSize sizingBorder() override;
    std::int32_t decalIndex() override;
    void setDecalIndex(std::int32_t index) override;
    std::string folderText() override;
    void setFolderText(std::string_view text) override;
    bool areaMode() override;
    void setAreaMode(bool on) override;

    void report(const std::optional<std::string>& failure);

    TForm1& form_;
    SettingsStore store_;
    std::int32_t pixelsPerInch_;
    // Qt has no use for these; they are kept only to be stored again.
    PixelPoint minPosition_{-1, -1};
    PixelPoint maxPosition_{-1, -1};
};

}  // namespace grittydecal
