#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

#include "TestFiles.h"
#include "app/DecalComboBox.h"
#include "app/DirectoryEdit.h"
#include "app/ErrorBoxes.h"
#include "app/TForm1.h"
#include "terrain/PosixFileSystem.h"

using namespace grittydecal;
using grittydecal::testing::ReadFile;
using grittydecal::testing::WriteFile;

namespace {

// Named after this program file, as the tool's file is after its own.
const QString kFileName = QStringLiteral("app_form_storage_test.INI");

struct ShownBox {
    QString title;
    QString text;
};

// Answers the next error box and keeps what it showed.
void AnswerNextBox(QList<ShownBox>& shown) {
    SetNextErrorBoxAnswer([&shown](QMessageBox& box) {
        shown.append({box.windowTitle(), box.text()});
    });
}

QByteArray ScreenSuffix() {
    const QSize size = QGuiApplication::primaryScreen()->size();
    return "(" + QByteArray::number(size.width()) + "x" + QByteArray::number(size.height()) + ")";
}

}  // namespace

class FormStorageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartWritesTwelveKeys();
    void restartBringsBackWhatWasClosed();
    void startsFromAStoredFile_data();
    void startsFromAStoredFile();
    void closeDuringACommandSavesTheValuesOfTheRequest();
    void writeFailureIsShownTwice_data();
    void writeFailureIsShownTwice();
    void destructionSavesWhatTheCloseCouldNot();

private:
    // A window as at start-up: created, then shown, which restores.
    std::unique_ptr<TForm1> start();
    // Closes as the user does; false when the window stayed.
    bool closeWindow(TForm1& form);
    QString file() const { return config_->filePath(kFileName); }

    PosixFileSystem fileSystem_;
    std::unique_ptr<QTemporaryDir> config_;
};

void FormStorageTest::initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

void FormStorageTest::init() {
    config_ = std::make_unique<QTemporaryDir>();
    QVERIFY(config_->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_->path()));
}

void FormStorageTest::cleanup() {
    SetNextErrorBoxAnswer(nullptr);
    Form1 = nullptr;
    // Let no close request of one test reach the next.
    QCoreApplication::processEvents();
    config_.reset();
}

std::unique_ptr<TForm1> FormStorageTest::start() {
    auto form = std::make_unique<TForm1>(fileSystem_);
    Form1 = form.get();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qWarning("the window was not exposed");
    return form;
}

bool FormStorageTest::closeWindow(TForm1& form) {
    form.close();
    QCoreApplication::processEvents();
    return !form.isVisible();
}

void FormStorageTest::firstStartWritesTwelveKeys() {
    auto form = start();
    QVERIFY(!QFile::exists(file()));
    QCOMPARE(form->frameGeometry(), QRect(81, 254, 739, 149));
    QCOMPARE(form->ComboBox1->currentIndex(), 0);
    QCOMPARE(form->ComboBox1->currentText(), QStringLiteral("stony_dirt_1.dcl"));
    QCOMPARE(form->DirectoryEdit1->text(), QString());
    QCOMPARE(QApplication::focusWidget(), form->DirectoryEdit1);
    QVERIFY(!form->CheckBox1->isChecked());
    QCOMPARE(form->Label1->text(), QStringLiteral("X-Plane root"));
    QCOMPARE(form->windowState(), Qt::WindowNoState);

    // The maximized position as the restore leaves it: the sizing border, negated.
    const QMargins frame = form->windowHandle()->frameMargins();
    const QByteArray minMax =
        "=-1,-1," + QByteArray::number(-frame.left()) + "," + QByteArray::number(-frame.bottom());
    QVERIFY(closeWindow(*form));

    const QByteArray suffix = ScreenSuffix();
    const QByteArray expected = QByteArrayList{"[TForm1]",
                                               "FormVersion=0",
                                               "Flags=0",
                                               "ShowCmd=1",
                                               "PixelsPerInch=96",  // offscreen
                                               "MinMaxPos" + suffix + minMax,
                                               "MinMaxPos" + minMax,
                                               "NormPos" + suffix + "=81,254,820,403",
                                               "NormPos=81,254,820,403",
                                               "Visible=0",
                                               "ComboBox1_ItemIndex=0",
                                               "DirectoryEdit1_Text=",
                                               "CheckBox1_Checked=False",
                                               ""}
                                    .join('\n');
    QCOMPARE(ReadFile(file()), expected);

    // The save at the close completed, so the destruction leaves the file alone.
    form.reset();
    QCOMPARE(ReadFile(file()), expected);
}

void FormStorageTest::restartBringsBackWhatWasClosed() {
    const QString folder = QStringLiteral("\"/home/me/X-Plane 10\"");
    QRect placed;
    {
        auto form = start();
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
        form->ComboBox1->setCurrentIndex(12);
        form->DirectoryEdit1->setText(QStringLiteral("  ") + folder + QStringLiteral("\t"));
        form->move(150, 120);
        form->resize(800, 200);
        placed = form->frameGeometry();
        QCOMPARE(placed.topLeft(), QPoint(150, 120));
        QVERIFY(closeWindow(*form));
    }
    const QByteArray text = ReadFile(file());
    QVERIFY2(text.contains("\nDirectoryEdit1_Text=\"" + folder.toUtf8() + "\"\n"), text);

    {
        // Where the window is when it is first displayed: already at its stored place.
        auto form = std::make_unique<TForm1>(fileSystem_);
        form->winId();
        QRect displayedAt;
        connect(form->windowHandle(), &QWindow::visibleChanged, this, [&](bool visible) {
            if (visible && displayedAt.isNull()) displayedAt = form->frameGeometry();
        });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(displayedAt, placed);
        QCOMPARE(form->frameGeometry(), placed);

        QVERIFY(form->CheckBox1->isChecked());
        QCOMPARE(form->Label1->text(), QStringLiteral("Area folder"));
        QCOMPARE(form->ComboBox1->currentIndex(), 12);
        QCOMPARE(form->ComboBox1->currentText(), form->ComboBox1->itemText(12));
        // Restored before the field takes the focus and selects its text.
        QCOMPARE(form->DirectoryEdit1->text(), folder);
        QCOMPARE(form->DirectoryEdit1->selectedText(), folder);

        // A name typed by hand is no list position; a maximized window keeps its normal place.
        form->ComboBox1->setFocus();
        form->ComboBox1->lineEdit()->selectAll();
        QTest::keyClicks(form->ComboBox1, QStringLiteral("my_own.dcl"));
        QCOMPARE(form->ComboBox1->currentIndex(), -1);
        form->showMaximized();
        QTRY_VERIFY(form->isMaximized());
        QVERIFY(closeWindow(*form));
    }
    QVERIFY2(ReadFile(file()).contains("\nShowCmd=3\n"), ReadFile(file()));

    auto form = start();
    QVERIFY(form->isMaximized());
    QCOMPARE(form->ComboBox1->currentIndex(), -1);
    QCOMPARE(form->ComboBox1->currentText(), QString());
    form->showNormal();
    QTRY_COMPARE(form->frameGeometry(), placed);

    // Minimized from maximized: the one placement flag Qt has an equivalent of.
    form->showMaximized();
    form->showMinimized();
    QTRY_VERIFY(form->isMinimized());
    QVERIFY(closeWindow(*form));
    const QByteArray last = ReadFile(file());
    QVERIFY2(last.contains("\nFlags=2\nShowCmd=2\n"), last);
}

void FormStorageTest::startsFromAStoredFile_data() {
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("decal");
    QTest::addColumn<int>("state");
    const int normal = Qt::WindowNoState;
    QTest::newRow("an empty list entry")
        << QByteArray("ComboBox1_ItemIndex=36\n") << 36 << QString() << normal;
    QTest::newRow("past the list")
        << QByteArray("ComboBox1_ItemIndex=40\n") << -1 << QString() << normal;
    QTest::newRow("minimized") << QByteArray("ShowCmd=2\n") << 0
                               << QStringLiteral("stony_dirt_1.dcl") << int(Qt::WindowMinimized);
    QTest::newRow("a placement from another pixel density is not used")
        << QByteArray("PixelsPerInch=1\nNormPos=10,10,500,300\n") << 0
        << QStringLiteral("stony_dirt_1.dcl") << normal;
}

void FormStorageTest::startsFromAStoredFile() {
    QFETCH(QByteArray, keys);
    QFETCH(int, index);
    QFETCH(QString, decal);
    QFETCH(int, state);
    WriteFile(file(), "[TForm1]\n" + keys);

    auto form = start();
    QCOMPARE(form->ComboBox1->currentIndex(), index);
    QCOMPARE(form->ComboBox1->currentText(), decal);
    // A minimized start happens once the event loop runs.
    QTRY_COMPARE(int(form->windowState()), state);
    form->showNormal();
    QTRY_COMPARE(form->frameGeometry(), QRect(81, 254, 739, 149));
}

void FormStorageTest::closeDuringACommandSavesTheValuesOfTheRequest() {
    const QString area = config_->filePath(QStringLiteral("Area"));
    WriteFile(area + QStringLiteral("/terrain/one.ter"), "A\r\n");
    auto form = start();
    form->CheckBox1->setChecked(true);
    form->DirectoryEdit1->setText(area);

    bool closedAtOnce = true;
    QMetaObject::invokeMethod(
        form.get(),
        [&] {
            closedAtOnce = form->close();
            // Changed after the request, while the command still runs.
            form->DirectoryEdit1->setText(QStringLiteral("/later"));
        },
        Qt::QueuedConnection);
    QTest::mouseClick(form->Button1, Qt::LeftButton);

    QVERIFY(!closedAtOnce);
    QVERIFY(!form->isVisible());
    QVERIFY2(ReadFile(area + QStringLiteral("/terrain/one.ter")).contains("DECAL_LIB"),
             "the command ran to its end");
    const QByteArray text = ReadFile(file());
    QVERIFY2(text.contains("\nDirectoryEdit1_Text=" + QFile::encodeName(area) + "\n"), text);
    QVERIFY2(text.contains("\nVisible=0\n"), text);
}

void FormStorageTest::writeFailureIsShownTwice_data() {
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("the file is a folder") << true;
    QTest::newRow("the file is write-protected") << false;
}

void FormStorageTest::writeFailureIsShownTwice() {
    QFETCH(bool, asFolder);
    const QByteArray old = "[TForm1]\r\nDirectoryEdit1_Text=/old\r\n";
    if (asFolder) {
        QVERIFY(QDir(config_->path()).mkdir(kFileName));
    } else {
        WriteFile(file(), old);
        // Even root does not write a file without any write permission.
        QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::ReadGroup));
    }

    auto form = start();
    form->DirectoryEdit1->setText(QStringLiteral("/new"));
    QList<ShownBox> shown;
    AnswerNextBox(shown);
    QVERIFY(closeWindow(*form));
    QCOMPARE(shown.size(), 1);

    AnswerNextBox(shown);
    form.reset();
    QCOMPARE(shown.size(), 2);
    for (const ShownBox& box : shown) {
        QCOMPARE(box.title, QStringLiteral("app_form_storage_test"));
        QCOMPARE(box.text, QStringLiteral("Unable to write to app_form_storage_test.INI."));
    }

    if (asFolder) {
        QVERIFY(QDir(file()).isEmpty());
    } else {
        QCOMPARE(ReadFile(file()), old);
    }
    // Nothing half-written left beside it.
    QCOMPARE(
        QDir(config_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{kFileName});
}

void FormStorageTest::destructionSavesWhatTheCloseCouldNot() {
    QVERIFY(QDir(config_->path()).mkdir(kFileName));
    auto form = start();
    form->DirectoryEdit1->setText(QStringLiteral("/kept"));
    QList<ShownBox> shown;
    AnswerNextBox(shown);
    QVERIFY(closeWindow(*form));
    QCOMPARE(shown.size(), 1);

    QVERIFY(QDir(config_->path()).rmdir(kFileName));
    form.reset();
    QCOMPARE(shown.size(), 1);
    const QByteArray text = ReadFile(file());
    QVERIFY2(text.contains("\nVisible=1\n"), text);
    QVERIFY2(text.contains("\nDirectoryEdit1_Text=/kept\n"), text);
}

QTEST_MAIN(FormStorageTest)
#include "FormStorageTest.moc"
