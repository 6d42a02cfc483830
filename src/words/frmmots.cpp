#include "words/frmmots.h"

#include "common/controlname.h"
#include "common/messagebox.h"
#include "common/owndialog.h"
#include "common/platform.h"
#include "common/savefile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "common/userscale.h"
#include "common/values.h"
#include "keyboard/guide.h"
#include "settings/store.h"
#include "words/editorfile.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Size of the client area in twips.
constexpr int ClientWidth = 3765;
constexpr int ClientHeight = 3450;

const QString Title = QStringLiteral("Liste des mots ...");

QString editedFile()
{
    return programFile(Store::DefaultWordList);
}

// An item of the list, ordered by the editor's French order rather than by character codes.
class WordItem : public QListWidgetItem {
public:
    explicit WordItem(const QString &word) : QListWidgetItem(word, nullptr, QListWidgetItem::UserType) {}
    bool operator<(const QListWidgetItem &other) const override
    {
        return frenchLessThan(text(), other.text());
    }
};

} // namespace

frmMots::frmMots(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setUpOwnDialog(this, QStringLiteral("frmMots"), QStringLiteral("Edition ..."),
                   QStringLiteral("Édition de la liste des mots"), QStringLiteral(":/pictures/icone.svg"),
                   {Scale::px(ClientWidth), Scale::px(ClientHeight)});
    createControls();
    Form_Load();
}

void frmMots::createControls()
{
    Label1 = named(new QLabel(QStringLiteral("Liste des mots :"), this), "Label1",
                   QStringLiteral("Liste des mots"));
    Label1->setGeometry(Scale::twipsRect(90, 60, 2295, 225));

    List1 = named(new QListWidget(this), "List1", QStringLiteral("Liste des mots"));
    List1->setGeometry(Scale::twipsRect(60, 360, 2355, 2595));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(true);
    Label1->setBuddy(List1);

    Text1 = named(new QLineEdit(this), "Text1", QStringLiteral("Mot à ajouter"));
    Text1->setGeometry(Scale::twipsRect(60, 3030, 2355, 315));

    btnAjouter = named(new QPushButton(QStringLiteral("&Ajouter"), this), "btnAjouter",
                       QStringLiteral("Ajouter le mot"));
    btnAjouter->setGeometry(Scale::twipsRect(2490, 3030, 1215, 345));
    // Enter in the box adds the word typed there.
    btnAjouter->setDefault(true);
    connect(btnAjouter, &QPushButton::clicked, this, &frmMots::btnAjouter_Click);

    Command2 = named(new QPushButton(QStringLiteral("&Fermer"), this), "Command2",
                     QStringLiteral("Fermer la liste des mots"));
    Command2->setGeometry(Scale::twipsRect(2490, 360, 1215, 345));
    connect(Command2, &QPushButton::clicked, this, &frmMots::Command2_Click);

    Command1 = named(new QPushButton(QStringLiteral("&Supprimer"), this), "Command1",
                     QStringLiteral("Supprimer le mot choisi"));
    Command1->setGeometry(Scale::twipsRect(2490, 780, 1215, 345));
    connect(Command1, &QPushButton::clicked, this, &frmMots::Command1_Click);

    setTabOrder(List1, Text1);
    setTabOrder(Text1, btnAjouter);
    setTabOrder(btnAjouter, Command2);
    setTabOrder(Command2, Command1);
    List1->setFocus();
}

void frmMots::Form_Load()
{
    Modifie = false;
    const QString path = editedFile();
    const std::optional<QString> content = readTextFile(path, -1, &m_read.encoding);
    m_readText = content.value_or(QString());
    if (content) {
        const TextEncoding encoding = m_read.encoding;
        m_read = readEditorFile(*content);
        m_read.encoding = encoding;
        for (const QString &word : m_read.words)
            List1->addItem(new WordItem(word));
    } else {
        m_read = {};
        showMessage(QStringLiteral("Impossible de lire la liste des mots.\r"
                                   "Chemin '%1'\r"
                                   "La liste est vide ; enregistrez-la pour créer ce fichier.")
                        .arg(path),
                    Title);
    }
    Text1->clear();
    offerUsualSpellings();
}

QString frmMots::untypable(const QString &word)
{
    const ProgramValues &v = values();
    // Without a key table (no keyboard file) nothing can be said of a word.
    const bool loaded = std::any_of(v.ToucheCaractere.begin(), v.ToucheCaractere.end(),
                                    [](const QString &c) { return !c.isEmpty(); });
    return loaded ? untypableCharacters(word, v.ToucheCaractere, v.DerniereTouche) : QString();
}

void frmMots::offerUsualSpellings()
{
    QStringList lines;
    QList<QListWidgetItem *> items;
    for (int i = 0; i < List1->count(); ++i) {
        QListWidgetItem *item = List1->item(i);
        const QString characters = untypable(item->text());
        if (characters.isEmpty())
            continue;
        items.append(item);
        const QString usual = usualSpelling(item->text());
        lines.append(QStringLiteral("• %1 (%2)%3")
                         .arg(item->text(),
                              QStringList(QList<QString>(characters.begin(), characters.end())).join(u' '),
                              untypable(usual).isEmpty() ? QStringLiteral(" → ") + usual : QString()));
    }
    if (items.isEmpty())
        return;
    const QString question =
        QStringLiteral(
            "Ces mots ont des caractères que le clavier français ne peut pas taper ; ils ne seront "
            "jamais proposés aux élèves :\r%1\rVoulez-vous les écrire comme indiqué après la flèche ?")
            .arg(lines.mid(0, 20).join(u'\r') + (lines.size() > 20 ? QStringLiteral("\r…") : QString()));
    if (showMessage(question, Title, MsgButtons::YesNo, MsgIcon::Exclamation, this) != MsgAnswer::Yes)
        return;
    for (QListWidgetItem *item : items) {
        const QString usual = usualSpelling(item->text());
        if (!untypable(usual).isEmpty())
            continue;
        if (List1->findItems(usual, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
            List1->addItem(new WordItem(usual));
        delete item;
        Modifie = true;
    }
}

QString frmMots::refusal(const QString &word) const
{
    if (word.contains(u','))
        return QStringLiteral(
                   "Le mot '%1' contient une virgule : dans le fichier des mots, la virgule sépare "
                   "le mot des champs qui le suivent.\rLe mot n'a pas été ajouté.")
            .arg(word);
    if (word.startsWith(u'#'))
        return QStringLiteral(
                   "Le mot '%1' commence par « # » : dans le fichier des mots, une telle ligne est "
                   "un commentaire.\rLe mot n'a pas été ajouté.")
            .arg(word);
    const QString character =
        m_read.encoding == TextEncoding::Windows1252 ? firstCharacterOutsideWindows1252(word) : QString();
    if (!character.isEmpty())
        return QStringLiteral("Le mot '%1' contient le caractère « %2 », que le fichier des mots ne peut pas "
                              "enregistrer.\rLe mot n'a pas été ajouté.")
            .arg(word, character);
    return {};
}

void frmMots::btnAjouter_Click()
{
    // Composed, as every list is read: "é" pasted as "e" and a combining accent is the list's "é", and
    // Windows-1252 can hold it.
    const QString word = trimBlanks(Text1->text()).normalized(QString::NormalizationForm_C);
    if (word.isEmpty())
        return;

    // A word already in the list (exact comparison, letter case included) is only shown.
    for (int i = 0; i < List1->count(); ++i) {
        QListWidgetItem *item = List1->item(i);
        if (item->text() == word) {
            List1->setCurrentItem(item);
            List1->scrollToItem(item);
            return;
        }
    }

    const QString why = refusal(word);
    if (!why.isEmpty()) {
        showMessage(why, Title, MsgButtons::Ok, MsgIcon::Exclamation, this);
        return;
    }
    // A word the keyboard cannot type would never be drawn: the usual spelling is offered instead.
    if (const QString characters = untypable(word); !characters.isEmpty()) {
        const QString usual = usualSpelling(word);
        const QString problem =
            QStringLiteral("Le mot '%1' contient « %2 », que le clavier français ne peut pas "
                           "taper : il ne serait jamais proposé aux élèves.\r")
                .arg(word, QStringList(QList<QString>(characters.begin(), characters.end())).join(u' '));
        if (!untypable(usual).isEmpty()) {
            showMessage(problem + QStringLiteral("Le mot n'a pas été ajouté."), Title, MsgButtons::Ok,
                        MsgIcon::Exclamation, this);
            return;
        }
        if (showMessage(problem + QStringLiteral("Voulez-vous ajouter « %1 » à la place ?").arg(usual), Title,
                        MsgButtons::YesNo, MsgIcon::Exclamation, this) != MsgAnswer::Yes)
            return;
        Text1->setText(usual);
        btnAjouter_Click();
        return;
    }

    Modifie = true;
    auto *item = new WordItem(word);
    List1->addItem(item);
    List1->setCurrentItem(item);
    List1->scrollToItem(item);
    // The word stays in the box, selected, so that the next word typed replaces it.
    Text1->selectAll();
}

void frmMots::Command1_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem *item = selected.first();
    const QString question = QStringLiteral("Voulez-vous supprimer le mot '%1' ?").arg(item->text());
    if (showMessage(question, Title, MsgButtons::YesNo, MsgIcon::Exclamation, this) != MsgAnswer::Yes)
        return;
    Modifie = true;
    delete item;
}

void frmMots::Command2_Click()
{
    if (Modifie &&
        showMessage(QStringLiteral("Voulez-vous sauegarder la nouvelle liste des mots ?"), Title,
                    MsgButtons::YesNo, MsgIcon::Exclamation, this) == MsgAnswer::Yes &&
        !SauveMots())
        return;
    close();
}

bool frmMots::SauveMots()
{
    const QString path = editedFile();
    mergeChangesOnDisk(path);
    QString badLine;
    const EditorFile edited{words(), m_read.keptLines, m_read.encoding};
    const std::optional<QByteArray> bytes = writeEditorFile(edited, &badLine);
    QString reason;
    if (!bytes)
        reason = QStringLiteral("la ligne '%1' contient le caractère « %2 », que le fichier des mots ne peut "
                                "pas enregistrer.")
                     .arg(badLine, firstCharacterOutsideWindows1252(badLine));
    else
        reason = saveWholeFile(path, *bytes);
    if (!reason.isEmpty()) {
        showMessage(QStringLiteral("Impossible d'enregistrer la liste des mots.\r"
                                   "Chemin '%1'\r"
                                   "Raison : %2\r"
                                   "Le fichier n'a pas été modifié et la liste reste affichée : vous pouvez "
                                   "réessayer.")
                        .arg(path, reason),
                    Title, MsgButtons::Ok, MsgIcon::Exclamation, this);
        return false;
    }
    m_read.words = edited.words;
    m_readText = decodeTextFile(*bytes);
    Modifie = false;
    return true;
}

void frmMots::mergeChangesOnDisk(const QString &path)
{
    TextEncoding encoding{};
    const std::optional<QString> now = readTextFile(path, -1, &encoding);
    if (!now || *now == m_readText)
        return;
    // Another editor (another teacher, another program) saved the list since it was read here: its words
    // and this editor's changes are put together, so that neither side loses a word without a word.
    const EditorFile theirs = readEditorFile(*now);
    const QStringList merged = mergeWords(m_read.words, words(), theirs.words);
    List1->clear();
    for (const QString &word : merged)
        List1->addItem(new WordItem(word));
    m_read = {theirs.words, theirs.keptLines, encoding};
    m_readText = *now;
    showMessage(
        QStringLiteral("La liste des mots a été modifiée ailleurs depuis son ouverture.\r"
                       "Ses mots et les vôtres ont été réunis avant l'enregistrement : aucun mot n'est "
                       "perdu."),
        Title, MsgButtons::Ok, MsgIcon::None, this);
}

QStringList frmMots::words() const
{
    QStringList list;
    list.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        list.append(List1->item(i)->text());
    return list;
}

void frmMots::keyPressEvent(QKeyEvent *event)
{
    // The editor has no cancel button: Escape must not close it and lose the changes.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
