// Start-up, the load step, the start and the end of a series, the pause timer, the grade and quitting.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/messagebox.h"
#include "common/picturebox.h"
#include "common/platform.h"
#include "common/strings.h"
#include "common/text.h"
#include "common/values.h"
#include "exercise/typing.h"
#include "keyboard/expandword.h"
#include "keyboard/keytable.h"
#include "settings/store.h"
#include "words/wordlist.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QWindow>

#include <cmath>

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

} // namespace

void frmMain::Form_Initialize()
{
    ProgramValues &v = values();
    seedRandom();
    ChargePhrases();
    ChargeIndications();
    Form_Load();
    MonTexte->setText(trimBlanks(
        Store::Read(Store::Frappin, Store::Demarrage, Store::Derniere, QStringLiteral("<inconnue>"))));
    v.MotsRestants = Store::seriesLength();
    v.EnCours = 0;
    BoutonDepart->setEnabled(true);
    Message->setText(Texts::Invitation);
    setWordAreaVisible(false);
}

void frmMain::Form_Load()
{
    ProgramValues &v = values();
    setWindowTitle(Texts::ApplicationTitle);
    TaNoteTexte->setText(QStringLiteral("Ton texte"));
    MotATaper->clear();
    MonTexte->clear();
    Bravo->hide();
    MainDroite->show();
    MainGauche->hide();
    ChargeImage();
    if (v.EnCours == 0) {
        // No series: the hand waits beside "Commencer", not on the key of a word that is gone.
        MainDroite->setGeometry(RestingRightHand);
        return;
    }

    // Every entry is equally likely, the last draw included.
    const int count = std::max<int>(v.NbPhrases, 0);
    v.IndiceMot = std::clamp(static_cast<int>(std::floor(nextRandom() * count)), 0, std::max(count - 1, 0));
    const QString &entry = v.Phrases[static_cast<std::size_t>(v.IndiceMot)];
    // An entry too long or with too many commas to be split still shows its word.
    MotATaper->setText(ExpandWord(entry, v.Champs) ? v.Champs[0] : wordOfEntry(entry));
    PlaceMainDroite(charAt(MotATaper->text(), 1));
    v.FautesMot = 0;
    setWordAreaVisible(true);
    AjusteGuide();
}

void frmMain::Form_Activate()
{
    if (Store::seriesLength() != values().MotsRestants)
        return;
    MonTexte->setText(trimBlanks(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, QString())));
    ChargeImage();
}

void frmMain::BoutonDepart_Click()
{
    ProgramValues &v = values();
    // A word completed just before must not be counted in the new series when its pause ends.
    Timer(0)->stop();
    Message->clear();
    MonTexte->clear();
    BoutonDepart->setEnabled(false);
    v.EnCours = 1;
    v.FautesMot = 0;
    v.FautesSerie = 0;
    v.NbCaracteres = 0;
    v.MotsRestants = Store::seriesLength();
    v.NiveauGuide = Store::niveauSetting();
    v.HeureDebut = currentDateTime();
    Form_Load();
    MonTexte->setFocus();
}

void frmMain::mnuNouveau_Click()
{
    BoutonDepart_Click();
}

void frmMain::Timer_Timer(int index)
{
    ProgramValues &v = values();
    if (index == 0) {
        Timer(0)->stop();
        Bravo->hide();
        v.MotsRestants -= 1;
        if (v.MotsRestants == 0) {
            endSeries();
            return;
        }
        v.NbCaracteres += MotATaper->text().size();
        Form_Load();
    } else if (index == 1) {
        MainGauche->hide();
        MainDroite->hide();
        Timer(1)->stop();
    }
}

void frmMain::endSeries()
{
    ProgramValues &v = values();
    Timer(1)->stop();
    v.DureeSerie = static_cast<double>(v.HeureDebut.msecsTo(currentDateTime())) / MillisecondsPerDay;
    v.NbCaracteres += MotATaper->text().size();
    Message->setText(Texts::Invitation);
    BoutonDepart->setEnabled(true);

    if (Store::Read(Store::Frappin, Store::Demarrage, Store::Derniere, QString()).isEmpty())
        return;
    // The pupil's section is read again for each result, as another program may name a new pupil meanwhile.
    // A name made only of blanks names no section: the grade is shown but nothing is stored.
    bool stored = true;
    const auto write = [&stored](const QString &key, const QString &value) {
        const QString section =
            trimBlanks(Store::Read(Store::Frappin, Store::Demarrage, Store::Derniere, QString()));
        if (!section.isEmpty())
            stored = Store::Write(Store::Frappin, section, key, value) && stored;
    };
    write(Store::Note, AfficheNote());
    write(Store::Duree, QLocale().toString(v.DureeSerie, 'g', 15));
    write(Store::NombreCaracteres, QString::number(v.NbCaracteres));
    write(Store::Niveau, QString::number(v.NiveauGuide.trimmed().toDouble() + 1));
    // The grade stays shown; the teacher must know that it was not kept.
    if (!stored)
        showMessage(QStringLiteral("Les résultats de cette série n'ont pas pu être enregistrés.\r"
                                   "Le fichier des réglages de Frappin ne peut pas être écrit."),
                    Texts::ApplicationTitle, MsgButtons::Ok, MsgIcon::Exclamation, this);
}

QString frmMain::AfficheNote()
{
    const ProgramValues &v = values();
    setWordAreaVisible(false);
    TaNoteTexte->setText(QStringLiteral("Ta note est"));
    MotATaper->setText(QString::number(gradeOutOf20(v.FautesSerie, v.NbCaracteres)) + QStringLiteral("/20"));
    MonTexte->setText(MotATaper->text());
    return QString::number(gradeOutOf20(v.FautesSerie, v.NbCaracteres));
}

void frmMain::setWordAreaVisible(bool visible)
{
    Consigne->setVisible(visible);
    MotATaper->setVisible(visible);
    MotATaperBord->setVisible(visible);
}

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

// The greeting runs when the window takes the focus back from one of the program's own dialogs, not when the
// pupil comes back from another program: a focus change that leaves the program (no focus window) keeps what
// had the focus last.
void frmMain::onFocusWindowChanged(QWindow *focused)
{
    if (!focused)
        return;
    if (focused == windowHandle() && m_ownDialogHadFocus)
        Form_Activate();
    m_ownDialogHadFocus = isOwnDialog(focused);
}

bool frmMain::isOwnDialog(const QWindow *window)
{
    const auto widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [window](const QWidget *widget) {
        return widget->windowHandle() == window && ::isOwnDialog(widget);
    });
}
