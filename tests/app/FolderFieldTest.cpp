#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/DirectoryEdit.h"
#include "app/FolderDialog.h"

using namespace grittydecal;

namespace {

QListWidgetItem* Item(FolderDialog& dialog, const QString& name) {
    const auto found = dialog.findChild<QListWidget*>(QStringLiteral("folderList"))
                           ->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void DoubleClick(FolderDialog& dialog, const QString& name) {
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("folderList"));
    QListWidgetItem* item = Item(dialog, name);
    QVERIFY2(item != nullptr, qPrintable(name));
    // Items have their places only once the list has laid them out.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QVERIFY(QTest::qWaitFor([&] { return list->visualItemRect(item).isValid(); }));
    const QPoint centre = list->visualItemRect(item).center();
    // A widget's double-click event comes after the press of a first click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

}  // namespace

// The folder field's browse steps and the folder dialog, on a small tree:
// the process starts in "work"; "a" holds "b" and "c".
class FolderFieldTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startFolder_data();
    void startFolder();
    void browseSteps();
    void returnsTheOpenFolderNotTheHighlightedOne();
    void cancelKeepsTheCurrentFolderMoved();
    void altDownBrowsesEnterDoesNot();
    void dialogKeys();

private:
    // Answers the next dialog: records where it opened, then runs the steps.
    void answer(bool confirm, std::function<void(FolderDialog&)> steps = {});

    QTemporaryDir tree_;
    QString savedCurrent_;
    QString work_;
    QString a_;
    QStringList opened_;
};

void FolderFieldTest::init() {
    savedCurrent_ = QDir::currentPath();
    QVERIFY(tree_.isValid());
    const QDir root(tree_.path());
    QVERIFY(root.mkpath(QStringLiteral("work")));
    QVERIFY(root.mkpath(QStringLiteral("a/b")));
    QVERIFY(root.mkpath(QStringLiteral("a/c")));
    work_ = QDir::cleanPath(root.filePath(QStringLiteral("work")));
    a_ = QDir::cleanPath(root.filePath(QStringLiteral("a")));
    QVERIFY(QDir::setCurrent(work_));
    opened_.clear();
}

void FolderFieldTest::cleanup() {
    FolderDialog::setNextAnswer(nullptr);
    QDir::setCurrent(savedCurrent_);
}

void FolderFieldTest::answer(bool confirm, std::function<void(FolderDialog&)> steps) {
    FolderDialog::setNextAnswer([this, confirm, steps](FolderDialog& dialog) {
        opened_ << dialog.folder();
        if (steps) steps(dialog);
        return confirm;
    });
}

void FolderFieldTest::startFolder_data() {
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("opens");  // relative to the tree
    QTest::newRow("the root opens the current folder") << "/"
                                                       << "work";
    QTest::newRow("a folder") << "../a"
                              << "a";
    QTest::newRow("a folder with a final slash") << "../a/b/"
                                                 << "a/b";
    QTest::newRow("a folder that cannot be opened") << "../missing"
                                                    << "work";
}

void FolderFieldTest::startFolder() {
    QFETCH(QString, startText);
    QFETCH(QString, opens);
    FolderDialog dialog;
    dialog.start(startText);
    QCOMPARE(dialog.folder(), QDir::cleanPath(tree_.path() + u'/' + opens));
    QCOMPARE(QDir::currentPath(), QDir(dialog.folder()).canonicalPath());
}

void FolderFieldTest::browseSteps() {
    DirectoryEdit field;

    // Empty field, no folder confirmed yet: the current folder; cancel changes nothing.
    answer(false);
    field.browse();
    QCOMPARE(opened_.takeLast(), work_);
    QCOMPARE(field.text(), QString());
    QCOMPARE(field.initialDir(), QString());

    // A folder with a final slash opens as it is; confirming at once drops the slash.
    field.setText(a_ + u'/');
    answer(true);
    field.browse();
    QCOMPARE(opened_.takeLast(), a_);
    QCOMPARE(field.text(), a_);
    QCOMPARE(field.initialDir(), a_);

    // Emptied again: the folder confirmed last.
    field.clear();
    answer(false);
    field.browse();
    QCOMPARE(opened_.takeLast(), a_);

    // A missing folder starts as for the root, the remembered folder notwithstanding.
    QVERIFY(QDir::setCurrent(work_));
    field.setText(a_ + QStringLiteral("/missing"));
    answer(false);
    field.browse();
    QCOMPARE(opened_.takeLast(), work_);
    QCOMPARE(field.text(), a_ + QStringLiteral("/missing"));

    // Going up to the root and confirming gives the root with its slash.
    answer(true, [](FolderDialog& dialog) {
        while (dialog.folder() != QDir::rootPath()) DoubleClick(dialog, QStringLiteral(".."));
    });
    field.browse();
    QCOMPARE(field.text(), QStringLiteral("/"));
    QCOMPARE(field.initialDir(), QStringLiteral("/"));
}

void FolderFieldTest::returnsTheOpenFolderNotTheHighlightedOne() {
    DirectoryEdit field;
    field.setText(a_);
    answer(true, [](FolderDialog& dialog) {
        DoubleClick(dialog, QStringLiteral("b"));
        DoubleClick(dialog, QStringLiteral(".."));
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("folderList"));
        list->setCurrentItem(Item(dialog, QStringLiteral("c")));  // highlighted only
    });
    field.browse();
    QCOMPARE(field.text(), a_);
}

void FolderFieldTest::cancelKeepsTheCurrentFolderMoved() {
    DirectoryEdit field;
    field.setText(a_);
    answer(false, [](FolderDialog& dialog) { DoubleClick(dialog, QStringLiteral("c")); });
    field.browse();
    QCOMPARE(field.text(), a_);
    QCOMPARE(QDir::currentPath(), QDir(a_ + QStringLiteral("/c")).canonicalPath());
}

void FolderFieldTest::altDownBrowsesEnterDoesNot() {
    DirectoryEdit field;
    field.show();
    QVERIFY(QTest::qWaitForWindowActive(&field));
    answer(true);
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClick(&field, Qt::Key_Down);
    QVERIFY(opened_.isEmpty());
    QTest::keyClick(&field, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(opened_, QStringList{work_});
    QCOMPARE(field.text(), work_);
    QVERIFY(field.hasFocus());
}

void FolderFieldTest::dialogKeys() {
    FolderDialog dialog;
    dialog.start(a_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Directory"));
    QStringList captions;
    QPushButton* defaultButton = nullptr;
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        captions << button->text();
        if (button->isDefault()) defaultButton = button;
    }
    captions.sort();
    QCOMPARE(captions, (QStringList{QStringLiteral("OK"), QStringLiteral("Zrušit")}));
    QVERIFY(defaultButton != nullptr);
    QCOMPARE(defaultButton->text(), QStringLiteral("OK"));

    // Enter in the list confirms rather than opening the highlighted folder.
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("folderList"));
    list->setCurrentItem(Item(dialog, QStringLiteral("b")));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.folder(), a_);

    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(list, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

QTEST_MAIN(FolderFieldTest)
#include "FolderFieldTest.moc"
