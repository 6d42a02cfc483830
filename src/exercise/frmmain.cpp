#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/userscale.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

namespace {

// Size of the client area in twips.
constexpr int ClientWidth = 9630;
constexpr int ClientHeight = 6720;

QRect twipsRect(int left, int top, int width, int height)
{
    return {Scale::px(left), Scale::px(top), Scale::px(width), Scale::px(height)};
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Pianotin"));
    createControls();
    createMenus();
    createTimers();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &frmMain::onFocusWindowChanged);
    Form_Initialize();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(Scale::px(ClientWidth), Scale::px(ClientHeight));
    setCentralWidget(m_client);

    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.75);
    setFont(font);

    auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    Logo = named(new PictureBox(m_client), "Logo");
    Logo->setGeometry(twipsRect(150, -240, 2145, 1245));

    TaNoteTexte = named(new QLabel(QStringLiteral("Ton texte"), m_client), "TaNoteTexte");
    TaNoteTexte->setGeometry(twipsRect(120, 750, 1305, 315));
    TaNoteTexte->setAlignment(Qt::AlignCenter);

    Consigne = named(new QLabel(QStringLiteral("Tape le mot suivant :"), m_client), "Consigne");
    Consigne->setGeometry(twipsRect(2460, 480, 2385, 255));
    Consigne->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    MotATaperBord = named(new QWidget(m_client), "MotATaperBord");
    MotATaperBord->setGeometry(twipsRect(4890, 420, 2235, 375));

    MotATaper = named(new QLineEdit(m_client), "MotATaper");
    MotATaper->setGeometry(twipsRect(4980, 450, 2115, 315));
    MotATaper->setReadOnly(true);
    MotATaper->setFrame(false);

    Bravo = named(new PictureBox(m_client), "Bravo");
    Bravo->setGeometry(twipsRect(7350, 270, 2130, 660));

    FrappinPhoto = named(new PictureBox(m_client), "FrappinPhoto");
    FrappinPhoto->setGeometry(twipsRect(8250, 1080, 1305, 1575));

    MonTexte = named(new QLineEdit(QStringLiteral("A"), m_client), "MonTexte");
    MonTexte->setGeometry(twipsRect(150, 1080, 8025, 1740));

    ImageClavier = named(new PictureBox(m_client), "ImageClavier");
    ImageClavier->setGeometry(twipsRect(150, 3060, 8040, 2295));

    MainGauche = named(new PictureBox(m_client), "MainGauche");
    MainGauche->setGeometry(twipsRect(7170, 5910, 480, 675));

    MainDroite = named(new PictureBox(m_client), "MainDroite");
    MainDroite->setGeometry(twipsRect(7740, 5910, 480, 705));

    Message = named(new QLabel(QStringLiteral("Label2"), m_client), "Message");
    Message->setGeometry(twipsRect(150, 5610, 6705, 285));
    Message->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    BoutonDepart = named(new QPushButton(QStringLiteral("&Commencer"), m_client), "BoutonDepart");
    BoutonDepart->setGeometry(twipsRect(6900, 5550, 1335, 345));
    BoutonDepart->setDefault(true);
    connect(BoutonDepart, &QPushButton::clicked, this, &frmMain::BoutonDepart_Click);

    connect(MonTexte, &QLineEdit::textChanged, this, &frmMain::MonTexte_Change);
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
}

void frmMain::createTimers()
{
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        m_timers[i] = new IntervalTimer(this);
        m_timers[i]->setObjectName(QStringLiteral("Timer%1").arg(i));
        connect(m_timers[i], &IntervalTimer::tick, this, [this, i] { Timer_Timer(static_cast<int>(i)); });
    }
}

QRectF frmMain::Touche(int index) const
{
    const QRect twips = toucheTwips(index);
    return {Scale::unitsX(twips.x()), Scale::unitsY(twips.y()), Scale::unitsX(twips.width()),
            Scale::unitsY(twips.height())};
}

void frmMain::moveHand(PictureBox *hand, double leftUnits, double topUnits)
{
    hand->move(Scale::pxFromUnitsX(leftUnits), Scale::pxFromUnitsY(topUnits));
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        Form_Activate();
    }
}
