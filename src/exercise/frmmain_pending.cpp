// Behaviour that later work fills in.

#include "exercise/frmmain.h"

void frmMain::mnuParam_Click() {}
void frmMain::mnuMots_Click() {}
void frmMain::mnuApropos_Click() {}
void frmMain::ChargeImage() {}
