// The word-list editor: how it reads "frappin.mot" and writes it back, its French order, adding and deleting
// words, closing with and without saving, and saves that fail without losing the old file or the list.

#include "common/savefile.h"
#include "common/textfile.h"
#include "exercise/frmmain.h"
#include "settings/store.h"
#include "support/sandbox.h"
#include "words/frmmots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString Title = QStringLiteral("Liste des mots ...");

QByteArray cp1252(const QString &text)
{
    return encodeWindows1252(text).value();
}

void addWord(frmMots &dialog, const QString &text)
{
    dialog.findChild<QLineEdit *>("Text1")->setText(text);
    dialog.findChild<QPushButton *>("btnAjouter")->click();
}

void click(frmMots &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

} // namespace

class TestFrmMots : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileIsShownSortedAndSavedSorted_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("kept"); // the lines saved before the words
        QTest::addColumn<bool>("utf8");    // written back in UTF-8, as read
        // clang-format off
        QTest::newRow("French order, not character codes")
            << cp1252("fête,,\r\nzèbre,,\r\nécole,,\r\ndiamant,,\r\nÉté,,\r\nAbricot,,\r\nabricot,,\r\n")
            << QStringList{"abricot", "Abricot", "diamant", "école", "Été", "fête", "zèbre"} << "" << false;
        QTest::newRow("UTF-8 file with LF line ends")
            << QString("fête,,\nécole,,\n").toUtf8() << QStringList{"école", "fête"} << "" << true;
        QTest::newRow("decomposed letters read composed")
            << QString("zèbre,,\ne\u0301cole,,\n").toUtf8() << QStringList{"école", "zèbre"} << "" << true;
        QTest::newRow("UTF-8 comment Windows-1252 cannot hold")
            << QString("# Mots du CE1 → relus ✓\nchat,,\n").toUtf8() << QStringList{"chat"}
            << "# Mots du CE1 → relus ✓\r\n" << true;
        QTest::newRow("comment lines kept before the words")
            << cp1252("# Mes mots\r\nvélo,,\r\n  #x,,\r\nauto,,\r\n") << QStringList{"auto", "vélo"}
            << "# Mes mots\r\n  #x,,\r\n" << false;
        QTest::newRow("one line, one word: first field, trimmed")
            << QByteArray("chat\r\n  le chien  ,1,2,3\r\n\"un, deux\",,\r\n007,,")
            << QStringList{"\"un", "007", "chat", "le chien"} << "" << false;
        QTest::newRow("empty words dropped")
            << QByteArray("\r\n   \r\n,,\r\n , x\rchat,,\r\n") << QStringList{"chat"} << "" << false;
        QTest::newRow("empty file") << QByteArray() << QStringList() << "" << false;
        // clang-format on
    }
    // The list shows one word per line in French order, and is saved so with CR LF, in the file's encoding.
    void fileIsShownSortedAndSavedSorted()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, shown);
        QFETCH(QString, kept);
        QFETCH(bool, utf8);
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", content);
        frmMots dialog;
        QCOMPARE(dialog.words(), shown);
        QVERIFY(dialog.SauveMots());
        for (const QString &word : shown)
            kept += word + ",,\r\n";
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), utf8 ? kept.toUtf8() : cp1252(kept));
        QVERIFY(sandbox.messages.isEmpty());
    }

    // What the editor writes to "frappin.mot", whatever list is chosen, it reads back the same.
    void savedListReadsBackTheSame()
    {
        Sandbox sandbox;
        sandbox.copyShippedFile("frappin.mot");
        sandbox.writeFile("autre.mot", "loup,,\r\n");
        Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, "autre.mot");
        QStringList first;
        {
            frmMots dialog;
            QVERIFY(dialog.words().size() >= 200);
            addWord(dialog, QStringLiteral("Œuf à la coque"));
            first = dialog.words();
            QVERIFY(dialog.SauveMots());
        }
        const QByteArray written = fileBytes(sandbox.path("frappin.mot"));
        frmMots again;
        QCOMPARE(again.words(), first);
        QVERIFY(again.SauveMots());
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), written);
        QCOMPARE(fileBytes(sandbox.path("autre.mot")), QByteArray("loup,,\r\n"));
    }

    void addingAWord_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("told"); // part of the message, or "" for none

        using L = QStringList;
        const L start = {"chat", "chien"};
        // clang-format off
        QTest::newRow("new word, trimmed")         << "  cheval " << L{"chat", "cheval", "chien"} << "";
        QTest::newRow("euro sign fits the file")   << "5 €"       << L{"5 €", "chat", "chien"} << "";
        QTest::newRow("same word in another case") << "Chat"      << L{"chat", "Chat", "chien"} << "";
        QTest::newRow("same word with blanks")     << "  chat  "  << start << "";
        QTest::newRow("blanks only")               << "    "      << start << "";
        QTest::newRow("emoji refused")             << "chat 😀"    << start << "« 😀 »";
        QTest::newRow("comma refused")             << "un,deux"   << start << "virgule";
        QTest::newRow("comment mark refused")      << "#chat"     << start << "commentaire";
        // clang-format on
    }
    // A word is added trimmed and selected, unless it is there already, empty or cannot be saved.
    void addingAWord()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, after);
        QFETCH(QString, told);
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", "chien,,\r\nchat,,\r\n");
        frmMots dialog;
        addWord(dialog, typed);

        QCOMPARE(dialog.words(), after);
        QCOMPARE(dialog.isModified(), after.size() == 3);
        QCOMPARE(sandbox.messages.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY2(sandbox.messages[0].text.contains(told), qPrintable(sandbox.messages[0].text));
        auto *current = dialog.findChild<QListWidget *>("List1")->currentItem();
        if (told.isEmpty() && !typed.trimmed().isEmpty())
            QCOMPARE(current ? current->text() : QString(), typed.trimmed());
    }

    void deletingAsksFirst_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("yes") << true << MsgAnswer::Yes << QStringList{"chat", "lapin"};
        QTest::newRow("no") << true << MsgAnswer::No << QStringList{"chat", "chien", "lapin"};
        QTest::newRow("nothing selected") << false << MsgAnswer::Yes << QStringList{"chat", "chien", "lapin"};
    }
    // Deleting the selected word asks first; the file is untouched until the list is saved.
    void deletingAsksFirst()
    {
        QFETCH(bool, select);
        QFETCH(MsgAnswer, answer);
        QFETCH(QStringList, after);
        Sandbox sandbox;
        const QByteArray before("lapin,,\r\nchien,,\r\nchat,,\r\n");
        sandbox.writeFile("frappin.mot", before);
        frmMots dialog;
        if (select)
            dialog.findChild<QListWidget *>("List1")->setCurrentRow(1);
        sandbox.answers = {answer};
        click(dialog, "Command1");

        QCOMPARE(dialog.words(), after);
        QCOMPARE(dialog.isModified(), after.size() == 2);
        const MessageRequest question{"Voulez-vous supprimer le mot 'chien' ?", Title, MsgButtons::YesNo,
                                      MsgIcon::Exclamation};
        QCOMPARE(sandbox.messages, select ? QList<MessageRequest>{question} : QList<MessageRequest>());
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), before);
    }

    void closing_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QByteArray>("file");
        const QByteArray before("chien,,\r\nchat,,\r\n");
        QTest::newRow("no change: no question") << false << false << MsgAnswer::Yes << before;
        QTest::newRow("change, save") << true << false << MsgAnswer::Yes << QByteArray("chien,,\r\n");
        QTest::newRow("change, do not save") << true << false << MsgAnswer::No << before;
        QTest::newRow("close box loses the change") << true << true << MsgAnswer::Yes << before;
    }
    // Closing a changed list with the button asks whether to save it; the close box loses the change.
    void closing()
    {
        QFETCH(bool, change);
        QFETCH(bool, closeBox);
        QFETCH(MsgAnswer, answer);
        QFETCH(QByteArray, file);
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", "chien,,\r\nchat,,\r\n");
        QPointer<frmMots> dialog = new frmMots;
        dialog->show();
        if (change) {
            dialog->findChild<QListWidget *>("List1")->setCurrentRow(0);
            click(*dialog, "Command1");
            sandbox.messages.clear();
        }
        sandbox.answers = {answer};
        if (closeBox)
            dialog->close();
        else
            click(*dialog, "Command2");

        const MessageRequest question{"Voulez-vous sauegarder la nouvelle liste des mots ?", Title,
                                      MsgButtons::YesNo, MsgIcon::Exclamation};
        QCOMPARE(sandbox.messages,
                 change && !closeBox ? QList<MessageRequest>{question} : QList<MessageRequest>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), file);
    }

    void savingNeverCutsTheList_data()
    {
        QTest::addColumn<bool>(
            "folderWritable"); // false: only the list may be written, so it is rewritten in place
        QTest::addColumn<int>("sizeLimit");  // bytes a file may grow to while saving; 0: none
        QTest::addColumn<QString>("reason"); // empty: saved
        // clang-format off
        QTest::newRow("beside, saved")          << true  << 0  << "";
        QTest::newRow("in place, saved")        << false << 0  << "";
        QTest::newRow("beside, size limit")     << true  << 20 << "taille permise";
        QTest::newRow("in place, size limit")   << false << 20 << "taille permise";
        QTest::newRow("in place, limit at old") << false << 17 << "taille permise";
        // clang-format on
    }
    // Saving as an ordinary user: the list is replaced whole, or left byte for byte and the reason told.
    void savingNeverCutsTheList()
    {
        QFETCH(bool, folderWritable);
        QFETCH(int, sizeLimit);
        QFETCH(QString, reason);
        Sandbox sandbox;
        const QByteArray before("chien,,\r\nchat,,\r\n"); // 17 bytes
        const QByteArray after("chien,,\r\nchat,,\r\nune souris verte,,\r\n");
        sandbox.writeFile("frappin.mot", before);
        const QString path = sandbox.path("frappin.mot");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                                QFile::WriteOther));
        QVERIFY(QFile::setPermissions(
            sandbox.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                  QFile::ExeOther | (folderWritable ? QFile::WriteOther : QFile::ExeOther)));
        const int told = asOrdinaryUser([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            if (sizeLimit > 0) {
                const rlimit limit{static_cast<rlim_t>(sizeLimit), static_cast<rlim_t>(sizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            const QString why = saveWholeFile(path, after);
            return why.isEmpty() ? 0 : why.contains(reason) ? 1 : 2;
        });
        QCOMPARE(told, reason.isEmpty() ? 0 : 1);
        QCOMPARE(fileBytes(path), reason.isEmpty() ? after : before);
        QCOMPARE(QDir(sandbox.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"frappin.mot"});
    }

    // Two editors on one list: the second save puts both sides' changes together and says so.
    void twoEditorsLoseNoWord()
    {
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", "chien,,\r\nchat,,\r\n");
        frmMots first;
        frmMots second;
        addWord(first, QStringLiteral("taupe"));
        first.findChild<QListWidget *>("List1")->setCurrentRow(0); // "chat"
        click(first, "Command1");
        addWord(second, QStringLiteral("zèbre"));
        QVERIFY(second.SauveMots());
        sandbox.messages.clear();
        QVERIFY(first.SauveMots());
        QCOMPARE(sandbox.messages.size(), 1);
        QVERIFY(sandbox.messages[0].text.contains(QStringLiteral("aucun mot n'est perdu")));
        QCOMPARE(first.words(), (QStringList{"chien", "taupe", "zèbre"}));
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), cp1252("chien,,\r\ntaupe,,\r\nzèbre,,\r\n"));
    }

    void failedSaveKeepsTheOldFileAndTheList_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("told");
        // clang-format off
        QTest::newRow("disk full")                      << "full"     << "Raison";
        QTest::newRow("file replaced by a folder")      << "folder"   << "Raison";
        // clang-format on
    }
    // A failed save is told and keeps the old file whole and the dialog open with its list.
    void failedSaveKeepsTheOldFileAndTheList()
    {
        QFETCH(QString, failure);
        QFETCH(QString, told);
        Sandbox sandbox;
        const QByteArray before = failure == "codepage" ? QString("chat😀,,\nchien,,\n").toUtf8()
                                                        : QByteArray("chien,,\r\nchat,,\r\n");
        sandbox.writeFile("frappin.mot", before);
        QPointer<frmMots> dialog = new frmMots;
        dialog->show();
        addWord(*dialog, QStringLiteral("une souris verte qui courait dans l'herbe"));
        const QStringList list = dialog->words();
        if (failure == "folder")
            QVERIFY(QFile::remove(sandbox.path("frappin.mot")) &&
                    QDir(sandbox.folder()).mkdir("frappin.mot"));
        sandbox.answers = {MsgAnswer::Yes};
        // A full disk: files may not grow past 16 bytes while the list is saved.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (failure == "full") {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit full{16, saved.rlim_max};
            setrlimit(RLIMIT_FSIZE, &full);
        }
        click(*dialog, "Command2");
        setrlimit(RLIMIT_FSIZE, &saved);

        // The question, then the failure.
        QCOMPARE(sandbox.messages.size(), 2);
        QVERIFY2(sandbox.messages[1].text.contains(told), qPrintable(sandbox.messages[1].text));
        QVERIFY(sandbox.messages[1].text.contains(QStringLiteral("n'a pas été modifié")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->words(), list);
        QVERIFY(dialog->isModified());
        if (failure == "folder")
            QVERIFY(QFileInfo(sandbox.path("frappin.mot")).isDir());
        else
            QCOMPARE(fileBytes(sandbox.path("frappin.mot")), before);
        QCOMPARE(QDir(sandbox.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"frappin.mot"});

        if (failure == "full") {
            // Once there is room again, the same list is saved.
            click(*dialog, "Command2");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(dialog.isNull());
            QCOMPARE(fileBytes(sandbox.path("frappin.mot")),
                     QByteArray("chat,,\r\nchien,,\r\nune souris verte qui courait dans l'herbe,,\r\n"));
        }
        delete dialog;
    }

    // A missing "frappin.mot" gives an empty list, told once, and saving creates the file.
    void missingFileGivesAnEmptyListThatSavingCreates()
    {
        Sandbox sandbox;
        frmMots dialog;
        QCOMPARE(dialog.words(), QStringList());
        QCOMPARE(sandbox.messages.size(), 1);
        QVERIFY(sandbox.messages[0].text.contains(sandbox.path("frappin.mot")));

        addWord(dialog, QStringLiteral("hibou"));
        QVERIFY(dialog.SauveMots());
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), QByteArray("hibou,,\r\n"));
        QCOMPARE(sandbox.messages.size(), 1);
    }

    // The menu entry shows one copy, not modal, whose changes survive a second choice and Escape.
    void menuKeepsOneCopy()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        frmMain window;
        window.mnuMots_Click();
        QPointer<frmMots> editor = topLevels<frmMots>().value(0);
        QVERIFY(editor && editor->isVisible() && !editor->isModal() && !editor->parentWidget());
        QVERIFY(editor->property(frmMain::OwnDialogProperty).toBool());

        addWord(*editor, QStringLiteral("taupe"));
        window.mnuMots_Click();
        QCOMPARE(topLevels<frmMots>(), QList<frmMots *>{editor.data()});
        QVERIFY(editor->isModified());

        // Escape does not close the editor (it has no cancel button), so nothing is lost by it.
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible());
        delete editor;
    }
};

FRAPPIN_TEST_MAIN(TestFrmMots)
#include "tst_frmmots.moc"
