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

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>

namespace {

const QString ShippedKeys = QStringLiteral(FRAPPIN_RESOURCES_DIR "/clavier.dat");

// The shipped key table and the index of its last entry (-1 when the file cannot be read).
struct ShippedKeyTable {
    ShippedKeyTable()
    {
        if (!loadKeyTable(ShippedKeys, table, last))
            last = -1;
    }
    TextTable table;
    qint16 last = 0;
};

} // namespace

class TestKeyCaps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tellingMarkersLieWhereTheLayoutSays_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QPoint>("pixel");
        // clang-format off
        QTest::newRow("0 Echap")       << 0   << QRect(240, 3180, 165, 165)  << QPoint(6, 8);
        QTest::newRow("16 square")     << 16  << QRect(240, 3720, 165, 165)  << QPoint(6, 44);
        QTest::newRow("38 A")          << 38  << QRect(780, 4050, 165, 165)  << QPoint(42, 66);
        QTest::newRow("50 Entree")     << 50  << QRect(5130, 4260, 165, 165) << QPoint(332, 80);
        QTest::newRow("59 Q")          << 59  << QRect(960, 4410, 165, 165)  << QPoint(54, 90);
        QTest::newRow("91 pad Entr")   << 91  << QRect(7920, 5040, 165, 165) << QPoint(518, 132);
        QTest::newRow("94 space bar")  << 94  << QRect(2850, 5100, 165, 165) << QPoint(180, 136);
        QTest::newRow("101 pad point") << 101 << QRect(7590, 5130, 165, 165) << QPoint(496, 138);
        // clang-format on
    }
    // The eight telling markers lie where the layout puts them, in twips and in picture pixels.
    void tellingMarkersLieWhereTheLayoutSays()
    {
        QFETCH(int, index);
        QFETCH(QRect, twips);
        QFETCH(QPoint, pixel);
        QCOMPARE(KeyCaps::markerTwips(index), twips);
        QCOMPARE(KeyCaps::markerPixels(index).topLeft(), pixel);
    }

    // Each marker lies on its own cap at its row's top or the layout's exception; caps run in index order.
    void everyMarkerLiesOnItsOwnCapAtItsRowTop()
    {
        const QRect picture(QPoint(0, 0), KeyCaps::PictureSize);
        const int rowStarts[] = {0, 16, 37, 58, 74, 92, 102};
        const int rowTops[] = {3180, 3720, 4050, 4410, 4770, 5130}; // in twips
        const QMap<int, int> exceptions = {{13, 3210}, {33, 3690}, {42, 4080}, {50, 4260}, {57, 4320},
                                           {65, 4380}, {66, 4380}, {68, 4380}, {72, 4380}, {78, 4740},
                                           {79, 4740}, {81, 4740}, {89, 4740}, {90, 4740}, {91, 5040},
                                           {94, 5100}, {97, 5100}, {98, 5100}, {99, 5100}};
        for (int row = 1; row <= 6; ++row) {
            for (int i = rowStarts[row - 1]; i < rowStarts[row]; ++i) {
                const QRect marker = KeyCaps::markerPixels(i);
                const int top = KeyCaps::markerTwips(i).top();
                const QByteArray at = QStringLiteral("marker %1 at top %2").arg(i).arg(top).toUtf8();
                QCOMPARE(KeyCaps::cap(i).row, row);
                QVERIFY2(top == exceptions.value(i, rowTops[row - 1]), at.constData());
                QVERIFY2(KeyCaps::capShape(i).contains(QRectF(marker)), at.constData());
                QVERIFY2(picture.contains(KeyCaps::capRect(i)), at.constData());
                if (i > rowStarts[row - 1])
                    QVERIFY2(KeyCaps::capRect(i).left() > KeyCaps::capRect(i - 1).right(), at.constData());
                for (int j = i + 1; j < KeyCaps::Count; ++j)
                    QVERIFY2(!KeyCaps::capShape(i).intersects(KeyCaps::capShape(j)),
                             qPrintable(QStringLiteral("%1 and %2 overlap").arg(i).arg(j)));
            }
        }
    }

    // The picture, drawn from the same table, shows a key under every marker.
    void pictureShowsACapUnderEveryMarker()
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

    // Each line of the shipped file names the character of the key drawn under its marker.
    void shippedKeyFileAgreesWithThePicture()
    {
        QVERIFY2(fileBytes(ShippedKeys).startsWith("#"), "the file starts with a comment");
        const ShippedKeyTable keys;
        QCOMPARE(keys.last, qint16(KeyCaps::Count - 1));
        // The guide takes a character's lowest marker: the digit row's minus, not the pad's; the pad's 1.
        QStringList found;
        for (const QString c : {"a", "q", "^", "é", "'", "-", "1"})
            found.append(c + '=' + QString::number(findKey(keys.table, keys.last, c)));
        QCOMPARE(found.join(u' '), QStringLiteral("a=38 q=59 ^=48 é=18 '=20 -=22 1=88"));
        for (int i = 0; i < KeyCaps::Count; ++i) {
            const KeyCaps::KeyCap &k = KeyCaps::cap(i);
            const QString label = QString::fromUtf16(k.label);
            // The left shift serves the diaeresis, and the file cannot hold the comma key's character.
            QString expected;
            if (i == 74)
                expected = QStringLiteral("¨");
            else if (i == 94)
                expected = QStringLiteral(" ");
            else if (k.kind == KeyCaps::Kind::Character && label != u",")
                expected = label.toLower();
            const QString &line = keys.table[static_cast<std::size_t>(i)];
            QVERIFY2(line == expected,
                     qPrintable(QStringLiteral("line %1: \"%2\", not \"%3\"").arg(i).arg(line, expected)));
        }
    }

    // The guide finds the keys of every character of the shipped words, dead-key letters included.
    void everyLetterOfTheShippedWordListFindsItsKeys()
    {
        Sandbox sandbox;
        sandbox.copyShippedFile(QStringLiteral("frappin.mot"));
        ChargePhrases();
        const ProgramValues &v = values();
        QVERIFY(v.NbPhrases > 100);
        const ShippedKeyTable keys;
        QSet<QString> deadKeysUsed;
        FieldTable champs;
        for (int n = 0; n < v.NbPhrases; ++n) {
            QVERIFY(ExpandWord(v.Phrases[static_cast<std::size_t>(n)], champs));
            for (const QChar c : champs[0]) {
                QStringList strokes{QString(c)};
                if (const auto dead = deadKeyStrokes(QString(c))) {
                    strokes = {dead->deadKey, dead->baseLetter};
                    deadKeysUsed.insert(dead->deadKey);
                }
                for (const QString &key : strokes)
                    QVERIFY2(findKey(keys.table, keys.last, key) >= 0,
                             qPrintable(QStringLiteral("\"%1\" of \"%2\"").arg(key, champs[0])));
            }
        }
        // The list holds letters of both dead keys, so both ways were taken.
        QCOMPARE(deadKeysUsed, (QSet<QString>{QStringLiteral("^"), QStringLiteral("¨")}));
    }
};

FRAPPIN_TEST_MAIN(TestKeyCaps)
#include "tst_keycaps.moc"
