#include "settings/frmparam.h"

#include "common/controlname.h"
#include "common/messagebox.h"
#include "common/owndialog.h"
#include "common/platform.h"
#include "common/strings.h"
#include "common/userscale.h"
#include "settings/dictationchoice.h"
#include "settings/pathchoice.h"
#include "settings/store.h"
#include "words/wordlist.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Size of the client area in twips.
constexpr int ClientWidth = 4515;
constexpr int ClientHeight = 2550;

// The list position stored under key. A value that is not a whole number of the list counts as the first
// item, the default of every list: the dialog then shows that item and stores it.
int storedPosition(const QString &key, int count)
{
    const double stored = Store::readNumber(Store::Frappin, Store::Demarrage, key, 0);
    if (stored != std::floor(stored) || stored < 0 || stored >= count)
        return 0;
    return static_cast<int>(stored);
}

// The accessible name of a list: the text of its label without the colon.
QString withoutColon(QString text)
{
    if (text.endsWith(QStringLiteral(" :")))
        text.chop(2);
    return text;
}

// Stores a choice. A choice of the teacher's (tell) that the store cannot take is told, and the list shows
// again what the next series will really use. What the dialog stores as it opens is not told.
bool storeChoice(QComboBox *list, const QString &key, const QString &value, int storedIndex, bool tell)
{
    if (list->currentIndex() < 0)
        return false;
    if (Store::write(Store::Frappin, Store::Demarrage, key, value))
        return true;
    if (!tell)
        return false;
    showMessage(QStringLiteral("Ce choix n'a pas pu être enregistré : le fichier des réglages de Frappin ne "
                               "peut pas être écrit.\rLes exercices gardent le réglage précédent."),
                QStringLiteral("Paramètres"), MsgButtons::Ok, MsgIcon::Exclamation, list->window());
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(storedIndex);
    return false;
}

void writePosition(const QString &key, QComboBox *list, bool tell)
{
    storeChoice(list, key, QString::number(list->currentIndex()), storedPosition(key, list->count()), tell);
}

// The word-list files of the program's folder: ordinary files named "*.mot" in any letter case (as on the
// system the lists come from), neither folders nor hidden files, in the order of their names (a Linux
// folder listing has no order of its own).
QStringList wordListFiles()
{
    const QDir folder(programFolder());
    return folder.entryList({QStringLiteral("*.mot")}, QDir::Files | QDir::NoDotAndDotDot,
                            QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
}

} // namespace

frmParam::frmParam(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setUpOwnDialog(this, QStringLiteral("frmParam"), QStringLiteral("Paramètres"),
                   QStringLiteral("Paramètres"), QStringLiteral(":/pictures/icone.svg"),
                   {Scale::px(ClientWidth), Scale::px(ClientHeight)});
    createControls();
    Form_Load();
    addDictationChoice(this, saisieSon);
    addPathChoice(this);
}

void frmParam::createControls()
{
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK", QStringLiteral("OK, fermer"));
    cmdOK->setGeometry(Scale::twipsRect(3180, 2100, 1260, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmParam::cmdOK_Click);

    Frame1 = named(new QGroupBox(QStringLiteral("Sélectionnez le niveau des exercices"), this), "Frame1",
                   QStringLiteral("Niveau des exercices"));
    Frame1->setGeometry(Scale::twipsRect(90, 120, 4335, 1890));

    // A label and its list, placed in the frame (positions relative to the frame).
    auto row = [&](QLabel *&label, const char *labelName, const QString &text, QRect labelRect,
                   Qt::Alignment alignment, QComboBox *&list, const char *listName, int listTop) {
        label = named(new QLabel(text, Frame1), labelName, text);
        label->setGeometry(labelRect);
        label->setAlignment(alignment | Qt::AlignVCenter);
        list = named(new QComboBox(Frame1), listName, withoutColon(text));
        list->setGeometry(Scale::twipsRect(2730, listTop, 1455, 315));
        label->setBuddy(list);
    };
    row(Label1, "Label1", QStringLiteral("Niveau de difficulté :"), Scale::twipsRect(240, 360, 2355, 225),
        Qt::AlignRight, saisieNiveau, "saisieNiveau", 300);
    row(Label3, "Label3", QStringLiteral("Nombre d'exercices :"), Scale::twipsRect(1110, 690, 1515, 285),
        Qt::AlignLeft, saisieExercice, "saisieExercice", 660);
    row(Label4, "Label4", QStringLiteral("Activation du son :"), Scale::twipsRect(690, 1080, 1905, 255),
        Qt::AlignRight, saisieSon, "saisieSon", 1020);
    row(Label5, "Label5", QStringLiteral("Fichier de référence :"), Scale::twipsRect(450, 1410, 2145, 285),
        Qt::AlignRight, saisieFichier, "saisieFichier", 1380);
    saisieFichier->setPlaceholderText(QStringLiteral("(aucune liste)"));

    // Tab order of the design: OK, then the lists of the length, the sound, the file and the level.
    setTabOrder(cmdOK, saisieExercice);
    setTabOrder(saisieExercice, saisieSon);
    setTabOrder(saisieSon, saisieFichier);
    setTabOrder(saisieFichier, saisieNiveau);
    cmdOK->setFocus();
}

void frmParam::Form_Load()
{
    saisieNiveau->addItems({QStringLiteral("1 - Pas à pas"), QStringLiteral("2 - Guide limité"),
                            QStringLiteral("3 - Pas de guide")});
    saisieNiveau->setCurrentIndex(storedPosition(Store::Niveau, saisieNiveau->count()));
    saisieNiveau_Click();

    saisieExercice->addItems({QStringLiteral("5 mots"), QStringLiteral("10 mots"), QStringLiteral("15 mots"),
                              QStringLiteral("20 mots")});
    saisieExercice->setCurrentIndex(storedPosition(Store::Exercice, saisieExercice->count()));
    saisieExercice_Click();

    saisieSon->addItems({QStringLiteral("Non"), QStringLiteral("Oui")});
    saisieSon->setCurrentIndex(storedPosition(Store::Son, saisieSon->count()));
    saisieSon_Click();

    const QString fichier =
        Store::read(Store::Frappin, Store::Demarrage, Store::Fichier, Store::DefaultWordList);
    saisieFichier->addItems(wordListFiles());
    // Exact comparison, letter case included; no match selects the first file, and no file selects nothing.
    const int match = saisieFichier->findText(fichier, Qt::MatchExactly | Qt::MatchCaseSensitive);
    saisieFichier->setCurrentIndex(match >= 0 ? match : (saisieFichier->count() > 0 ? 0 : -1));
    saisieFichier_Click();

    fitListColumn();

    // From here on each selection is the teacher's.
    m_loaded = true;
    connect(saisieNiveau, &QComboBox::currentIndexChanged, this, &frmParam::saisieNiveau_Click);
    connect(saisieExercice, &QComboBox::currentIndexChanged, this, &frmParam::saisieExercice_Click);
    connect(saisieSon, &QComboBox::currentIndexChanged, this, &frmParam::saisieSon_Click);
    connect(saisieFichier, &QComboBox::currentIndexChanged, this, &frmParam::saisieFichier_Click);
}

void frmParam::fitListColumn()
{
    // The lists keep their right edge; when the font needs more room than the design gives to show the
    // longest level or length whole, the column of lists widens to the left and its labels move with it.
    // File names are left out: a long one would push everything aside; the open list shows it whole.
    saisieFichier->view()->setMinimumWidth(saisieFichier->view()->sizeHintForColumn(0) +
                                           2 * saisieFichier->view()->frameWidth());
    int missing = 0;
    for (const QComboBox *list : {saisieNiveau, saisieExercice, saisieSon})
        missing = std::max(missing, list->sizeHint().width() - list->width());
    const std::pair<QLabel *, QComboBox *> rows[] = {
        {Label1, saisieNiveau}, {Label3, saisieExercice}, {Label4, saisieSon}, {Label5, saisieFichier}};
    for (const auto &[label, list] : rows) {
        if (missing > 0) {
            list->setGeometry(list->geometry().adjusted(-missing, 0, 0, 0));
            label->move(label->x() - missing, label->y());
        }
        // A label too short for its text grows to the left, keeping its right edge.
        const int shortBy = label->sizeHint().width() - label->width();
        if (shortBy > 0)
            label->setGeometry(label->geometry().adjusted(-shortBy, 0, 0, 0));
    }
}

void frmParam::saisieNiveau_Click()
{
    writePosition(Store::Niveau, saisieNiveau, m_loaded);
}

void frmParam::saisieExercice_Click()
{
    writePosition(Store::Exercice, saisieExercice, m_loaded);
}

void frmParam::saisieSon_Click()
{
    writePosition(Store::Son, saisieSon, m_loaded);
}

void frmParam::saisieFichier_Click()
{
    // The name is stored as the folder lists it: a file whose name begins or ends with a blank must still be
    // found by the word-list loading and by the next opening of this dialog.
    const QString stored =
        Store::read(Store::Frappin, Store::Demarrage, Store::Fichier, Store::DefaultWordList);
    const int storedIndex = saisieFichier->findText(stored, Qt::MatchExactly | Qt::MatchCaseSensitive);
    const bool chosen = m_loaded && saisieFichier->currentText() != stored;
    // A list that cannot be read is not stored: the next start would load it, and the history would name a
    // list that no series used.
    if (chosen) {
        TextTable words;
        qint16 count = 0;
        if (const QString path = programFile(saisieFichier->currentText());
            !loadWordList(path, words, count)) {
            showMessage(Texts::ChosenListNotLoaded.arg(path), Texts::WordListTitle, MsgButtons::Ok,
                        MsgIcon::Exclamation, this);
            const QSignalBlocker blocker(saisieFichier);
            saisieFichier->setCurrentIndex(storedIndex);
            return;
        }
    }
    if (storeChoice(saisieFichier, Store::Fichier, saisieFichier->currentText(), storedIndex, m_loaded) &&
        chosen)
        Q_EMIT wordListChosen();
}

void frmParam::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Escape acts as a click on it. (The close box, which also ends in
    // reject(), must not, so reject() itself is left alone.)
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmParam::cmdOK_Click()
{
    Q_EMIT okPressed();
    close();
}
