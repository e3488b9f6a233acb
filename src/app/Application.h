#pragma once

#include <QApplication>

namespace grittydecal {

// The application object. A failure that escapes an event handler is shown in
// the failure box, and the tool goes on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace grittydecal
