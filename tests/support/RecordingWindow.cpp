#include "support/RecordingWindow.h"

#include <algorithm>

namespace grittydecal::testing {

void RecordingWindow::setProgressText(std::string_view text) {
    label = text;
    events.push_back("label " + label);
}

void RecordingWindow::processPendingMessages() {
    events.push_back("process");
    if (onProcess) onProcess();
}

void RecordingWindow::beep() { events.push_back("beep"); }

void RecordingWindow::showError(std::string_view message) {
    events.push_back("error " + std::string(message));
}

int RecordingWindow::count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

std::vector<std::string> RecordingWindow::labels() const {
    std::vector<std::string> texts;
    for (const auto& event : events) {
        if (event.starts_with("label ")) texts.push_back(event.substr(6));
    }
    return texts;
}

}  // namespace grittydecal::testing
