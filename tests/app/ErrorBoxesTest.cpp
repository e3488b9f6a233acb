#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "app/Application.h"
#include "app/ErrorBoxes.h"

using namespace grittydecal;

namespace {

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next error box and keeps what it showed.
ShownBox* AnswerNextBox() {
    static ShownBox shown;
    shown = ShownBox{};
    SetNextErrorBoxAnswer([](QMessageBox& box) {
        shown.title = box.windowTitle();
        shown.text = box.text();
        shown.icon = box.icon();
        for (QAbstractButton* button : box.buttons()) shown.buttons << button->text();
    });
    return &shown;
}

// A handler that fails the way a settings write fails.
class FailingReceiver : public QObject {
public:
    int events = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        if (++events == 1) throw std::runtime_error("Unable to write to grittydecal.INI");
        return true;
    }
};

}  // namespace

class ErrorBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void taskbarTitle_data();
    void taskbarTitle();
    void fullStop_data();
    void fullStop();
    void showErrorBox();
    void okDismisses_data();
    void okDismisses();
    void failureEscapingAHandler();
};

void ErrorBoxesTest::taskbarTitle_data() {
    QTest::addColumn<QString>("programFile");
    QTest::addColumn<QString>("title");
    QTest::newRow("the program") << "/usr/bin/grittydecal"
                                 << "grittydecal";
    QTest::newRow("up to the first dot") << "/opt/Gritty.Decal.bin"
                                         << "Gritty";
    QTest::newRow("first character kept, rest lowered") << "gRITTY.EXE"
                                                        << "gritty";
    QTest::newRow("capital first character") << "/x/GRITTYDECAL"
                                             << "Grittydecal";
    QTest::newRow("a dot in the folder does not count") << "/a.b/Tool"
                                                        << "Tool";
    QTest::newRow("non-ASCII letters lowered too") << "ŽLUŤOUČKÝ"
                                                   << "Žluťoučký";
    QTest::newRow("a leading dot leaves nothing") << "/x/.hidden"
                                                  << "";
}

void ErrorBoxesTest::taskbarTitle() {
    QFETCH(QString, programFile);
    QFETCH(QString, title);
    QCOMPARE(TaskbarTitle(programFile), title);
}

void ErrorBoxesTest::fullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Unable to write to grittydecal.INI"
                            << "Unable to write to grittydecal.INI.";
    QTest::newRow("full stop already") << "Done."
                                       << "Done.";
    QTest::newRow("sorts before the dot") << "Stop!"
                                          << "Stop!";
    QTest::newRow("closing parenthesis") << "(here)"
                                         << "(here)";
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("slash sorts after the dot") << "/tmp/"
                                               << "/tmp/.";
    QTest::newRow("digit") << "code 5"
                           << "code 5.";
    QTest::newRow("non-ASCII") << "chyba č"
                               << "chyba č.";
    QTest::newRow("empty") << ""
                           << "";
}

void ErrorBoxesTest::fullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(WithFullStop(message), shown);
}

void ErrorBoxesTest::showErrorBox() {
    const ShownBox* shown = AnswerNextBox();
    ShowError(QStringLiteral("Wrong folder"));
    QCOMPARE(shown->title, QStringLiteral("Chyba"));
    QCOMPARE(shown->text, QStringLiteral("Wrong folder"));
    QCOMPARE(shown->icon, QMessageBox::Critical);
    QCOMPARE(shown->buttons, QStringList{QStringLiteral("OK")});
    // The commands' message is shown as it is: no full stop.
}

void ErrorBoxesTest::okDismisses_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("close button") << 0;
}

void ErrorBoxesTest::okDismisses() {
    QFETCH(int, key);
    const auto box = MakeErrorBox(QStringLiteral("Chyba"), QStringLiteral("Wrong folder"));
    QSignalSpy finished(box.get(), &QDialog::finished);
    box->open();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    if (key != 0) {
        QTest::keyClick(box.get(), Qt::Key(key));
    } else {
        box->close();
    }
    QCOMPARE(finished.count(), 1);
    QVERIFY(box->clickedButton() != nullptr);
    QCOMPARE(box->clickedButton()->text(), QStringLiteral("OK"));
}

void ErrorBoxesTest::failureEscapingAHandler() {
    FailingReceiver receiver;
    const ShownBox* shown = AnswerNextBox();
    QEvent first(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &first);

    QCOMPARE(shown->title, QStringLiteral("app_error_boxes_test"));
    QCOMPARE(shown->text, QStringLiteral("Unable to write to grittydecal.INI."));
    QCOMPARE(shown->icon, QMessageBox::Critical);
    QCOMPARE(shown->buttons, QStringList{QStringLiteral("OK")});

    // The tool goes on: the next event, posted this time, is handled.
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(receiver.events, 2);
}

int main(int argc, char** argv) {
    Application application(argc, argv);
    ErrorBoxesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ErrorBoxesTest.moc"
