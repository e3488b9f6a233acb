#include <QTest>

#include "app/DecalCompletion.h"
#include "app/DecalList.h"

using grittydecal::CompleteDecal;
using grittydecal::DecalFieldState;

class DecalCompletionTest : public QObject {
    Q_OBJECT

private slots:
    void completes_data();
    void completes();
};

void DecalCompletionTest::completes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QString>("typed");
    // An entry of -1: nothing completes, the character is typed as it is.
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("newSelectionStart");

    QTest::newRow("whole text selected, capital G")
        << "stony_dirt_1.dcl" << 0 << 16 << "G" << 10 << "Grass_and_shrubs.dcl" << 1;
    QTest::newRow("typing on keeps the typed case")
        << "Grass_and_shrubs.dcl" << 1 << 19 << "r" << 10 << "Grass_and_shrubs.dcl" << 2;
    QTest::newRow("a later entry once the first no longer fits")
        << "Grass_and_shrubs.dcl" << 10 << 10 << "a" << 19 << "Grass_and_asphalt_1.dcl" << 11;
    QTest::newRow("first entry wins, rest in the entry's case")
        << "" << 0 << 0 << "l" << 2 << "lF_grey_1_mid.dcl" << 1;
    QTest::newRow("no selection: the whole text is the candidate")
        << "stony" << 0 << 0 << "_" << 0 << "stony_dirt_1.dcl" << 6;
    QTest::newRow("text after the selection is dropped")
        << "agsXXXtail" << 3 << 3 << "_" << 13 << "ags_shrub_dirt_green_key_1.dcl" << 4;
    QTest::newRow("the last character of an entry")
        << "very_long_grass.dc" << 0 << 0 << "l" << 32 << "very_long_grass.dcl" << 19;
    QTest::newRow("nothing begins so") << "stony_x" << 0 << 0 << "y" << -1 << "" << 0;
    QTest::newRow("past the end of every entry")
        << "stony_dirt_1.dcl" << 0 << 0 << "x" << -1 << "" << 0;
}

void DecalCompletionTest::completes() {
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QString, typed);
    QFETCH(int, entry);
    QFETCH(QString, newText);
    QFETCH(int, newSelectionStart);

    DecalFieldState field;
    field.text = text.toStdU16String();
    field.selectionStart = static_cast<std::size_t>(selectionStart);
    field.selectionLength = static_cast<std::size_t>(selectionLength);
    const auto completion = CompleteDecal(field, typed.toStdU16String(), grittydecal::kDecalList);

    if (entry < 0) {
        QVERIFY(!completion.has_value());
        return;
    }
    QVERIFY(completion.has_value());
    QCOMPARE(completion->entry, entry);
    QCOMPARE(QString::fromStdU16String(completion->field.text), newText);
    QCOMPARE(completion->field.selectionStart, static_cast<std::size_t>(newSelectionStart));
    // The completed rest is selected, so the next character replaces it.
    QCOMPARE(completion->field.selectionStart + completion->field.selectionLength,
             static_cast<std::size_t>(newText.size()));
}

QTEST_APPLESS_MAIN(DecalCompletionTest)
#include "DecalCompletionTest.moc"
