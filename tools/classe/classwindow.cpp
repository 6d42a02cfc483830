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

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
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
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <csignal>

namespace {

const QString Title = QStringLiteral("Frappin - La classe");
const QString PickerTitle = QStringLiteral("À qui le tour ? Clique sur ta photo !");

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

// A face for a pupil without a photograph: the letters of ClassList::discLetters on a coloured disc.
QPixmap initialOf(const ClassPupil &pupil, const QString &letters, int size)
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
    font.setPixelSize(letters.size() > 1 ? size * 2 / 5 : size / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour.darker(220));
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, letters);
    return pixmap;
}

QPixmap faceOf(const ClassPupil &pupil, const QString &letters, int size)
{
    const QPixmap photo = photoOf(pupil, size);
    return photo.isNull() ? initialOf(pupil, letters, size) : photo;
}

// A pupil's face and first name in a cell of the picker's grid; the name breaks after a hyphen
// ("Marie-" over "Bernadette") and its letters shrink only when one word is wider than the cell.
class FaceButton : public QAbstractButton {
public:
    FaceButton(const ClassPupil &pupil, const QString &letters, QWidget *parent)
        : QAbstractButton(parent), m_pupil(pupil), m_letters(letters)
    {
        setText(pupil.prenom);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
    }
    static int nameHeight(int face) { return 2 * namePixels(face) * 6 / 5 + 6; }
    void setFace(int face)
    {
        if (face != m_pixmap.width())
            m_pixmap = faceOf(m_pupil, m_letters, face);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown() || underMouse() || hasFocus()) {
            painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 3) : Qt::NoPen);
            painter.setBrush(palette().color(isDown() ? QPalette::Midlight : QPalette::AlternateBase));
            painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 10, 10);
        }
        const int face = m_pixmap.width();
        painter.drawPixmap((width() - face) / 2, 4, m_pixmap);
        QFont font = this->font();
        font.setBold(true);
        font.setPixelSize(namePixels(face));
        const QRect room(4, face + 6, width() - 8, height() - face - 8);
        // The longest word, cut after its hyphens as the line breaks do, must fit the cell's width.
        const QStringList words = text().replace(u'-', QStringLiteral("- ")).split(u' ', Qt::SkipEmptyParts);
        for (const QString &word : words) {
            while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(word) > room.width())
                font.setPixelSize(font.pixelSize() - 1);
        }
        painter.setFont(font);
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text());
    }

private:
    static int namePixels(int face) { return std::clamp(face / 5, 16, 24); }

    ClassPupil m_pupil;
    QString m_letters;
    QPixmap m_pixmap;
};

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

} // namespace

// The keyboard picture with the keys a pupil misses, scaled to the room it has.
class HeatMapView : public QWidget {
public:
    explicit HeatMapView(QWidget *parent = nullptr) : QWidget(parent)
    {
        setMinimumSize(KeyCaps::PictureSize * 0.66);
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
    // Whole on a screen of 1024 by 768 with a panel and the title bar.
    resize(QSize(1000, 700).boundedTo(screen()->availableGeometry().size() - QSize(0, 40)));
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
                   "Le réglage de l'élève n'a pas pu être écrit (fichier des réglages de Frappin) : ") +
               Store::writeError();
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
    const QStringList letters = ClassList::discLetters(m_pupils);
    for (int row = 0; row < m_pupils.size(); ++row) {
        const ClassPupil &pupil = m_pupils[row];
        auto *photo = new QTableWidgetItem;
        photo->setIcon(QIcon(faceOf(pupil, letters[row], 48)));
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
    const ClassList::Columns guessed = ClassList::guessColumns(rows.first());
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
    // The title gives way to the news of a click, and comes back when the faces can be clicked again.
    m_pickerStatus = new QLabel(PickerTitle, page);
    QFont font = m_pickerStatus->font();
    font.setPointSize(20);
    font.setBold(true);
    m_pickerStatus->setFont(font);
    m_pickerStatus->setAlignment(Qt::AlignCenter);
    m_pickerStatus->setWordWrap(true);
    layout->addWidget(m_pickerStatus);
    // A class larger than the screen holds at a readable size scrolls; a class of thirty does not.
    m_facesScroll = new QScrollArea(page);
    m_facesScroll->setWidgetResizable(true);
    m_facesScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_facesScroll->setFrameShape(QFrame::NoFrame);
    m_facesScroll->installEventFilter(this);
    m_facesHolder = new QWidget;
    m_faces = new QGridLayout(m_facesHolder);
    m_faces->setSpacing(PickerSpacing);
    m_faces->setContentsMargins(0, 0, 0, 0);
    m_faces->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_facesScroll->setWidget(m_facesHolder);
    layout->addWidget(m_facesScroll, 1);
    return page;
}

bool ClassWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_facesScroll && event->type() == QEvent::Resize)
        placeFaces();
    return QMainWindow::eventFilter(watched, event);
}

ClassWindow::PickerGrid ClassWindow::pickerGrid(int count, QSize room)
{
    // The column count that gives the largest faces, every cell the same size.
    PickerGrid best{1, 0, {}};
    for (int columns = 1; columns <= std::max(1, count); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const int cellWidth = (room.width() - (columns - 1) * PickerSpacing) / columns;
        const int cellHeight = (room.height() - (rows - 1) * PickerSpacing) / std::max(1, rows);
        int face = std::min(cellWidth - 12, MaxFace);
        while (face > 0 && face + 10 + FaceButton::nameHeight(face) > cellHeight)
            --face;
        if (face > best.face)
            best = {columns, face, {cellWidth, face + 10 + FaceButton::nameHeight(face)}};
    }
    // Below this a face is too small for a child to find: the grid scrolls instead, beside its scroll bar.
    if (best.face < MinFace) {
        const int width = room.width() - QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int columns = std::max(1, (width + PickerSpacing) / (MinFace + 12 + PickerSpacing));
        best = {columns,
                MinFace,
                {(width - (columns - 1) * PickerSpacing) / columns,
                 MinFace + 10 + FaceButton::nameHeight(MinFace)}};
    }
    return best;
}

void ClassWindow::placeFaces()
{
    // The holder's only children are the faces.
    const QList<QAbstractButton *> faces =
        m_facesHolder->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly);
    if (faces.isEmpty())
        return;
    const QSize room = m_facesScroll->maximumViewportSize() - QSize(4, 4);
    const PickerGrid grid = pickerGrid(static_cast<int>(faces.size()), room);
    while (QLayoutItem *item = m_faces->takeAt(0))
        delete item;
    for (int i = 0; i < faces.size(); ++i) {
        faces[i]->setFixedSize(grid.cell);
        static_cast<FaceButton *>(faces[i])->setFace(grid.face);
        m_faces->addWidget(faces[i], i / grid.columns, i % grid.columns);
    }
}

void ClassWindow::refreshPicker()
{
    qDeleteAll(m_facesHolder->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly));
    m_pickerStatus->setText(m_pupils.isEmpty()
                                ? QStringLiteral("La classe est vide : l'enseignant ajoute les élèves "
                                                 "dans l'onglet « La classe ».")
                                : PickerTitle);
    const QList<ClassPupil> pupils = ClassList::byFirstName(m_pupils);
    const QStringList letters = ClassList::discLetters(pupils);
    for (int i = 0; i < pupils.size(); ++i) {
        const ClassPupil pupil = pupils[i];
        auto *face = new FaceButton(pupil, letters[i], m_facesHolder);
        face->setObjectName(QStringLiteral("visage-") + pupil.eleve);
        face->setAccessibleName(pupil.prenom + u' ' + pupil.nom);
        connect(face, &QAbstractButton::clicked, this, [this, pupil] {
            // One click starts one Frappin: the faces rest a moment.
            m_facesHolder->setEnabled(false);
            QTimer::singleShot(4000, m_facesHolder, [this] {
                m_facesHolder->setEnabled(true);
                m_pickerStatus->setText(PickerTitle);
            });
            const QString error = choosePupil(pupil);
            m_pickerStatus->setText(
                error.isEmpty() ? QStringLiteral("C'est au tour de %1 ! Frappin démarre...").arg(pupil.prenom)
                                : error);
            if (!error.isEmpty())
                tell(this, error);
        });
    }
    placeFaces();
}

// --- Résultats ---

QWidget *ClassWindow::makeResultsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    // The class table beside the pupil's panel, from the top of the window to its bottom: a class of
    // thirty is read without scrolling in a window of 768 pixels, and the panel scrolls instead.
    auto *splitter = new QSplitter(Qt::Horizontal, page);
    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_summaryTable = new QTableWidget(0, 5, left);
    m_summaryTable->setObjectName(QStringLiteral("tableauClasse"));
    // The titles on two lines, so that the five columns fit beside the pupil's panel (the CSV file keeps
    // its own titles).
    m_summaryTable->setHorizontalHeaderLabels(ClassList::tableHeader().replaceInStrings(
        QRegularExpression(QStringLiteral("^(Dernière|Moyenne des) ")), QStringLiteral("\\1\n")));
    m_summaryTable->horizontalHeaderItem(4)->setToolTip(ClassList::trendRule());
    m_summaryTable->setToolTip(ClassList::trendRule());
    m_summaryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_summaryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_summaryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summaryTable->setWordWrap(false);
    m_summaryTable->verticalHeader()->hide();
    m_summaryTable->verticalHeader()->setDefaultSectionSize(m_summaryTable->fontMetrics().height() + 6);
    m_summaryTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summaryTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    leftLayout->addWidget(m_summaryTable);
    auto *exportTableButton = new QPushButton(QStringLiteral("Exporter le &tableau (CSV)..."), left);
    auto *row = new QHBoxLayout;
    row->addWidget(exportTableButton);
    row->addStretch();
    leftLayout->addLayout(row);

    auto *scroll = new QScrollArea(splitter);
    scroll->setObjectName(QStringLiteral("panneauEleve"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *bottom = new QWidget;
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 4, 0);
    m_pupilTitle = new QLabel(bottom);
    QFont font = m_pupilTitle->font();
    font.setPointSize(14);
    font.setBold(true);
    m_pupilTitle->setFont(font);
    m_lastSeries = new QLabel(bottom);
    m_lastSeries->setWordWrap(true);
    bottomLayout->addWidget(m_pupilTitle);
    bottomLayout->addWidget(m_lastSeries);
    m_chart = new QChartView(bottom);
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumSize(360, 340);
    bottomLayout->addWidget(m_chart);
    m_heatMap = new HeatMapView(bottom);
    bottomLayout->addWidget(new QLabel(QStringLiteral("Les touches les plus manquées :"), bottom));
    bottomLayout->addWidget(m_heatMap);
    auto *exports = new QHBoxLayout;
    auto *exportHistoryButton = new QPushButton(QStringLiteral("Exporter l'&historique (CSV)..."), bottom);
    auto *reportButton = new QPushButton(QStringLiteral("&Fiche PDF de l'élève..."), bottom);
    exports->addWidget(exportHistoryButton);
    exports->addWidget(reportButton);
    // On the school's server only: a series the teacher does not trust is hidden, never deleted.
    auto *hideButton = new QPushButton(QStringLiteral("&Masquer une série..."), bottom);
    hideButton->setVisible(
        !Store::read(Store::Configuration, Store::Resultats, Store::ServiceEnseignant, QString()).isEmpty());
    exports->addWidget(hideButton);
    exports->addStretch();
    bottomLayout->addLayout(exports);
    bottomLayout->addStretch();
    scroll->setWidget(bottom);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({450, 530});
    layout->addWidget(splitter);

    connect(m_summaryTable, &QTableWidget::currentCellChanged, this, [this](int current) {
        if (current >= 0 && m_summaryTable->item(current, 0))
            showPupil(m_summaryTable->item(current, 0)->text());
    });
    connect(exportTableButton, &QPushButton::clicked, this, &ClassWindow::exportTable);
    connect(exportHistoryButton, &QPushButton::clicked, this, &ClassWindow::exportHistory);
    connect(reportButton, &QPushButton::clicked, this, &ClassWindow::exportReport);
    connect(hideButton, &QPushButton::clicked, this, &ClassWindow::hideSeries);
    // Series that wait on this computer, and why, above all: the teacher is the one who can act on them.
    m_waiting = new QLabel(page);
    m_waiting->setWordWrap(true);
    m_waiting->setStyleSheet(QStringLiteral("color: #8b0000"));
    m_waiting->hide();
    layout->insertWidget(0, m_waiting);
    return page;
}

void ClassWindow::refreshResults()
{
    m_waiting->setText(History::waiting());
    m_waiting->setVisible(!m_waiting->text().isEmpty());
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

QChart *ClassWindow::progressChart(const QList<History::Record> &records)
{
    auto *chart = new QChart;
    chart->setTitle(records.isEmpty() ? QStringLiteral("Pas encore de série dans l'historique")
                                      : QStringLiteral("Note et vitesse au fil des séries"));
    auto *grades = new QLineSeries;
    grades->setName(QStringLiteral("Note sur 20"));
    auto *speeds = new QLineSeries;
    speeds->setName(QStringLiteral("Vitesse (caractères par minute)"));
    double fastest = 10;
    for (const History::Record &record : std::as_const(records)) {
        const double when = static_cast<double>(record.start.toMSecsSinceEpoch());
        grades->append(when, record.grade);
        speeds->append(when, record.speed());
        fastest = std::max(fastest, record.speed());
    }
    for (QLineSeries *line : {grades, speeds}) {
        line->setPointsVisible(true);
        chart->addSeries(line);
    }
    speeds->setPen(QPen(KeyboardColours::SecondStep, 2, Qt::DashLine));
    grades->setPen(QPen(KeyboardColours::FirstStep, 3));
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("dd/MM"));
    time->setTitleText(QStringLiteral("Date"));
    if (!records.isEmpty()) {
        const QDateTime first = records.first().start.toLocalTime();
        const QDateTime last = records.last().start.toLocalTime();
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
    int low = 0;
    for (const History::Record &record : records)
        low = std::min(low, record.grade);
    // Room above 20 and below the lowest grade, so that a point there is drawn whole; the labels stay on
    // the grades themselves.
    gradeAxis->setRange(low - 1.5, 21.5);
    gradeAxis->setTickType(QValueAxis::TicksDynamic);
    gradeAxis->setTickAnchor(0);
    gradeAxis->setTickInterval(5);
    gradeAxis->setTitleText(QStringLiteral("Note"));
    gradeAxis->setLabelFormat(QStringLiteral("%.0f"));
    auto *speedAxis = new QValueAxis;
    speedAxis->setRange(0, std::ceil(fastest * 1.08 / 10) * 10);
    speedAxis->setTitleText(QStringLiteral("Caractères par minute"));
    speedAxis->setLabelFormat(QStringLiteral("%.0f"));
    speedAxis->applyNiceNumbers();
    speedAxis->setGridLineVisible(false);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(gradeAxis, Qt::AlignLeft);
    chart->addAxis(speedAxis, Qt::AlignRight);
    grades->attachAxis(time);
    grades->attachAxis(gradeAxis);
    speeds->attachAxis(time);
    speeds->attachAxis(speedAxis);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Without a series the axes would only repeat one date and meaningless numbers.
    if (records.isEmpty()) {
        for (QAbstractAxis *axis : chart->axes()) {
            axis->setLabelsVisible(false);
            axis->setTitleVisible(false);
        }
    }
    return chart;
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

    QMap<QString, int> missed;
    for (const History::Record &record : std::as_const(m_shownRecords)) {
        for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
            missed[it.key()] += it.value();
    }
    QChart *chart = progressChart(m_shownRecords);
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
    // Drawn in memory, then written whole: QPdfWriter writes its file as it draws, so a full disk or a size
    // limit left a cut file, and nothing said so.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&bytes);
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
    if (!painter.end())
        return tell(this, QStringLiteral("La fiche PDF n'a pas pu être faite."));
    if (const QString error = saveWholeFile(path, bytes.data()); !error.isEmpty())
        tell(this,
             QStringLiteral("La fiche PDF n'a pas pu être enregistrée dans « %1 » : %2").arg(path, error));
}

void ClassWindow::hideSeries()
{
    // Newest first, with where each came from, so that a series typed elsewhere stands out.
    QStringList choices;
    for (auto it = m_shownRecords.crbegin(); it != m_shownRecords.crend(); ++it)
        choices.append(QStringLiteral("%1. %2 : note %3/20, %4 caractères, %5 car./min, poste %6")
                           .arg(choices.size() + 1)
                           .arg(History::csvFields(*it).first())
                           .arg(it->grade)
                           .arg(it->characters)
                           .arg(std::llround(it->speed()))
                           .arg(it->computer.isEmpty() ? QStringLiteral("?") : it->computer));
    if (choices.isEmpty())
        return tell(this, QStringLiteral("Cet élève n'a pas de série à masquer."));
    bool chosen = false;
    const QString choice = QInputDialog::getItem(this, Title,
                                                 QStringLiteral("La série de %1 à masquer (elle reste sur le "
                                                                "serveur, marquée) :")
                                                     .arg(m_shownPupil),
                                                 choices, 0, false, &chosen);
    if (!chosen)
        return;
    const History::Record &record = m_shownRecords[m_shownRecords.size() - 1 - choices.indexOf(choice)];
    if (const QString error = History::hide(record.uuid); !error.isEmpty())
        return tell(this, error);
    refreshResults();
}
