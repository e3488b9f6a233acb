#pragma once

#include <QWidget>
#include <string_view>

#include "commands/DecalCommands.h"
#include "terrain/FileSystem.h"
#include "terrain/WindowSystem.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace grittydecal {

class DecalComboBox;
class DirectoryEdit;

// The main window. The controls keep their designer names; the window's own
// logic is the wiring, the mode caption and the two command handlers.
class TForm1 : public QWidget, public WindowSystem {
public:
    explicit TForm1(FileSystem& fileSystem, QWidget* parent = nullptr);

    DirectoryEdit* DirectoryEdit1;
    DecalComboBox* ComboBox1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button2;
    QLabel* Label3;
    QCheckBox* CheckBox1;

    void Button1Click();
    void Button2Click();
    void CheckBox1Click();

    void setProgressText(std::string_view text) override;
    void processPendingMessages() override;
    void beep() override;
    void showError(std::string_view message) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::string folderText() const;
    void endIfRequested();
    void fitLabel(QLabel* label);
    void fitOuterSize();

    QScrollArea* scrollArea_;
    QWidget* client_;
    DecalCommands commands_;
    bool endRequested_ = false;
    bool shown_ = false;
    bool outerSizeFitted_ = false;
};

// The one main window of the run.
extern TForm1* Form1;

}  // namespace grittydecal
