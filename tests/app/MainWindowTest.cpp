#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestFiles.h"
#include "app/DecalComboBox.h"
#include "app/DirectoryEdit.h"
#include "app/ErrorBoxes.h"
#include "app/TForm1.h"
#include "commands/DecalCommands.h"
#include "terrain/PosixFileSystem.h"

using namespace grittydecal;
using grittydecal::testing::ReadFile;
using grittydecal::testing::WriteFile;

namespace {

const QByteArray kTerrain = "A\r\nBASE_TEX x.dds\r\nNO_ALPHA\r\n";

// Runs once, inside the next command, when the walk processes messages.
template <typename Step>
void DuringTheCommand(QObject* context, Step step) {
    QMetaObject::invokeMethod(context, step, Qt::QueuedConnection);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStart();
    void layout_data();
    void layout();
    void tabOrder();
    void captionFollowsTheMode();
    void typedDecal();
    void setAndClearOnATree();
    void wrongFolder();
    void secondCommandWhileOneRuns();
    void closeWhileACommandRuns();
    void longProgressTextScrolls();
    void messagesKeepBeingProcessedWhileTheWalkAsks();

private:
    // An area folder with terrain files at two depths.
    QString makeArea();

    PosixFileSystem fileSystem_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<QTemporaryDir> tree_;
};

void MainWindowTest::initTestCase() {
    // Closing the window is part of some tests; the test run goes on.
    QApplication::setQuitOnLastWindowClosed(false);
}

void MainWindowTest::init() {
    tree_ = std::make_unique<QTemporaryDir>();
    QVERIFY(tree_->isValid());
    // Every window starts without stored settings and keeps none of the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tree_->filePath(QStringLiteral("config"))));
    form_ = std::make_unique<TForm1>(fileSystem_);
    Form1 = form_.get();
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void MainWindowTest::cleanup() {
    SetNextErrorBoxAnswer(nullptr);
    Form1 = nullptr;
    form_.reset();
    tree_.reset();
}

QString MainWindowTest::makeArea() {
    const QString area = tree_->filePath(QStringLiteral("Area"));
    WriteFile(area + QStringLiteral("/terrain/one.ter"), kTerrain);
    WriteFile(area + QStringLiteral("/sub/Terrain/two.ter"), kTerrain);
    WriteFile(area + QStringLiteral("/sub/Terrain/three.ter"), kTerrain);
    return area;
}

void MainWindowTest::firstStart() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("X-plane 10  Gritty detail texture"));
    QCOMPARE(form_->pos(), QPoint(81, 254));
    // No window manager offscreen, so the outer size is the client size.
    QCOMPARE(form_->frameGeometry().size(), QSize(739, 149));
    QVERIFY(!form_->windowIcon().isNull());

    QCOMPARE(QApplication::focusWidget(), form_->DirectoryEdit1);
    QCOMPARE(form_->DirectoryEdit1->text(), QString());

    QCOMPARE(form_->ComboBox1->count(), 37);
    QCOMPARE(form_->ComboBox1->currentIndex(), 0);
    QCOMPARE(form_->ComboBox1->currentText(), QStringLiteral("stony_dirt_1.dcl"));
    QCOMPARE(form_->ComboBox1->itemText(34), QStringLiteral("very_long_grass_modulator2.dcl"));
    QCOMPARE(form_->ComboBox1->itemText(35), QString());
    QCOMPARE(form_->ComboBox1->itemText(36), QString());
    QCOMPARE(form_->ComboBox1->maxVisibleItems(), 8);

    QVERIFY(!form_->CheckBox1->isChecked());
    QCOMPARE(form_->CheckBox1->text(), QStringLiteral("Vybraný čtverec"));
    QCOMPARE(form_->Label1->text(), QStringLiteral("X-Plane root"));
    QCOMPARE(form_->Label2->text(), QStringLiteral("Select DCL"));
    QCOMPARE(form_->Label3->text(), QString());
    QCOMPARE(form_->Button1->text(), QStringLiteral("Set"));
    QCOMPARE(form_->Button2->text(), QStringLiteral("Clear"));
    for (QPushButton* button : {form_->Button1, form_->Button2}) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }

    const QFont font = form_->Label1->font();
    QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(font.pixelSize(), 11);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
}

void MainWindowTest::layout_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("designed");
    // Labels and the check box may be wider than designed (their text decides), never narrower.
    QTest::newRow("Label1") << "Label1" << QRect(36, 20, 58, 13);
    QTest::newRow("Label2") << "Label2" << QRect(37, 49, 54, 13);
    QTest::newRow("Label3") << "Label3" << QRect(111, 88, 3, 13);
    QTest::newRow("DirectoryEdit1") << "DirectoryEdit1" << QRect(112, 16, 377, 21);
    QTest::newRow("ComboBox1") << "ComboBox1" << QRect(112, 47, 369, 21);
    QTest::newRow("Button1") << "Button1" << QRect(632, 16, 75, 25);
    QTest::newRow("Button2") << "Button2" << QRect(632, 57, 75, 25);
    QTest::newRow("CheckBox1") << "CheckBox1" << QRect(505, 19, 97, 17);
}

void MainWindowTest::layout() {
    QFETCH(QString, control);
    QFETCH(QRect, designed);
    auto* widget = form_->findChild<QWidget*>(control);
    QVERIFY(widget != nullptr);
    const QWidget* client = form_->findChild<QScrollArea*>()->widget();
    QCOMPARE(widget->parentWidget(), client);
    QCOMPARE(client->mapTo(form_.get(), QPoint(0, 0)), QPoint(0, 0));

    QCOMPARE(widget->pos(), designed.topLeft());
    QCOMPARE(widget->height(), designed.height());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // One line, as wide as its text; an empty label as wide as a blank.
        const QFontMetrics metrics(label->font());
        const QString text = label->text().isEmpty() ? QStringLiteral(" ") : label->text();
        QCOMPARE(label->width(), metrics.horizontalAdvance(text));
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        QVERIFY(box->width() >= designed.width());
        QVERIFY2(box->width() >= box->sizeHint().width(), "the caption is cut");
    } else {
        QCOMPARE(widget->width(), designed.width());
    }
}

void MainWindowTest::tabOrder() {
    const QList<QWidget*> order = {form_->ComboBox1, form_->Button1, form_->Button2,
                                   form_->CheckBox1, form_->DirectoryEdit1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // Arriving from the keyboard selects the folder field's whole text.
    form_->DirectoryEdit1->setText(QStringLiteral("/some/folder"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(form_->DirectoryEdit1->selectedText(), QStringLiteral("/some/folder"));
}

void MainWindowTest::captionFollowsTheMode() {
    QTest::mouseClick(form_->CheckBox1, Qt::LeftButton);
    QVERIFY(form_->CheckBox1->isChecked());
    QCOMPARE(form_->Label1->text(), QStringLiteral("Area folder"));
    QCOMPARE(form_->Label1->width(),
             QFontMetrics(form_->Label1->font()).horizontalAdvance(QStringLiteral("Area folder")));

    // A state set from outside, as a restore does, switches the caption too.
    form_->CheckBox1->setChecked(false);
    QCOMPARE(form_->Label1->text(), QStringLiteral("X-Plane root"));
    form_->CheckBox1->setFocus();
    QTest::keyClick(form_->CheckBox1, Qt::Key_Space);
    QCOMPARE(form_->Label1->text(), QStringLiteral("Area folder"));
}

void MainWindowTest::typedDecal() {
    DecalComboBox* field = form_->ComboBox1;
    QLineEdit* edit = field->lineEdit();
    field->setFocus();
    edit->selectAll();

    QTest::keyClicks(field, QStringLiteral("G"));
    QCOMPARE(edit->text(), QStringLiteral("Grass_and_shrubs.dcl"));
    QCOMPARE(edit->selectedText(), QStringLiteral("rass_and_shrubs.dcl"));
    QCOMPARE(field->currentIndex(), 10);

    QTest::keyClicks(field, QStringLiteral("rass_and_"));
    QCOMPARE(field->currentIndex(), 10);
    QTest::keyClicks(field, QStringLiteral("a"));
    QCOMPARE(field->currentIndex(), 19);
    QCOMPARE(edit->text(), QStringLiteral("Grass_and_asphalt_1.dcl"));
    QCOMPARE(edit->selectedText(), QStringLiteral("sphalt_1.dcl"));

    // Backspace takes the completed rest and leaves no entry selected.
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("Grass_and_a"));
    QCOMPARE(field->currentIndex(), -1);

    // Nothing begins so: typed as it is, still no entry.
    QTest::keyClicks(field, QStringLiteral("zz"));
    QCOMPARE(edit->text(), QStringLiteral("Grass_and_azz"));
    QCOMPARE(field->currentIndex(), -1);

    // Choosing an empty entry empties the decal name.
    field->setCurrentIndex(36);
    QCOMPARE(field->currentText(), QString());
}

void MainWindowTest::setAndClearOnATree() {
    const QString area = makeArea();
    form_->DirectoryEdit1->setText(area);
    QTest::mouseClick(form_->CheckBox1, Qt::LeftButton);

    // A decal typed in other letter case than the list's stays as typed,
    // also when the click on "Set" takes the focus from the field.
    DecalComboBox* field = form_->ComboBox1;
    field->setFocus();
    field->lineEdit()->selectAll();
    QTest::keyClicks(field, QStringLiteral("G"));
    QTest::keyClicks(field, QStringLiteral("rass_and_shrubs.dcl"));
    QTest::keyClick(field, Qt::Key_Return);
    QTest::mouseClick(form_->Button1, Qt::LeftButton);

    QCOMPARE(form_->Label3->text(), QString::fromLatin1(kDone.data(), kDone.size()));
    const QByteArray set = kTerrain + "\r\nDECAL_LIB lib/g10/decals/Grass_and_shrubs.dcl\r\n";
    QCOMPARE(ReadFile(area + QStringLiteral("/terrain/one.ter")), set);
    QCOMPARE(ReadFile(area + QStringLiteral("/sub/Terrain/two.ter")), set);

    form_->Label3->clear();
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    QCOMPARE(form_->Label3->text(), QString::fromLatin1(kDone.data(), kDone.size()));
    QCOMPARE(ReadFile(area + QStringLiteral("/terrain/one.ter")), kTerrain);
    QCOMPARE(ReadFile(area + QStringLiteral("/sub/Terrain/three.ter")), kTerrain);
    QCOMPARE(ReadFile(area + QStringLiteral("/terrain/temp.txt")), set);
}

void MainWindowTest::wrongFolder() {
    const QString area = makeArea();
    QString title;
    QString text;
    SetNextErrorBoxAnswer([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
    });
    // Installation mode wants "Custom Scenery", which an area folder lacks.
    form_->DirectoryEdit1->setText(area);
    QTest::mouseClick(form_->Button1, Qt::LeftButton);

    QCOMPARE(title, QStringLiteral("Chyba"));
    QCOMPARE(text, QStringLiteral("Wrong folder"));
    QCOMPARE(form_->Label3->text(), QString::fromLatin1(kDone.data(), kDone.size()));
    QCOMPARE(ReadFile(area + QStringLiteral("/terrain/one.ter")), kTerrain);
}

void MainWindowTest::secondCommandWhileOneRuns() {
    const QString area = makeArea();
    form_->DirectoryEdit1->setText(area);
    form_->CheckBox1->setChecked(true);

    bool clickedDuringTheWalk = false;
    DuringTheCommand(form_.get(), [&] {
        QTest::mouseClick(form_->Button1, Qt::LeftButton);
        clickedDuringTheWalk = true;
    });
    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    QVERIFY(clickedDuringTheWalk);
    // The Set clicked inside the Clear did not run: no decal line anywhere.
    for (const QString& file :
         {QStringLiteral("/terrain/one.ter"), QStringLiteral("/sub/Terrain/two.ter"),
          QStringLiteral("/sub/Terrain/three.ter")}) {
        QCOMPARE(ReadFile(area + file), kTerrain);
    }
    QCOMPARE(form_->Label3->text(), QString::fromLatin1(kDone.data(), kDone.size()));
    QVERIFY(form_->isVisible());
}

void MainWindowTest::closeWhileACommandRuns() {
    const QString area = makeArea();
    form_->DirectoryEdit1->setText(area);
    form_->CheckBox1->setChecked(true);
    form_->ComboBox1->setCurrentIndex(1);

    bool closedAtOnce = true;
    bool visibleAfterTheRequest = false;
    DuringTheCommand(form_.get(), [&] {
        closedAtOnce = form_->close();
        visibleAfterTheRequest = form_->isVisible();
    });
    QTest::mouseClick(form_->Button1, Qt::LeftButton);

    QVERIFY(!closedAtOnce);
    QVERIFY(visibleAfterTheRequest);
    // The command ran to its end, every file included; then the window went.
    const QByteArray set = kTerrain + "\r\nDECAL_LIB lib/g10/decals/stony_dirt_2.dcl\r\n";
    QCOMPARE(ReadFile(area + QStringLiteral("/terrain/one.ter")), set);
    QCOMPARE(ReadFile(area + QStringLiteral("/sub/Terrain/two.ter")), set);
    QCOMPARE(ReadFile(area + QStringLiteral("/sub/Terrain/three.ter")), set);
    QCOMPARE(form_->Label3->text(), QString::fromLatin1(kDone.data(), kDone.size()));
    QVERIFY(!form_->isVisible());
}

void MainWindowTest::longProgressTextScrolls() {
    const QScrollBar* bar = form_->findChild<QScrollArea*>()->horizontalScrollBar();
    QVERIFY(!bar->isVisible());

    form_->setProgressText("/" + std::string(300, 'x') + "/terrain/");
    QCoreApplication::processEvents();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->maximum() > 0);

    form_->setProgressText(kDone);
    QCoreApplication::processEvents();
    QVERIFY(!bar->isVisible());
}

// The walk asks after every entry; the window answers a few milliseconds
// apart, and so still takes what comes in while the walk goes on.
void MainWindowTest::messagesKeepBeingProcessedWhileTheWalkAsks() {
    form_->processPendingMessages();
    bool handled = false;
    QMetaObject::invokeMethod(
        form_.get(), [&] { handled = true; }, Qt::QueuedConnection);
    QElapsedTimer waited;
    waited.start();
    while (!handled && !waited.hasExpired(2000)) form_->processPendingMessages();
    QVERIFY(handled);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
