// Start-up, the load step, the start of a series and quitting.

#include "exercise/frmmain.h"

#include "common/messagebox.h"
#include "common/picturebox.h"
#include "common/platform.h"
#include "common/strings.h"
#include "common/text.h"
#include "common/values.h"
#include "keyboard/keytable.h"
#include "settings/store.h"
#include "words/wordlist.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    Consigne->hide();
    MotATaper->hide();
    MotATaperBord->hide();
}

void frmMain::Form_Load()
{
    setWindowTitle(Texts::ApplicationTitle);
    TaNoteTexte->setText(QStringLiteral("Ton texte"));
    MotATaper->clear();
    MonTexte->clear();
    Bravo->hide();
    MainDroite->show();
    MainGauche->hide();
    ChargeImage();
}

void frmMain::Form_Activate()
{
    if (Store::seriesLength() != values().MotsRestants)
        return;
    MonTexte->setText(trimBlanks(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, QString())));
    ChargeImage();
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
