// A whole session of the program, run under Valgrind's memcheck by CTest (label "memcheck"): the start-up as
// main() does it, with the shipped data files, a pupil and the pupil's photograph; a series of five words
// typed with mistakes, accented letters and a paste, to its grade and stored results; the word-list editor
// with a word added and saved; the settings dialog with a choice made; the window closed. Memcheck finds
// reads of freed or uninitialised memory and the blocks that nothing points to any more at the end.

#include "common/appstyle.h"
#include "common/intervaltimer.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "history/history.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QInputMethodEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

class MemcheckSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionFromStartToClose();
};

namespace {

void type(QLineEdit *box, const QString &text)
{
    for (QChar c : text) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(box, &commit);
    }
}

template <typename T> T *dialogNamed(const char *name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return qobject_cast<T *>(widget);
    }
    return nullptr;
}

} // namespace

void MemcheckSession::sessionFromStartToClose()
{
    Sandbox sandbox;
    sandbox.copyShippedFile(QStringLiteral("frappin.mot"));
    sandbox.copyShippedFile(QStringLiteral("clavier.dat"));
    Store::write(Store::Frappin, Store::Demarrage, Store::Prenom, QStringLiteral("Zoé"));
    Store::write(Store::Frappin, Store::Demarrage, Store::Nom, QStringLiteral("Martin"));
    Store::write(Store::Frappin, Store::Demarrage, Store::Derniere, QStringLiteral("Zoé Martin"));
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
    QCOMPARE(typing->text(), QStringLiteral("Zoé"));

    window->BoutonDepart_Click();
    for (int n = 0; n < 5; ++n) {
        const QString target = word->text();
        QVERIFY(!target.isEmpty());
        type(typing, QStringLiteral("x"));
        QApplication::clipboard()->setText(QStringLiteral("§§"));
        typing->paste();
        typing->clear();
        type(typing, target);
        QCOMPARE(typing->text(), target);
        QVERIFY(window->Timer(0)->isTicking());
        QApplication::processEvents();
        window->Timer_Timer(0);
    }
    QVERIFY(window->series().FautesSerie >= 5);
    QCOMPARE(History::records(QStringLiteral("Zoé Martin")).size(), 1);
    QCOMPARE(Store::read(Store::Frappin, QStringLiteral("Zoé Martin"), Store::NombreCaracteres, QString())
                 .isEmpty(),
             false);
    QVERIFY(window->findChild<QPushButton *>(QStringLiteral("BoutonDepart"))->isEnabled());

    // The editor: add a word and save the list.
    window->mnuMots_Click();
    auto *editor = dialogNamed<QWidget>("frmMots");
    QVERIFY(editor);
    editor->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("écureuil"));
    editor->findChild<QPushButton *>(QStringLiteral("btnAjouter"))->click();
    sandbox.answers = {MsgAnswer::Yes};
    editor->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
    QApplication::processEvents();
    QVERIFY(!dialogNamed<QWidget>("frmMots"));

    // The settings: choose the longest series.
    window->mnuParam_Click();
    auto *settings = dialogNamed<QWidget>("frmParam");
    QVERIFY(settings);
    auto *length = settings->findChild<QComboBox *>(QStringLiteral("saisieExercice"));
    QVERIFY(length);
    length->setCurrentIndex(3);
    QCOMPARE(Store::read(Store::Frappin, Store::Demarrage, Store::Exercice, QString()), QStringLiteral("3"));
    settings->close();

    window->close();
    window.reset();
    // The dialogs that followed the window go at the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::removeTranslator(&qtTranslations);
}

FRAPPIN_TEST_MAIN(MemcheckSession)
#include "memcheck_session.moc"
