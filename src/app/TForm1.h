#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <string_view>

#include "app/FormStorage.h"
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
    ~TForm1() override;

    DirectoryEdit* DirectoryEdit1;
    DecalComboBox* ComboBox1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button2;
    FormStorage FormStorage1;
    QLabel* Label3;
    QCheckBox* CheckBox1;

    void Button1Click();
    void Button2Click();
    void CheckBox1Click();

    void setProgressText(std::string_view text) override;
    void processPendingMessages() override;
    void beep() override;
    void showError(std::string_view message) override;

    // The outer frame of the normal (not maximized) geometry, in screen pixels.
    QRect normalFrame() const;
    void setNormalFrame(const QRect& frame);
    // Empty until a window manager has framed the window.
    QMargins frameMargins() const;

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
    // Since pending messages were last processed; invalid before a command's
    // first request.
    QElapsedTimer sinceMessages_;
    bool endRequested_ = false;
    bool closeRequested_ = false;
    bool shown_ = false;
    // The size the frame should have, until it is known.
    QSize outerSize_;
    bool outerSizeFitted_ = false;
};

// The one main window of the run.
extern TForm1* Form1;

}  // namespace grittydecal
