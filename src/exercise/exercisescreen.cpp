#include "exercise/exercisescreen.h"

#include "common/controlname.h"
#include "common/focusring.h"
#include "common/picturebox.h"
#include "exercise/clientarea.h"
#include "exercise/dictation.h"
#include "exercise/pathpanel.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "settings/pupilphoto.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace {

// Size of the client area in twips.
constexpr int ClientWidth = 9630;
constexpr int ClientHeight = 6720;

// Arial and Times New Roman are seldom installed on Linux, where fontconfig serves them by their metric-
// compatible Liberation twins. Asked for a family it does not have, Qt searches every font of the machine for
// a substitute, several milliseconds at start-up; so a missing family is asked for by its twin's name when
// the twin is installed: the same face as fontconfig's choice, found at once.
QString installedFamily(const QString &family)
{
    static const QHash<QString, QString> twins = {
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
    };
    const auto twin = twins.constFind(family);
    if (twin == twins.cend())
        return family;
    const QStringList installed = QFontDatabase::families();
    return !installed.contains(family) && installed.contains(*twin) ? *twin : family;
}

// A font of the layout. Sizes are given in points at 96 dots per inch and set in pixels, so that text keeps
// its place in the pixel layout whatever the screen's logical resolution.
QFont layoutFont(const QString &family, double points, bool bold = false)
{
    QFont font(installedFamily(family));
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    return font;
}

void setColours(QWidget *widget, QPalette::ColorRole textRole, const QColor &text,
                const QColor &background = {})
{
    QPalette palette = widget->palette();
    palette.setColor(textRole, text);
    if (background.isValid())
        palette.setColor(QPalette::Base, background);
    widget->setPalette(palette);
}

// The width a one-line box gives its text without scrolling it: its contents less the box's own margins and
// the cursor (QLineEdit scrolls once the text and a one-pixel cursor no longer fit).
int textRoom(const QLineEdit *box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const QMargins margins = box->textMargins();
    constexpr int LineEditMargin = 2; // QLineEdit's fixed inner margin on each side
    return contents.width() - margins.left() - margins.right() - 2 * LineEditMargin - 1;
}

// The box keeps the layout's font while its text (and the model shown under it) fits, and takes the largest
// smaller size that fits when it does not: the start of the text never scrolls away and no letter is cut.
// Cheap enough for every change.
void fitFont(QLineEdit *box, int layoutPixels, const QString &model = {})
{
    constexpr int SmallestPixels = 8;
    // Nothing fits at the smallest size beyond this (100,000 characters may be pasted): not measured.
    constexpr qsizetype LongestMeasured = 400;
    const QString text = box->text();
    const int room = textRoom(box);
    QFont font = box->font();
    // The advance, or the ink where a letter reaches past it; the ink is measured only near the limit.
    const auto measure = [&](const QFontMetricsF &metrics, const QString &line, int pixels) {
        const qreal advance = metrics.horizontalAdvance(line);
        if (advance > room || advance + pixels / 4.0 <= room)
            return advance;
        return std::max(advance, metrics.boundingRect(line).right());
    };
    const auto width = [&](int pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        return std::max(measure(metrics, text, pixels),
                        model.isEmpty() ? 0 : measure(metrics, model, pixels));
    };
    const auto fits = [&](int pixels) { return std::ceil(width(pixels)) <= room; };
    int pixels = layoutPixels;
    if (std::max(text.size(), model.size()) > LongestMeasured) {
        pixels = SmallestPixels;
    } else if (!fits(pixels)) {
        pixels = std::clamp(static_cast<int>(layoutPixels * room / std::max(width(layoutPixels), 1.0)),
                            SmallestPixels, layoutPixels - 1);
        while (pixels > SmallestPixels && !fits(pixels))
            --pixels;
        while (pixels + 1 < layoutPixels && fits(pixels + 1))
            ++pixels;
    }
    if (box->font().pixelSize() != pixels) {
        font.setPixelSize(pixels);
        box->setFont(font);
    }
}

} // namespace

ExerciseScreen::ExerciseScreen(QMainWindow *window)
{
    createControls(window);
}

// The controls are created from the back to the front of the window's drawing order, since a later sibling
// is drawn over an earlier one; ClientArea paints what lies behind them all, and the text boxes and the
// buttons come last, above everything.
void ExerciseScreen::createControls(QMainWindow *window)
{
    m_client = new ClientArea(window);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(Scale::px(ClientWidth), Scale::px(ClientHeight));
    window->setCentralWidget(m_client);
    window->setFont(layoutFont(QStringLiteral("Arial"), 9.75));
    createPictures();
    createNotes();
    createTextBoxes();
    // The path: a strip above the word box, under "Bravo !".
    Parcours = new PathPanel(m_client);
    Parcours->stackUnder(Bravo);
}

void ExerciseScreen::createPictures()
{
    MotATaperBord = named(new FilledBox(QColor(224, 224, 224), m_client), "MotATaperBord",
                          QStringLiteral("Cadre du mot à taper"));
    MotATaperBord->setGeometry(Scale::twipsRect(4890, 420, 2235, 375));

    Logo = named(new PictureBox(m_client), "Logo", QStringLiteral("Frappin"));
    Logo->setGeometry(Scale::twipsRect(150, -240, 2145, 1245));
    Logo->setSvg(QStringLiteral(":/pictures/logo.svg"));

    ImageClavier = named(new KeyboardPicture(m_client), "ImageClavier", QStringLiteral("Clavier"));
    ImageClavier->setGeometry(
        QRect(KeyCaps::PictureOriginTwips / Scale::TwipsPerPixel, KeyCaps::PictureSize));
    ImageClavier->setAccessibleDescription(
        QStringLiteral("Clavier français ; une main montre la touche à taper."));

    Consigne = named(new QLabel(QStringLiteral("Tape le mot suivant :"), m_client), "Consigne");
    Consigne->setGeometry(Scale::twipsRect(2460, 480, 2385, 255));
    Consigne->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Consigne->setFont(layoutFont(QStringLiteral("Arial"), 12, true));
    // The layout's salmon, darkened in its own hue to be read on the light wall (5.4:1 against white, 4.8:1
    // on the wall).
    setColours(Consigne, QPalette::WindowText, QColor(0xc0, 0x39, 0x39));

    MainGauche = named(new PictureBox(m_client), "MainGauche", QStringLiteral("Main gauche"));
    MainGauche->setGeometry(Scale::twipsRect(7170, 5910, 480, 675));
    MainGauche->setSvg(QStringLiteral(":/pictures/main_gauche.svg"));

    Bravo = named(new PictureBox(m_client), "Bravo", QStringLiteral("Bravo !"));
    Bravo->setGeometry(Scale::twipsRect(7350, 270, 2130, 660));
    Bravo->setSvg(QStringLiteral(":/pictures/bravo.svg"));

    Message = named(new QLabel(QStringLiteral("Label2"), m_client), "Message");
    Message->setGeometry(Scale::twipsRect(150, 5610, 6705, 285));
    Message->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Message->setFont(layoutFont(QStringLiteral("Arial"), 9.75, true));
    setColours(Message, QPalette::WindowText, Qt::black);

    MainDroite = named(new PictureBox(m_client), "MainDroite", QStringLiteral("Main droite"));
    MainDroite->setGeometry(RestingRightHand);
    MainDroite->setSvg(QStringLiteral(":/pictures/main_droite.svg"));

    TaNoteTexte = named(new QLabel(QStringLiteral("Ton texte"), m_client), "TaNoteTexte");
    TaNoteTexte->setGeometry(Scale::twipsRect(120, 750, 1305, 315));
    TaNoteTexte->setAlignment(Qt::AlignCenter);
    TaNoteTexte->setFrameStyle(QFrame::Box | QFrame::Plain);
    TaNoteTexte->setAutoFillBackground(true);
    TaNoteTexte->setBackgroundRole(QPalette::Base);
    TaNoteTexte->setForegroundRole(QPalette::Text);
}

// The notes over the desk: the stars, the lock hints, the note for the teacher, and the pupil's photograph.
void ExerciseScreen::createNotes()
{
    // Under the word box, clear of the logo, the grade label and "Bravo !".
    Etoiles = named(new StarRow(m_client), "Etoiles", QStringLiteral("Mots de la série"));
    Etoiles->setGeometry(StarsArea);
    Etoiles->hide();

    VerrMaj = named(new QLabel(QStringLiteral("La touche Verr. Maj est allumée."), m_client), "VerrMaj");
    VerrMaj->setGeometry(Scale::twipsRect(150, 5910, 6705, 285));
    VerrMaj->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    VerrMaj->setFont(layoutFont(QStringLiteral("Arial"), 9.75, true));
    setColours(VerrMaj, QPalette::WindowText, QColor(0x8b, 0, 0));
    VerrMaj->hide();

    // Under the hints, for the teacher: a grade shown but not kept. A note laid over the garland, left of the
    // resting hand.
    NoteNonGardee =
        named(new QLabel(QStringLiteral("Note non gardée : aucun élève n'est nommé sur ce poste.\n"
                                        "Pour le nommer : «\u00A0Frappin - La classe\u00A0» ou "
                                        "frappin-eleve definir."),
                         m_client),
              "NoteNonGardee");
    NoteNonGardee->setGeometry(Scale::twipsRect(150, 6210, 7410, 480));
    NoteNonGardee->setFrameStyle(QFrame::Box | QFrame::Plain);
    NoteNonGardee->setMargin(2);
    NoteNonGardee->setAutoFillBackground(true);
    setColours(NoteNonGardee, QPalette::WindowText, Qt::black);
    QPalette note = NoteNonGardee->palette();
    note.setColor(QPalette::Window, QColor(0xff, 0xf8, 0xdc));
    NoteNonGardee->setPalette(note);
    NoteNonGardee->hide();

    FrappinPhoto = named(new PictureBox(m_client), "FrappinPhoto", QStringLiteral("Photo de l'élève"));
    FrappinPhoto->setGeometry(Scale::twipsRect(8250, 1080, 1305, 1575));

    new FrontDecorations(m_client);
}

void ExerciseScreen::createTextBoxes()
{
    // Created in tab order, the labels taking no focus: the word, the button, then the typing box.
    MotATaper = named(new QLineEdit(m_client), "MotATaper", QStringLiteral("Mot à taper"));
    MotATaper->setGeometry(Scale::twipsRect(4980, 450, 2115, 315));
    MotATaper->setReadOnly(true);
    MotATaper->setFrame(false);
    MotATaper->setFont(layoutFont(QStringLiteral("Arial"), 12, true));
    setColours(MotATaper, QPalette::Text, QColor(128, 0, 0), QColor(224, 224, 224));
    // Only the program sets the word: a click or Tab must never take the focus (and the pupil's typing)
    // there.
    MotATaper->setFocusPolicy(Qt::NoFocus);
    QObject::connect(MotATaper, &QLineEdit::textChanged, MotATaper,
                     [this] { fitFont(MotATaper, WordPixels); });

    BoutonDepart = named(new QPushButton(QStringLiteral("&Commencer"), m_client), "BoutonDepart",
                         QStringLiteral("Commencer"));
    BoutonDepart->setGeometry(Scale::twipsRect(6900, 5550, 1335, 345));
    BoutonDepart->setFont(layoutFont(QStringLiteral("Arial"), 9.75, true));
    BoutonDepart->setDefault(true);
    showFocusClearly(BoutonDepart);
    static_cast<ClientArea *>(m_client)->setDefaultButton(BoutonDepart);

    MonTexte =
        named(new TypingBox(QStringLiteral("A"), m_client), "MonTexte", QStringLiteral("Zone de frappe"));
    MonTexte->setGeometry(Scale::twipsRect(150, 1080, 8025, 1740));
    MonTexte->setFont(layoutFont(QStringLiteral("Times New Roman"), 63.75, true));
    setColours(MonTexte, QPalette::Text, QColor(0, 0, 255));
    // A mistake is selected: a soft red with dark red letters, not the system's blue.
    QPalette mistake = MonTexte->palette();
    mistake.setColor(QPalette::Highlight, MistakeColour);
    mistake.setColor(QPalette::HighlightedText, MistakeTextColour);
    MonTexte->setPalette(mistake);
    MonTexte->setAccessibleDescription(QStringLiteral("Tape ici le mot affiché."));
    showFocusClearly(MonTexte);
    QObject::connect(MonTexte, &QLineEdit::textChanged, MonTexte,
                     [this] { fitFont(MonTexte, TypingPixels, MonTexte->model()); });

    // Where "Bravo !" comes when the word is done, beside the word's blanks: the button goes then.
    Repeter = named(new QPushButton(QStringLiteral("Répéter (Entrée)"), m_client), "Repeter",
                    QStringLiteral("Répéter le mot"));
    Repeter->setGeometry(Scale::twipsRect(7440, 330, 1995, 465));
    Repeter->setFont(BoutonDepart->font());
    // The pupil types on: a click must leave the keyboard to the typing box.
    Repeter->setFocusPolicy(Qt::NoFocus);
    Repeter->hide();
}

void ExerciseScreen::showModel(const QString &model)
{
    MonTexte->setModel(model);
    fitFont(MonTexte, TypingPixels, model);
}

void ExerciseScreen::clearWord()
{
    TaNoteTexte->setText(QStringLiteral("Ton texte"));
    MotATaper->clear();
    showModel({});
    MotATaper->setAccessibleName(QStringLiteral("Mot à taper"));
    MonTexte->clear();
    Bravo->hide();
    ChargeImage();
}

void ExerciseScreen::showWord(const QString &word, bool hidden)
{
    // Between two blanks, so that a child can count them: underscores side by side make one line.
    constexpr qreal BlankSpacing = 4;
    QFont font = MotATaper->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, hidden ? BlankSpacing : 0);
    MotATaper->setFont(font);
    MotATaper->setText(hidden ? dictationBlanks(word) : word);
    // A phrase too long for the word box at its size is shown where it is typed too, as large as the typed
    // letters: the word box alone would shrink it beyond what a young child reads. Blanks are not: they
    // would not lie under the letters they stand for.
    showModel(!hidden && MotATaper->font().pixelSize() < WordPixels ? word : QString());
}

void ExerciseScreen::showGrade(qint64 grade)
{
    setWordAreaVisible(false);
    TaNoteTexte->setText(QStringLiteral("Ta note est"));
    MotATaper->setText(QString::number(grade) + QStringLiteral("/20"));
    showModel({});
    MonTexte->setText(MotATaper->text());
    // The grade stays as it is until the next series; Enter still reaches the window and starts one.
    MonTexte->setReadOnly(true);
}

void ExerciseScreen::setWordAreaVisible(bool visible)
{
    Consigne->setVisible(visible);
    MotATaper->setVisible(visible);
    MotATaperBord->setVisible(visible);
}

void ExerciseScreen::showBravo(bool shown)
{
    Bravo->setVisible(shown);
}

void ExerciseScreen::showStars(int done, int total)
{
    total = std::clamp(total, 0, 20);
    Etoiles->setProgress(done, total);
    // Centred under the word box as far as the free space allows.
    const int width = std::min(total * StarRow::Pitch, StarsArea.width());
    const int left = std::clamp(MotATaperBord->geometry().center().x() - width / 2, StarsArea.left(),
                                StarsArea.right() + 1 - width);
    Etoiles->setGeometry(left, StarsArea.top(), width, StarsArea.height());
    Etoiles->setVisible(total > 0);
}

void ExerciseScreen::showGradeNotKept(bool shown)
{
    NoteNonGardee->setVisible(shown);
}

void ExerciseScreen::setMessage(const QString &text)
{
    Message->setText(text);
}

// The word box's accessible name carries what it shows, so that a screen reader says the new word or the
// grade (Qt 6.4 has no announcement event); the typing box, which has the focus, describes it too.
void ExerciseScreen::announce(const QString &spoken)
{
    MotATaper->setAccessibleName(spoken);
    MonTexte->setAccessibleDescription(spoken);
    QAccessibleEvent changed(MotATaper, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void ExerciseScreen::showLocks(const KeyboardLocks &locks, bool padDigit)
{
    ImageClavier->setLocks(locks);
    QStringList hints;
    if (locks.capsLock)
        hints.append(QStringLiteral("La touche Verr. Maj est allumée."));
    if (!locks.numLock && padDigit)
        hints.append(QStringLiteral("Allume la touche Verr Num."));
    if (!hints.isEmpty())
        VerrMaj->setText(hints.join(u' '));
    VerrMaj->setVisible(!hints.isEmpty());
}

void ExerciseScreen::ChargeImage()
{
    const QImage photo = loadPupilPhoto(currentPupilPhotoPath());
    FrappinPhoto->setImage(photo);
    FrappinPhoto->setBorder(!photo.isNull());
}

void ExerciseScreen::showGuide(const GuideStep &step)
{
    const auto place = [](PictureBox *hand, const std::optional<QPoint> &at) {
        if (at)
            hand->move(*at);
        hand->setVisible(at.has_value());
    };
    place(MainDroite, step.right);
    place(MainGauche, step.left);
    ImageClavier->setLitKeys(step.orange, step.blue);
}

void ExerciseScreen::hideGuide()
{
    showGuide({});
}

void ExerciseScreen::restHand()
{
    hideGuide();
    MainDroite->setGeometry(RestingRightHand);
    MainDroite->show();
}
