#pragma once

#include <QComboBox>

namespace grittydecal {

// The decal field: an editable list whose completion follows
// CompleteDecal. Qt's own completer is off, as it keeps the selected entry
// while typing and rewrites a typed text into the entry's letter case when
// the field loses the focus, which would change the decal name Set writes.
class DecalComboBox : public QComboBox {
public:
    explicit DecalComboBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool complete(const QString& typed);
    // Leaves no entry selected but keeps the text and the caret where they are.
    void deselectKeepingText();
};

}  // namespace grittydecal
