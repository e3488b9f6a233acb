#pragma once

#include <QString>
#include <functional>
#include <memory>

class QMessageBox;

namespace grittydecal {

// The commands' error notice: "Chyba", an error icon, the message and one
// "OK" that Enter, Escape and the close button all press. Returns when it
// has been dismissed.
void ShowError(const QString& message);

// The box for a failure that escaped an event handler: titled with the
// taskbar text, the message ending in a full stop where the rule asks for one.
void ShowFailure(const QString& message);

// An error box centred on the screen, not yet shown.
std::unique_ptr<QMessageBox> MakeErrorBox(const QString& title, const QString& message);

// Tests answer the next error box through this instead of a modal loop; the
// answer sees the box as it would have been shown.
void SetNextErrorBoxAnswer(std::function<void(QMessageBox&)> answer);

// The program file's name up to its first ".", its first character as it is
// and the rest in lower case.
QString TaskbarTitle(const QString& programFile);

// Appends a full stop when the last character sorts after ".".
QString WithFullStop(const QString& message);

}  // namespace grittydecal
