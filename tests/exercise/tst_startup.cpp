// Start-up of the main window: the two loaders and their messages, the first display and the greeting.

#include "common/strings.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startupWaitsForTheFirstSeries_data()
    {
        QTest::addColumn<bool>("dataFiles");
        QTest::addColumn<QString>("prenom");
        QTest::addColumn<QString>("exercice");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("words");
        // clang-format off
        QTest::newRow("fresh store")        << true  << QString() << QString() << ""    << 5;
        QTest::newRow("first name trimmed") << true  << "  Léa "  << "1"       << "Léa" << 10;
        QTest::newRow("twenty words")       << true  << "Tom"     << "3"       << "Tom" << 20;
        QTest::newRow("no data files")      << false << "Tom"     << QString() << "Tom" << 5;
        // clang-format on
    }
    // The window greets the pupil and waits for the start button; missing data files are told in order.
    void startupWaitsForTheFirstSeries()
    {
        QFETCH(bool, dataFiles);
        QFETCH(QString, prenom);
        QFETCH(QString, exercice);
        QFETCH(QString, shown);
        QFETCH(int, words);
        Sandbox sandbox;
        if (dataFiles)
            sandbox.copyShippedData();
        if (!prenom.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, prenom);
        if (!exercice.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Exercice, exercice);

        frmMain window;
        // Before the window is shown, the typing box holds the pupil's name of "Dernière".
        QCOMPARE(window.findChild<QLineEdit *>("MonTexte")->text(), QStringLiteral("<inconnue>"));
        window.show();
        QCOMPARE(window.windowTitle(), Texts::ApplicationTitle);
        QStringList titles;
        for (const MessageRequest &message : sandbox.messages)
            titles.append(message.title);
        const QStringList told = {"Fichier des mots", "Fichier du clavier"};
        QCOMPARE(titles, dataFiles ? QStringList() : told);
        QVERIFY(dataFiles ? values().NbPhrases >= 200 : values().NbPhrases == 0);
        QCOMPARE(window.findChild<QLineEdit *>("MonTexte")->text(), shown);
        QCOMPARE(values().MotsRestants, words);
        QCOMPARE(values().EnCours, 0);
        QCOMPARE(window.findChild<QLabel *>("Message")->text(), Texts::Invitation);
        QVERIFY(window.findChild<QPushButton *>("BoutonDepart")->isEnabled());
        for (const char *hidden : {"MotATaper", "Consigne", "MotATaperBord"})
            QVERIFY2(!window.findChild<QWidget *>(hidden)->isVisible(), hidden);
    }
};

FRAPPIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
