#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace grittydecal {

// "Select Directory": the user opens folders with a double-click, and "OK"
// returns the folder that is open, not one that is only highlighted. Every
// folder opened becomes the process's current folder and stays so.
class FolderDialog : public QDialog {
public:
    explicit FolderDialog(QWidget* parent = nullptr);

    // Opens the folder the start text names. The root, or a folder that
    // cannot be opened, opens the process's current folder instead.
    void start(const QString& startText);
    // False, changing nothing, when the folder cannot be opened.
    bool openFolder(const QString& path);
    // Full path, without a final "/" except for the root.
    QString folder() const { return folder_; }

    // Runs the dialog from the start text: the open folder when confirmed,
    // nothing when cancelled.
    static std::optional<QString> choose(const QString& startText);
    // Tests answer the next dialog through this instead of a modal loop: the
    // answer gets the dialog already started and returns whether it confirms.
    static void setNextAnswer(std::function<bool(FolderDialog&)> answer);

private:
    void listFolder();
    void openItem(QListWidgetItem* item);

    QString folder_;
    QLineEdit* pathLine_;
    QListWidget* folderList_;
};

}  // namespace grittydecal
