#pragma once

#include <string_view>

namespace grittydecal {

// What the core needs of the window it runs under. The main window implements
// it; tests use a recording fake.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The progress label. Setting the text it already shows changes nothing.
    virtual void setProgressText(std::string_view text) = 0;

    // Dispatches every waiting message, then returns; never waits for new ones.
    virtual void processPendingMessages() = 0;

    // The system's default beep, for a terrain file whose edit failed.
    virtual void beep() = 0;

    // The commands' modal error notice; returns when it has been dismissed.
    virtual void showError(std::string_view message) = 0;
};

}  // namespace grittydecal
