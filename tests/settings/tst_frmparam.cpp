// The settings dialog: what it shows and stores when it opens, each selection stored at once, the word-list
// files it lists, and what OK, Enter, Escape and the close box do to the main window.

#include "common/strings.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "settings/frmparam.h"
#include "settings/store.h"
#include "support/sandbox.h"

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

} // namespace

class TestFrmParam : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qDeleteAll(topLevels<frmParam>()); }

    void openingShowsAndStoresTheSettings_data()
    {
        // Each column holds a list of texts separated by "|".
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("before"); // key=value stored before the opening
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("shown");  // level, length, sound, file
        QTest::addColumn<QString>("stored"); // Niveau, Exercice, Son, Fichier after the opening
        const QString two = "frappin.mot|autre.mot";
        const QString sorted = "autre.mot|frappin.mot";
        const QString first = "1 - Pas à pas|5 mots|Non|";
        // clang-format off
        QTest::newRow("fresh store") << two << "" << sorted << first + "frappin.mot" << "0|0|0|frappin.mot";
        QTest::newRow("stored choices") << two << "Niveau=2|Exercice=3|Son=1|Fichier=autre.mot" << sorted
            << "3 - Pas de guide|20 mots|Oui|autre.mot" << "2|3|1|autre.mot";
        QTest::newRow("file in another letter case: first file")
            << "frappin.mot|b.mot" << "Fichier=B.mot|Niveau=1" << "b.mot|frappin.mot"
            << "2 - Guide limité|5 mots|Non|b.mot" << "1|0|0|b.mot";
        QTest::newRow("values outside the lists: first item") << two << "Niveau=3|Exercice=1.5|Son=oui"
            << sorted << first + "frappin.mot" << "0|0|0|frappin.mot";
        QTest::newRow("only ordinary .mot files")
            << ".cachee.mot|notes.txt|liste.mot.bak|GRAND.MOT| a .mot" << "" << " a .mot|GRAND.MOT"
            << first + " a .mot" << "0|0|0| a .mot";
        QTest::newRow("no .mot file: nothing stored for it")
            << "clavier.dat" << "" << "" << first << "0|0|0|<absent>";
        // clang-format on
    }
    // Opening shows the stored settings, or each list's first item, and stores what it shows.
    void openingShowsAndStoresTheSettings()
    {
        QFETCH(QString, files);
        QFETCH(QString, before);
        QFETCH(QString, listed);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        Sandbox sandbox;
        for (const QString &name : files.split(u'|'))
            sandbox.writeFile(name, "chat,,\r\n");
        QDir(sandbox.folder()).mkdir(QStringLiteral("dossier.mot"));
        for (const QString &pair : before.split(u'|', Qt::SkipEmptyParts))
            Store::Write(Store::Frappin, Store::Demarrage, pair.section(u'=', 0, 0), pair.section(u'=', 1));

        frmParam dialog;
        QStringList items;
        for (int i = 0; i < list(&dialog, "saisieFichier")->count(); ++i)
            items.append(list(&dialog, "saisieFichier")->itemText(i));
        QCOMPARE(items.join(u'|'), listed);
        QStringList texts;
        for (const char *name : {"saisieNiveau", "saisieExercice", "saisieSon", "saisieFichier"})
            texts.append(list(&dialog, name)->currentText());
        QCOMPARE(texts.join(u'|'), shown);
        QStringList settings;
        for (const QString &key : {Store::Niveau, Store::Exercice, Store::Son, Store::Fichier})
            settings.append(readSetting(key));
        QCOMPARE(settings.join(u'|'), stored);
    }

    void eachSelectionIsStoredAtOnce_data()
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
    // Each choice in a list is stored at once, made with the mouse or with the arrow keys.
    void eachSelectionIsStoredAtOnce()
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
        QCOMPARE(readSetting(key), value);

        QTest::keyClick(combo, position == 0 ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(readSetting(key) != value);
        QCOMPARE(readSetting(key),
                 key == Store::Fichier ? combo->currentText() : QString::number(combo->currentIndex()));
        QVERIFY(sandbox.messages.isEmpty());

        // A choice the store cannot take is told, and the list shows what is still stored.
        const QString ini = TestSupport::configFolder() + "/Frappin.ini";
        QVERIFY(QFile::rename(ini, ini + ".old") && QDir().mkdir(ini));
        combo->setCurrentIndex(position);
        QCOMPARE(sandbox.messages.size(), 1);
        QVERIFY(sandbox.messages[0].text.contains(QStringLiteral("n'a pas pu être enregistré")));
        QVERIFY(combo->currentIndex() != position);
        QVERIFY(QDir().rmdir(ini) && QFile::rename(ini + ".old", ini));
    }

    void closingActsOnTheMainWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("rearmed");
        QTest::newRow("OK button") << "ok" << true;
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("Escape") << "escape" << true;
        QTest::newRow("close box") << "closebox" << false;
    }
    // OK, Enter and Escape re-arm the start button with the invitation; the close box only closes.
    void closingActsOnTheMainWindow()
    {
        QFETCH(QString, how);
        QFETCH(bool, rearmed);
        Sandbox sandbox;
        sandbox.copyShippedData();
        frmMain window;
        auto *start = window.findChild<QPushButton *>("BoutonDepart");
        auto *message = window.findChild<QLabel *>("Message");
        start->setEnabled(false);
        message->setText(QStringLiteral("Série en cours"));

        window.mnuParam_Click();
        QPointer<frmParam> dialog = topLevels<frmParam>().value(0);
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
        QCOMPARE(Store::seriesLength(), 20);
    }

    // The menu entry abandons the series at each choice and shows one copy, not modal, until closed.
    void menuKeepsOneCopyAndAbandonsTheSeries()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        frmMain window;
        values().EnCours = 1;
        window.mnuParam_Click();
        QCOMPARE(values().EnCours, 0);
        QPointer<frmParam> first = topLevels<frmParam>().value(0);
        QVERIFY(first && !first->isModal() && !first->parentWidget());
        QVERIFY(first->property(frmMain::OwnDialogProperty).toBool());

        // Tab order: OK, length, sound, file, level.
        QStringList chain;
        for (QWidget *w = first->findChild<QPushButton *>("cmdOK"); chain.size() < 5;
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus && !w->objectName().isEmpty())
                chain.append(w->objectName());
        }
        QCOMPARE(chain,
                 (QStringList{"cmdOK", "saisieExercice", "saisieSon", "saisieFichier", "saisieNiveau"}));

        // Opening again while it is open shows the same copy, not reloaded.
        values().EnCours = 1;
        Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2");
        window.mnuParam_Click();
        QCOMPARE(values().EnCours, 0);
        QCOMPARE(topLevels<frmParam>(), QList<frmParam *>{first.data()});
        QCOMPARE(list(first, "saisieNiveau")->currentIndex(), 0);

        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        window.mnuParam_Click();
        QCOMPARE(list(topLevels<frmParam>().value(0), "saisieNiveau")->currentIndex(), 2);
    }
};

FRAPPIN_TEST_MAIN(TestFrmParam)
#include "tst_frmparam.moc"
