#pragma once

#include <functional>
#include <string>
#include <vector>

#include "terrain/WindowSystem.h"

namespace grittydecal::testing {

// Records what the core asks of the window, in order, as short texts:
// "label <text>", "process", "beep", "error <message>".
class RecordingWindow final : public WindowSystem {
public:
    void setProgressText(std::string_view text) override;
    void processPendingMessages() override;
    void beep() override;
    void showError(std::string_view message) override;

    int count(const std::string& event) const;
    std::vector<std::string> labels() const;

    std::vector<std::string> events;
    std::string label;
    // Runs at every processing of messages, as the user's input would.
    std::function<void()> onProcess;
};

}  // namespace grittydecal::testing
