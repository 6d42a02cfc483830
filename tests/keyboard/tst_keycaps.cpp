// The on-screen keyboard and the shipped keyboard file: each marker on its key cap at the layout's place, the
// caps in index order without overlap, the picture drawn under every marker, and a clavier.dat whose every
// line names the key drawn under its marker and serves every letter of the shipped word list.

#include "common/values.h"
#include "exercise/typing.h"
#include "keyboard/expandword.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>

class TestKeyCaps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tellingMarkersLieWhereTheLayoutSays_data();
    void tellingMarkersLieWhereTheLayoutSays();
    void markersSitAtTheirRowTop_data();
    void markersSitAtTheirRowTop();
    void everyMarkerLiesOnItsOwnCapInsideThePicture();
    void capsRunInIndexOrderWithoutOverlap();
    void pictureShowsACapUnderEveryMarker();

    void shippedKeyFileGivesEachMarkerItsKey_data();
    void shippedKeyFileGivesEachMarkerItsKey();
    void shippedKeyFileAgreesWithThePicture();
    void shippedKeyFileIsWindows1252WithCrLf();
    void everyLetterOfTheShippedWordListFindsItsKeys();

private:
    static TextTable loadShippedKeys(qint16 &last);
};

// Markers whose top differs from their row's usual top: index to top in twips.
using TopExceptions = QMap<int, int>;

namespace {

// The picture's place in the client area and the size of a marker, in twips, as the layout gives them.
constexpr int PictureLeft = 150;
constexpr int PictureTop = 3060;
constexpr int MarkerSize = 165;

QString shippedFile(const QString &name)
{
    return QStringLiteral(FRAPPIN_RESOURCES_DIR "/") + name;
}

} // namespace

void TestKeyCaps::tellingMarkersLieWhereTheLayoutSays_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("0 Echap") << 0 << 240 << 3180 << QPoint(6, 8);
    QTest::newRow("16 square") << 16 << 240 << 3720 << QPoint(6, 44);
    QTest::newRow("38 A") << 38 << 780 << 4050 << QPoint(42, 66);
    QTest::newRow("50 Entree") << 50 << 5130 << 4260 << QPoint(332, 80);
    QTest::newRow("59 Q") << 59 << 960 << 4410 << QPoint(54, 90);
    QTest::newRow("91 pad Entr") << 91 << 7920 << 5040 << QPoint(518, 132);
    QTest::newRow("94 space bar") << 94 << 2850 << 5100 << QPoint(180, 136);
    QTest::newRow("101 pad point") << 101 << 7590 << 5130 << QPoint(496, 138);
}

void TestKeyCaps::tellingMarkersLieWhereTheLayoutSays()
{
    QFETCH(int, index);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(QPoint, pixel);
    QCOMPARE(KeyCaps::markerTwips(index), QRect(left, top, MarkerSize, MarkerSize));
    QCOMPARE(KeyCaps::markerPixels(index).topLeft(), pixel);
}

void TestKeyCaps::markersSitAtTheirRowTop_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("usualTop");
    QTest::addColumn<TopExceptions>("exceptions");
    QTest::newRow("function keys") << 0 << 15 << 3180 << TopExceptions{{13, 3210}};
    QTest::newRow("digits") << 16 << 36 << 3720 << TopExceptions{{33, 3690}};
    QTest::newRow("A to P") << 37 << 57 << 4050 << TopExceptions{{42, 4080}, {50, 4260}, {57, 4320}};
    QTest::newRow("Q to M") << 58 << 73 << 4410
                            << TopExceptions{{65, 4380}, {66, 4380}, {68, 4380}, {72, 4380}};
    QTest::newRow("W to !") << 74 << 91 << 4770 << TopExceptions{{78, 4740}, {79, 4740}, {81, 4740},
                                                                 {89, 4740}, {90, 4740}, {91, 5040}};
    QTest::newRow("space bar") << 92 << 101 << 5130
                               << TopExceptions{{94, 5100}, {97, 5100}, {98, 5100}, {99, 5100}};
}

void TestKeyCaps::markersSitAtTheirRowTop()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, usualTop);
    QFETCH(TopExceptions, exceptions);
    for (int i = first; i <= last; ++i) {
        const int expected = exceptions.value(i, usualTop);
        QVERIFY2(KeyCaps::markerTwips(i).top() == expected,
                 qPrintable(QStringLiteral("marker %1 at top %2").arg(i).arg(KeyCaps::markerTwips(i).top())));
    }
}

// A marker lies wholly on its own cap (and so on no other, since caps do not overlap), within the layout's
// range of lefts and tops.
void TestKeyCaps::everyMarkerLiesOnItsOwnCapInsideThePicture()
{
    const QRect picture(QPoint(0, 0), KeyCaps::PictureSize);
    for (int i = 0; i < KeyCaps::Count; ++i) {
        const QRect marker = KeyCaps::markerPixels(i);
        QVERIFY2(KeyCaps::capShape(i).contains(QRectF(marker)), qPrintable(QString::number(i)));
        QVERIFY2(picture.contains(KeyCaps::capRect(i)), qPrintable(QString::number(i)));
        const QRect twips = KeyCaps::markerTwips(i);
        QVERIFY(twips.left() >= 240 && twips.left() <= 7920);
        QVERIFY(twips.top() >= 3180 && twips.top() <= 5130);
        QCOMPARE(twips.left(), PictureLeft + marker.left() * 15);
        QCOMPARE(twips.top(), PictureTop + marker.top() * 15);
    }
}

// Within a row the caps run from left to right in index order, and the rows hold the layout's indexes.
void TestKeyCaps::capsRunInIndexOrderWithoutOverlap()
{
    const int rowStarts[] = {0, 16, 37, 58, 74, 92, 102};
    for (int row = 1; row <= 6; ++row) {
        for (int i = rowStarts[row - 1]; i < rowStarts[row]; ++i) {
            QCOMPARE(KeyCaps::cap(i).row, row);
            if (i > rowStarts[row - 1])
                QVERIFY2(KeyCaps::capRect(i).left() > KeyCaps::capRect(i - 1).right(),
                         qPrintable(QString::number(i)));
        }
    }
    for (int i = 0; i < KeyCaps::Count; ++i) {
        for (int j = i + 1; j < KeyCaps::Count; ++j)
            QVERIFY2(!KeyCaps::capShape(i).intersects(KeyCaps::capShape(j)),
                     qPrintable(QStringLiteral("caps %1 and %2 overlap").arg(i).arg(j)));
    }
}

// The picture is drawn from the same table: under every marker lies a key, not the bare plate, and between
// the function row and the digit row the plate shows.
void TestKeyCaps::pictureShowsACapUnderEveryMarker()
{
    QImage image(KeyCaps::PictureSize, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    {
        QPainter painter(&image);
        drawKeyboard(painter);
    }
    const QRgb plate = KeyboardColours::Plate.rgb();
    QCOMPARE(image.pixel(200, 32), plate);
    for (int i = 0; i < KeyCaps::Count; ++i) {
        const QRect marker = KeyCaps::markerPixels(i);
        for (const QPoint &p : {marker.topLeft(), marker.center(), marker.bottomRight()}) {
            QVERIFY2(image.pixel(p) != plate && image.pixel(p) != QColor(Qt::magenta).rgb(),
                     qPrintable(QStringLiteral("marker %1 at %2,%3").arg(i).arg(p.x()).arg(p.y())));
        }
    }
}

TextTable TestKeyCaps::loadShippedKeys(qint16 &last)
{
    TextTable table;
    last = 0;
    if (!loadKeyTable(shippedFile(KeyboardFileName), table, last))
        qWarning("clavier.dat cannot be read");
    return table;
}

void TestKeyCaps::shippedKeyFileGivesEachMarkerItsKey_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("marker");
    QTest::newRow("a") << "a" << 38;
    QTest::newRow("q") << "q" << 59;
    QTest::newRow("space") << " " << 94;
    QTest::newRow("circumflex dead key") << "^" << 48;
    QTest::newRow("diaeresis on left shift") << "¨" << 74;
    QTest::newRow("e acute") << "é" << 18;
    QTest::newRow("apostrophe") << "'" << 20;
    QTest::newRow("minus of the digit row before the pad's") << "-" << 22;
    QTest::newRow("digit on the pad") << "1" << 88;
    QTest::newRow("comma has no key") << "," << -1;
    QTest::newRow("capital has no key") << "A" << -1;
    QTest::newRow("empty text: the first key that types nothing") << "" << 0;
}

void TestKeyCaps::shippedKeyFileGivesEachMarkerItsKey()
{
    QFETCH(QString, character);
    QFETCH(int, marker);
    qint16 last = 0;
    const TextTable table = loadShippedKeys(last);
    QCOMPARE(last, qint16(KeyCaps::Count - 1));
    QCOMPARE(findKey(table, last, character), marker);
}

// Each data line names the key drawn under its marker: a letter key gives its letter in lower case, another
// character key the character printed at its lower left, and a key that types nothing an empty character
// (but the left shift, which serves the diaeresis, and the comma key, which the file cannot hold).
void TestKeyCaps::shippedKeyFileAgreesWithThePicture()
{
    qint16 last = 0;
    const TextTable table = loadShippedKeys(last);
    QCOMPARE(last, qint16(KeyCaps::Count - 1));
    for (int i = 0; i < KeyCaps::Count; ++i) {
        const KeyCaps::KeyCap &k = KeyCaps::cap(i);
        const QString label = QString::fromUtf16(k.label);
        QString expected;
        if (i == 74)
            expected = QStringLiteral("¨");
        else if (i == 94)
            expected = QStringLiteral(" ");
        else if (k.kind == KeyCaps::Kind::Character && label != u",")
            expected = label.toLower();
        QVERIFY2(table[static_cast<std::size_t>(i)] == expected,
                 qPrintable(QStringLiteral("line %1 gives \"%2\", the picture shows \"%3\"")
                                .arg(i)
                                .arg(table[static_cast<std::size_t>(i)], expected)));
    }
}

void TestKeyCaps::shippedKeyFileIsWindows1252WithCrLf()
{
    QFile file(shippedFile(KeyboardFileName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    // The diaeresis and the accented letters are single Windows-1252 bytes, not UTF-8 sequences.
    QVERIFY(bytes.contains("\r\n74,\xa8,"));
    QVERIFY(bytes.contains("\r\n18,\xe9,"));
    QVERIFY(bytes.startsWith("#"));
}

// The guide must find a key for every character of the shipped words: a letter made with a dead key through
// its dead key and its base letter, any other character through its own key.
void TestKeyCaps::everyLetterOfTheShippedWordListFindsItsKeys()
{
    Sandbox sandbox;
    sandbox.copyShippedFile(QStringLiteral("frappin.mot"));
    ChargePhrases();
    const ProgramValues &v = values();
    QVERIFY(v.NbPhrases > 100);
    qint16 last = 0;
    const TextTable table = loadShippedKeys(last);

    QSet<QString> deadKeysUsed;
    FieldTable champs;
    for (int n = 0; n < v.NbPhrases; ++n) {
        QVERIFY(ExpandWord(v.Phrases[static_cast<std::size_t>(n)], champs));
        for (const QChar c : champs[0]) {
            const QString letter(c);
            QStringList keys{letter};
            if (const auto strokes = deadKeyStrokes(letter)) {
                keys = {strokes->deadKey, strokes->baseLetter};
                deadKeysUsed.insert(strokes->deadKey);
            }
            for (const QString &key : keys)
                QVERIFY2(findKey(table, last, key) >= 0,
                         qPrintable(QStringLiteral("\"%1\" of \"%2\"").arg(key, champs[0])));
        }
    }
    // The list holds letters of both dead keys, so both ways were taken.
    QCOMPARE(deadKeysUsed, (QSet<QString>{QStringLiteral("^"), QStringLiteral("¨")}));
}

FRAPPIN_TEST_MAIN(TestKeyCaps)
#include "tst_keycaps.moc"
