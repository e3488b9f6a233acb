#include "app/FormStorage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "app/DecalComboBox.h"
#include "app/DirectoryEdit.h"
#include "app/ErrorBoxes.h"
#include "app/TForm1.h"
#include "settings/SettingsValues.h"

namespace grittydecal {
namespace {

// The placement flag of a window that was maximized before it was minimized.
constexpr std::int32_t kRestoreToMaximized = 2;

std::string SettingsFile() {
    return settingsFileName(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
}

PixelRect ToPixels(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

std::int32_t ShowCommand(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized) return 2;
    if (states & Qt::WindowMaximized) return 3;
    return 1;
}

Qt::WindowStates WithShowState(Qt::WindowStates states, ShowState state) {
    states &= ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == ShowState::Minimized) states |= Qt::WindowMinimized;
    if (state == ShowState::Maximized) states |= Qt::WindowMaximized;
    return states;
}

}  // namespace

FormStorage::FormStorage(TForm1& form)
    : form_(form),
      store_(*this, settingsFolderFromEnvironment().value_or(std::string()), SettingsFile()),
      pixelsPerInch_(0) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        pixelsPerInch_ = static_cast<std::int32_t>(std::lround(screen->logicalDotsPerInchY()));
    }
}

void FormStorage::RestoreSettings() { store_.restore(); }

void FormStorage::SaveSettings() { report(store_.save()); }

void FormStorage::SaveSettingsOnDestroy() { report(store_.saveOnDestroy()); }

void FormStorage::report(const std::optional<std::string>& failure) {
    if (failure) ShowFailure(QFile::decodeName(QByteArray::fromStdString(*failure)));
}

WindowPlacement FormStorage::placement() {
    const Qt::WindowStates states = form_.windowState();
    WindowPlacement placement;
    if ((states & Qt::WindowMinimized) && (states & Qt::WindowMaximized)) {
        placement.flags = kRestoreToMaximized;
    }
    placement.showCmd = ShowCommand(states);
    placement.minPosition = minPosition_;
    placement.maxPosition = maxPosition_;
    placement.normalPosition = ToPixels(form_.normalFrame());
    return placement;
}

void FormStorage::setPlacement(const WindowPlacement& placement) {
    // The flags need no applying: Qt keeps a maximized state under a minimized one itself.
    const PixelRect& rect = placement.normalPosition;
    form_.setNormalFrame(
        QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
    minPosition_ = placement.minPosition;
    maxPosition_ = placement.maxPosition;
    if (placement.showCmd != 0 && isVisible() &&
        showStateOf(placement.showCmd) != showStateOf(ShowCommand(form_.windowState()))) {
        form_.setWindowState(WithShowState(form_.windowState(), showStateOf(placement.showCmd)));
    }
}

bool FormStorage::isVisible() {
    // During the show event the widget counts as visible but is not displayed yet.
    const QWindow* window = form_.windowHandle();
    return window != nullptr && window->isVisible();
}

PixelRect FormStorage::frame() { return ToPixels(form_.frameGeometry()); }

void FormStorage::setShowState(ShowState state) {
    form_.setWindowState(WithShowState(form_.windowState(), state));
}

bool FormStorage::isMinimized() { return form_.isMinimized(); }

void FormStorage::postMinimize() {
    QMetaObject::invokeMethod(&form_, &QWidget::showMinimized, Qt::QueuedConnection);
}

PixelSize FormStorage::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    return {screen->size().width(), screen->size().height()};
}

std::int32_t FormStorage::pixelsPerInch() { return pixelsPerInch_; }

PixelSize FormStorage::sizingBorder() {
    // The side and bottom of the frame; none until a window manager has framed the window.
    const QMargins margins = form_.frameMargins();
    return {margins.left(), margins.bottom()};
}

std::int32_t FormStorage::decalIndex() { return form_.ComboBox1->currentIndex(); }

void FormStorage::setDecalIndex(std::int32_t index) {
    // -1 and positions past the list leave no entry selected and the field empty.
    form_.ComboBox1->setCurrentIndex(index);
}

std::string FormStorage::folderText() {
    return QFile::encodeName(form_.DirectoryEdit1->text()).toStdString();
}

void FormStorage::setFolderText(std::string_view text) {
    form_.DirectoryEdit1->setText(
        QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size()))));
}

bool FormStorage::areaMode() { return form_.CheckBox1->isChecked(); }

void FormStorage::setAreaMode(bool on) {
    // A change runs CheckBox1Click through the check box's toggled signal.
    form_.CheckBox1->setChecked(on);
}

}  // namespace grittydecal
