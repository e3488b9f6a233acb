#pragma once

#include <QByteArray>
#include <QString>

namespace grittydecal::testing {

// Writes the file, with its folders; a failure fails the running test.
void WriteFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or "<missing>".
QByteArray ReadFile(const QString& path);

}  // namespace grittydecal::testing
