// The settings dialog: what it shows and stores when it opens, each selection stored at once, the word-list
// files it lists, and what OK, Enter, Escape and the close box do to the main window.

#include "common/strings.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "settings/frmparam.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

QComboBox *list(QWidget *dialog, const char *name)
{
    return dialog->findChild<QComboBox *>(QString::fromLatin1(name));
}

QString stored(const QString &key)
{
    return Store::Read(Store::Frappin, Store::Demarrage, key, QStringLiteral("<absent>"));
}

QList<frmParam *> openDialogs()
{
    QList<frmParam *> dialogs;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<frmParam *>(widget))
            dialogs.append(dialog);
    }
    return dialogs;
}

void prepareProgramFolder(const Sandbox &sandbox)
{
    sandbox.copyShippedFile("frappin.mot");
    sandbox.copyShippedFile("clavier.dat");
}

} // namespace

class TestFrmParam : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void openingShowsAndStoresTheSettings_data();
    void openingShowsAndStoresTheSettings();
    void eachSelectionIsStoredAtOnce_data();
    void eachSelectionIsStoredAtOnce();
    void closingActsOnTheMainWindow_data();
    void closingActsOnTheMainWindow();
    void menuKeepsOneCopyAndAbandonsTheSeries();
};

void TestFrmParam::cleanup()
{
    qDeleteAll(openDialogs());
}

void TestFrmParam::openingShowsAndStoresTheSettings_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("before"); // key=value stored before the opening
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("shown");  // level, length, sound, file
    QTest::addColumn<QStringList>("stored"); // Niveau, Exercice, Son, Fichier after the opening

    const QStringList two = {"frappin.mot", "autre.mot"};
    const QStringList sorted = {"autre.mot", "frappin.mot"};
    QTest::newRow("fresh store") << two << QStringList() << sorted
                                 << QStringList{"1 - Pas à pas", "5 mots", "Non", "frappin.mot"}
                                 << QStringList{"0", "0", "0", "frappin.mot"};
    QTest::newRow("stored choices") << two
                                    << QStringList{"Niveau=2", "Exercice=3", "Son=1", "Fichier=autre.mot"}
                                    << sorted
                                    << QStringList{"3 - Pas de guide", "20 mots", "Oui", "autre.mot"}
                                    << QStringList{"2", "3", "1", "autre.mot"};
    QTest::newRow("file in another letter case: first file")
        << QStringList{"frappin.mot", "b.mot"} << QStringList{"Fichier=B.mot", "Niveau=1"}
        << QStringList{"b.mot", "frappin.mot"} << QStringList{"2 - Guide limité", "5 mots", "Non", "b.mot"}
        << QStringList{"1", "0", "0", "b.mot"};
    QTest::newRow("values outside the lists: first item")
        << two << QStringList{"Niveau=3", "Exercice=1.5", "Son=oui"} << sorted
        << QStringList{"1 - Pas à pas", "5 mots", "Non", "frappin.mot"}
        << QStringList{"0", "0", "0", "frappin.mot"};
    QTest::newRow("only ordinary .mot files")
        << QStringList{".cachee.mot", "notes.txt", "liste.mot.bak", "GRAND.MOT", " a .mot"} << QStringList()
        << QStringList{" a .mot", "GRAND.MOT"} << QStringList{"1 - Pas à pas", "5 mots", "Non", " a .mot"}
        << QStringList{"0", "0", "0", " a .mot"};
    QTest::newRow("no .mot file: nothing stored for it")
        << QStringList{"clavier.dat"} << QStringList() << QStringList()
        << QStringList{"1 - Pas à pas", "5 mots", "Non", ""} << QStringList{"0", "0", "0", "<absent>"};
}

void TestFrmParam::openingShowsAndStoresTheSettings()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, before);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, stored);
    Sandbox sandbox;
    for (const QString &name : files)
        sandbox.writeFile(name, "chat,,\r\n");
    QDir(sandbox.folder()).mkdir(QStringLiteral("dossier.mot"));
    for (const QString &pair : before)
        Store::Write(Store::Frappin, Store::Demarrage, pair.section(u'=', 0, 0), pair.section(u'=', 1));

    frmParam dialog;
    QStringList items;
    for (int i = 0; i < list(&dialog, "saisieFichier")->count(); ++i)
        items.append(list(&dialog, "saisieFichier")->itemText(i));
    QCOMPARE(items, listed);
    QCOMPARE((QStringList{
                 list(&dialog, "saisieNiveau")->currentText(), list(&dialog, "saisieExercice")->currentText(),
                 list(&dialog, "saisieSon")->currentText(), list(&dialog, "saisieFichier")->currentText()}),
             shown);
    QCOMPARE((QStringList{::stored(Store::Niveau), ::stored(Store::Exercice), ::stored(Store::Son),
                          ::stored(Store::Fichier)}),
             stored);
}

void TestFrmParam::eachSelectionIsStoredAtOnce_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("level") << "saisieNiveau" << 2 << Store::Niveau << "2";
    QTest::newRow("series length") << "saisieExercice" << 3 << Store::Exercice << "3";
    QTest::newRow("sound") << "saisieSon" << 1 << Store::Son << "1";
    QTest::newRow("word-list file") << "saisieFichier" << 0 << Store::Fichier << "a.mot";
}

void TestFrmParam::eachSelectionIsStoredAtOnce()
{
    QFETCH(QString, listName);
    QFETCH(int, position);
    QFETCH(QString, key);
    QFETCH(QString, value);
    Sandbox sandbox;
    sandbox.writeFile("a.mot", "");
    sandbox.writeFile("frappin.mot", "");
    frmParam dialog;
    QComboBox *combo = dialog.findChild<QComboBox *>(listName);
    combo->setCurrentIndex(position);
    QCOMPARE(stored(key), value);

    // Choosing with the arrow keys on the closed list stores too.
    QTest::keyClick(combo, position == 0 ? Qt::Key_Down : Qt::Key_Up);
    QVERIFY(stored(key) != value);
    QCOMPARE(stored(key),
             key == Store::Fichier ? combo->currentText() : QString::number(combo->currentIndex()));
}

void TestFrmParam::closingActsOnTheMainWindow_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("rearmed");
    QTest::newRow("OK button") << "ok" << true;
    QTest::newRow("Enter") << "enter" << true;
    QTest::newRow("Escape") << "escape" << true;
    QTest::newRow("close box") << "closebox" << false;
}

void TestFrmParam::closingActsOnTheMainWindow()
{
    QFETCH(QString, how);
    QFETCH(bool, rearmed);
    Sandbox sandbox;
    prepareProgramFolder(sandbox);
    frmMain window;
    auto *start = window.findChild<QPushButton *>("BoutonDepart");
    auto *message = window.findChild<QLabel *>("Message");
    start->setEnabled(false);
    message->setText(QStringLiteral("Série en cours"));

    window.mnuParam_Click();
    QPointer<frmParam> dialog = openDialogs().value(0);
    QVERIFY(dialog && dialog->isVisible());
    list(dialog, "saisieExercice")->setCurrentIndex(3);
    if (how == "ok")
        dialog->findChild<QPushButton *>("cmdOK")->click();
    else if (how == "enter")
        QTest::keyClick(dialog, Qt::Key_Return);
    else if (how == "escape")
        QTest::keyClick(dialog, Qt::Key_Escape);
    else
        dialog->close();

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    QCOMPARE(start->isEnabled(), rearmed);
    QCOMPARE(message->text(), rearmed ? Texts::Invitation : QStringLiteral("Série en cours"));
    // The choice stays stored either way: the next series has 20 words.
    QCOMPARE(Store::seriesLength(), 20);
}

void TestFrmParam::menuKeepsOneCopyAndAbandonsTheSeries()
{
    Sandbox sandbox;
    prepareProgramFolder(sandbox);
    frmMain window;
    values().EnCours = 1;
    window.mnuParam_Click();
    QCOMPARE(values().EnCours, 0);
    QPointer<frmParam> first = openDialogs().value(0);
    QVERIFY(first && !first->isModal() && !first->parentWidget());
    QVERIFY(first->property(frmMain::OwnDialogProperty).toBool());

    // Tab order of the design, which the keyboard user relies on: OK, length, sound, file, level.
    QStringList chain;
    for (QWidget *w = first->findChild<QPushButton *>("cmdOK"); chain.size() < 5; w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus && !w->objectName().isEmpty())
            chain.append(w->objectName());
    }
    QCOMPARE(chain, (QStringList{"cmdOK", "saisieExercice", "saisieSon", "saisieFichier", "saisieNiveau"}));

    // Opening again while it is open clears the flag again and shows the same copy, not reloaded.
    values().EnCours = 1;
    Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2");
    window.mnuParam_Click();
    QCOMPARE(values().EnCours, 0);
    QCOMPARE(openDialogs(), QList<frmParam *>{first.data()});
    QCOMPARE(list(first, "saisieNiveau")->currentIndex(), 0);

    // Once closed, the next opening builds a new dialog from the store.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    window.mnuParam_Click();
    QCOMPARE(list(openDialogs().value(0), "saisieNiveau")->currentIndex(), 2);
}

FRAPPIN_TEST_MAIN(TestFrmParam)
#include "tst_frmparam.moc"
