// The program started on bad input: settings files of garbage or in the place of their folder, values out of
// range, data files that cannot be read, photographs that are not pictures or claim a huge size; and, in
// every series, 100,000 characters pasted into the typing box. Each start waits for the first series.

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/strings.h"
#include "exercise/frmmain.h"
#include "support/sandbox.h"

#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QtEndian>

// What the program does: messages at start-up, the greeting, the photograph shown, the words of the series it
// runs (0: none can run), and the section its results are stored in (empty: none).
struct Outcome {
    int told = 0;
    QString greeting = QStringLiteral("Zoé");
    bool photo = true;
    int words = 5;
    QString results = QStringLiteral("Zoé Martin");
};

Q_DECLARE_METATYPE(Outcome)

namespace {

// A row: what is replaced by content (see programStartsOnBadInput_data), what the program does, and the file
// name of the pupil's photograph in the program's folder.
void row(const QByteArray &name, const QString &what, const QByteArray &content, const Outcome &outcome,
         const QString &photo = QStringLiteral("Martin-Zoé.bmp"))
{
    QTest::newRow(name.constData()) << what << content << outcome << photo;
}

// A BMP file header claiming a width, a height and a depth, then pixelBytes bytes of pixels.
QByteArray bmp(qint32 width, qint32 height, qint32 bits, qint32 pixelBytes = 0)
{
    QByteArray b = QByteArray("BM").leftJustified(54, '\0') + QByteArray(pixelBytes, '\x7f');
    const qint32 fields[] = {54 + pixelBytes, 0, 54, 40, width, height, 1 + (bits << 16), 0, pixelBytes};
    for (int i = 0; i < 9; ++i)
        qToLittleEndian(fields[i], b.data() + 2 + 4 * i);
    return b;
}

QLineEdit *box(const frmMain &window, const char *name)
{
    return window.findChild<QLineEdit *>(QString::fromLatin1(name));
}

// Pastes 100,000 characters after text: the box keeps 32,767 of them; before and during a series one mistake
// counts and the caret waits after text, none after a series; no word is done.
void paste(frmMain &window, const QString &text)
{
    const qint64 before = window.series().FautesMot;
    QApplication::clipboard()->setText(text + QString(100000, u'z'));
    box(window, "MonTexte")->clear();
    box(window, "MonTexte")->paste();
    QCOMPARE(box(window, "MonTexte")->text().size(), 32767);
    QCOMPARE(window.series().FautesMot - before, window.series().MotsRestants > 0 ? 1 : 0);
    QCOMPARE(box(window, "MonTexte")->cursorPosition(),
             window.series().MotsRestants > 0 ? text.size() : 32767);
    QVERIFY(!window.Timer(0)->isTicking() && !box(window, "MonTexte")->hasSelectedText());
}

// Runs a series, each word typed right, after a paste at the first; its words, or -1 when it does not end.
int runSeries(frmMain &window)
{
    window.BoutonDepart_Click();
    for (int words = 1; words <= 40; ++words) {
        const QString word = box(window, "MotATaper")->text();
        if (words == 1)
            paste(window, word);
        box(window, "MonTexte")->setText(word);
        if (!window.Timer(0)->isTicking())
            return -1;
        window.Timer_Timer(0);
        if (window.findChild<QPushButton *>("BoutonDepart")->isEnabled())
            return words;
    }
    return -1;
}

// What the program only reads: the keys of "Démarrage" and "Eleves", then the settings files.
QStringList stored()
{
    QStringList values;
    for (const QString &key : {Store::Niveau, Store::Exercice, Store::Son, Store::Fichier, Store::Derniere,
                               Store::Prenom, Store::Nom})
        values.append(readSetting(key));
    const QString folder = TestSupport::configFolder();
    return values << Store::read(Store::Configuration, Store::SectionFichier, Store::Eleves, "<absent>")
                  << fileBytes(folder) << fileBytes(folder + "/Frappin.ini");
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programStartsOnBadInput_data()
    {
        // "Frappin.ini", the settings folder "frappin", a setting "section/key", or a file of the program's
        // folder (the loaders' own cases are tst_datafiles'). A bare BMP header gets 240 MB of pixels (a
        // sparse file).
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("photoFile");
        QByteArray garbage;
        for (int i = 0; i < 65536; ++i)
            garbage.append(char((i * 2654435761u) >> 24));
        const QByteArray valid = QString("[Démarrage]\nPrenom=Zoé\nNom=Martin\nDernière=Zoé\n").toUtf8();
        const QByteArray x(100000, 'x');
        const QString ini = "Frappin.ini", p = "Martin-Zoé.bmp", d = "Démarrage/", eleves = "Fichier/Eleves";
        const Outcome defaults{.greeting = "", .photo = false, .results = ""}, noPhoto{.photo = false};
        const Outcome noWords{.told = 1, .words = 0, .results = ""}, notStored{.results = ""};
        // clang-format off
        for (const auto &[name, bytes] : {std::pair<const char *, QByteArray>{"binary garbage", garbage}, {"UTF-16", QByteArray("\xFF\xFE[\0D\0]\0\n\0", 10)},
                 {"a line of 1 MB", QByteArray(1 << 20, '[')}, {"5 MB, no section", QByteArray("=\\\"[]/;#x\n").repeated(1 << 19)}})
            row(QByteArray("settings: ") + name, ini, bytes, defaults);
        row("settings: valid among garbage", ini, valid + garbage + "\n[x]\nNote=1", Outcome{.results = "Zoé"});
        row("settings folder is a file",     "frappin", "pas un dossier", defaults);
        row("settings empty: photo -.bmp",   ini, "", Outcome{.greeting = "", .results = ""}, "-.bmp");
        row("settings in Qt's escaped form", ini, "[D%U00E9marrage]\nPrenom=Zo\xC3\xA9\nNom=Martin\nDerni%E8re=\"CE1 L\xC3\xA9\x61\"", Outcome{.results = "CE1 Léa"});
        row("settings in Windows-1252, CR",  ini, "[D\xE9marrage]\rPrenom=Zo\xE9\rNom=Martin\rDerni\xE8re=L\xE9\x61 ; note\r", Outcome{.results = "Léa"});
        row("settings decomposed",           ini, QString("[Démarrage]\nPrenom = Zoe\u0301\nNom=Martin\nDernière=Le\u0301a").toUtf8(), Outcome{.results = "Léa"});
        for (const auto &[value, words] : {std::pair<QByteArray, int>{"1", 10}, {"2.0", 15}, {" 3 ", 20}, {"1.5", 5}, {"4", 5}, {"-3", 5}, {"inf", 5}, {"vingt", 5}})
            row("Exercice " + value.left(20), d + "Exercice", value, Outcome{.words = words});
        for (const QByteArray &value : {QByteArray("../absent.mot"), QByteArray(), QByteArray("/"), x})
            row("Fichier " + value.left(20), d + "Fichier", value, noWords);
        row("Fichier through a subfolder",   d + "Fichier", "sous/../frappin.mot", Outcome{});
        for (const QByteArray &value : {QByteArray("   "), QByteArray()})
            row("Dernière '" + value + "'", d + "Dernière", value, notStored);
        row("Dernière of 100000 characters", d + "Dernière", x, Outcome{.results = x});
        row("Prenom of 100000 characters",   d + "Prenom", x, Outcome{.greeting = QString(32767, u'x'), .photo = false});
        row("Prenom with a trailing blank",  d + "Prenom", "Zoé ", Outcome{}, "Martin-Zoé .bmp");
        for (const auto &[value, outcome] : {std::pair<QByteArray, Outcome>{"sous/Martin", noPhoto}, {"", Outcome{}}, {".Martin", noPhoto}}) // photo "<Nom>-Zoé.bmp"
            row("Nom '" + value + "'", d + "Nom", value, outcome, value + "-Zoé.bmp");
        row("photo named decomposed",        d + "Nom", "Martin", Outcome{}, QString("Martin-Zoe\u0301.bmp"));
        row("photo in another letter case",  d + "Nom", "Martin", noPhoto, "martin-zoé.bmp");
        row("Eleves absolute",               eleves, "<p>/sous/", Outcome{}, "sous/Martin-Zoé.bmp");
        row("Eleves relative",               eleves, "sous", Outcome{}, "sous/Martin-Zoé.bmp");
        row("Eleves elsewhere",              eleves, "sous", noPhoto);
        for (const QByteArray &value : {QByteArray("/dossier/absent"), x, QByteArray("/etc/passwd")})
            row("Eleves " + value.left(20), eleves, value, noPhoto);
        row("Eleves only blanks",            eleves, "  ", Outcome{});
        row("an entry that cannot be split", "frappin.mot", "chat" + QByteArray(40, ','), Outcome{});
        for (const auto &[name, bytes] : {std::pair<const char *, QByteArray>{"text", "ceci n'est pas une photo"}, {"empty", ""}, {"BM only", "BM"},
                 {"20000 x 20000", bmp(20000, 20000, 32)}, {"20000 x 20000 top-down", bmp(20000, -20000, 24)}, {"complete 20000 x 20000, 1 bit", bmp(20000, 20000, 1)},
                 {"65535 x 65535", bmp(65535, 65535, 32, 16)}, {"negative width", bmp(-100, 100, 24, 300)}, {"0 x 0", bmp(0, 0, 24)},
                 {"complete 6000 x 6000", bmp(6000, 6000, 24)}, {"complete 10000 x 8000", bmp(10000, 8000, 24)}})
            row(QByteArray("photo: ") + name, p, bytes, noPhoto);
        row("photo: a PNG named .bmp",       p, "<png>", Outcome{});
        row("photo: 2 x 3, whole",           p, bmp(2, 3, 24, 24), Outcome{});
        // clang-format on
    }
    // The program starts with what it can read, greets, shows the photograph or not, runs a series (with a
    // paste before, during and after it) and stores the results where it can; it changes no key it only
    // reads.
    void programStartsOnBadInput()
    {
        QFETCH(QString, what);
        QFETCH(QByteArray, content);
        QFETCH(Outcome, outcome);
        QFETCH(QString, photoFile);
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", "chat,,\r\nile,,\r\n");
        sandbox.copyShippedFile("clavier.dat");
        QImage picture(40, 50, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(QDir(sandbox.folder()).mkdir("sous") && picture.save(sandbox.path(photoFile), "BMP"));
        QVERIFY(
            Store::write(Store::Frappin, Store::Demarrage,
                         {{Store::Prenom, "Zoé"}, {Store::Nom, "Martin"}, {Store::Derniere, "Zoé Martin"}}));
        const QString config = TestSupport::configFolder();
        const auto unblock = qScopeGuard([&] { QFile::remove(config); }); // a file in the folder's place
        const QString path = what == "frappin"       ? config
                             : what.endsWith(".ini") ? config + u'/' + what
                                                     : sandbox.path(what);
        if (what.contains(u'/')) {
            QVERIFY(Store::write(what.startsWith("Fichier") ? Store::Configuration : Store::Frappin,
                                 what.section(u'/', 0, 0), what.section(u'/', 1),
                                 QString::fromUtf8(content).replace("<p>", sandbox.folder())));
        } else {
            QDir(path).removeRecursively();
            QFile file(path);
            QVERIFY(content == "<png>"
                        ? picture.save(path, "PNG")
                        : file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
            QVERIFY(!what.endsWith(".bmp") || content.size() != 54 || file.resize(240000054));
        }
        const QStringList before = stored();
        frmMain window;
        window.show();
        QCOMPARE(sandbox.messages.size(), outcome.told);
        QVERIFY(!box(window, "MotATaper")->isVisible() &&
                window.findChild<QLabel *>("Message")->text() == Texts::Invitation &&
                window.findChild<PictureBox *>("MainDroite")->geometry() == frmMain::RestingRightHand);
        QCOMPARE(box(window, "MonTexte")->text(), outcome.greeting);
        PictureBox *photo = window.findChild<PictureBox *>("FrappinPhoto");
        QVERIFY(photo->hasPicture() == outcome.photo && photo->hasBorder() == outcome.photo);
        QCOMPARE(photo->grab().toImage().pixelColor(30, 30) == Qt::darkCyan,
                 outcome.photo && !content.startsWith("BM"));
        paste(window, QString());
        // The photograph is looked for again at each word: removed, it is gone by the end of the series.
        QFile::remove(sandbox.path(photoFile));
        QCOMPARE(runSeries(window), outcome.words > 0 ? outcome.words : -1);
        QVERIFY(outcome.words == 0 || !photo->hasPicture());
        paste(window, QString());
        if (outcome.results.isEmpty())
            QCOMPARE(stored(), before);
        else
            QVERIFY(stored().mid(0, 8) == before.mid(0, 8) &&
                    !Store::read(Store::Frappin, outcome.results, Store::Note, "").isEmpty());
    }
};

FRAPPIN_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
