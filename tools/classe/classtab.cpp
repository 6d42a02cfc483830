#include "classtab.h"

#include "companion.h"
#include "pickertab.h"

#include "common/messagebox.h"
#include "settings/codedialog.h"
#include "settings/identity.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

// Names the pupil: a small form for the first name, the family name and the results name.
bool editPupil(QWidget *parent, ClassPupil &pupil, const QList<ClassPupil> &others)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(pupil.eleve.isEmpty() ? QStringLiteral("Ajouter un élève")
                                                : QStringLiteral("Modifier un élève"));
    auto *form = new QFormLayout(&dialog);
    auto *prenom = new QLineEdit(pupil.prenom, &dialog);
    auto *nom = new QLineEdit(pupil.nom, &dialog);
    auto *eleve = new QLineEdit(pupil.eleve, &dialog);
    eleve->setPlaceholderText(QStringLiteral("Prénom Nom"));
    form->addRow(QStringLiteral("&Prénom :"), prenom);
    form->addRow(QStringLiteral("&Nom :"), nom);
    form->addRow(QStringLiteral("Nom des &résultats :"), eleve);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const Identity::Pupil named = Identity::normalised({prenom->text(), nom->text(), eleve->text()});
        QString problem = Identity::problem(named);
        for (const ClassPupil &other : others) {
            if (other.eleve == named.eleve && other.eleve != pupil.eleve)
                problem = QStringLiteral("un autre élève a déjà ce nom de résultats.");
        }
        if (!problem.isEmpty()) {
            tell(&dialog, QStringLiteral("Impossible : ") + problem);
            return;
        }
        pupil = {named.eleve, named.prenom, named.nom};
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

// The first lines of the school's list, under the titles "Colonne 1", "Colonne 2"...
QTableWidget *listPreview(const ClassList::SchoolList &list, QWidget *parent)
{
    auto *preview =
        new QTableWidget(static_cast<int>(std::min<qsizetype>(list.rows.size(), 8)), list.columns, parent);
    for (int c = 0; c < list.columns; ++c)
        preview->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("Colonne %1").arg(c + 1)));
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < preview->rowCount(); ++r) {
        for (int c = 0; c < list.rows[r].size(); ++c)
            preview->setItem(r, c, new QTableWidgetItem(list.rows[r][c]));
    }
    return preview;
}

// The columns the teacher confirms for the school's list, offered as guessed; nothing when the teacher gave
// up.
std::optional<ClassList::Columns> askColumns(QWidget *parent, const ClassList::SchoolList &list)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Importer la liste de la classe"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Les premières lignes du fichier :"), &dialog));
    layout->addWidget(listPreview(list, &dialog));
    auto *form = new QFormLayout;
    auto *firstName = new QComboBox(&dialog);
    auto *familyName = new QComboBox(&dialog);
    for (int c = 0; c < list.columns; ++c) {
        const QString label = QStringLiteral("Colonne %1 (%2)").arg(c + 1).arg(list.rows.first().value(c));
        firstName->addItem(label);
        familyName->addItem(label);
    }
    const ClassList::Columns guessed = ClassList::guessColumns(list.rows.first());
    familyName->setCurrentIndex(guessed.familyName);
    firstName->setCurrentIndex(guessed.firstName);
    auto *header = new QCheckBox(QStringLiteral("La première ligne donne les titres des colonnes"), &dialog);
    header->setChecked(guessed.header);
    form->addRow(QStringLiteral("Colonne du &prénom :"), firstName);
    form->addRow(QStringLiteral("Colonne du &nom :"), familyName);
    form->addRow(header);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Importer"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (firstName->currentIndex() == familyName->currentIndex())
            return tell(&dialog,
                        QStringLiteral("Choisissez deux colonnes différentes pour le prénom et le nom."));
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(700, 420);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ClassList::Columns{firstName->currentIndex(), familyName->currentIndex(), header->isChecked()};
}

} // namespace

ClassTab::ClassTab(const QList<ClassPupil> &pupils, QWidget *parent) : QWidget(parent), m_pupils(pupils)
{
    auto *layout = new QVBoxLayout(this);
    auto *folderRow = new QHBoxLayout;
    m_photoFolder = new QLabel(this);
    m_photoFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *chooseFolder = new QPushButton(QStringLiteral("Choisir le &dossier des photos..."), this);
    folderRow->addWidget(m_photoFolder, 1);
    folderRow->addWidget(chooseFolder);
    layout->addLayout(folderRow);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Photo"), QStringLiteral("Nom des résultats"),
                                        QStringLiteral("Prénom"), QStringLiteral("Nom")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(52);
    m_table->setIconSize(QSize(48, 48));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 64);
    m_table->setColumnWidth(1, 220);
    m_table->setColumnWidth(2, 200);
    layout->addWidget(m_table, 1);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("&Ajouter..."), this);
    auto *change = new QPushButton(QStringLiteral("&Modifier..."), this);
    auto *remove = new QPushButton(QStringLiteral("&Supprimer"), this);
    auto *import = new QPushButton(QStringLiteral("&Importer une liste (CSV)..."), this);
    auto *code = new QPushButton(QStringLiteral("C&ode de l'enseignant..."), this);
    for (QPushButton *button : {add, change, remove, import})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(code);
    layout->addLayout(buttons);
    connect(chooseFolder, &QPushButton::clicked, this, &ClassTab::choosePhotoFolder);
    connect(add, &QPushButton::clicked, this, &ClassTab::addPupil);
    connect(change, &QPushButton::clicked, this, &ClassTab::changePupil);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &ClassTab::changePupil);
    connect(remove, &QPushButton::clicked, this, &ClassTab::removePupil);
    connect(import, &QPushButton::clicked, this, &ClassTab::importList);
    connect(code, &QPushButton::clicked, this, [this] { editTeacherCode(this); });
    refresh();
}

void ClassTab::refresh()
{
    m_photoFolder->setText(QStringLiteral("Dossier des photos : ") +
                           QDir::toNativeSeparators(pupilPhotoFolder()));
    m_table->setRowCount(static_cast<int>(m_pupils.size()));
    const QStringList letters = ClassList::discLetters(m_pupils);
    for (int row = 0; row < m_pupils.size(); ++row) {
        const ClassPupil &pupil = m_pupils[row];
        auto *photo = new QTableWidgetItem;
        photo->setIcon(QIcon(pupilFace(pupil, letters[row], 48)));
        m_table->setItem(row, 0, photo);
        m_table->setItem(row, 1, new QTableWidgetItem(pupil.eleve));
        m_table->setItem(row, 2, new QTableWidgetItem(pupil.prenom));
        m_table->setItem(row, 3, new QTableWidgetItem(pupil.nom));
    }
}

bool ClassTab::save()
{
    const QString error = ClassList::save(m_pupils);
    refresh();
    if (error.isEmpty())
        return true;
    tell(this, QStringLiteral("La liste de la classe n'a pas pu être enregistrée : ") + error);
    return false;
}

void ClassTab::addPupil()
{
    ClassPupil pupil;
    if (!editPupil(this, pupil, m_pupils))
        return;
    m_pupils.append(pupil);
    save();
    m_table->selectRow(static_cast<int>(m_pupils.size() - 1));
}

void ClassTab::changePupil()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_pupils.size())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans la liste."));
    ClassPupil pupil = m_pupils[row];
    if (!editPupil(this, pupil, m_pupils))
        return;
    m_pupils[row] = pupil;
    save();
    m_table->selectRow(row);
}

void ClassTab::removePupil()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_pupils.size())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans la liste."));
    if (showMessage(QStringLiteral("Retirer %1 de la classe ?\rSes résultats restent dans l'historique.")
                        .arg(m_pupils[row].eleve),
                    CompanionTitle, MsgButtons::YesNo, MsgIcon::None, this) != MsgAnswer::Yes)
        return;
    m_pupils.removeAt(row);
    save();
}

void ClassTab::choosePhotoFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Dossier des photos des élèves"), pupilPhotoFolder());
    if (folder.isEmpty())
        return;
    if (!Store::write(Store::Configuration, Store::SectionFichier, Store::Eleves, QDir::cleanPath(folder)))
        tell(this, QStringLiteral(
                       "Le dossier des photos n'a pas pu être enregistré dans les réglages de Frappin."));
    refresh();
}

void ClassTab::importList()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Importer la liste de la classe"), QDir::homePath(),
                                     QStringLiteral("Fichiers CSV (*.csv *.txt);;Tous les fichiers (*)"));
    if (path.isEmpty())
        return;
    const ClassList::SchoolList list = ClassList::readSchoolList(path);
    if (!list.error.isEmpty())
        return tell(this, list.error);
    const std::optional<ClassList::Columns> columns = askColumns(this, list);
    if (!columns)
        return;
    const QList<ClassPupil> added =
        ClassList::import(list.rows, columns->firstName, columns->familyName, columns->header, m_pupils);
    m_pupils += added;
    if (save())
        tell(this, added.size() == 1 ? QStringLiteral("1 élève ajouté à la classe.")
                                     : QStringLiteral("%1 élèves ajoutés à la classe.").arg(added.size()));
}
