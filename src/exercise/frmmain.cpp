// The window itself: its frame, menus and timers, the greeting when it takes the focus back from one of the
// program's own dialogs, and quitting. What it shows is ExerciseScreen's; when, the series' flow's.

#include "exercise/frmmain.h"

#include "common/afterfirstpaint.h"
#include "common/intervaltimer.h"
#include "common/messagebox.h"
#include "common/owndialog.h"
#include "common/strings.h"
#include "common/text.h"
#include "exercise/clientarea.h"
#include "exercise/pathpanel.h"
#include "settings/store.h"
#include "sound/sound.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QWindow>

#include <algorithm>

namespace {

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
    m_screen = std::make_unique<ExerciseScreen>(this);
    m_path = m_screen->Parcours;
    connect(m_path, &PathPanel::wordsChanged, this, &frmMain::findTypableWords);
    createMenus();
    createTimers();
    setFixedSize(sizeHint());
    connect(m_screen->BoutonDepart, &QPushButton::clicked, this, &frmMain::BoutonDepart_Click);
    connect(m_screen->MonTexte, &QLineEdit::textChanged, this, &frmMain::MonTexte_Change);
    connect(m_screen->Repeter, &QPushButton::clicked, this, &frmMain::repeatWord);
    connect(m_screen->MonTexte, &QLineEdit::returnPressed, this, &frmMain::repeatWord);
    m_screen->MonTexte->installEventFilter(this);
    m_screen->BoutonDepart->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &frmMain::onFocusWindowChanged);
    Form_Initialize();
}

frmMain::~frmMain() = default;

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

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Under Wayland, Qt draws the frame itself, with a maximise button whatever the window's flags say; a
    // maximised or full-screen fixed window would only be its picture adrift in an empty frame.
    constexpr Qt::WindowStates Enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && (windowState() & Enlarged))
        setWindowState(windowState() & ~Enlarged);
}

void frmMain::Form_Activate()
{
    if (Store::seriesLength() != m_series.MotsRestants)
        return;
    m_screen->MonTexte->setText(trimBlanks(Store::prenom()));
    m_screen->ChargeImage();
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
