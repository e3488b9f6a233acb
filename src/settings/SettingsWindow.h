#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/SettingsValues.h"

namespace grittydecal {

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PixelPoint&) const = default;
};

struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The window's place in the form the settings file keeps: screen pixels,
// the normal position being the outer frame of the normal geometry.
struct WindowPlacement {
    std::int32_t flags = 0;
    std::int32_t showCmd = 0;  // 0 hidden, 1 normal, 2 minimized, 3 maximized
    PixelPoint minPosition;
    PixelPoint maxPosition;
    PixelRect normalPosition;
    bool operator==(const WindowPlacement&) const = default;
};

// What the settings store needs of the main window. The main window
// implements it; tests use a fake.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    virtual WindowPlacement placement() = 0;
    // A show command of 0 moves and sizes the window without showing it.
    virtual void setPlacement(const WindowPlacement& placement) = 0;
    virtual bool isVisible() = 0;
    // The outer frame now: left, top, left + width, top + height.
    virtual PixelRect frame() = 0;
    // Normal or maximized; minimizing goes through postMinimize.
    virtual void setShowState(ShowState state) = 0;
    // Whether the tool as a whole is minimized.
    virtual bool isMinimized() = 0;
    // Minimizes the tool once its event loop runs.
    virtual void postMinimize() = 0;

    virtual PixelSize screenSize() = 0;
    // The screen's logical pixels per inch as measured at start-up.
    virtual std::int32_t pixelsPerInch() = 0;
    // Width and height of a sizing border.
    virtual PixelSize sizingBorder() = 0;

    // The decal list position; -1 for no entry.
    virtual std::int32_t decalIndex() = 0;
    virtual void setDecalIndex(std::int32_t index) = 0;
    virtual std::string folderText() = 0;
    virtual void setFolderText(std::string_view text) = 0;
    virtual bool areaMode() = 0;
    // A change runs the check box's click handler, as a click would.
    virtual void setAreaMode(bool on) = 0;
};

}  // namespace grittydecal
