// A whole session of the program, run under Valgrind's memcheck by CTest (label "memcheck"): the start-up as
// main() does it, with the shipped data files, a pupil and the pupil's photograph; a series of five words
// typed with mistakes, accented letters and a paste, to its grade and stored results; the word-list editor
// with a word added and saved; the settings dialog with a choice made; the window closed. Memcheck finds
// reads of freed or uninitialised memory and the blocks that nothing points to any more at the end. What the
// session does is checked by the other suites: here only that each step took place.

#include "common/appstyle.h"
#include "common/intervaltimer.h"
#include "exercise/frmmain.h"
#include "history/history.h"
#include "settings/frmparam.h"
#include "support/sandbox.h"
#include "words/frmmots.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

class MemcheckSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionFromStartToClose()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        Store::write(Store::Frappin, Store::Demarrage,
                     {{Store::Prenom, "Zoé"}, {Store::Nom, "Martin"}, {Store::Derniere, "Zoé Martin"}});
        QImage photo(40, 50, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(photo.save(sandbox.path(QStringLiteral("Martin-Zoé.bmp")), "BMP"));
        QTranslator qtTranslations;
        if (qtTranslations.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtTranslations);

        useApplicationStyle();
        auto window = std::make_unique<frmMain>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto *typing = window->findChild<QLineEdit *>(QStringLiteral("MonTexte"));
        auto *word = window->findChild<QLineEdit *>(QStringLiteral("MotATaper"));
        window->BoutonDepart_Click();
        for (int n = 0; n < 5; ++n) {
            const QString target = word->text();
            for (QChar c : u'x' + target) {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(typing, &commit);
                if (c == u'x') {
                    QApplication::clipboard()->setText(QStringLiteral("§§"));
                    typing->paste();
                    typing->clear();
                }
            }
            QVERIFY(window->Timer(0)->isTicking());
            QApplication::processEvents();
            window->Timer_Timer(0);
        }
        QCOMPARE(History::records(QStringLiteral("Zoé Martin")).size(), 1);

        window->mnuMots_Click(); // a word added, the list saved at "Fermer"
        frmMots *editor = topLevels<frmMots>().value(0);
        editor->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("écureuil"));
        editor->findChild<QPushButton *>(QStringLiteral("btnAjouter"))->click();
        editor->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
        window->mnuParam_Click(); // the longest series chosen
        topLevels<frmParam>()
            .value(0)
            ->findChild<QComboBox *>(QStringLiteral("saisieExercice"))
            ->setCurrentIndex(3);
        QCOMPARE(readSetting(Store::Exercice), QStringLiteral("3"));
        QVERIFY(fileBytes(sandbox.path(Store::DefaultWordList)).contains("cureuil,,"));

        window->close();
        window.reset();
        // The dialogs that followed the window go at the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::removeTranslator(&qtTranslations);
    }
};

FRAPPIN_TEST_MAIN(MemcheckSession)
#include "memcheck_session.moc"
