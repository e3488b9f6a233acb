#include "app/ErrorBoxes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace grittydecal {
namespace {

std::function<void(QMessageBox&)>& NextAnswer() {
    static std::function<void(QMessageBox&)> answer;
    return answer;
}

void Show(const QString& title, const QString& message) {
    const std::unique_ptr<QMessageBox> box = MakeErrorBox(title, message);
    if (auto answer = std::exchange(NextAnswer(), nullptr)) {
        answer(*box);
        return;
    }
    box->exec();
}

}  // namespace

void ShowError(const QString& message) { Show(QStringLiteral("Chyba"), message); }

void ShowFailure(const QString& message) {
    Show(TaskbarTitle(QCoreApplication::applicationFilePath()), WithFullStop(message));
}

std::unique_ptr<QMessageBox> MakeErrorBox(const QString& title, const QString& message) {
    // No parent, so that the box centres on the screen rather than on the window.
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, title, message);
    box->setWindowModality(Qt::ApplicationModal);
    QPushButton* ok = box->addButton(QMessageBox::Ok);
    ok->setText(QStringLiteral("OK"));
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

void SetNextErrorBoxAnswer(std::function<void(QMessageBox&)> answer) {
    NextAnswer() = std::move(answer);
}

QString TaskbarTitle(const QString& programFile) {
    const QString name = QFileInfo(programFile).fileName();
    const QString stem = name.left(name.indexOf(u'.'));
    if (stem.isEmpty()) return stem;
    // The first character may be a surrogate pair; it stays as it is either way.
    const qsizetype first = stem.at(0).isHighSurrogate() && stem.size() > 1 ? 2 : 1;
    return stem.left(first) + stem.mid(first).toLower();
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.') return message + u'.';
    return message;
}

}  // namespace grittydecal
