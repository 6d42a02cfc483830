// Time to handle one typed change: a ten-letter word, a key table of 1025 entries whose letters lie at its
// end (the worst case of the lookup), the level that shows the hands.

#include "common/values.h"
#include "exercise/frmmain.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

class BenchTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedChange();
};

void BenchTyping::typedChange()
{
    Sandbox sandbox;
    const QString word = QStringLiteral("abcdéfghij");
    sandbox.writeFile("frappin.mot", (word + ",,\r\n").toUtf8());
    QString keys;
    for (int i = 0; i < MaxListEntries; ++i) {
        const int letter = i - (MaxListEntries - 26);
        keys +=
            QString::number(i) + u',' + (letter >= 0 ? QString(QChar(u'a' + letter)) : QString()) + "\r\n";
    }
    sandbox.writeFile("clavier.dat", keys.toUtf8());

    frmMain window;
    window.show();
    window.BoutonDepart_Click();
    auto *typing = window.findChild<QLineEdit *>("MonTexte");
    QCOMPARE(values().DerniereTouche, MaxListEntries - 1);

    // Nine changes that type the word up to its last letter, one wrong letter, one that clears the box:
    // every kind of change but the completion.
    int changes = 0;
    QBENCHMARK
    {
        for (int i = 1; i < word.size(); ++i)
            typing->setText(word.left(i));
        typing->setText(word.left(4) + u'x');
        typing->clear();
        changes += static_cast<int>(word.size()) + 1;
    }
    QVERIFY(changes > 0);
    QVERIFY(window.series().FautesMot > 0);
}

FRAPPIN_TEST_MAIN(BenchTyping)
#include "bench_typing.moc"
