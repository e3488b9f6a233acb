#include "app/FolderDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace grittydecal {
namespace {

const QString kParentFolder = QStringLiteral("..");

std::function<bool(FolderDialog&)>& NextAnswer() {
    static std::function<bool(FolderDialog&)> answer;
    return answer;
}

}  // namespace

FolderDialog::FolderDialog(QWidget* parent)
    : QDialog(parent), pathLine_(new QLineEdit(this)), folderList_(new QListWidget(this)) {
    setObjectName(QStringLiteral("FolderDialog"));
    setWindowTitle(QStringLiteral("Select Directory"));
    setWindowModality(Qt::ApplicationModal);
    resize(380, 320);

    pathLine_->setObjectName(QStringLiteral("pathLine"));
    pathLine_->setReadOnly(true);
    pathLine_->setFocusPolicy(Qt::NoFocus);
    folderList_->setObjectName(QStringLiteral("folderList"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Zrušit"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathLine_);
    layout->addWidget(folderList_);
    layout->addWidget(buttons);

    // A double-click opens; Enter stays with the default button.
    connect(folderList_, &QListWidget::itemDoubleClicked, this, &FolderDialog::openItem);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FolderDialog::start(const QString& startText) {
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(startText));
    if (path != QDir::rootPath() && openFolder(path)) return;
    if (!openFolder(QDir::currentPath())) openFolder(QDir::rootPath());
}

bool FolderDialog::openFolder(const QString& path) {
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QFileInfo info(absolute);
    if (!info.isDir() || !info.isExecutable() || !QDir::setCurrent(absolute)) return false;
    folder_ = absolute;
    listFolder();
    return true;
}

void FolderDialog::listFolder() {
    pathLine_->setText(folder_);
    folderList_->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    if (folder_ != QDir::rootPath()) folderList_->addItem(new QListWidgetItem(icon, kParentFolder));
    const QStringList names =
        QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) folderList_->addItem(new QListWidgetItem(icon, name));
    folderList_->setCurrentRow(0);
}

void FolderDialog::openItem(QListWidgetItem* item) {
    if (item == nullptr) return;
    const QString name = item->text();
    openFolder(name == kParentFolder ? QFileInfo(folder_).absolutePath()
                                     : QDir(folder_).filePath(name));
}

std::optional<QString> FolderDialog::choose(const QString& startText) {
    FolderDialog dialog;
    dialog.start(startText);
    const bool confirmed = NextAnswer() ? std::exchange(NextAnswer(), nullptr)(dialog)
                                        : dialog.exec() == QDialog::Accepted;
    if (!confirmed) return std::nullopt;
    return dialog.folder();
}

void FolderDialog::setNextAnswer(std::function<bool(FolderDialog&)> answer) {
    NextAnswer() = std::move(answer);
}

}  // namespace grittydecal
