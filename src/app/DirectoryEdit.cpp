#include "app/DirectoryEdit.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

#include "app/FolderDialog.h"

namespace grittydecal {
namespace {

constexpr int kButtonWidth = 21;

// As the file system's attribute query sees it: a link to a folder counts.
bool IsExistingFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

}  // namespace

DirectoryEdit::DirectoryEdit(QWidget* parent)
    : QLineEdit(parent), browseButton_(new QToolButton(this)) {
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    browseButton_->setCursor(Qt::ArrowCursor);
    browseButton_->setFocusPolicy(Qt::NoFocus);
    browseButton_->setAutoRaise(true);
    setTextMargins(0, 0, kButtonWidth, 0);
    setAcceptDrops(false);

    connect(browseButton_, &QToolButton::clicked, this, &DirectoryEdit::browse);
}

void DirectoryEdit::browse() {
    QString startText = text();
    if (startText.isEmpty()) startText = initialDir_.isEmpty() ? QStringLiteral("/") : initialDir_;
    if (!IsExistingFolder(startText)) startText = QStringLiteral("/");

    const std::optional<QString> chosen = FolderDialog::choose(startText);
    if (focusPolicy() != Qt::NoFocus && isEnabled()) setFocus(Qt::OtherFocusReason);
    if (!chosen) return;
    setText(*chosen);
    if (IsExistingFolder(*chosen)) initialDir_ = *chosen;
}

void DirectoryEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
        event->accept();
        browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DirectoryEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    browseButton_->setGeometry(width() - frame - kButtonWidth, frame, kButtonWidth,
                               height() - 2 * frame);
}

}  // namespace grittydecal
