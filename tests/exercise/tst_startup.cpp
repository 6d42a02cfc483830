// Start-up of the main window: the two loaders and their messages, the first display and the greeting.

#include "common/strings.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingFilesAreToldInLoadingOrder();
    void startupWaitsForTheFirstSeries_data();
    void startupWaitsForTheFirstSeries();
};

void TestStartup::missingFilesAreToldInLoadingOrder()
{
    Sandbox sandbox;
    frmMain window;
    QCOMPARE(sandbox.messages.size(), 2);
    QCOMPARE(sandbox.messages[0].title, QStringLiteral("Fichier des mots"));
    QCOMPARE(sandbox.messages[1].title, QStringLiteral("Fichier du clavier"));
    QCOMPARE(values().NbPhrases, 0);
    QCOMPARE(window.windowTitle(), Texts::ApplicationTitle);
}

void TestStartup::startupWaitsForTheFirstSeries_data()
{
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("exercice");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("words");
    QTest::newRow("fresh store") << QString() << QString() << "" << 5;
    QTest::newRow("first name trimmed") << "  Léa "
                                        << "1"
                                        << "Léa" << 10;
    QTest::newRow("twenty words") << "Tom"
                                  << "3"
                                  << "Tom" << 20;
}

void TestStartup::startupWaitsForTheFirstSeries()
{
    QFETCH(QString, prenom);
    QFETCH(QString, exercice);
    QFETCH(QString, shown);
    QFETCH(int, words);
    Sandbox sandbox;
    sandbox.copyShippedFile("frappin.mot");
    sandbox.copyShippedFile("clavier.dat");
    if (!prenom.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, prenom);
    if (!exercice.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Exercice, exercice);

    frmMain window;
    // Before the window is shown, the typing box holds the pupil's name of "Dernière".
    QCOMPARE(window.findChild<QLineEdit *>("MonTexte")->text(), QStringLiteral("<inconnue>"));
    window.show();
    QVERIFY(sandbox.messages.isEmpty());
    QVERIFY(values().NbPhrases >= 200);
    QCOMPARE(window.findChild<QLineEdit *>("MonTexte")->text(), shown);
    QCOMPARE(values().MotsRestants, words);
    QCOMPARE(values().EnCours, 0);
    QCOMPARE(window.findChild<QLabel *>("Message")->text(), Texts::Invitation);
    QVERIFY(window.findChild<QPushButton *>("BoutonDepart")->isEnabled());
    QVERIFY(!window.findChild<QLineEdit *>("MotATaper")->isVisible());
    QVERIFY(!window.findChild<QLabel *>("Consigne")->isVisible());
    QVERIFY(!window.findChild<QWidget *>("MotATaperBord")->isVisible());
}

FRAPPIN_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
