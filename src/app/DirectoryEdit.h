#pragma once

#include <QLineEdit>

class QToolButton;

namespace grittydecal {

// The folder field: a one-line field with a browse button inside its right
// end. The button, or Alt+Down, opens the folder dialog.
class DirectoryEdit : public QLineEdit {
public:
    explicit DirectoryEdit(QWidget* parent = nullptr);

    // The folder confirmed last in the dialog; lives for one run.
    QString initialDir() const { return initialDir_; }

    void browse();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* browseButton_;
    QString initialDir_;
};

}  // namespace grittydecal
