#include "exercise/frmmain.h"

#include "common/afterfirstpaint.h"
#include "common/controlname.h"
#include "common/focusring.h"
#include "common/intervaltimer.h"
#include "common/messagebox.h"
#include "common/owndialog.h"
#include "common/picturebox.h"
#include "common/strings.h"
#include "common/text.h"
#include "common/userscale.h"
#include "exercise/clientarea.h"
#include "exercise/pathpanel.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "sound/sound.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QSvgRenderer>
#include <QWindow>

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

// The window's icon at the sizes Qt gives the window manager for a scalable picture, drawn from the picture
// compiled in as tools/iconrender draws the icon theme's files. Not looked up in the icon theme: that loaded
// an icon-engine plugin, and reading the theme's PNG files every image-format plugin (see common/appstyle.h),
// for the same picture.
QIcon drawnWindowIcon()
{
    QSvgRenderer svg(QStringLiteral(":/pictures/icone.svg"));
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    // A fixed frame with a close box and no minimise or maximise button. The window keeps its ordinary
    // taskbar entry: it is the pupil's only window and must be easy to find again.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(Texts::ApplicationTitle);
    // Not needed to show the window, and costlier than the rest of it: see common/afterfirstpaint.h.
    runAfterFirstPaint(this, [this] {
        setWindowIcon(drawnWindowIcon());
        releaseFreedMemory();
    });
    createControls();
    createDictationControls();
    createMenus();
    createTimers();
    setFixedSize(sizeHint());
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &frmMain::onFocusWindowChanged);
    Form_Initialize();
}

frmMain::~frmMain() = default;

// The controls are created from the back to the front of the window's drawing order, since a later sibling
// is drawn over an earlier one; ClientArea paints what lies behind them all, and the text boxes and the
// button come last, above everything.
void frmMain::createControls()
{
    auto *client = new ClientArea(this);
    m_client = client;
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(Scale::px(ClientWidth), Scale::px(ClientHeight));
    setCentralWidget(m_client);

    setFont(layoutFont(QStringLiteral("Arial"), 9.75));

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
    connect(MotATaper, &QLineEdit::textChanged, this, [this] { fitFont(MotATaper, WordPixels); });

    BoutonDepart = named(new QPushButton(QStringLiteral("&Commencer"), m_client), "BoutonDepart",
                         QStringLiteral("Commencer"));
    BoutonDepart->setGeometry(Scale::twipsRect(6900, 5550, 1335, 345));
    BoutonDepart->setFont(layoutFont(QStringLiteral("Arial"), 9.75, true));
    BoutonDepart->setDefault(true);
    showFocusClearly(BoutonDepart);
    client->setDefaultButton(BoutonDepart);
    connect(BoutonDepart, &QPushButton::clicked, this, &frmMain::BoutonDepart_Click);

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
    MonTexte->installEventFilter(this);

    connect(MonTexte, &QLineEdit::textChanged, this,
            [this] { fitFont(MonTexte, TypingPixels, MonTexte->model()); });
    BoutonDepart->installEventFilter(this);
    connect(MonTexte, &QLineEdit::textChanged, this, &frmMain::MonTexte_Change);

    // The path: a strip above the word box, under "Bravo !".
    m_path = new PathPanel(m_client);
    m_path->stackUnder(Bravo);
}

void frmMain::createMenus()
{
    QMenu *fichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    mnuNouveau = fichier->addAction(QStringLiteral("&Nouveau"), this, &frmMain::mnuNouveau_Click);
    fichier->addSeparator();
    mnuConfig = fichier->addAction(QStringLiteral("&Evaluations"));
    mnuConfig->setEnabled(false);
    mnuParam = fichier->addAction(QStringLiteral("&Paramètres"), this, &frmMain::mnuParam_Click);
    fichier->addSeparator();
    mnuQuitter = fichier->addAction(QStringLiteral("&Quitter"), this, &frmMain::mnuQuitter_Click);

    QMenu *edition = menuBar()->addMenu(QStringLiteral("&Edition"));
    mnuMots = edition->addAction(QStringLiteral("&Liste de mots"), this, &frmMain::mnuMots_Click);

    QMenu *aide = menuBar()->addMenu(QStringLiteral("?"));
    exit = aide->addAction(QStringLiteral("&Quitter"), this, &frmMain::exit_Click);
    mnuApropos = aide->addAction(QStringLiteral("&A propos de ..."), this, &frmMain::mnuApropos_Click);

    const std::pair<QAction *, const char *> names[] = {
        {mnuNouveau, "mnuNouveau"}, {mnuConfig, "mnuConfig"}, {mnuParam, "mnuParam"},
        {mnuQuitter, "mnuQuitter"}, {mnuMots, "mnuMots"},     {exit, "exit"},
        {mnuApropos, "mnuApropos"},
    };
    for (const auto &[action, name] : names)
        action->setObjectName(QString::fromLatin1(name));

    menuBar()->setAccessibleName(QStringLiteral("Menus"));
    const std::pair<QMenu *, const char *> menus[] = {
        {fichier, "mnuFichier"}, {edition, "mnuEdit"}, {aide, "mnuPointIntero"}};
    for (const auto &[menu, name] : menus)
        menu->setObjectName(QString::fromLatin1(name));
    fichier->setAccessibleName(QStringLiteral("Fichier"));
    edition->setAccessibleName(QStringLiteral("Edition"));
    aide->setAccessibleName(QStringLiteral("Aide"));
}

void frmMain::createTimers()
{
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        m_timers[i] = new IntervalTimer(this);
        m_timers[i]->setObjectName(QStringLiteral("Timer%1").arg(i));
        connect(m_timers[i], &IntervalTimer::tick, this, [this, i] { Timer_Timer(static_cast<int>(i)); });
    }
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        Form_Activate();
        // A child who cannot read yet hears what to do first.
        if (Store::switchedOn(Store::Son)) {
            Sound::say(Texts::Invitation);
            // Known before the first series, which then shows its words from the start if it must.
            if (Store::switchedOn(Store::Dictee))
                Sound::checkSpeech(this, [this](bool heard) { onSpeechFound(heard); });
        }
    }
}

void frmMain::showModel(const QString &model)
{
    MonTexte->setModel(model);
    fitFont(MonTexte, TypingPixels, model);
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Under Wayland, Qt draws the frame itself, with a maximise button whatever the window's flags say; a
    // maximised or full-screen fixed window would only be its picture adrift in an empty frame.
    constexpr Qt::WindowStates Enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & Enlarged))
        setWindowState(windowState() & ~Enlarged);
}

void frmMain::ChargeImage()
{
    const QImage photo = loadPupilPhoto(currentPupilPhotoPath());
    FrappinPhoto->setImage(photo);
    FrappinPhoto->setBorder(!photo.isNull());
}

void frmMain::Form_Activate()
{
    if (Store::seriesLength() != m_series.MotsRestants)
        return;
    MonTexte->setText(trimBlanks(Store::prenom()));
    ChargeImage();
}

// Quitting: the menu entry asks first; the "?" menu's entry and the close box do not.
void frmMain::mnuQuitter_Click()
{
    if (showMessage(Texts::QuitQuestion, Texts::ApplicationTitle, MsgButtons::YesNo, MsgIcon::Exclamation,
                    this) == MsgAnswer::Yes)
        exit_Click();
}

void frmMain::exit_Click()
{
    QApplication::closeAllWindows();
    QApplication::quit();
}

// Focus: the greeting (Form_Activate) runs when the window takes the focus back from one of the program's own
// dialogs, not when the pupil comes back from another program: a focus change that leaves the program (no
// focus window) keeps what had the focus last.
void frmMain::onFocusWindowChanged(QWindow *focused)
{
    if (!focused)
        return;
    if (focused == windowHandle()) {
        // The locks may have changed while another window had the keyboard.
        readLocks();
        if (m_ownDialogHadFocus)
            Form_Activate();
    }
    m_ownDialogHadFocus = isOwnDialog(focused);
}

bool frmMain::isOwnDialog(const QWindow *window)
{
    const auto widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [window](const QWidget *widget) {
        return widget->windowHandle() == window && ::isOwnDialog(widget);
    });
}
