// Behaviour that later work fills in.

#include "exercise/frmmain.h"

void frmMain::BoutonDepart_Click() {}
void frmMain::mnuNouveau_Click() {}
void frmMain::mnuParam_Click() {}
void frmMain::mnuMots_Click() {}
void frmMain::mnuApropos_Click() {}
void frmMain::MonTexte_Change() {}
void frmMain::Timer_Timer(int) {}
QString frmMain::AfficheNote()
{
    return {};
}
void frmMain::PlaceMainDroite(const QString &) {}
void frmMain::PlaceMainGauche(const QString &) {}
void frmMain::AjusteGuide() {}
void frmMain::ChargeImage() {}
