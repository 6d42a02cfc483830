// The word-list editor: how it reads "frappin.mot" and writes it back, its French order, adding and deleting
// words, closing with and without saving, and saves that fail without losing the old file or the list.

#include "common/textfile.h"
#include "exercise/frmmain.h"
#include "settings/store.h"
#include "support/sandbox.h"
#include "words/frmmots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace {

QByteArray cp1252(const QString &text)
{
    return encodeWindows1252(text).value();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
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

void processDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Limits the size of the files this process may write, as a full disk does: writing past it fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
};

} // namespace

class TestFrmMots : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileIsShownSortedAndSavedSorted_data();
    void fileIsShownSortedAndSavedSorted();
    void savedListReadsBackTheSame();
    void addingAWord_data();
    void addingAWord();
    void deletingAsksFirst_data();
    void deletingAsksFirst();
    void closing_data();
    void closing();
    void failedSaveKeepsTheOldFileAndTheList_data();
    void failedSaveKeepsTheOldFileAndTheList();
    void missingFileGivesAnEmptyListThatSavingCreates();
    void menuKeepsOneCopy();
};

void TestFrmMots::fileIsShownSortedAndSavedSorted_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("French order, not character codes")
        << cp1252("fête,,\r\nzèbre,,\r\nécole,,\r\ndiamant,,\r\nÉté,,\r\nAbricot,,\r\nabricot,,\r\n")
        << QStringList{"abricot", "Abricot", "diamant", "école", "Été", "fête", "zèbre"}
        << cp1252("abricot,,\r\nAbricot,,\r\ndiamant,,\r\nécole,,\r\nÉté,,\r\nfête,,\r\nzèbre,,\r\n");
    QTest::newRow("UTF-8 file with LF line ends")
        << QString("fête,,\nécole,,\n").toUtf8() << QStringList{"école", "fête"}
        << cp1252("école,,\r\nfête,,\r\n");
    QTest::newRow("comment lines kept before the words")
        << cp1252("# Mes mots\r\nvélo,,\r\n  #x,,\r\nauto,,\r\n") << QStringList{"auto", "vélo"}
        << cp1252("# Mes mots\r\n  #x,,\r\nauto,,\r\nvélo,,\r\n");
    QTest::newRow("one line, one word: first field, trimmed")
        << QByteArray("chat\r\n  le chien  ,1,2,3\r\n\"un, deux\",,\r\n007,,")
        << QStringList{"\"un", "007", "chat", "le chien"}
        << QByteArray("\"un,,\r\n007,,\r\nchat,,\r\nle chien,,\r\n");
    QTest::newRow("empty words dropped")
        << QByteArray("\r\n   \r\n,,\r\n , x\rchat,,\r\n") << QStringList{"chat"} << QByteArray("chat,,\r\n");
    QTest::newRow("empty file") << QByteArray() << QStringList() << QByteArray();
}

void TestFrmMots::fileIsShownSortedAndSavedSorted()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, shown);
    QFETCH(QByteArray, saved);
    Sandbox sandbox;
    sandbox.writeFile("frappin.mot", content);
    frmMots dialog;
    QCOMPARE(dialog.words(), shown);
    QVERIFY(dialog.SauveMots());
    QCOMPARE(fileBytes(sandbox.path("frappin.mot")), saved);
    QVERIFY(sandbox.messages.isEmpty());
}

void TestFrmMots::savedListReadsBackTheSame()
{
    // What the editor writes it reads back as the same list; it always edits "frappin.mot", whatever list
    // the settings choose.
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

void TestFrmMots::addingAWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("told"); // part of the message, or "" for none

    const QStringList start = {"chat", "chien"};
    QTest::newRow("new word, trimmed, sorted place")
        << "  cheval " << QStringList{"chat", "cheval", "chien"} << "";
    QTest::newRow("euro sign fits the code page") << "5 €" << QStringList{"5 €", "chat", "chien"} << "";
    QTest::newRow("same word with blanks") << "  chat  " << start << "";
    QTest::newRow("same word in another case") << "Chat" << QStringList{"chat", "Chat", "chien"} << "";
    QTest::newRow("blanks only") << "    " << start << "";
    QTest::newRow("emoji refused") << "chat 😀" << start << "« 😀 »";
    QTest::newRow("other alphabet refused") << "λύκος" << start << "« λ »";
    QTest::newRow("comma refused") << "un,deux" << start << "virgule";
    QTest::newRow("comment mark refused") << "#chat" << start << "commentaire";
}

void TestFrmMots::addingAWord()
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
    // The word added, or the one already there, is the one selected.
    auto *current = dialog.findChild<QListWidget *>("List1")->currentItem();
    if (told.isEmpty() && !typed.trimmed().isEmpty())
        QCOMPARE(current ? current->text() : QString(), typed.trimmed());
}

void TestFrmMots::deletingAsksFirst_data()
{
    QTest::addColumn<bool>("select");
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("yes") << true << MsgAnswer::Yes << QStringList{"chat", "lapin"};
    QTest::newRow("no") << true << MsgAnswer::No << QStringList{"chat", "chien", "lapin"};
    QTest::newRow("nothing selected") << false << MsgAnswer::Yes << QStringList{"chat", "chien", "lapin"};
}

void TestFrmMots::deletingAsksFirst()
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
    QCOMPARE(sandbox.messages.size(), select ? 1 : 0);
    if (select) {
        QCOMPARE(sandbox.messages[0].text, QStringLiteral("Voulez-vous supprimer le mot 'chien' ?"));
        QCOMPARE(sandbox.messages[0].title, QStringLiteral("Liste des mots ..."));
        QCOMPARE(sandbox.messages[0].buttons, MsgButtons::YesNo);
    }
    QCOMPARE(fileBytes(sandbox.path("frappin.mot")), before);
}

void TestFrmMots::closing_data()
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

void TestFrmMots::closing()
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

    const bool asked = change && !closeBox;
    QCOMPARE(sandbox.messages.size(), asked ? 1 : 0);
    if (asked)
        QCOMPARE(sandbox.messages[0].text,
                 QStringLiteral("Voulez-vous sauegarder la nouvelle liste des mots ?"));
    processDeletions();
    QVERIFY(dialog.isNull());
    QCOMPARE(fileBytes(sandbox.path("frappin.mot")), file);
}

void TestFrmMots::failedSaveKeepsTheOldFileAndTheList_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("told");
    QTest::newRow("disk full") << "full"
                               << "Raison";
    QTest::newRow("file replaced by a folder") << "folder"
                                               << "Raison";
    QTest::newRow("word the code page cannot hold") << "codepage"
                                                    << "« 😀 »";
}

void TestFrmMots::failedSaveKeepsTheOldFileAndTheList()
{
    QFETCH(QString, failure);
    QFETCH(QString, told);
    Sandbox sandbox;
    const QByteArray before =
        failure == "codepage" ? QString("chat😀,,\nchien,,\n").toUtf8() : QByteArray("chien,,\r\nchat,,\r\n");
    sandbox.writeFile("frappin.mot", before);
    QPointer<frmMots> dialog = new frmMots;
    dialog->show();
    addWord(*dialog, QStringLiteral("une souris verte qui courait dans l'herbe"));
    const QStringList list = dialog->words();
    if (failure == "folder") {
        QVERIFY(QFile::remove(sandbox.path("frappin.mot")));
        QVERIFY(QDir(sandbox.folder()).mkdir("frappin.mot"));
    }
    sandbox.answers = {MsgAnswer::Yes};
    {
        std::optional<FileSizeLimit> full;
        if (failure == "full")
            full.emplace(16);
        click(*dialog, "Command2");
    }

    // The question, then the failure; the dialog stays open with its list, still to be saved.
    QCOMPARE(sandbox.messages.size(), 2);
    QVERIFY2(sandbox.messages[1].text.contains(told), qPrintable(sandbox.messages[1].text));
    QVERIFY(sandbox.messages[1].text.contains(QStringLiteral("n'a pas été modifié")));
    processDeletions();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->words(), list);
    QVERIFY(dialog->isModified());
    if (failure == "folder")
        QVERIFY(QFileInfo(sandbox.path("frappin.mot")).isDir());
    else
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")), before);
    // No half-written file is left beside it.
    QCOMPARE(QDir(sandbox.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"frappin.mot"});

    if (failure == "full") {
        // Once there is room again, the same list is saved.
        click(*dialog, "Command2");
        processDeletions();
        QVERIFY(dialog.isNull());
        QCOMPARE(fileBytes(sandbox.path("frappin.mot")),
                 QByteArray("chat,,\r\nchien,,\r\nune souris verte qui courait dans l'herbe,,\r\n"));
    }
    delete dialog;
}

void TestFrmMots::missingFileGivesAnEmptyListThatSavingCreates()
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

void TestFrmMots::menuKeepsOneCopy()
{
    Sandbox sandbox;
    sandbox.copyShippedFile("frappin.mot");
    sandbox.copyShippedFile("clavier.dat");
    frmMain window;
    auto editors = [] {
        QList<frmMots *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *editor = qobject_cast<frmMots *>(widget))
                found.append(editor);
        }
        return found;
    };
    window.mnuMots_Click();
    QPointer<frmMots> editor = editors().value(0);
    QVERIFY(editor && editor->isVisible() && !editor->isModal() && !editor->parentWidget());
    QVERIFY(editor->property(frmMain::OwnDialogProperty).toBool());

    // A change made meanwhile survives a second choice of the menu entry: the same copy is shown.
    addWord(*editor, QStringLiteral("taupe"));
    window.mnuMots_Click();
    QCOMPARE(editors(), QList<frmMots *>{editor.data()});
    QVERIFY(editor->isModified());

    // Escape does not close the editor (it has no cancel button), so nothing is lost by it.
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(editor->isVisible());
    delete editor;
}

FRAPPIN_TEST_MAIN(TestFrmMots)
#include "tst_frmmots.moc"
