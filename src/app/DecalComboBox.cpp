#include "app/DecalComboBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <vector>

#include "app/DecalCompletion.h"
#include "app/DecalList.h"

namespace grittydecal {
namespace {

bool IsTypedCharacter(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

DecalComboBox::DecalComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    for (const std::u16string_view entry : kDecalList) {
        addItem(QString::fromUtf16(entry.data(), static_cast<qsizetype>(entry.size())));
    }
    setCurrentIndex(0);

    // Any edit of the user's own, other than a completion, leaves no entry
    // selected, so a name typed by hand is not taken for a list position.
    connect(lineEdit(), &QLineEdit::textEdited, this, &DecalComboBox::deselectKeepingText);
}

void DecalComboBox::keyPressEvent(QKeyEvent* event) {
    if (IsTypedCharacter(*event) && complete(event->text())) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Backspace) deselectKeepingText();
}

bool DecalComboBox::complete(const QString& typed) {
    QLineEdit* edit = lineEdit();
    DecalFieldState field;
    field.text = edit->text().toStdU16String();
    if (edit->hasSelectedText()) {
        field.selectionStart = static_cast<std::size_t>(edit->selectionStart());
        field.selectionLength = static_cast<std::size_t>(edit->selectionLength());
    }
    const std::optional<DecalCompletion> completion =
        CompleteDecal(field, typed.toStdU16String(), kDecalList);
    if (!completion) return false;

    setCurrentIndex(completion->entry);
    edit->setText(QString::fromStdU16String(completion->field.text));
    edit->setSelection(static_cast<int>(completion->field.selectionStart),
                       static_cast<int>(completion->field.selectionLength));
    return true;
}

void DecalComboBox::deselectKeepingText() {
    if (currentIndex() == -1) return;
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int caret = edit->cursorPosition();
    setCurrentIndex(-1);  // which empties the field
    edit->setText(text);
    edit->setCursorPosition(caret);
}

}  // namespace grittydecal
