#include "classwindow.h"

#include "common/messagebox.h"
#include "common/savefile.h"
#include "history/csv.h"
#include "keyboard/heatmap.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "settings/codedialog.h"
#include "settings/identity.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "settings/teachercode.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <csignal>

namespace {

const QString Title = QStringLiteral("Frappin - La classe");

enum Tab { ClassTab, PickerTab, ResultsTab };

void tell(QWidget *parent, const QString &text)
{
    showMessage(text, Title, MsgButtons::Ok, MsgIcon::Exclamation, parent);
}

QPixmap photoOf(const ClassPupil &pupil, int size)
{
    const QImage image = loadPupilPhoto(pupilPhotoPath(pupilPhotoFolder(), pupil.nom, pupil.prenom));
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// A face for a pupil without a photograph: the initial on a coloured disc.
QPixmap initialOf(const ClassPupil &pupil, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QColor::fromHsv(static_cast<int>(qHash(pupil.eleve) % 360), 90, 235);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    QFont font = painter.font();
    font.setPixelSize(size / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour.darker(220));
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, pupil.prenom.left(1).toUpper());
    return pixmap;
}

QPixmap faceOf(const ClassPupil &pupil, int size)
{
    const QPixmap photo = photoOf(pupil, size);
    return photo.isNull() ? initialOf(pupil, size) : photo;
}

// The key table Frappin uses, from beside it.
QString keyboardFile()
{
    return QFileInfo(ClassWindow::frappinProgram()).dir().filePath(KeyboardFileName);
}

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

// The column of a header that reads like one of names, or fallback.
int columnLike(const QStringList &header, const QStringList &names, int fallback)
{
    for (int i = 0; i < header.size(); ++i) {
        const QString text = header[i].toLower().remove(u' ');
        for (const QString &name : names) {
            if (text == name)
                return i;
        }
    }
    return fallback;
}

} // namespace

// The keyboard picture with the keys a pupil misses, scaled to the room it has.
class HeatMapView : public QWidget {
public:
    explicit HeatMapView(QWidget *parent = nullptr) : QWidget(parent)
    {
        setMinimumSize(KeyCaps::PictureSize / 2 * 1.2);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    void setKeys(const QMap<int, int> &keys)
    {
        m_keys = keys;
        update();
    }
    const QMap<int, int> &keys() const { return m_keys; }
    void paint(QPainter &painter, const QRectF &room) const
    {
        const double scale = std::min(room.width() / KeyCaps::PictureSize.width(),
                                      room.height() / KeyCaps::PictureSize.height());
        painter.save();
        painter.translate(room.topLeft());
        painter.scale(scale, scale);
        drawHeatMap(painter, m_keys);
        painter.restore();
    }
    int heightForWidth(int width) const override
    {
        return width * KeyCaps::PictureSize.height() / KeyCaps::PictureSize.width();
    }
    bool hasHeightForWidth() const override { return true; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, rect());
    }

private:
    QMap<int, int> m_keys;
};

ClassWindow::ClassWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(Title);
    QString error;
    m_pupils = ClassList::load(&error);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(lockable(makeClassTab()), QStringLiteral("La &classe"));
    m_tabs->addTab(makePickerTab(), QStringLiteral("À &qui le tour ?"));
    m_tabs->addTab(lockable(makeResultsTab()), QStringLiteral("&Résultats"));
    setCentralWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ClassWindow::tabChosen);
    auto *quit = new QAction(QStringLiteral("Quitter"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    refreshClass();
    // With a teacher's code, the window opens on the pupils' screen, the teacher's side shut.
    if (TeacherCode::state() != TeacherCode::State::None)
        m_tabs->setCurrentIndex(PickerTab);
    resize(1000, 720);
    if (!error.isEmpty())
        QTimer::singleShot(0, this, [this, error] { tell(this, error); });
}

// The teacher's tabs stand behind a notice while the teacher's side is shut.
QWidget *ClassWindow::lockable(QWidget *page)
{
    auto *stack = new QStackedWidget;
    auto *notice = new QLabel(QStringLiteral("Cet onglet est réservé à l'enseignant."), stack);
    notice->setAlignment(Qt::AlignCenter);
    stack->addWidget(notice);
    stack->addWidget(page);
    stack->setCurrentIndex(1);
    m_locks.append(stack);
    return stack;
}

void ClassWindow::tabChosen(int index)
{
    if (index == PickerTab) {
        // Once the pupils have their screen, the teacher's side needs the code again.
        const bool open = TeacherCode::state() == TeacherCode::State::None;
        for (QStackedWidget *stack : std::as_const(m_locks))
            stack->setCurrentIndex(open ? 1 : 0);
        return refreshPicker();
    }
    if (m_locks.constFirst()->currentIndex() == 0) {
        if (!askTeacherCode(this, index == ClassTab ? QStringLiteral("la classe")
                                                    : QStringLiteral("les résultats")))
            return m_tabs->setCurrentIndex(PickerTab);
        for (QStackedWidget *stack : std::as_const(m_locks))
            stack->setCurrentIndex(1);
    }
    if (index == ResultsTab)
        refreshResults();
}

QString ClassWindow::frappinProgram()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &path : {here.filePath(QStringLiteral("frappin")),
                                here.filePath(QStringLiteral("../lib/frappin/frappin"))}) {
        if (QFileInfo(path).isExecutable() && QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QDir::cleanPath(here.filePath(QStringLiteral("../lib/frappin/frappin")));
}

QString ClassWindow::choosePupil(const ClassPupil &pupil)
{
    if (!Identity::write({pupil.prenom, pupil.nom, pupil.eleve}))
        return QStringLiteral(
            "Le réglage de l'élève n'a pas pu être écrit (fichier des réglages de Frappin).");
    const QString program = frappinProgram();
    // Only the process this window started, and only while it is still that program.
    if (m_frappinPid > 0 && QFileInfo(QStringLiteral("/proc/%1/exe").arg(m_frappinPid)).canonicalFilePath() ==
                                QFileInfo(program).canonicalFilePath())
        ::kill(static_cast<pid_t>(m_frappinPid), SIGTERM);
    m_frappinPid = 0;
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath(), &m_frappinPid))
        return QStringLiteral("Frappin n'a pas pu être lancé (%1).").arg(QDir::toNativeSeparators(program));
    return QString();
}

// --- La classe ---

QWidget *ClassWindow::makeClassTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *folderRow = new QHBoxLayout;
    m_photoFolder = new QLabel(page);
    m_photoFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *chooseFolder = new QPushButton(QStringLiteral("Choisir le &dossier des photos..."), page);
    folderRow->addWidget(m_photoFolder, 1);
    folderRow->addWidget(chooseFolder);
    layout->addLayout(folderRow);
    m_classTable = new QTableWidget(0, 4, page);
    m_classTable->setHorizontalHeaderLabels({QStringLiteral("Photo"), QStringLiteral("Nom des résultats"),
                                             QStringLiteral("Prénom"), QStringLiteral("Nom")});
    m_classTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_classTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_classTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_classTable->verticalHeader()->hide();
    m_classTable->verticalHeader()->setDefaultSectionSize(52);
    m_classTable->setIconSize(QSize(48, 48));
    m_classTable->horizontalHeader()->setStretchLastSection(true);
    m_classTable->setColumnWidth(0, 64);
    m_classTable->setColumnWidth(1, 220);
    m_classTable->setColumnWidth(2, 200);
    layout->addWidget(m_classTable, 1);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("&Ajouter..."), page);
    auto *change = new QPushButton(QStringLiteral("&Modifier..."), page);
    auto *remove = new QPushButton(QStringLiteral("&Supprimer"), page);
    auto *import = new QPushButton(QStringLiteral("&Importer une liste (CSV)..."), page);
    auto *code = new QPushButton(QStringLiteral("C&ode de l'enseignant..."), page);
    for (QPushButton *button : {add, change, remove, import})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(code);
    layout->addLayout(buttons);
    connect(chooseFolder, &QPushButton::clicked, this, &ClassWindow::choosePhotoFolder);
    connect(add, &QPushButton::clicked, this, &ClassWindow::addPupil);
    connect(change, &QPushButton::clicked, this, &ClassWindow::changePupil);
    connect(m_classTable, &QTableWidget::cellDoubleClicked, this, &ClassWindow::changePupil);
    connect(remove, &QPushButton::clicked, this, &ClassWindow::removePupil);
    connect(import, &QPushButton::clicked, this, &ClassWindow::importClass);
    connect(code, &QPushButton::clicked, this, [this] { editTeacherCode(this); });
    return page;
}

void ClassWindow::refreshClass()
{
    m_photoFolder->setText(QStringLiteral("Dossier des photos : ") +
                           QDir::toNativeSeparators(pupilPhotoFolder()));
    m_classTable->setRowCount(static_cast<int>(m_pupils.size()));
    for (int row = 0; row < m_pupils.size(); ++row) {
        const ClassPupil &pupil = m_pupils[row];
        auto *photo = new QTableWidgetItem;
        photo->setIcon(QIcon(faceOf(pupil, 48)));
        m_classTable->setItem(row, 0, photo);
        m_classTable->setItem(row, 1, new QTableWidgetItem(pupil.eleve));
        m_classTable->setItem(row, 2, new QTableWidgetItem(pupil.prenom));
        m_classTable->setItem(row, 3, new QTableWidgetItem(pupil.nom));
    }
}

bool ClassWindow::saveClass()
{
    const QString error = ClassList::save(m_pupils);
    refreshClass();
    if (error.isEmpty())
        return true;
    tell(this, QStringLiteral("La liste de la classe n'a pas pu être enregistrée : ") + error);
    return false;
}

void ClassWindow::addPupil()
{
    ClassPupil pupil;
    if (!editPupil(this, pupil, m_pupils))
        return;
    m_pupils.append(pupil);
    saveClass();
    m_classTable->selectRow(static_cast<int>(m_pupils.size() - 1));
}

void ClassWindow::changePupil()
{
    const int row = m_classTable->currentRow();
    if (row < 0 || row >= m_pupils.size())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans la liste."));
    ClassPupil pupil = m_pupils[row];
    if (!editPupil(this, pupil, m_pupils))
        return;
    m_pupils[row] = pupil;
    saveClass();
    m_classTable->selectRow(row);
}

void ClassWindow::removePupil()
{
    const int row = m_classTable->currentRow();
    if (row < 0 || row >= m_pupils.size())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans la liste."));
    if (showMessage(QStringLiteral("Retirer %1 de la classe ?\rSes résultats restent dans l'historique.")
                        .arg(m_pupils[row].eleve),
                    Title, MsgButtons::YesNo, MsgIcon::None, this) != MsgAnswer::Yes)
        return;
    m_pupils.removeAt(row);
    saveClass();
}

void ClassWindow::choosePhotoFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Dossier des photos des élèves"), pupilPhotoFolder());
    if (folder.isEmpty())
        return;
    if (!Store::write(Store::Configuration, Store::SectionFichier, Store::Eleves, QDir::cleanPath(folder)))
        tell(this, QStringLiteral(
                       "Le dossier des photos n'a pas pu être enregistré dans les réglages de Frappin."));
    refreshClass();
}

void ClassWindow::importClass()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Importer la liste de la classe"), QDir::homePath(),
                                     QStringLiteral("Fichiers CSV (*.csv *.txt);;Tous les fichiers (*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024)
        return tell(this,
                    QStringLiteral("Le fichier « %1 » ne peut pas être lu.").arg(QFileInfo(path).fileName()));
    const QList<QStringList> rows = Csv::parse(file.readAll());
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    if (rows.isEmpty() || columns < 2)
        return tell(this,
                    QStringLiteral("Le fichier ne contient pas de tableau : il faut au moins deux colonnes "
                                   "(prénom et nom), séparées par « ; » ou « , »."));

    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Importer la liste de la classe"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Les premières lignes du fichier :"), &dialog));
    auto *preview = new QTableWidget(static_cast<int>(std::min<qsizetype>(rows.size(), 8)),
                                     static_cast<int>(columns), &dialog);
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers.append(QStringLiteral("Colonne %1").arg(c + 1));
    preview->setHorizontalHeaderLabels(headers);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < preview->rowCount(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            preview->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    }
    layout->addWidget(preview);
    auto *form = new QFormLayout;
    auto *firstName = new QComboBox(&dialog);
    auto *familyName = new QComboBox(&dialog);
    for (int c = 0; c < columns; ++c) {
        const QString label = headers[c] + QStringLiteral(" (") + rows.first().value(c) + u')';
        firstName->addItem(label);
        familyName->addItem(label);
    }
    familyName->setCurrentIndex(
        columnLike(rows.first(), {"nom", "nomdel'élève", "nomdefamille", "nomd'usage"}, 0));
    firstName->setCurrentIndex(columnLike(rows.first(), {"prénom", "prenom", "prénomdel'élève"}, 1));
    auto *header = new QCheckBox(QStringLiteral("La première ligne donne les titres des colonnes"), &dialog);
    header->setChecked(columnLike(rows.first(), {"nom", "prénom", "prenom"}, -1) >= 0);
    form->addRow(QStringLiteral("Colonne du &prénom :"), firstName);
    form->addRow(QStringLiteral("Colonne du &nom :"), familyName);
    form->addRow(header);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Importer"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (firstName->currentIndex() == familyName->currentIndex())
            return tell(&dialog,
                        QStringLiteral("Choisissez deux colonnes différentes pour le prénom et le nom."));
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(700, 420);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<ClassPupil> added = ClassList::import(
        rows, firstName->currentIndex(), familyName->currentIndex(), header->isChecked(), m_pupils);
    m_pupils += added;
    if (saveClass())
        tell(this, added.size() == 1 ? QStringLiteral("1 élève ajouté à la classe.")
                                     : QStringLiteral("%1 élèves ajoutés à la classe.").arg(added.size()));
}

// --- À qui le tour ? ---

QWidget *ClassWindow::makePickerTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *title = new QLabel(QStringLiteral("À qui le tour ? Clique sur ta photo !"), page);
    QFont font = title->font();
    font.setPointSize(24);
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    auto *scroll = new QScrollArea(page);
    scroll->setWidgetResizable(true);
    m_facesHolder = new QWidget;
    m_faces = new QGridLayout(m_facesHolder);
    m_faces->setSpacing(16);
    m_faces->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    scroll->setWidget(m_facesHolder);
    layout->addWidget(scroll, 1);
    m_pickerStatus = new QLabel(page);
    font.setPointSize(16);
    m_pickerStatus->setFont(font);
    m_pickerStatus->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_pickerStatus);
    return page;
}

void ClassWindow::refreshPicker()
{
    while (QLayoutItem *item = m_faces->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_pickerStatus->setText(m_pupils.isEmpty()
                                ? QStringLiteral("La classe est vide : l'enseignant ajoute les élèves "
                                                 "dans l'onglet « La classe ».")
                                : QString());
    // As many faces in a row as the screen holds, without a sideways scroll.
    const int perRow = std::max(1, (m_facesHolder->parentWidget()->width() - 20) / 200);
    for (int i = 0; i < m_pupils.size(); ++i) {
        const ClassPupil pupil = m_pupils[i];
        auto *face = new QToolButton(m_facesHolder);
        face->setObjectName(QStringLiteral("visage-") + pupil.eleve);
        face->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        face->setIcon(QIcon(faceOf(pupil, 150)));
        face->setIconSize(QSize(150, 150));
        face->setText(pupil.prenom);
        face->setAccessibleName(pupil.prenom + u' ' + pupil.nom);
        QFont font = face->font();
        font.setPointSize(18);
        font.setBold(true);
        face->setFont(font);
        face->setAutoRaise(true);
        face->setMinimumSize(180, 210);
        connect(face, &QToolButton::clicked, this, [this, pupil] {
            // One click starts one Frappin: the faces rest a moment.
            m_facesHolder->setEnabled(false);
            QTimer::singleShot(4000, m_facesHolder, [this] { m_facesHolder->setEnabled(true); });
            const QString error = choosePupil(pupil);
            m_pickerStatus->setText(
                error.isEmpty() ? QStringLiteral("C'est au tour de %1 ! Frappin démarre...").arg(pupil.prenom)
                                : error);
            if (!error.isEmpty())
                tell(this, error);
        });
        m_faces->addWidget(face, i / perRow, i % perRow);
    }
}

// --- Résultats ---

QWidget *ClassWindow::makeResultsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *splitter = new QSplitter(Qt::Vertical, page);
    auto *top = new QWidget(splitter);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    m_summaryTable = new QTableWidget(0, 5, top);
    m_summaryTable->setHorizontalHeaderLabels(ClassList::tableHeader());
    m_summaryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_summaryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_summaryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summaryTable->verticalHeader()->hide();
    m_summaryTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    topLayout->addWidget(m_summaryTable);
    auto *exportTableButton = new QPushButton(QStringLiteral("Exporter le &tableau (CSV)..."), top);
    auto *row = new QHBoxLayout;
    row->addWidget(exportTableButton);
    row->addStretch();
    topLayout->addLayout(row);

    auto *bottom = new QWidget(splitter);
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    m_pupilTitle = new QLabel(bottom);
    QFont font = m_pupilTitle->font();
    font.setPointSize(14);
    font.setBold(true);
    m_pupilTitle->setFont(font);
    m_lastSeries = new QLabel(bottom);
    bottomLayout->addWidget(m_pupilTitle);
    bottomLayout->addWidget(m_lastSeries);
    auto *pictures = new QHBoxLayout;
    m_chart = new QChartView(bottom);
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumSize(420, 260);
    m_heatMap = new HeatMapView(bottom);
    pictures->addWidget(m_chart, 1);
    auto *heatColumn = new QVBoxLayout;
    heatColumn->addWidget(new QLabel(QStringLiteral("Les touches les plus manquées :"), bottom));
    heatColumn->addWidget(m_heatMap);
    heatColumn->addStretch();
    pictures->addLayout(heatColumn, 1);
    bottomLayout->addLayout(pictures, 1);
    auto *exports = new QHBoxLayout;
    auto *exportHistoryButton = new QPushButton(QStringLiteral("Exporter l'&historique (CSV)..."), bottom);
    auto *reportButton = new QPushButton(QStringLiteral("&Fiche PDF de l'élève..."), bottom);
    exports->addWidget(exportHistoryButton);
    exports->addWidget(reportButton);
    exports->addStretch();
    bottomLayout->addLayout(exports);
    splitter->setStretchFactor(1, 3);
    layout->addWidget(splitter);

    connect(m_summaryTable, &QTableWidget::currentCellChanged, this, [this](int current) {
        if (current >= 0 && m_summaryTable->item(current, 0))
            showPupil(m_summaryTable->item(current, 0)->text());
    });
    connect(exportTableButton, &QPushButton::clicked, this, &ClassWindow::exportTable);
    connect(exportHistoryButton, &QPushButton::clicked, this, &ClassWindow::exportHistory);
    connect(reportButton, &QPushButton::clicked, this, &ClassWindow::exportReport);
    return page;
}

void ClassWindow::refreshResults()
{
    QString error;
    const QList<History::Record> all = History::records(QString(), &error);
    if (!error.isEmpty())
        tell(this, error);
    QStringList names;
    for (const ClassPupil &pupil : m_pupils)
        names.append(pupil.eleve);
    for (const History::Record &record : all) {
        if (!names.contains(record.pupil))
            names.append(record.pupil);
    }
    const QString keep = m_shownPupil;
    QSignalBlocker blocker(m_summaryTable);
    m_summaryTable->setRowCount(static_cast<int>(names.size()));
    int keepRow = names.isEmpty() ? -1 : 0;
    for (int r = 0; r < names.size(); ++r) {
        QList<History::Record> own;
        for (const History::Record &record : all) {
            if (record.pupil == names[r])
                own.append(record);
        }
        const QStringList fields = ClassList::tableFields(ClassList::summarise(names[r], own));
        for (int c = 0; c < fields.size(); ++c)
            m_summaryTable->setItem(r, c, new QTableWidgetItem(fields[c]));
        if (names[r] == keep)
            keepRow = r;
    }
    if (keepRow >= 0) {
        m_summaryTable->selectRow(keepRow);
        showPupil(names[keepRow]);
    } else {
        showPupil(QString());
    }
}

void ClassWindow::showPupil(const QString &eleve)
{
    m_shownPupil = eleve;
    m_shownRecords = eleve.isEmpty() ? QList<History::Record>() : History::records(eleve);
    m_pupilTitle->setText(eleve.isEmpty() ? QStringLiteral("Aucun élève") : eleve);
    // The last series of the history, which a school's server shares between the classroom's computers;
    // otherwise the results this computer's settings keep.
    QString note = Store::read(Store::Frappin, eleve, Store::Note, QString());
    bool ok = false;
    double seconds =
        Store::read(Store::Frappin, eleve, Store::Duree, QString()).replace(u',', u'.').toDouble(&ok) *
        Store::SecondsPerDay;
    QString characters = Store::read(Store::Frappin, eleve, Store::NombreCaracteres, QStringLiteral("?"));
    QString level = Store::read(Store::Frappin, eleve, Store::Niveau, QStringLiteral("?"));
    if (!m_shownRecords.isEmpty()) {
        const History::Record &last = m_shownRecords.last();
        note = QString::number(last.grade);
        seconds = last.seconds;
        ok = true;
        characters = QString::number(last.characters);
        level = QString::number(last.level);
    }
    if (eleve.isEmpty() || note.isEmpty()) {
        m_lastSeries->setText(QStringLiteral("Dernière série : pas encore de série."));
    } else {
        const qint64 whole = ok ? std::llround(seconds) : 0;
        m_lastSeries->setText(
            QStringLiteral("Dernière série : note %1/20, %2 min %3 s, %4 caractères, niveau %5.")
                .arg(note)
                .arg(whole / 60)
                .arg(whole % 60, 2, 10, QLatin1Char('0'))
                .arg(characters, level));
    }

    auto *chart = new QChart;
    chart->setTitle(m_shownRecords.isEmpty() ? QStringLiteral("Pas encore de série dans l'historique")
                                             : QStringLiteral("Note et vitesse au fil des séries"));
    auto *grades = new QLineSeries;
    grades->setName(QStringLiteral("Note sur 20"));
    auto *speeds = new QLineSeries;
    speeds->setName(QStringLiteral("Vitesse (caractères par minute)"));
    double fastest = 10;
    QMap<QString, int> missed;
    for (const History::Record &record : std::as_const(m_shownRecords)) {
        const double when = static_cast<double>(record.start.toMSecsSinceEpoch());
        grades->append(when, record.grade);
        speeds->append(when, record.speed());
        fastest = std::max(fastest, record.speed());
        for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
            missed[it.key()] += it.value();
    }
    for (QLineSeries *line : {grades, speeds}) {
        line->setPointsVisible(true);
        chart->addSeries(line);
    }
    // The keyboard's colours, which a child who sees red and green alike still tells apart.
    speeds->setPen(QPen(KeyboardColours::SecondStep, 2, Qt::DashLine));
    grades->setPen(QPen(KeyboardColours::FirstStep, 3));
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("dd/MM"));
    time->setTitleText(QStringLiteral("Date"));
    if (!m_shownRecords.isEmpty()) {
        const QDateTime first = m_shownRecords.first().start.toLocalTime();
        const QDateTime last = m_shownRecords.last().start.toLocalTime();
        // The series fill the width, so that those of one sitting, minutes apart, are told apart.
        const qint64 margin = std::max<qint64>(first.secsTo(last) / 20, 300);
        time->setRange(first.addSecs(-margin), last.addSecs(margin));
        if (first.date() == last.date()) {
            time->setFormat(QStringLiteral("HH:mm"));
            time->setTitleText(
                QStringLiteral("Heure, le %1").arg(first.toString(QStringLiteral("dd/MM/yyyy"))));
        } else if (first.daysTo(last) < 3) {
            time->setFormat(QStringLiteral("dd/MM HH:mm"));
        }
    }
    auto *gradeAxis = new QValueAxis;
    gradeAxis->setRange(std::min(0,
                                 [&] {
                                     int low = 0;
                                     for (const auto &r : std::as_const(m_shownRecords))
                                         low = std::min(low, r.grade);
                                     return low;
                                 }()),
                        20);
    gradeAxis->setTitleText(QStringLiteral("Note"));
    gradeAxis->setLabelFormat(QStringLiteral("%.0f"));
    auto *speedAxis = new QValueAxis;
    speedAxis->setRange(0, std::ceil(fastest / 10) * 10);
    speedAxis->setTitleText(QStringLiteral("Caractères par minute"));
    speedAxis->setLabelFormat(QStringLiteral("%.0f"));
    speedAxis->applyNiceNumbers();
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(gradeAxis, Qt::AlignLeft);
    chart->addAxis(speedAxis, Qt::AlignRight);
    grades->attachAxis(time);
    grades->attachAxis(gradeAxis);
    speeds->attachAxis(time);
    speeds->attachAxis(speedAxis);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QChart *old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;

    TextTable table;
    qint16 last = -1;
    loadKeyTable(keyboardFile(), table, last);
    m_heatMap->setKeys(mistakesByKey(missed, table, last));
}

void ClassWindow::exportTable()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exporter le tableau de la classe"),
        QDir::home().filePath(QStringLiteral("classe.csv")), QStringLiteral("Fichiers CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QList<QStringList> rows = {ClassList::tableHeader()};
    for (int r = 0; r < m_summaryTable->rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < m_summaryTable->columnCount(); ++c)
            fields.append(m_summaryTable->item(r, c) ? m_summaryTable->item(r, c)->text() : QString());
        rows.append(fields);
    }
    if (const QString error = saveWholeFile(path, Csv::document(rows)); !error.isEmpty())
        tell(this, QStringLiteral("Le tableau n'a pas pu être enregistré : ") + error);
}

void ClassWindow::exportHistory()
{
    if (m_shownPupil.isEmpty())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans le tableau."));
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exporter l'historique de %1").arg(m_shownPupil),
        QDir::home().filePath(m_shownPupil + QStringLiteral(".csv")), QStringLiteral("Fichiers CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QList<QStringList> rows = {History::csvHeader()};
    for (const History::Record &record : std::as_const(m_shownRecords))
        rows.append(History::csvFields(record));
    if (const QString error = saveWholeFile(path, Csv::document(rows)); !error.isEmpty())
        tell(this, QStringLiteral("L'historique n'a pas pu être enregistré : ") + error);
}

void ClassWindow::exportReport()
{
    if (m_shownPupil.isEmpty())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans le tableau."));
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Fiche PDF de %1").arg(m_shownPupil),
                                     QDir::home().filePath(m_shownPupil + QStringLiteral(".pdf")),
                                     QStringLiteral("Documents PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(150);
    pdf.setTitle(QStringLiteral("Frappin - ") + m_shownPupil);
    pdf.setCreator(QStringLiteral("frappin-classe"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return tell(this, QStringLiteral("La fiche PDF ne peut pas être écrite dans « %1 ».").arg(path));
    const QRect page = painter.viewport().adjusted(40, 40, -40, -40);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(20);
    font.setBold(true);
    painter.setFont(font);
    int y = page.top();
    painter.drawText(QRect(page.left(), y, page.width(), 60), Qt::AlignLeft,
                     QStringLiteral("Frappin - ") + m_shownPupil);
    y += 70;
    font.setPointSize(11);
    font.setBold(false);
    painter.setFont(font);
    const ClassList::Summary summary = ClassList::summarise(m_shownPupil, m_shownRecords);
    const QStringList fields = ClassList::tableFields(summary);
    const QStringList header = ClassList::tableHeader();
    QString text = m_lastSeries->text() + u'\n';
    for (int i = 1; i < fields.size(); ++i)
        text += header[i] + QStringLiteral(" : ") + (fields[i].isEmpty() ? QStringLiteral("-") : fields[i]) +
                u'\n';
    text += QStringLiteral("Fiche du ") +
            QLocale(QLocale::French).toString(QDate::currentDate(), QLocale::LongFormat);
    const QRect textRect(page.left(), y, page.width(), 200);
    painter.drawText(textRect, Qt::AlignLeft | Qt::TextWordWrap, text);
    y += 210;
    const QRect chartRect(page.left(), y, page.width(), page.width() * 9 / 16);
    m_chart->render(&painter, chartRect);
    y = chartRect.bottom() + 30;
    painter.drawText(QRect(page.left(), y, page.width(), 40), Qt::AlignLeft,
                     QStringLiteral("Les touches les plus manquées :"));
    y += 45;
    m_heatMap->paint(painter, QRectF(page.left(), y, page.width(), page.bottom() - y));
    painter.end();
}
