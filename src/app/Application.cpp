#include "app/Application.h"

#include <exception>

#include "app/ErrorBoxes.h"

namespace grittydecal {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Ties the window to the installed desktop entry and its icon.
    setDesktopFileName(QStringLiteral("grittydecal"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        ShowFailure(QString::fromLocal8Bit(failure.what()));
    }
    return false;
}

}  // namespace grittydecal
